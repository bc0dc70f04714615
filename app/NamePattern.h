#pragma once
// File names from tag fields and tag fields from file names, by a pattern
// such as "%track% - %artist% - %title%": each %name% stands for a field,
// everything else is taken literally.
#include <map>
#include <optional>

#include <QString>
#include <QStringList>

#include "TagFields.h"

namespace korvel::quelm {

// The placeholders a pattern may use, as written in it ("%title%", ...).
QStringList PatternPlaceholders();

// The field a placeholder stands for ("%track%" gives "Track").
QString FieldOfPlaceholder(const QString& placeholder);

// The placeholders of a pattern that no field has; empty when it is valid.
QStringList UnknownPlaceholders(const QString& pattern);

// The patterns offered before the user has used any.
QStringList DefaultPatterns();

// The pattern with every placeholder replaced by its field's value (track
// numbers as two digits at least, "3/12" as "03"), made a name a file can
// have: characters that a file name on Linux, Windows or macOS cannot hold
// become "_", leading and trailing spaces and trailing dots go. The result may
// be empty.
QString NameFromFields(const QString& pattern, const FieldValues& values);

// Cuts a name (without its extension) so that, with the extension, it fits
// the 255 bytes a file name may take.
QString FitNameLength(const QString& base, const QString& extension);

// The field values a name (without its extension) holds by the pattern;
// nullopt when the name does not follow it. Values are trimmed of spaces;
// track numbers lose their leading zeros.
std::optional<FieldValues> FieldsFromName(const QString& pattern, const QString& name);

}  // namespace korvel::quelm
