#pragma once

#include "SampleData.h"
#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

// The program's objects on a filled database in a sandbox, made as start-up makes them; today is
// 15 March 2025.
struct ReportsFixture {
    explicit ReportsFixture(int extraRows = 0, const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates),
                            int appLanguageId = 3)
        : box(std::make_unique<testenv::Sandbox>(QDate(2025, 3, 15), locale))
    {
        dbFile = box->makeDatabase(box->documents() + QStringLiteral("/Orvel3DB"));
        rows = testenv::fillSample(dbFile, QDate(2025, 3, 15), extraRows);
        Lang = new cLang();
        Lang->setAppLanguageId(appLanguageId);
        Lang->LanguageUpdate();
        Adb = new cAccessDb();
        Sheet = new cSheet();
        Env = new cEnvironment();
    }
    ~ReportsFixture() { ReleaseGlobals(); }

    std::unique_ptr<testenv::Sandbox> box;
    QString dbFile;
    int rows = 0;
};

using testenv::pdfPages;
