#pragma once

#include "SampleData.h"
#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/ListGrid.h"
#include "mainwindow/frmMain.h"
#include "platform/controls/MonthView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
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

// The main window's controls and menu items as the tests reach them: by their object names, among those of
// the window itself and its menus (the windows it owns, the editors and the accounts window, use some of the
// same names).
// A name the window does not have ends the test program with that name.
template <class T>
T *control(const QWidget *window, const QString &name)
{
    const auto own = [window](const QObject *o) {
        for (const QObject *p = o->parent(); p; p = p->parent()) {
            if (p == window)
                return true;
            if (p->isWidgetType() && static_cast<const QWidget *>(p)->isWindow() && !qobject_cast<const QMenu *>(p))
                return false;
        }
        return false;
    };
    for (T *c : window->findChildren<T *>(name))
        if (own(c))
            return c;
    qFatal("the window has no %s named %s", T::staticMetaObject.className(), qPrintable(name));
}
inline ListGrid *gex(const frmMain *w) { return control<ListGrid>(w, QStringLiteral("gex")); }
inline ListGrid *gextasks(const frmMain *w) { return control<ListGrid>(w, QStringLiteral("gextasks")); }
inline platform::MonthView *mv(const frmMain *w) { return control<platform::MonthView>(w, QStringLiteral("mv")); }
inline QLineEdit *txtFind(const frmMain *w) { return control<QLineEdit>(w, QStringLiteral("txtFind")); }
inline QComboBox *cmbFilter(const frmMain *w) { return control<QComboBox>(w, QStringLiteral("cmbFilter")); }
inline QComboBox *cmbGroup(const frmMain *w) { return control<QComboBox>(w, QStringLiteral("cmbGroup")); }
// A menu item by its menu's name and its position ("mnuView1", "mnuLangs6", "mnuPopup7"), a button of the
// view or group toolbar by its key ("scadenzario", "quilvaro", "expandall", "collapseall").
inline QAction *menuItem(const frmMain *w, const QString &name) { return control<QAction>(w, name); }
// The one button of command toolbar tb(index).
inline QAction *toolbarButton(const frmMain *w, int index)
{
    return control<QToolBar>(w, QStringLiteral("tb%1").arg(index))->actions().value(0);
}

// Chooses an item of a list as the user does: the item picked in the open list.
inline void chooseItem(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Switches the main window's view as the user does, with the view toolbar's button.
inline void switchView(const frmMain *w, int view)
{
    menuItem(w, view == 1 ? QStringLiteral("quilvaro") : QStringLiteral("scadenzario"))->trigger();
}

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
    for (int r = 1; r <= w->gex->rowCount(); ++r) {
        const GridRowData d = w->gex->rowData(r);
        if (d.isRecord() && w->rsGrid->valueAt(d.bookmark(), w->rsGrid->fieldIndex(QStringLiteral("TrDescription"))).toString()
                                == description) {
            w->gex->setRow(r);
            return r;
        }
    }
    return 0;
}
