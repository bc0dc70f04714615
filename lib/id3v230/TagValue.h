#pragma once
// A tagged value: empty, a string, a 16-bit or a 32-bit integer. Frame values
// of the updatable tag are kept this way, so that a year written as a number
// stays a number until it is written to the file.
#include <cstdint>
#include <string>
#include <variant>

namespace korvel {

class TagValue {
public:
    enum class Kind { Empty, String, Int16, Int32 };

    TagValue() = default;
    TagValue(std::string text) : m_value(std::move(text)) {}
    TagValue(const char* text) : m_value(std::string(text)) {}
    TagValue(int16_t number) : m_value(number) {}
    TagValue(int32_t number) : m_value(number) {}

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool IsEmpty() const { return kind() == Kind::Empty; }
    bool IsString() const { return kind() == Kind::String; }
    bool IsNumber() const { return kind() == Kind::Int16 || kind() == Kind::Int32; }

    // True for an empty value and for the empty string (not for the number 0).
    bool IsBlank() const;

    // "" for an empty value, the string itself, or an integer's decimal digits.
    std::string ToString() const;

    // Number of characters of ToString().
    size_t TextLength() const;

    // Numbers as they are; a text by its numeric value. A text that is not a
    // number, or one out of the 32-bit range, throws KorvelException (13,
    // "Type mismatch"; 6, "Overflow"); an empty value gives 0.
    int32_t ToInt32() const;

    // Texts compare exactly; numbers by value; a number never equals a text;
    // an empty value equals the empty string and the number 0.
    friend bool operator==(const TagValue& a, const TagValue& b);

private:
    std::variant<std::monostate, std::string, int16_t, int32_t> m_value;
};

}  // namespace korvel
