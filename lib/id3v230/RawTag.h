#pragma once
// The container level of ID3v2.3 tags: the leading tag of a file, its frame
// records as bytes, and building a tag from frame records. The updatable tag
// uses it to carry frames it does not change into a new tag byte for byte.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Types.h"

namespace korvel {

class BinaryFile;

class RawTag {
public:
    // The ID3v2 tag at the start of a file as its header describes it.
    struct Leading {
        bool present = false;  // "ID3" with a valid header at offset 0
        uint8_t major = 0;
        uint8_t revision = 0;
        uint8_t flags = 0;
        // Bytes the tag occupies from offset 0 (header, body and a v2.4
        // footer), never more than the file holds.
        int64_t extent = 0;
    };

    // One frame of an ID3v2.3 tag: its identifier and the whole record
    // (10-byte header and data), after tag-level unsynchronisation was undone.
    struct Frame {
        std::string id;
        Bytes record;
        Bytes Data() const { return Bytes(record.begin() + 10, record.end()); }
    };

    static Leading ReadLeading(const BinaryFile& file);

    // The frames of a whole ID3v2.3 tag (header included), in tag order.
    // Frames of size 0 are left out. The walk ends at padding, at the end of
    // the tag, or at a record that is not a frame; complete is false when it
    // ended at a frame that runs past the tag.
    static std::vector<Frame> ParseV23Frames(const Bytes& tag, bool* complete = nullptr);

    // An ID3v2.3 tag (no flags) holding the records followed by padding;
    // empty when there are no records. Throws KorvelException when the tag
    // would exceed the 28-bit size limit.
    static Bytes BuildV23Tag(const std::vector<Bytes>& records, size_t padding);

    // Why id3lib must not be given the file's tag ("" when it may). id3lib
    // crashes on every compressed frame; ID3v2.3 tags are given to it with
    // their compressed frames inflated (see ForLibrary), ID3v2.4 tags with
    // compressed frames and compressed ID3v2.2 tags are refused.
    static std::string UnsafeForLibrary(const Bytes& tag);

    // True when the frame is compressed, encrypted or grouped.
    static bool HasFrameExtras(const Frame& frame);
    // The frame as id3lib can be given it: compression undone, group byte
    // removed. False for frames it must not see (encrypted ones, ones that do
    // not inflate to their stated size).
    static bool ForLibrary(const Frame& frame, Frame& plain);

    // A 4-byte syncsafe integer and back.
    static void PutSyncsafe(Bytes& out, uint32_t value);
    static uint32_t GetSyncsafe(const uint8_t* bytes);

    // Largest tag body a header can describe.
    static constexpr uint32_t kMaxBodySize = 0x0FFFFFFF;
};

}  // namespace korvel
