#pragma once

// What the window benchmarks share: the main window loaded on a sandboxed copy of a generated database
// (SheetGenerator.h) of a given size, one at a time per process.

#include "MainWindowControls.h"
#include "SheetGenerator.h"
#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "mainwindow/frmMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <memory>

namespace benchdb {

using benchdata::kToday;

// Puts a copy of the generated database where the program looks for it by default: Documents/Orvel3DB.
inline QString installInto(const testenv::Sandbox &box, int rows)
{
    const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/orvel3.mdb");
    QFile::remove(file);
    // Copied a piece at a time: the memory the benchmarks measure is the program's, not the copy's.
    QFile in(benchdata::benchDatabase(rows)), out(file);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        qFatal("cannot copy the benchmark database");
    for (QByteArray piece = in.read(1 << 20); !piece.isEmpty(); piece = in.read(1 << 20))
        if (out.write(piece) != piece.size())
            qFatal("cannot copy the benchmark database");
    out.close();
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    return file;
}

// Every benchmark runs offscreen (unless told otherwise), with a QApplication; the offscreen platform's
// notices that it cannot raise windows are not printed.
inline void useOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                previous(type, context, message);
        });
}

// The main window loaded on a sandboxed copy of the database of `rows` rows, its objects made in
// start-up's order (language, database, data sheet, settings), shown. frmMain::Load() keeps one window per
// process: a setup of another size unloads the previous one first.
struct MainWindowSetup {
    int rows = 0;
    std::unique_ptr<testenv::Sandbox> box;
    QString dbFile;
    frmMain *w = nullptr;

    explicit MainWindowSetup(int rowCount)
        : rows(rowCount), box(std::make_unique<testenv::Sandbox>(kToday))
    {
        dbFile = installInto(*box, rows);
        Lang = new cLang();
        Adb = new cAccessDb();
        Sheet = new cSheet();
        Env = new cEnvironment();
        w = frmMain::Load();
        w->show();
        QCoreApplication::processEvents();
    }
    ~MainWindowSetup()
    {
        delete w;
        ReleaseGlobals();
    }

    // The list's state as the view, filter and grouping commands leave it, chosen as the user chooses
    // them (each choice rebuilds the list, untimed).
    void setListState(int view, int filter, int grouping)
    {
        switchView(w, view);
        chooseItem(cmbFilter(w), filter);
        chooseItem(cmbGroup(w), grouping);
    }
};

inline std::unique_ptr<MainWindowSetup> &mainWindowSlot()
{
    static std::unique_ptr<MainWindowSetup> setup;
    return setup;
}
inline MainWindowSetup &mainWindow(int rows = 100000)
{
    std::unique_ptr<MainWindowSetup> &slot = mainWindowSlot();
    if (slot && slot->rows != rows)
        slot.reset();
    if (!slot)
        slot = std::make_unique<MainWindowSetup>(rows);
    return *slot;
}
// Before the QApplication goes: the window unloads, the objects write their settings into the sandbox.
inline void releaseMainWindow()
{
    mainWindowSlot().reset();
}

// The main of a main-window benchmark: offscreen, a QApplication, the cases registered by registerCases,
// and the window unloaded before the QApplication goes.
inline int runMainWindowBenchmarks(int argc, char **argv, void (*registerCases)())
{
    useOffscreen();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    releaseMainWindow();
    benchmark::Shutdown();
    return 0;
}

// Names used in the case names.
inline const char *viewName(int view)
{
    return view == 1 ? "cashbook" : "deadlines";
}
inline const char *filterName(int view, int filter)
{
    static const char *const deadlines[] = {"all", "due", "open", "openAmounts", "openAppointments", "closed"};
    static const char *const cashBook[] = {"all", "thisMonth", "lastMonth", "thisYear", "lastYear", "last12Months"};
    return view == 1 ? cashBook[filter] : deadlines[filter];
}
inline const char *groupingName(int grouping)
{
    static const char *const names[] = {"none", "duePeriod", "month", "account", "count"};
    return names[grouping];
}

} // namespace benchdb
