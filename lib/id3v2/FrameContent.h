#pragma once
// The content of one ID3v2 frame as structured values, for every version:
// texts (every value apart, without terminators or byte-order marks), user
// texts and URLs, comments and lyrics, involved people, synchronised lyrics,
// pictures, counters, ratings, owner data, encapsulated objects; anything
// else as bytes. Also the one line a frame shows as its value.
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "id3v2/TagContents.h"

namespace korvel {

enum class FrameKind {
    Text,            // T... : values
    UserText,        // TXXX: description, values
    Url,             // W... : url
    UserUrl,         // WXXX: description, url
    Comment,         // COMM, USLT: language, description, values
    People,          // IPLS, TIPL, TMCL: (role, name) pairs
    SyncedLyrics,    // SYLT: language, format, content type, description, lines
    Picture,         // APIC, PIC: mime, picture type, description, data
    Counter,         // PCNT: counter
    Popularimeter,   // POPM: email, rating, counter
    Owner,           // UFID, PRIV: owner, data
    Object,          // GEOB: mime, file name, description, data
    Binary,          // anything else: data
    Unreadable,      // encrypted or damaged: nothing known
};

struct SyncedLine {
    uint32_t time = 0;
    std::string text;
};

struct FrameContent {
    FrameKind kind = FrameKind::Binary;
    uint8_t encoding = 0;
    std::vector<std::string> values;
    std::string description;
    std::string language;
    std::string url;
    std::string owner;
    std::string email;
    std::string mime;
    std::string fileName;
    uint8_t pictureType = 0;
    uint8_t rating = 0;
    uint8_t timestampFormat = 0;
    uint8_t contentType = 0;
    uint64_t counter = 0;
    bool hasCounter = false;
    // A unique file identifier (UFID): its data is usually readable text.
    bool identifier = false;
    std::vector<std::pair<std::string, std::string>> people;
    std::vector<SyncedLine> lines;
    // Picture, object, owner data or the whole content of a binary frame.
    std::span<const uint8_t> data;
    // Comments, lyrics and user links: the bytes behind the description.
    std::span<const uint8_t> rest;

    // The values joined by " / " (texts, comments, user texts).
    std::string JoinedValues() const;
};

// The kind of a frame by its ID (three or four characters).
FrameKind KindOfFrame(const std::string& id);

// Decodes a frame record of a tag; encoding-0 text in the code page given.
FrameContent DecodeFrame(const FrameRecord& frame, const CodePage& codePage = CodePage());

// The one line a frame shows as its value: the values joined by " / ", the
// URL, "role: name" pairs, the lyrics' lines, a picture's summary
// ("image/jpeg, 60000 bytes, Cover (front), "description""), the counter, a
// rating, "owner, 16 bytes", an object's summary, "N bytes" for other binary
// frames; "" for an unreadable one.
std::string FrameValueText(const FrameContent& content);

// The value a frame shows in the attribute rows of a tag of version
// 2.`version`: in version 2.3 every frame's value with its description and
// language, "value (description, language)"; in the other versions the value
// alone, except comments, lyrics, user texts and user links, which show
// theirs as version 2.3 does. A picture shows its summary in every version.
std::string FrameRowText(const FrameContent& content, int version);

// Whether the frame carries bytes rather than text (described as Base64 in
// XML).
bool IsBinaryKind(FrameKind kind);

// The name of a picture type ("Cover (front)"; "Other" for unknown ones).
std::string PictureTypeName(uint8_t type);
// The MIME type of a version 2.2 picture format ("JPG" gives image/jpeg).
std::string MimeOfImageFormat(const std::string& format);

// The version 2.3 ID of a version 2.2 frame ID; "" when it has none.
std::string FrameIdOf22(const std::string& id);

}  // namespace korvel
