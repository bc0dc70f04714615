#include "CodePageMenu.h"

#include <QActionGroup>
#include <QSettings>

#include "core/CodePage.h"

namespace korvel::quelm {

namespace {

constexpr const char* kSettingKey = "LegacyTextEncoding";

struct Entry {
    const char* name;     // the library's name; null for a separator
    const char* caption;
};

constexpr Entry kEntries[] = {
    {"windows-1252", "&Western (Windows-1252)"},
    {"auto", "&Automatic (detected in each file)"},
    {nullptr, nullptr},
    {"windows-1250", "&Central European (Windows-1250)"},
    {"windows-1251", "C&yrillic (Windows-1251)"},
    {"koi8-r", "Cyrillic (&KOI8-R)"},
    {"windows-1253", "&Greek (Windows-1253)"},
    {"windows-1254", "&Turkish (Windows-1254)"},
    {"windows-1257", "&Baltic (Windows-1257)"},
    {"shift_jis", "&Japanese (Shift_JIS)"},
    {"gbk", "Chinese, &Simplified (GBK)"},
    {"big5", "Chinese, T&raditional (Big5)"},
    {"euc-kr", "K&orean (EUC-KR)"},
};

QString ObjectName(const QString& name) {
    QString objectName = QStringLiteral("mnuEncoding_") + name;
    for (QChar& c : objectName) {
        if (!c.isLetterOrNumber()) c = QLatin1Char('_');
    }
    return objectName;
}

}  // namespace

CodePageMenu::CodePageMenu(QSettings* settings, QWidget* parent)
    : QMenu(QStringLiteral("&Legacy text encoding"), parent), m_settings(settings), m_group(new QActionGroup(this)) {
    setObjectName(QStringLiteral("mnuEncoding"));
    setToolTipsVisible(true);
    m_group->setExclusive(true);
    for (const Entry& entry : kEntries) {
        if (entry.name == nullptr) {
            addSeparator();
            continue;
        }
        EntryFor(QString::fromLatin1(entry.name))->setText(QString::fromLatin1(entry.caption));
    }
    const QString kept = m_settings ? m_settings->value(QString::fromLatin1(kSettingKey)).toString() : QString();
    if (const std::optional<CodePageChoice> choice = CodePageChoice::Named(kept.toStdString())) {
        SetDefaultCodePage(*choice);
    }
    EntryFor(QString::fromStdString(DefaultCodePage().Name()))->setChecked(true);
    connect(m_group, &QActionGroup::triggered, this,
            [this](QAction* action) { Choose(action->data().toString()); });
}

QAction* CodePageMenu::EntryFor(const QString& name) {
    for (QAction* action : m_group->actions()) {
        if (action->data().toString() == name) return action;
    }
    // A code page named outside the list (in KORVEL_CODEPAGE): its own entry.
    QAction* action = addAction(name);
    action->setObjectName(ObjectName(name));
    action->setData(name);
    action->setCheckable(true);
    action->setToolTip(QStringLiteral("Reads the single-byte tag texts in this code page and writes ID3v1 "
                                      "tags in it; the shown file is read again"));
    m_group->addAction(action);
    return action;
}

QString CodePageMenu::Choice() const {
    const QAction* checked = m_group->checkedAction();
    return checked ? checked->data().toString() : QString();
}

bool CodePageMenu::Choose(const QString& name) {
    const std::optional<CodePageChoice> choice = CodePageChoice::Named(name.toStdString());
    if (!choice) return false;
    const bool changed = !(*choice == DefaultCodePage());
    SetDefaultCodePage(*choice);
    EntryFor(QString::fromStdString(choice->Name()))->setChecked(true);
    if (m_settings) m_settings->setValue(QString::fromLatin1(kSettingKey), QString::fromStdString(choice->Name()));
    if (changed) emit chosen();
    return true;
}

}  // namespace korvel::quelm
