// The search for the first MPEG audio frame header and the decoding of the
// header and the "Xing" or "VBRI" header behind it. The first input byte chooses where
// the search starts; the rest is the file.
#include <cstdint>

#include "FuzzSupport.h"
#include "core/BinaryFile.h"
#include "mpeg/MPEGHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int64_t start = data[0];
    const std::string& path = korvel::fuzz::Scratch().Write(data + 1, size - 1);
    try {
        const korvel::BinaryFile file(path);
        for (const int64_t from : {int64_t{0}, start}) {
            korvel::MPEGHeader header;
            if (header.LoadHeaderEx(file, from)) {
                (void)header.Version(), (void)header.Layer(), (void)header.Mode();
                (void)header.BitRate(), (void)header.Frequency(), (void)header.NumFrames();
                (void)header.xml();
            }
        }
    } catch (...) {
    }
    return 0;
}
