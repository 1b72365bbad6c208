// What a user waits for, on generated data sheets of 10k, 100k and 1M rows (SheetGenerator.h), each measure
// beside its floor (BareList.h). Case names are <measure>/<rows>/app and <measure>/<rows>/floor:
//   refresh     gexUpdate of the deadlines view, all rows: the list read and its rows built
//               floor: the engine alone on the same statement
//   search      the keys of the search box, each with the list drawn again: "invoice" typed and deleted one
//               key at a time, then "zq" (it leaves the list empty), "x" typed on the empty list, and those
//               deleted again. search/<rows>/app is the slowest key of the sequence (its label names it;
//               mean_ms the mean per key); search/<rows>/<key>/app each key alone, named by the text
//               before it and the key: "in+v" v typed on "in", "inv-" the last letter of "inv" deleted
//               floor: the same keys filtering a bare QTreeView over the same rows
//   resort      a click on the date header, the list drawn again in the other direction
//               floor: the bare view sorted again and drawn
//   viewswitch  to the deadlines view from the cash book, the window drawn
//               floor: the engine on the deadlines statement, its rows in the bare view, drawn
//   calendar    the bold days of four months (mvUpdate)
//               floor: the engine alone on the same statement
//   startup     the program (build/bin/Orvel3, or ORVEL_BENCH_BIN_DIR's) from its launch to the end of its first paint, on its own
//               home whose default database is the generated one, on the benchmarks' "today"
//               floor: a bare program (bench_bareview) loading the same statement into a bare view, to
//               the end of its first paint
//   report      the report window opened, its first page drawn
//               floor: the engine alone on the report's statement
//   pdf         a report of (about) 10 000 rows written as PDF
//               floor: the same rows as a plain table written by QPdfWriter
//   save        Save in the deadline editor with the main window's refresh after it (the 600 ms pause
//               after the write is not taken: the sandbox sets it to zero)
//               floor: the engine alone on the update and then on the list statement
//   memory      peak resident memory (peak_MiB) of a session in a process of its own: start-up, two
//               refreshes, the search keys, two re-sorts, two view switches, the report window
//               floor: the bare program's peak with the same rows shown
// Sizes can be narrowed with --benchmark_filter (e.g. '/100k/').

#include "BareList.h"
#include "BenchProcess.h"
#include "BenchSupport.h"
#include "MainListSql.h"

#include "editors/frmScadenze.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/RowRules.h"
#include "mainwindow/MainListRules.h"
#include "platform/controls/DateField.h"
#include "platform/controls/MonthView.h"
#include "platform/shell/Shell.h"
#include "reports/frmPrint.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using benchdb::mainWindow;
using benchprocess::monotonicNs;

const QString kTyped = QStringLiteral("invoice");

// Runs what is queued (the grid's build) and the paints it asks for.
void settle()
{
    QCoreApplication::processEvents();
}

double msSince(qint64 startNs)
{
    return double(monotonicNs() - startNs) / 1e6;
}

// The deadlines view, all rows, no grouping: the list every measure starts from.
benchdb::MainWindowSetup &deadlinesList(int rows)
{
    benchdb::MainWindowSetup &s = mainWindow(rows);
    if (s.w->viewState().curView != 0 || s.w->viewState().curFilterIndex != 0 || s.w->viewState().curGroupIndex != 0) {
        s.setListState(0, 0, 0);
        s.w->gexUpdate();
    }
    txtFind(s.w)->clear();
    settle();
    return s;
}

// The bare list of the same rows, one per size, shown.
struct BareSetup {
    std::unique_ptr<bare::RowsModel> model;
    std::unique_ptr<bare::View> view;
};
// Let go with the main window, before the QApplication goes.
std::map<int, BareSetup> &bareLists()
{
    static std::map<int, BareSetup> lists;
    return lists;
}
BareSetup &bareList(int rows)
{
    BareSetup &b = bareLists()[rows];
    if (!b.model) {
        benchdb::MainWindowSetup &s = deadlinesList(rows);
        const QByteArray sql = bare::translated(s.dbFile, gex(s.w)->recordSource());
        b.model = std::make_unique<bare::RowsModel>(bare::loadRows(s.dbFile, sql));
        b.view = std::make_unique<bare::View>(b.model.get());
        b.view->widget().show();
        settle();
    }
    return b;
}

