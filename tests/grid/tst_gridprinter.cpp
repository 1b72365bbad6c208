// The grid's printing: the rows as they fall on pages (every row once, in order, group rows kept with
// what follows, notes with their record, sums after their group, column headers on the first or on every
// page), the page event with the page number and count, the PDF file written in one piece (also when the
// print dialog chose a file), amounts printed whole, page titles and footers wrapped in the width their
// page leaves them, a note longer than a page going on over the next, and emoji printed as on screen.

#include "tests/common/SampleData.h"
#include "tests/common/TestEnv.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/ListGrid.h"
#include "platform/database/Connection.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString kList = QStringLiteral(
    "SELECT TrRowId,TrDbId,TrType,TrDate,TrDescription,TrValue,TrNotes,AcName "
    "FROM Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId ");

using Item = GridPrinter::PageItem;

using testenv::pdfPages;

} // namespace

class TestGridPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyPaperHeightKeepsRowsTogether_data();
    void everyPaperHeightKeepsRowsTogether();
    void groupSumsFollowTheLastRecordOfTheirGroup();
    void emptyGridPrintsOnePageOfHeaders();
    void pageEventTellsNumberAndCount();
    void pdfReplacesTheFileOnlyWhenComplete();
    void pdfIntoUnwritableFolderLeavesNothing();
    void noteHeightsAsLaidOut_data();
    void noteHeightsAsLaidOut();
    void amountsAreNeverCut_data();
    void amountsAreNeverCut();
    void titleAndFooterTakeTheFreeWidth_data();
    void titleAndFooterTakeTheFreeWidth();
    void usersTextPrintsWhole();
    void printToFileFromTheDialog_data();
    void printToFileFromTheDialog();

private:
    void bind(const QString &tail = QString());
    int checkPages(const QList<GridPrinter::Page> &pages, bool repeatHeaders);

    std::unique_ptr<testenv::Sandbox> m_sandbox;
    QString m_dcs;
    std::unique_ptr<ListGrid> m_grid;
    GridPrinter *m_printer = nullptr;
};

void TestGridPrinter::initTestCase()
{
    m_sandbox = std::make_unique<testenv::Sandbox>();
    const QString file = m_sandbox->makeDatabase(m_sandbox->documents() + QStringLiteral("/Orvel3DB"));
    testenv::fillSample(file, QDate(2025, 3, 15), 120);
    m_dcs = testenv::connectionString(file);
}

void TestGridPrinter::init()
{
    m_grid = std::make_unique<ListGrid>();
    m_printer = new GridPrinter(m_grid.get());
    m_printer->setPrintUnit(GridPrinter::Metric);
}

void TestGridPrinter::cleanup()
{
    m_grid.reset();
    m_printer = nullptr;
}

