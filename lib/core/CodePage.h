#pragma once
// The single-byte (or legacy multi-byte) character set in which a tag's
// "one byte is one character" texts are read and written: ID3v1 and Lyrics3
// fields and ID3v2 frames in encoding 0. Windows-1252 is the default and the
// fast path; other code pages convert through iconv.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/Types.h"

namespace korvel {

class CodePage {
public:
    // Windows-1252.
    CodePage();

    // The code page of that name as iconv knows it ("windows-1251", "cp1250",
    // "KOI8-R", "shift_jis", ...; case-insensitive); nothing for a name iconv
    // does not know. "windows-1252" and its aliases give the default.
    static std::optional<CodePage> Named(std::string_view name);

    // The canonical name ("windows-1252" for the default).
    const std::string& Name() const;
    bool IsDefault() const { return m_converter == nullptr; }

    // Bytes to UTF-8. Zero bytes become U+0000; bytes the code page does not
    // define become U+FFFD.
    std::string Decode(const uint8_t* data, size_t size) const;
    std::string Decode(const Bytes& bytes) const { return Decode(bytes.data(), bytes.size()); }
    std::string Decode(std::span<const uint8_t> bytes) const { return Decode(bytes.data(), bytes.size()); }

    // UTF-8 to bytes; a character the code page cannot hold becomes '?', and
    // `unconvertible`, when given, is increased by one for each.
    Bytes Encode(std::string_view text, size_t* unconvertible = nullptr) const;

    // True when every character of the text has bytes in the code page.
    bool CanEncode(std::string_view text) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.Name() == b.Name(); }

    struct Converter;

private:
    std::shared_ptr<const Converter> m_converter;  // null: Windows-1252
};

}  // namespace korvel
