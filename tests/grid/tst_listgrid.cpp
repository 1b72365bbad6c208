// The list grid on a real database: binding, columns, computed values, groups and sort keys, current
// row, find, the bound recordset's filter, expand and collapse, the events, formats and drawing, captions
// wrapped in narrow columns, and what a screen reader is told of a long list.

#include "tests/common/SampleData.h"
#include "tests/common/TestEnv.h"
#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/database/TextFold.h"
#include "platform/shell/Shell.h"

#include <QAccessible>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using platform::Currency;
using platform::Recordset;

namespace {

// Accounts sort as the database sorts names: bianchi, Élan, Rossi (rows without account first).
struct Row {
    int type;
    QDate date;
    const char *description;
    int account;
    qint64 cents;
    bool done;
};
const Row kRows[] = {
    {1, QDate(2025, 3, 10), "Rent March", 1, 10000, false},     // 1
    {-1, QDate(2025, 3, 10), "Phone", 2, 3050, false},          // 2
    {1, QDate(2025, 1, 5), "Rent January", 1, 10000, true},     // 3
    {-2, QDate(2025, 3, 20), "Meeting", 3, 0, false},           // 4
    {-1, QDate(2025, 2, 1), "Fuel", 0, 4525, false},            // 5
    {1, QDate(2025, 3, 10), "Invoice 7", 3, 25000, false},      // 6
    {-1, QDate(2025, 4, 2), "Insurance", 2, 12075, false},      // 7
    {1, QDate(2024, 12, 31), "Rent December", 1, 10000, true},  // 8
};
const char *kAccounts[] = {"Rossi", "bianchi", "\u00C9lan"};

const QString kList = QStringLiteral(
    "SELECT TrRowId,TrDate,TrDescription,TrValue,TrBalance,TrType,TrDone,AcName "
    "FROM Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId ");

// The record ids of the grid's rows in display order; group rows as "[caption]".
QStringList layout(ListGrid &grid)
{
    QStringList out;
    for (int r = 1; r <= grid.rowCount(); ++r) {
        const GridRowData d = grid.rowData(r);
        out << (d.isGroupHeader() ? QStringLiteral("[%1]").arg(d.groupValue().toString())
                                  : d.value(QStringLiteral("TrRowId")).toString());
    }
    return out;
}

} // namespace

class TestListGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void bindMakesColumnsFromFields();
    void rebindKeepsOrRecreatesColumns();
    void failedBindLeavesGridAsItWas();
    void computedColumnThroughEvent();
    void groupsAscendingWhateverSortDirection_data();
    void groupsAscendingWhateverSortDirection();
    void textSortFoldsCaseAndAccentsAndKeepsTies();
    void orderAsTheValuesCompare_data();
    void orderAsTheValuesCompare();
    void groupSums();
    void groupSumsBeyondAnyAmount_data();
    void groupSumsBeyondAnyAmount();
    void groupByComputedColumn();
    void currentRowCountsGroupRows();
    void find_data();
    void find();
    void filterOfBoundRecordsetIsShown();
    void requeryReadsNewRows();
    void expandAndCollapse();
    void formatRowCaptionTextAndStyle();
    void keyDownAndDoubleClick();
    void headerClickAndAutoSort();
    void failingAnswerRaisesErrorEvent();
    void rendersWithoutCrash();
    void screenReaderReadsTheRowsOnScreen();
    void narrowColumnsWrapTheirCaptions();
    void namedFormats_data();
    void namedFormats();

private:
    void bind(ListGrid &grid, const QString &tail = QString(), bool keep = false);

    std::unique_ptr<testenv::Sandbox> m_sandbox;
    QString m_dcs;
    std::unique_ptr<ListGrid> m_grid;
};

void TestListGrid::initTestCase()
{
    m_sandbox = std::make_unique<testenv::Sandbox>();
    const QString file = m_sandbox->makeDatabase(m_sandbox->documents() + QStringLiteral("/Orvel3DB"));
    m_dcs = testenv::connectionString(file);
    platform::Connection cn;
    cn.Open(m_dcs);
    platform::ScopedTransaction transaction(cn);
    Recordset accounts;
    accounts.Open(QStringLiteral("Accounts"), cn, Recordset::adOpenKeyset, Recordset::adLockOptimistic,
                  Recordset::adCmdTable);
    for (const char *name : kAccounts) {
        accounts.AddNew();
        accounts.setValue(QStringLiteral("AcName"), QString::fromUtf8(name));
        accounts.Update();
    }
    Recordset rows;
    rows.Open(QStringLiteral("Transactions"), cn, Recordset::adOpenKeyset, Recordset::adLockOptimistic,
              Recordset::adCmdTable);
    for (const Row &r : kRows) {
        rows.AddNew();
        rows.setValue(QStringLiteral("TrDbId"), 1);
        rows.setValue(QStringLiteral("TrType"), r.type);
        rows.setValue(QStringLiteral("TrDate"), r.date);
        rows.setValue(QStringLiteral("TrDescription"), QString::fromUtf8(r.description));
        rows.setValue(QStringLiteral("TrAcId"), r.account);
        rows.setValue(QStringLiteral("TrValue"), QVariant::fromValue(Currency::fromRaw(r.cents * 100)));
        rows.setValue(QStringLiteral("TrBalance"), QVariant::fromValue(Currency::fromRaw(r.cents * 100 * r.type)));
        rows.setValue(QStringLiteral("TrDone"), r.done);
        rows.Update();
    }
    rows.Close();
    accounts.Close();
    transaction.commit();
    cn.Close();
}

void TestListGrid::init()
{
    m_grid = std::make_unique<ListGrid>();
    m_grid->resize(600, 400);
}

void TestListGrid::cleanup()
{
    m_grid.reset();
}

