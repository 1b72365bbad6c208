#include "foundation/grid/GridPrinter.h"

#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/grid/TextLines.h"
#include "platform/RuntimeError.h"
#include "platform/shell/Shell.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QString kSource = QStringLiteral("GridPrinter");

// Spacing of the printed page, in twips.
constexpr double CellPadding = 60;       // left and right inside a cell
constexpr double GroupIndent = 240;      // per group level
constexpr double BandGap = 120;          // between a band's text and its rule
constexpr double IconSize = 240;         // the 16 x 16 pictures print at a sixth of an inch
constexpr double NotePadding = 50;       // above and below the note's text
constexpr double MinBaseLine = 40;       // room under a row's text
constexpr double KeptWidth = 1440;       // what a column keeps when the columns are narrowed to the page
constexpr char16_t LatinLetters = 0x250; // the letters whose widths a note's length is told from
constexpr int BandLines = 2;             // lines a page header's or footer's centre text may take
constexpr int HeaderLines = 3;           // lines a column's caption may take
constexpr double LeastPrintedPoints = 6; // no printed text is smaller: it could not be read on paper

// Band colours of group rows by level (the grid's own white ground would not set them apart on paper).
QColor groupTint(int level)
{
    switch (level) {
    case 0: return QColor(222, 229, 237);
    case 1: return QColor(235, 239, 244);
    default: return QColor(244, 246, 249);
    }
}

const QColor kRule(90, 90, 90);
const QColor kGridLine(205, 205, 205);
const QColor kNoteText(70, 70, 70);

} // namespace

// The column slots and the bands of one device's page, in twips.
struct GridPrinter::ColumnSlot {
    GridColumn *column;
    double x;
    double width;
    QStringList header;   // the caption's lines
};

struct GridPrinter::Geometry {
    QPagedPaintDevice *device = nullptr;
    double k = 1;                // device units per twip
    double pageWidth = 0;        // the printable area
    double pageHeight = 0;
    double headerBand = 0;       // page header, above the rows' area
    double footerBand = 0;       // page footer, below it
    double rowsHeight = 0;       // the rows' area
    double columnHeaders = 0;    // height of the column headers' line
    double rowHeight = 0;        // the grid's row height, at least one line of text
    double textLine = 0;         // one line of the rows' font
    double rowsWidth = 0;        // the columns side by side
    QList<ColumnSlot> columns;
    // Notes: the width their lines take (device units), the height of a note of one line (twips), and the
    // advance of each Latin letter in their font (device units), which tells most short notes without
    // laying them out.
    double noteWidth = 1;
    double noteLine = 0;         // the lines of a note, one under the other (twips)
    std::vector<double> noteAdvance;
    double noteWidest = 0;
};

GridPrinter::GridPrinter(ListGrid *grid)
    : QObject(grid), m_grid(grid), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_font = grid->font();
    m_font.setPointSizeF(9);
    m_printer->setPageOrientation(QPageLayout::Portrait);
    setPrintUnit(Metric);
}

GridPrinter::~GridPrinter() = default;

void GridPrinter::setPrinterInfo(const QPrinterInfo &info)
{
    if (info.isNull())
        return;
    m_printer->setPrinterName(info.printerName());
    const QPageSize size = info.defaultPageSize();
    if (size.isValid())
        m_printer->setPageSize(size);
}

void GridPrinter::setPrintUnit(int unit)
{
    m_printUnit = unit == Inches ? Inches : Metric;
    QPageLayout layout = m_printer->pageLayout();
    // Without a printer of its own the paper follows the measurement system.
    if (m_printer->outputFormat() == QPrinter::PdfFormat)
        layout.setPageSize(QPageSize(m_printUnit == Inches ? QPageSize::Letter : QPageSize::A4));
    if (m_printUnit == Inches) {
        layout.setUnits(QPageLayout::Inch);
        layout.setMargins(QMarginsF(0.6, 0.5, 0.6, 0.5));
    } else {
        layout.setUnits(QPageLayout::Millimeter);
        layout.setMargins(QMarginsF(15, 12, 15, 12));
    }
    m_printer->setPageLayout(layout);
}

// ---------------------------------------------------------------------------------------------------
// Layout

QFont GridPrinter::deviceFont(const Geometry &, double scale, bool bold, bool italic) const
{
    QFont f = m_font;
    const double size = m_font.pointSizeF() > 0 ? m_font.pointSizeF() : 9;
    f.setPointSizeF(size * scale);
    if (bold)
        f.setBold(true);
    if (italic)
        f.setItalic(true);
    return f;
}

