#include "controls/QtMessages.h"

#include <QApplication>

#include "errors/cError.h"

namespace korvel::controls {

QMessageBox::Icon MessageBoxIcon(korvel::MessageIcon icon) {
    switch (icon) {
        case korvel::MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case korvel::MessageIcon::Critical:
            return QMessageBox::Critical;
        case korvel::MessageIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

QString MessageCaption(const std::string& caption) {
    return caption.empty() ? QGuiApplication::applicationDisplayName()
                           : QString::fromStdString(caption);
}

korvel::MessageHandler InstallQtMessageHandler() {
    auto fallback = std::make_shared<korvel::MessageHandler>();
    korvel::MessageHandler handler = [fallback](const std::string& text, korvel::MessageIcon icon,
                                                const std::string& caption) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            if (*fallback) (*fallback)(text, icon, caption);
            return;
        }
        QString body = QString::fromStdString(text);
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(MessageBoxIcon(icon), MessageCaption(caption), body, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
    korvel::MessageHandler previous = korvel::SetMessageHandler(std::move(handler));
    *fallback = previous;
    return previous;
}

void ReportFailure(const std::exception_ptr& failure) {
    korvel::cError record;
    if (record.CopyError(failure)) record.Show();
}

}  // namespace korvel::controls
