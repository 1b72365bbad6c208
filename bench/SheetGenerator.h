#pragma once

// The one generator of realistic data sheets for the benchmarks. A database made from the template holds
//   - data sheet 1 with `rows` rows and data sheet 2 with rows / 10;
//   - 500 accounts (a third with notes) and 20 counts;
//   - credits, debits and appointments; about 15% cash-book movements (closed, income or expense);
//   - descriptions of 20 to 60 characters, notes on one row in five;
//   - dates over the ten years around `today` (seven before, three after); past deadlines mostly closed,
//     future ones mostly open;
//   - about a third of the deadlines in recurring series of 2 to 24 rows, dated by the series' cadence.
// The same rows and today always give the same file. Making a million rows takes some seconds, so the
// files are kept between runs (benchDatabase).

#include <QDate>
#include <QString>

namespace benchdata {

constexpr int kAccounts = 500;
constexpr int kCounts = 20;

// The fixed "today" the files are generated around and the benchmarks run on.
inline const QDate kToday(2025, 3, 15);

// Fills a database made from the template (the file exists, its tables are empty but for Dbs row 1).
void generateSheets(const QString &dbFile, int rows, const QDate &today = kToday);

// The generated database of `rows` rows, made on first use and kept under the build's bench-data folder,
// named after the rows and a hash of the template and of this generator's version; an interrupted run
// leaves no file under that name.
QString benchDatabase(int rows);

// The program folder whose Orvel3 and master.gen the benchmarks use: the build's, or the one named by
// ORVEL_BENCH_BIN_DIR (to measure another build of the program against the same benchmarks).
QString programFolder();
QString templateFile();

// The rows counts the benchmarks run at.
constexpr int kSizes[] = {10000, 100000, 1000000};
// "10k", "100k", "1M".
QString sizeName(int rows);

} // namespace benchdata
