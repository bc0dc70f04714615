#pragma once
// Decoding shared by the frame classes of the ID3v2 readers: the text of a
// frame, the frame data without its descriptive prefix, bounded zlib
// inflation and byte slices. Library-internal.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/Types.h"

namespace korvel::frametext {

// Text of a frame's data, by frame ID:
// - IDs starting with "T" (unless encrypted): the text after the encoding
//   byte, decoded as Windows-1252 (0), UTF-16 with byte-order marks (1),
//   UTF-16 big-endian (2) or UTF-8 (3); zero characters are kept and a
//   trailing odd byte of UTF-16 is ignored; any other encoding gives "".
// - encrypted frames: "".
// - "PCNT": the counter of the first four bytes in decimal.
// - "COMM", "USLT", "SYLT": the text after the description (RemoveHeader)
//   in the frame's encoding; an unknown encoding gives the whole data as
//   Windows-1252 without the characters U+0000 to U+0002.
// - "APIC": the whole data as Windows-1252 without U+0000 to U+0002.
// - anything else (URL frames included): "".
std::string TextData(const std::string& id, const Bytes& data, bool encrypted);

// The frame data after its descriptive prefix: for "APIC" after the MIME
// type, the picture type and the description; for "COMM" and "USLT" after
// the encoding, the language and the description; for "SYLT" after the
// encoding, language, time-stamp format, content type and description; for
// "WXXX" after the description. A description ends with the terminator of
// the frame's encoding (two zero bytes at an even distance for UTF-16, one
// zero byte otherwise); without a terminator the whole data is returned.
// Other frames give an empty array.
Bytes RemoveHeader(const std::string& id, const Bytes& data);

// Inflates a zlib stream into at most limit bytes, growing the output only
// as data comes out. Whatever inflated before an error or the limit is kept.
// False only when inflation could not be started.
bool InflateBounded(const uint8_t* source, size_t sourceSize, size_t limit, Bytes& out);

// Replaces compressed frame data by what it inflates to, at most the
// declared size. False, and the data stays as it was, for a declared size
// that is not positive or above kMaxInflatedFrame, or when inflation cannot
// be started. Memory grows with what the data really inflates to, never
// with the declared size.
bool InflateFrameData(Bytes& data, int32_t declaredSize);

// Genre of a content-type text: the text after the first ")" when it starts
// with "(" (the whole text when there is no ")"), otherwise the text itself.
std::string GenreText(const std::string& text);
// The characters between a leading "(" and the first ")"; "" when the text
// does not start with "(" or has no ")".
std::string GenreIDText(const std::string& text);

// A copy of `count` bytes from `start`; the caller checks the bounds.
inline Bytes Slice(std::span<const uint8_t> bytes, size_t start, size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                 bytes.begin() + static_cast<std::ptrdiff_t>(start + count));
}

// Largest decompressed frame the readers accept (the largest size an ID3v2
// tag can declare).
inline constexpr int64_t kMaxInflatedFrame = int64_t{1} << 28;

// Deflate shrinks data by at most about 1032 to 1 (a long run of one byte):
// the largest size `compressedSize` bytes can inflate to, with some slack
// for the stream's header.
inline constexpr int64_t MaxInflatedSize(size_t compressedSize) {
    return static_cast<int64_t>(compressedSize) * 1032 + 64;
}

}  // namespace korvel::frametext
