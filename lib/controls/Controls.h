#pragma once
// Creation of the library's controls by name, for hosts that place them as
// "KORVEL.<control>" (KORVEL.ID3v1, KORVEL.Lyrics, KORVEL.Dravena).
#include <QString>
#include <QStringList>
#include <QWidget>

namespace korvel::controls {

// A new control of the given name, or null for a name the library does not
// know. The names are compared exactly.
QWidget* CreateControl(const QString& name, QWidget* parent = nullptr);

// The names CreateControl knows, in a fixed order.
QStringList ControlNames();

}  // namespace korvel::controls