GridPrinter::Geometry GridPrinter::geometry(QPagedPaintDevice *device) const
{
    m_grid->rowCount();   // builds the rows when they are due: the columns' widths follow their texts
    Geometry g;
    g.device = device;
    const int dpi = device->logicalDpiY() > 0 ? device->logicalDpiY() : 1200;
    g.k = dpi / 1440.0;
    const QRect paint = device->pageLayout().paintRectPixels(dpi);
    g.pageWidth = paint.width() / g.k;
    g.pageHeight = paint.height() / g.k;

    auto lineHeight = [&](const QFont &f) { return QFontMetricsF(f, device).height() / g.k; };
    const double text = lineHeight(deviceFont(g, 1));
    g.textLine = text;
    // The bands take the lines that their texts, as set when the pages are laid out, need.
    auto bandLines = [&](const QString *texts, bool header) {
        return double(std::max<qsizetype>(1, bandLayout(g, texts, header).centre.size()));
    };
    g.headerBand = std::max(bandLines(m_header, true) * lineHeight(bandFont(true, true)), lineHeight(bandFont(true, false)))
                   + 2 * BandGap;
    g.footerBand = bandLines(m_footer, false) * lineHeight(bandFont(false, true)) + 2 * BandGap;
    g.rowsHeight = std::max(1.0, g.pageHeight - g.headerBand - g.footerBand);
    g.rowHeight = std::max<double>(m_grid->rowHeight(), text + MinBaseLine);

    QList<GridColumn *> shown;
    for (GridColumn *c : m_grid->columnsInDisplayOrder())
        if (c->isVisible())
            shown.append(c);
    const std::vector<double> widths = columnWidths(g, shown);
    double x = 0;
    for (int i = 0; i < shown.size(); ++i) {
        g.columns.append({shown[i], x, widths[size_t(i)], {}});
        x += widths[size_t(i)];
    }
    g.rowsWidth = std::min(x, g.pageWidth);

    // Column captions wrap at their words; the headers' line is as high as the tallest caption.
    const QFont headerFont = deviceFont(g, 0.95, true);
    qsizetype headerLines = 1;
    for (ColumnSlot &s : g.columns) {
        if (s.column->content() == GridColumn::IconOnly)
            continue;
        s.header = TextLines(s.column->caption(), headerFont, device, std::max(1.0, (s.width - 2 * CellPadding) * g.k),
                             HeaderLines);
        headerLines = std::max(headerLines, s.header.size());
    }
    g.columnHeaders = std::max<double>(m_grid->headerHeight(), headerLines * lineHeight(headerFont) + 2 * MinBaseLine);

    const QFontMetricsF note(deviceFont(g, 0.9, false, true), device);
    g.noteWidth = std::max(1.0, (g.rowsWidth - GroupIndent - 2 * CellPadding) * g.k);
    g.noteLine = note.lineSpacing() / g.k;
    g.noteAdvance.resize(LatinLetters);
    for (int c = 0x20; c < LatinLetters; ++c) {
        g.noteAdvance[size_t(c)] = note.horizontalAdvance(QChar(c));
        g.noteWidest = std::max(g.noteWidest, g.noteAdvance[size_t(c)]);
    }
    return g;
}

namespace {

// Amounts, dates and numbers (right-aligned or centred): printed whole, never cut.
bool isWhole(const GridColumn *c)
{
    return c->content() != GridColumn::IconOnly && (c->alignment() & (Qt::AlignRight | Qt::AlignHCenter));
}

} // namespace

