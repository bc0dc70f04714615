#include "core/Ansi.h"

namespace korvel {

namespace {

// Characters of the bytes 0x80 to 0x9F.
constexpr char32_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed input gives
// U+FFFD and consumes one byte.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t extra;
    char32_t cp;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= text.size()) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k <= extra; ++k) {
        uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    // Reject overlong forms, surrogates and values past U+10FFFF.
    static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return cp;
}

// The UTF-8 form of every byte of the code page: its length and up to three
// bytes (the characters of 0x80 to 0x9F take up to three).
struct Utf8Form {
    uint8_t size;
    char bytes[3];
};

constexpr Utf8Form EncodeForm(char32_t cp) {
    if (cp < 0x80) return {1, {static_cast<char>(cp), 0, 0}};
    if (cp < 0x800) {
        return {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
    }
    return {3,
            {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
             static_cast<char>(0x80 | (cp & 0x3F))}};
}

struct Utf8Table {
    Utf8Form form[256];
    constexpr Utf8Table() : form{} {
        for (int b = 0; b < 256; ++b) {
            const char32_t cp = (b >= 0x80 && b <= 0x9F) ? kHighTable[b - 0x80] : static_cast<char32_t>(b);
            form[b] = EncodeForm(cp);
        }
    }
};

constexpr Utf8Table kUtf8Of;

// Decodes in two passes: the exact length first, so that the text is
// allocated once, then the bytes. Every byte writes all three bytes of its
// form and moves on by the form's length, without a branch on the length;
// the spare bytes at the end are cut off again. The spare room also takes a
// short suffix without a new allocation (the attribute report appends one to
// every frame text); a short text stays inside the string object.
std::string DecodeAnsi(const uint8_t* data, size_t size, uint8_t lowest) {
    size_t length = 0;
    for (size_t i = 0; i < size; ++i) {
        length += data[i] >= lowest ? kUtf8Of.form[data[i]].size : 0;
    }
    constexpr size_t kInline = 15;  // what std::string holds without the heap
    std::string out(length + 2 <= kInline ? kInline : length + 24, '\0');
    char* p = out.data();
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        const Utf8Form& f = kUtf8Of.form[b];
        p[0] = f.bytes[0];
        p[1] = f.bytes[1];
        p[2] = f.bytes[2];
        p += b >= lowest ? f.size : 0;
    }
    out.resize(length);
    return out;
}

}  // namespace

char32_t AnsiByteToCodePoint(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighTable[byte - 0x80];
    return byte;
}

int CodePointToAnsiByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k) {
        if (kHighTable[k] == cp) return 0x80 + k;
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string AnsiToUtf8(const uint8_t* data, size_t size) { return DecodeAnsi(data, size, 0); }

std::string AnsiToUtf8Keeping(const uint8_t* data, size_t size, uint8_t lowest) {
    return DecodeAnsi(data, size, lowest);
}

std::string AnsiToUtf8(std::string_view bytes) {
    return AnsiToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string AnsiToUtf8(const Bytes& bytes) { return AnsiToUtf8(bytes.data(), bytes.size()); }

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        int b = CodePointToAnsiByte(cp);
        out += static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

Bytes Utf8ToAnsiBytes(std::string_view text) {
    std::string s = Utf8ToAnsi(text);
    return Bytes(s.begin(), s.end());
}

bool IsAnsiRepresentable(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        // Malformed input decodes as U+FFFD, which the code page lacks too.
        if (CodePointToAnsiByte(NextCodePoint(text, i)) < 0) return false;
    }
    return true;
}

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) out += NextCodePoint(text, i);
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) AppendUtf8(out, cp);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextCodePoint(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            char32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else {
            AppendUtf8(out, unit);  // unpaired surrogates become U+FFFD
        }
    }
    return out;
}

std::string Utf16BytesToUtf8(std::span<const uint8_t> bytes, bool& bigEndian) {
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

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++n) NextCodePoint(text, i);
    return n;
}

std::string Utf8Left(std::string_view text, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < text.size(); ++k) NextCodePoint(text, i);
    return std::string(text.substr(0, i));
}

std::string TrimBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace korvel
