#pragma once

// What the main list shows, as functions of a row's fields and the window's state: the list query, the
// filter conditions of both views, the groups, the computed values, icons, group captions and row styles,
// and the widths of the columns that share the grid's width. frmMain wires these to its grid.

#include "platform/database/Currency.h"

#include <QDate>
#include <QString>
#include <array>

namespace MainListRules {

constexpr int ViewCount = 2;
constexpr int FilterCount = 6;
constexpr int GroupingCount = 5;

// Per view: entries 0..5 the filter captions, 6..11 the SQL conditions they select.
using FilterTableT = std::array<std::array<QString, 12>, ViewCount>;

// The main row query followed by tail (its SearchField is empty).
QString BuildGridSql(const QString &tail);
// The conditions of both views: deadlines from "IsPN=False", the cash book from its membership; the period
// filters of the cash book are ranges of dates from the engine's Date() except "12 Months from Today",
// whose dates are fixed now.
void BuildFilterConditions(FilterTableT &table, bool debitCreditToPN, const QDate &today);
// "Where TrDbId=<sheet> AND (<condition>)".
QString GridTail(int sheetId, const QString &condition);

// The main row query with no rows, read without a scan: the list's columns, read when it is set up.
QString GridColumnsSql();
// The search of the main list, as a filter on its loaded rows: the description or the account name holds
// term (already quoted for SQL) anywhere, case and accents aside.
QString SearchFilter(const QString &quotedTerm);
// The rows of a data sheet (TrRowId): whether the sheet holds any, read with at most one row.
QString SheetRowsSql(int sheetId);

// The calendar's query: how many rows of the view each day between first and last holds (TrDate, CTR).
QString DaysWithRowsSql(const QDate &first, const QDate &last, const QString &calendarCondition, int sheetId);
// The side list's query: the rows of the view from d1 to d2, the latest first (TrDescription, TrGrpType,
// TrGrpRow, TrGrpMDay, TrRowId).
QString SideListSql(const QDate &d1, const QDate &d2, const QString &calendarCondition, int sheetId);

// Indexes read from the settings are brought into range: an out-of-range value gives the default.
int validView(int view);
int validFilter(int filter);
int validGrouping(int grouping);
int validSortDirection(int direction, int defaultDirection);

// The column a grouping groups by ("" for none).
QString groupColumnKey(int grouping);

// gexDateGroup: grouping 1: 0 up to today, 1 up to the end of this month, 2 later; grouping 2: yyyymm.
int dateGroup(const QDate &trDate, int grouping, const QDate &today);
// gexTotals: in the deadlines view (other than the closed filter) open rows count, closed ones 0.
platform::Currency totalOf(int view, int filterIndex, bool done, platform::Currency balance);

// Closed rows show the closed icons only in the deadlines filter "All Deadlines" (the icons: RowRules).
bool showsClosedIcons(int curFilterIndex);

enum RowStyle { NormalStyle, Expired, Barrato };
// Record rows are styled only in the deadlines view with a filter other than the closed one.
RowStyle recordStyle(int view, int filterIndex, bool done, const QDate &trDate, int alertDays, const QDate &today);
// An appointment's amount cell is empty in those same rows.
bool hidesAmount(int view, int filterIndex, int trType);

// Widths (twips) of the columns that share the rest of the grid: deadlines view description 60% and
// account 40%; cash book description 40%, account 30%, count 30%. Halves round to the even neighbour.
struct SharedWidths {
    double description = 0;
    double account = 0;
    double count = 0;
};
SharedWidths sharedColumnWidths(int view, double gridWidth, bool showId, double scrollBarWidth, int columnCount,
                                double dateWidth, double valueWidth, double incomesWidth);

// The item of the Languages menu that shows a language id: "Automatic" for 0, else the item of the language
// the id chooses (English for 1 and for ids the menu lacks).
int languageMenuItem(int appLanguageId);

// Month columns of the calendar for a window width in twips.
int calendarColumns(double windowWidthTwips, bool variableColumns);

} // namespace MainListRules
