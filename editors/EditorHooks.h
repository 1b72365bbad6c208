#pragma once

#include <functional>

// The main window's refresh procedures, as the record editors call them after a save. The main window sets
// them when it loads (the editors never reach the main window themselves); a hook left empty does nothing.
namespace EditorHooks {

inline std::function<void()> gexUpdate;        // rebuild and rebind the list
inline std::function<void()> mvUpdate;         // bold days of the calendar
inline std::function<void()> tasksUpdate;      // side list, for the calendar's current selection
inline std::function<void()> interfaceUpdate;  // empty-list text, command state, status bar
inline std::function<void(int)> gexFind;       // show the row with that TrRowId (0: none)

// The refresh after an editor saved: gexUpdate, mvUpdate, tasksUpdate, interfaceUpdate, then gexFind with
// the saved row's id (0 after a new deadline or series), in this order. A failure stops the refresh with
// the "App Error" message of the failing procedure.
void RefreshAfterSave(int savedRowId);

} // namespace EditorHooks
