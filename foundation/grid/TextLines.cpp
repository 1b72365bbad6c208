#include "foundation/grid/TextLines.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

QFont FontToFit(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                double leastPointSize)
{
    QFont smaller = font;
    double advance = QFontMetricsF(font, device).horizontalAdvance(text);
    // Text widths do not scale exactly with the font size: smaller until it fits.
    for (int i = 0; i < 8 && advance > width && width > 0; ++i) {
        const double k = width / advance * 0.98;
        if (smaller.pointSizeF() > 0) {
            if (smaller.pointSizeF() <= leastPointSize)
                break;
            smaller.setPointSizeF(std::max(leastPointSize, smaller.pointSizeF() * k));
        } else
            smaller.setPixelSize(std::max(1, int(smaller.pixelSize() * k)));
        advance = QFontMetricsF(smaller, device).horizontalAdvance(text);
    }
    return smaller;
}

double WidestUnbreakable(const QString &text, const QFont &font, const QPaintDevice *device)
{
    const QFontMetricsF fm(font, const_cast<QPaintDevice *>(device));
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    double widest = 0;
    qsizetype from = 0;
    for (qsizetype at = breaks.toNextBoundary(); at >= 0; at = breaks.toNextBoundary()) {
        widest = std::max(widest, fm.horizontalAdvance(text.mid(from, at - from).trimmed()));
        from = at;
    }
    return widest;
}

QStringList TextLines(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                      int maxLines)
{
    QStringList lines;
    if (maxLines < 1 || text.isEmpty())
        return lines;
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = plain.split(QLatin1Char('\n'));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qsizetype restFrom = -1;   // where the text left over begins, in `plain`
    qsizetype paragraphStart = 0;
    for (const QString &paragraph : paragraphs) {
        QTextLayout layout(paragraph, font, const_cast<QPaintDevice *>(device));
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (lines.size() == maxLines) {
                restFrom = paragraphStart + line.textStart();
                break;
            }
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (paragraph.isEmpty() && restFrom < 0) {
            if (lines.size() == maxLines)
                restFrom = paragraphStart;
            else
                lines << QString();
        }
        if (restFrom >= 0)
            break;
        paragraphStart += paragraph.size() + 1;
    }
    // Trailing empty lines say nothing.
    while (!lines.isEmpty() && lines.last().isEmpty() && restFrom < 0)
        lines.removeLast();
    if (restFrom >= 0 && !lines.isEmpty()) {
        // The last line holds what it had and the rest of the text, cut with an ellipsis.
        const QFontMetricsF fm(font, const_cast<QPaintDevice *>(device));
        QString last = lines.last() + QLatin1Char(' ') + plain.mid(restFrom).simplified();
        lines.last() = fm.elidedText(last.trimmed(), Qt::ElideRight, width);
    }
    return lines;
}
