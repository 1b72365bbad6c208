#pragma once

// The statements on the data sheets (table Dbs): the list of sheets, the sheet a database is used with,
// a sheet's name, and the creation, renaming and erasure of a sheet. Sheet ids are assigned here, as the
// largest DbId + 1. A function given a connection string opens a connection of its own and closes it;
// failures raise platform::RuntimeError and leave the table as it was.

#include <QString>
#include <optional>

namespace platform { class Connection; }

namespace SheetsTable {

// "SELECT * FROM Dbs ORDER BY DbId": every sheet, by id.
QString listSql();
// The lowest sheet id of the database of cn; none when the table is empty.
std::optional<int> lowestId(platform::Connection &cn);
// The sheet a database is used with: `wanted` when its Dbs table has it, else the lowest sheet (the
// structure test refuses a database without any sheet).
int sheetToUse(const QString &connectionString, int wanted);
// The sheet's name; "" when there is no such sheet.
QString name(const QString &connectionString, int sheetId);

// True when a sheet of that name exists (names compare as the database compares text).
bool nameExists(const QString &connectionString, const QString &name);
// Adds a sheet whose id is the largest DbId + 1, in one transaction; returns the new id.
int create(const QString &connectionString, const QString &name);
void rename(const QString &connectionString, int sheetId, const QString &name);
// Erases a sheet together with all its rows, in one transaction; accounts and counts stay. Sheet 1 (the
// template's) is never erased: RuntimeError, nothing touched.
void erase(const QString &connectionString, int sheetId);

} // namespace SheetsTable
