#include "editors/frmNewCount.h"

#include "editors/EditorIcons.h"

namespace {

TableEditorLayout countLayout()
{
    TableEditorLayout l;
    l.windowName = QStringLiteral("frmNewCount");
    l.table = Tables::Counts;
    l.newCaptionId = 1831;
    l.editCaptionId = 1830;
    l.boxes = {{QStringLiteral("CnName"), 1832, 1835}};
    l.picture = EditorIcons::coins(32);
    return l;
}

} // namespace

frmNewCount::frmNewCount(QWidget *owner)
    : frmTableEditor(countLayout(), owner)
{
}

frmNewCount *frmNewCount::Load(QWidget *owner)
{
    if (!s_window) {
        s_window = new frmNewCount(owner);
        s_window->Form_Load();
    }
    return s_window;
}
