#pragma once

#include "editors/GlobalWindow.h"
#include "editors/ModalDialog.h"

class QLabel;
class QPushButton;
namespace platform { class DateField; }

// Deletes, in one statement, every closed row of the current data sheet dated up to a chosen day: closed
// deadlines and cash-book movements alike; open deadlines and the rows of other data sheets stay. The
// window asks once more with the number of rows before it deletes, and reports the outcome.
class frmDelClosedRows : public ModalDialog, public GlobalWindow<frmDelClosedRows>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner): texts of the current language, yesterday in the picker.
    static frmDelClosedRows *Load(QWidget *owner = nullptr);

    // The Tools command: loads the window, shows it modal, unloads it. Returns the number of rows
    // deleted (0 when cancelled, refused or failed), so the caller knows whether its lists need a refresh.
    static int ShowModal(QWidget *owner);

    QLabel *lblData = nullptr;
    platform::DateField *dtp = nullptr;
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;

    // Counts the rows, asks, deletes on Yes and reports; a database failure is shown as an application
    // error and deletes nothing. Then the window closes. A day whose text is not a date is refused with the
    // reason first: nothing is counted and the window stays.
    void cmdSalva_Click();
    // Closes the window; nothing is deleted.
    void cmdAnnulla_Click();

    // Rows deleted by the last Continue (0 until then).
    int RowsDeleted() const { return m_rowsDeleted; }

    // The confirmation question for n rows ("There are 3 Deadlines to delete." and "Confirm?" below).
    static QString QuestionText(int n);

protected:
    // Esc (or a close from outside) answers as Cancel.
    void reject() override;

private:
    explicit frmDelClosedRows(QWidget *owner);
    void Form_Load();
    int m_rowsDeleted = 0;
};
