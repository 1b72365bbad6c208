// Opening the main list (21 fields, two joins, the search field expression) over 100 000 rows, the
// filters run on the loaded rows, and the translation of one statement.

#include "platform/database/Connection.h"
#include "platform/database/JetDialect.h"
#include "platform/database/Recordset.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace platform;

namespace {

const QString kMainList = QStringLiteral(
    "SELECT TrRowId,TrDbId,TrType,TrDone,TrDate,TrDescription,TrAcId,TrValue,TrBalance,TrGrpType,TrGrpRow,"
    "TrGrpMDay,TrNotes,TrGrpId,Accounts.*,Trim(TrDescription & ' ' & Accounts.AcName & ' ' & TrNotes & ' ' & "
    "Accounts.AcNotes) AS SearchField,TrAlertDays,CnName,TrAttached FROM (Transactions LEFT JOIN Accounts ON "
    "Transactions.TrAcId = Accounts.AcId) LEFT JOIN Counts ON Transactions.TrCountId = Counts.CnId "
    "Where TrDbId=1 AND (IsPN=False)");

// One database for all benchmarks: 100 000 deadlines over 200 accounts and 3 counts.
struct Fixture {
    QTemporaryDir dir;
    QString file;
    QString connectionString;

    Fixture()
    {
        file = dir.path() + QStringLiteral("/orvel3.mdb");
        QFile schema(QStringLiteral(ORVEL_SOURCE_DIR "/resources/schema.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            qFatal("no schema");
        createDatabase(file, QString::fromUtf8(schema.readAll()));
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(file).constData(), &db);
        sqlite3_create_collation(db, "JETTEXT", SQLITE_UTF8, nullptr,
                                 [](void *, int, const void *, int, const void *) { return 0; });
        sqlite3_exec(db,
                     "BEGIN;"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                     "INSERT INTO Accounts (AcName, AcNotes) SELECT 'Customer ' || i, CASE WHEN i % 3 = 0 THEN "
                     "'notes of customer ' || i END FROM n;"
                     "INSERT INTO Counts (CnName) VALUES ('Bank'), ('Cash'), ('Card');"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                     "INSERT INTO Transactions (TrDbId, TrType, TrDone, TrDate, TrDescription, TrNotes, TrAcId, "
                     "TrValue, TrBalance, TrGrpType, TrGrpRow, TrGrpMDay, TrGrpId, TrAlertDays, TrCountId, TrAttached, IsPN) "
                     "SELECT 1, CASE i % 3 WHEN 0 THEN 1 WHEN 1 THEN -1 ELSE -2 END, i % 2, "
                     "date('2020-01-01', '+' || (i % 2000) || ' days'), 'Invoice number ' || i || ' for services', "
                     "CASE WHEN i % 4 = 0 THEN 'paid by transfer' END, i % 201, (i % 5000) * 100, (i % 5000) * 100, "
                     "'n', 0, 0, 0, 5, i % 4, NULL, 0 FROM n;"
                     "COMMIT;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        connectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
        // As in the program, a connection that has run the list leaves the engine's statistics behind.
        Recordset warm;
        warm.Open(kMainList, connectionString);
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
        rs.setFilter(QStringLiteral("TrDescription LIKE '*mer 12*' OR AcName LIKE '*mer 12*'"));
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
        rs.setFilter(QStringLiteral("TrDate='2021-06-15'"));
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
