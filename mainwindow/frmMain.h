#pragma once

#include "foundation/TransactionsList.h"
#include "mainwindow/MainListRules.h"
#include "mainwindow/MainViewState.h"
#include "platform/database/Recordset.h"

#include <QDate>
#include <QMainWindow>
#include <QSet>
#include <QVector>
#include <memory>

class GridColumn;
class GridRowFormat;
class ListGrid;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
namespace platform { class MonthView; }

// The main window: the list of the current data sheet's deadlines or cash-book rows with its filters,
// groupings, totals and search; the month calendar with the days that hold rows in bold; the side list of
// the rows of the selected days; the menus and toolbars; the saved view state. Other windows reach it only
// through the signals it connects to where it opens them.
//
// Its parts, a file each: the window's life and the other windows (frmMain.cpp); building the controls,
// menus and toolbars (frmMainControls.cpp); the list, its answers and its search (frmMainList.cpp); the
// calendar pane and the side list (frmMainCalendar.cpp); the record commands (frmMainCommands.cpp); the
// view state and the view switch (frmMainView.cpp); texts and layout (frmMainLayout.cpp).
class frmMain : public QMainWindow, private MainViewState
{
    Q_OBJECT
public:
    // Loads the window (hidden) once; later calls return the loaded window.
    static frmMain *Load();
    static frmMain *instance();
    ~frmMain() override;   // unloads: the view state is written

    // The view, filters, groupings and date sort directions the window shows now.
    const MainViewState &viewState() const { return *this; }
    int helpContext() const { return m_helpContext; }
    // Twips the toolbar's buttons take side by side.
    double ToolbarWidth(QToolBar *toolbar) const;

public slots:
    // --- the window's own procedures, in the order other parts of the program run them ---
    void gexFind(int Id);
    void gexUpdate();
    void interfaceUpdate();
    void mvUpdate();
    void tasksUpdate(const QDate &d1, const QDate &d2);
    void SetInterfaceOnCurrentView();
    void Localize();
    void InitEnvironment();
    void sbText(const QString &text);
    void Form_Resize();

    // What the window does when the preferences dialog saved (frmOptions::preferencesSaved): environment,
    // texts, interface of the view, list, calendar, side list of the selected days, layout. A failure
    // leaves the lists empty and is told.
    void RebuildAfterPreferences();
    // What it does when the data-sheets dialog closes (frmScadenziari::closing): the same without the
    // calendar.
    void RebuildAfterSheetChange();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // --- what the other windows tell ---
    // An editor saved a row (0: a new deadline or series): gexUpdate, mvUpdate, tasksUpdate with the
    // calendar's selection, interfaceUpdate, then gexFind with the row's id, in this order. The first step
    // that fails is told and ends the refresh.
    void RowSaved(int savedRowId);
    // The accounts window unloaded: gexUpdate, then interfaceUpdate.
    void AccountsChanged();
    // The print preview of another window's list.
    void PrintGrid(ListGrid *grid);

private:
    // While it lives the window counts as rebuilding its list (inUpdate) and the grid does not draw.
    class ListRebuild;

    frmMain();

    // --- life of the window (frmMain.cpp) ---
    void Form_Load();
    void Form_Unload();
    void EnsureDefaultCounts();
    void ShowHelp();
    // The other windows, opened with the connections to what they tell.
    template <class Editor> Editor *LoadEditor();
    void ShowAccounts();
    void ShowPreferences();
    void ShowDataSheets();

    // --- controls, menus and toolbars (frmMainControls.cpp) ---
    void BuildControls();
    void BuildMenus();
    void BuildToolbars();

    // --- the list and its search (frmMainList.cpp) ---
    void ResolveFields();
    void SetGridSortKeys(int direction);
    void SetGroupColumn();
    void ApplyColumnVisibility();
    void ResizeGridColumns();
    void PlaceNoRecsText();
    // The list and the side list emptied when they cannot be read again (the database is gone, a query
    // fails): they never go on showing rows of another view, data sheet or database. Refresh reads them.
    void EmptyLists();
    void RefreshList();
    void gex_UnboundColumnFetch(int rowIndex, int colIndex, qint64 bookmark, QVariant &value);
    void gex_FetchIcon(int rowIndex, int colIndex, qint64 bookmark, int &icon);
    void gex_FormatRow(GridRowFormat &row);
    void gex_ColumnHeaderClick(GridColumn *column);
    void gex_RowColChange(int lastRow, int lastCol);
    void ShowNotesOfCurrentRow();
    // The notes labels' texts laid out in their width (their tooltips hold the whole notes).
    void FitNotes();
    int NoteLines(const QLabel *label) const;
    void txtFind_Change();
    void imgSearch_Click();
    void UpdateSearchButton();

