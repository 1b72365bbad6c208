#pragma once

// What the printed report shows, as functions of its options and of a row's fields: the report query, the
// date group keys and captions, the totals, icons and series counter of a row, the filter summary and the
// page counter of the page header and footer, and the printed columns with their widths. frmPrint wires
// these to its grid and printer.

#include "platform/database/Currency.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <array>

namespace ReportRules {

// The two reports.
enum Kind { Deadlines = 0, CashBook = 1 };
// What a grouping level groups by (the index of the grouping lists).
enum GroupKind { NoGroup = 0, ByDate = 1, ByAccount = 2, ByCount = 3 };
// How grouping by date buckets the dates.
enum DateGroupMode { ByPeriod = 0, ByMonth = 1, ByQuarter = 2, ByFourMonths = 3, ByYear = 4 };
// The optional columns: client/supplier, count, deadline id, notes line.
enum OptionalColumn { AccountColumn = 0, CountColumn = 1, IdColumn = 2, NotesColumn = 3 };

// Everything the report window's options say.
struct Options {
    int kind = Deadlines;
    std::array<bool, 2> states{true, false};          // open, closed deadlines
    std::array<bool, 3> types{true, true, true};      // credits, debits, appointments
    bool period = false;
    QDate from, to;
    bool account = false;
    int accountId = -1;                               // -1: none chosen
    QString accountName;
    bool count = false;
    int countId = -1;
    QString countName;
    std::array<int, 2> groups{NoGroup, NoGroup};      // first and second grouping level
    int dateGroupMode = ByPeriod;
    bool showGroupTotals = true;
    std::array<bool, 4> columns{true, false, true, true};
    bool repeatHeaders = false;
    QString title;
};

// The report's fields and row join, ending with a blank: "SELECT TrRowId, ... FROM (...) LEFT JOIN ... ".
QString ReportSelect();
// The report's fields without any row: what the report grid's columns are made from.
QString ReportColumnsSql();
// The whole report query for a data sheet: the select, the sheet, the report's rows (deadlines: state and
// type; cash book: its membership), then period, account and count. No ORDER BY: the grid sorts.
QString ReportSql(const Options &options, int sheetId, bool debitCreditToPN);

// The column a grouping kind groups by ("" for none).
QString GroupColumnKey(int groupKind);
// The kinds the second level offers after "No Grouping" when the first level groups by `firstLevel`
// (none when the first level does not group).
QList<int> SecondLevelKinds(int firstLevel);

// The group key of a date: period 0 up to today, 1 up to the end of this month, 2 later; month yyyymm;
// quarter yyyyq; four months yyyy*10 + period; year yyyy; 0 for an unknown mode.
int GroupKeyOfDate(const QDate &date, int mode, const QDate &today);
// The caption of a date group from its key and a date of its rows.
QString DateGroupCaption(int mode, int key, const QDate &groupDate);
// " [<total>]" added to a group caption, the group's sum (as the grid gives it: an amount, 0 for a group
// without amounts, or a sum too large) in the locale's currency format.
QString TotalSuffix(const QVariant &total);

// What a row adds to the group totals: in the deadlines report only open deadlines count.
platform::Currency ReportTotal(int kind, bool done, platform::Currency balance);

// The filter summary of the last page's footer: "Filter: " and the active parts joined by " | ".
QString FilterSummary(const Options &options);
// The page header's counter: "3 of 12".
QString PageCounter(int page, int count);

// A printed column: its key, width in twips and whether the report shows it.
struct PrintedColumn {
    const char *key;
    int width;
    bool shown;
};
// The printed columns from the left (type icon, id, description, client/supplier, count, amount, income,
// expense, date).
QList<PrintedColumn> PrintedColumns(const Options &options);
// The grid's width in twips: the group column, the type, the date and the description always, the other
// columns when shown.
int ReportGridWidth(const Options &options);

} // namespace ReportRules