void TestListGrid::bind(ListGrid &grid, const QString &tail, bool keep)
{
    grid.setConnectionString(m_dcs);
    grid.setRecordSource(kList + tail);
    grid.rebind(keep);
}

void TestListGrid::bindMakesColumnsFromFields()
{
    bind(*m_grid);
    QCOMPARE(m_grid->columnCount(), 8);
    QCOMPARE(m_grid->column(1)->key(), QStringLiteral("TrRowId"));
    QCOMPARE(m_grid->column(QStringLiteral("trdescription"))->index(), 3);
    QCOMPARE(m_grid->column(QStringLiteral("AcName"))->position(), 8);
    QCOMPARE(m_grid->rowCount(), 8);
    QCOMPARE(m_grid->recordCount(), 8);
    QCOMPARE(m_grid->row(), 1);
    QVERIFY(m_grid->recordset());
    QCOMPARE(m_grid->recordset()->RecordCount(), 8);
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_grid->column(QStringLiteral("NoSuchField")));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_grid->column(9));
    // Values by index and key: a Date field comes as a date, a Currency one as Currency.
    const GridRowData first = m_grid->rowData(1);
    QVERIFY(first.isRecord());
    QCOMPARE(first.value(2).toDate(), QDate(2025, 3, 10));
    QCOMPARE(first.value(QStringLiteral("TrValue")).value<Currency>(), Currency::fromUnits(100));
    QCOMPARE(m_grid->rowData(0).rowType(), GridRowData::NoRow);
    QCOMPARE(m_grid->rowData(9).rowType(), GridRowData::NoRow);
}

void TestListGrid::rebindKeepsOrRecreatesColumns()
{
    bind(*m_grid);
    GridColumn *date = m_grid->column(QStringLiteral("TrDate"));
    date->setCaption(QStringLiteral("Date"));
    date->setTag(QStringLiteral("1004"));
    date->setWidth(1460);
    date->setFormat(QStringLiteral("Short Date"));
    date->setPosition(1);
    m_grid->column(QStringLiteral("TrDone"))->setVisible(false);
    m_grid->addComputedColumn(QStringLiteral("gexTotals"));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_grid->addComputedColumn(QStringLiteral("gexTotals")));

    bind(*m_grid, QStringLiteral("WHERE TrType=1"), true);
    QCOMPARE(m_grid->rowCount(), 4);
    QCOMPARE(m_grid->columnCount(), 9);
    date = m_grid->column(QStringLiteral("TrDate"));
    QCOMPARE(date->caption(), QStringLiteral("Date"));
    QCOMPARE(date->tag(), QStringLiteral("1004"));
    QCOMPARE(date->width(), 1460);
    QCOMPARE(date->position(), 1);
    QCOMPARE(m_grid->columnsInDisplayOrder().first(), date);
    QVERIFY(!m_grid->column(QStringLiteral("TrDone"))->isVisible());
    QVERIFY(m_grid->column(QStringLiteral("gexTotals"))->isComputed());
    QCOMPARE(m_grid->rowData(1).text(QStringLiteral("TrDate")), QStringLiteral("3/10/2025"));
    // The header shows the columns as set.
    QHeaderView *h = m_grid->view()->header();
    QVERIFY(h->isSectionHidden(m_grid->column(QStringLiteral("TrDone"))->index() - 1));
    QCOMPARE(h->visualIndex(date->index() - 1), 0);

    bind(*m_grid, QStringLiteral("WHERE TrType=1"), false);
    QCOMPARE(m_grid->columnCount(), 8);
    QVERIFY(!m_grid->hasColumn(QStringLiteral("gexTotals")));
    QCOMPARE(m_grid->column(QStringLiteral("TrDate"))->caption(), QStringLiteral("TrDate"));
}

void TestListGrid::failedBindLeavesGridAsItWas()
{
    bind(*m_grid);
    const auto rs = m_grid->recordset();
    m_grid->setRecordSource(QStringLiteral("SELECT Nothing FROM NoSuchTable"));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_grid->rebind(true));
    QCOMPARE(m_grid->recordset(), rs);
    QCOMPARE(m_grid->rowCount(), 8);
    QCOMPARE(m_grid->columnCount(), 8);
}

void TestListGrid::computedColumnThroughEvent()
{
    bind(*m_grid);
    GridColumn *income = m_grid->addComputedColumn(QStringLiteral("gexIncomes"));
    income->setFormat(QStringLiteral("Currency"));
    int asked = 0;
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this,
            [&](int, int colIndex, qint64 bookmark, QVariant &value) {
                if (colIndex != income->index())
                    return;
                ++asked;
                // As the windows do: the recordset on the bookmark, fields by name.
                auto rs = m_grid->recordset();
                rs->setBookmark(bookmark);
                if (rs->value(QStringLiteral("TrType")).toInt() == 1)
                    value = rs->value(QStringLiteral("TrValue"));
            });
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    QCOMPARE(m_grid->rowData(1).value(QStringLiteral("gexIncomes")).value<Currency>(), Currency::fromUnits(100));
    QCOMPARE(m_grid->rowData(1).text(QStringLiteral("gexIncomes")), QStringLiteral("$100.00"));
    QVERIFY(m_grid->rowData(2).value(QStringLiteral("gexIncomes")).isNull());
    QCOMPARE(m_grid->rowData(2).text(QStringLiteral("gexIncomes")), QString());
    // Asked once per record, not at every read.
    const int before = asked;
    m_grid->rowData(1).value(QStringLiteral("gexIncomes"));
    QCOMPARE(asked, before);

    // A bound column filled by the owner shows, sorts and finds the owner's value; the field keeps its own.
    GridColumn *description = m_grid->column(QStringLiteral("TrDescription"));
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this, [&](int, int col, qint64 bm, QVariant &value) {
        if (col == description->index()) {
            auto rs = m_grid->recordset();
            value = rs->valueAt(bm, description->fieldIndex()).toString() + QStringLiteral(" 1/2");
        }
    });
    description->setComputed(true);
    QCOMPARE(m_grid->rowData(1).value(QStringLiteral("TrDescription")).toString(), QStringLiteral("Rent March 1/2"));
    QVERIFY(m_grid->find(QStringLiteral("TrDescription"), QStringLiteral("phone 1/2")));
    QCOMPARE(m_grid->row(), 2);
    m_grid->recordset()->setBookmark(m_grid->rowData(2).bookmark());
    QCOMPARE(m_grid->recordset()->value(QStringLiteral("TrDescription")).toString(), QStringLiteral("Phone"));
}

