#include "editors/EditorHooks.h"

#include "foundation/modShared.h"

namespace EditorHooks {

void RefreshAfterSave(int savedRowId)
{
    const std::pair<const char *, std::function<void()>> steps[] = {
        {"gexUpdate", gexUpdate},
        {"mvUpdate", mvUpdate},
        {"tasksUpdate", tasksUpdate},
        {"interfaceUpdate", interfaceUpdate},
        {"gexFind", gexFind ? std::function<void()>([savedRowId] { gexFind(savedRowId); }) : nullptr},
    };
    for (const auto &[name, step] : steps) {
        try {
            if (step)
                step();
        } catch (const std::exception &e) {
            // The save is done: a refresh that fails is told, and the editor still closes.
            ShowAppError(e, QStringLiteral("frmMain"), QLatin1String(name), 0);
            return;
        }
    }
}

} // namespace EditorHooks
