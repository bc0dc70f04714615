#pragma once
// The container level of ID3v2.3 tags as the updatable tag writes them: the
// leading tag of a file and frame records as id3lib can be given them (tags
// are built by the tag writer). Library-internal.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Types.h"

namespace korvel {

class BinaryFile;
struct FrameRecord;

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

    static Leading ReadLeading(const BinaryFile& file);

    // The version 2.3 record of a frame as id3lib can be given it: its
    // content plain (inflated; no group or encryption byte, no compression
    // flag). False for frames id3lib must not see: those whose content is
    // unknown (encrypted, damaged) and compressed ones that do not inflate to
    // exactly their stated size.
    static bool ForLibrary(const FrameRecord& frame, Bytes& record);
    static bool CanGiveLibrary(const FrameRecord& frame);
};

}  // namespace korvel
