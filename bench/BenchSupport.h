#pragma once

// What the window benchmarks share. The database: the template filled with the sample rows and 100 000
// generated rows of data sheet 1. Generating it takes a while, so the file is kept under the temporary folder, named
// after the row count and a hash of what makes it (the template schema and the sample generator); a later
// run with the same inputs copies it instead.

#include "SampleData.h"
#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "mainwindow/frmMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <memory>

namespace benchdb {

constexpr int kExtraRows = 100000;
inline const QDate kToday(2025, 3, 15);

// A hash of the template schema and of the generator's source: a change to either makes a new file.
inline QByteArray inputsHash()
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (const char *path : {ORVEL_SOURCE_DIR "/resources/schema.sql", ORVEL_SOURCE_DIR "/tests/common/SampleData.cpp"}) {
        QFile f(QString::fromUtf8(path));
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", path);
        h.addData(f.readAll());
    }
    return h.result().toHex().left(12);
}

// The cached database of `rows` generated rows (made on first use in this process or in an earlier run).
inline QString cachedDatabase(int rows = kExtraRows)
{
    static QString done;
    if (!done.isEmpty())
        return done;
    const QString file = QDir::tempPath() + QStringLiteral("/orvel3-bench-%1-%2.mdb").arg(rows).arg(QString::fromLatin1(inputsHash()));
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "Generating %s ...\n", qPrintable(file));
        QElapsedTimer t;
        t.start();
        {
            // Made in a sandbox (no pause after closing, its lock file there), then renamed into place, so
            // an interrupted run leaves no half file under the cached name.
            testenv::Sandbox box(kToday);
            const QString made = box.makeDatabase(box.root() + QStringLiteral("/gen"));
            testenv::fillSample(made, kToday, rows);
            const QString partial = file + QStringLiteral(".part");
            QFile::remove(partial);
            if (!QFile::copy(made, partial) || !QFile::rename(partial, file))
                qFatal("cannot write %s", qPrintable(file));
        }
        std::fprintf(stderr, "... generated in %lld ms\n", static_cast<long long>(t.elapsed()));
    }
    done = file;
    return done;
}

// Puts a copy of the cached database where the program looks for it by default: Documents/Orvel3DB.
inline QString installInto(const testenv::Sandbox &box)
{
    const QString folder = box.documents() + QStringLiteral("/Orvel3DB");
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/orvel3.mdb");
    QFile::remove(file);
    if (!QFile::copy(cachedDatabase(), file))
        qFatal("cannot copy the benchmark database");
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    return file;
}

// Every benchmark runs offscreen, with a QApplication.
inline void useOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The main window loaded on a sandboxed copy of the cached database, its objects made in start-up's order
// (language, database, data sheet, settings). Made once per process: frmMain::Load() keeps one window, and
// every case sets the state it measures before it starts timing.
struct MainWindowSetup {
    std::unique_ptr<testenv::Sandbox> box;
    QString dbFile;
    frmMain *w = nullptr;

    MainWindowSetup()
        : box(std::make_unique<testenv::Sandbox>(kToday))
    {
        dbFile = installInto(*box);
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

    // The list's state as the view, filter and grouping commands leave it (the list itself not yet
    // rebuilt): the combo boxes of the view are filled again.
    void setListState(int view, int filter, int grouping)
    {
        w->curView = view;
        if (view == 1) {
            w->curFilterPnIndex = filter;
            w->curGroupPnIndex = grouping;
        } else {
            w->curFilterIndex = filter;
            w->curGroupIndex = grouping;
        }
        w->SetInterfaceOnCurrentView();
    }
};

inline std::unique_ptr<MainWindowSetup> &mainWindowSlot()
{
    static std::unique_ptr<MainWindowSetup> setup;
    return setup;
}
inline MainWindowSetup &mainWindow()
{
    if (!mainWindowSlot())
        mainWindowSlot() = std::make_unique<MainWindowSetup>();
    return *mainWindowSlot();
}
// Before the QApplication goes: the window unloads, the objects write their settings into the sandbox.
inline void releaseMainWindow()
{
    mainWindowSlot().reset();
}

// The main of a main-window benchmark: offscreen, a QApplication, the cases registered by registerCases,
// the database made before any timing, and the window unloaded before the QApplication goes.
inline int runMainWindowBenchmarks(int argc, char **argv, void (*registerCases)())
{
    useOffscreen();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerCases();
    cachedDatabase();
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
