#pragma once

#include "editors/ModalDialog.h"
#include "foundation/Tables.h"
#include "platform/database/Recordset.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
namespace platform { class Connection; }

// What tells one editor of a shared table from another: its table and key, its captions and its text boxes
// (the first box holds the row's name, which may not be empty).
struct TableEditorLayout {
    QString windowName;        // the window's name, as the "App Error" report gives it
    Tables::Table table;       // table edited, with its AutoNumber key
    int newCaptionId = 0;      // caption for a new row
    int editCaptionId = 0;     // caption for an existing row
    struct Box {
        QString field;         // the column the box is bound to
        int labelId = 0;       // its label's text
        int tooltipId = 0;     // its tooltip, also shown in the status bar while it has the focus
    };
    QList<Box> boxes;
    QImage picture;            // a decorative picture beside the boxes, on the transparent magenta; none
                               // when null
};

// The small modal editor of one row of a shared table (customers and suppliers, counts). It works on a
// connection and a recordset of the one row of its own, held while it is shown; its text boxes take the
// row's values and give their changes back on Save. Nuovo and Apri show it modal and return when Save or
// Cancel (or Esc) hides it; its caller then unloads it. It has no Close command.
class frmTableEditor : public ModalDialog
{
    Q_OBJECT
public:
    ~frmTableEditor() override;

    // A new row: the new row's id after Save, 0 after Cancel (or when the table cannot be opened).
    int Nuovo();
    // The row `id`: true after Save (even with nothing changed), false after Cancel, or when the row does
    // not exist or cannot be read.
    bool Apri(int id);

    // The name (box 0) may not be empty; blanks count as a name. No box takes a NUL character. The text id
    // of why box index refuses text, 0 when it takes it.
    static int txtData_Refusal(int index, const QString &text);

    void cmdSalva_Click();
    void cmdAnnulla_Click();

    // --- state and controls ---
    int NewId = 0;
    bool Saved = false;
    QVector<QLineEdit *> txtData;
    QVector<QLabel *> lblData;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
    QStatusBar *sb = nullptr;
    QLabel *sbPanel1 = nullptr;
    QLabel *Picture1 = nullptr;

public slots:
    void reject() override;    // Esc and every other way out of the dialog: Cancel

protected:
    frmTableEditor(const TableEditorLayout &layout, QWidget *owner);
    void Form_Load();

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Opens the connection and the recordset on source; false (and the "App Error" report) on failure.
    bool OpenData(const QString &source, platform::Recordset::CommandType options, const QString &procedure);
    void BindControls();
    void CloseData();
    void lblData_Click(int index);
    void focusMoved(QWidget *old, QWidget *now);
    // Save's check of every box: false after putting the focus into a refused box, with the reason in the
    // status bar.
    bool BoxesAccepted();

    TableEditorLayout m_layout;
    std::unique_ptr<platform::Connection> m_cn;
    std::unique_ptr<platform::Recordset> m_rs;
    QStringList m_boundText;   // each box's text as read from the row
    int m_openedId = 0;        // the row Apri opened; 0 a new row
    QMetaObject::Connection m_focusWatch;
};
