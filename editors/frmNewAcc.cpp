#include "editors/frmNewAcc.h"

namespace {

TableEditorLayout accountLayout()
{
    TableEditorLayout l;
    l.windowName = QStringLiteral("frmNewAcc");
    l.table = Tables::Accounts;
    l.newCaptionId = 1331;
    l.editCaptionId = 1330;
    l.boxes = {{QStringLiteral("AcName"), 1332, 1335}, {QStringLiteral("AcNotes"), 1333, 1336}};
    return l;
}

} // namespace

frmNewAcc::frmNewAcc(QWidget *owner)
    : frmTableEditor(accountLayout(), owner)
{
}

frmNewAcc *frmNewAcc::Load(QWidget *owner)
{
    if (!s_window) {
        s_window = new frmNewAcc(owner);
        s_window->Form_Load();
    }
    return s_window;
}
