// The Lyrics3 loader on the input as a file; the first byte says whether an
// ID3v1 tag follows the Lyrics3 tag.
#include <cstdint>

#include "FuzzSupport.h"
#include "lyrics3/LyricsTag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool hasID3v1 = (data[0] & 1) != 0;
    const std::string& path = korvel::fuzz::Scratch().Write(data + 1, size - 1);
    korvel::LyricsTag tag;
    try {
        tag.Load(path, hasID3v1);
    } catch (...) {
        (void)tag.LastError();
    }
    (void)tag.Lyrics(), (void)tag.Author(), (void)tag.Album(), (void)tag.Artist(), (void)tag.Title();
    for (int32_t i = 1; i <= tag.FieldCount(); ++i) (void)tag.getFieldByIndex(i)->TextData();
    (void)tag.xml();
    return 0;
}
