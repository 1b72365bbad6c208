#pragma once

#include "editors/GlobalWindow.h"
#include "editors/frmRowEditor.h"

// The deadline editor: changes an existing credit, debit or appointment (Apri) or saves a copy of one as
// a new single deadline (Duplica). Modeless, owned by the main window, which opens it with
//     frmScadenze::Load(this)->Apri(TrRowId);
//     frmScadenze::Load(this)->Duplica(TrRowId);
// The type of the row is kept; an appointment has no amount and no payment account.
class frmScadenze : public frmRowEditor, public GlobalWindow<frmScadenze>
{
    Q_OBJECT
public:
    static frmScadenze *Load(QWidget *owner = nullptr);

    // While the window still holds a row, both bring it to the front with its edits instead.
    void Apri(int TrRowId);
    void Duplica(int TrRowId);

protected:
    void ReleaseInstance() override;

private:
    explicit frmScadenze(QWidget *owner);
};
