#pragma once

#include "editors/GroupChoiceDialog.h"
#include "editors/GlobalWindow.h"

// Asked by the delete command on a row of a series: delete only that row (1), the whole series (2), or
// nothing (0).
//     const int choice = frmGrpErase::Load(this)->Apri();
//     frmGrpErase::Unload();
class frmGrpErase : public GroupChoiceDialog, public GlobalWindow<frmGrpErase>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner), option 0 selected; later calls return the loaded window.
    static frmGrpErase *Load(QWidget *owner = nullptr);

    QRadioButton *opterase(int Index) const { return m_options.at(Index); }
    void opterase_Click(int Index) { option_Click(Index); }

private:
    explicit frmGrpErase(QWidget *owner);
};
