#pragma once
// Integers in tag and frame headers: big-endian, and "syncsafe" (seven bits
// per byte, most significant first, the top bit of each byte left clear).
#include <cstddef>
#include <cstdint>

#include "core/Types.h"

namespace korvel {

// The big-endian value of `count` bytes (at most 8).
inline uint64_t ReadBigEndian(const uint8_t* bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

inline uint32_t ReadBigEndian32(const uint8_t* bytes) { return static_cast<uint32_t>(ReadBigEndian(bytes, 4)); }

// Seven bits of each of the four bytes; the top bits are ignored.
inline uint32_t ReadSyncsafe32(const uint8_t* bytes) {
    return (uint32_t{bytes[0] & 0x7Fu} << 21) | (uint32_t{bytes[1] & 0x7Fu} << 14) |
           (uint32_t{bytes[2] & 0x7Fu} << 7) | uint32_t{bytes[3] & 0x7Fu};
}

// True when none of the four bytes has its top bit set.
inline bool IsSyncsafe32(const uint8_t* bytes) {
    return ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & 0x80) == 0;
}

inline void AppendBigEndian(Bytes& out, uint64_t value, size_t count) {
    for (size_t i = count; i-- > 0;) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The low 28 bits of the value as four syncsafe bytes.
inline void AppendSyncsafe32(Bytes& out, uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

}  // namespace korvel