void TestGridPrinter::bind(const QString &tail)
{
    m_grid->setConnectionString(m_dcs);
    m_grid->setRecordSource(kList + tail);
    m_grid->rebind(false);
    m_grid->column(QStringLiteral("TrDate"))->setFormat(QStringLiteral("Short Date"));
    m_grid->column(QStringLiteral("TrValue"))->setFormat(QStringLiteral("Currency"));
    m_grid->column(QStringLiteral("TrNotes"))->setVisible(false);
    m_grid->column(QStringLiteral("TrDbId"))->setVisible(false);
    m_grid->addSortKey(QStringLiteral("TrDate"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
}

// Checks what must hold on every page and returns the number of note lines: column headers first on the
// first page (and on the others when repeated), items one under the other within the page, each at its
// own height, a note right under its record, no group row ending a page that has rows after it, no sums
// line opening a page.
int TestGridPrinter::checkPages(const QList<GridPrinter::Page> &pages, bool repeatHeaders)
{
    const QRectF paint = m_printer->printer()->pageLayout().paintRect(QPageLayout::Inch);
    int noteLines = 0;
    for (int p = 0; p < pages.size(); ++p) {
        const QList<Item> &items = pages[p].items;
        if (items.isEmpty() || (items.first().kind == Item::ColumnHeaders) != (p == 0 || repeatHeaders)) {
            QTest::qFail("column headers where they do not belong", __FILE__, __LINE__);
            return -1;
        }
        double bottom = 0;
        for (int i = 0; i < items.size(); ++i) {
            const Item &it = items[i];
            bool ok = it.top >= bottom - 0.01 && it.height > 0;
            bottom = it.top + it.height;
            if (it.kind == Item::Note) {
                ++noteLines;
                ok = ok && i > 0 && items[i - 1].kind == Item::Record && items[i - 1].row == it.row
                     && !m_grid->rowData(it.row).value(QStringLiteral("TrNotes")).toString().isEmpty();
            }
            if (it.kind == Item::GroupSums)
                ok = ok && i > 0 && items[i - 1].kind != Item::ColumnHeaders;
            if (!ok) {
                QTest::qFail(qPrintable(QStringLiteral("page %1, item %2 out of place").arg(p + 1).arg(i)), __FILE__,
                             __LINE__);
                return -1;
            }
        }
        if (bottom > paint.height() * 1440 || (p + 1 < pages.size() && items.last().kind == Item::Group)) {
            QTest::qFail(qPrintable(QStringLiteral("page %1 of %2 ends badly (%3 items, the last of kind %4, %5 twips)")
                                        .arg(p + 1).arg(pages.size()).arg(items.size()).arg(int(items.last().kind))
                                        .arg(bottom)),
                         __FILE__, __LINE__);
            return -1;
        }
    }
    return noteLines;
}

void TestGridPrinter::everyPaperHeightKeepsRowsTogether_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<bool>("notes");
    QTest::newRow("plain list") << QStringList() << false;
    QTest::newRow("notes under the records") << QStringList() << true;
    QTest::newRow("two group levels with sums and notes")
        << QStringList{QStringLiteral("TrDbId"), QStringLiteral("AcName")} << true;
}

void TestGridPrinter::everyPaperHeightKeepsRowsTogether()
{
    QFETCH(QStringList, groups);
    QFETCH(bool, notes);
    bind();
    for (const QString &g : groups)
        m_grid->addGroup(g);
    m_printer->setPreviewColumn(notes ? QStringLiteral("TrNotes") : QString());
    m_printer->setGroupSumColumns(groups.isEmpty() ? QStringList() : QStringList{QStringLiteral("TrValue")});
    int withNotes = 0;
    for (int r = 1; r <= m_grid->rowCount(); ++r)
        if (m_grid->rowData(r).isRecord() && !m_grid->rowData(r).value(QStringLiteral("TrNotes")).toString().isEmpty())
            ++withNotes;
    // Papers from 3 to 8 inches high put the page ends at every kind of row.
    for (int tenths = 30; tenths <= 80; ++tenths) {
        QPageLayout layout = m_printer->printer()->pageLayout();
        layout.setPageSize(QPageSize(QSizeF(5, tenths / 10.0), QPageSize::Inch), QMarginsF(0.2, 0.2, 0.2, 0.2));
        m_printer->printer()->setPageLayout(layout);
        for (bool repeat : {false, true}) {
            m_printer->setRepeatHeaders(repeat);
            const QList<GridPrinter::Page> pages = m_printer->paginate();
            // Every row once, in the grid's order.
            QList<int> all;
            for (const QList<int> &rows : m_printer->rowsPerPage())
                all += rows;
            QCOMPARE(all.size(), m_grid->rowCount());
            for (int i = 0; i < all.size(); ++i)
                QCOMPARE(all[i], i + 1);
            const int noteLines = checkPages(pages, repeat);
            if (noteLines < 0)
                return;
            QCOMPARE(noteLines, notes ? withNotes : 0);
        }
    }
}

void TestGridPrinter::groupSumsFollowTheLastRecordOfTheirGroup()
{
    bind(QStringLiteral("WHERE TrDbId=1"));
    m_grid->addGroup(QStringLiteral("TrDbId"));
    m_grid->addGroup(QStringLiteral("AcName"));
    m_printer->setGroupSumColumns({QStringLiteral("TrValue")});

    // The groups whose records end at each row, innermost first.
    QList<QPair<int, int>> expected;   // (row of the last record, group row)
    QList<QPair<int, int>> open;       // (group row, level)
    for (int r = 1; r <= m_grid->rowCount(); ++r) {
        const GridRowData d = m_grid->rowData(r);
        if (d.isGroupHeader()) {
            open.append({r, d.groupLevel()});
            continue;
        }
        const bool lastOfAll = r == m_grid->rowCount();
        const bool nextIsGroup = !lastOfAll && m_grid->rowData(r + 1).isGroupHeader();
        const int nextLevel = nextIsGroup ? m_grid->rowData(r + 1).groupLevel() : 99;
        while (!open.isEmpty() && (lastOfAll || (nextIsGroup && open.last().second >= nextLevel)))
            expected.append({r, open.takeLast().first});
    }
    QVERIFY(expected.size() > 2);

    QList<QPair<int, int>> found;
    int lastRecord = 0;
    for (const GridPrinter::Page &page : m_printer->paginate()) {
        for (const Item &it : page.items) {
            if (it.kind == Item::Record)
                lastRecord = it.row;
            if (it.kind == Item::GroupSums)
                found.append({lastRecord, m_grid->model()->rowOfRef(GridModel::refOfGroup(it.group)) + 1});
        }
    }
    QCOMPARE(found, expected);
}

void TestGridPrinter::noteHeightsAsLaidOut_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<bool>("oneLine");
    QTest::newRow("short") << "Paid by transfer" << true;
    QTest::newRow("accented") << "Già pagato, città più, Straße" << true;
    QTest::newRow("other letters, laid out") << "Ωmega Δelta" << true;
    QTest::newRow("wrapping") << QStringLiteral("Wide words ").repeated(40) << false;
    QTest::newRow("line break") << "first\nsecond" << false;
}

