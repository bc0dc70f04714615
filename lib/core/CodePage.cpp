#include "core/CodePage.h"

#include "core/Ansi.h"

namespace korvel {

namespace {

const std::string kDefaultName = "windows-1252";

}  // namespace

struct CodePage::Converter {
    std::string name;
};

CodePage::CodePage() = default;

std::optional<CodePage> CodePage::Named(std::string_view name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == kDefaultName || lower == "cp1252") return CodePage();
    return std::nullopt;
}

const std::string& CodePage::Name() const { return m_converter ? m_converter->name : kDefaultName; }

std::string CodePage::Decode(const uint8_t* data, size_t size) const { return AnsiToUtf8(data, size); }

Bytes CodePage::Encode(std::string_view text, size_t* unconvertible) const {
    if (unconvertible != nullptr) {
        for (char32_t c : Utf8ToUtf32(text)) {
            if (CodePointToAnsiByte(c) < 0) ++*unconvertible;
        }
    }
    return Utf8ToAnsiBytes(text);
}

bool CodePage::CanEncode(std::string_view text) const { return IsAnsiRepresentable(text); }

}  // namespace korvel
