#pragma once

#include "foundation/grid/GridPagination.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class GridColumn;
class ListGrid;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QPrinterInfo;
class QTextLayout;
class QWidget;

// Prints a ListGrid as a paginated report: the grid's visible rows in display order (group rows with
// their captions and levels, records cell by cell with icons and named styles), an optional full-width
// note line under each record, optional sums under each group, the column headers on the first page or
// on every page, and a page header and footer with a left, centre and right text each. Before each page
// is drawn the BeforePrintPage event tells the owner the page number and the page count, so that it can
// set the texts of that page ("3 of 12", a summary on the last page).
//
// The same pages go to a print preview (GridPreview), to a printer, and to a PDF file. Sizes follow the
// grid: column widths and row heights in twips, fitted to the page width when fitColumns is on. Amounts,
// dates and numbers print whole in the report's font: their columns take the width their widest text
// needs; column captions wrap at their words.
class GridPrinter : public QObject
{
    Q_OBJECT
public:
    enum Part { Left = 0, Centre = 1, Right = 2 };
    enum PrintUnit { Inches = 0, Metric = 1 };

    // What is placed on a page, laid out by PaginateGrid (GridPagination.h).
    using PageItem = GridPageItem;
    using Page = GridPage;

    // The printer belongs to the grid (created as its child) and lives as long as it.
    explicit GridPrinter(ListGrid *grid);
    ~GridPrinter() override;

    ListGrid *grid() const { return m_grid; }

    // --- page header and footer ---
    // The bands are laid out for the texts set when the pages are laid out (a centre text of two lines
    // makes its band two lines high on every page): an owner that sets a page's texts in BeforePrintPage
    // sets its longest ones (the last page's) before.
    QString headerText(Part part) const { return m_header[part]; }
    void setHeaderText(Part part, const QString &text) { m_header[part] = text; }
    QString footerText(Part part) const { return m_footer[part]; }
    void setFooterText(Part part, const QString &text) { m_footer[part] = text; }

    // --- what is printed ---
    // Column headers on every page (true) or on the first page only.
    bool repeatHeaders() const { return m_repeatHeaders; }
    void setRepeatHeaders(bool on) { m_repeatHeaders = on; }
    // The column whose text is printed on a full-width line under each record ("" none). Empty texts
    // print no line.
    QString previewColumn() const { return m_previewColumn; }
    void setPreviewColumn(const QString &key) { m_previewColumn = key; }
    // Columns whose group sums are printed on a line under the records of every group (none: no line).
    QStringList groupSumColumns() const { return m_sumColumns; }
    void setGroupSumColumns(const QStringList &keys) { m_sumColumns = keys; }
    // The visible columns fill the page's width (on by default): widened together when there is room;
    // when there is not, text columns give way first (down to their caption's longest word), and the
    // amounts' font gets smaller only as a last resort, never below 6 pt.
    bool fitColumns() const { return m_fitColumns; }
    void setFitColumns(bool on) { m_fitColumns = on; }
    // The font of the rows; headers, footers and notes are drawn in sizes derived from it.
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }

    // --- the printer ---
    // The printer the pages go to, with its paper, orientation and margins (page set-up). Without any
    // installed printer it writes PDF.
    QPrinter *printer() const { return m_printer.get(); }
    // Takes a printer's name, paper and orientation; a null printer keeps the present settings.
    void setPrinterInfo(const QPrinterInfo &info);
    // The unit of the page set-up and the margins: inches or millimetres. The default paper of a printer-
    // less set-up follows it (Letter or A4).
    int printUnit() const { return m_printUnit; }
    void setPrintUnit(int unit);

    // --- output ---
    // The pages as the rows fall on them for a device's page size (the printer when none is given).
    QList<Page> paginate(QPagedPaintDevice *device = nullptr) const;
    int pageCount(QPagedPaintDevice *device = nullptr) const;
    // The grid rows (1-based) on each page, in order; group rows included.
    QList<QList<int>> rowsPerPage(QPagedPaintDevice *device = nullptr) const;
    // Draws every page on the device (a printer, a preview's printer, a PDF writer).
    void render(QPagedPaintDevice *device);
    // The pages laid out for the grid's printer, to be drawn one at a time (a preview draws only those it
    // shows). Valid while the grid's rows and the print settings stay as they were.
    struct Layout;
    std::shared_ptr<const Layout> layOutForPrinter() const;
    static int pageCount(const Layout &layout);
    // Draws page number (1-based) of the layout after the BeforePrintPage event, in the printer's units
    // with the origin at the printable area's corner: the painter's device has the printer's resolution
    // (its transform may scale the page).
    void drawPage(QPainter &p, const Layout &layout, int number);
    // Prints on the grid's printer (or the one given) without preview. False when it cannot start.
    bool print(QPrinter *printer = nullptr);
    // Writes the pages as a PDF file, as platform::writeWholeFile writes a file: complete, or not at all.
    // Raises platform::RuntimeError (of kind DiskFull on a full disk) when the file cannot be written; an
    // existing file is then unchanged.
    void printToPdf(const QString &file);
    // The page set-up dialog for the grid's printer; true when the settings were accepted.
    bool pageSetup(QWidget *parent);
    // The print dialog (printer, pages, copies, or a file), then printChosen; false when the dialog was
    // cancelled. Raises platform::RuntimeError when the pages could not be printed or written.
    bool printWithDialog(QWidget *parent);
    // Prints where the grid's printer points: a file (PDF) is written through printToPdf, so a failure
    // leaves no half-written file; otherwise the printer. Raises platform::RuntimeError on failure.
    void printChosen();