void TestListGrid::groupsAscendingWhateverSortDirection_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("expected");
    // Groups by account name always A to Z (no account first); inside, date then id in the direction.
    QTest::newRow("ascending") << 1
                               << QStringList{QStringLiteral("[]"), QStringLiteral("5"), QStringLiteral("[bianchi]"),
                                              QStringLiteral("2"),  QStringLiteral("7"), QStringLiteral("[\u00C9lan]"),
                                              QStringLiteral("6"),  QStringLiteral("4"), QStringLiteral("[Rossi]"),
                                              QStringLiteral("8"),  QStringLiteral("3"), QStringLiteral("1")};
    QTest::newRow("descending") << -1
                                << QStringList{QStringLiteral("[]"), QStringLiteral("5"), QStringLiteral("[bianchi]"),
                                               QStringLiteral("7"),  QStringLiteral("2"), QStringLiteral("[\u00C9lan]"),
                                               QStringLiteral("4"),  QStringLiteral("6"), QStringLiteral("[Rossi]"),
                                               QStringLiteral("1"),  QStringLiteral("3"), QStringLiteral("8")};
}

void TestListGrid::groupsAscendingWhateverSortDirection()
{
    QFETCH(int, direction);
    QFETCH(QStringList, expected);
    bind(*m_grid);
    m_grid->clearSortKeys();
    m_grid->addSortKey(QStringLiteral("TrDate"), direction);
    m_grid->addSortKey(QStringLiteral("TrRowId"), direction);
    m_grid->clearGroups();
    m_grid->addGroup(QStringLiteral("AcName"));
    QCOMPARE(layout(*m_grid), expected);
    QCOMPARE(m_grid->column(QStringLiteral("TrDate"))->sortOrder(), direction);
    QCOMPARE(m_grid->column(QStringLiteral("AcName"))->sortOrder(), 0);
}

void TestListGrid::textSortFoldsCaseAndAccentsAndKeepsTies()
{
    // Rows of one date with equal folded names keep their order; the second key breaks ties.
    bind(*m_grid);
    m_grid->addSortKey(QStringLiteral("AcName"));
    m_grid->addSortKey(QStringLiteral("TrRowId"), -1);
    QCOMPARE(layout(*m_grid),
             (QStringList{QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("2"), QStringLiteral("6"),
                          QStringLiteral("4"), QStringLiteral("8"), QStringLiteral("3"), QStringLiteral("1")}));
    m_grid->clearSortKeys();
    m_grid->addSortKey(QStringLiteral("AcName"), -1);
    // Without a second key, rows of one name stay in the order the query gave them.
    QCOMPARE(layout(*m_grid),
             (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8"), QStringLiteral("4"),
                          QStringLiteral("6"), QStringLiteral("2"), QStringLiteral("7"), QStringLiteral("5")}));
}

void TestListGrid::orderAsTheValuesCompare_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("keys");      // "Field" ascending, "-Field" descending
    QTest::newRow("date then id, descending")
        << QStringList() << QStringList{QStringLiteral("-TrDate"), QStringLiteral("-TrRowId")};
    QTest::newRow("amount: ties keep the query's order") << QStringList() << QStringList{QStringLiteral("TrValue")};
    QTest::newRow("description, then date")
        << QStringList() << QStringList{QStringLiteral("-TrDescription"), QStringLiteral("TrDate")};
    QTest::newRow("by account, dates descending")
        << QStringList{QStringLiteral("AcName")} << QStringList{QStringLiteral("-TrDate"), QStringLiteral("-TrRowId")};
    QTest::newRow("by alert days and type, description")
        << QStringList{QStringLiteral("TrAlertDays"), QStringLiteral("TrType")}
        << QStringList{QStringLiteral("TrDescription")};
}

