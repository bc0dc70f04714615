#include "support/ID3V2Builder.h"

#include <zlib.h>

#include <stdexcept>

#include "support/TestSupport.h"

namespace korvel::test {

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

Bytes Tag(uint8_t major, const Bytes& body, uint8_t flags, size_t padding) {
    const auto size = static_cast<uint32_t>(body.size() + padding);
    return Concat({B("ID3"), {major, 0, flags}, Syncsafe32(size), body, Bytes(padding, 0)});
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
    auto le32 = [](uint32_t v) {
        return Bytes{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                     static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    };
    return Concat({B("BM"), le32(58), le32(0), le32(54), le32(40), le32(1), le32(1),
                   {1, 0, 24, 0}, le32(0), le32(4), le32(2835), le32(2835), le32(0), le32(0),
                   {0x20, 0x40, 0xE0, 0}});
}

Bytes FakeAudio(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(0x21 + i % 90);
    return out;
}

}  // namespace korvel::test
