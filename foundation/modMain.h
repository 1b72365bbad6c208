#pragma once

#include <QString>
#include <functional>

class QWidget;

// Loads the main window without showing it (its load builds the list from the database) and returns it.
// Start-up is below the windows: the program's entry passes the main window's own Load.
using MainWindowLoader = std::function<QWidget *()>;

enum class StartupResult {
    Running,          // the main window or the tray icon is up: run the event loop
    Ended,            // the user or a failure ended the program before any window
};

// Start-up of the program: creates the language, database, data sheet and settings objects, refuses a second
// instance, makes sure a usable database exists, then loads the main window and shows it or starts in the
// tray, where the icon loads it again when it was closed.
StartupResult Main(const MainWindowLoader &loadMainWindow);

// A log-out or SIGTERM: the program ends as closing its windows does, without a question: editors drop
// what they hold, the main window writes its view state, the event loop ends.
void EndSession();
// True once EndSession has begun: the windows close without asking.
bool SessionEnding();

// After the event loop: the main window is gone; the settings, the data sheet and the language write
// themselves back.
void EndProgram();

// The balloon text for a count: "" for none, text 1219 for one, text 1220 with the count for more.
QString DueBalloonText(int count);