void TestGridPrinter::noteHeightsAsLaidOut()
{
    QFETCH(QString, note);
    QFETCH(bool, oneLine);
    // The height the pages give a note under its record: notes of one line all take one line's height,
    // whether told from their letters' widths or laid out; longer ones more.
    auto heightOf = [this](const QString &text) {
        m_grid->setConnectionString(m_dcs);
        m_grid->setRecordSource(QStringLiteral("SELECT TrRowId, TrDescription, '%1' AS TrNotes FROM Transactions "
                                               "WHERE TrDbId=1 AND TrType=1")
                                    .arg(QString(text).replace(QLatin1Char('\''), QStringLiteral("''"))));
        m_grid->rebind(false);
        m_printer->setPreviewColumn(QStringLiteral("TrNotes"));
        for (const GridPrinter::Page &page : m_printer->paginate())
            for (const Item &it : page.items)
                if (it.kind == Item::Note)
                    return it.height;
        return 0.0;
    };
    const double one = heightOf(QStringLiteral("x"));
    QVERIFY(one > 0);
    const double height = heightOf(note);
    if (oneLine)
        QCOMPARE(height, one);
    else
        QVERIFY2(height > one * 1.3, qPrintable(QStringLiteral("%1 against %2").arg(height).arg(one)));
}

void TestGridPrinter::emptyGridPrintsOnePageOfHeaders()
{
    bind(QStringLiteral("WHERE TrDbId=99"));
    const QList<GridPrinter::Page> pages = m_printer->paginate();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].items.size(), 1);
    QCOMPARE(pages[0].items[0].kind, Item::ColumnHeaders);
}

