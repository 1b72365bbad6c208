#include "editors/frmPN.h"

namespace {

RowEditorLayout cashBookLayout()
{
    RowEditorLayout l;
    l.windowName = QStringLiteral("frmPN");
    l.cashBook = true;
    l.types = {{"d+1", 1908, 5}, {"d-1", 1909, 6}};
    l.labelIds = {1902, 1903, 1904, 1905, 1906, 1333, 1139, 1164};
    l.tooltipIds = {1910, 1911, 1912, 1913, 1914, 1166, 1165};
    return l;
}

} // namespace

frmPN::frmPN(QWidget *owner)
    : frmRowEditor(cashBookLayout(), owner)
{
}

frmPN *frmPN::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmPN(owner);
    return s_window;
}

void frmPN::Nuovo()
{
    if (holdsRow())
        BringToFront();
    else
        OpenNewMovement(10);
}

void frmPN::Apri(int TrRowId)
{
    if (holdsRow())
        BringToFront();
    else
        OpenExisting(TrRowId, 11);
}

void frmPN::Duplica(int TrRowId)
{
    if (holdsRow())
        BringToFront();
    else
        OpenCopy(TrRowId, 12);
}

void frmPN::ReleaseInstance()
{
    s_window.clear();
}
