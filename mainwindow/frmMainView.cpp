// The main window's view state as the user changes it: the view switch, the filter and grouping lists, the
// group buttons; the controls that follow the view; the rebuilds after the preferences and the data sheets.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/controls/MonthView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

using frmMainParts::WindowName;
using MainListRules::FilterCount;

void frmMain::SetInterfaceOnCurrentView()
{
    inUpdate = true;
    mnuView[0]->setChecked(curView == 0);
    mnuView[1]->setChecked(curView == 1);
    m_viewDeadlines->setChecked(curView == 0);
    m_viewCashBook->setChecked(curView == 1);
    const int view = MainListRules::validView(curView);
    cmbFilter->clear();
    for (int i = 0; i < FilterCount; ++i)
        cmbFilter->addItem(QLatin1Char(' ') + FilterTable[size_t(view)][size_t(i)]);
    cmbFilter->setCurrentIndex(currentFilterIndex());
    cmbGroup->setCurrentIndex(currentGroupIndex());
    FitListWidth(cmbFilter);
    lblCalTitle->setText(LRS(curView == 1 ? 1071 : 1070));
    inUpdate = false;
    m_helpContext = curView == 1 ? 9 : 2;
}

void frmMain::SwitchView(int view)
try {
    curView = view;
    SetInterfaceOnCurrentView();
    ResizeGridColumns();
    gexUpdate();
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("SwitchView"), 0);
}

void frmMain::cmbFilter_Click()
try {
    if (inUpdate)
        return;
    if (curView == 1)
        curFilterPnIndex = MainListRules::validFilter(cmbFilter->currentIndex());
    else
        curFilterIndex = MainListRules::validFilter(cmbFilter->currentIndex());
    gexUpdate();
    gex->setFocus();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("cmbFilter_Click"), 0);
}

void frmMain::cmbGroup_Click()
try {
    if (inUpdate)
        return;
    if (curView == 1)
        curGroupPnIndex = MainListRules::validGrouping(cmbGroup->currentIndex());
    else
        curGroupIndex = MainListRules::validGrouping(cmbGroup->currentIndex());
    gexUpdate();
    gex->setFocus();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("cmbGroup_Click"), 0);
}

void frmMain::tbGroup_ButtonClick(const QString &key)
{
    if (key == QLatin1String("expandall")) {
        gex->expandAll();
        return;
    }
    gex->collapseAll();
    if (curView == 0 && curGroupIndex != 0)
        gex->expandRow(1);
}

void frmMain::RebuildAfterPreferences()
try {
    InitEnvironment();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    Form_Resize();
} catch (const std::exception &e) {
    // Whatever step failed, no rows of the sheet or database before are left listed.
    EmptyLists();
    // Told as a failure of the dialog's Save, which the user chose.
    ShowAppError(e, QStringLiteral("frmOptions"), QStringLiteral("cmdSalva_Click"), 0);
}

void frmMain::RebuildAfterSheetChange()
try {
    InitEnvironment();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    Form_Resize();
} catch (const std::exception &e) {
    EmptyLists();
    ShowAppError(e, QStringLiteral("frmScadenziari"), QStringLiteral("cmdClose_Click"), 0);
}