void TestGridPrinter::pageEventTellsNumberAndCount()
{
    bind();
    m_grid->addGroup(QStringLiteral("TrDbId"));
    m_printer->setHeaderText(GridPrinter::Centre, QStringLiteral("Deadlines of the year"));
    QList<QPair<int, int>> asked;
    connect(m_printer, &GridPrinter::BeforePrintPage, m_printer, [&](int n, int count) {
        asked.append({n, count});
        m_printer->setHeaderText(GridPrinter::Right, QStringLiteral("Sheet %1 / %2").arg(n).arg(count));
        m_printer->setFooterText(GridPrinter::Centre, n == count ? QStringLiteral("End of report") : QString());
    });
    const int count = m_printer->pageCount();
    QVERIFY(count > 1);

    const QString pdf = m_sandbox->root() + QStringLiteral("/numbered.pdf");
    m_printer->printToPdf(pdf);
    QCOMPARE(asked.size(), count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(asked[i], qMakePair(i + 1, count));

    const QStringList pages = pdfPages(pdf);
    if (pages.isEmpty())
        QSKIP("pdftotext is not installed: the page texts are not read back");
    QCOMPARE(pages.size(), count);
    for (int i = 0; i < count; ++i) {
        QVERIFY(pages[i].contains(QStringLiteral("Deadlines of the year")));
        QVERIFY2(pages[i].contains(QStringLiteral("Sheet %1 / %2").arg(i + 1).arg(count)), qPrintable(pages[i]));
        QCOMPARE(pages[i].contains(QStringLiteral("End of report")), i + 1 == count);
    }
    // The first record of the list is on the first page, its amount in the currency format.
    const GridRowData first = m_grid->rowData(2);
    QVERIFY(pages[0].contains(first.text(QStringLiteral("TrDescription"))));
    QVERIFY(pages[0].contains(first.text(QStringLiteral("TrValue"))));
}

void TestGridPrinter::pdfReplacesTheFileOnlyWhenComplete()
{
    bind(QStringLiteral("WHERE TrDbId=2"));
    const QString folder = m_sandbox->root() + QStringLiteral("/out");
    QDir().mkpath(folder);
    const QString pdf = folder + QStringLiteral("/report.pdf");
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older report");
    }
    m_printer->printToPdf(pdf);
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(5) == "%PDF-");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.pdf")});
}

void TestGridPrinter::pdfIntoUnwritableFolderLeavesNothing()
{
    bind(QStringLiteral("WHERE TrDbId=2"));
    // A file where the folder should be: nothing can be created below it, whoever runs the test.
    const QString notAFolder = m_sandbox->root() + QStringLiteral("/blocked");
    {
        QFile f(notAFolder);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString pdf = notAFolder + QStringLiteral("/report.pdf");
    try {
        m_printer->printToPdf(pdf);
        QFAIL("writing into a missing folder succeeded");
    } catch (const platform::RuntimeError &e) {
        QVERIFY2(e.description().contains(QDir::toNativeSeparators(pdf)), qPrintable(e.description()));
    }
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(QFileInfo(notAFolder).size(), 0);
}

void TestGridPrinter::amountsAreNeverCut_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("printed");
    QTest::addColumn<double>("paperInches");   // the paper's width; 0: the default paper
    QTest::newRow("a million") << "1367833" << "$1,367,833.00" << 0.0;
    QTest::newRow("a hundred million") << "123456789.5" << "$123,456,789.50" << 0.0;
    QTest::newRow("a small amount") << "12.5" << "$12.50" << 0.0;
    QTest::newRow("the largest amount") << "999999999999.99" << "$999,999,999,999.99" << 0.0;
    QTest::newRow("a million on a paper too narrow") << "1367833" << "$1,367,833.00" << 2.5;
}

