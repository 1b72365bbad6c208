#include "editors/frmGrpErase.h"

#include "foundation/Icons.h"

frmGrpErase *frmGrpErase::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmGrpErase(owner);
    return s_window;
}

frmGrpErase::frmGrpErase(QWidget *owner)
    : GroupChoiceDialog(owner, Design{"opterase", 1252, 1131, 1132, 306, 5, Icons::commandImageList().value(2)})
{
    setObjectName(QStringLiteral("frmGrpErase"));
}
