#include "editors/EditorHooks.h"

namespace EditorHooks {

void RefreshAfterSave(int savedRowId)
{
    if (gexUpdate)
        gexUpdate();
    if (mvUpdate)
        mvUpdate();
    if (tasksUpdate)
        tasksUpdate();
    if (interfaceUpdate)
        interfaceUpdate();
    if (gexFind)
        gexFind(savedRowId);
}

} // namespace EditorHooks
