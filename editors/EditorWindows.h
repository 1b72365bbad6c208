#pragma once

#include <QList>

class RecordEditorWindow;

// The modeless windows that work on the database in use beside the main window: the record editors (new
// deadline, deadline, cash-book movement) and the accounts window.
namespace EditorWindows {

// The record editors that are open, in the order new deadline, deadline, cash book.
QList<RecordEditorWindow *> openEditors();
// True while a record editor or the accounts window is open: the database folder and the current data
// sheet must not change under them.
bool anyOpen();

// Before the main window closes: each open editor whose input was changed comes to the front and asks
// whether to save it (Yes saves, No drops it, Cancel stops the closing). False when the closing must stop: the user cancelled, or
// a save did not complete (the editor then stays open, in front, with what it holds).
bool ConfirmClose();

} // namespace EditorWindows
