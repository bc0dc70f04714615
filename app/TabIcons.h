#pragma once
// The window's image list: the small tab icons, drawn in code.
#include <QIcon>
#include <QString>
#include <QStringList>

namespace korvel::quelm {

// The icon of a key: "id3v1" and "id3v2" (a label with the version digit),
// "Lyrics" (a note). Unknown keys give a null icon.
QIcon TabImage(const QString& key);

// The keys TabImage knows, in a fixed order.
QStringList TabImageKeys();

}  // namespace korvel::quelm
