#include "id3v230/TagValue.h"

#include <cmath>

#include "core/Ansi.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"

namespace korvel {

bool TagValue::IsBlank() const {
    if (IsEmpty()) return true;
    const auto* text = std::get_if<std::string>(&m_value);
    return text != nullptr && text->empty();
}

std::string TagValue::ToString() const {
    switch (kind()) {
        case Kind::Empty: return "";
        case Kind::String: return std::get<std::string>(m_value);
        case Kind::Int16: return std::to_string(std::get<int16_t>(m_value));
        case Kind::Int32: return std::to_string(std::get<int32_t>(m_value));
    }
    return "";
}

size_t TagValue::TextLength() const { return Utf8Length(ToString()); }

int32_t TagValue::ToInt32() const {
    switch (kind()) {
        case Kind::Empty: return 0;
        case Kind::Int16: return std::get<int16_t>(m_value);
        case Kind::Int32: return std::get<int32_t>(m_value);
        case Kind::String: break;
    }
    std::optional<double> number = ParseNumber(std::get<std::string>(m_value));
    if (!number) throw KorvelException(13, "TagValue", "Type mismatch");
    std::optional<int32_t> value = korvel::ToInt32(*number);
    if (!value) throw KorvelException(6, "TagValue", "Overflow");
    return *value;
}

bool operator==(const TagValue& a, const TagValue& b) {
    using Kind = TagValue::Kind;
    if (a.IsEmpty() || b.IsEmpty()) {
        const TagValue& other = a.IsEmpty() ? b : a;
        if (other.IsEmpty()) return true;
        if (other.IsString()) return other.ToString().empty();
        return other.ToInt32() == 0;
    }
    if (a.IsNumber() != b.IsNumber()) return false;
    if (a.kind() == Kind::String) return std::get<std::string>(a.m_value) == std::get<std::string>(b.m_value);
    return a.ToInt32() == b.ToInt32();
}

}  // namespace korvel
