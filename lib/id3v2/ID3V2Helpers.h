#pragma once
// Byte, integer and text helpers shared by the ID3v2 readers and the MPEG
// header analysis, the ID3v2 header record and the version object.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Picture.h"
#include "core/Types.h"

namespace korvel {

// Big-endian integer of count bytes from start; 0 when count < 1 or the range
// runs past the array. Four bytes read as two's complement (FF FF FF FF = -1).
int32_t BytesToLong(const Bytes& bytes, int32_t start, int32_t count);

// Seven bits per byte, most significant first, over the whole array. Bit 7
// of each byte is not masked off. An empty array gives 0.
int32_t SyncsafeToLong(const Bytes& bytes);

// value * 2^n as a 32-bit integer: products in [2^31, 2^32) wrap to their low
// 32 bits read as signed (0xFFFFFF << 8 gives -256).
int32_t ShiftLeft(int32_t value, int16_t n);

// Logical right shift of the 32-bit pattern for n from 0 to 30 (-1 >> 1 gives
// 0x7FFFFFFF).
int32_t ShiftRight(int32_t value, int32_t n);

// One Windows-1252 character per byte from start; count < 1 means up to the
// end. A start past the end gives "".
std::string BytesToString(const Bytes& bytes, int32_t start, int32_t count);

// The whole array decoded with Windows-1252 (zero bytes kept as U+0000).
std::string AnsiBytesToString(const Bytes& bytes);

// UTF-16 that honours byte-order marks anywhere in the data (little-endian
// until a mark says otherwise; marks produce no character). An odd length
// gives "".
std::string UnicodeBytesToString(const Bytes& bytes);

// UTF-16 from byte `from` to the end, starting in the given byte order and
// switching at every byte-order mark (marks produce no character); a
// trailing odd byte is ignored.
std::string DecodeUtf16Bytes(const Bytes& bytes, size_t from, bool bigEndian);

// A picture from an image file's bytes, built in memory; null when the bytes
// are not a decodable image.
PicturePtr PictureFromBytes(const Bytes& bytes);
// The same over bytes that `owner` holds, without a copy.
PicturePtr PictureFromBytes(std::shared_ptr<const void> owner, std::span<const uint8_t> bytes);

// Text of an id3lib error code.
std::string ID3ErrorText(int32_t code);

// Drops each 0x00 that follows 0xFF in the input (FF 00 E0 becomes FF E0).
// An empty input fails.
bool RemoveUnsynchronisation(const Bytes& data, Bytes& result);

// The ten bytes that open an ID3v2 tag, as handed from the file object to the
// ID3v2 classes.
struct ID3V2Header {
    std::array<char, 3> Identifier{};
    uint8_t MajorVersion = 0;
    uint8_t RevisionNumber = 0;
    uint8_t Flags = 0;
    std::array<uint8_t, 4> Size{};

    // Fills the record from the first 10 bytes of a file (missing bytes read 0).
    static ID3V2Header FromBytes(const Bytes& head);
    // The four size bytes as an array.
    Bytes SizeBytes() const { return Bytes(Size.begin(), Size.end()); }
};

class ID3V2Version {
public:
    int16_t Major() const { return 2; }
    int16_t Minor() const { return m_minor; }
    int16_t Revision() const { return m_revision; }
    void SetMinor(int16_t v) { m_minor = v; }
    void SetRevision(int16_t v) { m_revision = v; }

private:
    int16_t m_minor = 0;
    int16_t m_revision = 0;
};

using ID3V2VersionPtr = std::shared_ptr<ID3V2Version>;

}  // namespace korvel