// ---- refresh ----

void refreshApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    ListGrid *list = gex(s.w);
    for (auto _ : state) {
        s.w->gexUpdate();
        benchmark::DoNotOptimize(list->rowCount());
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
    state.counters["records"] = list->recordCount();
}

void refreshFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    const QByteArray sql = bare::translated(s.dbFile, gex(s.w)->recordSource());
    int n = 0;
    for (auto _ : state)
        n = bare::runStatement(s.dbFile, sql);
    state.counters["records"] = n;
}

// ---- search ----

// One key of the search: the text of the box before it and after it.
struct SearchKey {
    QString before;
    QString after;
    // "in+v": v typed on "in"; "inv-": the last letter of "inv" deleted.
    std::string name() const
    {
        return after.size() > before.size() ? before.toStdString() + "+" + after.back().toLatin1()
                                             : before.toStdString() + "-";
    }
};

// "invoice" typed and deleted again, then "zq" typed on (nothing holds it) and "x" after it, and deleted.
QVector<SearchKey> searchKeys()
{
    QVector<SearchKey> keys;
    QString text;
    auto typeAndDelete = [&](const QString &word) {
        for (const QChar c : word) {
            keys.append({text, text + c});
            text += c;
        }
        while (!text.isEmpty()) {
            keys.append({text, text.chopped(1)});
            text.chop(1);
        }
    };
    typeAndDelete(kTyped);
    typeAndDelete(QStringLiteral("zqx"));
    return keys;
}

void pressKey(benchdb::MainWindowSetup &s, const SearchKey &key)
{
    if (key.after.size() > key.before.size())
        QTest::keyClick(txtFind(s.w), key.after.back().toLatin1());
    else
        QTest::keyClick(txtFind(s.w), Qt::Key_Backspace);
}

// The search box holding `text`, its list drawn, the cursor at its end.
void searchBoxHolding(benchdb::MainWindowSetup &s, const QString &text)
{
    txtFind(s.w)->setText(text);
    txtFind(s.w)->end(false);
    settle();
}

void filterBare(BareSetup &b, const QString &text)
{
    b.model->filter(text.size() >= 2 ? text : QString());
    b.view->paint();
}

// The whole sequence, one key at a time: the time of an iteration is its slowest key.
template<typename Key>
void timeSequence(benchmark::State &state, Key key)
{
    const QVector<SearchKey> keys = searchKeys();
    double total = 0;
    QVector<int> slowestCount(keys.size());
    for (auto _ : state) {
        double slowest = -1;
        int which = 0;
        for (int k = 0; k < keys.size(); ++k) {
            const qint64 start = monotonicNs();
            key(keys[k]);
            settle();
            const double ms = msSince(start);
            total += ms;
            if (ms > slowest) {
                slowest = ms;
                which = k;
            }
        }
        ++slowestCount[which];
        state.SetIterationTime(slowest / 1000.0);
    }
    const int most = int(std::max_element(slowestCount.begin(), slowestCount.end()) - slowestCount.begin());
    state.SetLabel("slowest " + keys[most].name());
    state.counters["mean_ms"] = total / double(qMax<qint64>(1, state.iterations()) * keys.size());
}

void searchApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    txtFind(s.w)->setFocus();
    timeSequence(state, [&](const SearchKey &key) { pressKey(s, key); });
    state.counters["records"] = gex(s.w)->recordCount();
}

void searchFloor(benchmark::State &state, int rows)
{
    BareSetup &b = bareList(rows);
    timeSequence(state, [&](const SearchKey &key) { filterBare(b, key.after); });
}

// One key, from the box as it holds the text before it.
void searchKeyApp(benchmark::State &state, int rows, int k)
{
    const SearchKey key = searchKeys().at(k);
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    txtFind(s.w)->setFocus();
    for (auto _ : state) {
        state.PauseTiming();
        searchBoxHolding(s, key.before);
        state.ResumeTiming();
        pressKey(s, key);
        settle();
    }
    state.counters["records"] = gex(s.w)->recordCount();
}

