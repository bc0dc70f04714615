#include "id3v2/FrameContent.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/Ansi.h"
#include "core/ByteOrder.h"

namespace korvel {

namespace {

using Span = std::span<const uint8_t>;

bool IsWide(uint8_t encoding) { return encoding == 1 || encoding == 2; }

// The end of the string that starts at `from` (its terminator's position, or
// the end of the data) and, in `next`, where the data goes on behind the
// terminator. UTF-16 strings end at two zero bytes at an even distance.
size_t StringEnd(Span data, size_t from, uint8_t encoding, size_t& next) {
    if (IsWide(encoding)) {
        for (size_t i = from; i + 1 < data.size(); i += 2) {
            if (data[i] == 0 && data[i + 1] == 0) {
                next = i + 2;
                return i;
            }
        }
    } else {
        for (size_t i = from; i < data.size(); ++i) {
            if (data[i] == 0) {
                next = i + 1;
                return i;
            }
        }
    }
    next = data.size();
    return data.size();
}

// UTF-16 text; a byte-order mark sets the order (and stays out of the text),
// which then holds for the strings that follow.
std::string DecodeUtf16(Span bytes, bool& bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint8_t a = bytes[i];
        const uint8_t b = bytes[i + 1];
        if (a == 0xFF && b == 0xFE) {
            bigEndian = false;
        } else if (a == 0xFE && b == 0xFF) {
            bigEndian = true;
        } else {
            units += bigEndian ? static_cast<char16_t>((a << 8) | b) : static_cast<char16_t>((b << 8) | a);
        }
    }
    return Utf16ToUtf8(units);
}

std::string DecodeUtf8(Span bytes) {
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes = bytes.subspan(3);
    // Re-encoding replaces malformed sequences by U+FFFD.
    return Utf32ToUtf8(Utf8ToUtf32(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

// Reads the strings of one frame in its encoding.
class StringReader {
public:
    StringReader(Span data, size_t pos, uint8_t encoding, const CodePage& codePage)
        : m_data(data), m_pos(pos), m_encoding(encoding), m_codePage(codePage), m_bigEndian(encoding == 2) {}

    bool AtEnd() const { return m_pos >= m_data.size(); }
    size_t Position() const { return m_pos; }

    // The next string in the frame's encoding.
    std::string Next() { return Decode(Take(m_encoding), m_encoding); }
    // The next string in single-byte text whatever the frame's encoding
    // (MIME types, owners, e-mail addresses, URLs: Latin-1 by definition).
    std::string NextLatin() { return CodePage().Decode(Take(0)); }
    // Fixed-length single-byte text (a language, a picture format).
    std::string Fixed(size_t count) {
        Span bytes = Bytes(count);
        std::string text = CodePage().Decode(bytes);
        while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.pop_back();
        if (text.find('\0') != std::string::npos) return "";
        return text;
    }
    Span Bytes(size_t count) {
        const size_t from = std::min(m_pos, m_data.size());
        const size_t n = std::min(count, m_data.size() - from);
        m_pos = from + n;
        return m_data.subspan(from, n);
    }
    uint8_t Byte() {
        Span b = Bytes(1);
        return b.empty() ? 0 : b[0];
    }
    Span Rest() { return Bytes(m_data.size()); }

    // The remaining strings; empty ones at the end (extra terminators) are
    // dropped.
    std::vector<std::string> Values() {
        std::vector<std::string> values;
        while (!AtEnd()) values.push_back(Next());
        while (!values.empty() && values.back().empty()) values.pop_back();
        return values;
    }

private:
    Span Take(uint8_t encoding) {
        if (AtEnd()) return {};
        size_t next = 0;
        const size_t end = StringEnd(m_data, m_pos, encoding, next);
        Span string = m_data.subspan(m_pos, end - m_pos);
        m_pos = next;
        return string;
    }

    std::string Decode(Span bytes, uint8_t encoding) {
        switch (encoding) {
            case 1:
            case 2: return DecodeUtf16(bytes, m_bigEndian);
            case 3: return DecodeUtf8(bytes);
            default: return m_codePage.Decode(bytes.data(), bytes.size());
        }
    }

    Span m_data;
    size_t m_pos;
    uint8_t m_encoding;
    const CodePage& m_codePage;
    bool m_bigEndian;
};

struct IdPair {
    const char* v22;
    const char* v23;
};

// Version 2.2 IDs and their version 2.3 forms (iTunes' own 2.2 frames
// included).
constexpr IdPair kIds22[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"},
    {"MLL", "MLLT"}, {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"},
    {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"},
    {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
    {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"},
    {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"},
    {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"},
    {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"},
    {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"},
    {"TSP", "TSOP"}, {"TS2", "TSO2"}, {"TSC", "TSOC"},
};

constexpr std::array<const char*, 21> kPictureTypes = {
    "Other", "File icon (32x32 PNG)", "Other file icon", "Cover (front)", "Cover (back)",
    "Leaflet page", "Media", "Lead artist", "Artist", "Conductor", "Band", "Composer",
    "Lyricist", "Recording location", "During recording", "During performance",
    "Video screen capture", "A bright coloured fish", "Illustration", "Band logotype",
    "Publisher logotype",
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string BytesText(size_t size) { return std::to_string(size) + (size == 1 ? " byte" : " bytes"); }

// Owner data that is printable ASCII (identifiers often are) as text.
bool IsPrintable(Span data) {
    if (data.empty()) return false;
    for (uint8_t c : data) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

}  // namespace

std::string FrameIdOf22(const std::string& id) {
    for (const IdPair& pair : kIds22) {
        if (id == pair.v22) return pair.v23;
    }
    return "";
}

FrameKind KindOfFrame(const std::string& frameId) {
    const std::string id = frameId.size() == 3 ? FrameIdOf22(frameId) : frameId;
    if (id.size() != 4) return FrameKind::Binary;
    if (id == "TXXX") return FrameKind::UserText;
    if (id == "TIPL" || id == "TMCL" || id == "IPLS") return FrameKind::People;
    if (id[0] == 'T') return FrameKind::Text;
    if (id == "WXXX") return FrameKind::UserUrl;
    if (id[0] == 'W') return FrameKind::Url;
    if (id == "COMM" || id == "USLT") return FrameKind::Comment;
    if (id == "SYLT") return FrameKind::SyncedLyrics;
    if (id == "APIC") return FrameKind::Picture;
    if (id == "PCNT") return FrameKind::Counter;
    if (id == "POPM") return FrameKind::Popularimeter;
    if (id == "UFID" || id == "PRIV") return FrameKind::Owner;
    if (id == "GEOB") return FrameKind::Object;
    return FrameKind::Binary;
}

bool IsBinaryKind(FrameKind kind) {
    return kind == FrameKind::Owner || kind == FrameKind::Object || kind == FrameKind::Binary ||
           kind == FrameKind::Popularimeter || kind == FrameKind::Unreadable;
}

std::string PictureTypeName(uint8_t type) {
    return type < kPictureTypes.size() ? kPictureTypes[type] : "Other";
}

std::string MimeOfImageFormat(const std::string& format) {
    std::string upper;
    for (char c : format) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (upper == "JPG" || upper == "JPEG") return "image/jpeg";
    if (upper == "PNG") return "image/png";
    if (upper == "GIF") return "image/gif";
    if (upper == "BMP") return "image/bmp";
    std::string lower;
    for (char c : format) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.empty() ? "" : "image/" + lower;
}

std::string FrameContent::JoinedValues() const {
    std::string joined;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) joined += " / ";
        joined += values[i];
    }
    return joined;
}

FrameContent DecodeFrame(const FrameRecord& frame, const CodePage& codePage) {
    FrameContent content;
    if (!frame.readable) {
        content.kind = FrameKind::Unreadable;
        return content;
    }
    const Span data = frame.data;
    content.kind = KindOfFrame(frame.id);
    content.data = data;
    const bool v22 = frame.id.size() == 3;
    // The frames whose first byte is a text encoding.
    switch (content.kind) {
        case FrameKind::Text:
        case FrameKind::UserText:
        case FrameKind::UserUrl:
        case FrameKind::Comment:
        case FrameKind::People:
        case FrameKind::SyncedLyrics:
        case FrameKind::Picture:
        case FrameKind::Object:
            if (data.empty()) return content;
            content.encoding = data[0];
            if (content.encoding > 3) {
                content.kind = FrameKind::Binary;
                return content;
            }
            break;
        default: break;
    }
    StringReader in(data, 1, content.encoding, codePage);
    switch (content.kind) {
        case FrameKind::Text: content.values = in.Values(); break;
        case FrameKind::UserText:
            content.description = in.Next();
            content.values = in.Values();
            break;
        case FrameKind::Url: {
            StringReader latin(data, 0, 0, codePage);
            content.url = latin.NextLatin();
            break;
        }
        case FrameKind::UserUrl:
            content.description = in.Next();
            content.rest = data.subspan(std::min(in.Position(), data.size()));
            content.url = in.NextLatin();
            break;
        case FrameKind::Comment:
            content.language = in.Fixed(3);
            content.description = in.Next();
            content.rest = data.subspan(std::min(in.Position(), data.size()));
            content.values = in.Values();
            break;
        case FrameKind::People: {
            std::vector<std::string> strings = in.Values();
            for (size_t i = 0; i < strings.size(); i += 2) {
                content.people.emplace_back(strings[i], i + 1 < strings.size() ? strings[i + 1] : "");
            }
            break;
        }
        case FrameKind::SyncedLyrics:
            content.language = in.Fixed(3);
            content.timestampFormat = in.Byte();
            content.contentType = in.Byte();
            content.description = in.Next();
            content.rest = data.subspan(std::min(in.Position(), data.size()));
            while (!in.AtEnd()) {
                SyncedLine line;
                line.text = in.Next();
                // A last line cut short keeps its text.
                const Span time = in.Bytes(4);
                if (time.size() == 4) line.time = ReadBigEndian32(time.data());
                content.lines.push_back(std::move(line));
            }
            break;
        case FrameKind::Picture:
            content.mime = v22 ? MimeOfImageFormat(in.Fixed(3)) : in.NextLatin();
            content.pictureType = in.Byte();
            content.description = in.Next();
            content.data = in.Rest();
            break;
        case FrameKind::Counter:
            content.counter = ReadBigEndian(data.data(), std::min<size_t>(data.size(), 8));
            content.hasCounter = true;
            break;
        case FrameKind::Popularimeter: {
            StringReader latin(data, 0, 0, codePage);
            content.email = latin.NextLatin();
            content.rating = latin.Byte();
            const Span counter = latin.Rest();
            content.hasCounter = !counter.empty();
            content.counter = ReadBigEndian(counter.data(), std::min<size_t>(counter.size(), 8));
            content.data = {};
            break;
        }
        case FrameKind::Owner: {
            StringReader latin(data, 0, 0, codePage);
            content.owner = latin.NextLatin();
            content.data = latin.Rest();
            content.identifier = frame.id == "UFID" || frame.id == "UFI";
            break;
        }
        case FrameKind::Object:
            content.mime = in.NextLatin();
            content.fileName = in.Next();
            content.description = in.Next();
            content.data = in.Rest();
            break;
        default: break;
    }
    return content;
}

std::string FrameValueText(const FrameContent& content) {
    switch (content.kind) {
        case FrameKind::Text:
        case FrameKind::UserText:
        case FrameKind::Comment: return content.JoinedValues();
        case FrameKind::Url:
        case FrameKind::UserUrl: return content.url;
        case FrameKind::People: {
            std::string text;
            for (const auto& [role, name] : content.people) {
                if (!text.empty()) text += " / ";
                text += role.empty() ? name : role + ": " + name;
            }
            return text;
        }
        case FrameKind::SyncedLyrics: {
            std::string text;
            for (const SyncedLine& line : content.lines) {
                std::string_view line_text = line.text;
                while (!line_text.empty() && (line_text.front() == '\n' || line_text.front() == '\r')) {
                    line_text.remove_prefix(1);
                }
                if (!text.empty()) text += '\n';
                text += line_text;
            }
            return text;
        }
        case FrameKind::Picture: {
            std::string text = (content.mime.empty() ? std::string("image") : content.mime) + ", " +
                               BytesText(content.data.size()) + ", " + PictureTypeName(content.pictureType);
            if (!content.description.empty()) text += ", " + Quoted(content.description);
            return text;
        }
        case FrameKind::Counter: return std::to_string(content.counter);
        case FrameKind::Popularimeter: {
            std::string text = content.email.empty() ? "" : content.email + ", ";
            text += "rating " + std::to_string(content.rating);
            if (content.hasCounter) text += ", " + std::to_string(content.counter) + " plays";
            return text;
        }
        case FrameKind::Owner:
            if (content.identifier && IsPrintable(content.data)) {
                return content.owner + ": " + std::string(content.data.begin(), content.data.end());
            }
            return content.owner + ", " + BytesText(content.data.size());
        case FrameKind::Object: {
            std::string text = (content.mime.empty() ? std::string("object") : content.mime) + ", " +
                               BytesText(content.data.size());
            if (!content.fileName.empty()) text += ", " + Quoted(content.fileName);
            if (!content.description.empty()) text += ", " + Quoted(content.description);
            return text;
        }
        case FrameKind::Binary: return BytesText(content.data.size());
        case FrameKind::Unreadable: return "";
    }
    return "";
}

std::string FrameRowText(const FrameContent& content, int version) {
    std::string text = FrameValueText(content);
    if (content.kind == FrameKind::Picture) return text;
    const bool described = content.kind == FrameKind::Comment || content.kind == FrameKind::UserText ||
                           content.kind == FrameKind::UserUrl;
    if (version == 3 || described) {
        text += " (";
        text += content.description;
        text += ", ";
        text += content.language;
        text += ")";
    }
    return text;
}

}  // namespace korvel
