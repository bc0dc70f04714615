#pragma once
// Builds ID3v2 tags and MP3-like files byte by byte for the tests.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Types.h"

namespace korvel::test {

// An ID3v2.3 frame record: identifier, big-endian size, flags, data.
Bytes Frame23(const std::string& id, const Bytes& data, uint16_t flags = 0);

// A text frame's data: encoding 0 with Windows-1252 bytes of UTF-8 text.
Bytes Latin1Text(const std::string& text);
// A text frame's data: encoding 1, byte-order mark and UTF-16 of UTF-8 text.
Bytes Utf16Text(const std::string& text, bool bigEndian = false);

// An ID3v2 tag with the given major version around the frame records,
// followed by padding zero bytes.
Bytes Tag(uint8_t major, const std::vector<Bytes>& frames, size_t padding = 0, uint8_t flags = 0);
inline Bytes Tag23(const std::vector<Bytes>& frames, size_t padding = 0) { return Tag(3, frames, padding); }

// count MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz) with varying content.
Bytes MpegAudio(size_t count = 8);

// The 128-byte ID3v1 record with a title.
Bytes ID3v1Record(const std::string& title);

// A small valid PNG (2x2 pixels) and a small valid JPEG image; variant
// changes the pixel colours, so that two images differ.
Bytes PngImage(uint8_t variant = 0);
Bytes JpegImage();

}  // namespace korvel::test
