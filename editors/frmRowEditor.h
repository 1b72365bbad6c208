#pragma once

#include "editors/RecordEditorWindow.h"
#include "editors/RowEditorSave.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;
namespace platform { class Connection; class DateField; class Recordset; }

// What tells the deadline editor from the cash-book editor.
struct RowEditorLayout {
    QString windowName;            // as the "App Error" report names the window
    bool cashBook = false;         // no alert days, no closed box, no type rule
    using TypeItem = EditorTypeItem;
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
// first), tells the main window the saved row's id (rowSaved) and unloads the window. A save that fails
// reports the "App Error" and leaves the window open with what was typed. Cancel and Esc drop the edits.
// The window has no Close command.
class frmRowEditor : public RecordEditorWindow
{
    Q_OBJECT
public:
    ~frmRowEditor() override;

    // --- handlers, as the controls call them ---
    void imgcmbData_Click();               // the type rule: an appointment has no amount and no account
    void cmdAllegato_Click(int Index);     // 0 attach, 1 show, 2 remove
    void cmdSalva_Click();
    void lblData_Click(int Index);

    // --- state ---
    RowEditorSave::AttachmentChange Attach;    // AttachAction, AttachSourcePath and the copy's name
    bool cashBook() const { return m_layout.cashBook; }
    // True while the window holds a row (between an entry procedure and Save or Cancel).
    bool holdsRow() const;

    // --- controls ---
    platform::DateField *datData = nullptr;
    std::array<QLineEdit *, 4> txtData{};      // 0 description, 1 amount, 3 alert days (2: txtNotes)
    // txtNotes is txtData(2): notes
    UpDown *UpDown1 = nullptr;                 // alert days (deadlines)
    QCheckBox *chkData = nullptr;              // closed (deadlines)
    std::array<QPushButton *, 3> cmdAllegato{};
    FileNameLabel *lblAttached = nullptr;      // the chosen file's name
    QList<QLabel *> lblData;

protected:
    frmRowEditor(const RowEditorLayout &layout, QWidget *owner);
    void LocalizeWindow() override;

    // The entry procedures' work. Each fills the window and shows it; false (after the "App Error"
    // report, the window unloaded) when the row cannot be read.
    bool OpenExisting(int rowId, int helpContext);
    bool OpenCopy(int rowId, int helpContext);
    bool OpenNewMovement(int helpContext);
    // An entry procedure called while the window still holds a row calls BringToFront: the open window
    // comes to the front with its edits.

    std::span<QLineEdit *const> textBoxes() const override { return txtData; }
    std::span<platform::DateField *const> dateBoxes() const override { return {&datData, 1}; }
    // Description, amount (an untouched amount is its stored value) and alert days; see RowEditorSave.
    QString FieldRefusal(int Index) override;
    bool FilterBoxKey(QObject *watched, QKeyEvent *key) override;
    void Unloading() override;   // the row is let go of, nothing written
    bool hasOtherInput() const override;   // an attachment chosen or removed
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void Form_Load();
    // Opens cnRow and rsRow on source; raises on failure.
    void OpenData(const QString &source);
    void CloseData();
    void BindControls(const RowEditorSave::RowValues &values);
    void SelectType(int type);
    RowEditorSave::RowValues ReadValues() const;
    void ShowModeless();

    // The title and the Save caption that the entry procedure chose.
    void ShowEntryTexts();

    RowEditorLayout m_layout;
    bool m_newRow = false;
    int m_captionId = 0;                       // 902 Edit, 916 Duplicate, 1900 new movement; 0 not filled
    int m_captionRowId = 0;                    // the row id shown in the title, 0 none
    RowEditorSave::RowValues m_row;            // the row as opened (or as copied)
    QString m_amountShown;                     // the amount box's text as bound, to keep an untouched value exact
    std::unique_ptr<platform::Connection> cnRow;
    std::unique_ptr<platform::Recordset> rsRow;
};
