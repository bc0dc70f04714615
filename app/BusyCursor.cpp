#include "BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace korvel::quelm {

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() {
    if (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
}

void WithNormalCursor(const std::function<void()>& action) {
    int lifted = 0;
    while (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
        ++lifted;
    }
    struct Restore {
        int count;
        ~Restore() {
            for (int i = 0; i < count; ++i) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } restore{lifted};
    action();
}

void Tell(const std::string& text, korvel::MessageIcon icon) {
    WithNormalCursor([&] { korvel::ShowMessage(text, icon); });
}

void ShowMessagesWithNormalCursor() {
    // Take the current handler out, then put a wrapper around it back in.
    const korvel::MessageHandler inner = korvel::SetMessageHandler({});
    korvel::SetMessageHandler(
        [inner](const std::string& text, korvel::MessageIcon icon, const std::string& caption) {
            WithNormalCursor([&] { inner(text, icon, caption); });
        });
}

}  // namespace korvel::quelm
