#include "NamePattern.h"

#include <QRegularExpression>

namespace korvel::quelm {

namespace {

const QRegularExpression& PlaceholderExpression() {
    static const QRegularExpression expression(QStringLiteral("%([A-Za-z]+)%"));
    return expression;
}

const std::map<QString, QString>& FieldsByPlaceholder() {
    static const std::map<QString, QString> fields = {
        {QStringLiteral("%title%"), QStringLiteral("Title")},
        {QStringLiteral("%artist%"), QStringLiteral("Artist")},
        {QStringLiteral("%album%"), QStringLiteral("Album")},
        {QStringLiteral("%year%"), QStringLiteral("Year")},
        {QStringLiteral("%track%"), QStringLiteral("Track")},
        {QStringLiteral("%genre%"), QStringLiteral("Genre")},
        {QStringLiteral("%comment%"), QStringLiteral("Comment")},
        {QStringLiteral("%composer%"), QStringLiteral("Composer")},
    };
    return fields;
}

bool IsNumberField(const QString& field) {
    return field == QLatin1String("Track") || field == QLatin1String("Year");
}

// "3/12" and "3" give "03"; text without a leading number stays as it is.
QString TrackText(const QString& value) {
    const QString trimmed = value.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit()) ++digits;
    if (digits == 0) return trimmed;
    return QStringLiteral("%1").arg(trimmed.left(digits).toInt(), 2, 10, QLatin1Char('0'));
}

// Characters that Linux, Windows or macOS do not allow in a file name, and
// control characters.
bool Forbidden(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f ||
           QStringLiteral("/\\:*?\"<>|").contains(c);
}

}  // namespace

QStringList PatternPlaceholders() {
    return {QStringLiteral("%title%"),   QStringLiteral("%artist%"), QStringLiteral("%album%"),
            QStringLiteral("%year%"),    QStringLiteral("%track%"),  QStringLiteral("%genre%"),
            QStringLiteral("%comment%"), QStringLiteral("%composer%")};
}

QString FieldOfPlaceholder(const QString& placeholder) {
    const auto found = FieldsByPlaceholder().find(placeholder.toLower());
    return found == FieldsByPlaceholder().end() ? QString() : found->second;
}

QStringList UnknownPlaceholders(const QString& pattern) {
    QStringList unknown;
    auto matches = PlaceholderExpression().globalMatch(pattern);
    while (matches.hasNext()) {
        const QString placeholder = matches.next().captured(0);
        if (FieldOfPlaceholder(placeholder).isEmpty() && !unknown.contains(placeholder)) {
            unknown << placeholder;
        }
    }
    return unknown;
}

QStringList DefaultPatterns() {
    return {QStringLiteral("%track% - %artist% - %title%"), QStringLiteral("%artist% - %title%"),
            QStringLiteral("%track% - %title%"),
            QStringLiteral("%artist% - %album% - %track% - %title%")};
}

QString NameFromFields(const QString& pattern, const FieldValues& values) {
    QString name;
    qsizetype at = 0;
    auto matches = PlaceholderExpression().globalMatch(pattern);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        name += pattern.mid(at, match.capturedStart() - at);
        at = match.capturedEnd();
        const QString field = FieldOfPlaceholder(match.captured(0));
        if (field.isEmpty()) {
            name += match.captured(0);
            continue;
        }
        const auto value = values.find(field);
        const QString text = value == values.end() ? QString() : value->second;
        name += field == QLatin1String("Track") ? TrackText(text) : text.simplified();
    }
    name += pattern.mid(at);

    for (QChar& c : name) {
        if (Forbidden(c)) c = QLatin1Char('_');
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char('.'))) name.chop(1);
    return name.trimmed();
}

QString FitNameLength(const QString& base, const QString& extension) {
    constexpr qsizetype kMaxBytes = 255;
    const qsizetype room = kMaxBytes - extension.toUtf8().size();
    QString fitted = base;
    while (!fitted.isEmpty() && fitted.toUtf8().size() > room) fitted.chop(1);
    if (!fitted.isEmpty() && fitted.back().isHighSurrogate()) fitted.chop(1);
    return fitted.trimmed();
}

std::optional<FieldValues> FieldsFromName(const QString& pattern, const QString& name) {
    QString expression = QStringLiteral("^");
    QStringList fields;  // the field of each capture group, in order
    qsizetype at = 0;
    auto matches = PlaceholderExpression().globalMatch(pattern);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        expression += QRegularExpression::escape(pattern.mid(at, match.capturedStart() - at));
        at = match.capturedEnd();
        const QString field = FieldOfPlaceholder(match.captured(0));
        if (field.isEmpty()) {
            expression += QRegularExpression::escape(match.captured(0));
            continue;
        }
        expression += IsNumberField(field) ? QStringLiteral("\\s*(\\d+)\\s*") : QStringLiteral("(.+?)");
        fields << field;
    }
    expression += QRegularExpression::escape(pattern.mid(at)) + QStringLiteral("$");
    if (fields.isEmpty()) return std::nullopt;

    const QRegularExpressionMatch match = QRegularExpression(expression).match(name);
    if (!match.hasMatch()) return std::nullopt;
    FieldValues values;
    for (int i = 0; i < fields.size(); ++i) {
        if (values.count(fields[i])) continue;  // a field named twice keeps its first value
        QString value = match.captured(i + 1).trimmed();
        if (fields[i] == QLatin1String("Track")) value = QString::number(value.toInt());
        values[fields[i]] = value;
    }
    return values;
}

}  // namespace korvel::quelm
