#pragma once

// What the main window's record commands do to the database: delete one row, a whole series or one row of
// a series with the rest renumbered, and flip a deadline between closed and open (the statements are the
// Transactions table's). Each opens a connection of its own with the database object's connection string
// and closes it; failures raise platform::RuntimeError and leave the data as it was.

#include <QDate>

namespace RecordCommands {

void DeleteRow(int trRowId);
void DeleteSeries(int grpId);
// Deletes the row and renumbers what is left of its series, in one transaction.
void DeleteFromSeries(int trRowId, int grpId);

// Flips a deadline between closed and open; with a closing date (given when it closes) its date becomes it.
void ToggleDone(int trRowId, const QDate &closingDate = QDate());

} // namespace RecordCommands
