#include "id3v2/FrameText.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "core/Ansi.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel::frametext {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool IsWideEncoding(uint8_t encoding) { return encoding == 1 || encoding == 2; }

// Index of the first byte after the string that starts at `from`: one zero
// byte ends it, or for UTF-16 two zero bytes at an even distance from
// `from`. kNone when the data holds no terminator.
size_t AfterTerminator(const Bytes& data, size_t from, uint8_t encoding) {
    if (IsWideEncoding(encoding)) {
        for (size_t i = from; i + 1 < data.size(); i += 2) {
            if (data[i] == 0 && data[i + 1] == 0) return i + 2;
        }
        return kNone;
    }
    for (size_t i = from; i < data.size(); ++i) {
        if (data[i] == 0) return i + 1;
    }
    return kNone;
}

Bytes After(const Bytes& data, size_t start) {
    if (start == kNone) return data;
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(std::min(start, data.size())),
                 data.end());
}

std::string DecodeUtf8(const Bytes& data, size_t from) {
    if (from >= data.size()) return "";
    std::string_view raw(reinterpret_cast<const char*>(data.data()) + from, data.size() - from);
    // Re-encoding replaces malformed sequences by U+FFFD.
    return Utf32ToUtf8(Utf8ToUtf32(raw));
}

std::string AnsiFrom(const Bytes& data, size_t from) {
    if (from >= data.size()) return "";
    return AnsiToUtf8(data.data() + from, data.size() - from);
}

// The whole data as Windows-1252 without the characters U+0000 to U+0002.
std::string AnsiWithoutControls(const Bytes& data) { return AnsiToUtf8Keeping(data.data(), data.size(), 3); }

}  // namespace

Bytes RemoveHeader(const std::string& id, const Bytes& data) {
    const uint8_t encoding = data.empty() ? 0 : data[0];
    if (id == "APIC") {
        // The MIME type is always single-byte text.
        const size_t afterMime = AfterTerminator(data, 1, 0);
        // The description starts behind the picture-type byte.
        const size_t descriptionStart = afterMime == kNone ? 1 : afterMime + 1;
        return After(data, AfterTerminator(data, descriptionStart, encoding));
    }
    if (id == "COMM" || id == "USLT") return After(data, AfterTerminator(data, 4, encoding));
    if (id == "SYLT") return After(data, AfterTerminator(data, 6, encoding));
    if (id == "WXXX") return After(data, AfterTerminator(data, 1, encoding));
    return {};
}

std::string TextData(const std::string& id, const Bytes& data, bool encrypted) {
    if (!id.empty() && id[0] == 'T' && !encrypted) {
        if (data.empty()) return "";
        switch (data[0]) {
            case 0: return AnsiFrom(data, 1);
            case 1: return DecodeUtf16Bytes(data, 1, false);
            case 2: return DecodeUtf16Bytes(data, 1, true);
            case 3: return DecodeUtf8(data, 1);
            default: return "";
        }
    }
    if (encrypted) return "";
    if (id == "PCNT") {
        if (data.size() < 4) return "0";
        // The counter is unsigned.
        const uint32_t count = (uint32_t{data[0]} << 24) | (uint32_t{data[1]} << 16) |
                               (uint32_t{data[2]} << 8) | uint32_t{data[3]};
        return std::to_string(count);
    }
    if (id == "SYLT" || id == "USLT" || id == "COMM") {
        const uint8_t encoding = data.empty() ? 0 : data[0];
        switch (encoding) {
            case 0: return AnsiBytesToString(RemoveHeader(id, data));
            case 1: return UnicodeBytesToString(RemoveHeader(id, data));
            case 2: return DecodeUtf16Bytes(RemoveHeader(id, data), 0, true);
            case 3: return DecodeUtf8(RemoveHeader(id, data), 0);
            default: return AnsiWithoutControls(data);
        }
    }
    if (id == "APIC") return AnsiWithoutControls(data);
    return "";
}

bool InflateFrameData(Bytes& data, int32_t declaredSize) {
    if (declaredSize <= 0 || declaredSize > kMaxInflatedFrame) return false;
    Bytes inflated;
    if (!InflateBounded(data.data(), data.size(), static_cast<size_t>(declaredSize), inflated)) {
        return false;
    }
    data = std::move(inflated);
    return true;
}

std::string GenreText(const std::string& text) {
    if (text.empty() || text[0] != '(') return text;
    const size_t close = text.find(')', 1);
    return close == std::string::npos ? text : text.substr(close + 1);
}

std::string GenreIDText(const std::string& text) {
    if (text.empty() || text[0] != '(') return "";
    const size_t close = text.find(')', 1);
    return close == std::string::npos ? "" : text.substr(1, close - 1);
}

bool InflateBounded(const uint8_t* source, size_t sourceSize, size_t limit, Bytes& out) {
    out.clear();
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytes::value_type*>(source);
    size_t remaining = sourceSize;
    constexpr size_t kChunk = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK && out.size() < limit) {
        if (stream.avail_in == 0 && remaining > 0) {
            const size_t feed = std::min<size_t>(remaining, UINT_MAX);
            stream.avail_in = static_cast<uInt>(feed);
            remaining -= feed;
        }
        const size_t before = out.size();
        const size_t grow = std::min(kChunk, limit - before);
        out.resize(before + grow);
        stream.next_out = out.data() + before;
        stream.avail_out = static_cast<uInt>(grow);
        status = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + (grow - stream.avail_out));
        // No progress with input used up: the stream is truncated.
        if (status == Z_BUF_ERROR || (status == Z_OK && stream.avail_in == 0 && remaining == 0 &&
                                      stream.avail_out != 0)) {
            break;
        }
    }
    inflateEnd(&stream);
    return true;
}

}  // namespace korvel::frametext