void TestListGrid::orderAsTheValuesCompare()
{
    QFETCH(QStringList, groups);
    QFETCH(QStringList, keys);
    // Rows with Null, equal and near values, texts in other cases and accents, several dates a day.
    const QString file = m_sandbox->makeDatabase(m_sandbox->root() + QStringLiteral("/order"));
    const QString dcs = testenv::connectionString(file);
    {
        platform::Connection cn;
        cn.Open(dcs);
        platform::ScopedTransaction transaction(cn);
        for (const char *name : {"rossi", "Élan", "elan", "Bianchi", "ÉLAN"})
            cn.Execute(QStringLiteral("INSERT INTO Accounts (AcName) SELECT '%1'").arg(QString::fromUtf8(name)));
        const char *texts[] = {"Rent", "rent", "Rènt", "Fuel", "fuel 2", "", "Zeta", "Éclair"};
        quint32 seed = 7;
        auto next = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 16) % quint32(n));
        };
        for (int i = 0; i < 300; ++i) {
            const int text = next(9);
            const int day = next(40);
            cn.Execute(QStringLiteral("INSERT INTO Transactions (TrDbId, TrType, TrDate, TrDescription, TrAcId, TrValue, "
                                      "TrAlertDays) SELECT 1, %1, %2, %3, %4, %5, %6")
                           .arg(next(3) - 1 == 0 ? -2 : next(2) * 2 - 1)
                           .arg(day == 0 ? QStringLiteral("Null") : QDate(2025, 1, 1).addDays(day).toString(QStringLiteral("#MM/dd/yyyy#")))
                           .arg(text == 8 ? QStringLiteral("Null") : QLatin1Char('\'') + QString::fromUtf8(texts[text]) + QLatin1Char('\''))
                           .arg(next(6))
                           .arg(QString::number(next(5) * 12.5))
                           .arg(next(3)));
        }
        transaction.commit();
    }

    // What the rows are sorted by, compared as the database compares them: Null first, then numbers and
    // dates by value, texts by their folded form.
    struct Value {
        int kind = 0;
        double number = 0;
        QString text;
    };
    auto valueOf = [](const QVariant &v) {
        Value out;
        if (!v.isValid() || v.isNull())
            return out;
        out.kind = 1;
        if (v.metaType() == QMetaType::fromType<Currency>())
            out.number = v.value<Currency>().toDouble();
        else if (v.metaType().id() == QMetaType::QDate)
            out.number = double(v.toDate().toJulianDay());
        else if (v.metaType().id() == QMetaType::QString) {
            out.kind = 2;
            out.text = platform::foldText(v.toString());
        } else
            out.number = v.toDouble();
        return out;
    };
    auto compare = [](const Value &a, const Value &b) {
        if (a.kind != b.kind)
            return a.kind < b.kind ? -1 : 1;
        if (a.kind == 1)
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        return a.kind == 2 ? QStringView(a.text).compare(QStringView(b.text)) : 0;
    };
    auto expectedOrder = [&](Recordset &rs, const QList<QPair<QString, int>> &by) {
        std::vector<Recordset::Bookmark> rows(rs.visibleRows().begin(), rs.visibleRows().end());
        std::stable_sort(rows.begin(), rows.end(), [&](Recordset::Bookmark a, Recordset::Bookmark b) {
            for (const auto &[field, direction] : by) {
                const int f = rs.fieldIndex(field);
                const int c = compare(valueOf(rs.valueAt(a, f)), valueOf(rs.valueAt(b, f)));
                if (c != 0)
                    return c * direction < 0;
            }
            return false;
        });
        QStringList ids;
        for (Recordset::Bookmark b : rows)
            ids << rs.valueAt(b, rs.fieldIndex(QStringLiteral("TrRowId"))).toString();
        return ids;
    };
    auto shownIds = [](ListGrid &grid) {
        QStringList ids;
        for (const QString &row : layout(grid))
            if (!row.startsWith(QLatin1Char('[')))
                ids << row;
        return ids;
    };

    ListGrid grid;
    grid.setConnectionString(dcs);
    grid.setRecordSource(QStringLiteral("SELECT TrRowId,TrDate,TrDescription,TrValue,TrType,TrAlertDays,AcName FROM "
                                        "Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId"));
    grid.rebind(false);
    auto rs = grid.recordset();
    QList<QPair<QString, int>> by;
    for (const QString &g : groups) {
        grid.addGroup(g);
        by.append({g, 1});
    }
    auto setKeys = [&](int flip) {
        grid.clearSortKeys();
        while (by.size() > groups.size())
            by.removeLast();
        for (const QString &k : keys) {
            const int direction = (k.startsWith(QLatin1Char('-')) ? -1 : 1) * flip;
            grid.addSortKey(k.mid(k.startsWith(QLatin1Char('-')) ? 1 : 0), direction);
            by.append({k.mid(k.startsWith(QLatin1Char('-')) ? 1 : 0), direction});
        }
    };
    setKeys(1);
    QCOMPARE(shownIds(grid), expectedOrder(*rs, by));
    // The other direction (as a click on a header gives it), a filter on the same rows, none again.
    setKeys(-1);
    QCOMPARE(shownIds(grid), expectedOrder(*rs, by));
    rs->setFilter(QStringLiteral("TrType = 1 OR AcName LIKE '*elan*'"));
    grid.refetch();
    QVERIFY(grid.recordCount() < 300);
    QCOMPARE(shownIds(grid), expectedOrder(*rs, by));
    setKeys(1);
    QCOMPARE(shownIds(grid), expectedOrder(*rs, by));
    rs->setFilter(QString());
    grid.refetch();
    QCOMPARE(shownIds(grid), expectedOrder(*rs, by));
    QCOMPARE(grid.recordCount(), 300);
}

void TestListGrid::groupSums()
{
    bind(*m_grid);
    GridColumn *open = m_grid->addComputedColumn(QStringLiteral("gexTotals"));
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this, [&](int, int col, qint64 bm, QVariant &value) {
        if (col != open->index())
            return;
        auto rs = m_grid->recordset();
        // Closed rows count 0, as the deadline totals do.
        value = rs->valueAt(bm, rs->fieldIndex(QStringLiteral("TrDone"))).toBool()
            ? QVariant::fromValue(Currency())
            : rs->valueAt(bm, rs->fieldIndex(QStringLiteral("TrBalance")));
    });
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    // Types -2, -1, 1.
    QCOMPARE(layout(*m_grid).filter(QStringLiteral("[")),
             (QStringList{QStringLiteral("[-2]"), QStringLiteral("[-1]"), QStringLiteral("[1]")}));
    const GridRowData debits = m_grid->rowData(3);
    QVERIFY(debits.isGroupHeader());
    QCOMPARE(debits.recordCount(), 3);
    QCOMPARE(debits.groupSum(QStringLiteral("TrBalance")).value<Currency>(), Currency::fromRaw(-(3050 + 4525 + 12075) * 100));
    const GridRowData credits = m_grid->rowData(7);
    QCOMPARE(credits.groupSum(QStringLiteral("TrBalance")).value<Currency>(), Currency::fromUnits(550));
    QCOMPARE(credits.groupSum(QStringLiteral("gexTotals")).value<Currency>(), Currency::fromUnits(350));
    QCOMPARE(credits.groupSum(QStringLiteral("TrRowId")).toLongLong(), 1 + 3 + 6 + 8);
    QCOMPARE(formatNamed(debits.groupSum(QStringLiteral("TrBalance")), QStringLiteral("Currency")),
             QStringLiteral("($196.50)"));
}