std::vector<double> GridPrinter::columnWidths(const Geometry &g, const QList<GridColumn *> &shown) const
{
    const GridModel *model = m_grid->model();
    const QFont headerFont = deviceFont(g, 0.95, true);
    // Bold: the widest a row's text prints (a styled row, a line of sums).
    const QFontMetricsF rows(deviceFont(g, 1.0, true), g.device);
    const double points = m_font.pointSizeF() > 0 ? m_font.pointSizeF() : 9;

    // The widest text of each whole column, over its records and its group sums. Digits take one width in
    // the fonts reports are printed in, so only texts about as long as the longest are measured.
    struct Widest {
        int longest = 0;
        double width = 0;
        void see(const QString &text, const QFontMetricsF &fm)
        {
            if (text.size() + 1 < longest)
                return;
            longest = std::max(longest, int(text.size()));
            width = std::max(width, fm.horizontalAdvance(text));
        }
    };
    std::vector<Widest> widest(size_t(shown.size()));
    QList<int> whole;
    for (int i = 0; i < shown.size(); ++i)
        if (isWhole(shown[i]))
            whole.append(i);
    if (!whole.isEmpty()) {
        const int count = model->visibleCount();
        for (int r = 0; r < count; ++r) {
            const GridModel::RowRef ref = model->rowRef(r);
            if (GridModel::isGroupRef(ref)) {
                for (int i : whole)
                    if (m_sumColumns.contains(shown[i]->key(), Qt::CaseInsensitive))
                        widest[size_t(i)].see(formatNamed(model->groupSum(GridModel::groupOfRef(ref), shown[i]->index()),
                                                          shown[i]->format()), rows);
                continue;
            }
            for (int i : whole)
                widest[size_t(i)].see(model->cellText(ref, shown[i]->index()), rows);
        }
    }

    // What each column takes, from the most it wants down to the least it can take: the width given to it
    // (or the width its caption's longest word or its widest amount needs, when more); then text columns
    // down to KeptWidth; then text columns down to their caption's longest word; then amounts in a
    // smaller font, never below LeastPrintedPoints; then text columns down to a few letters. Only a page
    // too narrow even for that narrows every column alike.
    constexpr int Levels = 5;
    constexpr double FewLetters = 360;
    std::vector<std::array<double, Levels>> level(size_t(shown.size()));
    for (int i = 0; i < shown.size(); ++i) {
        const GridColumn *c = shown[i];
        const double natural = std::max(0, c->width());
        auto &l = level[size_t(i)];
        if (c->content() == GridColumn::IconOnly) {
            l.fill(natural);
            continue;
        }
        const double header = WidestUnbreakable(c->caption(), headerFont, g.device) / g.k + 2 * CellPadding;
        if (isWhole(c)) {
            const double icon = c->content() == GridColumn::IconAndText ? IconSize + CellPadding : 0;
            const double text = widest[size_t(i)].width / g.k;
            const double full = std::max({natural, header, text + 2 * CellPadding + icon});
            const double least = std::max(header, text * LeastPrintedPoints / points + 2 * CellPadding + icon);
            l = {full, full, full, least, least};
        } else {
            const double full = std::max(natural, header);
            l = {full, std::max(header, std::min(natural, KeptWidth)), header, header, std::min(header, FewLetters)};
        }
    }
    auto total = [&](int k) {
        double sum = 0;
        for (const auto &l : level)
            sum += l[size_t(k)];
        return sum;
    };
    std::vector<double> widths(size_t(shown.size()));
    const double page = g.pageWidth;
    const double full = total(0);
    if (!m_fitColumns || full <= 0) {
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = level[i][0];
        return widths;
    }
    if (full <= page) {
        // Room to spare: every column wider by the same share.
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = level[i][0] * page / full;
        return widths;
    }
    for (int k = 1; k < Levels; ++k) {
        const double before = total(k - 1), after = total(k);
        if (after > page && k + 1 < Levels)
            continue;
        // Between the level before and this one, as far as the page needs.
        const double t = after > page ? 1.0 : (before - page) / std::max(1e-9, before - after);
        const double squeeze = after > page ? page / after : 1.0;   // the last resort: all narrower
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = (level[i][size_t(k - 1)] - t * (level[i][size_t(k - 1)] - level[i][size_t(k)])) * squeeze;
        break;
    }
    return widths;
}

// The index of the column printed as a note under its record; -1 when there is none.
int GridPrinter::noteColumn() const
{
    if (m_previewColumn.isEmpty() || !m_grid->hasColumn(m_previewColumn))
        return -1;
    return m_grid->column(m_previewColumn)->index();
}

QString GridPrinter::noteText(int row0) const
{
    return GridNoteText(*m_grid->model(), row0, noteColumn());
}

std::unique_ptr<QTextLayout> GridPrinter::noteLayout(const Geometry &g, const QString &text) const
{
    // Line breaks of the note stay; its lines wrap at words in the width of the page's rows.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    auto layout = std::make_unique<QTextLayout>(lines, deviceFont(g, 0.9, false, true), g.device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    int n = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(g.noteWidth);
        line.setPosition(QPointF(0, n++ * g.noteLine * g.k));
    }
    layout->endLayout();
    return layout;
}

