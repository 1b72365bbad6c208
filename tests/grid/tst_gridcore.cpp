// The list grid's core without any widget: the model keeps Qt's model contract through binding, grouping,
// expanding, filtering, re-sorting and column changes (QAbstractItemModelTester); a column's change that
// alters the order asks for the rows again; the pages fall as the sizes say, and a long note goes on over
// pages without leaving the page before it empty.

#include "tests/common/SampleData.h"
#include "tests/common/TestEnv.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridPagination.h"
#include "foundation/grid/GridRowFormat.h"
#include "platform/database/Recordset.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kList = QStringLiteral(
    "SELECT TrRowId,TrDbId,TrType,TrDate,TrDescription,TrValue,TrNotes,AcName "
    "FROM Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId ");

// The owner of a bare model: the month of each row as a computed column, group captions with their count.
class Answers final : public GridAnswers
{
public:
    int monthColumn = 0;
    int dateField = -1;
    const platform::Recordset *rs = nullptr;

    void computedValue(int, int column, Bookmark bookmark, QVariant &value) override
    {
        if (column == monthColumn) {
            const QDate d = rs->valueAt(bookmark, dateField).toDate();
            value = d.year() * 100 + d.month();
        }
    }
    void icon(int, int, Bookmark, int &) override {}
    void formatRow(GridRowFormat &row) override
    {
        if (row.isGroupHeader())
            row.setCaption(QStringLiteral("%1 (%2)").arg(row.groupValue().toString()).arg(row.recordCount()));
    }
};

std::shared_ptr<platform::Recordset> open(const QString &dcs, const QString &tail)
{
    auto rs = std::make_shared<platform::Recordset>();
    rs->Open(kList + tail, dcs);
    return rs;
}

} // namespace

class TestGridCore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void modelKeepsQtsContract();
    void pagesFallAsTheSizesSay_data();
    void pagesFallAsTheSizesSay();
    void longNoteGoesOnOverPages_data();
    void longNoteGoesOnOverPages();

private:
    std::unique_ptr<testenv::Sandbox> m_sandbox;
    QString m_dcs;
};

void TestGridCore::initTestCase()
{
    m_sandbox = std::make_unique<testenv::Sandbox>();
    const QString file = m_sandbox->makeDatabase(m_sandbox->documents() + QStringLiteral("/Orvel3DB"));
    testenv::fillSample(file, QDate(2025, 3, 15), 60);
    m_dcs = testenv::connectionString(file);
}

void TestGridCore::modelKeepsQtsContract()
{
    GridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Answers answers;
    model.setAnswers(&answers);
    QSignalSpy outOfDate(&model, &GridModel::rowsOutOfDate);

    auto rs = open(m_dcs, QString());
    model.setRecordset(rs, false);
    QCOMPARE(model.gridColumnCount(), 8);
    answers.rs = rs.get();
    answers.dateField = rs->fieldIndex(QStringLiteral("TrDate"));
    answers.monthColumn = model.appendColumn(QStringLiteral("gexMonth"), true)->index();
    GridColumn *date = model.gridColumn(QStringLiteral("TrDate"));
    model.setGroupColumns({model.gridColumn(QStringLiteral("TrDbId")), model.gridColumn(answers.monthColumn)});
    model.setSortKeys({{date, -1}, {model.gridColumn(QStringLiteral("TrRowId")), -1}});
    model.rebuild(false);
    const int records = model.recordCount();
    QCOMPARE(records, rs->RecordCount());
    QCOMPARE(model.visibleCount(), records + model.groupCount());
    QVERIFY(model.groupCount() > 4);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("1 (%1)").arg(model.groupRecordCount(0)));

    // Groups closed and opened one at a time (rows removed and inserted), all at once, around a record.
    model.setExpanded(1, false);
    QCOMPARE(model.visibleCount(), records + model.groupCount() - model.groupRecordCount(1));
    model.setExpanded(1, true);
    model.setExpanded(0, false);
    int under = model.groupRecordCount(0);
    for (int g = 1; g < model.groupCount(); ++g)
        under += model.groupParent(g) == 0 ? 1 : 0;
    QCOMPARE(model.visibleCount(), records + model.groupCount() - under);
    model.setAllExpanded(false);
    model.reveal(records - 1);
    QVERIFY(model.rowOfRef(records - 1) >= 0);
    model.setAllExpanded(true);
    QCOMPARE(model.visibleCount(), records + model.groupCount());

    // A filter on the same rows, the sort keys reversed (the last order reused), then a sort type changed.
    // The groups of the kept codes are those the records make afresh.
    auto groups = [&] {
        QStringList g;
        for (int i = 0; i < model.groupCount(); ++i)
            g << model.defaultGroupCaption(i) + QLatin1Char('/') + QString::number(model.groupRecordCount(i));
        return g;
    };
    rs->setFilter(QStringLiteral("TrType = 1"));
    model.rebuild(true);
    QVERIFY(model.recordCount() < records);
    const QStringList kept = groups();
    model.rebuild(false);
    QCOMPARE(groups(), kept);
    model.setSortKeys({{date, 1}, {model.gridColumn(QStringLiteral("TrRowId")), 1}});
    model.rebuild(true);
    QCOMPARE(groups(), kept);
    for (int r = 1; r < model.visibleCount(); ++r) {
        const GridModel::RowRef a = model.rowRef(r - 1), b = model.rowRef(r);
        if (!GridModel::isGroupRef(a) && !GridModel::isGroupRef(b))
            QVERIFY(model.value(a, date->index()).toDate() <= model.value(b, date->index()).toDate());
    }
    QCOMPARE(outOfDate.count(), 0);
    date->setSortType(GridColumn::SortText);
    QCOMPARE(outOfDate.count(), 1);
    date->setCaption(QStringLiteral("Date"));
    date->setPosition(1);
    QCOMPARE(model.displayOrder().front(), date->index());

    // Bound again keeping the columns, then to nothing.
    rs->setFilter(QString());
    auto second = open(m_dcs, QStringLiteral("WHERE TrDbId=2"));
    answers.rs = second.get();
    model.setRecordset(second, true);
    model.rebuild(false);
    QCOMPARE(model.recordCount(), second->RecordCount());
    QCOMPARE(model.gridColumnCount(), 9);
    model.setRecordset(nullptr, true);
    model.rebuild(false);
    QCOMPARE(model.visibleCount(), 0);
    model.clearColumns();
    QCOMPARE(model.columnCount(), 0);
}

