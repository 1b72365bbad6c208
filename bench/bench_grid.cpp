// Speed of the list grid on the 100 000 generated rows of data sheet 1 (SheetGenerator.h), the main list's
// statement as the program builds it (MainListSql.h): reading, grouping in two levels and sorting, the
// search filter, and drawing one screen.

#include "MainListSql.h"
#include "SheetGenerator.h"

#include "foundation/grid/ListGrid.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/Recordset.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using platform::Currency;
using platform::Recordset;

namespace {

constexpr int kRows = 100000;

QString g_dcs;

const QString kList = benchdata::mainListSql(1);

// A copy of the generated sheets (SheetGenerator.h) of kRows rows.
void useDatabase(const QString &file)
{
    QFile::remove(file);
    if (!QFile::copy(benchdata::benchDatabase(kRows), file))
        qFatal("cannot copy the benchmark database");
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    g_dcs = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
}

// The main list's set-up: bound grid, a computed month column answered as the main window answers it.
struct Fixture {
    ListGrid grid;
    GridColumn *dateGroup = nullptr;

    Fixture()
    {
        grid.resize(900, 600);
        grid.setConnectionString(g_dcs);
        grid.setRecordSource(kList);
        grid.rebind(false);
        dateGroup = grid.addComputedColumn(QStringLiteral("gexDateGroup"));
        QObject::connect(&grid, &ListGrid::UnboundColumnFetch, &grid, [this](int, int col, qint64 bm, QVariant &value) {
            if (col != dateGroup->index())
                return;
            auto rs = grid.recordset();
            rs->setBookmark(bm);
            const QDate d = rs->value(QStringLiteral("TrDate")).toDate();
            value = d.year() * 100 + d.month();
        });
    }

    void groupAndSort(const QString &second)
    {
        grid.clearSortKeys();
        grid.addSortKey(QStringLiteral("TrDate"), -1);
        grid.addSortKey(QStringLiteral("TrRowId"), -1);
        grid.clearGroups();
        grid.addGroup(QStringLiteral("TrDbId"));
        grid.addGroup(second);
        benchmark::DoNotOptimize(grid.rowCount());
    }
};

void BM_DatabaseRead(benchmark::State &state)
{
    for (auto _ : state) {
        Recordset rs;
        rs.Open(kList, g_dcs);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
BENCHMARK(BM_DatabaseRead)->Unit(benchmark::kMillisecond);

// What gexUpdate does: rebind keeping the columns, sort keys, two group levels.
void BM_RebindGroupSort(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.grid.rebind(true);
        f.groupAndSort(QStringLiteral("AcName"));
    }
    state.counters["rows"] = f.grid.rowCount();
}
BENCHMARK(BM_RebindGroupSort)->Unit(benchmark::kMillisecond);

// The same without the database read: the rows are grouped and sorted again.
void BM_GroupSortByName(benchmark::State &state)
{
    Fixture f;
    f.groupAndSort(QStringLiteral("AcName"));
    for (auto _ : state) {
        f.grid.refresh();
        f.groupAndSort(QStringLiteral("AcName"));
    }
}
BENCHMARK(BM_GroupSortByName)->Unit(benchmark::kMillisecond);

// Grouped by a computed column: every record's value is asked of the owner once per build.
void BM_GroupSortByComputedMonth(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.grid.refresh();
        f.groupAndSort(QStringLiteral("gexDateGroup"));
    }
}
BENCHMARK(BM_GroupSortByComputedMonth)->Unit(benchmark::kMillisecond);

// The search box: a filter on the loaded rows, then all rows again.
void BM_SearchFilter(benchmark::State &state)
{
    Fixture f;
    f.groupAndSort(QStringLiteral("gexDateGroup"));
    auto rs = f.grid.recordset();
    for (auto _ : state) {
        rs->setFilter(MainListRules::SearchFilter(QStringLiteral("123")));
        f.grid.refetch();
        benchmark::DoNotOptimize(f.grid.rowCount());
        rs->setFilter(QString());
        f.grid.refetch();
        benchmark::DoNotOptimize(f.grid.rowCount());
    }
}
BENCHMARK(BM_SearchFilter)->Unit(benchmark::kMillisecond);

void BM_ExpandCollapseAll(benchmark::State &state)
{
    Fixture f;
    f.groupAndSort(QStringLiteral("AcName"));
    for (auto _ : state) {
        f.grid.collapseAll();
        f.grid.expandAll();
    }
}
BENCHMARK(BM_ExpandCollapseAll)->Unit(benchmark::kMillisecond);

// One screen drawn: only the visible rows are formatted.
void BM_DrawScreen(benchmark::State &state)
{
    Fixture f;
    f.groupAndSort(QStringLiteral("AcName"));
    f.grid.show();
    for (auto _ : state) {
        f.grid.refresh();
        benchmark::DoNotOptimize(f.grid.rowCount());
        benchmark::DoNotOptimize(f.grid.grab());
    }
}
BENCHMARK(BM_DrawScreen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    useDatabase(dir.filePath(QStringLiteral("orvel3.mdb")));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
