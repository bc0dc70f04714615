#pragma once
// The frame model of an ID3v2 tag: the tag's bytes as read from the file
// (once), and one record per frame in file order, duplicates included, for
// every version (2.2, 2.3, 2.4). Records are views into the tag's bytes; a
// frame whose content had to be de-unsynchronised or inflated owns the
// result. Everything that reads frames (the readers of the three versions,
// the facade, the updatable tag, the XML and the reports) works on this model.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "core/Types.h"

namespace korvel {

struct FrameRecord {
    // Three characters in version 2.2, four in 2.3 and 2.4.
    std::string id;
    uint8_t statusFlags = 0;  // versions 2.3 and 2.4
    uint8_t formatFlags = 0;  // versions 2.3 and 2.4
    // The whole record as it stands in the tag (header, appended bytes and
    // data). In a version 2.2 or 2.3 tag unsynchronised as a whole, the record
    // with the unsynchronisation undone.
    std::span<const uint8_t> stored;
    // The content: behind the appended bytes, de-unsynchronised and inflated.
    // Empty when the content cannot be had (see readable).
    std::span<const uint8_t> data;
    // Holds `data` when it had to be made (inflation, unsynchronisation).
    std::shared_ptr<const Bytes> owned;
    // The decompressed size (2.3) or data length indicator (2.4); -1 without.
    int64_t dataLength = -1;
    int16_t group = -1;       // group identifier; -1 when not grouped
    int16_t encryption = -1;  // encryption method; -1 when not encrypted
    bool compressed = false;
    // The stored data is unsynchronised (a 2.4 frame's own flag, or the tag's
    // flag in version 2.4, which applies to every frame).
    bool unsynchronised = false;
    // False for encrypted frames and frames whose appended bytes or
    // compressed data are damaged: their content is unknown.
    bool readable = true;
    // Compressed data that does not inflate to exactly its stated size (the
    // content is what did inflate, at most that size).
    bool inflatedShort = false;
};

struct TagContents {
    uint8_t version = 0;   // 2, 3 or 4
    uint8_t revision = 0;
    uint8_t flags = 0;
    // The tag as read: header, body and (version 2.4) footer.
    std::shared_ptr<const Bytes> bytes;
    // The extended header as stored (empty without one).
    std::span<const uint8_t> extendedHeader;
    bool hasFooter = false;
    std::vector<FrameRecord> frames;
    // Bytes behind the last frame to the end of the body: zero padding, or
    // what the walk could not take for a frame.
    size_t paddingSize = 0;
    // Size of the body (the header's size field).
    size_t bodySize = 0;
    // The code page of the tag's single-byte (encoding 0) text.
    CodePage codePage;

    // Bytes the tag takes in the file: header, body and footer.
    size_t TotalSize() const { return 10 + bodySize + (hasFooter ? 10 : 0); }
    // The first frame of that ID; null when there is none.
    const FrameRecord* Find(std::string_view id) const;
};

using TagContentsPtr = std::shared_ptr<const TagContents>;

// Largest content a compressed frame may inflate to.
inline constexpr int64_t kMaxInflatedFrame = int64_t{1} << 28;

// The ID3v2 tag at the start of `tag` (its bytes from the file's first byte;
// possibly fewer than the header announces when the file is shorter).
// Walks the frames of its version; zero bytes where a frame would start are
// padding however few they are, bytes too few for a frame header or not
// forming a frame identifier end the walk as well. Fails (null, with the
// reason in `problem`) for a missing or invalid header, a version other than
// 2.2 to 2.4, header flags the version does not define, a tag longer than
// the bytes given, a frame running past the tag, a compressed frame that
// declares an impossible size and a version 2.4 footer that does not repeat
// the header.
TagContentsPtr ParseTagContents(std::shared_ptr<const Bytes> tag, const CodePage& codePage = CodePage(),
                                std::string* problem = nullptr);

class BinaryFile;

// The ID3v2 tag at the start of an open file, read with one read and parsed
// as ParseTagContents does; null (with the reason) when there is none or it
// cannot be read. A failed read throws.
TagContentsPtr ReadTagContents(const BinaryFile& file, const CodePage& codePage = CodePage(),
                               std::string* problem = nullptr);

// Bytes the ID3v2 tag whose 10-byte header starts `head` takes in a file
// (header, body and footer); 0 when `head` is not a valid ID3v2 header.
size_t TagExtent(std::span<const uint8_t> head);

// Inflates a zlib stream into at most `limit` bytes, growing the output only
// as data comes out (never by the limit). What inflated before an error or
// the limit is kept. False only when inflation could not be started.
// `complete`, when given, tells whether the stream ended at exactly `limit`
// bytes.
bool InflateBounded(std::span<const uint8_t> source, size_t limit, Bytes& out, bool* complete = nullptr);

// Deflate shrinks data by at most about 1032 to 1 (a long run of one byte):
// the largest size `compressedSize` bytes can inflate to, with some slack for
// the stream's header.
inline constexpr int64_t MaxInflatedSize(size_t compressedSize) {
    return static_cast<int64_t>(compressedSize) * 1032 + 64;
}

// Drops each 0x00 that follows 0xFF (the unsynchronisation scheme undone).
Bytes RemoveUnsynchronisationOf(std::span<const uint8_t> data);

}  // namespace korvel
