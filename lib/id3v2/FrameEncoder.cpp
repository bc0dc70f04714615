#include "id3v2/FrameEncoder.h"

#include <algorithm>

#include "core/Ansi.h"
#include "core/ByteOrder.h"
#include "errors/KorvelException.h"

namespace korvel {

namespace {

constexpr const char* kSource = "EncodeFrameData";

// Largest frame data a syncsafe size field can describe.
constexpr size_t kMaxFrameData = 0x0FFFFFFF;

bool IsLatin1(char32_t c) { return c < 0x80 || (c >= 0xA0 && c <= 0xFF); }

// Text as Latin-1 bytes; '?' for a character Latin-1 does not hold.
void AppendLatin1(Bytes& out, std::string_view text) {
    for (char32_t c : Utf8ToUtf32(text)) out.push_back(c <= 0xFF ? static_cast<uint8_t>(c) : '?');
}

// Writes the strings of one frame in its text encoding.
class StringWriter {
public:
    StringWriter(Bytes& out, uint8_t encoding, bool exact = false)
        : m_out(out), m_encoding(encoding), m_exact(exact) {}

    // A string in the frame's encoding, without terminator.
    void Text(std::string_view text) {
        if (!EncodingHolds(m_encoding, text)) {
            throw KorvelException(kSource, "The text encoding " + std::to_string(m_encoding) +
                                               " cannot hold the text \"" + std::string(text) + "\".");
        }
        switch (m_encoding) {
            case kEncodingLatin1: AppendLatin1(m_out, text); break;
            case kEncodingUtf16:
                m_out.push_back(0xFF);
                m_out.push_back(0xFE);
                for (char16_t unit : Utf8ToUtf16(text)) {
                    m_out.push_back(static_cast<uint8_t>(unit & 0xFF));
                    m_out.push_back(static_cast<uint8_t>(unit >> 8));
                }
                break;
            case kEncodingUtf16BE:
                for (char16_t unit : Utf8ToUtf16(text)) {
                    m_out.push_back(static_cast<uint8_t>(unit >> 8));
                    m_out.push_back(static_cast<uint8_t>(unit & 0xFF));
                }
                break;
            default: {
                // Re-encoding replaces malformed sequences by U+FFFD.
                const std::string utf8 = Utf32ToUtf8(Utf8ToUtf32(text));
                m_out.insert(m_out.end(), utf8.begin(), utf8.end());
                break;
            }
        }
    }
    void Terminator() {
        m_out.push_back(0);
        if (m_encoding == kEncodingUtf16 || m_encoding == kEncodingUtf16BE) m_out.push_back(0);
    }
    // A string and its terminator.
    void Terminated(std::string_view text) {
        Text(text);
        Terminator();
    }
    // Strings separated (not ended) by terminators.
    void Separated(const std::vector<std::string>& values) {
        for (size_t i = 0; i < values.size(); ++i) {
            if (i > 0) Terminator();
            Text(values[i]);
        }
    }
    // The values of a text frame: separated by terminators in version 2.4,
    // joined by "/" in version 2.3, which knows one string only.
    void Values(const std::vector<std::string>& values, int version) {
        if (version >= 4 || m_exact) {
            Separated(values);
            return;
        }
        std::string joined;
        for (size_t i = 0; i < values.size(); ++i) joined += (i > 0 ? "/" : "") + values[i];
        Text(joined);
    }

private:
    Bytes& m_out;
    uint8_t m_encoding;
    bool m_exact;
};

void AppendLatin1Terminated(Bytes& out, std::string_view text) {
    AppendLatin1(out, text);
    out.push_back(0);
}

void AppendLanguage(Bytes& out, const std::string& language, bool exact) {
    const bool valid = language.size() == 3 &&
                       std::all_of(language.begin(), language.end(), [](char c) { return c > 0x20 && c < 0x7F; });
    if (valid || !exact) {
        const std::string written = valid ? language : "XXX";
        out.insert(out.end(), written.begin(), written.end());
        return;
    }
    Bytes bytes;
    AppendLatin1(bytes, language);
    bytes.resize(3, 0);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A counter in four bytes, or as many more as it needs.
void AppendCounter(Bytes& out, uint64_t counter) {
    size_t bytes = 4;
    while (bytes < 8 && (counter >> (8 * bytes)) != 0) ++bytes;
    AppendBigEndian(out, counter, bytes);
}

void AppendBytes(Bytes& out, std::span<const uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

bool IsFrameId(const std::string& id) {
    return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// Every text of a content that is written in its encoding.
std::vector<std::string_view> EncodedTexts(const FrameContent& content) {
    std::vector<std::string_view> texts(content.values.begin(), content.values.end());
    texts.push_back(content.description);
    texts.push_back(content.fileName);
    for (const auto& [role, name] : content.people) {
        texts.push_back(role);
        texts.push_back(name);
    }
    for (const SyncedLine& line : content.lines) texts.push_back(line.text);
    return texts;
}

}  // namespace

bool EncodingAllowed(uint8_t encoding, int version) {
    return encoding <= kEncodingUtf16 || (version >= 4 && encoding <= kEncodingUtf8);
}

bool EncodingHolds(uint8_t encoding, std::string_view text) {
    if (encoding != kEncodingLatin1) return true;
    const std::u32string characters = Utf8ToUtf32(text);
    return std::all_of(characters.begin(), characters.end(), IsLatin1);
}

uint8_t ChooseEncoding(const FrameContent& content, int version, uint8_t preferred) {
    if (EncodingAllowed(preferred, version)) {
        const std::vector<std::string_view> texts = EncodedTexts(content);
        if (std::all_of(texts.begin(), texts.end(),
                        [&](std::string_view text) { return EncodingHolds(preferred, text); })) {
            return preferred;
        }
    }
    return version >= 4 ? kEncodingUtf8 : kEncodingUtf16;
}

namespace {

Bytes EncodeData(const std::string& id, const FrameContent& content, int version, bool exact) {
    if (content.kind == FrameKind::Unreadable) {
        throw KorvelException(kSource, "The frame " + id + " cannot be written: its content is unknown.");
    }
    const bool encoded = content.kind != FrameKind::Url && content.kind != FrameKind::Counter &&
                         content.kind != FrameKind::Popularimeter && content.kind != FrameKind::Owner &&
                         content.kind != FrameKind::Binary;
    if (encoded && !EncodingAllowed(content.encoding, version)) {
        throw KorvelException(kSource, "ID3v2." + std::to_string(version) + " frames have no text encoding " +
                                           std::to_string(content.encoding) + ".");
    }
    Bytes out;
    if (encoded) out.push_back(content.encoding);
    StringWriter text(out, content.encoding, exact);
    switch (content.kind) {
        case FrameKind::Text: text.Values(content.values, version); break;
        case FrameKind::UserText:
            text.Terminated(content.description);
            text.Values(content.values, version);
            break;
        case FrameKind::Url: AppendLatin1(out, content.url); break;
        case FrameKind::UserUrl:
            text.Terminated(content.description);
            AppendLatin1(out, content.url);
            break;
        case FrameKind::Comment:
            AppendLanguage(out, content.language, exact);
            text.Terminated(content.description);
            text.Separated(content.values);
            break;
        case FrameKind::People: {
            std::vector<std::string> strings;
            for (const auto& [role, name] : content.people) {
                strings.push_back(role);
                strings.push_back(name);
            }
            text.Separated(strings);
            break;
        }
        case FrameKind::SyncedLyrics:
            AppendLanguage(out, content.language, exact);
            out.push_back(content.timestampFormat);
            out.push_back(content.contentType);
            text.Terminated(content.description);
            for (const SyncedLine& line : content.lines) {
                text.Terminated(line.text);
                AppendBigEndian(out, line.time, 4);
            }
            break;
        case FrameKind::Picture:
            AppendLatin1Terminated(out, content.mime);
            out.push_back(content.pictureType);
            text.Terminated(content.description);
            AppendBytes(out, content.data);
            break;
        case FrameKind::Counter: AppendCounter(out, content.counter); break;
        case FrameKind::Popularimeter:
            AppendLatin1Terminated(out, content.email);
            out.push_back(content.rating);
            if (content.hasCounter) AppendCounter(out, content.counter);
            break;
        case FrameKind::Owner:
            AppendLatin1Terminated(out, content.owner);
            AppendBytes(out, content.data);
            break;
        case FrameKind::Object:
            AppendLatin1Terminated(out, content.mime);
            text.Terminated(content.fileName);
            text.Terminated(content.description);
            AppendBytes(out, content.data);
            break;
        case FrameKind::Binary:
        case FrameKind::Unreadable: AppendBytes(out, content.data); break;
    }
    return out;
}

}  // namespace

Bytes EncodeFrameData(const std::string& id, const FrameContent& content, int version) {
    return EncodeData(id, content, version, false);
}

Bytes EncodeFrameData(const std::string& id, const FrameContent& content, int version, ExactEncoding) {
    return EncodeData(id, content, version, true);
}

Bytes EncodeFrameRecord(const std::string& id, std::span<const uint8_t> data, int version, uint8_t statusFlags,
                        int group) {
    if (!IsFrameId(id)) throw KorvelException("EncodeFrameRecord", "\"" + id + "\" is not a frame ID.");
    const bool grouped = group >= 0 && group <= 0xFF;
    const size_t size = data.size() + (grouped ? 1 : 0);
    if (size > kMaxFrameData) {
        throw KorvelException("EncodeFrameRecord", "The frame " + id + " is larger than a frame can be.");
    }
    Bytes record(id.begin(), id.end());
    record.reserve(10 + size);
    if (version >= 4) {
        AppendSyncsafe32(record, static_cast<uint32_t>(size));
    } else {
        AppendBigEndian(record, size, 4);
    }
    record.push_back(statusFlags);
    record.push_back(grouped ? (version >= 4 ? 0x40 : 0x20) : 0);
    if (grouped) record.push_back(static_cast<uint8_t>(group));
    AppendBytes(record, data);
    return record;
}

Bytes EncodeFrame(const std::string& id, const FrameContent& content, int version) {
    return EncodeFrameRecord(id, EncodeFrameData(id, content, version), version);
}

FrameRecord MakeFrameRecord(Bytes bytes, int version) {
    auto owned = std::make_shared<const Bytes>(std::move(bytes));
    FrameRecord record;
    const std::span<const uint8_t> stored(*owned);
    if (stored.size() < 10) throw KorvelException("MakeFrameRecord", "A frame record is at least 10 bytes long.");
    record.id.assign(stored.begin(), stored.begin() + 4);
    record.statusFlags = stored[8];
    record.formatFlags = stored[9];
    record.stored = stored;
    const uint8_t groupFlag = version >= 4 ? 0x40 : 0x20;
    size_t appended = 0;
    if ((record.formatFlags & groupFlag) != 0 && stored.size() > 10) {
        record.group = stored[10];
        appended = 1;
    }
    record.data = stored.subspan(10 + appended);
    record.owned = std::move(owned);
    return record;
}

bool ConvertFrame22(const FrameRecord& frame, Bytes& record23) {
    const std::string id = frame.id.size() == 3 ? FrameIdOf22(frame.id) : "";
    if (id.empty() || !frame.readable) return false;
    const std::span<const uint8_t> data = frame.data;
    Bytes converted;
    if (id == "APIC" && data.size() >= 4) {
        // Encoding, three-letter image format, then as in version 2.3.
        const std::string format(data.begin() + 1, data.begin() + 4);
        converted.push_back(data[0]);
        AppendLatin1Terminated(converted, format == "-->" ? format : MimeOfImageFormat(format));
        converted.insert(converted.end(), data.begin() + 4, data.end());
    } else if (id == "LINK") {
        // The linked frame's three-character ID, then the URL and the rest.
        const std::string linked = data.size() >= 3 ? FrameIdOf22(std::string(data.begin(), data.begin() + 3)) : "";
        if (linked.empty()) return false;
        converted.assign(linked.begin(), linked.end());
        converted.insert(converted.end(), data.begin() + 3, data.end());
    } else {
        converted.assign(data.begin(), data.end());
    }
    record23 = EncodeFrameRecord(id, converted, 3);
    return true;
}

}  // namespace korvel