void TestGridPrinter::amountsAreNeverCut()
{
    QFETCH(QString, amount);
    QFETCH(QString, printed);
    QFETCH(double, paperInches);
    platform::Connection cn;
    cn.Open(m_dcs);
    cn.Execute(QStringLiteral("DELETE * FROM Transactions WHERE TrDbId=7"));
    for (const char *description : {"Sale of the warehouse", "Deposit"})
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrValue, TrBalance ) "
                                  "SELECT 7, 1, #03/14/2025#, '%1', %2, %2")
                       .arg(QLatin1String(description), amount));
    cn.Close();
    bind(QStringLiteral("WHERE TrDbId=7"));
    m_grid->addGroup(QStringLiteral("TrDbId"));
    // Wider than a portrait page: the text columns give way, the amount keeps its own narrow width.
    m_grid->column(QStringLiteral("TrDescription"))->setWidth(9000);
    m_grid->column(QStringLiteral("AcName"))->setWidth(2960);
    m_grid->column(QStringLiteral("TrValue"))->setWidth(1180);
    m_grid->column(QStringLiteral("TrValue"))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_printer->setGroupSumColumns({QStringLiteral("TrValue")});
    if (paperInches > 0) {
        QPageLayout layout = m_printer->printer()->pageLayout();
        layout.setPageSize(QPageSize(QSizeF(paperInches, 11), QPageSize::Inch), QMarginsF(0.2, 0.2, 0.2, 0.2));
        m_printer->printer()->setPageLayout(layout);
    }
    const QString pdf = m_sandbox->root() + QStringLiteral("/amounts.pdf");
    m_printer->printToPdf(pdf);
    const QStringList pages = pdfPages(pdf);
    if (pages.isEmpty())
        QSKIP("pdftotext is not installed: the page texts are not read back");
    const QString text = pages.join(QLatin1Char('\n'));
    // Both records and the sum, each amount whole.
    QCOMPARE(text.count(printed), 2);
    const QString sum = formatNamed(m_grid->model()->groupSum(0, m_grid->column(QStringLiteral("TrValue"))->index()),
                                    QStringLiteral("Currency"));
    QVERIFY2(text.contains(sum), qPrintable(sum + QStringLiteral(" in ") + text));
    // In the rows' own font where the page has room; on a paper too narrow for it, smaller, but not below
    // what paper shows readably (6 pt of the rows' 9).
    double amountHeight = 0, textHeight = 0;
    const QString id = m_grid->rowData(2).text(QStringLiteral("TrRowId"));   // the first record's, whole too
    for (const testenv::PdfWord &w : testenv::pdfWords(pdf, 1)) {
        if (w.text == printed)
            amountHeight = w.height;
        if (w.text == id)
            textHeight = w.height;
    }
    QVERIFY(amountHeight > 0 && textHeight > 0);
    QVERIFY2(amountHeight >= textHeight * (paperInches > 0 ? 6.0 / 9 * 0.95 : 0.95),
             qPrintable(QStringLiteral("%1 against %2").arg(amountHeight).arg(textHeight)));
    if (paperInches == 0)
        QVERIFY(!text.contains(QChar(0x2026)));
}

void TestGridPrinter::usersTextPrintsWhole()
{
    // A note longer than a page under a record near the top of a page starts there and goes on over the
    // next page, every line printed once; an emoji in a description prints as the screen shows it, in
    // colour.
    QStringList lines;
    for (int i = 1; i <= 100; ++i)
        lines << QStringLiteral("Note line %1").arg(i);
    platform::Connection cn;
    cn.Open(m_dcs);
    cn.Execute(QStringLiteral("DELETE * FROM Transactions WHERE TrDbId=8"));
    for (int day = 1; day <= 3; ++day)
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrValue, TrBalance, TrNotes ) "
                                  "SELECT 8, 1, #03/0%1/2025#, '%2', 10, 10, '%3'")
                       .arg(day)
                       .arg(day == 2 ? QStringLiteral("Party \U0001F389 for the staff") : QStringLiteral("Row %1").arg(day),
                            day == 2 ? lines.join(QLatin1Char('\n')) : QString()));
    cn.Close();
    bind(QStringLiteral("WHERE TrDbId=8"));
    m_printer->setPreviewColumn(QStringLiteral("TrNotes"));
    const QString pdf = m_sandbox->root() + QStringLiteral("/note.pdf");
    m_printer->printToPdf(pdf);
    const QStringList pages = pdfPages(pdf);
    if (pages.isEmpty())
        QSKIP("pdftotext is not installed: the page texts are not read back");
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("Row 1")) && pages[0].contains(QStringLiteral("Party")));
    for (int i = 1; i <= 100; ++i) {
        const QString line = QStringLiteral("Note line %1\n").arg(i);
        QCOMPARE(pages.join(QString()).count(line), 1);
    }
    QVERIFY(pages[0].contains(QStringLiteral("Note line 40\n")));
    QVERIFY(pages[1].contains(QStringLiteral("Note line 100\n")) && pages[1].contains(QStringLiteral("Row 3")));

    if (!QFontDatabase::families().contains(QStringLiteral("Noto Color Emoji")))
        QSKIP("no colour emoji font is installed: the emoji's picture is not looked for");
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        QSKIP("pdftoppm is not installed: the printed page is not looked at");
    QProcess render;
    render.start(tool, {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"), QStringLiteral("1"),
                        QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), pdf,
                        m_sandbox->root() + QStringLiteral("/note")});
    QVERIFY(render.waitForFinished(60000));
    const QImage page(m_sandbox->root() + QStringLiteral("/note-1.png"));
    QVERIFY(!page.isNull());
    int coloured = 0;   // the page is black, grey and white but for the emoji
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            coloured += QColor(page.pixel(x, y)).hsvSaturation() > 120 ? 1 : 0;
    QVERIFY2(coloured > 10, qPrintable(QString::number(coloured)));
}

