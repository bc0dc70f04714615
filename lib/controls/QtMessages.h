#pragma once
// The Qt side of the library's messages: a handler that shows them in a
// QMessageBox, and the guard that keeps library failures from escaping a Qt
// event handler (Qt does not allow exceptions to pass through its event loop).
#include <exception>
#include <utility>

#include <QMessageBox>
#include <QString>

#include "errors/MessageHandler.h"

namespace korvel::controls {

// The QMessageBox icon that stands for a library message kind.
QMessageBox::Icon MessageBoxIcon(korvel::MessageIcon icon);

// The caption a message box gets: the given one, or the application's title
// (QGuiApplication::applicationDisplayName) when it is empty.
QString MessageCaption(const std::string& caption);

// Installs a handler into korvel::SetMessageHandler that shows every library
// message in a modal QMessageBox (information, warning or critical icon),
// parented to the active window. Without a QApplication the previous handler
// is used. Returns the handler that was installed before, so that a caller can
// restore it with SetMessageHandler.
korvel::MessageHandler InstallQtMessageHandler();

// Reports a failure through korvel::ShowMessage as a critical message with
// its number, source and description (the layout of the error record's Show).
void ReportFailure(const std::exception_ptr& failure);

// Runs an action inside a Qt event handler or slot; any exception it throws is
// reported through ReportFailure instead of reaching the event loop.
template <typename Action>
void RunGuarded(Action&& action) noexcept {
    try {
        std::forward<Action>(action)();
    } catch (...) {
        try {
            ReportFailure(std::current_exception());
        } catch (...) {
            // A failing message handler has nowhere left to report to.
        }
    }
}

}  // namespace korvel::controls
