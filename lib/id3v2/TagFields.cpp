#include "id3v2/TagFields.h"

#include <array>

#include "core/Numeric.h"
#include "id3v1/Genres.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel {

namespace {

constexpr uint8_t V(int version) { return static_cast<uint8_t>(1u << version); }

constexpr std::array<TagFieldInfo, 20> kFields = {{
    {TagField::Title, "Title", "TT2", "TIT2", "TIT2", "", "--title", "txtTitle", false, true, V(2) | V(3) | V(4)},
    {TagField::Artist, "Artist", "TP1", "TPE1", "TPE1", "", "--artist", "txtArtist", false, true, V(2) | V(3) | V(4)},
    {TagField::Album, "Album", "TAL", "TALB", "TALB", "", "--album", "txtAlbum", false, true, V(2) | V(3) | V(4)},
    {TagField::Year, "Year", "TYE", "TYER", "TDRC", "", "--year", "txtYear", false, true, V(2) | V(3)},
    {TagField::Track, "Track", "TRK", "TRCK", "TRCK", "", "--track", "txtTrack", false, true, V(3)},
    {TagField::Genre, "Genre", "TCO", "TCON", "TCON", "", "--genre", "cmbGenre", false, true, V(2) | V(3) | V(4)},
    {TagField::Comment, "Comment", "COM", "COMM", "COMM", "", "--comment", "txtComment", true, true, V(3) | V(4)},
    {TagField::Composer, "Composer", "TCM", "TCOM", "TCOM", "", "--composer", "txtComposer", false, true, 0},
    {TagField::OriginalArtist, "OriginalArtist", "TOA", "TOPE", "TOPE", "", "--original-artist",
     "txtOriginalArtist", false, true, 0},
    {TagField::Copyright, "Copyright", "TCR", "TCOP", "TCOP", "", "--copyright", "txtCopyright", false, true, 0},
    {TagField::EncodedBy, "EncodedBy", "TEN", "TENC", "TENC", "", "--encoded-by", "txtEncodedBy", false, true, 0},
    {TagField::UserURL, "UserURL", "WXX", "WXXX", "WXXX", "", "--url", "txtURL", false, true, 0},
    {TagField::LyricsUnsynced, "LyricsUnsynced", "ULT", "USLT", "USLT", "", "--lyrics", "txtLyrics", true, true, 0},
    {TagField::LyricsSynced, "LyricsSynced", "SLT", "SYLT", "SYLT", "", "", "txtSyncedLyrics", true, true, 0},
    {TagField::ArtistURL, "ArtistURL", "WAR", "WOAR", "WOAR", "", "", "", false, false, 0},
    {TagField::UserText, "UserText", "TXX", "TXXX", "TXXX", "", "", "", false, false, 0},
    {TagField::Tempo, "Tempo", "COM", "COMM", "COMM", "MusicMatch_Tempo", "", "", false, false, 0},
    {TagField::Mood, "Mood", "COM", "COMM", "COMM", "MusicMatch_Mood", "", "", false, false, 0},
    {TagField::Situation, "Situation", "COM", "COMM", "COMM", "MusicMatch_Situation", "", "", false, false, 0},
    {TagField::Preference, "Preference", "COM", "COMM", "COMM", "MusicMatch_Preference", "", "", false, false, 0},
}};

// Kinds whose frames are told apart by their description.
bool PickedByDescription(FrameKind kind) {
    return kind == FrameKind::Comment || kind == FrameKind::UserText || kind == FrameKind::UserUrl ||
           kind == FrameKind::SyncedLyrics;
}

// The value text of the first frame of that ID (and descriptor); nothing
// when there is none.
bool FirstValue(const TagContents& tag, const std::string& id, const char* descriptor, std::string& value) {
    const int index = FindFieldFrame(tag, id, descriptor);
    if (index < 0) return false;
    value = FrameValueText(DecodeFrame(tag.frames[static_cast<size_t>(index)], tag.codePage));
    return true;
}

// The year at the start of a recording time ("2005-09-05" gives 2005).
std::string YearOfTime(const std::string& time) {
    size_t digits = 0;
    while (digits < time.size() && digits < 4 && time[digits] >= '0' && time[digits] <= '9') ++digits;
    return digits == 4 ? time.substr(0, 4) : time;
}

}  // namespace

int FindFieldFrame(const TagContents& tag, const std::string& id, const char* descriptor) {
    const bool described = PickedByDescription(KindOfFrame(id));
    for (size_t i = 0; i < tag.frames.size(); ++i) {
        const FrameRecord& frame = tag.frames[i];
        if (frame.id != id) continue;
        if (described && DecodeFrame(frame, tag.codePage).description != descriptor) continue;
        return static_cast<int>(i);
    }
    return -1;
}

std::span<const TagFieldInfo> TagFields() { return kFields; }

const TagFieldInfo& FieldInfo(TagField field) { return kFields[static_cast<size_t>(field)]; }

const char* FrameIdOf(const TagFieldInfo& info, int version) {
    switch (version) {
        case 2: return info.frame22;
        case 3: return info.frame23;
        default: return info.frame24;
    }
}

std::string FieldText(const TagContents& tag, TagField field) {
    const TagFieldInfo& info = FieldInfo(field);
    std::string value;
    if (field == TagField::Year && tag.version >= 3) {
        // Writers mix the year frames of versions 2.3 and 2.4 up.
        const bool v4 = tag.version == 4;
        if (FirstValue(tag, v4 ? "TDRC" : "TYER", "", value)) return YearOfTime(value);
        if (FirstValue(tag, v4 ? "TYER" : "TDRC", "", value)) return YearOfTime(value);
        return "";
    }
    FirstValue(tag, FrameIdOf(info, tag.version), info.descriptor, value);
    return value;
}

std::string GenreText(const std::string& text) {
    if (text.empty() || text[0] != '(') return text;
    const size_t close = text.find(')', 1);
    return close == std::string::npos ? text : text.substr(close + 1);
}

std::string GenreIDText(const std::string& text) {
    if (text.empty() || text[0] != '(') return "";
    const size_t close = text.find(')', 1);
    return close == std::string::npos ? "" : text.substr(1, close - 1);
}

bool SplitGenreText(const std::string& text, int16_t& id, std::string& description) {
    std::string genre = text;
    bool result = false;
    int16_t number = 0;
    if (genre.size() >= 2 && genre.front() == '(' && genre.back() == ')') {
        const size_t first = genre.find_first_not_of("() ");
        const std::string inner =
            first == std::string::npos ? "" : genre.substr(first, genre.find_last_not_of("() ") - first + 1);
        const double value = LeadingNumber(inner);
        const std::optional<int32_t> whole = ToInt32(value);
        const GenrePtr found =
            (whole && *whole == value) ? Genres::Standard()->getGenreByID(std::to_string(*whole)) : nullptr;
        if (found) {
            number = found->Num();
            genre = found->Description();
            result = true;
        }
    } else if (!genre.empty() && genre.front() == '(') {
        const size_t close = genre.find(')');
        if (close != std::string::npos && close > 0) {
            const std::optional<double> parsed = ParseNumber(genre.substr(1, close - 1));
            const std::optional<int16_t> value = parsed ? ToInt16(*parsed) : std::nullopt;
            if (value) number = *value;
            result = value.has_value();
            genre = genre.substr(close + 1);
        }
    }
    id = number;
    description = genre;
    return result;
}

}  // namespace korvel
