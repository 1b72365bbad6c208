#pragma once

// What the record editors share besides their windows: the customer and payment-account lists, the keys
// of the number boxes, Enter as Tab, the look of a disabled amount box and the choice of an attachment.

#include <QLabel>
#include <QString>
#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QHBoxLayout;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QWidget;
namespace platform { class Connection; class Recordset; }
namespace Tables { struct Table; }

// The row sources of an editor's customer list (AcName, bound AcId) and payment-account list (CnName,
// bound CnId), both in name order and shared by every data sheet. Their connection stays open with the
// window, until close() or the end of the object.
class EditorCombos
{
public:
    EditorCombos();
    ~EditorCombos();
    EditorCombos(const EditorCombos &) = delete;
    EditorCombos &operator=(const EditorCombos &) = delete;

    // (Re)fills both lists, keeping their selections. A failure is reported as the "App Error" of
    // <windowName>.InitCombos; the lists then stay as far as they were filled.
    void fill(const std::array<QComboBox *, 2> &lists, const QString &windowName);
    void close();

private:
    std::unique_ptr<platform::Connection> m_connection;
    std::array<std::unique_ptr<platform::Recordset>, 2> m_lists;
};

// Selects the item of a list whose bound value is id (none when no item has it).
void SelectBound(QComboBox *combo, int id);

// Enter (either key, without Ctrl, Alt or Shift).
bool isEnterKey(const QKeyEvent *key);

// The key filter of a number box: the amount box (decimal) takes digits, the comma, Backspace and turns
// the full stop into the locale's decimal separator; a whole-number box takes digits and Backspace.
// True when the key was dealt with here (swallowed, or replaced by its inserted character).
bool filterNumberKey(QLineEdit *box, const QKeyEvent *key, bool decimal);

// The most characters a box bound to the column `field` of rs takes: the column's defined size for text of
// variable length, and never less than the stored text (a longer text written by other means is kept
// whole, never cut); no limit for other columns.
int BoxMaxLength(const platform::Recordset &rs, const QString &field, const QString &stored = QString());

// Before the save of an opened row: a save with nothing changed writes nothing, so the database would
// never say that the row is gone. Raises what the write of a deleted row raises (RuntimeError of kind
// RowChanged) when the row of key id is no longer in the table, on the database of cn.
void RequireRowStillThere(platform::Connection &cn, const Tables::Table &table, int id);

// A disabled amount box or payment-account list is painted in the colour of button faces.
void paintDisabledAsButtonFace(QWidget *w);

// Save and Cancel (cmdSalva, cmdAnnulla) of an editor window, at least 1300 twips wide, at the right of a
// row of their own; the caller sets the row's margins.
QHBoxLayout *NewSaveCancelRow(QWidget *window, QPushButton *&save, QPushButton *&cancel);
// Their texts and tooltips.
void SetSaveCancelTexts(QPushButton *save, QPushButton *cancel);
// An editor window's status bar (sb, no size grip) with its one panel (sbPanel1) over the whole width. The
// panel never widens the window: a hint is cut at its edge.
QStatusBar *NewStatusBar(QWidget *window, QLabel *&panel);
// Shows why input is refused in such a panel: the whole reason, on as many lines as it needs while it is
// shown (the window grows downward meanwhile).
void ShowReason(QLabel *panel, const QString &reason);

// The name of a chosen file beside the attachment buttons. It never widens its window: the label asks for
// the same room whatever it shows (that of about twenty characters), and a name longer than the room it
// has is cut in the middle with an ellipsis (its extension stays in view); the whole name is its tooltip.
class FileNameLabel : public QLabel
{
public:
    explicit FileNameLabel(QWidget *parent);
    void setFileName(const QString &name);
    QString fileName() const { return m_name; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showFitted();
    QString m_name;
};

// The attachment chosen in the open-file dialog (title 1170, one filter of the usual document kinds).
struct AttachmentChoice {
    QString sourcePath;   // the chosen file
    QString title;        // its name without the folder
    QString storedName;   // the generated name of its copy in the attachments folder
};
// Nothing when the dialog was cancelled, or when the chosen file is no regular file that can be read (a
// folder, a named pipe, a device): that is said in a message (text 2043) and nothing is attached. A file
// without an extension is copied under a generated name without one.
std::optional<AttachmentChoice> chooseAttachment(QWidget *owner);
