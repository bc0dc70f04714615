#pragma once
// The program's identity: names, version texts and the address for error
// reports.
#include <QString>

#include "core/Version.h"

namespace korvel::quelm {

// The product name the window caption begins with.
inline QString ProductName() { return QStringLiteral("Ambrin"); }
// The application's title: message boxes carry it as their caption.
inline QString ApplicationTitle() { return QStringLiteral("Quelm"); }
// The build's version, the same one korvel and the library report.
inline QString ApplicationVersion() { return QStringLiteral(KORVEL_VERSION_STRING); }
inline QString OrganisationName() { return QStringLiteral("Korvel Project"); }
// The comment of the version information, shown below the tabs.
inline QString VersionComment() {
    return QStringLiteral("This is a preview (Beta 1). Use it at your own risk.");
}
// Where users send error reports.
inline QString SupportAddress() { return QStringLiteral("bugs@korvel.invalid"); }

// "Ambrin - Quelm 0.1.0" (with the build's version).
inline QString WindowCaption() {
    return ProductName() + QStringLiteral(" - ") + ApplicationTitle() + QLatin1Char(' ') +
           ApplicationVersion();
}

}  // namespace korvel::quelm
