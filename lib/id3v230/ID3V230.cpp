#include "id3v230/ID3V230.h"

#include <algorithm>

#include "core/Ansi.h"
#include "core/Numeric.h"
#include "errors/MessageHandler.h"
#include "id3v1/Genres.h"
#include "id3v2/TagFields.h"
#include "id3v230/ID3LibBinding.h"
#include "id3v230/ID3LibSupport.h"

namespace korvel {

using id3lib::Handle;
using id3lib::SameValue;

namespace {

// The version 2.3 reader changes tags through objects of this class.
const bool kRegistered = (SetUpdatableTagMaker([] { return std::make_shared<ID3V230>(); }), true);

}  // namespace

ID3V230::ID3V230() : m_frames(std::make_shared<Collection<ID3V230Frame>>()) {}

ID3V230::~ID3V230() {
    ReleaseLoadState();
    ClearFrames();
}

void ID3V230::ClearFrames() { m_frames = std::make_shared<Collection<ID3V230Frame>>(); }

bool ID3V230::CheckLibrary(std::string& message) {
    message.clear();
    const ID3LibBinding& lib = ID3LibBinding::Current();
    if (lib.Available()) return true;
    message = "The DLL '" + lib.FileName() + "' is not present.\r\nPlease install it into the program directory.";
    return false;
}

std::string ID3V230::FieldValue(TagField field) const {
    const TagFieldInfo& info = FieldInfo(field);
    if (field == TagField::Year) return std::to_string(Year());
    if (field == TagField::Genre) return Genre();
    return Text(FrameIDFromAbbr(info.frame23), info.descriptor);
}

void ID3V230::SetFieldValue(TagField field, const std::string& value) {
    const TagFieldInfo& info = FieldInfo(field);
    if (field != TagField::Year) {
        SetFrameValue(FrameIDFromAbbr(info.frame23), TagValue(value), info.descriptor);
        return;
    }
    // An empty year removes the year instead of storing 0.
    if (TrimBlanks(value).empty()) {
        SetFrameValue(ID3FID_YEAR, TagValue(std::string()));
        return;
    }
    int16_t year = 0;
    if (const auto number = ParseNumber(value)) {
        if (const auto converted = ToInt16(*number)) year = *converted;
    }
    // A tag without a year reads as year 0; writing that 0 back must not give
    // the file a year it never had.
    if (year == 0 && FrameValue(ID3FID_YEAR).IsEmpty()) return;
    setYear(year);
}

TagValue ID3V230::FrameValue(ID3_FrameID eFrameID, const std::string& Descriptor) const {
    ID3V230FramePtr frame = FindFrame(eFrameID, Descriptor);
    return frame ? frame->vValue : TagValue();
}

ID3V230FramePtr ID3V230::FindFrame(ID3_FrameID type, const std::string& descriptor) const {
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (frame && frame->eType == type && frame->sDescription == descriptor) return frame;
    }
    return nullptr;
}

PicturePtr ID3V230::GetFramePicture(ID3_FrameID type, const std::string& descriptor) const {
    ID3V230FramePtr last;
    for (const ID3V230FramePtr& frame : *m_frames) {
        if (!frame || frame->eType != type) continue;
        if (frame->sDescription == descriptor) return frame->Picture;
        last = frame;
    }
    return last ? last->Picture : nullptr;
}

void ID3V230::AddFrameObject(ID3_FrameID type, const TagValue& value, const std::string& descriptor,
                             PicturePtr picture) {
    auto frame = std::make_shared<ID3V230Frame>();
    frame->eType = type;
    frame->vValue = value;
    frame->sDescription = descriptor;
    frame->Picture = std::move(picture);
    frame->lIndex = m_frames->Count() + 1;
    frame->bNew = true;
    frame->bChanged = true;
    m_frames->Add(frame);
}

void ID3V230::SetFrameValue(ID3_FrameID type, const TagValue& value, const std::string& descriptor) {
    ID3V230FramePtr frame = FindFrame(type, descriptor);
    bool blank = value.IsString() ? value.ToString().empty() : value.IsEmpty();
    if (frame) {
        if (!blank) {
            frame->bChanged = frame->bChanged || !(frame->vValue == value);
            frame->vValue = value;
        } else {
            frame->vValue = TagValue("");
            frame->Delete();
        }
    } else if (!blank) {
        AddFrameObject(type, value, descriptor, nullptr);
    }
}

