#pragma once
// Letter-case conversion of one piece of text: upper case, lower case, or the
// first letter of every word in upper case.
#include <cstdint>

#include <QLocale>
#include <QString>

namespace korvel::controls {

class BatchString {
public:
    enum : int32_t { kUpperCase = 1, kLowerCase = 2, kFirstLetterUpperCase = 3 };

    // The conversion Convert applies; any other value leaves the text as it is.
    int32_t Conversion() const { return m_conversion; }
    void setConversion(int32_t value) { m_conversion = value; }

    // Replaces the text held.
    void Initialize(const QString& Value) { m_value = Value; }
    const QString& Value() const { return m_value; }

    // The held text converted; the held text itself does not change. The
    // case rules are those of the locale (the user's locale by default).
    // Every character is converted on its own, so the length never changes
    // (a character whose other case is longer, such as U+00DF, is kept).
    QString Convert() const;

    void setLocale(const QLocale& locale) { m_locale = locale; }

    // The characters that start a new word for kFirstLetterUpperCase: U+0000,
    // tab, line feed, vertical tab, form feed, carriage return and space.
    static bool IsWordSeparator(char32_t c);

private:
    int32_t m_conversion = 0;
    QString m_value;
    QLocale m_locale;
};

}  // namespace korvel::controls
