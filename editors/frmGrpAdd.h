#pragma once

#include "editors/GroupChoiceDialog.h"
#include "editors/GlobalWindow.h"

// Asked by the "new deadline" command on a row of a series: a plain new deadline (1), new deadlines added
// to the row's series (2), or nothing (0).
//     const int choice = frmGrpAdd::Load(this)->Apri();
//     frmGrpAdd::Unload();
class frmGrpAdd : public GroupChoiceDialog, public GlobalWindow<frmGrpAdd>
{
    Q_OBJECT
public:
    // Loads the window once (owned by owner), option 0 selected; later calls return the loaded window.
    static frmGrpAdd *Load(QWidget *owner = nullptr);

    QRadioButton *optadd(int Index) const { return m_options.at(Index); }
    void optadd_Click(int Index) { option_Click(Index); }

private:
    explicit frmGrpAdd(QWidget *owner);
};
