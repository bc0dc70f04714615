#include "core/Numeric.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace korvel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Scans a number starting at text[i] (after optional blanks); returns the
// number of characters consumed (0 when there are no digits) and its value.
size_t ScanNumber(std::string_view text, size_t i, double& value) {
    size_t start = i;
    std::string digits;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) digits += text[i++];
    bool any = false;
    bool point = false;
    while (i < text.size()) {
        char c = text[i];
        if (IsDigit(c)) {
            any = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        digits += c;
        ++i;
    }
    if (!any) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        size_t expStart = j;
        while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
        if (j > expStart) {
            digits += exponent;
            i = j;
        }
    }
    value = std::strtod(digits.c_str(), nullptr);
    return i - start;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    double value = 0;
    size_t used = ScanNumber(text, i, value);
    if (used == 0) return std::nullopt;
    i += used;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i != text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

double LeadingNumber(std::string_view text) {
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    }
    double value = 0;
    if (ScanNumber(packed, 0, value) == 0) return 0;
    return std::isfinite(value) ? value : 0;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::optional<int16_t> ToInt16(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int16_t>(r);
}

std::optional<int32_t> ToInt32(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int32_t>(r);
}

std::optional<uint8_t> ToByte(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= 0 && r <= 255)) return std::nullopt;
    return static_cast<uint8_t>(r);
}

}  // namespace korvel