void ID3V230::SetFramePicture(ID3_FrameID type, PicturePtr picture, const std::string& descriptor) {
    ID3V230FramePtr frame = FindFrame(type, descriptor);
    if (!frame) {
        if (HasImage(picture)) AddFrameObject(type, TagValue(), descriptor, std::move(picture));
        return;
    }
    // The same image again (for instance read from another object of the same
    // file) is no change, also when the library cannot decode it: the frame
    // stays as it is instead of being deleted or rewritten.
    if (picture && frame->Picture && !frame->bDeleted && std::ranges::equal(picture->View(), frame->Picture->View())) {
        return;
    }
    if (HasImage(picture)) {
        frame->bChanged = !frame->Picture || frame->Picture->handle() != picture->handle();
        frame->Picture = std::move(picture);
    } else {
        frame->Picture = std::move(picture);
        frame->Delete();
        frame->bChanged = true;
    }
}

int16_t ID3V230::TotalTracks() const {
    std::string track = Track();
    size_t slash = track.find('/');
    if (slash == std::string::npos) return 0;
    return ToInt16(LeadingNumber(track.substr(slash + 1))).value_or(0);
}

void ID3V230::setTotalTracks(int16_t value) {
    std::string track = Track();
    size_t slash = track.find('/');
    SetFrameValue(ID3FID_TRACKNUM, track.substr(0, slash) + "/" + std::to_string(value));
}

int16_t ID3V230::Year() const {
    return ToInt16(LeadingNumber(FrameValue(ID3FID_YEAR).ToString())).value_or(0);
}

std::string ID3V230::Genre() const { return TrimBlanks(Text(ID3FID_CONTENTTYPE)); }

std::string ID3V230::TrimChars(const std::string& text, const std::string& set) {
    size_t first = text.find_first_not_of(set);
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

bool ID3V230::SplitGenre(int16_t& GenreID, std::string& GenreDescription) {
    return SplitGenreText(Genre(), GenreID, GenreDescription);
}

void ID3V230::ReplaceQuotes() {
    struct Property {
        std::string (ID3V230::*get)() const;
        void (ID3V230::*set)(const std::string&);
    };
    static const Property kProperties[] = {
        {&ID3V230::Comments, &ID3V230::setComments},
        {&ID3V230::Song, &ID3V230::setSong},
        {&ID3V230::Artist, &ID3V230::setArtist},
        {&ID3V230::Album, &ID3V230::setAlbum},
        {&ID3V230::UniqueKey, &ID3V230::setUniqueKey},
        {&ID3V230::Title, &ID3V230::setTitle},
        {&ID3V230::UserText, &ID3V230::setUserText},
        {&ID3V230::LyricsUnsynced, &ID3V230::setLyricsUnsynced},
        {&ID3V230::ArtistURL, &ID3V230::setArtistURL},
        {&ID3V230::UserURL, &ID3V230::setUserURL},
    };
    for (const Property& property : kProperties) {
        std::string value = (this->*property.get)();
        if (value.find('"') == std::string::npos) continue;
        for (char& c : value) {
            if (c == '"') c = '\'';
        }
        (this->*property.set)(value);
    }
}

bool ID3V230::FromThisLoad(const ID3V230Frame& frame) const {
    return frame.m_loaded && m_loadId != 0 && frame.m_loaded->load == m_loadId;
}

bool ID3V230::Edited(const ID3V230Frame& frame) const {
    if (!FromThisLoad(frame) || frame.bNew || frame.bChanged || frame.bDeleted) return true;
    const ID3V230Frame::Loaded& loaded = *frame.m_loaded;
    return !SameValue(frame.vValue, loaded.value) || frame.sDescription != loaded.description ||
           !SameValue(frame.vLanguage, loaded.language) || frame.Picture != loaded.picture;
}

bool ID3V230::id3SetField(void* frame, const TagValue& value, ID3_FieldID fieldID) {
    const ID3LibBinding& lib = ID3LibBinding::Current();
    Handle field = lib.FrameGetField(frame, fieldID);
    if (field == nullptr) {
        ShowMessage("Unable to write data to field.\r\nID3V230::id3SetField()\r\nField '" +
                        std::to_string(fieldID) + "' doesn't exist.\r\nData: " + value.ToString(),
                    MessageIcon::Critical, "KORVEL - Store ID3v2 Field");
        return false;
    }
    std::string text = value.ToString();
    if (fieldID == ID3FN_DATA) {
        std::string spaced;
        for (char32_t c : Utf8ToUtf32(text)) {
            AppendUtf8(spaced, c);
            spaced += ' ';
        }
        lib.FieldSetBINARY(field, Utf8ToAnsiBytes(spaced));
        return true;
    }
    int encoding = lib.FieldGetEncoding(field);
    if (encoding == ID3LibBinding::kEncodingUTF16 || encoding == ID3LibBinding::kEncodingUTF16BE) {
        lib.FieldSetUNICODE(field, Utf8ToUtf16(text));
    } else {
        lib.FieldSetASCII(field, Utf8ToAnsi(text));
    }
    return true;
}

// ---- Saving ----

}  // namespace korvel
