#pragma once

#include "editors/GlobalWindow.h"
#include "editors/frmTableEditor.h"

// The editor of one collection or payment account (Counts: name), modal. Callers open it with
//     const int id = frmNewCount::Load(owner)->Nuovo();   // or ->Apri(id)
//     frmNewCount::Unload();
class frmNewCount : public frmTableEditor, public GlobalWindow<frmNewCount>
{
    Q_OBJECT
public:
    static frmNewCount *Load(QWidget *owner = nullptr);

private:
    explicit frmNewCount(QWidget *owner);
};
