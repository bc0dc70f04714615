#pragma once
// The JSON description of MP3 files and their tags (korvel info --json) and
// the reading of such a document back into tag values (korvel apply). The
// format is described in docs/json.md.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Types.h"
#include "errors/cError.h"
#include "id3v1/ID3V1Tag.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel {
class FileHandler;
}

namespace korvel::cli {

// Objects keep their members in the order they were written.
using Json = nlohmann::ordered_json;

inline constexpr const char* kJsonFormat = "korvel-json";
inline constexpr int kJsonVersion = 1;
// The most bytes a frame's binary content may have (a tag's size field holds
// 28 bits).
inline constexpr uint64_t kMaxFrameData = (uint64_t{1} << 28) - 64;

// Lower-case hex SHA-256 of the bytes.
std::string Sha256Hex(std::span<const uint8_t> bytes);

// The object of one frame: its ID and the fields of its kind. Binary content
// is given by size and SHA-256, and in Base64 ("data") when withData is set.
Json FrameJson(const FrameRecord& record, const FrameContent& content, bool withData);

// The object of one file as info --json writes it; `ok` is false when the
// file could not be read (the object then holds the path and the error).
Json FileJson(const std::string& path, bool withData, bool& ok);

// Writes the document of the files to out, one file at a time (each file's
// object on a line of its own); false when a file could not be read.
bool WriteJsonDocument(const std::vector<std::string>& paths, bool withData, std::ostream& out);

// A document that cannot be applied: the place in it as a JSON pointer
// ("/files/0/id3v2/frames/3/text"; "" for the whole document) and what is
// wrong there.
struct DocumentError {
    std::string pointer;
    std::string message;

    std::string Text() const;
};

// One frame of a document, read into the values of its kind. Binary content
// given in Base64 is held in `bytes` (and `content.data` points there); given
// by its hash only, `content.data` is empty until the content is found in the
// file (FindContentInFile).
struct DocumentFrame {
    std::string pointer;
    std::string id;
    FrameContent content;
    std::shared_ptr<const Bytes> bytes;
    // The binary content's hash and size as the document states them.
    bool hasBinary = false;
    bool hashOnly = false;
    std::string sha256;
    size_t size = 0;
    // A frame that could not be read, kept as its record's bytes behind the
    // header (`bytes`) with its two flag bytes.
    bool unreadable = false;
    uint16_t flags = 0;
};

struct DocumentID3v2 {
    std::string pointer;
    // 2, 3 or 4; 0 when the document leaves it to the file.
    int version = 0;
    std::vector<DocumentFrame> frames;
};

// What a document says about the tags of one file. A tag the document does
// not mention is left as it is; a tag it gives as null is removed.
struct DocumentTags {
    bool hasID3v1 = false;
    std::optional<ID3V1Tag> id3v1;
    std::string id3v1Pointer;
    bool hasID3v2 = false;
    std::optional<DocumentID3v2> id3v2;
};

// Reads a document: a whole info --json document holding one file, or that
// file's object alone. Throws DocumentError.
DocumentTags ReadDocument(const std::string& text);

// Throws DocumentError when a text of the ID3v1 tag at the pointer does not
// fit its field in the code page it is written in.
void CheckID3v1Fields(const ID3V1Tag& tag, const std::string& pointer, const CodePage& page);

// Reads one frame object at the pointer; the tag's version (2, 3, 4) decides
// which IDs are valid. Throws DocumentError.
DocumentFrame ReadFrame(const Json& frame, const std::string& pointer, int version);

// The canonical object of a document frame, comparable with FrameJson of a
// file's frame (without data).
Json CanonicalJson(const DocumentFrame& frame);

// What apply does to a file, worked out before anything is written. Points
// into the document's tags and the file's tag, which must outlive it.
struct ApplyPlan {
    // One line per change, as --dry-run prints them.
    std::vector<std::string> changes;
    std::optional<ID3V1Tag> writeID3v1;
    bool removeID3v1 = false;
    bool writeID3v2 = false;
    bool removeID3v2 = false;
    int version = 0;  // 3 or 4: the version written
    // The whole new ID3v2 tag.
    Bytes id3v2;
    // The file's tag as read (null without one or when it cannot be read).
    TagContentsPtr contents;
};

// Compares the document with the file: finds the content of frames given by
// hash, the frames to keep and the changes. Throws DocumentError when the
// document cannot be applied to this file.
ApplyPlan PlanApply(FileHandler& file, DocumentTags& tags);

// Carries the plan out: the ID3v2 tag first, then the ID3v1 tag, each saved
// as a whole new file put in the old one's place. False with the failure in
// `failure`.
bool ExecuteApply(FileHandler& file, const ApplyPlan& plan, cError& failure);

}  // namespace korvel::cli
