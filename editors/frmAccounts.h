#pragma once

#include "editors/GlobalWindow.h"

#include <QMainWindow>
#include <QVector>

class ListGrid;
class QAction;
class QLabel;
class QTabBar;
class QToolBar;

// The list of the two tables every data sheet shares: customers and suppliers (tab 1) and collection or
// payment accounts (tab 2), in one grid that the tab strip switches. Rows are created and edited through
// the modal editors frmNewAcc and frmNewCount and deleted when no row of any data sheet refers to them.
// Modeless, owned by the main window, which opens it with frmAccounts::Open(this) and connects to what it
// tells: the accounts may have changed (as it closes), and the list is to be printed.
class frmAccounts : public QMainWindow, public GlobalWindow<frmAccounts>
{
    Q_OBJECT
public:
    // Loads the window once (on the Accounts tab); later calls return the loaded window.
    static frmAccounts *Load(QWidget *owner = nullptr);
    // Loads the window when needed and shows it, modeless, in front.
    static frmAccounts *Open(QWidget *owner);

    // 1 Accounts, 2 Counts: the table the grid shows, set by LoadGrid. With any other value the record
    // commands do nothing.
    int CurrentTab = 0;

    void LoadGrid(int tab);
    // Puts every text of the window into the current language (also when the language changes while the
    // window is open).
    void Localize();
    void NewRecord();
    void EditRecord();
    void DeleteRecord();
    void PrintList();
    void Form_Resize();
    // Toolbar buttons by their 1-based index (4 and 6 are separators).
    void tb_ButtonClick(int index);

    // --- controls ---
    ListGrid *gex = nullptr;
    QTabBar *tbs = nullptr;
    QToolBar *tb = nullptr;
    QVector<QAction *> tbButtons;              // the toolbar's seven buttons, separators included
    QAction *mnuFileGrp = nullptr;
    QAction *mnuRecordGrp = nullptr;
    QVector<QAction *> mnuFile, mnuRecord;
    QLabel *sbPanel1 = nullptr;
    int helpContext() const { return 8; }

signals:
    // The window unloads: accounts and counts, whose names the main list shows, may have changed.
    void accountsChanged();
    // Print was chosen: the grid's print preview, as the main window shows it for its own list.
    void printRequested(ListGrid *grid);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmAccounts(QWidget *owner);
    void BuildMenus();
    void BuildToolbar();
    void Form_Load();
    void Form_Unload();
    // The grid's captions and record navigator of the current tab.
    void LocalizeGrid();
    void gex_KeyDown(int &keyCode, Qt::KeyboardModifiers shift);
    void tbs_Click();
    // The id (column 1) of the grid's current record; 0 when no record is current.
    int CurrentId() const;
    // Reads the table again after a change, with the row `id` current when it is listed.
    void Rebind(int id, const QString &procedure);

    bool m_unloaded = false;
    bool m_loading = false;
};