    // --- the calendar pane and the side list (frmMainCalendar.cpp) ---
    // The days between first and last that hold rows of the current view.
    QSet<QDate> DaysWithRows(const QDate &first, const QDate &last) const;
    void mv_GetDayBold(const QDate &startDate, int count, QVector<bool> &state);
    void mv_SelChange(const QDate &startDate, const QDate &endDate);
    void gextasks_UnboundColumnFetch(int rowIndex, int colIndex, qint64 bookmark, QVariant &value);
    void gextasks_Click();
    void imgOggi_Click();
    void imgMese_Click();

    // --- record commands on the current row (frmMainCommands.cpp) ---
    void NewCommand();
    void NewDeadline(int row);
    void EditCommand();
    void DuplicateCommand();
    void DeleteCommand();
    void DeleteRecord(int row);
    void CloseOrReopen();
    void OpenAttachmentCommand();
    void DeleteClosedDeadlines();
    void gex_KeyDown(int &keyCode, Qt::KeyboardModifiers shift);
    void gex_MouseUp(Qt::MouseButton button, const QPoint &pos);

    // --- the view state and the view switch (frmMainView.cpp) ---
    void SwitchView(int view);
    void cmbFilter_Click();
    void cmbGroup_Click();
    void tbGroup_ButtonClick(const QString &key);
    int currentFilterIndex() const { return curView == 1 ? curFilterPnIndex : curFilterIndex; }
    int currentGroupIndex() const { return curView == 1 ? curGroupPnIndex : curGroupIndex; }

    // --- texts and layout (frmMainLayout.cpp) ---
    void mnuLangs_Click(int index);
    void LayoutCommandToolbars();
    // A list of the list bar grows no wider than its longest item needs.
    void FitListWidth(QComboBox *list);
    // The smallest outer size of the window (frame included) on its screen.
    QSize MinimumOuterSize() const;
    // Once the window system has framed the shown window: keeps it whole on its screen.
    void KeepOnScreenWhenFramed();

    // --- state (the view state is the MainViewState base) ---
    bool inUpdate = false;
    MainListRules::FilterTableT FilterTable;
    std::shared_ptr<platform::Recordset> rsGrid;
    // The list's columns and their answers, read from rsGrid (the grid's recordset); the view, filter and
    // grouping rules are the window's.
    TransactionsList m_list;
    // The term the list is searched for now, as the filter holds it ("": no search).
    QString m_searchTerm;
    // The notes of the current row and of its account, whole; the pane shows what fits of them.
    QString m_deadlineNotes;
    QString m_accNotes;
    int m_helpContext = 1;
    QDate m_today;
    bool m_unloaded = false;
    bool m_keptOnScreen = false;   // the window was fitted on its screen once its frame was known

    // --- controls ---
    ListGrid *gex = nullptr;
    ListGrid *gextasks = nullptr;
    platform::MonthView *mv = nullptr;
    QComboBox *cmbFilter = nullptr;
    QComboBox *cmbGroup = nullptr;
    QLineEdit *txtFind = nullptr;
    QLabel *txtNoRecs = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblCalTitle = nullptr;
    QLabel *lblDeadlineNotes = nullptr;
    QLabel *lblAccNotes = nullptr;
    QLabel *lblOggi = nullptr;
    QLabel *lblMese = nullptr;
    QToolButton *imgSearch = nullptr;
    QToolButton *imgOggi = nullptr;
    QToolButton *imgMese = nullptr;
    QFrame *m_calendarPane = nullptr;
    QToolBar *tbView = nullptr;
    QToolBar *tbGroup = nullptr;
    QVector<QToolBar *> tb;
    QAction *m_viewDeadlines = nullptr;
    QAction *m_viewCashBook = nullptr;
    QAction *m_expandAll = nullptr;
    QAction *m_collapseAll = nullptr;
    QVector<QAction *> mnuFile, mnuRecord, mnuView, mnuTools, mnuLangs, mnuHelp, mnuPopup;
    QAction *mnuFileGrp = nullptr, *mnuRecordGrp = nullptr, *mnuViewGrp = nullptr, *mnuToolsGrp = nullptr,
            *mnuHelpGrp = nullptr;
    QMenu *PopUp1 = nullptr;
    QLabel *sbPanel1 = nullptr;
    QLabel *sbPanel2 = nullptr;
};
