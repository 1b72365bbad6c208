#pragma once

#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"
#include "mainwindow/frmMain.h"
#include "platform/controls/MonthView.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

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
template <class T>
T *control(const QWidget *window, const char *name)
{
    return control<T>(window, QString::fromLatin1(name));
}
inline QLabel *label(const frmMain *w, const char *name) { return control<QLabel>(w, name); }
inline ListGrid *gex(const frmMain *w) { return control<ListGrid>(w, QStringLiteral("gex")); }
inline ListGrid *gextasks(const frmMain *w) { return control<ListGrid>(w, QStringLiteral("gextasks")); }
inline platform::MonthView *mv(const frmMain *w) { return control<platform::MonthView>(w, QStringLiteral("mv")); }
inline QLineEdit *txtFind(const frmMain *w) { return control<QLineEdit>(w, QStringLiteral("txtFind")); }
inline QComboBox *cmbFilter(const frmMain *w) { return control<QComboBox>(w, QStringLiteral("cmbFilter")); }
inline QComboBox *cmbGroup(const frmMain *w) { return control<QComboBox>(w, QStringLiteral("cmbGroup")); }
// A menu item by its menu's name and its position ("mnuView1", "mnuLangs6", "mnuPopup7"), a button of the
// view or group toolbar by its key ("scadenzario", "quilvaro", "expandall", "collapseall").
inline QAction *menuItem(const frmMain *w, const QString &name) { return control<QAction>(w, name); }
inline QAction *menuItem(const frmMain *w, const char *name) { return control<QAction>(w, name); }
// The one button of command toolbar tb(index).
inline QAction *toolbarButton(const frmMain *w, int index)
{
    return control<QToolBar>(w, QStringLiteral("tb%1").arg(index))->actions().value(0);
}

// Clicks the main list's column header of that caption.
inline void clickHeader(frmMain *w, const QString &caption)
{
    QHeaderView *header = gex(w)->view()->header();
    for (int section = 0; section < header->count(); ++section) {
        if (gex(w)->model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString() == caption) {
            const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
            return;
        }
    }
    QFAIL("no such header");
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

// The list of a view with one of its filters, as the user chooses them: the view's button, then the filter.
inline void showFilter(const frmMain *w, int view, int filter)
{
    switchView(w, view);
    chooseItem(cmbFilter(w), filter);
}
