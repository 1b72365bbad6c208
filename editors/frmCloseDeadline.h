#pragma once

#include "editors/GlobalWindow.h"
#include "editors/ModalDialog.h"

#include <QDate>

class QLabel;
class QPushButton;
namespace platform { class DateField; }

// Asks for the day on which a deadline was settled. The close command loads it, calls Apri, closes the
// row with the date it returns and unloads it:
//     const QDate d = frmCloseDeadline::Load(this)->Apri(id);
//     frmCloseDeadline::Unload();
//     if (d.isValid()) ... close the row on d ...
// Only Apply (or Enter in the date) confirms a date; a text that is not a date is refused with the reason
// and the window stays. The window has no Close command; Esc ends it without a date, and Apri then
// returns a null QDate, which the caller takes as a refusal: the row stays as it is.
class frmCloseDeadline : public ModalDialog, public GlobalWindow<frmCloseDeadline>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner): texts of the current language, today in the picker, no date
    // confirmed yet. Later calls return the loaded window.
    static frmCloseDeadline *Load(QWidget *owner = nullptr);

    // Shows the window modal and, once it is hidden, returns the confirmed date (null when none was).
    // Id is the row being closed; the window does not use it.
    QDate Apri(int Id);

    // The date confirmed with Apply; null until then.
    QDate ClosingDate;

    QLabel *lblData = nullptr;
    platform::DateField *dtp = nullptr;
    QPushButton *cmdOK = nullptr;

    void cmdOK_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Esc (or a close from outside): the window hides without a date.
    void reject() override;

private:
    explicit frmCloseDeadline(QWidget *owner);
    void Form_Load();
};
