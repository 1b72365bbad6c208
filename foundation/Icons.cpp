#include "foundation/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace Icons {

QIcon drawn(const std::function<void(QPainter &)> &draw)
{
    QIcon icon;
    for (int scale : {1, 2, 3}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

namespace {

const QColor Green(46, 139, 87);
const QColor Red(200, 55, 55);
const QColor Blue(37, 75, 108);
const QColor Amber(214, 140, 20);
const QColor Grey(150, 150, 150);

// A round badge with a sign: credits are a plus on green, debits a minus on red.
QIcon signBadge(const QColor &colour, bool plus, bool closed)
{
    return drawn([=](QPainter &p) {
        const QColor c = closed ? Grey : colour;
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        if (plus)
            p.drawLine(QPointF(8, 5), QPointF(8, 11));
        if (closed) {
            p.setPen(QPen(Green.darker(110), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(9, 9, 6.5, 6.5));
            p.drawPolyline(QPolygonF({QPointF(10.6, 12.3), QPointF(11.9, 13.6), QPointF(14, 10.8)}));
        }
    });
}

QIcon clock(bool closed)
{
    return drawn([=](QPainter &p) {
        p.setPen(QPen(closed ? Grey : Amber, 1.6));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(closed ? Grey : Blue, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.8, 9.6));
    });
}

// A circular arrow: an arc from startDegrees over spanDegrees with a triangular head.
void circularArrow(QPainter &p, const QColor &c, double width, int startDegrees, int spanDegrees,
                   const QPolygonF &head)
{
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), startDegrees * 16, spanDegrees * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
}

QIcon series(bool closed)
{
    return drawn([=](QPainter &p) {
        circularArrow(p, closed ? Grey : Blue, 1.7, 30, 280,
                      QPolygonF({QPointF(14.8, 2.8), QPointF(14.3, 7.6), QPointF(9.8, 5.9)}));
    });
}

QIcon paperclip()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(QColor(90, 90, 100), 1.4, Qt::SolidLine, Qt::RoundCap));
        QPainterPath path;
        path.moveTo(10.5, 5);
        path.lineTo(10.5, 11.5);
        path.arcTo(QRectF(6.5, 9.5, 4, 4), 0, -180);
        path.lineTo(6.5, 3.5);
        path.arcTo(QRectF(6.5, 1.5, 6, 4), 180, -180);
        path.lineTo(12.5, 12);
        path.arcTo(QRectF(4.5, 8, 8, 7), 0, -180);
        path.lineTo(4.5, 6);
        p.drawPath(path);
    });
}

QIcon document(const QColor &accent, const std::function<void(QPainter &)> &mark)
{
    return drawn([=](QPainter &p) {
        p.setPen(QPen(QColor(110, 110, 120), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(2.5, 1.5, 10, 13), 1.5, 1.5);
        p.setPen(QPen(accent, 1));
        for (double y : {5.0, 7.5, 10.0})
            p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
        mark(p);
    });
}

QIcon book(const QColor &cover)
{
    return drawn([=](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(cover);
        p.drawRoundedRect(QRectF(2, 1.5, 12, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 4, 7, 2));
        p.setBrush(cover.darker(130));
        p.drawRect(QRectF(2, 1.5, 2, 13));
    });
}

QIcon calendarPage(const QColor &band)
{
    return drawn([=](QPainter &p) {
        p.setPen(QPen(QColor(110, 110, 120), 1));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 12), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(band);
        p.drawRect(QRectF(2, 3, 12, 3));
        p.setBrush(QColor(110, 110, 120));
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(4 + c * 3, 8 + r * 3, 1.8, 1.8));
    });
}

} // namespace

void drawProgram(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawRoundedRect(QRectF(0.5, 1.5, 15, 14), 2.5, 2.5);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2.5, 5, 11, 9), 1, 1);
    p.setBrush(Red);
    p.drawEllipse(QRectF(8.5, 8.5, 4, 4));
    p.setBrush(Blue);
    p.drawRect(QRectF(4, 0.5, 1.6, 3));
    p.drawRect(QRectF(10.4, 0.5, 1.6, 3));
}

