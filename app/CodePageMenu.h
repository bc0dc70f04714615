#pragma once
// The "Legacy text encoding" menu: the code page in which Quelm reads the
// single-byte texts of every file (ID3v1 and Lyrics3 fields, ID3v2 frames in
// encoding 0) and writes ID3v1 tags, or "Automatic" for the code page found
// in each file. The choice is the library's process-wide default and is kept
// in the settings; choosing another one asks the window to read the shown
// file again.
#include <QMenu>
#include <QString>

class QActionGroup;
class QSettings;

namespace korvel::quelm {

class CodePageMenu : public QMenu {
    Q_OBJECT

public:
    // Applies the choice kept in the settings (without one, the library's
    // default, which the environment variable KORVEL_CODEPAGE may set) and
    // checks its entry.
    explicit CodePageMenu(QSettings* settings, QWidget* parent = nullptr);

    // The checked choice by its library name ("windows-1252", "auto", ...).
    QString Choice() const;
    // Makes the named choice the default and keeps it in the settings; false
    // for a name the library does not know. Emits chosen() when the choice
    // changed.
    bool Choose(const QString& name);

signals:
    void chosen();

private:
    // The entry of a choice, made (at the end) when the list has none.
    QAction* EntryFor(const QString& name);

    QSettings* m_settings;
    QActionGroup* m_group;
};

}  // namespace korvel::quelm
