#pragma once
// Text going from an editing control's fields back into a tag.
#include <string>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
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

// The text a field's box holds: a line box's, a multi-line box's or a combo
// box's ("" for any other widget).
inline QString BoxText(const QWidget* box) {
    if (auto* line = qobject_cast<const QLineEdit*>(box)) return line->text();
    if (auto* lines = qobject_cast<const QPlainTextEdit*>(box)) return lines->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(box)) return combo->currentText();
    return QString();
}

inline std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace korvel::controls
