#pragma once
// Text going from an editing control's fields back into a tag.
#include <string>

#include <QString>

namespace korvel::controls {

// Removes leading and trailing spaces (U+0020 only).
inline QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' ')) ++first;
    while (last > first && text[last - 1] == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

inline std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace korvel::controls