void searchKeyFloor(benchmark::State &state, int rows, int k)
{
    const SearchKey key = searchKeys().at(k);
    BareSetup &b = bareList(rows);
    for (auto _ : state) {
        state.PauseTiming();
        filterBare(b, key.before);
        settle();
        state.ResumeTiming();
        filterBare(b, key.after);
        settle();
    }
    state.counters["records"] = b.model->shownCount();
}

// ---- re-sort ----

void clickDateHeader(benchdb::MainWindowSetup &s)
{
    QHeaderView *header = gex(s.w)->view()->header();
    const int section = gex(s.w)->column(QStringLiteral("TrDate"))->index() - 1;
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void resortApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    for (auto _ : state) {
        clickDateHeader(s);
        settle();
    }
    state.counters["records"] = gex(s.w)->recordCount();
}

void resortFloor(benchmark::State &state, int rows)
{
    BareSetup &b = bareList(rows);
    b.model->filter(QString());
    int direction = 1;
    for (auto _ : state) {
        direction = -direction;
        b.model->sortByDate(direction);
        b.view->paint();
        settle();
    }
}

// ---- view switch ----

void viewSwitchApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    QAction *cashBook = menuItem(s.w, "mnuView1");
    QAction *deadlines = menuItem(s.w, "mnuView0");
    for (auto _ : state) {
        state.PauseTiming();
        cashBook->trigger();
        settle();
        state.ResumeTiming();
        deadlines->trigger();
        settle();
    }
    state.counters["records"] = gex(s.w)->recordCount();
}

void viewSwitchFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    BareSetup &b = bareList(rows);
    const QByteArray sql = bare::translated(s.dbFile, gex(s.w)->recordSource());
    for (auto _ : state) {
        b.model->setRows(bare::loadRows(s.dbFile, sql));
        b.view->paint();
        settle();
    }
}

// ---- calendar ----

QString calendarSql(benchdb::MainWindowSetup &s)
{
    return MainListRules::DaysWithRowsSql(mv(s.w)->visibleDay(1), mv(s.w)->visibleEnd(),
                                          RowRules::calendarCondition(0, Env->DebitCreditToPN), Sheet->Id());
}

benchdb::MainWindowSetup &fourMonths(int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    mv(s.w)->setMonthColumns(4);
    mv(s.w)->setValue(benchdb::kToday);
    settle();
    return s;
}

void calendarApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = fourMonths(rows);
    for (auto _ : state)
        s.w->mvUpdate();
    state.counters["days"] = mv(s.w)->visibleDayCount();
}

void calendarFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = fourMonths(rows);
    const QByteArray sql = bare::translated(s.dbFile, calendarSql(s));
    int n = 0;
    for (auto _ : state)
        n = bare::runStatement(s.dbFile, sql);
    state.counters["bold"] = n;
}

// ---- start-up (programs of their own) ----

QStringList launchEnvironment(const benchprocess::Home &home)
{
    QStringList env = home.environment();
    env << QStringLiteral("QT_QPA_PLATFORM=") + qEnvironmentVariable("QT_QPA_PLATFORM")
        << QStringLiteral("ORVEL_BENCH_TODAY=") + benchdb::kToday.toString(Qt::ISODate);
    return env;
}

// The statement of the deadlines view's list, as the program builds it, for the engine.
QByteArray deadlinesSql(const QString &dbFile)
{
    return bare::translated(dbFile, benchdata::mainListSql(1));
}

void launchCase(benchmark::State &state, int rows, const QString &program, bool bare)
{
    QTemporaryDir dir;
    const benchprocess::Home home(dir.path(), benchdata::benchDatabase(rows));
    const QString db = dir.path() + QStringLiteral("/home/Documents/Orvel3DB/orvel3.mdb");
    const QStringList args = bare ? QStringList{db, QString::fromUtf8(deadlinesSql(db))} : QStringList();
    double peak = 0;
    for (auto _ : state) {
        const benchprocess::Outcome o = benchprocess::run(program, args, launchEnvironment(home));
        if (!o.ok || o.firstPaintMs < 0) {
            state.SkipWithError(("the program did not paint: " + o.output.left(300)).constData());
            break;
        }
        state.SetIterationTime(o.firstPaintMs / 1000.0);
        peak = qMax(peak, o.peakKiB);
    }
    state.counters["peak_MiB"] = peak / 1024.0;
}