void TestGridCore::pagesFallAsTheSizesSay_data()
{
    QTest::addColumn<bool>("groups");
    QTest::addColumn<bool>("repeatHeaders");
    QTest::addColumn<bool>("notes");
    QTest::newRow("records, headers on the first page") << false << false << false;
    QTest::newRow("records, headers on every page") << false << true << false;
    QTest::newRow("groups with sums and notes") << true << false << true;
    QTest::newRow("groups, headers on every page") << true << true << true;
}

void TestGridCore::pagesFallAsTheSizesSay()
{
    QFETCH(bool, groups);
    QFETCH(bool, repeatHeaders);
    QFETCH(bool, notes);
    GridModel model;
    auto rs = open(m_dcs, QStringLiteral("WHERE TrDbId=1"));
    model.setRecordset(rs, false);
    if (groups)
        model.setGroupColumns({model.gridColumn(QStringLiteral("TrDbId")), model.gridColumn(QStringLiteral("AcName"))});
    model.setSortKeys({{model.gridColumn(QStringLiteral("TrDate")), 1}});
    model.rebuild(false);

    // Rows of 300 twips, five to a page under the headers.
    const int perPage = 5;
    GridPageMetrics m;
    m.rowHeight = 300;
    m.columnHeaders = 300;
    m.rowsHeight = 300 * (perPage + 1);
    m.tallRowLeast = 300;
    m.noteLine = 150;
    m.repeatHeaders = repeatHeaders;
    m.groupSums = groups;
    m.noteColumn = notes ? model.gridColumn(QStringLiteral("TrNotes"))->index() : -1;
    const QList<GridPage> pages = PaginateGrid(model, m, [](const QString &) { return 3; });

    QList<int> rows;
    for (int p = 0; p < pages.size(); ++p) {
        const QList<GridPageItem> &items = pages[p].items;
        QCOMPARE(items.first().kind == GridPageItem::ColumnHeaders, p == 0 || repeatHeaders);
        double bottom = 0;
        for (int i = 0; i < items.size(); ++i) {
            const GridPageItem &it = items[i];
            QVERIFY(it.top >= bottom - 0.01);
            bottom = it.top + it.height;
            if (it.kind == GridPageItem::Group || it.kind == GridPageItem::Record)
                rows << it.row;
            if (it.kind == GridPageItem::Note)
                QVERIFY(i > 0 && items[i - 1].kind == GridPageItem::Record && items[i - 1].row == it.row
                        && !GridNoteText(model, it.row - 1, m.noteColumn).isEmpty());
            if (it.kind == GridPageItem::GroupSums)
                QCOMPARE(model.groupFirstRecord(it.group) + model.groupRecordCount(it.group) - 1,
                         model.rowRef(rows.last() - 1));
        }
        QVERIFY(bottom <= m.rowsHeight + 0.5);
        if (p + 1 < pages.size())
            QVERIFY(items.last().kind != GridPageItem::Group);
    }
    // Every row once, in order.
    QCOMPARE(rows.size(), model.visibleCount());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i], i + 1);
    if (!groups) {
        // Plain rows fill the pages: five under the headers, six on a page without them.
        const int n = model.visibleCount();
        const int expected = repeatHeaders ? qMax(1, (n + perPage - 1) / perPage) : 1 + n / (perPage + 1);
        QCOMPARE(pages.size(), expected);
    }
}