signals:
    // Page pageNumber (1-based) of pageCount is about to be drawn.
    void BeforePrintPage(int pageNumber, int pageCount);

private:
    struct Geometry;
    struct ColumnSlot;
    Geometry geometry(QPagedPaintDevice *device) const;
    // The printed widths (twips) of the shown columns on a geometry's page.
    std::vector<double> columnWidths(const Geometry &g, const QList<GridColumn *> &shown) const;
    QList<Page> layOut(const Geometry &g) const;
    // A note's text laid out in lines as it prints, and the number of its lines.
    std::unique_ptr<QTextLayout> noteLayout(const Geometry &g, const QString &text) const;
    int noteLines(const Geometry &g, const QString &text) const;
    int noteColumn() const;
    QString noteText(int row0) const;
    void drawPage(QPainter &p, const Geometry &g, const Page &page, int number, int count) const;
    void drawBand(QPainter &p, const Geometry &g, const QString *texts, double top, double height, bool header) const;
    void drawColumnHeaders(QPainter &p, const Geometry &g, double top, double height) const;
    void drawGroup(QPainter &p, const Geometry &g, int row0, double top, double height) const;
    void drawRecord(QPainter &p, const Geometry &g, int row0, double top, double height) const;
    void drawNote(QPainter &p, const Geometry &g, const PageItem &piece, double top, double height) const;
    void drawGroupSums(QPainter &p, const Geometry &g, int group, double top, double height) const;
    QFont deviceFont(const Geometry &g, double scale, bool bold = false, bool italic = false) const;
    // The fonts of the page header's and footer's texts: the centre and the sides.
    QFont bandFont(bool header, bool centre) const;
    // A page header's or footer's texts as they fit the page's width: the sides, the centre's lines.
    struct BandLayout {
        QString left, right;
        QStringList centre;
        double centreWidth = 0;   // device units
    };
    BandLayout bandLayout(const Geometry &g, const QString *texts, bool header) const;

    ListGrid *m_grid;
    std::unique_ptr<QPrinter> m_printer;
    QString m_header[3];
    QString m_footer[3];
    bool m_repeatHeaders = false;
    bool m_fitColumns = true;
    QString m_previewColumn;
    QStringList m_sumColumns;
    QFont m_font;
    int m_printUnit = Metric;
};
