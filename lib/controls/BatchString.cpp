#include "controls/BatchString.h"

#include <QList>

namespace korvel::controls {

namespace {

// Converts one character by the locale's rule; keeps it when the rule would
// turn it into more (or fewer) than one character.
char32_t ConvertOne(const QLocale& locale, char32_t c, bool upper) {
    const QString single = QString::fromUcs4(&c, 1);
    const QString converted = upper ? locale.toUpper(single) : locale.toLower(single);
    const QList<uint> result = converted.toUcs4();
    return result.size() == 1 ? static_cast<char32_t>(result.front()) : c;
}

}  // namespace

bool BatchString::IsWordSeparator(char32_t c) {
    switch (c) {
        case 0x00:
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
            return true;
        default:
            return false;
    }
}

QString BatchString::Convert() const {
    if (m_conversion != kUpperCase && m_conversion != kLowerCase &&
        m_conversion != kFirstLetterUpperCase) {
        return m_value;
    }
    const QList<uint> source = m_value.toUcs4();
    std::u32string out;
    out.reserve(static_cast<size_t>(source.size()));
    char32_t previous = 0;  // the start of the text counts as after a separator
    for (uint code : source) {
        const auto c = static_cast<char32_t>(code);
        char32_t converted;
        if (m_conversion == kUpperCase) {
            converted = ConvertOne(m_locale, c, true);
        } else {
            converted = ConvertOne(m_locale, c, false);
            if (m_conversion == kFirstLetterUpperCase && IsWordSeparator(previous)) {
                converted = ConvertOne(m_locale, converted, true);
            }
        }
        out.push_back(converted);
        previous = c;
    }
    return QString::fromUcs4(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace korvel::controls
