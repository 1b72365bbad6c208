#include "editors/EditorIcons.h"

#include "foundation/Icons.h"

#include <QPainter>
#include <QPixmap>
#include <functional>

namespace EditorIcons {

namespace {

const QColor Magenta(255, 0, 255);
const QColor Blue(37, 75, 108);
const QColor Gold(214, 160, 30);
const QColor Red(200, 55, 55);

// Draws on a 16 x 16 canvas scaled to size, over the transparent colour.
QImage onMagenta(int size, const std::function<void(QPainter &)> &draw)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Magenta);
    QPainter p(&image);
    // No antialiasing: blended edges would take a tint of the magenta ground.
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    return image;
}

} // namespace

QImage person(int size)
{
    return onMagenta(size, [](QPainter &p) {
        p.setPen(QPen(Blue.darker(130), 1));
        p.setBrush(QColor(240, 200, 160));
        p.drawEllipse(QRect(5, 1, 6, 6));
        p.setBrush(Blue);
        p.drawRoundedRect(QRect(2, 8, 12, 7), 3, 3);
    });
}

QImage coins(int size)
{
    return onMagenta(size, [](QPainter &p) {
        p.setPen(QPen(Gold.darker(150), 1));
        p.setBrush(Gold);
        for (int y : {11, 8, 5, 2})
            p.drawEllipse(QRect(2, y, 12, 4));
        p.setPen(QPen(Gold.lighter(140), 1));
        p.drawLine(QPoint(5, 4), QPoint(11, 4));
    });
}

QIcon exit()
{
    return Icons::drawn([](QPainter &p) {
        p.setPen(QPen(QColor(110, 110, 120), 1));
        p.setBrush(QColor(180, 140, 100));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(QColor(90, 90, 100));
        p.drawEllipse(QRectF(7, 8, 1.5, 1.5));
        p.setPen(QPen(Red, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(8.5, 5.5), QPointF(14.5, 5.5));
        p.drawPolyline(QPolygonF({QPointF(12.5, 3.5), QPointF(14.5, 5.5), QPointF(12.5, 7.5)}));
    });
}

} // namespace EditorIcons
