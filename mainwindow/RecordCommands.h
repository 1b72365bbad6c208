#pragma once

// The statements the main window's record commands run on the database: deleting one row, a whole series
// or one row of a series with the rest renumbered, and flipping a deadline between closed and open.
// Each opens a connection of its own with the database object's connection string and closes it; failures
// raise platform::RuntimeError and leave the data as it was.

#include <QDate>
#include <QString>

namespace RecordCommands {

void DeleteRow(int trRowId);
void DeleteSeries(int grpId);
// Deletes the row and renumbers what is left of its series, in one transaction.
void DeleteFromSeries(int trRowId, int grpId);

// "UPDATE Transactions SET Transactions.TrDone = Not TrDone [,Transactions.TrDate=#mm/dd/yyyy#] WHERE ..."
QString ToggleDoneSql(int trRowId, const QDate &closingDate = QDate());
void ToggleDone(int trRowId, const QDate &closingDate = QDate());

} // namespace RecordCommands