int GridPrinter::noteLines(const Geometry &g, const QString &text) const
{
    // A note of Latin letters whose widths, with room to spare for kerning, fit the line is one line: told
    // without laying it out (most notes are such).
    double estimate = g.noteWidest;
    bool latin = true;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= LatinLetters) {
            latin = false;
            break;
        }
        estimate += g.noteAdvance[c.unicode()];
    }
    if (latin && estimate * 1.05 <= g.noteWidth)
        return 1;
    return std::max(1, noteLayout(g, text)->lineCount());
}

QList<GridPrinter::Page> GridPrinter::layOut(const Geometry &g) const
{
    GridPageMetrics m;
    m.rowsHeight = g.rowsHeight;
    m.columnHeaders = g.columnHeaders;
    m.rowHeight = g.rowHeight;
    m.tallRowLeast = g.textLine + MinBaseLine;
    m.noteLine = g.noteLine;
    m.notePadding = NotePadding;
    m.repeatHeaders = m_repeatHeaders;
    m.groupSums = !m_sumColumns.isEmpty();
    m.noteColumn = noteColumn();
    return PaginateGrid(*m_grid->model(), m, [&](const QString &text) { return noteLines(g, text); });
}

QList<GridPrinter::Page> GridPrinter::paginate(QPagedPaintDevice *device) const
{
    return layOut(geometry(device ? device : m_printer.get()));
}

int GridPrinter::pageCount(QPagedPaintDevice *device) const
{
    return int(paginate(device).size());
}

