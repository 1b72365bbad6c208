#include "mainwindow/MainListRules.h"

#include "foundation/RowRules.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"

#include <cmath>

namespace MainListRules {

QString BuildGridSql(const QString &tail)
{
    // SearchField keeps its place among the fields, empty: the search box matches the description and the
    // account name themselves, so joining four texts for every row would be work nobody reads.
    return QStringLiteral("SELECT TrRowId,TrDbId,TrType,TrDone,TrDate,TrDescription,TrAcId,TrValue,TrBalance,TrGrpType,"
                          "TrGrpRow,TrGrpMDay,TrNotes,TrGrpId,Accounts.*,'' AS SearchField,TrAlertDays,CnName,TrAttached ")
           + RowRules::rowJoin() + tail;
}

void BuildFilterConditions(FilterTableT &table, bool debitCreditToPN, const QDate &today)
{
    const QString d = RowRules::viewMembership(RowRules::Deadlines, debitCreditToPN);
    auto &dl = table[RowRules::Deadlines];
    dl[6] = d;
    dl[7] = d + QStringLiteral(" AND (TrDone=False And ") + RowRules::dueCondition() + QLatin1Char(')');
    dl[8] = d + QStringLiteral(" AND TrDone=False");
    dl[9] = d + QStringLiteral(" AND TrDone=False And TrType<>-2");
    dl[10] = d + QStringLiteral(" AND TrDone=False And TrType=-2");
    dl[11] = d + QStringLiteral(" AND TrDone=True");

    const QString b = RowRules::cashBookMembership(debitCreditToPN);
    auto &cb = table[RowRules::CashBook];
    cb[6] = b;
    // The periods as ranges of dates from the engine's Date(), which the index of days serves (a month or a
    // year of TrDate compared with today's would be worked out for every row).
    auto period = [&b](const char *from, const char *to) {
        return b + QStringLiteral(" And TrDate >= DateSerial(") + QLatin1String(from)
               + QStringLiteral(") And TrDate < DateSerial(") + QLatin1String(to) + QLatin1Char(')');
    };
    cb[7] = period("Year(Date()),Month(Date()),1", "Year(Date()),Month(Date())+1,1");
    // The month before the current one, December of the year before when the current month is January.
    cb[8] = period("Year(Date()),Month(Date())-1,1", "Year(Date()),Month(Date()),1");
    cb[9] = period("Year(Date()),1,1", "Year(Date())+1,1,1");
    cb[10] = period("Year(Date())-1,1,1", "Year(Date()),1,1");
    // Four-digit years: two-digit ones would read as 19xx from 2030 on.
    cb[11] = b + QStringLiteral(" And TrDate Between ") + SqlDate(today.addDays(-365)) + QStringLiteral(" And ")
             + SqlDate(today);
}

QString GridTail(int sheetId, const QString &condition)
{
    return QStringLiteral("Where TrDbId=") + QString::number(sheetId) + QStringLiteral(" AND (") + condition
           + QLatin1Char(')');
}

QString DaysWithRowsSql(const QDate &first, const QDate &last, const QString &calendarCondition, int sheetId)
{
    return QStringLiteral("SELECT Count(TrRowId) AS CTR, TrDate FROM Transactions WHERE (TrDate Between ") + SqlDate(first)
           + QStringLiteral(" And ") + SqlDate(last) + QStringLiteral(") AND ") + calendarCondition
           + QStringLiteral(" AND TrDbId=") + QString::number(sheetId) + QStringLiteral(" GROUP BY TrDate");
}

QString GridColumnsSql()
{
    // A condition the engine knows to be false before it reads a row: the columns come without a scan of
    // the table (no index leads to the rows of a data sheet).
    return BuildGridSql(QStringLiteral("Where False"));
}

QString SearchFilter(const QString &quotedTerm)
{
    return QStringLiteral("TrDescription LIKE '*") + quotedTerm + QStringLiteral("*' OR AcName LIKE '*") + quotedTerm
           + QStringLiteral("*'");
}

QString SheetRowsSql(int sheetId)
{
    return QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrDbId=") + QString::number(sheetId);
}

QString SideListSql(const QDate &d1, const QDate &d2, const QString &calendarCondition, int sheetId)
{
    return QStringLiteral("SELECT TrDescription, TrGrpType, TrGrpRow, TrGrpMDay, TrRowId FROM Transactions "
                          "Where (TrDate Between ")
           + SqlDate(d1) + QStringLiteral(" And ") + SqlDate(d2) + QStringLiteral(") AND ") + calendarCondition
           + QStringLiteral(" AND TrDbId=") + QString::number(sheetId) + QStringLiteral(" ORDER BY TrDate DESC");
}

int validView(int view)
{
    return view == 0 || view == 1 ? view : 0;
}

int validFilter(int filter)
{
    return filter >= 0 && filter < FilterCount ? filter : 0;
}

int validGrouping(int grouping)
{
    return grouping >= 0 && grouping < GroupingCount ? grouping : 0;
}

int validSortDirection(int direction, int defaultDirection)
{
    return direction == 1 || direction == -1 ? direction : defaultDirection;
}

QString groupColumnKey(int grouping)
{
    switch (grouping) {
    case 1:
    case 2: return QStringLiteral("gexDateGroup");
    case 3: return QStringLiteral("AcName");
    case 4: return QStringLiteral("CnName");
    default: return QString();
    }
}

int dateGroup(const QDate &trDate, int grouping, const QDate &today)
{
    if (grouping == 1)
        return RowRules::duePeriodGroup(trDate, today);
    if (grouping == 2)
        return RowRules::monthGroup(trDate);
    return 0;
}

platform::Currency totalOf(int view, int filterIndex, bool done, platform::Currency balance)
{
    if (view == RowRules::Deadlines && filterIndex != 5 && done)
        return platform::Currency();
    return balance;
}

bool showsClosedIcons(int curFilterIndex)
{
    return curFilterIndex == 0;
}

RowStyle recordStyle(int view, int filterIndex, bool done, const QDate &trDate, int alertDays, const QDate &today)
{
    if (view != RowRules::Deadlines || filterIndex == 5)
        return NormalStyle;
    if (done)
        return Barrato;
    return RowRules::isDue(trDate, alertDays, today) ? Expired : NormalStyle;
}

bool hidesAmount(int view, int filterIndex, int trType)
{
    return view == RowRules::Deadlines && filterIndex != 5 && trType == -2;
}

SharedWidths sharedColumnWidths(int view, double gridWidth, bool showId, double scrollBarWidth, int columnCount,
                                double dateWidth, double valueWidth, double incomesWidth)
{
    const double idWidth = showId ? 800 : 0;
    SharedWidths w;
    if (view != RowRules::CashBook) {
        const double r = gridWidth - idWidth - 2 * scrollBarWidth - 10.0 * columnCount - dateWidth - valueWidth - 990 + 100;
        w.description = std::nearbyint(r * 0.6);
        w.account = std::nearbyint(r * 0.4);
    } else {
        const double r = gridWidth - idWidth - 2 * scrollBarWidth - 8.0 * columnCount - dateWidth - 2 * incomesWidth - 660 + 100;
        w.description = std::nearbyint(r * 0.4);
        w.account = std::nearbyint(r * 0.3);
        w.count = std::nearbyint(r * 0.3);
    }
    return w;
}

int calendarColumns(double windowWidthTwips, bool variableColumns)
{
    if (!variableColumns)
        return 1;
    if (windowWidthTwips > 28000)
        return 4;
    if (windowWidthTwips > 24000)
        return 3;
    if (windowWidthTwips > 20000)
        return 2;
    return 1;
}

int languageMenuItem(int appLanguageId)
{
    if (appLanguageId == 0)
        return 0;
    // Items 2..6 of the menu: German, English, Spanish, French, Italian, by their text blocks.
    switch (cLang::offsetForLanguageId(appLanguageId, QString())) {
    case 12000: return 2;
    case 9000: return 4;
    case 6000: return 5;
    case 0: return 6;
    default: return 3;
    }
}

} // namespace MainListRules
