#include "editors/frmScadenze.h"

namespace {

RowEditorLayout deadlineLayout()
{
    RowEditorLayout l;
    l.windowName = QStringLiteral("frmScadenze");
    l.cashBook = false;
    l.types = {{"d-2", 1043, 7}, {"d-1", 1042, 6}, {"d+1", 1041, 5}};
    l.labelIds = {1102, 1103, 1104, 1105, 1106, 1333, 1137, 1138, 1139, 1164};
    l.tooltipIds = {1110, 1111, 1112, 1113, 1114, 1166, 0};
    return l;
}

} // namespace

frmScadenze::frmScadenze(QWidget *owner)
    : frmRowEditor(deadlineLayout(), owner)
{
}

frmScadenze *frmScadenze::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmScadenze(owner);
    return s_window;
}

void frmScadenze::Apri(int TrRowId)
{
    if (holdsRow())
        BringToFront();
    else
        OpenExisting(TrRowId, 4);
}

void frmScadenze::Duplica(int TrRowId)
{
    if (holdsRow())
        BringToFront();
    else
        OpenCopy(TrRowId, 5);
}

void frmScadenze::ReleaseInstance()
{
    s_window.clear();
}
