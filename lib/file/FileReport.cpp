#include "file/FileReport.h"

#include <iterator>
#include <string_view>
#include <utility>

#include "file/FileHandler.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel {

namespace {

void AppendID3v1Rows(FileHandler& file, std::vector<AttributeRow>& rows) {
    if (!file.HasID3V1Tag()) return;
    const ID3V1TagPtr tag = file.ID3v1xTag();
    const EID3TagConstants type = tag->TagType();
    rows.push_back({"ID3v1xTag.Version", type == ID3v1 ? "1.0" : type == ID3V11 ? "1.1" : "Unknown"});
    rows.push_back({"ID3v1xTag.Album", tag->Album()});
    rows.push_back({"ID3v1xTag.Artist", tag->Artist()});
    rows.push_back({"ID3v1xTag.Comment", tag->Comment()});
    rows.push_back({"ID3v1xTag.Genre", std::to_string(tag->Genre())});
    rows.push_back({"ID3v1xTag.Title", tag->Title()});
    if (type == ID3V11) rows.push_back({"ID3v1xTag.Track", std::to_string(tag->Track())});
    rows.push_back({"ID3v1xTag.Year", tag->Year()});
}

void AppendID3v2Rows(FileHandler& file, std::vector<AttributeRow>& rows,
                     std::vector<cError>* failures) {
    if (!file.HasID3V2Tag()) return;
    const ID3V2TagPtr tag = file.ID3V2Tag();
    if (!tag) return;
    const ID3V2VersionPtr version = tag->Version();
    const std::string v = std::to_string(version->Major()) + "." +
                          std::to_string(version->Minor()) + "." +
                          std::to_string(version->Revision());
    rows.push_back({"ID3v2:Version", v});
    // A tag of a readable version whose reader does not load is reported.
    auto reportFailure = [&]() {
        if (failures && !tag->IsLoaded() && !tag->ErrorObject()->Description.empty()) {
            failures->push_back(*tag->ErrorObject());
        }
    };
    if (v == "2.2.0" || v == "2.3.0" || v == "2.4.0") {
        // Every frame of the tag, in file order, duplicates included.
        if (tag->IsLoaded() || tag->loadTag()) {
            const TagContents& contents = *tag->Contents();
            rows.reserve(rows.size() + contents.frames.size());
            for (const FrameRecord& frame : contents.frames) {
                rows.push_back({"ID3v2:" + frame.id,
                                FrameRowText(DecodeFrame(frame, contents.codePage), version->Minor())});
            }
        }
        reportFailure();
    } else {
        rows.push_back({"ID3v2", "Unsupported Version " + v});
    }
}

void AppendLyricsRows(FileHandler& file, std::vector<AttributeRow>& rows,
                      std::vector<cError>* failures) {
    try {
        if (!file.HasLyricsTag()) return;
        const LyricsTagPtr tag = file.LyricsTag();
        rows.push_back({"Lyrics:Version", std::to_string(static_cast<int32_t>(tag->Version()))});
        for (int32_t i = 1; i <= tag->FieldCount(); ++i) {
            const LyricsV200FieldPtr field = tag->getFieldByIndex(i);
            rows.push_back({"Lyrics:" + field->ID(), field->TextData()});
        }
    } catch (...) {
        if (failures) {
            cError failure;
            failure.CopyError();
            failures->push_back(failure);
        }
    }
}

}  // namespace

std::vector<AttributeRow> AttributeRows(FileHandler& file, std::vector<cError>* failures) {
    std::vector<AttributeRow> rows;
    rows.reserve(32);
    AppendID3v1Rows(file, rows);
    AppendID3v2Rows(file, rows, failures);
    AppendLyricsRows(file, rows, failures);
    return rows;
}

std::string MPEGInfoText(FileHandler& file) {
    const MPEGHeaderPtr h = file.MPEGHeader();
    auto yesNo = [](bool v) { return std::string(v ? "Yes" : "No"); };
    const std::string lines[] = {
        "File size: " + std::to_string(h->FileSize()) + " bytes",
        "Audio size: " + std::to_string(h->AudioSize()) + " bytes",
        "Lenght: " + std::to_string(h->Duration()) + " seconds (" + formatDuration(h->Duration()) +
            ")",
        h->Version() + " layer " + h->Layer(),
        std::to_string(h->BitRate()) + " kbit/s" + (h->VBR() ? " (VBR)" : "") + ", " +
            std::to_string(h->NumFrames()) + " frames",
        std::to_string(h->Frequency()) + " Hz, " + h->Mode(),
        "Frame size: " + std::to_string(h->FrameSize()) + " bytes",
        "Private: " + yesNo(h->PrivateBit()),
        "CRC: " + yesNo(h->CRC()),
        "Copyrighted: " + yesNo(h->Copyright()),
        "Original: " + yesNo(h->Original()),
        "Emphasis: " + h->Emphasis(),
    };
    std::string text = lines[0];
    for (size_t i = 1; i < std::size(lines); ++i) text += "\r\n" + lines[i];
    return text;
}

std::string formatDuration(int32_t seconds) {
    const int32_t h = seconds / 3600;
    const int32_t m = (seconds - 3600 * h) / 60;
    const int32_t s = seconds - 3600 * h - 60 * m;
    auto two = [](int32_t v) {
        std::string t = std::to_string(v);
        return t.size() < 2 ? "0" + t : t;
    };
    return std::to_string(h) + ":" + two(m) + ":" + two(s);
}

std::string convertLineFeeds(const std::string& TextData, bool Reverse) {
    // The text between two line ends is copied in one piece.
    const std::string_view from = Reverse ? "\r\n" : "\n";
    const std::string_view to = Reverse ? "\n" : "\r\n";
    std::string out;
    out.reserve(TextData.size() + (Reverse ? 0 : 16));
    size_t done = 0;
    for (size_t at = TextData.find(from); at != std::string::npos; at = TextData.find(from, done)) {
        out.append(TextData, done, at - done);
        out += to;
        done = at + from.size();
    }
    out.append(TextData, done, std::string::npos);
    return out;
}

}  // namespace korvel
