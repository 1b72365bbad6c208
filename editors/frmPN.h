#pragma once

#include "editors/GlobalWindow.h"
#include "editors/frmRowEditor.h"

// The cash-book editor: a new income or expense of the current data sheet (Nuovo), an existing row
// (Apri), or a copy of one as a new movement (Duplica). Modeless, owned by the main window, which opens it
// with
//     frmPN::Load(this)->Nuovo();
//     frmPN::Load(this)->Apri(TrRowId);
//     frmPN::Load(this)->Duplica(TrRowId);
// Movements are stored closed and marked as cash-book rows; an opened row keeps its closed flag, alert
// days and cash-book mark.
class frmPN : public frmRowEditor, public GlobalWindow<frmPN>
{
    Q_OBJECT
public:
    static frmPN *Load(QWidget *owner = nullptr);

    // While the window still holds a row, each brings it to the front with its edits instead.
    void Nuovo();
    void Apri(int TrRowId);
    void Duplica(int TrRowId);

protected:
    void ReleaseInstance() override;

private:
    explicit frmPN(QWidget *owner);
};
