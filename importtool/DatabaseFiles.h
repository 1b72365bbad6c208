#pragma once

#include <QDateTime>
#include <QString>

// The file steps of an import, made so that the database folder always holds a usable database: the old
// database stays in place, untouched, until the new one is complete; then one rename puts the new one in
// its place. The dated backup is made first and is kept whatever happens next.
namespace importtool {

// "<database file>.<yyyyMMddhhmmss>.bak", beside the database file.
QString BackupName(const QString &dbFile, const QDateTime &when);

// Copies the database file to its dated backup: written under a temporary name and renamed into place, so
// a failure (a full disk, an unwritable folder) leaves no partial backup; an existing file of that name is
// never overwritten. A transaction the main program left unfinished is rolled back first, so the copy
// holds a consistent database. Returns the backup's path, or "" when the folder holds no database file.
// Raises RuntimeError when the backup cannot be made complete.
QString BackupDatabase(const QString &dbFile, const QDateTime &when);

// The folder inside the database folder where the new database is built.
QString WorkFolderFor(const QString &dbFolder);

// Makes the work folder (emptied of what an interrupted run left) with a copy of the template; returns the
// new database file. Raises RuntimeError when the database folder does not exist (it is never made here) or
// the work folder or the copy cannot be made.
QString PrepareFreshDatabase(const QString &dbFolder);

// Puts the new database in place of the old one with one rename: the database file is at every moment
// either the old database or the complete new one. Raises RuntimeError, with nothing changed, while
// another process (the main program) has the database open or when the rename fails.
void ReplaceDatabase(const QString &freshFile, const QString &dbFile);

// Removes the work folder and what is in it; nothing when it is absent.
void DiscardFreshDatabase(const QString &dbFolder);

} // namespace importtool