QList<QList<int>> GridPrinter::rowsPerPage(QPagedPaintDevice *device) const
{
    QList<QList<int>> out;
    for (const Page &page : paginate(device)) {
        QList<int> rows;
        for (const PageItem &item : page.items)
            if (item.kind == PageItem::Group || item.kind == PageItem::Record)
                rows.append(item.row);
        out.append(rows);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------------
// Drawing

namespace {

QRectF deviceRect(double k, double x, double y, double w, double h)
{
    return QRectF(x * k, y * k, w * k, h * k);
}

// True for a font whose glyphs are pictures (colour emoji): a PDF, or a printer, draws glyphs from their
// outlines only and would leave them out.
bool isPictureFont(const QRawFont &font)
{
    static QHash<QString, bool> known;
    const QString key = font.familyName() + QLatin1Char('/') + font.styleName();
    if (const auto it = known.constFind(key); it != known.constEnd())
        return *it;
    bool picture = false;
    for (const char *table : {"CBDT", "sbix", "COLR", "SVG "})
        picture = picture || !font.fontTable(table).isEmpty();
    known.insert(key, picture);
    return picture;
}

// Draws glyph runs laid out from origin; those of a picture font as pictures at the device's resolution,
// as the screen draws them.
void drawGlyphRuns(QPainter &p, const QList<QGlyphRun> &runs, const QPointF &origin)
{
    for (const QGlyphRun &run : runs) {
        if (!isPictureFont(run.rawFont())) {
            p.drawGlyphRun(origin, run);
            continue;
        }
        const QRect pixels = p.transform().mapRect(run.boundingRect().translated(origin)).toAlignedRect();
        if (pixels.isEmpty())
            continue;
        QImage picture(pixels.size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter raster(&picture);
        raster.setRenderHint(QPainter::SmoothPixmapTransform);
        raster.setTransform(p.transform() * QTransform::fromTranslate(-pixels.left(), -pixels.top()));
        raster.setPen(p.pen());
        raster.drawGlyphRun(origin, run);
        raster.end();
        p.save();
        p.resetTransform();
        p.drawImage(pixels.topLeft(), picture);
        p.restore();
    }
}

// Characters that a picture font may draw: emoji and the symbols that have emoji forms.
bool mayNeedPictures(const QString &text)
{
    for (QChar c : text)
        if (c.isSurrogate() || (c.unicode() >= 0x2190 && c.unicode() < 0x2C00) || c.unicode() == 0xFE0F)
            return true;
    return false;
}

// Draws the user's text in a rectangle as QPainter::drawText does (alignment, word wrap, its own line
// breaks, clipped unless Qt::TextDontClip), with the glyphs of picture fonts drawn as pictures.
void drawUserText(QPainter &p, const QRectF &rect, int flags, const QString &text)
{
    if (!mayNeedPictures(text)) {
        p.drawText(rect, flags, text);
        return;
    }
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, p.font(), p.device());
    QTextOption option;
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    double top = rect.top();
    if (flags & Qt::AlignVCenter)
        top += (rect.height() - height) / 2;
    else if (flags & Qt::AlignBottom)
        top += rect.height() - height;
    p.save();
    if (!(flags & Qt::TextDontClip))
        p.setClipRect(rect, Qt::IntersectClip);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        double left = rect.left();
        if (flags & Qt::AlignRight)
            left += rect.width() - line.naturalTextWidth();
        else if (flags & Qt::AlignHCenter)
            left += (rect.width() - line.naturalTextWidth()) / 2;
        drawGlyphRuns(p, layout.glyphRuns(line.textStart(), line.textLength()), QPointF(left, top));
    }
    p.restore();
}

bool isOneLine(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    return true;
}

// Draws a cell's text. Amounts, dates and numbers (right-aligned or centred) are never cut: a font small
// enough for the cell prints them whole. Left-aligned text that does not fit ends with an ellipsis.
void cellText(QPainter &p, const QPaintDevice *device, const QRectF &rect, Qt::Alignment alignment, const QString &text)
{
    const int align = int((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    const QFont font = p.font();
    QFontMetricsF fm(font, const_cast<QPaintDevice *>(device));
    if (isOneLine(text)) {
        // Shaped once, measured and drawn from the same layout: most cells fit.
        QTextLayout layout(text, font, const_cast<QPaintDevice *>(device));
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (line.isValid() && line.horizontalAdvance() <= rect.width()) {
            const double natural = line.naturalTextWidth();
            double x = rect.left();
            if (alignment & Qt::AlignRight)
                x = rect.right() - natural;
            else if (alignment & Qt::AlignHCenter)
                x = rect.left() + (rect.width() - natural) / 2;
            const QPointF at(x, rect.top() + (rect.height() - line.height()) / 2);
            if (mayNeedPictures(text))
                drawGlyphRuns(p, layout.glyphRuns(), at);
            else
                layout.draw(&p, at);
            return;
        }
    } else if (fm.horizontalAdvance(text) <= rect.width()) {
        drawUserText(p, rect, align, text);
        return;
    }
    if (!(alignment & (Qt::AlignRight | Qt::AlignHCenter))) {
        drawUserText(p, rect, align, fm.elidedText(text, Qt::ElideRight, rect.width()));
        return;
    }
    p.setFont(FontToFit(text, font, device, rect.width(), LeastPrintedPoints));
    drawUserText(p, rect, align | int(Qt::TextDontClip), text);
    p.setFont(font);
}

void hairline(QPainter &p, double k, const QColor &colour, double x1, double y, double x2, double widthTwips = 10)
{
    p.save();
    QPen pen(colour);
    pen.setWidthF(std::max(1.0, widthTwips * k));
    p.setPen(pen);
    p.drawLine(QPointF(x1 * k, y * k), QPointF(x2 * k, y * k));
    p.restore();
}

} // namespace

struct GridPrinter::Layout {
    Geometry geometry;
    QList<Page> pages;
};

std::shared_ptr<const GridPrinter::Layout> GridPrinter::layOutForPrinter() const
{
    auto layout = std::make_shared<Layout>();
    layout->geometry = geometry(m_printer.get());
    layout->pages = layOut(layout->geometry);
    return layout;
}

int GridPrinter::pageCount(const Layout &layout)
{
    return int(layout.pages.size());
}

void GridPrinter::drawPage(QPainter &p, const Layout &layout, int number)
{
    const int count = int(layout.pages.size());
    if (number < 1 || number > count)
        return;
    m_grid->model()->guarded([&] { emit BeforePrintPage(number, count); });
    drawPage(p, layout.geometry, layout.pages[number - 1], number, count);
}

void GridPrinter::render(QPagedPaintDevice *device)
{
    const Geometry g = geometry(device);
    const QList<Page> pages = layOut(g);
    QPainter p;
    if (!p.begin(device))
        throw platform::RuntimeError(platform::errors::DbGeneric, kSource, QString());
    const int count = int(pages.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            device->newPage();
        // The owner sets the texts of this page; a failing answer is told once, and the page is drawn.
        m_grid->model()->guarded([&] { emit BeforePrintPage(i + 1, count); });
        drawPage(p, g, pages[i], i + 1, count);
    }
    p.end();
}

void GridPrinter::drawPage(QPainter &p, const Geometry &g, const Page &page, int, int) const
{
    drawBand(p, g, m_header, 0, g.headerBand, true);
    drawBand(p, g, m_footer, g.pageHeight - g.footerBand, g.footerBand, false);
    p.save();
    p.translate(0, g.headerBand * g.k);
    p.setClipRect(deviceRect(g.k, 0, 0, g.pageWidth, g.rowsHeight));
    for (const PageItem &item : page.items) {
        switch (item.kind) {
        case PageItem::ColumnHeaders:
            drawColumnHeaders(p, g, item.top, item.height);
            break;
        case PageItem::Group:
            drawGroup(p, g, item.row - 1, item.top, item.height);
            break;
        case PageItem::Record:
            drawRecord(p, g, item.row - 1, item.top, item.height);
            break;
        case PageItem::Note:
            drawNote(p, g, item, item.top, item.height);
            break;
        case PageItem::GroupSums:
            drawGroupSums(p, g, item.group, item.top, item.height);
            break;
        }
    }
    p.restore();
}

QFont GridPrinter::bandFont(bool header, bool centre) const
{
    Geometry none;
    if (header)
        return centre ? deviceFont(none, 1.35, true) : deviceFont(none, 1.0);
    return deviceFont(none, 0.85);
}

GridPrinter::BandLayout GridPrinter::bandLayout(const Geometry &g, const QString *texts, bool header) const
{
    const QFontMetricsF sideMetrics(bandFont(header, false), g.device);
    const double width = g.pageWidth * g.k;
    const double gap = 2 * CellPadding * g.k;
    // The sides take what their texts need, up to a third of the width each; the centre text takes the
    // width they leave, the same on both sides so that it stays centred, on up to two lines.
    BandLayout b;
    b.left = sideMetrics.elidedText(texts[Left], Qt::ElideRight, width / 3);
    b.right = sideMetrics.elidedText(texts[Right], Qt::ElideRight, width / 3);
    const double sides = std::max(b.left.isEmpty() ? 0.0 : sideMetrics.horizontalAdvance(b.left) + gap,
                                  b.right.isEmpty() ? 0.0 : sideMetrics.horizontalAdvance(b.right) + gap);
    b.centreWidth = std::max(1.0, width - 2 * sides);
    b.centre = TextLines(texts[Centre], bandFont(header, true), g.device, b.centreWidth, BandLines);
    return b;
}

void GridPrinter::drawBand(QPainter &p, const Geometry &g, const QString *texts, double top, double height,
                           bool header) const
{
    const BandLayout b = bandLayout(g, texts, header);
    const double textTop = header ? top : top + BandGap;
    const double textHeight = height - BandGap;
    const QRectF area = deviceRect(g.k, 0, textTop, g.pageWidth, textHeight);
    p.save();
    p.setPen(Qt::black);
    p.setFont(bandFont(header, false));
    drawUserText(p, area, int(Qt::AlignLeft | Qt::AlignVCenter), b.left);
    drawUserText(p, area, int(Qt::AlignRight | Qt::AlignVCenter), b.right);
    // A page whose centre text needs more lines than the band was laid out for ends its last line with
    // an ellipsis.
    const QFont centre = bandFont(header, true);
    const int fit = std::max(1, int(textHeight * g.k / QFontMetricsF(centre, g.device).height() + 0.01));
    QStringList lines = b.centre;
    if (lines.size() > fit)
        lines = TextLines(texts[Centre], centre, g.device, b.centreWidth, fit);
    p.setFont(centre);
    const QRectF centreArea((g.pageWidth * g.k - b.centreWidth) / 2, area.top(), b.centreWidth, area.height());
    drawUserText(p, centreArea, int(Qt::AlignHCenter | Qt::AlignVCenter), lines.join(QLatin1Char('\n')));
    p.restore();
    if (header)
        hairline(p, g.k, kRule, 0, top + height - BandGap / 2, g.pageWidth, 15);
    else
        hairline(p, g.k, kRule, 0, top + BandGap / 2, g.pageWidth, 10);
}

void GridPrinter::drawColumnHeaders(QPainter &p, const Geometry &g, double top, double height) const
{
    p.save();
    p.setFont(deviceFont(g, 0.95, true));
    p.setPen(Qt::black);
    for (const ColumnSlot &s : g.columns) {
        if (s.column->content() == GridColumn::IconOnly)
            continue;
        const double inner = std::max(0.0, s.width - 2 * CellPadding);
        const int align = int((s.column->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
        drawUserText(p, deviceRect(g.k, s.x + CellPadding, top, inner, height), align, s.header.join(QLatin1Char('\n')));
    }
    p.restore();
    hairline(p, g.k, kRule, 0, top + height - 10, g.rowsWidth, 20);
}

void GridPrinter::drawGroup(QPainter &p, const Geometry &g, int row0, double top, double height) const
{
    const GridModel *model = m_grid->model();
    const GridModel::RowRef ref = model->rowRef(row0);
    const int level = model->groupLevel(GridModel::groupOfRef(ref));
    const GridModel::RowFormat &format = model->rowFormat(ref);
    GridRowStyle style = m_grid->groupRowStyle();
    if (!format.style.isEmpty() && m_grid->hasRowStyle(format.style))
        style = m_grid->rowStyle(format.style);

    const double indent = level * GroupIndent;
    const QColor back = (style.backColor.isValid() && style.backColor != QColor(Qt::white)) ? style.backColor
                                                                                          : groupTint(level);
    const double gap = 20;   // a thin white line between neighbouring bands
    p.fillRect(deviceRect(g.k, indent, top + gap, g.rowsWidth - indent, height - 2 * gap), back);

    // A taller row (a title) gets a larger font, up to two fifths more.
    const double scale = std::clamp(height / g.rowHeight, 1.0, 1.4);
    QFont font = deviceFont(g, scale, true, style.italic);
    font.setStrikeOut(style.strikeOut);
    p.save();
    p.setFont(font);
    p.setPen(style.foreColor.isValid() ? style.foreColor : QColor(Qt::black));
    const QFontMetricsF fm(font, g.device);
    const double inner = std::max(0.0, g.rowsWidth - indent - 2 * CellPadding);
    const QString caption = fm.elidedText(format.caption.trimmed(), Qt::ElideRight, inner * g.k);
    drawUserText(p, deviceRect(g.k, indent + CellPadding, top, inner, height), int(Qt::AlignLeft | Qt::AlignVCenter),
               caption);
    p.restore();
}

void GridPrinter::drawRecord(QPainter &p, const Geometry &g, int row0, double top, double height) const
{
    const GridModel *model = m_grid->model();
    const GridModel::RowRef ref = model->rowRef(row0);
    const GridModel::RowFormat &format = model->rowFormat(ref);
    GridRowStyle style;
    if (!format.style.isEmpty() && m_grid->hasRowStyle(format.style))
        style = m_grid->rowStyle(format.style);

    if (style.backColor.isValid() && style.backColor != QColor(Qt::white))
        p.fillRect(deviceRect(g.k, 0, top, g.rowsWidth, height), style.backColor);
    QFont font = deviceFont(g, 1.0, style.bold, style.italic);
    font.setStrikeOut(style.strikeOut);
    p.save();
    p.setFont(font);
    p.setPen(style.foreColor.isValid() ? style.foreColor : QColor(Qt::black));
    for (const ColumnSlot &s : g.columns) {
        const int column = s.column->index();
        double x = s.x + CellPadding;
        double inner = std::max(0.0, s.width - 2 * CellPadding);
        const GridColumn::Content content = s.column->content();
        if (content != GridColumn::TextOnly) {
            const QIcon icon = model->image(model->iconOf(ref, column));
            const double size = std::min(IconSize, height - MinBaseLine);
            if (!icon.isNull() && size > 0) {
                double ix = x;
                if (content == GridColumn::IconOnly) {
                    const Qt::Alignment h = s.column->alignment() & Qt::AlignHorizontal_Mask;
                    if (h & Qt::AlignHCenter)
                        ix = s.x + (s.width - size) / 2;
                    else if (h & Qt::AlignRight)
                        ix = s.x + s.width - CellPadding - size;
                }
                // QIcon::paint never enlarges: the largest picture is scaled to the printer's size.
                const QRectF target = deviceRect(g.k, ix, top + (height - size) / 2, size, size);
                const QPixmap picture = icon.pixmap(target.size().toSize());
                p.save();
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawPixmap(target, picture, QRectF(picture.rect()));
                p.restore();
            }
            if (content == GridColumn::IconOnly)
                continue;
            if (!icon.isNull()) {
                x += IconSize + CellPadding;
                inner = std::max(0.0, inner - IconSize - CellPadding);
            }
        }
        cellText(p, g.device, deviceRect(g.k, x, top, inner, height), s.column->alignment(),
                 model->cellText(ref, column));
    }
    p.restore();
    // The line under a record goes under its note when it has one.
    if (m_grid->gridLines() && noteText(row0).isEmpty())
        hairline(p, g.k, kGridLine, 0, top + height, g.rowsWidth);
}

void GridPrinter::drawNote(QPainter &p, const Geometry &g, const PageItem &piece, double top, double height) const
{
    const std::unique_ptr<QTextLayout> layout = noteLayout(g, noteText(piece.row - 1));
    p.save();
    p.setFont(deviceFont(g, 0.9, false, true));
    p.setPen(kNoteText);
    const QRectF area = deviceRect(g.k, GroupIndent + CellPadding, top + NotePadding,
                                   std::max(0.0, g.rowsWidth - GroupIndent - 2 * CellPadding),
                                   std::max(0.0, height - 2 * NotePadding));
    p.setClipRect(area, Qt::IntersectClip);
    // This piece's lines: a long note goes on where the page before left it.
    const QPointF origin(area.left(), area.top() - piece.firstLine * g.noteLine * g.k);
    for (int i = piece.firstLine; i < piece.firstLine + piece.lines && i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        drawGlyphRuns(p, layout->glyphRuns(line.textStart(), line.textLength()), origin);
    }
    p.restore();
    if (m_grid->gridLines())
        hairline(p, g.k, kGridLine, 0, top + height, g.rowsWidth);
}

void GridPrinter::drawGroupSums(QPainter &p, const Geometry &g, int group, double top, double height) const
{
    const GridModel *model = m_grid->model();
    const int level = model->groupLevel(group);
    p.save();
    p.setFont(deviceFont(g, 1.0, true));
    p.setPen(Qt::black);
    for (const ColumnSlot &s : g.columns) {
        if (!m_sumColumns.contains(s.column->key(), Qt::CaseInsensitive))
            continue;
        const QString text = formatNamed(model->groupSum(group, s.column->index()), s.column->format());
        const double inner = std::max(0.0, s.width - 2 * CellPadding);
        cellText(p, g.device, deviceRect(g.k, s.x + CellPadding, top, inner, height), s.column->alignment(), text);
        // A rule over the sum; the outermost groups (the totals of everything) get a double one.
        hairline(p, g.k, kRule, s.x + CellPadding, top + 15, s.x + s.width - CellPadding, 12);
        if (level == 0)
            hairline(p, g.k, kRule, s.x + CellPadding, top + 55, s.x + s.width - CellPadding, 12);
    }
    p.restore();
}

// ---------------------------------------------------------------------------------------------------
// Output

bool GridPrinter::print(QPrinter *printer)
{
    QPrinter *target = printer ? printer : m_printer.get();
    if (!target->isValid())
        return false;
    try {
        render(target);
    } catch (const platform::RuntimeError &) {
        return false;
    }
    return true;
}

void GridPrinter::printToPdf(const QString &file)
{
    // The document is made whole first and then written at once, so that a write that fails (a full disk)
    // is seen and told, and leaves no half a file.
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&document);
        writer.setPageLayout(m_printer->pageLayout());
        writer.setResolution(1200);
        writer.setTitle(m_header[Centre]);
        writer.setCreator(QFileInfo(QCoreApplication::applicationFilePath()).baseName());
        render(&writer);
    }
    document.close();
    platform::writeWholeFile(file, document.data(), kSource);
}

bool GridPrinter::pageSetup(QWidget *parent)
{
    QPageSetupDialog dialog(m_printer.get(), parent);
    return dialog.exec() == QDialog::Accepted;
}

bool GridPrinter::printWithDialog(QWidget *parent)
{
    QPrintDialog dialog(m_printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printChosen();
    return true;
}

void GridPrinter::printChosen()
{
    // A file chosen in the print dialog is written as printToPdf writes it: complete, or not at all.
    const QString file = m_printer->outputFileName();
    if (m_printer->outputFormat() == QPrinter::PdfFormat && !file.isEmpty()) {
        printToPdf(file);
        return;
    }
    if (!print())
        throw platform::RuntimeError(platform::errors::DbGeneric, kSource, m_printer->printerName());
}
