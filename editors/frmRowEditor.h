#pragma once

#include "editors/EditorControls.h"
#include "editors/RowEditorSave.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class UpDown;
namespace platform { class Connection; class Recordset; }

// What tells the deadline editor from the cash-book editor.
struct RowEditorLayout {
    QString windowName;            // as the "App Error" report names the window
    bool cashBook = false;         // no alert days, no closed box, no type rule
    struct TypeItem {
        const char *key;           // "d+1", "d-1", "d-2"
        int textId;
        int image;                 // row picture number (Icons::rowImageList, 1-based)
    };
    QList<TypeItem> types;
    // Label texts: type, date, description, customer, amount, notes, then (deadlines) the two halves of
    // the alert-days line, then payment account and attachment.
    QList<int> labelIds;
    // Tooltips: type, date, description, customer, amount, notes, payment account (0: none).
    std::array<int, 7> tooltipIds{};
};

// One Transactions row edited in a modeless window owned by the main window: the deadline editor and the
// cash-book editor are this one design with the differences of their RowEditorLayout. The window holds a
// connection and a one-row recordset of its own from its entry procedure to Save or Cancel; nothing
// reaches the database before Save, which writes the row in one update (copying a newly chosen attachment
// first), refreshes the main window with the saved row's id and unloads the window. A save that fails
// reports the "App Error" and leaves the window open with what was typed. Cancel and Esc drop the edits.
// The window has no Close command.
class frmRowEditor : public QWidget
{
    Q_OBJECT
public:
    ~frmRowEditor() override;

    // (Re)fills the customer and payment-account lists, keeping their selections.
    void InitCombos();

    // --- handlers, as the controls call them ---
    void imgcmbData_Click();               // the type rule: an appointment has no amount and no account
    bool txtData_Validate(int Index);      // false keeps the focus in the box
    void cmdAdd_Click();
    void cmdAllegato_Click(int Index);     // 0 attach, 1 show, 2 remove
    void cmdSalva_Click();
    void cmdAnnulla_Click();
    void lblData_Click(int Index);

    // --- state ---
    RowEditorSave::AttachmentChange Attach;    // AttachAction, AttachSourcePath and the copy's name
    int helpContext() const { return m_helpContext; }
    bool cashBook() const { return m_layout.cashBook; }
    // The type selected: the whole number of the selected key.
    int selectedType() const;
    // True while the window holds a row (between an entry procedure and Save or Cancel).
    bool holdsRow() const;

    // --- controls ---
    QComboBox *imgcmbData = nullptr;
    QDateEdit *datData = nullptr;
    std::array<QLineEdit *, 4> txtData{};      // 0 description, 1 amount, 3 alert days (2: txtNotes)
    QPlainTextEdit *txtNotes = nullptr;        // txtData(2): notes
    std::array<QComboBox *, 2> dtcData{};      // customer (AcId) / payment account (CnId)
    QToolButton *cmdAdd = nullptr;
    UpDown *UpDown1 = nullptr;                 // alert days (deadlines)
    QCheckBox *chkData = nullptr;              // closed (deadlines)
    std::array<QPushButton *, 3> cmdAllegato{};
    QLabel *lblAttached = nullptr;
    QList<QLabel *> lblData;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QStatusBar *sb = nullptr;
    QLabel *sbPanel1 = nullptr;

protected:
    frmRowEditor(const RowEditorLayout &layout, QWidget *owner);

    // The entry procedures' work. Each fills the window and shows it; false (after the "App Error"
    // report, the window unloaded) when the row cannot be read.
    bool OpenExisting(int rowId, int helpContext);
    bool OpenCopy(int rowId, int helpContext);
    bool OpenNewMovement(int helpContext);
    // An entry procedure called while the window still holds a row: the open window comes to the front
    // with its edits.
    void BringToFront();

    // The global instance forgets the window as it unloads, so the next entry procedure loads a new one.
    virtual void ReleaseInstance() = 0;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Unload();
    // Opens cnRow and rsRow on source; raises on failure.
    void OpenData(const QString &source);
    void CloseData();
    void BindControls(const RowEditorSave::RowValues &values);
    void SelectType(int type);
    RowEditorSave::RowValues ReadValues() const;
    void ShowModeless();
    void focusMoved(QWidget *old, QWidget *now);
    QString hintOf(QWidget *w) const;

    RowEditorLayout m_layout;
    int m_helpContext = 0;
    bool m_newRow = false;
    RowEditorSave::RowValues m_row;            // the row as opened (or as copied)
    QString m_amountShown;                     // the amount box's text as bound, to keep an untouched value exact
    EditorCombos rsCombo;
    std::unique_ptr<platform::Connection> cnRow;
    std::unique_ptr<platform::Recordset> rsRow;
    QMetaObject::Connection m_focusWatch;
    bool m_validating = false;
    bool m_unloaded = false;
};
