#pragma once
// Helpers shared by the control tests: corpus paths, capturing the library's
// messages, and working a popup menu or modal dialog the way a user does.
#include <string>
#include <vector>

#include <QApplication>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include "controls/FieldState.h"
#include "errors/MessageHandler.h"
#include "support/TestSupport.h"

namespace test {

// True when the field is in the state given: enabled, read-only and colour.
// A field in another state is named in a warning, so a failing check says
// which one it was.
inline bool FieldIsIn(const QWidget* field, bool enabled, bool readOnly,
                      korvel::controls::FieldColour colour) {
    using korvel::controls::FieldColourOf;
    using korvel::controls::IsFieldReadOnly;
    if (field->isEnabled() == enabled && IsFieldReadOnly(field) == readOnly &&
        FieldColourOf(field) == colour) {
        return true;
    }
    qWarning("field %s: enabled %d read-only %d colour %d", qPrintable(field->objectName()),
             field->isEnabled(), IsFieldReadOnly(field), static_cast<int>(FieldColourOf(field)));
    return false;
}

// The child of that name and type; stops the run when there is none.
template <typename T = QWidget>
T* ChildOf(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no child %s in %s", name, qPrintable(parent->objectName()));
    return child;
}

inline QString CorpusPath(const char* relative) {
    return QStringLiteral(KORVEL_CORPUS_DIR "/") + QString::fromLatin1(relative);
}

// Collects the library's messages while alive.
using korvel::test::MessageCapture;

// What a popup menu offered.
struct MenuVisit {
    bool shown = false;
    QPoint position;
    QStringList items;            // objectNames in order, "-" for a separator
    QMap<QString, bool> enabled;  // objectName -> enabled
};

// Arranges for the next popup menu to be visited once it is open: records its
// items, then clicks the item with the objectName `choose`, or presses Escape
// when `choose` is empty or names a disabled item.
inline void VisitNextPopup(MenuVisit* visit, const QString& choose, int attempts = 100) {
    QTimer::singleShot(5, [visit, choose, attempts] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible()) {
            if (attempts > 0) VisitNextPopup(visit, choose, attempts - 1);
            return;
        }
        visit->shown = true;
        visit->position = menu->pos();
        QAction* target = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                visit->items << QStringLiteral("-");
                continue;
            }
            visit->items << action->objectName();
            visit->enabled[action->objectName()] = action->isEnabled();
            if (action->objectName() == choose && action->isEnabled()) target = action;
        }
        if (target == nullptr) {
            QTest::keyClick(menu, Qt::Key_Escape);
        } else {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
        }
    });
}

// Right mouse button pressed and released in the middle of a widget.
inline void RightClick(QWidget* widget) {
    QTest::mouseClick(widget, Qt::RightButton, {}, widget->rect().center());
}

// Arranges for the next modal message box to be recorded and closed.
struct BoxVisit {
    bool shown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

inline void CloseNextMessageBox(BoxVisit* visit, int attempts = 100) {
    QTimer::singleShot(5, [visit, attempts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (attempts > 0) CloseNextMessageBox(visit, attempts - 1);
            return;
        }
        visit->shown = true;
        visit->icon = box->icon();
        visit->title = box->windowTitle();
        visit->text = box->text();
        box->accept();
    });
}

}  // namespace test
