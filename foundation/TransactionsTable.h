#pragma once

// The statements on the rows of Transactions, deadlines and cash-book movements, apart from the lists
// (the main list's and the report's queries are built by their windows' rules over RowRules). A row or a
// series is found by its id whatever its data sheet, and a new series id and the date bounds span every
// sheet; the rest is limited to one sheet. The functions on a connection run inside the caller's
// transaction when there is one; failures raise platform::RuntimeError.

#include "platform/database/Currency.h"

#include <QDate>
#include <QString>

namespace platform { class Connection; }

namespace TransactionsTable {

// --- one row or a series, whatever its data sheet ---

void deleteRow(platform::Connection &cn, int trRowId);
void deleteSeries(platform::Connection &cn, int grpId);
// Flips the row between closed and open; with a closing date the row's date becomes it.
void toggleDone(platform::Connection &cn, int trRowId, const QDate &closingDate = QDate());
// Numbers the rows of a series 1..n in date order (rows of one date in the order the engine returns them)
// and gives each the series size n, over all data sheets. Returns n.
int renumberSeries(platform::Connection &cn, int grpId);
// The id of a new series: the largest TrGrpId of the whole table (every data sheet) plus 1; 1 when the
// table holds no row.
int nextGroupId(platform::Connection &cn);

// A new row as it is written. TrBalance is written as value × type.
struct NewRow {
    int sheetId = 1;                 // TrDbId
    int type = -2;                   // 1 credit, -1 debit, -2 appointment
    QDate date;
    QString description;             // as typed: quoted when the statement is built
    QString notes;
    int acId = 0;
    platform::Currency value;
    int alertDays = 0;
    int countId = 0;
    bool done = false;
    QString attached;                // "" none (written as Null)
    int grpId = 0;
    // A row of a series: its cadence letter (TrGrpType), its position 1..n and n. A single row leaves the
    // letter empty: it is written with TrGrpType "n", its position and count left to the table's defaults.
    QString cadenceLetter;
    int grpRow = 0;
    int grpMDay = 0;
};
void insertRow(platform::Connection &cn, const NewRow &row);

// --- the rows of a data sheet ---

// The tray count: how many open deadlines of the sheet are due, dated no more than their own alert days
// ahead, overdue ones included (RowRules::dueCondition).
int countDueDeadlines(const QString &connectionString, int sheetId);
// The closed rows of the sheet dated up to lastDay (closed deadlines and cash-book movements alike): how
// many there are, and their deletion in one transaction, which returns the rows deleted.
int countClosedRows(platform::Connection &cn, const QDate &lastDay, int sheetId);
int deleteClosedRows(platform::Connection &cn, const QDate &lastDay, int sheetId);
// Every row of the sheet (its erasure).
void deleteSheetRows(platform::Connection &cn, int sheetId);

// The first and the last date of the rows of every data sheet; invalid dates when there is no row.
struct DateBounds {
    QDate first;
    QDate last;
};
DateBounds dateBounds(const QString &connectionString);

} // namespace TransactionsTable
