#pragma once

#include <functional>

class ListGrid;

// What the windows of this library ask of the main window besides its refresh procedures (EditorHooks.h).
// The main window sets it when it wires its menus; a hook left empty does nothing.
namespace MainWindowHooks {

// Prints a list grid: through its print preview when preview is true, else straight to the printer. The
// main window prints its own list the same way and hands its printing here.
inline std::function<void(ListGrid *grid, bool preview)> printGrid;

} // namespace MainWindowHooks
