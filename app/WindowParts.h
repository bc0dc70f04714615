#pragma once
// Small widgets of the main window: the path box that takes dropped files and
// the label that acts as a link.
#include <string>

#include <QLabel>
#include <QLineEdit>
#include <QStringList>

class QMimeData;

namespace korvel::quelm {

// A value as one line of a list: zero characters, line breaks and tabs are
// written as \0, \r, \n and \t (as korvel info writes them), other control
// characters as \xHH, and text beyond maxLength characters is cut off with an
// ellipsis.
QString ListText(const QString& value, int maxLength = 256);

// A path as the operating system spells it, for the library's file calls.
std::string FilePath(const QString& path);

// The local files among the dragged or dropped items, in their order.
QStringList DroppedFiles(const QMimeData* data);

// A line edit that accepts files dropped on it and reports them; other drops
// (plain text) are handled as by any line edit.
class DropPathBox : public QLineEdit {
    Q_OBJECT

public:
    explicit DropPathBox(QWidget* parent = nullptr);

signals:
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// A label drawn as a link, with a hand cursor. Its Tag holds the address it
// stands for; a click with the left button emits clicked().
class LinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    explicit LinkLabel(QWidget* parent = nullptr);

    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_tag;
};

}  // namespace korvel::quelm