void TestGridPrinter::titleAndFooterTakeTheFreeWidth_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("footer");
    QTest::newRow("short texts") << "Deadlines" << "1 of 1" << "Filter: ";
    QTest::newRow("a title of two lines beside the counter")
        << "Deadlines and payments of the whole year for the customers and the suppliers of the second building downtown"
        << "1 of 1" << "Filter: ";
    QTest::newRow("a summary of two lines with nothing beside it")
        << "Deadlines" << ""
        << "Filter: Open Deadlines | Credits, Expiry dates | 01/01/2024-12/31/2025 | Studio Bianchi and Partners "
           "Associated Architects | Cash box of the second building downtown";
}

void TestGridPrinter::titleAndFooterTakeTheFreeWidth()
{
    QFETCH(QString, title);
    QFETCH(QString, counter);
    QFETCH(QString, footer);
    bind(QStringLiteral("WHERE TrDbId=2"));
    QPageLayout layout = m_printer->printer()->pageLayout();
    layout.setOrientation(QPageLayout::Portrait);
    m_printer->printer()->setPageLayout(layout);
    m_printer->setHeaderText(GridPrinter::Centre, title);
    m_printer->setHeaderText(GridPrinter::Right, counter);
    m_printer->setFooterText(GridPrinter::Centre, footer);
    const QString pdf = m_sandbox->root() + QStringLiteral("/bands.pdf");
    m_printer->printToPdf(pdf);
    const QStringList pages = pdfPages(pdf);
    if (pages.isEmpty())
        QSKIP("pdftotext is not installed: the page texts are not read back");
    const QString words = pages.first().simplified();
    QVERIFY2(words.contains(title.simplified()) || [&] {
        // Wrapped: every word is there, in order.
        qsizetype at = 0;
        for (const QString &w : title.split(QLatin1Char(' '))) {
            at = words.indexOf(w, at);
            if (at < 0)
                return false;
        }
        return true;
    }(), qPrintable(words));
    for (const QString &w : footer.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        QVERIFY2(words.contains(w), qPrintable(w));
    QVERIFY(!words.left(words.indexOf(QStringLiteral("TrRowId"))).contains(QChar(0x2026)));
    QVERIFY(!words.mid(words.lastIndexOf(QStringLiteral("Filter:"))).contains(QChar(0x2026)));
    if (!counter.isEmpty())
        QVERIFY(words.contains(counter));
}

void TestGridPrinter::printToFileFromTheDialog_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("a folder that takes the file") << true;
    QTest::newRow("a folder that cannot") << false;
}

void TestGridPrinter::printToFileFromTheDialog()
{
    QFETCH(bool, writable);
    bind(QStringLiteral("WHERE TrDbId=2"));
    const QString folder = m_sandbox->root() + (writable ? QStringLiteral("/printed") : QStringLiteral("/full"));
    if (writable) {
        QDir().mkpath(folder);
    } else {
        QFile blocker(folder);   // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QString pdf = folder + QStringLiteral("/report.pdf");
    // What the print dialog sets when the user prints to a file.
    m_printer->printer()->setOutputFormat(QPrinter::PdfFormat);
    m_printer->printer()->setOutputFileName(pdf);
    bool failed = false;
    try {
        m_printer->printChosen();
    } catch (const platform::RuntimeError &e) {
        failed = true;
        QVERIFY(e.description().contains(QDir::toNativeSeparators(pdf)));
    }
    QCOMPARE(failed, !writable);
    QCOMPARE(QFile::exists(pdf), writable);
    if (writable) {
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().endsWith("%%EOF\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.pdf")});
    }
}

QTEST_MAIN(TestGridPrinter)
#include "tst_gridprinter.moc"
