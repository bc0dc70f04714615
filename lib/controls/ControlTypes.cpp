#include "controls/ControlTypes.h"

namespace korvel::controls {

void RegisterControlTypes() {
    static const bool registered = [] {
        qRegisterMetaType<korvel::ID3V1TagPtr>("korvel::ID3V1TagPtr");
        qRegisterMetaType<korvel::FileHandlerPtr>("korvel::FileHandlerPtr");
        qRegisterMetaType<korvel::LyricsTagPtr>("korvel::LyricsTagPtr");
        return true;
    }();
    (void)registered;
}

QString LibraryCompanyName() { return QStringLiteral("Korvel Project"); }

QString LibraryProductName() { return QStringLiteral("KORVEL"); }

QString LibraryCopyright() {
    return QStringLiteral("Copyright \u00A9 2025 the Korvel Project contributors");
}

}  // namespace korvel::controls