void TestListGrid::groupSumsBeyondAnyAmount_data()
{
    QTest::addColumn<QVariant>("perRow");   // the computed value of every row
    QTest::addColumn<QString>("shown");     // the credits' sum (4 rows) in the currency format
    QTest::newRow("the largest Currency on each row, summed exactly")
        << QVariant::fromValue(Currency::fromRaw(std::numeric_limits<qint64>::max())) << "$3,689,348,814,741,910.32";
    QTest::newRow("whole numbers beyond every sum") << QVariant(std::numeric_limits<qint64>::max()) << "OVERFLOW";
}

void TestListGrid::groupSumsBeyondAnyAmount()
{
    QFETCH(QVariant, perRow);
    QFETCH(QString, shown);
    Lang = new cLang();
    bind(*m_grid);
    GridColumn *huge = m_grid->addComputedColumn(QStringLiteral("huge"));
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this, [&](int, int col, qint64, QVariant &value) {
        if (col == huge->index())
            value = perRow;
    });
    m_grid->addGroup(QStringLiteral("TrType"));
    const GridRowData credits = m_grid->rowData(7);
    QCOMPARE(credits.recordCount(), 4);
    // Never a wrapped, negative or cut number: the exact sum, or a text that says it is too large.
    QCOMPARE(formatNamed(credits.groupSum(QStringLiteral("huge")), QStringLiteral("Currency")),
             shown == QLatin1String("OVERFLOW") ? QStringLiteral("total too large") : shown);
    delete Lang;
    Lang = nullptr;
}

void TestListGrid::groupByComputedColumn()
{
    // A group made of a computed whole number (month of the date), ascending, two levels.
    bind(*m_grid);
    GridColumn *month = m_grid->addComputedColumn(QStringLiteral("gexDateGroup"));
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this, [&](int, int col, qint64 bm, QVariant &value) {
        if (col == month->index()) {
            auto rs = m_grid->recordset();
            const QDate d = rs->valueAt(bm, rs->fieldIndex(QStringLiteral("TrDate"))).toDate();
            value = d.year() * 100 + d.month();
        }
    });
    m_grid->addGroup(QStringLiteral("TrDone"));
    m_grid->addGroup(QStringLiteral("gexDateGroup"));
    m_grid->addSortKey(QStringLiteral("TrRowId"), -1);
    QCOMPARE(layout(*m_grid), (QStringList{QStringLiteral("[false]"), QStringLiteral("[202502]"), QStringLiteral("5"),
                                           QStringLiteral("[202503]"), QStringLiteral("6"), QStringLiteral("4"),
                                           QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("[202504]"),
                                           QStringLiteral("7"), QStringLiteral("[true]"), QStringLiteral("[202412]"),
                                           QStringLiteral("8"), QStringLiteral("[202501]"), QStringLiteral("3")}));
    QCOMPARE(m_grid->rowData(2).groupLevel(), 2);
    QCOMPARE(m_grid->rowData(2).groupColumn(), month);
    QCOMPARE(m_grid->rowData(1).groupLevel(), 1);
}

void TestListGrid::currentRowCountsGroupRows()
{
    bind(*m_grid);
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    QSignalSpy changes(m_grid.get(), &ListGrid::RowColChange);
    QCOMPARE(m_grid->rowCount(), 11);
    QCOMPARE(m_grid->row(), 1);
    QVERIFY(m_grid->rowData(1).isGroupHeader());
    m_grid->setRow(5);
    QCOMPARE(m_grid->row(), 5);
    QVERIFY(m_grid->rowData(5).isRecord());
    QCOMPARE(m_grid->rowData(5).value(QStringLiteral("TrRowId")).toInt(), 5);
    QCOMPARE(changes.last().at(0).toInt(), 1);
    m_grid->setRow(12);   // past the end: ignored
    QCOMPARE(m_grid->row(), 5);
    m_grid->setRow(0);
    QCOMPARE(m_grid->row(), 0);
    QCOMPARE(changes.last().at(0).toInt(), 5);
    m_grid->setRow(m_grid->rowCount());
    QCOMPARE(m_grid->rowData(m_grid->row()).value(QStringLiteral("TrRowId")).toInt(), 8);
}

void TestListGrid::find_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("id");   // the current record after the search (3: where it started)
    QTest::newRow("id") << "TrRowId" << QVariant(7) << true << 7;
    QTest::newRow("id as text") << "TrRowId" << QVariant(QStringLiteral("6")) << true << 6;
    QTest::newRow("missing id") << "TrRowId" << QVariant(0) << false << 3;
    QTest::newRow("name, other case and accent") << "AcName" << QVariant(QStringLiteral("ELAN")) << true << 4;
    QTest::newRow("date") << "TrDate" << QVariant(QDate(2025, 2, 1)) << true << 5;
    QTest::newRow("currency") << "TrValue" << QVariant::fromValue(Currency::fromRaw(1207500)) << true << 7;
    QTest::newRow("null") << "AcName" << QVariant() << false << 3;
}

void TestListGrid::find()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(bool, found);
    QFETCH(int, id);
    bind(*m_grid);
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrDate"), -1);
    m_grid->addSortKey(QStringLiteral("TrRowId"), -1);
    QVERIFY(m_grid->find(QStringLiteral("TrRowId"), 3));
    m_grid->collapseAll();   // the record looked for is inside a closed group
    QVERIFY(m_grid->rowData(m_grid->row()).isGroupHeader());
    m_grid->expandAll();
    QVERIFY(m_grid->find(QStringLiteral("TrRowId"), 3));
    m_grid->collapseAll();
    const int before = m_grid->row();
    QCOMPARE(m_grid->find(key, value), found);
    if (found) {
        QCOMPARE(m_grid->rowData(m_grid->row()).value(QStringLiteral("TrRowId")).toInt(), id);
    } else {
        QCOMPARE(m_grid->row(), before);
    }
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, m_grid->find(QStringLiteral("NoSuchColumn"), 1));
}

