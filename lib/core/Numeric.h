#pragma once
// Conversions between text and numbers, as tag values need them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// Reads the whole text as a decimal number: leading and trailing blanks and
// tabs are allowed, then an optional sign, digits with at most one decimal
// point, and an optional exponent. Anything else gives nullopt.
std::optional<double> ParseNumber(std::string_view text);

// True when ParseNumber accepts the text.
inline bool IsNumeric(std::string_view text) { return ParseNumber(text).has_value(); }

// The numeric value at the start of a text: blanks, tabs and line feeds are
// skipped wherever they stand; reading stops at the first character that
// cannot continue a decimal number (sign, digits, one decimal point,
// exponent). No digits give 0.
double LeadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Conversions that round half to even; nullopt when the result does not fit.
std::optional<int16_t> ToInt16(double value);
std::optional<int32_t> ToInt32(double value);
std::optional<uint8_t> ToByte(double value);

}  // namespace korvel
