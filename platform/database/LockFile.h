#pragma once

#include <QString>

namespace platform {

// The lock file of a database: "<name>.ldb" beside "<name>.mdb". It exists while any connection of a
// process to the file is open, or while a process holds the file for itself, and lists those processes,
// one a line: "<process id>" for open connections, "<process id> hold" for the hold. The processes that
// change it take turns (a lock on the lock file), so no entry is lost when two open at once.

// The lock file's path; an existing one whose name differs only in case is taken, the exact name first.
QString lockFilePathFor(const QString &databaseFile);

// True when the lock file exists and names at least one process that is still running (this one
// included). A lock left by a process that is gone (or one that names no process) is stale, not live.
bool lockFileIsLive(const QString &ldbPath);
// True when a running process other than this one has the database open or holds it.
bool databaseInUseElsewhere(const QString &databaseFile);
// True when a running process other than this one holds the database for itself.
bool databaseIsHeldElsewhere(const QString &databaseFile);

// Connection bookkeeping: the first acquire of a file by this process writes its id into the lock file,
// the last release takes it out again and removes the file when no other process is listed. acquire
// raises RuntimeError errors::DbHeldElsewhere while another process holds the file, and RuntimeError when
// the lock file cannot be written (for example in a read-only folder).
void acquireDatabaseLock(const QString &databaseFile);
void releaseDatabaseLock(const QString &databaseFile);

// Holds the database for this process alone until releaseDatabaseHold: meanwhile no other process can
// open a connection to it (the import tool replaces the file under this hold). This process's own
// connections still open. Raises RuntimeError errors::DbInUse while another running process has the file
// open or holds it, and RuntimeError when the lock file cannot be written.
void holdDatabase(const QString &databaseFile);
void releaseDatabaseHold(const QString &databaseFile);

} // namespace platform
