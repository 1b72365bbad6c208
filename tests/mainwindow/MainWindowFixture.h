#pragma once

#include "SampleData.h"
#include "TestEnv.h"

#include "MainWindowControls.h"
#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/ListGrid.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <memory>

// A loaded main window on a filled database in a sandbox: the program's objects made as start-up makes them.
struct MainWindowFixture {
    explicit MainWindowFixture(bool fill = true, const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates),
                               int appLanguageId = 3)
        : box(std::make_unique<testenv::Sandbox>(QDate(2025, 3, 15), locale))
    {
        dbFile = box->makeDatabase(box->documents() + QStringLiteral("/Orvel3DB"));
        if (fill)
            rows = testenv::fillSample(dbFile, QDate(2025, 3, 15));
        Lang = new cLang();
        Lang->setAppLanguageId(appLanguageId);
        Lang->LanguageUpdate();
        Adb = new cAccessDb();
        Sheet = new cSheet();
        Env = new cEnvironment();
    }
    ~MainWindowFixture()
    {
        unload();
        ReleaseGlobals();
    }
    frmMain *load()
    {
        w = frmMain::Load();
        return w;
    }
    void unload()
    {
        delete w;
        w = nullptr;
    }
    std::unique_ptr<testenv::Sandbox> box;
    QString dbFile;
    int rows = 0;
    frmMain *w = nullptr;
};

// Chooses an item of a menu as the user does: the menu shown, the item clicked.
inline void chooseFromMenu(QMenu *menu, QAction *item)
{
    menu->popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(item).center());
    QVERIFY(!menu->isVisible());
}

// Makes the main list's row with that stored description current; returns its row number (0: not listed).
inline int selectRow(frmMain *w, const QString &description)
{
    ListGrid *list = gex(w);
    const auto rs = list->recordset();
    for (int r = 1; r <= list->rowCount(); ++r) {
        const GridRowData d = list->rowData(r);
        if (d.isRecord()
            && rs->valueAt(d.bookmark(), rs->fieldIndex(QStringLiteral("TrDescription"))).toString() == description) {
            list->setRow(r);
            return r;
        }
    }
    return 0;
}