QIcon program()
{
    return drawn(drawProgram);
}

QList<QIcon> rowImageList()
{
    QList<QIcon> list(14);
    list[4] = signBadge(Green, true, false);    // 5 credit, open
    list[5] = signBadge(Red, false, false);     // 6 debit, open
    list[6] = clock(false);                     // 7 appointment, open
    list[8] = series(false);                    // 9 series, open
    list[9] = signBadge(Red, false, true);      // 10 debit, closed
    list[10] = signBadge(Green, true, true);    // 11 credit, closed
    list[11] = clock(true);                     // 12 appointment, closed
    list[12] = series(true);                    // 13 series, closed
    list[13] = paperclip();                     // 14 attachment
    return list;
}

QList<QIcon> sideListPictures()
{
    return {clock(false), book(Green)};
}

QList<QIcon> commandImageList()
{
    const QIcon add = document(Green, [](QPainter &p) {
        p.setPen(QPen(Green, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 9), QPointF(11, 15));
        p.drawLine(QPointF(8, 12), QPointF(14, 12));
    });
    const QIcon edit = document(Blue, [](QPainter &p) {
        p.setPen(QPen(Amber, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 14), QPointF(14.5, 7.5));
    });
    const QIcon remove = document(Grey, [](QPainter &p) {
        p.setPen(QPen(Red, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.5, 9.5), QPointF(14, 15));
        p.drawLine(QPointF(14, 9.5), QPointF(8.5, 15));
    });
    const QIcon refresh = drawn([](QPainter &p) {
        circularArrow(p, Green, 1.8, 60, 270, QPolygonF({QPointF(11.5, 0.8), QPointF(12.6, 5.8), QPointF(7.6, 4.6)}));
    });
    const QIcon tables = drawn([](QPainter &p) {
        p.setPen(QPen(Blue, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.drawLine(QPointF(1.5, 6), QPointF(14.5, 6));
        p.drawLine(QPointF(1.5, 9.5), QPointF(14.5, 9.5));
        p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
    });
    const QIcon print = drawn([](QPainter &p) {
        p.setPen(QPen(QColor(90, 90, 100), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(120, 130, 145));
        p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10, 7, 4.5));
    });
    const QIcon exportIcon = document(Blue, [](QPainter &p) {
        p.setPen(QPen(Green, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(8, 12), QPointF(14.5, 12));
        p.drawPolyline(QPolygonF({QPointF(12, 9.5), QPointF(14.5, 12), QPointF(12, 14.5)}));
    });
    const QIcon options = drawn([](QPainter &p) {
        p.setPen(QPen(QColor(90, 90, 100), 2.4, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, 5), QPointF(0, 6.5));
            p.restore();
        }
        p.setPen(QPen(QColor(90, 90, 100), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    });
    const QIcon help = drawn([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Blue);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
    });
    return {add, edit, remove, refresh, tables, print, exportIcon, options, help};
}

QList<QIcon> viewImageList(bool highlighted)
{
    return {book(highlighted ? Blue : Grey), book(highlighted ? Green : Grey)};
}

QIcon expandAll()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Blue, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.setPen(QPen(Blue, 1.6));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
    });
}

QIcon collapseAll()
{
    return drawn([](QPainter &p) {
        p.setPen(QPen(Blue, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.setPen(QPen(Blue, 1.6));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
    });
}

QList<QIcon> searchImageList()
{
    auto lens = [](const QColor &c, bool clear) {
        return drawn([=](QPainter &p) {
            p.setPen(QPen(c, 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(2, 2, 8.5, 8.5));
            p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
            if (clear) {
                p.setPen(QPen(Red, 1.6, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(4.5, 4.5), QPointF(8, 8));
                p.drawLine(QPointF(8, 4.5), QPointF(4.5, 8));
            }
        });
    };
    return {lens(QColor(90, 90, 100), false), lens(Blue, true)};
}

QIcon today()
{
    return calendarPage(Red);
}

QIcon currentMonth()
{
    return calendarPage(Blue);
}

} // namespace Icons
