#pragma once
// The single-byte (or legacy multi-byte) character set in which a tag's
// "one byte is one character" texts are read and written: ID3v1 and Lyrics3
// fields and ID3v2 frames in encoding 0. Windows-1252 is the default and the
// fast path; other code pages convert through iconv.
//
// A CodePage is a small value: copying it shares one converter, and every
// member may be called from several threads at once.
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
    // "KOI8-R", "shift_jis", "gbk", "big5", "euc-kr", ...; case-insensitive);
    // nothing for a name iconv does not know and for a character set in which
    // ASCII text does not keep its bytes (UTF-16, EBCDIC, ...). "windows-1252"
    // and its aliases give the default. "shift_jis" (also "sjis",
    // "shift-jis") converts as Windows writes it: backslash and tilde stay
    // ASCII, and the NEC and IBM extension characters are known.
    static std::optional<CodePage> Named(std::string_view name);

    // The canonical name: lower case, "windows-125x" for "cp125x", otherwise
    // the name as given ("windows-1252" for the default).
    const std::string& Name() const;
    bool IsDefault() const { return m_converter == nullptr; }

    // Bytes to UTF-8. Zero bytes become U+0000. Bytes the code page does not
    // define, and a multi-byte character cut short at the end, become U+FFFD;
    // Windows-1252 alone maps its five undefined bytes (0x81, 0x8D, 0x8F,
    // 0x90, 0x9D) to the C1 controls of the same value, as Windows does.
    std::string Decode(const uint8_t* data, size_t size) const;
    std::string Decode(const Bytes& bytes) const { return Decode(bytes.data(), bytes.size()); }
    std::string Decode(std::span<const uint8_t> bytes) const { return Decode(bytes.data(), bytes.size()); }
    std::string Decode(std::string_view bytes) const {
        return Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }

    // UTF-8 to bytes; a character the code page cannot hold (or malformed
    // UTF-8) becomes '?', and `unconvertible`, when given, is increased by one
    // for each.
    Bytes Encode(std::string_view text, size_t* unconvertible = nullptr) const;

    // As Encode, for a field of at most `limit` bytes: whole characters only,
    // as many as fit (a character of two bytes never loses its second one).
    // `unconvertible` counts only the characters that were written.
    Bytes EncodeField(std::string_view text, size_t limit, size_t* unconvertible = nullptr) const;

    // True when every character of the text has bytes in the code page.
    bool CanEncode(std::string_view text) const;

    friend bool operator==(const CodePage& a, const CodePage& b) { return a.Name() == b.Name(); }

    struct Converter;

private:
    explicit CodePage(std::shared_ptr<const Converter> converter);

    std::shared_ptr<const Converter> m_converter;  // null: Windows-1252
};

// Which code page a file's single-byte texts are read in: one fixed code page,
// or "auto", the code page detected for each file from all its single-byte
// texts together (see DetectCodePage), Windows-1252 when the evidence is weak.
class CodePageChoice {
public:
    // Windows-1252, fixed.
    CodePageChoice() = default;
    CodePageChoice(CodePage page) : m_page(std::move(page)) {}  // NOLINT: a page is a choice
    static CodePageChoice Automatic();

    // "auto" (case-insensitive) or a code page name as CodePage::Named takes
    // it; nothing for an unknown name.
    static std::optional<CodePageChoice> Named(std::string_view name);

    bool IsAutomatic() const { return m_automatic; }
    // The fixed code page; Windows-1252 for "auto".
    const CodePage& Page() const { return m_page; }
    // "auto" or the code page's name.
    std::string Name() const { return m_automatic ? "auto" : m_page.Name(); }
    // True for fixed Windows-1252, the library's behaviour without a choice.
    bool IsDefault() const { return !m_automatic && m_page.IsDefault(); }

    friend bool operator==(const CodePageChoice& a, const CodePageChoice& b) {
        return a.m_automatic == b.m_automatic && a.m_page == b.m_page;
    }

private:
    bool m_automatic = false;
    CodePage m_page;
};

// The process-wide choice that file handlers follow unless they are given
// their own. Until it is set, it is read at first use from the environment
// variable KORVEL_CODEPAGE (a name as CodePageChoice::Named takes it; an
// unknown name or none gives Windows-1252).
CodePageChoice DefaultCodePage();
void SetDefaultCodePage(const CodePageChoice& choice);

// The environment variable the default is read from.
inline constexpr const char* kCodePageVariable = "KORVEL_CODEPAGE";

}  // namespace korvel
