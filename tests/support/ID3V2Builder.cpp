#include "support/ID3V2Builder.h"

#include <zlib.h>

#include <stdexcept>

#include "core/Ansi.h"
#include "support/TestSupport.h"

namespace korvel::test {

namespace {

void PngChunk(Bytes& out, const char* type, const Bytes& data) {
    const Bytes typed = Concat({Bytes(type, type + 4), data});
    const auto crc = static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size())));
    out = Concat({out, BigEndian32(static_cast<uint32_t>(data.size())), typed, BigEndian32(crc)});
}

}  // namespace

Bytes BigEndian32(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

Bytes Syncsafe32(uint32_t v) {
    return {static_cast<uint8_t>((v >> 21) & 0x7F), static_cast<uint8_t>((v >> 14) & 0x7F),
            static_cast<uint8_t>((v >> 7) & 0x7F), static_cast<uint8_t>(v & 0x7F)};
}

Bytes Frame22(const std::string& id, const Bytes& data) {
    const auto n = static_cast<uint32_t>(data.size());
    return Concat({B(id), {static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(n)},
                   data});
}

Bytes Frame23(const std::string& id, const Bytes& data, uint8_t statusFlags, uint8_t formatFlags) {
    return Concat({B(id), BigEndian32(static_cast<uint32_t>(data.size())),
                   {statusFlags, formatFlags}, data});
}

Bytes Frame24(const std::string& id, const Bytes& data, uint8_t statusFlags, uint8_t formatFlags) {
    return Concat({B(id), Syncsafe32(static_cast<uint32_t>(data.size())),
                   {statusFlags, formatFlags}, data});
}

Bytes Frame(uint8_t major, const std::string& id, const Bytes& data, uint8_t statusFlags,
            uint8_t formatFlags) {
    switch (major) {
        case 2: return Frame22(id, data);
        case 4: return Frame24(id, data, statusFlags, formatFlags);
        default: return Frame23(id, data, statusFlags, formatFlags);
    }
}

Bytes Text(uint8_t encoding, const Bytes& bytes) { return Concat({{encoding}, bytes}); }

Bytes Latin1(const std::string& text) { return Text(0, B(text)); }

Bytes Utf16Bom(const std::u16string& text) {
    Bytes out{0xFF, 0xFE};
    for (char16_t u : text) {
        out.push_back(static_cast<uint8_t>(u & 0xFF));
        out.push_back(static_cast<uint8_t>(u >> 8));
    }
    return out;
}

Bytes Latin1Text(const std::string& text) { return Text(0, Utf8ToAnsiBytes(text)); }

Bytes Utf16Text(const std::string& text, bool bigEndian) {
    Bytes out{1};
    out.push_back(bigEndian ? 0xFE : 0xFF);
    out.push_back(bigEndian ? 0xFF : 0xFE);
    for (char16_t c : Utf8ToUtf16(text)) {
        uint8_t hi = static_cast<uint8_t>(c >> 8), lo = static_cast<uint8_t>(c);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

Bytes CommData(const std::string& language, const std::string& description, const std::string& text) {
    return Concat({{0}, B(language), B(description), {0}, B(text)});
}

Bytes Tag(uint8_t major, const Bytes& frames, const TagLayout& layout) {
    uint8_t flags = layout.Flags;
    if (layout.Unsynchronise) flags |= 0x80;
    if (!layout.ExtendedHeader.empty()) flags |= 0x40;
    if (layout.Footer) flags |= 0x10;
    Bytes body = Concat({layout.ExtendedHeader, frames});
    if (layout.Unsynchronise) body = Unsynchronise(body);
    const auto size = static_cast<uint32_t>(body.size() + layout.Padding);
    const Bytes header = Concat({{major, 0, flags}, Syncsafe32(size)});
    return Concat({B("ID3"), header, body, Bytes(layout.Padding, 0),
                   layout.Footer ? Concat({B("3DI"), header}) : Bytes{}});
}

Bytes Tag(uint8_t major, const Bytes& frames, uint8_t flags, size_t padding) {
    TagLayout layout;
    layout.Flags = flags;
    layout.Padding = padding;
    return Tag(major, frames, layout);
}

Bytes Unsynchronise(const Bytes& data) {
    Bytes out;
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && (i + 1 == data.size() || data[i + 1] == 0 || data[i + 1] >= 0xE0)) {
            out.push_back(0);
        }
    }
    return out;
}

Bytes Zlib(const Bytes& data) {
    uLongf size = compressBound(data.size());
    Bytes out(size);
    if (compress(out.data(), &size, data.data(), data.size()) != Z_OK) {
        throw std::runtime_error("compress failed");
    }
    out.resize(size);
    return out;
}

Bytes TinyBmp() {
    Bytes b = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
               40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,
               0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes row = {0, 0, 255, 255, 0, 0, 0, 0};  // red, blue, row padding
    b.insert(b.end(), row.begin(), row.end());
    return b;
}

Bytes PngImage(uint8_t variant) {
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const Bytes header = Concat({BigEndian32(2), BigEndian32(2), {8, 2, 0, 0, 0}});  // 8-bit RGB
    PngChunk(out, "IHDR", header);
    Bytes raw;
    for (int row = 0; row < 2; ++row) {
        raw.push_back(0);  // no filter
        for (int px = 0; px < 2; ++px) {
            raw.push_back(static_cast<uint8_t>(variant + row * 40));
            raw.push_back(static_cast<uint8_t>(200 - px * 50));
            raw.push_back(static_cast<uint8_t>(variant * 3));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    return out;
}

Bytes JpegImage() {
    // A baseline 1x1 grey JPEG.
    static const uint8_t kJpeg[] = {
        0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
        0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x08, 0x06, 0x06, 0x07, 0x06, 0x05, 0x08,
        0x07, 0x07, 0x07, 0x09, 0x09, 0x08, 0x0A, 0x0C, 0x14, 0x0D, 0x0C, 0x0B, 0x0B, 0x0C, 0x19, 0x12,
        0x13, 0x0F, 0x14, 0x1D, 0x1A, 0x1F, 0x1E, 0x1D, 0x1A, 0x1C, 0x1C, 0x20, 0x24, 0x2E, 0x27, 0x20,
        0x22, 0x2C, 0x23, 0x1C, 0x1C, 0x28, 0x37, 0x29, 0x2C, 0x30, 0x31, 0x34, 0x34, 0x34, 0x1F, 0x27,
        0x39, 0x3D, 0x38, 0x32, 0x3C, 0x2E, 0x33, 0x34, 0x32, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x01,
        0x00, 0x01, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x1F, 0x00, 0x00, 0x01, 0x05, 0x01, 0x01,
        0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04,
        0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0xFF, 0xC4, 0x00, 0xB5, 0x10, 0x00, 0x02, 0x01, 0x03,
        0x03, 0x02, 0x04, 0x03, 0x05, 0x05, 0x04, 0x04, 0x00, 0x00, 0x01, 0x7D, 0x01, 0x02, 0x03, 0x00,
        0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71, 0x14, 0x32,
        0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52, 0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72,
        0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35,
        0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55,
        0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75,
        0x76, 0x77, 0x78, 0x79, 0x7A, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94,
        0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2,
        0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,
        0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6,
        0xE7, 0xE8, 0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFF, 0xDA,
        0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0xFB, 0xD3, 0xFF, 0xD9};
    return Bytes(std::begin(kJpeg), std::end(kJpeg));
}

}  // namespace korvel::test