void TestGridCore::longNoteGoesOnOverPages_data()
{
    QTest::addColumn<int>("lines");    // of the long note
    QTest::addColumn<int>("before");   // records at least before its record
    QTest::addColumn<bool>("sums");
    QTest::newRow("60 lines under the fourth row") << 60 << 3 << false;
    QTest::newRow("60 lines under the second row, with sums") << 60 << 1 << true;
    QTest::newRow("20 lines near the end of the first page") << 20 << 9 << false;
    QTest::newRow("3 lines go whole with their record") << 3 << 10 << false;
}

void TestGridCore::longNoteGoesOnOverPages()
{
    QFETCH(int, lines);
    QFETCH(int, before);
    QFETCH(bool, sums);
    GridModel model;
    auto rs = open(m_dcs, QStringLiteral("WHERE TrDbId=1"));
    model.setRecordset(rs, false);
    if (sums)
        model.setGroupColumns({model.gridColumn(QStringLiteral("TrDbId"))});
    model.setSortKeys({{model.gridColumn(QStringLiteral("TrDate")), 1}, {model.gridColumn(QStringLiteral("TrRowId")), 1}});
    model.rebuild(false);
    const int noteColumn = model.gridColumn(QStringLiteral("TrNotes"))->index();
    // The first record with a note after `before` others: its note is long; the other notes take a line.
    int target = -1, records = 0;
    for (int r = 0; r < model.visibleCount() && target < 0; ++r)
        if (!GridModel::isGroupRef(model.rowRef(r)) && records++ >= before && !GridNoteText(model, r, noteColumn).isEmpty())
            target = r;
    QVERIFY(target >= 0);
    // Rows of 300 twips, note lines of 100, a page of 3000 under the headers: 27 note lines at most.
    GridPageMetrics m;
    m.rowHeight = 300;
    m.columnHeaders = 300;
    m.rowsHeight = 3300;
    m.tallRowLeast = 300;
    m.noteLine = 100;
    m.notePadding = 15;
    m.repeatHeaders = true;
    m.groupSums = sums;
    m.noteColumn = noteColumn;
    const QList<GridPage> pages = PaginateGrid(model, m, [&](const QString &note) {
        return note == GridNoteText(model, target, noteColumn) ? lines : 1;
    });

    // The long note's pieces, in order: the first under its record on the record's page, the others
    // first on the pages after it; together every line once.
    QList<QPair<int, GridPageItem>> pieces;   // (page, piece)
    int recordPage = -1;
    for (int p = 0; p < pages.size(); ++p) {
        double bottom = 0;
        for (int i = 0; i < pages[p].items.size(); ++i) {
            const GridPageItem &it = pages[p].items[i];
            bottom = it.top + it.height;
            if (it.row != target + 1)
                continue;
            if (it.kind == GridPageItem::Record)
                recordPage = p;
            if (it.kind == GridPageItem::Note) {
                pieces.append({p, it});
                QCOMPARE(pages[p].items[i - 1].kind, pieces.size() == 1 ? GridPageItem::Record : GridPageItem::ColumnHeaders);
                QCOMPARE(it.height, it.lines * m.noteLine + 2 * m.notePadding);
            }
        }
        QVERIFY(bottom <= m.rowsHeight + 0.5);
    }
    QVERIFY(!pieces.isEmpty());
    QCOMPARE(pieces.first().first, recordPage);
    int next = 0;
    for (int i = 0; i < pieces.size(); ++i) {
        const auto &[page, piece] = pieces[i];
        QCOMPARE(piece.firstLine, next);
        QCOMPARE(page, recordPage + i);
        next += piece.lines;
        if (pieces.size() > 1)
            QVERIFY2(piece.lines >= 2, qPrintable(QStringLiteral("piece %1 of %2 lines").arg(i).arg(piece.lines)));
        // A piece that goes on leaves its page full to within a line.
        if (i + 1 < pieces.size()) {
            const GridPageItem &last = pages[page].items.last();
            QVERIFY(last.top + last.height > m.rowsHeight - m.noteLine - 2 * m.notePadding);
        }
    }
    QCOMPARE(next, lines);
    if (lines <= KeptNoteLines)
        QCOMPARE(pieces.size(), 1);
    // A record with a long note starts a page only when the page before had no room for it and the
    // first two lines of its note: that page is not left empty below its rows.
    const GridPageItem &first = pages[recordPage].items.value(1);
    if (lines > KeptNoteLines && recordPage > 0 && first.row == target + 1) {
        const GridPageItem &last = pages[recordPage - 1].items.last();
        QVERIFY(m.rowsHeight - (last.top + last.height) < m.rowHeight + 2 * m.noteLine + 2 * m.notePadding);
    }
}

QTEST_MAIN(TestGridCore)
#include "tst_gridcore.moc"
