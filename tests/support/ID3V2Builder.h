#pragma once
// Builds ID3v2 tags and MP3-like files byte by byte for tests: frames of
// versions 2.2, 2.3 and 2.4, tag headers, unsynchronisation, zlib streams,
// stand-in audio, MPEG frames and small images (ID3v1 records: Mp3Builder.h).
#include <cstdint>
#include <string>
#include <vector>

#include "core/Types.h"

namespace korvel::test {

// Four bytes, most significant first: plain and seven bits per byte.
Bytes BigEndian32(uint32_t value);
Bytes Syncsafe32(uint32_t value);

// One frame record. The data includes any appended header bytes (group,
// encryption, decompressed size or data length indicator).
Bytes Frame22(const std::string& id, const Bytes& data);
Bytes Frame23(const std::string& id, const Bytes& data, uint8_t statusFlags = 0,
              uint8_t formatFlags = 0);
Bytes Frame24(const std::string& id, const Bytes& data, uint8_t statusFlags = 0,
              uint8_t formatFlags = 0);

// A text frame's data: the encoding byte followed by the bytes.
Bytes Text(uint8_t encoding, const Bytes& bytes);
Bytes Latin1(const std::string& text);          // encoding 0
Bytes Utf16Bom(const std::u16string& text);     // FF FE + little-endian units
// Encoding 0 with the Windows-1252 bytes of UTF-8 text (Latin1 takes the
// string's bytes as they are).
Bytes Latin1Text(const std::string& text);
// Encoding 1, byte-order mark and UTF-16 of UTF-8 text.
Bytes Utf16Text(const std::string& text, bool bigEndian = false);

// "ID3", version, revision 0, flags and the syncsafe size of the body,
// followed by the body and `padding` zero bytes (counted in the size).
Bytes Tag(uint8_t major, const Bytes& body, uint8_t flags = 0, size_t padding = 0);
// A version 2.3 tag without flags around the frame records.
Bytes Tag23(const std::vector<Bytes>& frames, size_t padding = 0);

// Inserts a zero byte after every FF that is followed by 0x00 or a byte of
// the form 111xxxxx, and after a final FF.
Bytes Unsynchronise(const Bytes& data);

// The zlib stream of the data.
Bytes Zlib(const Bytes& data);

// A decodable 1x1 BMP image.
Bytes TinyBmp();

// Bytes that stand in for audio behind a tag (no zero bytes, no FF).
Bytes FakeAudio(size_t size);

// count MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz) with varying content.
Bytes MpegAudio(size_t count = 8);

// A small valid PNG (2x2 pixels) and a small valid JPEG image; variant
// changes the pixel colours, so that two images differ.
Bytes PngImage(uint8_t variant = 0);
Bytes JpegImage();

}  // namespace korvel::test
