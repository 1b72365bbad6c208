#pragma once

#include "editors/EditorControls.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <QWidget>
#include <array>
#include <span>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class QVBoxLayout;
namespace platform { class Connection; class DateField; }

// An item of a record editor's type list.
struct EditorTypeItem {
    const char *key;   // "d+1", "d-1", "d-2"
    int textId;
    int image;         // row picture number (Icons::rowImageList, 1-based)
};

// What the modeless record editors share (the row editors and the new-deadline editor): a window owned by
// the main window with a type list, a customer list with its button that creates a customer, a payment-
// account list, notes, Save and Cancel and a status bar that shows the tooltip of the control with the
// focus. The window has no Close command: the window system's close request is refused, Esc and Cancel
// unload it with nothing written, F1 opens its help context. The window sees the keys of its controls
// first: Enter moves on as Tab does (or presses the button it is on), F5 in the customer list creates a
// customer, Delete or Backspace in a list takes its selection away. A text box that refuses its text, and
// a date field whose text is not a date, keep the focus, except to Cancel.
class RecordEditorWindow : public QWidget
{
    Q_OBJECT
public:
    ~RecordEditorWindow() override;

    // (Re)fills the customer and payment-account lists (shared by every data sheet), keeping their
    // selections.
    void InitCombos();

    // The check of text box Index as it loses the focus: false keeps the focus there, and the status bar
    // says why.
    bool txtData_Validate(int Index);
    void cmdAdd_Click();
    void cmdAnnulla_Click();

    int helpContext() const { return m_helpContext; }
    // True while an entry procedure has filled the window and neither Save nor Cancel has ended it.
    bool isOpen() const { return m_filled && !m_unloaded; }
    // True when the user changed what the window shows since its entry procedure filled it.
    bool isModified() const;
    // Shows the open window in front, with what it holds.
    void BringToFront();
    // Puts every text of the window into the current language: at load, and whenever the language changes
    // while the window is open. What the user entered stays as it is.
    void Localize();
    // The type selected: the whole number of the selected key (1 credit or income, -1 debit or expense,
    // -2 appointment).
    int selectedType() const;

    // --- controls shared by the record editors ---
    QComboBox *imgcmbData = nullptr;           // type
    std::array<QComboBox *, 2> dtcData{};      // customer (AcId) / payment account (CnId)
    QToolButton *cmdAdd = nullptr;
    QPlainTextEdit *txtNotes = nullptr;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QStatusBar *sb = nullptr;
    QLabel *sbPanel1 = nullptr;

signals:
    // What the window held is written: savedRowId is the row saved (0 after a new deadline or series, which
    // may be several rows). Emitted once the database has let go of the file, before the window unloads;
    // the main window connects to it and shows the saved rows.
    void rowSaved(int savedRowId);

protected:
    // The amount box's index among the text boxes.
    static constexpr int AmountBox = 1;

    RecordEditorWindow(const QString &windowName, QWidget *owner);

    // The window's text boxes by index (a null where an index has no line box) and its date fields.
    virtual std::span<QLineEdit *const> textBoxes() const = 0;
    virtual std::span<platform::DateField *const> dateBoxes() const = 0;
    // Why text box Index refuses its text, in the user's language; "" when it is accepted (an accepted box
    // may rewrite its text, as the amount does).
    virtual QString FieldRefusal(int Index) = 0;
    // The checks Save runs again (a click on Save, the up-down buttons and a paste pass the boxes' own
    // checks): false after putting the focus into the refused box, or the notes, with the reason in the
    // status bar.
    bool FieldAccepted(int Index);
    bool NotesAccepted();
    // The check of a date field, as it loses the focus and again at Save: an enabled field whose text is
    // not a date keeps the focus, with the reason in the status bar; one that holds a date shows it in
    // the locale's form. A disabled field (the date of a panel not chosen) always passes.
    bool DateAccepted(platform::DateField *box);
    // Puts the focus back into box and shows reason in the status bar.
    void ShowRefusal(QWidget *box, const QString &reason);
    // The key filters of the window's own boxes: true when the key was dealt with.
    virtual bool FilterBoxKey(QObject *watched, QKeyEvent *key);
    // A panel that holds controls as the window does (the control, not the panel, gives the hint).
    virtual bool isPanel(const QWidget *w) const;
    // What the window lets go of as it unloads, before its lists close.
    virtual void Unloading();
    // The global instance forgets the window as it unloads, so the next entry procedure loads a new one.
    virtual void ReleaseInstance() = 0;

    // The outer layout and the grid of the fields, which the window fills.
    QGridLayout *BeginLayout();
    // Save and Cancel, then the status bar, below the fields.
    void EndLayout();
    // The tab order of the controls; the window sees their keys first; the disabled amount box and
    // account list get their look; the customer button, Cancel and the focus hints are connected.
    void SetControlOrder(const QList<QWidget *> &order);
    // The texts of the window's own controls, for Localize (which does Save, Cancel, the type list and the
    // customer button itself).
    virtual void LocalizeWindow() = 0;
    // The icon, no Close command.
    void LoadCommon();
    // Fills the type list with items, the first selected, without a type change; Localize gives their texts.
    void FillTypes(std::span<const EditorTypeItem> items);
    // The type rule: an appointment has no amount and no payment account. True when the type has an amount.
    bool ApplyTypeRule();
    // Shows the window in front with the focus on the type list, or on firstDate when the type is locked;
    // what it shows now is what it was filled with (isModified compares with it).
    void ShowModeless(QWidget *firstDate);
    // Input that no control shows (an attachment chosen or removed): the window's part of isModified.
    virtual bool hasOtherInput() const;
    // Before a save: the customer (acId) and the payment account (countId) chosen must still exist, on the
    // database of cn. When one was deleted meanwhile the user is told, the lists are filled again without
    // it, and the answer is false: nothing may be written. 0 ids choose nothing and always pass.
    bool ChosenEntriesExist(platform::Connection &cn, int acId, int countId);
    // Lets go of the window's data and takes it down (once).
    void Form_Unload();
    void ShowHelp() const;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    int m_helpContext = 0;
    bool m_unloaded = false;

private:
    void focusMoved(QWidget *old, QWidget *now);
    QString hintOf(QWidget *w) const;
    // The values of the window's input controls, in a fixed order (an amount by its value).
    QVariantList inputState() const;

    EditorCombos rsCombo;   // the lists' row sources, open with the window
    QList<EditorTypeItem> m_types;   // the type list's items
    QString m_refusal;      // why the box checked last refused its text
    QVBoxLayout *m_outer = nullptr;
    QMetaObject::Connection m_focusWatch;
    bool m_validating = false;
    bool m_filled = false;
    QVariantList m_filledState;
};