void startupApp(benchmark::State &state, int rows)
{
    launchCase(state, rows, benchdata::programFolder() + QStringLiteral("/Orvel3"), false);
}

void startupFloor(benchmark::State &state, int rows)
{
    launchCase(state, rows, QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bareview"), true);
}

// ---- report window ----

void reportApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    int records = 0;
    for (auto _ : state) {
        auto report = std::make_unique<frmPrint>(s.w);
        report->show();
        settle();
        state.PauseTiming();
        records = report->gex->recordCount();
        report.reset();
        settle();
        state.ResumeTiming();
    }
    state.counters["records"] = records;
}

void reportFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    QByteArray sql;
    {
        frmPrint report(s.w);
        sql = bare::translated(s.dbFile, report.m_ReportSql);
    }
    int n = 0;
    for (auto _ : state)
        n = bare::runStatement(s.dbFile, sql);
    state.counters["records"] = n;
}

// ---- a report of 10 000 rows to PDF ----

// The deadlines report, open and closed, over the latest dates that hold (about) 10 000 of its rows.
void tenThousandRows(frmPrint &report, const QString &dbFile)
{
    const QByteArray nth = bare::translated(
        dbFile, QStringLiteral("SELECT Min(TrDate) AS D FROM (SELECT TrDate FROM Transactions WHERE TrDbId=%1 AND "
                               "IsPN=False ORDER BY TrDate DESC LIMIT 10000)").arg(Sheet->Id()));
    report.chkDeadlines[1]->setChecked(true);
    report.chkPeriod->setChecked(true);
    report.chkPeriod_Click();
    report.dtPeriod[0]->setDate(bare::firstDate(dbFile, nth));
    report.dtPeriod[1]->setDate(benchdb::kToday.addYears(20));
    report.cmdApplica_Click();
}

void pdfApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    frmPrint report(s.w);
    tenThousandRows(report, s.dbFile);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state)
        report.gexPrinter->printToPdf(file);
    state.counters["records"] = report.gex->recordCount();
    state.counters["pages"] = report.gexPrinter->pageCount();
}

void pdfFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    std::vector<bare::Row> printed;
    {
        frmPrint report(s.w);
        tenThousandRows(report, s.dbFile);
        printed = bare::loadRows(s.dbFile, bare::translated(s.dbFile, report.m_ReportSql));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain.pdf"));
    for (auto _ : state)
        bare::writePdf(printed, file);
    state.counters["records"] = double(printed.size());
}

// ---- save ----

// A deadline of the list (its first record) and its stored description.
int savedRow(benchdb::MainWindowSetup &s)
{
    for (int r = 1; r <= gex(s.w)->rowCount(); ++r) {
        const GridRowData d = gex(s.w)->rowData(r);
        if (d.isRecord())
            return d.value(QStringLiteral("TrRowId")).toInt();
    }
    qFatal("the list holds no row");
}

void saveApp(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    const int id = savedRow(s);
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        frmScadenze *editor = frmScadenze::Load(s.w);
        editor->Apri(id);
        editor->txtData[0]->setText(QStringLiteral("Saved description %1").arg(++k % 2));
        settle();
        state.ResumeTiming();
        editor->cmdSalva->click();
        settle();
    }
    state.counters["records"] = gex(s.w)->recordCount();
}

void saveFloor(benchmark::State &state, int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    const int id = savedRow(s);
    const QByteArray list = bare::translated(s.dbFile, gex(s.w)->recordSource());
    int k = 0;
    for (auto _ : state) {
        const QByteArray update = bare::translated(
            s.dbFile, QStringLiteral("UPDATE Transactions SET TrDescription='Saved description %1' WHERE TrRowId=%2")
                          .arg(++k % 2)
                          .arg(id));
        bare::runStatement(s.dbFile, update);
        bare::runStatement(s.dbFile, list);
    }
}

// ---- memory (programs of their own) ----

