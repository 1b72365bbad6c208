#pragma once

#include <QString>

namespace platform {

// The lock file of a database: "<name>.ldb" beside "<name>.mdb". It exists while any connection of a
// process to the file is open and lists the ids of those processes, one a line. Another program (the
// import tool) looks at it before it replaces the database.

QString lockFilePathFor(const QString &databaseFile);

// True when the lock file exists and names at least one process that is still running. A lock left by a
// process that is gone (or one that names no process) is stale, not live.
bool lockFileIsLive(const QString &ldbPath);

// Connection bookkeeping: the first acquire of a file by this process writes its id into the lock file,
// the last release takes it out again and removes the file when no other process is listed. acquire
// raises RuntimeError when the lock file cannot be written (for example in a read-only folder).
void acquireDatabaseLock(const QString &databaseFile);
void releaseDatabaseLock(const QString &databaseFile);

} // namespace platform
