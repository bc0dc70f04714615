// The 128-byte ID3v1 record: decoded from the input (padded or cut to 128
// bytes, "TAG" put in front when the first byte is odd), described as XML,
// encoded again and decoded once more.
#include <cstdint>

#include "id3v1/ID3V1Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    korvel::Bytes record(korvel::ID3V1Tag::kTagLength, 0);
    std::copy(data + 1, data + std::min<size_t>(size, record.size() + 1), record.begin());
    if (data[0] & 1) record[0] = 'T', record[1] = 'A', record[2] = 'G';

    korvel::ID3V1Tag tag;
    const korvel::EID3TagConstants kind = korvel::ID3V1Tag::DecodeRecord(record, tag);
    (void)tag.xml();
    if (kind == korvel::ID3Unknown) return 0;
    (void)tag.GenreList();
    try {
        const korvel::Bytes again = tag.EncodeRecord();
        korvel::ID3V1Tag copy;
        if (korvel::ID3V1Tag::DecodeRecord(again, copy) == korvel::ID3Unknown) std::abort();
    } catch (...) {
        // A track outside 0 to 255 is refused by the encoder.
    }
    return 0;
}
