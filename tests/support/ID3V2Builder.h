#pragma once
// Builds ID3v2 tags byte by byte for tests: frames of versions 2.2, 2.3 and
// 2.4, the tag around them (flags, extended header, padding,
// unsynchronisation, footer), frame data, zlib streams and small images.
// Audio, MPEG frames and ID3v1 records: Mp3Builder.h.
//
//     Tag(3, Concat({Frame23("TIT2", Latin1("Title")),
//                    Frame23("COMM", CommData("eng", "", "A comment"))}), 0, 100)
//     TagLayout layout;
//     layout.Unsynchronise = layout.Footer = true;
//     Tag(4, frames, layout)
#include <cstdint>
#include <memory>
#include <string>

#include "core/BinaryFile.h"
#include "core/Types.h"
#include "id3v2/ID3V2Helpers.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

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
// The frame record of the tag version (2, 3 or 4); 2.2 frames have no flags.
Bytes Frame(uint8_t major, const std::string& id, const Bytes& data, uint8_t statusFlags = 0,
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

// The data of a COMM or USLT frame: encoding 0, language, description, a
// zero byte and the text, all bytes as given.
Bytes CommData(const std::string& language, const std::string& description,
               const std::string& text);

// What a tag holds besides its frames. The flags are written as given, plus
// 0x80 for Unsynchronise, 0x40 for an extended header and 0x10 for Footer.
struct TagLayout {
    uint8_t Flags = 0;
    size_t Padding = 0;          // zero bytes after the frames
    Bytes ExtendedHeader;        // before the frames, with its own size field
    bool Unsynchronise = false;  // extended header and frames stored unsynchronised
    bool Footer = false;         // the header again with "3DI", after the padding
};

// "ID3", version, revision 0, flags and the syncsafe size, then the
// extended header, the frames and the padding (all counted in the size),
// then the footer.
Bytes Tag(uint8_t major, const Bytes& frames, const TagLayout& layout);
Bytes Tag(uint8_t major, const Bytes& frames, uint8_t flags = 0, size_t padding = 0);

// Inserts a zero byte after every FF that is followed by 0x00 or a byte of
// the form 111xxxxx, and after a final FF.
Bytes Unsynchronise(const Bytes& data);

// The zlib stream of the data.
Bytes Zlib(const Bytes& data);

// A decodable BMP image of 2 x 1 pixels, red and blue.
Bytes TinyBmp();

// A small valid PNG (2x2 pixels) and a small valid JPEG image; variant
// changes the pixel colours, so that two images differ.
Bytes PngImage(uint8_t variant = 0);
Bytes JpegImage();

// A reader (ID3V22Tag, ID3V23Tag or ID3V24Tag) loaded from a file holding
// `bytes`, which start with the tag; null when the load fails.
template <typename Reader>
std::shared_ptr<Reader> LoadReader(const Bytes& bytes) {
    TempDir dir;
    WriteFile(dir.File("t.mp3"), bytes);
    BinaryFile file(dir.File("t.mp3"));
    auto reader = std::make_shared<Reader>();
    if (!reader->LoadFromFile(file, file.Length(), 1, ID3V2Header::FromBytes(bytes))) return nullptr;
    return reader;
}

// A reader loaded from a tag of the frames (version, padding and flags as
// given) in front of 100 bytes of stand-in audio.
template <typename Reader>
std::shared_ptr<Reader> LoadTagFrames(uint8_t major, const Bytes& frames, size_t padding = 0,
                                      uint8_t flags = 0) {
    return LoadReader<Reader>(Concat({Tag(major, frames, flags, padding), FakeAudio(100)}));
}

// The text of the only frame of such a tag; "<load failed>" when the tag
// does not load or holds another number of frames.
template <typename Reader>
std::string OnlyFrameText(uint8_t major, const Bytes& frame) {
    const std::shared_ptr<Reader> reader = LoadTagFrames<Reader>(major, frame);
    if (!reader || reader->FrameCount() != 1) return "<load failed>";
    return reader->GetFrameByIndex(1)->TextData();
}

}  // namespace korvel::test
