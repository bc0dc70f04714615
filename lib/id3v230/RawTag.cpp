#include "id3v230/RawTag.h"

#include <zlib.h>

#include <algorithm>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameText.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

namespace {

bool IsFrameIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

}  // namespace

void RawTag::PutSyncsafe(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>((value >> 21) & 0x7F));
    out.push_back(static_cast<uint8_t>((value >> 14) & 0x7F));
    out.push_back(static_cast<uint8_t>((value >> 7) & 0x7F));
    out.push_back(static_cast<uint8_t>(value & 0x7F));
}

uint32_t RawTag::GetSyncsafe(const uint8_t* bytes) {
    return (uint32_t{bytes[0] & 0x7Fu} << 21) | (uint32_t{bytes[1] & 0x7Fu} << 14) |
           (uint32_t{bytes[2] & 0x7Fu} << 7) | uint32_t{bytes[3] & 0x7Fu};
}

RawTag::Leading RawTag::ReadLeading(const BinaryFile& file) {
    Leading tag;
    Bytes head = file.ReadAt(0, 10);
    if (head.size() < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return tag;
    if (head[3] == 0xFF || head[4] == 0xFF) return tag;
    for (size_t i = 6; i < 10; ++i) {
        if (head[i] >= 0x80) return tag;
    }
    tag.present = true;
    tag.major = head[3];
    tag.revision = head[4];
    tag.flags = head[5];
    int64_t extent = 10 + int64_t{GetSyncsafe(&head[6])};
    if (tag.major >= 4 && (tag.flags & 0x10) != 0) extent += 10;  // footer
    tag.extent = std::min(extent, file.Length());
    return tag;
}

std::vector<RawTag::Frame> RawTag::ParseV23Frames(const Bytes& tag, bool* complete) {
    std::vector<Frame> frames;
    if (complete != nullptr) *complete = true;
    if (tag.size() < 10) return frames;
    size_t bodySize = std::min<size_t>(GetSyncsafe(&tag[6]), tag.size() - 10);
    Bytes body(tag.begin() + 10, tag.begin() + 10 + static_cast<std::ptrdiff_t>(bodySize));
    uint8_t flags = tag[5];
    if ((flags & 0x80) != 0 && !body.empty()) {
        Bytes plain;
        if (RemoveUnsynchronisation(body, plain)) body = std::move(plain);
    }
    size_t pos = 0;
    if ((flags & 0x40) != 0) {
        // Extended header: a 4-byte size that does not count itself.
        if (body.size() < 4) return frames;
        pos = 4 + static_cast<size_t>(BigEndian32(body.data()));
    }
    while (pos + 10 <= body.size()) {
        const uint8_t* header = &body[pos];
        if (header[0] == 0) break;  // padding
        if (!IsFrameIdChar(header[0]) || !IsFrameIdChar(header[1]) || !IsFrameIdChar(header[2]) ||
            !IsFrameIdChar(header[3])) {
            break;
        }
        uint32_t size = BigEndian32(header + 4);
        if (size > body.size() - pos - 10) {
            if (complete != nullptr) *complete = false;
            break;
        }
        if (size > 0) {
            Frame frame;
            frame.id.assign(reinterpret_cast<const char*>(header), 4);
            frame.record.assign(header, header + 10 + size);
            frames.push_back(std::move(frame));
        }
        pos += 10 + size;
    }
    return frames;
}

namespace {

// The data inflated, when it inflates to exactly expected bytes.
bool InflateExactly(const uint8_t* data, size_t size, uint32_t expected, Bytes& out) {
    constexpr uint32_t kLimit = 64u << 20;
    if (expected == 0 || expected > kLimit) return false;
    // A size the data cannot inflate to is refused before anything is
    // allocated for it.
    if (int64_t{expected} > frametext::MaxInflatedSize(size)) return false;
    out.assign(size_t{expected} + 1, 0);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&stream, Z_FINISH);
    bool ok = rc == Z_STREAM_END && stream.total_out == expected;
    inflateEnd(&stream);
    out.resize(expected);
    return ok;
}

}  // namespace

std::string RawTag::UnsafeForLibrary(const Bytes& tag) {
    if (tag.size() < 10) return "";
    uint8_t major = tag[3];
    uint8_t flags = tag[5];
    if (major == 2) return (flags & 0x40) != 0 ? "The ID3v2.2 tag is compressed." : "";
    if (major != 4) return "";
    size_t bodySize = std::min<size_t>(GetSyncsafe(&tag[6]), tag.size() - 10);
    const uint8_t* body = tag.data() + 10;
    size_t pos = 0;
    if ((flags & 0x40) != 0 && bodySize >= 4) pos = GetSyncsafe(body);
    // id3lib is given the tag only when every frame up to the padding is a
    // well-formed record that is not compressed.
    while (pos + 10 <= bodySize) {
        const uint8_t* header = body + pos;
        if (header[0] == 0) break;
        for (size_t i = 0; i < 4; ++i) {
            if (!IsFrameIdChar(header[i])) return "The tag holds a damaged frame.";
        }
        uint32_t size = GetSyncsafe(header + 4);
        if ((header[9] & 0x08) != 0) return "The frame " + AnsiToUtf8(header, 4) + " is compressed.";
        if (size > bodySize - pos - 10) return "The frame " + AnsiToUtf8(header, 4) + " runs past the tag.";
        pos += 10 + size;
    }
    return "";
}

bool RawTag::HasFrameExtras(const Frame& frame) {
    return frame.record.size() >= 10 && (frame.record[9] & 0xE0) != 0;
}

bool RawTag::ForLibrary(const Frame& frame, Frame& plain) {
    plain = frame;
    if (!HasFrameExtras(frame)) return true;
    uint8_t format = frame.record[9];
    if ((format & 0x40) != 0) return false;  // encrypted
    const uint8_t* data = frame.record.data() + 10;
    size_t size = frame.record.size() - 10;
    size_t skip = ((format & 0x80) != 0 ? 4 : 0) + ((format & 0x20) != 0 ? 1 : 0);
    if (size < skip) return false;
    Bytes content;
    if ((format & 0x80) != 0) {
        if (!InflateExactly(data + skip, size - skip, BigEndian32(data), content)) return false;
    } else {
        content.assign(data + skip, data + size);
    }
    plain.record.assign(frame.record.begin(), frame.record.begin() + 10);
    uint32_t length = static_cast<uint32_t>(content.size());
    plain.record[4] = static_cast<uint8_t>(length >> 24);
    plain.record[5] = static_cast<uint8_t>(length >> 16);
    plain.record[6] = static_cast<uint8_t>(length >> 8);
    plain.record[7] = static_cast<uint8_t>(length);
    plain.record[9] = static_cast<uint8_t>(format & 0x1F);
    plain.record.insert(plain.record.end(), content.begin(), content.end());
    return true;
}

Bytes RawTag::BuildV23Tag(const std::vector<Bytes>& records, size_t padding) {
    if (records.empty()) return {};
    size_t body = padding;
    for (const Bytes& record : records) body += record.size();
    if (body > kMaxBodySize) {
        throw KorvelException("RawTag::BuildV23Tag", "The tag is larger than an ID3v2 tag can be.");
    }
    Bytes tag = {'I', 'D', '3', 3, 0, 0};
    PutSyncsafe(tag, static_cast<uint32_t>(body));
    tag.reserve(10 + body);
    for (const Bytes& record : records) tag.insert(tag.end(), record.begin(), record.end());
    tag.resize(10 + body, 0);
    return tag;
}

}  // namespace korvel