void TestListGrid::filterOfBoundRecordsetIsShown()
{
    bind(*m_grid);
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    QVERIFY(m_grid->find(QStringLiteral("TrRowId"), 8));
    auto rs = m_grid->recordset();
    rs->setFilter(QStringLiteral("TrDescription LIKE '*rent*' OR AcName LIKE '*rent*'"));
    m_grid->refetch();
    QCOMPARE(layout(*m_grid),
             (QStringList{QStringLiteral("[1]"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8")}));
    QCOMPARE(m_grid->recordCount(), 3);
    // The current record passed the filter and stays current.
    QCOMPARE(m_grid->rowData(m_grid->row()).value(QStringLiteral("TrRowId")).toInt(), 8);
    rs->setFilter(QStringLiteral("TrDescription LIKE '*nothing*'"));
    m_grid->refetch();
    QCOMPARE(m_grid->rowCount(), 0);
    QCOMPARE(m_grid->row(), 0);
    rs->setFilter(QString());
    m_grid->refetch();
    QCOMPARE(m_grid->rowCount(), 11);
}

void TestListGrid::requeryReadsNewRows()
{
    bind(*m_grid, QStringLiteral("WHERE TrType=-2"));
    QCOMPARE(m_grid->rowCount(), 1);
    platform::Connection cn;
    cn.Open(m_dcs);
    QCOMPARE(cn.Execute(QStringLiteral("UPDATE Transactions SET TrType=-2 WHERE TrRowId=5")), 1L);
    m_grid->requery();
    QCOMPARE(m_grid->rowCount(), 2);
    cn.Execute(QStringLiteral("UPDATE Transactions SET TrType=-1 WHERE TrRowId=5"));
    cn.Close();
}

void TestListGrid::expandAndCollapse()
{
    bind(*m_grid);
    m_grid->addGroup(QStringLiteral("TrDone"));
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    // false: -2 (4), -1 (2 5 7), 1 (1 6); true: 1 (3 8)
    QCOMPARE(m_grid->rowCount(), 2 + 4 + 8);
    QVERIFY(m_grid->find(QStringLiteral("TrRowId"), 7));
    m_grid->collapseAll();
    QCOMPARE(m_grid->rowCount(), 2);
    QCOMPARE(m_grid->row(), 1);   // the group that holds the current record
    m_grid->expandRow(1);
    QCOMPARE(m_grid->rowCount(), 5);
    QVERIFY(m_grid->isRowExpanded(1));
    QVERIFY(!m_grid->isRowExpanded(3));
    m_grid->expandRow(3);   // -1 of the open rows
    QCOMPARE(layout(*m_grid), (QStringList{QStringLiteral("[false]"), QStringLiteral("[-2]"), QStringLiteral("[-1]"),
                                           QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("7"),
                                           QStringLiteral("[1]"), QStringLiteral("[true]")}));
    m_grid->setRow(6);
    m_grid->collapseRow(3);
    QCOMPARE(m_grid->row(), 3);
    QCOMPARE(m_grid->rowCount(), 5);
    m_grid->expandAll();
    QCOMPARE(m_grid->rowCount(), 14);
    QCOMPARE(m_grid->row(), 4);
}

void TestListGrid::formatRowCaptionTextAndStyle()
{
    bind(*m_grid);
    GridRowStyle expired;
    expired.name = QStringLiteral("Expired");
    expired.bold = true;
    m_grid->setRowStyle(expired);
    QVERIFY(m_grid->hasRowStyle(QStringLiteral("Expired")));
    m_grid->column(QStringLiteral("TrValue"))->setFormat(QStringLiteral("Currency"));
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    connect(m_grid.get(), &ListGrid::FormatRow, this, [](GridRowFormat &row) {
        if (row.isGroupHeader()) {
            row.setCaption(QStringLiteral(" %1 [%2]").arg(row.groupValue().toInt())
                           .arg(formatNamed(row.groupSum(QStringLiteral("TrBalance")), QStringLiteral("Currency"))));
            row.setRowHeight(500);
            return;
        }
        if (row.value(QStringLiteral("TrType")).toInt() == -2)
            row.setCellText(QStringLiteral("TrValue"), QString());
        if (!row.value(QStringLiteral("TrDone")).toBool())
            row.setStyle(QStringLiteral("Expired"));
    });
    QCOMPARE(m_grid->rowCount(), 11);
    GridModel *model = m_grid->model();
    QCOMPARE(model->data(model->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral(" -2 [$0.00]"));
    QCOMPARE(model->rowFormat(model->rowRef(0)).heightTwips, 500);
    QCOMPARE(m_grid->rowData(2).text(QStringLiteral("TrValue")), QString());   // the appointment
    QCOMPARE(m_grid->rowData(4).text(QStringLiteral("TrValue")), QStringLiteral("$30.50"));
    QVERIFY(model->data(model->index(3, 0), Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model->data(m_grid->model()->index(m_grid->rowCount() - 1, 0), Qt::FontRole).isValid());   // closed row 8
    QCOMPARE(m_grid->rowData(1).groupCaption(), QStringLiteral("TrType: -2"));
}

void TestListGrid::keyDownAndDoubleClick()
{
    bind(*m_grid);
    m_grid->addSortKey(QStringLiteral("TrRowId"));
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QList<int> keys;
    connect(m_grid.get(), &ListGrid::KeyDown, this, [&](int &key, Qt::KeyboardModifiers) {
        keys << key;
        if (key == Qt::Key_Return)
            key = 0;   // consumed
    });
    QSignalSpy dbl(m_grid.get(), &ListGrid::DblClick);
    QSignalSpy up(m_grid.get(), &ListGrid::MouseUp);
    QSignalSpy moved(m_grid.get(), &ListGrid::RowColChange);
    m_grid->setFocus();
    QTest::keyClick(m_grid->view(), Qt::Key_Down);
    QCOMPARE(m_grid->row(), 2);
    QTest::keyClick(m_grid->view(), Qt::Key_Return);
    QCOMPARE(keys, (QList<int>{Qt::Key_Down, Qt::Key_Return}));
    QCOMPARE(m_grid->row(), 2);
    QVERIFY(moved.count() >= 1);

    QWidget *viewport = m_grid->view()->viewport();
    const QRect third = m_grid->view()->visualRect(m_grid->model()->index(2, 2));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, third.center());
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(m_grid->row(), 3);
    QTest::mouseClick(viewport, Qt::RightButton, {}, third.center());
    QVERIFY(!up.isEmpty());
    QCOMPARE(up.last().at(0).value<Qt::MouseButton>(), Qt::RightButton);
}

void TestListGrid::headerClickAndAutoSort()
{
    bind(*m_grid);
    m_grid->setAutoSort(true);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QSignalSpy clicks(m_grid.get(), &ListGrid::ColumnHeaderClick);
    QHeaderView *h = m_grid->view()->header();
    const int section = m_grid->column(QStringLiteral("TrDescription"))->index() - 1;
    const QPoint at(h->sectionViewportPosition(section) + 5, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().at(0).value<GridColumn *>(), m_grid->column(QStringLiteral("TrDescription")));
    QCOMPARE(m_grid->rowData(1).value(QStringLiteral("TrDescription")).toString(), QStringLiteral("Fuel"));
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(m_grid->rowData(1).value(QStringLiteral("TrDescription")).toString(), QStringLiteral("Rent March"));
    QCOMPARE(m_grid->column(QStringLiteral("TrDescription"))->sortOrder(), -1);
}

void TestListGrid::failingAnswerRaisesErrorEvent()
{
    bind(*m_grid);
    m_grid->addComputedColumn(QStringLiteral("Broken"));
    connect(m_grid.get(), &ListGrid::UnboundColumnFetch, this, [](int, int, qint64, QVariant &) {
        throw platform::RuntimeError(3021, QStringLiteral("test"), QStringLiteral("No current record."));
    });
    QList<QPair<qint64, QString>> errors;
    bool suppress = true;
    connect(m_grid.get(), &ListGrid::Error, this, [&](qint64 number, const QString &text, bool &show) {
        errors.append({number, text});
        show = !suppress;
    });
    m_grid->addGroup(QStringLiteral("Broken"));   // every record asks, every answer fails
    QCOMPARE(m_grid->rowCount(), 9);                // one group of empty values, the rows all there
    QTRY_COMPARE(errors.count(), 1);                // told once
    QCOMPARE(errors.first().first, 3021);
    QCOMPARE(errors.first().second, QStringLiteral("No current record."));
    QVERIFY(m_sandbox->requests().isEmpty() || m_sandbox->requests().last().text != QStringLiteral("No current record."));
    suppress = false;
    m_sandbox->clearRequests();
    m_grid->refresh();
    QCOMPARE(m_grid->rowCount(), 9);
    QTRY_COMPARE(errors.count(), 2);
    QCOMPARE(m_sandbox->requests().size(), 1);
    QCOMPARE(m_sandbox->requests().first().text, QStringLiteral("No current record."));
}

void TestListGrid::screenReaderReadsTheRowsOnScreen()
{
    // A list far longer than its window: the screen reader is given the headers and the rows on screen as
    // children, reaches any row through the table, and finds the current row among the children (where
    // the focus event names it).
    const QString file = m_sandbox->makeDatabase(m_sandbox->documents() + QStringLiteral("/Long"));
    testenv::fillSample(file, QDate(2025, 3, 15), 400);
    ListGrid grid;
    grid.setConnectionString(testenv::connectionString(file));
    grid.setRecordSource(kList);
    grid.rebind(false);
    for (const char *hidden : {"TrBalance", "TrType", "TrDone"})
        grid.column(QLatin1String(hidden))->setVisible(false);
    grid.addGroup(QStringLiteral("AcName"));
    grid.addSortKey(QStringLiteral("TrDate"));
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(grid.view());
    QVERIFY(list && list->tableInterface());
    QAccessibleTableInterface *table = list->tableInterface();
    QCOMPARE(table->rowCount(), grid.rowCount());
    QVERIFY(grid.rowCount() > 400);
    QCOMPARE(table->columnCount(), 5);   // the shown columns only
    const int onScreen = grid.view()->viewport()->height() / grid.view()->rowHeightPixels() + 1;
    QVERIFY2(list->childCount() <= 5 * (1 + onScreen), qPrintable(QString::number(list->childCount())));
    QCOMPARE(list->child(0)->role(), QAccessible::ColumnHeader);
    QCOMPARE(list->child(2)->text(QAccessible::Name), grid.column(QStringLiteral("TrDescription"))->caption());
    QCOMPARE(list->indexOfChild(list->child(7)), 7);

    // A group row tells its caption; a record far below the window its texts, as off screen.
    QAccessibleInterface *group = table->cellAt(0, 0);
    QCOMPARE(group->text(QAccessible::Name), grid.model()->rowFormat(grid.model()->rowRef(0)).caption);
    QVERIFY(group->state().expandable && group->state().expanded);
    int far = grid.rowCount();
    while (grid.rowData(far).isGroupHeader())
        --far;
    QAccessibleInterface *cell = table->cellAt(far - 1, 2);
    QCOMPARE(cell->text(QAccessible::Name), grid.rowData(far).text(QStringLiteral("TrDescription")));
    QVERIFY(cell->state().offscreen);
    QCOMPARE(list->indexOfChild(cell), -1);

    // Moving down the list: the current row comes on screen, focused, among the children.
    grid.view()->setFocus();
    QTRY_VERIFY(grid.view()->hasFocus());
    for (int row : {3, far}) {
        grid.setRow(row);
        QAccessibleInterface *current = table->cellAt(row - 1, 1);
        QVERIFY(current->state().focused && current->state().selected && !current->state().offscreen);
        const int child = list->indexOfChild(current);
        QVERIFY(child >= 0);
        QCOMPARE(list->child(child), current);
        QCOMPARE(current->text(QAccessible::Name), grid.rowData(row).text(QStringLiteral("TrDate")));
    }
}

void TestListGrid::narrowColumnsWrapTheirCaptions()
{
    // A caption wider than its column takes two lines, each drawn, and the header grows for them; a
    // column wide enough takes its caption back on one line.
    bind(*m_grid);
    for (GridColumn *c : m_grid->columnsInDisplayOrder())
        c->setVisible(c->key() == QLatin1String("TrDate") || c->key() == QLatin1String("AcName"));
    GridColumn *count = m_grid->column(QStringLiteral("AcName"));
    count->setCaption(QStringLiteral("Income/Expense Count"));
    count->setWidth(6000);
    m_grid->resize(1200, 300);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QHeaderView *header = m_grid->view()->header();
    const int oneLine = header->height();
    count->setWidth(1800);
    QTRY_VERIFY(header->height() > oneLine && header->height() >= 2 * header->fontMetrics().lineSpacing());
    const int section = count->index() - 1;
    const QRect area(header->sectionViewportPosition(section), 0, header->sectionSize(section), header->height());
    const QImage shot = header->grab(area).toImage();
    auto inked = [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) < 110)
                    return true;
        return false;
    };
    QVERIFY(inked(0, shot.height() / 2) && inked(shot.height() / 2, shot.height()));
    count->setWidth(6000);
    QTRY_COMPARE(header->height(), oneLine);
}

void TestListGrid::rendersWithoutCrash()
{

    bind(*m_grid);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 255));
    red.setPixel(8, 8, qRgb(255, 0, 0));
    m_grid->setImageList({ListGrid::maskedIcon(red), ListGrid::maskedIcon(red)});
    m_grid->column(QStringLiteral("TrType"))->setContent(GridColumn::IconOnly);
    m_grid->column(QStringLiteral("TrType"))->setIconIndex(1);
    m_grid->column(QStringLiteral("TrDescription"))->setContent(GridColumn::IconAndText);
    connect(m_grid.get(), &ListGrid::FetchIcon, this, [](int, int, qint64 bm, int &icon) { icon = bm % 3; });
    GridRowStyle struck;
    struck.name = QStringLiteral("barrato");
    struck.strikeOut = true;
    struck.foreColor = QColor(192, 192, 192);
    m_grid->setRowStyle(struck);
    connect(m_grid.get(), &ListGrid::FormatRow, this, [](GridRowFormat &row) {
        if (row.isRecord() && row.value(QStringLiteral("TrDone")).toBool())
            row.setStyle(QStringLiteral("barrato"));
    });
    m_grid->addGroup(QStringLiteral("AcName"));
    m_grid->addGroup(QStringLiteral("TrType"));
    m_grid->setRowHeight(420);
    m_grid->setHeaderHeight(315);
    m_grid->setNavigatorVisible(true);
    m_grid->setNavigatorCaption(QStringLiteral("row|of"));
    m_grid->setRow(3);
    QCOMPARE(m_grid->navigatorText(), QStringLiteral("row 3 of %1").arg(m_grid->rowCount()));
    QCOMPARE(m_grid->model()->iconOf(m_grid->model()->rowRef(2), m_grid->column(QStringLiteral("TrType"))->index()),
             int(m_grid->rowData(3).bookmark() % 3));
    const QPixmap shot = m_grid->grab();
    QVERIFY(!shot.isNull());
    QCOMPARE(shot.size(), m_grid->size());
    m_grid->setColumnHeaders(false);
    m_grid->setGridLines(false);
    m_grid->setBorder(false);
    m_grid->collapseAll();
    QVERIFY(!m_grid->grab().isNull());
}

void TestListGrid::namedFormats_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale it(QLocale::Italian, QLocale::Italy);
    QTest::newRow("us date") << us << QVariant(QDate(2025, 3, 5)) << "Short Date" << "3/5/2025";
    QTest::newRow("it date") << it << QVariant(QDate(2025, 3, 5)) << "Short Date" << "05/03/2025";
    QTest::newRow("us money") << us << QVariant::fromValue(Currency::fromRaw(12345000)) << "Currency" << "$1,234.50";
    QTest::newRow("us negative") << us << QVariant::fromValue(Currency::fromRaw(-30000)) << "Currency" << "($3.00)";
    QTest::newRow("it money") << it << QVariant::fromValue(Currency::fromRaw(12345000)) << "Currency"
                              << QStringLiteral("1.234,50\u00A0\u20AC");
    QTest::newRow("half cent rounds away") << us << QVariant::fromValue(Currency::fromRaw(50)) << "currency" << "$0.01";
    QTest::newRow("whole number as money") << us << QVariant(7) << "Currency" << "$7.00";
    QTest::newRow("null") << us << QVariant() << "Currency" << "";
    QTest::newRow("plain currency") << it << QVariant::fromValue(Currency::fromRaw(12500)) << "" << "1,25";
    QTest::newRow("plain text") << us << QVariant(QStringLiteral("x")) << "Short Date" << "x";
}

void TestListGrid::namedFormats()
{
    QFETCH(QLocale, locale);
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(formatNamed(value, format, locale), text);
}

QTEST_MAIN(TestListGrid)
#include "tst_listgrid.moc"
