#include "TabIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace korvel::quelm {

namespace {

// A luggage label pointing left, with a punched hole and a digit on it.
QPixmap DrawLabel(int size, const QColor& colour, const QString& digit) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);

    QPainterPath shape;
    shape.addPolygon(QPolygonF({QPointF(0.5, 8), QPointF(5, 2.5), QPointF(15.5, 2.5),
                                QPointF(15.5, 13.5), QPointF(5, 13.5), QPointF(0.5, 8)}));
    QPainterPath hole;
    hole.addEllipse(QPointF(4.2, 8), 1.2, 1.2);
    p.setPen(QPen(colour.darker(150), 0.8));
    p.setBrush(colour);
    p.drawPath(shape.subtracted(hole));

    QFont font;
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 2.5, 9.5, 11), Qt::AlignCenter, digit);
    return pixmap;
}

// An eighth note.
QPixmap DrawNote(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);

    p.save();
    p.translate(5.5, 12.2);
    p.rotate(-25);
    p.drawEllipse(QPointF(0, 0), 3.3, 2.3);
    p.restore();

    p.drawRect(QRectF(7.9, 1.5, 1.4, 10.5));

    QPainterPath flag;
    flag.moveTo(9.3, 1.5);
    flag.cubicTo(10.5, 4.5, 14.5, 5.0, 13.0, 9.5);
    flag.cubicTo(13.2, 6.8, 11.2, 5.8, 9.3, 5.6);
    flag.closeSubpath();
    p.drawPath(flag);
    return pixmap;
}

QIcon Build(const QString& key) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        if (key == QLatin1String("id3v1")) {
            icon.addPixmap(DrawLabel(size, QColor(0x2a, 0x6f, 0xc9), QStringLiteral("1")));
        } else if (key == QLatin1String("id3v2")) {
            icon.addPixmap(DrawLabel(size, QColor(0x2e, 0x9a, 0x4b), QStringLiteral("2")));
        } else if (key == QLatin1String("Lyrics")) {
            icon.addPixmap(DrawNote(size, QColor(0x8a, 0x3f, 0xb5)));
        }
    }
    return icon;
}

}  // namespace

QIcon TabImage(const QString& key) { return Build(key); }

QStringList TabImageKeys() {
    return {QStringLiteral("id3v1"), QStringLiteral("id3v2"), QStringLiteral("Lyrics")};
}

}  // namespace korvel::quelm