void memoryApp(benchmark::State &state, int rows)
{
    for (auto _ : state) {
        const benchprocess::Outcome o =
            benchprocess::run(QCoreApplication::applicationFilePath(), {QStringLiteral("--session=%1").arg(rows)},
                              {QStringLiteral("QT_QPA_PLATFORM=") + qEnvironmentVariable("QT_QPA_PLATFORM")});
        if (!o.ok) {
            state.SkipWithError(("the session failed: " + o.output.left(300)).constData());
            break;
        }
        state.SetIterationTime(o.wallMs / 1000.0);
        state.counters["peak_MiB"] = o.peakKiB / 1024.0;
    }
}

void memoryFloor(benchmark::State &state, int rows)
{
    startupFloor(state, rows);
}

// The session of memoryApp, in this process: what a user does in a few minutes. Prints its peak.
int runSession(int rows)
{
    benchdb::MainWindowSetup &s = deadlinesList(rows);
    for (int i = 0; i < 2; ++i) {
        s.w->gexUpdate();
        settle();
    }
    for (const SearchKey &key : searchKeys()) {
        txtFind(s.w)->setText(key.after);
        settle();
    }
    for (int i = 0; i < 2; ++i) {
        clickDateHeader(s);
        settle();
    }
    for (int view : {1, 0}) {
        menuItem(s.w, QStringLiteral("mnuView%1").arg(view))->trigger();
        settle();
    }
    {
        frmPrint report(s.w);
        report.show();
        settle();
    }
    benchdb::releaseMainWindow();
    std::printf("peak %ld KiB\n", platform::peakResidentKiB());
    std::fflush(stdout);
    return 0;
}

using Case = void (*)(benchmark::State &, int);
struct Measure {
    const char *name;
    Case app;
    Case floor;
    bool manualTime;
    int iterations;      // 0: as the library decides
};

// Each key of the search alone, beside its floor.
void registerSearchKeys(int rows, const std::string &size)
{
    const QVector<SearchKey> keys = searchKeys();
    for (int k = 0; k < keys.size(); ++k) {
        for (bool floor : {false, true}) {
            const std::string name = "search/" + size + "/" + keys[k].name() + (floor ? "/floor" : "/app");
            benchmark::RegisterBenchmark(name.c_str(), floor ? searchKeyFloor : searchKeyApp, rows, k)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(rows >= 1000000 ? 8 : 25);
        }
    }
}

void registerCases()
{
    const Measure measures[] = {
        {"refresh", refreshApp, refreshFloor, false, 0},
        {"search", searchApp, searchFloor, true, 20},
        {"resort", resortApp, resortFloor, false, 0},
        {"viewswitch", viewSwitchApp, viewSwitchFloor, false, 0},
        {"calendar", calendarApp, calendarFloor, false, 0},
        {"startup", startupApp, startupFloor, true, 5},
        {"report", reportApp, reportFloor, false, 0},
        {"pdf", pdfApp, pdfFloor, false, 3},
        {"save", saveApp, saveFloor, false, 0},
        {"memory", memoryApp, memoryFloor, true, 1},
    };
    for (int rows : benchdata::kSizes) {
        const std::string size = benchdata::sizeName(rows).toStdString();
        for (const Measure &m : measures) {
            for (bool floor : {false, true}) {
                const std::string name = std::string(m.name) + "/" + size + (floor ? "/floor" : "/app");
                auto *b = benchmark::RegisterBenchmark(name.c_str(), floor ? m.floor : m.app, rows);
                b->Unit(benchmark::kMillisecond);
                if (m.manualTime)
                    b->UseManualTime();
                if (m.iterations > 0)
                    b->Iterations(rows >= 1000000 ? qMax(1, m.iterations / 2) : m.iterations);
                else
                    b->MinTime(rows >= 1000000 ? 2.0 : 1.0);
            }
            if (std::string(m.name) == "search")
                registerSearchKeys(rows, size);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchdb::useOffscreen();
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("--session=")))
            return runSession(arg.mid(10).toInt());
    }
    benchmark::Initialize(&argc, argv);
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    // The widgets go before the QApplication.
    bareLists().clear();
    benchdb::releaseMainWindow();
    benchmark::Shutdown();
    return 0;
}
