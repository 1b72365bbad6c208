#pragma once

#include "editors/GlobalWindow.h"
#include "editors/frmTableEditor.h"

// The editor of one customer or supplier (Accounts: name and notes), modal. Callers open it with
//     const int id = frmNewAcc::Load(owner)->Nuovo();   // or ->Apri(id)
//     frmNewAcc::Unload();
class frmNewAcc : public frmTableEditor, public GlobalWindow<frmNewAcc>
{
    Q_OBJECT
public:
    static frmNewAcc *Load(QWidget *owner = nullptr);

private:
    explicit frmNewAcc(QWidget *owner);
};
