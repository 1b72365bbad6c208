#pragma once

// The one definition of the row rules that the main list, the calendar, the side list, the tray count and
// the report share: which rows a view holds, when an open deadline is due, and the join of a row with its
// account and count.

#include <QDate>
#include <QString>

namespace RowRules {

enum View { Deadlines = 0, CashBook = 1 };

// The SQL condition of an open deadline that is due: its date no more than its own alert days ahead,
// overdue dates included.
QString dueCondition();
// The same rule in C++ for a loaded row.
bool isDue(const QDate &trDate, int alertDays, const QDate &today);

// The SQL condition that puts a row into a view: deadlines "IsPN=False"; the cash book "IsPN=True", or
// with closed credits and debits counted as movements "(IsPN=True OR (TrDone=True AND TrType<>-2))".
QString viewMembership(int view, bool debitCreditToPN);
// The cash-book membership alone.
QString cashBookMembership(bool debitCreditToPN);
// The calendar's condition: open rows in the deadlines view, the cash-book membership in the other.
QString calendarCondition(int view, bool debitCreditToPN);

// The rows with their account and count: "FROM (Transactions LEFT JOIN Accounts ...) LEFT JOIN Counts ... ".
QString rowJoin();

// The description of a row, with "<row><separator><count>" after a blank for a row of a series when the
// series counters are shown.
QString describedRow(const QString &description, int grpId, int grpRow, int grpMDay, bool showCounters,
                     const QString &separator);
// Due-period groups: 0 up to today, 1 up to the end of this month, 2 later.
int duePeriodGroup(const QDate &trDate, const QDate &today);
// Month groups: yyyymm.
int monthGroup(const QDate &trDate);

// Row icon numbers of the lists: 5 credit, 6 debit, 7 appointment (open), 9 series (open), 10 debit,
// 11 credit, 12 appointment (closed), 13 series (closed), 14 attached file; 0 none.
int typeIcon(int trType, bool closed);
int seriesIcon(int grpId, bool closed);
// 14 for a row whose attachment name has at least one character.
int attachmentIcon(const QString &attached);

} // namespace RowRules
