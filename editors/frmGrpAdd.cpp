#include "editors/frmGrpAdd.h"

#include "foundation/Icons.h"

frmGrpAdd *frmGrpAdd::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmGrpAdd(owner);
    return s_window;
}

frmGrpAdd::frmGrpAdd(QWidget *owner)
    : GroupChoiceDialog(owner, Design{"optadd", 1412, 1412, 1413, 1414, 3, Icons::commandImageList().value(0)})
{
    setObjectName(QStringLiteral("frmGrpAdd"));
}
