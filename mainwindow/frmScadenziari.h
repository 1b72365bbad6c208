#pragma once

#include <QDialog>
#include <QString>

class ListGrid;
class QGroupBox;
class QLabel;
class QPushButton;

// The data-sheets manager: lists the sheets of the database (table Dbs), creates, renames, erases and
// selects them, and moves the whole program to a database in another folder (made from the template when
// the folder holds none). Every command acts on the database at once; as the dialog closes, which it does
// only through its Close button, it tells the main window (closing), which rebuilds itself.
class frmScadenziari : public QDialog
{
    Q_OBJECT
public:
    // Loads the dialog over the main window (the owner; may be null in tests).
    explicit frmScadenziari(QWidget *owner);
    ~frmScadenziari() override;

    // --- the rules of the data sheets (their statements: SheetsTable) ---

    // Why a sheet cannot be erased: checked in this order.
    enum EraseCheck { EraseAllowed, EraseOnlySheet, EraseCurrentSheet, EraseFirstSheet };
    static EraseCheck CanErase(int sheetCount, int sheetId, int currentSheetId);

    // Every database has counts: an empty Counts table gets the two default ones (texts 1368, 1369 in the
    // current language), in one transaction.
    static void EnsureDefaultCounts(const QString &connectionString);

    // A folder chosen for the database. Prepare: when it holds no database file the template is copied
    // in and its attachments folder made (created = true); then the folder is tested (cAccessDb::TestDb).
    // A copy that fails raises RuntimeError and leaves no database file behind.
    struct PreparedFolder {
        int test = 0;
        bool created = false;
    };
    static PreparedFolder PrepareFolder(const QString &folder);
    // Use a prepared, usable folder: default counts, attachments folder beside it, the database object's
    // folder (stored as DbPath) and attachments folder, and sheet 1 (the lowest sheet when it has no
    // sheet 1) as the current sheet. On failure (RuntimeError) the program keeps its folder and sheet.
    static void UseFolder(const QString &folder);

    // --- window state ---
    int SelectedDbId = 0;
    QString SelectedDbName;
    bool NewDbCreated = false;

    // --- controls ---
    ListGrid *gex = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *cmdNuovo = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdErase = nullptr;
    QPushButton *cmdSelect = nullptr;
    QPushButton *cmdDatabase = nullptr;
    QPushButton *cmdClose = nullptr;
    QLabel *lblDb = nullptr;

    static constexpr int HelpContext = 27;

signals:
    // Close was chosen, before the dialog goes: the current data sheet, or the database folder, may have
    // changed since it opened.
    void closing();

public slots:
    void cmdSelect_Click();
    void cmdNuovo_Click();
    void cmdEdit_Click();
    void cmdErase_Click();
    void cmdDatabase_Click();
    void cmdClose_Click();
    // Every other way out (Esc, the window manager) closes through Close.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void Form_Load();
    void gex_RowColChange(int lastRow, int lastCol);
    // Binds the grid again and settles its current row; the selected sheet follows at once.
    void RebindGrid();
    // Makes the sheet's row current (column 1 holds DbId); false when no row has that id.
    bool FindSheet(int sheetId);
    void ShowDbPath();
    // The current sheet and the database folder change only while no record editor and no accounts window
    // is open; otherwise the user is told so and the answer is false.
    bool ChangeAllowed();
    // A name holding a NUL character is refused with a message.
    bool SheetNameStorable(const QString &name);

    bool m_closing = false;
};
