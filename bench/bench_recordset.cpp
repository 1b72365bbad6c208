// Opening the main list (the deadlines view's statement as the program builds it, MainListSql.h) over the
// 100 000 generated rows, the filters run on the loaded rows, and the translation of one statement.

#include "MainListSql.h"
#include "SheetGenerator.h"

#include "platform/database/Connection.h"
#include "platform/database/JetDialect.h"
#include "platform/database/Recordset.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace platform;

namespace {

const QString kMainList = benchdata::mainListSql(1);

// One database for all benchmarks: a copy of the generated sheets (SheetGenerator.h) of 100 000 rows.
struct Fixture {
    QTemporaryDir dir;
    QString file;
    QString connectionString;

    Fixture()
    {
        file = dir.path() + QStringLiteral("/orvel3.mdb");
        if (!QFile::copy(benchdata::benchDatabase(100000), file))
            qFatal("cannot copy the benchmark database");
        QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        connectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_OpenMainList(benchmark::State &state)
{
    Connection c;
    c.Open(fixture().connectionString);
    for (auto _ : state) {
        Recordset rs;
        rs.Open(kMainList, c);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_OpenMainList)->Unit(benchmark::kMillisecond);

void BM_OpenMainListOwnConnection(benchmark::State &state)
{
    for (auto _ : state) {
        Recordset rs;
        rs.Open(kMainList, fixture().connectionString);
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
BENCHMARK(BM_OpenMainListOwnConnection)->Unit(benchmark::kMillisecond);

void BM_ReadAllValues(benchmark::State &state)
{
    Recordset rs;
    rs.Open(kMainList, fixture().connectionString);
    for (auto _ : state) {
        for (Recordset::Bookmark b : rs.visibleRows())
            for (int f = 0; f < rs.fieldCount(); ++f)
                benchmark::DoNotOptimize(rs.valueAt(b, f));
    }
}
BENCHMARK(BM_ReadAllValues)->Unit(benchmark::kMillisecond);

void BM_SearchFilter(benchmark::State &state)
{
    Recordset rs;
    rs.Open(kMainList, fixture().connectionString);
    for (auto _ : state) {
        rs.setFilter(MainListRules::SearchFilter(QStringLiteral("invoice")));
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
BENCHMARK(BM_SearchFilter)->Unit(benchmark::kMillisecond);

void BM_DayFilter(benchmark::State &state)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT DISTINCTROW TrDate FROM Transactions WHERE IsPN=False AND TrDbId=1"),
            fixture().connectionString);
    for (auto _ : state) {
        rs.setFilter(QStringLiteral("TrDate='2024-06-15'"));
        benchmark::DoNotOptimize(rs.RecordCount());
    }
}
BENCHMARK(BM_DayFilter)->Unit(benchmark::kMillisecond);

void BM_TranslateMainList(benchmark::State &state)
{
    Connection c;
    c.Open(fixture().connectionString);
    Recordset probe;
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(fixture().file).constData(), &db);
    sqlite3_create_collation(db, "JETTEXT", SQLITE_UTF8, nullptr,
                             [](void *, int, const void *, int, const void *) { return 0; });
    JetDialect dialect(Schema::read(db));
    sqlite3_close(db);
    for (auto _ : state)
        benchmark::DoNotOptimize(dialect.translateUncached(kMainList));
}
BENCHMARK(BM_TranslateMainList)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
