#include "WindowParts.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace korvel::quelm {

QString ListText(const QString& value, int maxLength) {
    const bool cut = value.size() > maxLength;
    QString text;
    text.reserve(std::min<qsizetype>(value.size(), maxLength) + 8);
    for (const QChar c : cut ? value.left(maxLength) : value) {
        switch (c.unicode()) {
            case 0: text += QLatin1String("\\0"); break;
            case '\t': text += QLatin1String("\\t"); break;
            case '\r': text += QLatin1String("\\r"); break;
            case '\n': text += QLatin1String("\\n"); break;
            default:
                if (c.unicode() < 0x20) {
                    text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
                } else {
                    text += c;
                }
        }
    }
    if (cut) text += QChar(0x2026);
    return text;
}

std::string FilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

DropPathBox::DropPathBox(QWidget* parent) : QLineEdit(parent) { setAcceptDrops(true); }

void DropPathBox::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFiles(event->mimeData()).isEmpty()) {
        QLineEdit::dragEnterEvent(event);
        return;
    }
    event->acceptProposedAction();
}

void DropPathBox::dragMoveEvent(QDragMoveEvent* event) {
    if (DroppedFiles(event->mimeData()).isEmpty()) {
        QLineEdit::dragMoveEvent(event);
        return;
    }
    event->acceptProposedAction();
}

void DropPathBox::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setForegroundRole(QPalette::Link);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace korvel::quelm
