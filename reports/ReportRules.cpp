#include "reports/ReportRules.h"

#include "foundation/RowRules.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/modShared.h"
#include "platform/shell/Shell.h"

#include <QStringList>
#include <utility>

namespace ReportRules {

namespace {

// Texts of the option boxes the summary names.
constexpr int StateCaptions[2] = {953, 956};
constexpr int TypeCaptions[3] = {1610, 1612, 1614};
constexpr int TypeCodes[3] = {1, -1, -2};

// The period's first and last day, the earlier one first whatever order the pickers hold.
std::pair<QDate, QDate> periodBounds(const Options &o)
{
    if (o.from.isValid() && o.to.isValid() && o.to < o.from)
        return {o.to, o.from};
    return {o.from, o.to};
}

int countChecked(const auto &boxes)
{
    int n = 0;
    for (bool b : boxes)
        n += b ? 1 : 0;
    return n;
}

} // namespace

QString ReportSelect()
{
    return QStringLiteral("SELECT TrRowId, TrDbId, TrType, TrDone, TrDate, TrDescription, TrAcId, TrValue, TrBalance, "
                          "TrGrpType, TrGrpRow, TrGrpMDay, TrNotes, TrGrpId, Accounts.*, '' AS SearchField, "
                          "TrAlertDays, CnName, TrAttached ")
           + RowRules::rowJoin();
}

QString ReportColumnsSql()
{
    // A condition the engine knows to be false before it reads a row: the columns come without a scan of
    // the table (no index leads to the rows of a data sheet).
    return ReportSelect() + QStringLiteral("Where False");
}

QString ReportSql(const Options &o, int sheetId, bool debitCreditToPN)
{
    QString sql = ReportSelect() + QStringLiteral("WHERE TrDbId=") + QString::number(sheetId);
    if (o.kind != CashBook) {
        sql += QStringLiteral(" AND ") + RowRules::viewMembership(RowRules::Deadlines, debitCreditToPN);
        if (countChecked(o.states) == 1)
            sql += QStringLiteral(" AND ") + (o.states[0] ? QStringLiteral("TrDone = False") : QStringLiteral("TrDone = True"));
        QStringList codes;
        for (int i = 0; i < 3; ++i)
            if (o.types[size_t(i)])
                codes << QString::number(TypeCodes[i]);
        if (codes.size() == 1)
            sql += QStringLiteral(" AND TrType = ") + codes[0];
        else if (codes.size() == 2)
            sql += QStringLiteral(" AND (TrType = xx OR TrType = yy)")
                       .replace(QLatin1String("xx"), codes[0])
                       .replace(QLatin1String("yy"), codes[1]);
    } else {
        sql += QStringLiteral(" AND ") + RowRules::viewMembership(RowRules::CashBook, debitCreditToPN);
    }
    if (o.period) {
        const auto [first, last] = periodBounds(o);
        sql += QStringLiteral(" AND (TrDate Between ") + SqlDate(first) + QStringLiteral(" And ") + SqlDate(last)
               + QLatin1Char(')');
    }
    // A filter without a chosen item (an empty list) selects nothing more.
    if (o.account && o.accountId >= 0)
        sql += QStringLiteral(" AND TrAcId = ") + QString::number(o.accountId);
    if (o.count && o.countId >= 0)
        sql += QStringLiteral(" AND TrCountId = ") + QString::number(o.countId);
    return sql;
}

QString GroupColumnKey(int groupKind)
{
    switch (groupKind) {
    case ByDate: return QStringLiteral("gexDateGroup");
    case ByAccount: return QStringLiteral("AcName");
    case ByCount: return QStringLiteral("CnName");
    default: return QString();
    }
}

QList<int> SecondLevelKinds(int firstLevel)
{
    QList<int> kinds;
    if (firstLevel <= NoGroup || firstLevel > ByCount)
        return kinds;
    for (int k = ByDate; k <= ByCount; ++k)
        if (k != firstLevel)
            kinds << k;
    return kinds;
}

int GroupKeyOfDate(const QDate &date, int mode, const QDate &today)
{
    if (!date.isValid())
        return 0;
    switch (mode) {
    case ByPeriod:
        return RowRules::duePeriodGroup(date, today);
    case ByMonth:
        return RowRules::monthGroup(date);
    case ByQuarter:
        return date.year() * 10 + (date.month() - 1) / 3 + 1;
    case ByFourMonths:
        return date.year() * 10 + FourMonthPeriod(date);
    case ByYear:
        return date.year();
    default:
        return 0;
    }
}

QString DateGroupCaption(int mode, int key, const QDate &groupDate)
{
    const QString year = QString::number(groupDate.year());
    switch (mode) {
    case ByPeriod:
        return QLatin1Char(' ') + LRS(1060 + key);
    case ByMonth:
        return QLatin1Char(' ') + platform::userLocale().toString(groupDate, QStringLiteral("MMMM yyyy"));
    case ByQuarter:
        return QLatin1Char(' ') + LRS(1670) + QString::number((groupDate.month() - 1) / 3 + 1) + QLatin1Char(' ') + year;
    case ByFourMonths:
        return LRS(1671) + QString::number(FourMonthPeriod(groupDate)) + QLatin1Char(' ') + year;
    case ByYear:
        return QLatin1Char(' ') + year;
    default:
        return QString();
    }
}

QString TotalSuffix(const QVariant &total)
{
    return QStringLiteral(" [") + formatNamed(total, QStringLiteral("Currency")) + QLatin1Char(']');
}

platform::Currency ReportTotal(int kind, bool done, platform::Currency balance)
{
    if (kind != CashBook && done)
        return platform::Currency();
    return balance;
}



QString FilterSummary(const Options &o)
{
    const QString separator = QStringLiteral(" | ");
    QString text = LRS(1606) + QStringLiteral(": ");
    if (o.kind != CashBook) {
        if (countChecked(o.states) == 1)
            text += LRS(StateCaptions[o.states[0] ? 0 : 1]) + separator;
        if (countChecked(o.types) < 3) {
            QStringList names;
            for (int i = 0; i < 3; ++i)
                if (o.types[size_t(i)])
                    names << LRS(TypeCaptions[i]);
            text += names.join(QStringLiteral(", ")) + separator;
        }
    }
    if (o.period) {
        const auto [first, last] = periodBounds(o);
        text += formatNamed(first, QStringLiteral("Short Date")) + QLatin1Char('-')
                + formatNamed(last, QStringLiteral("Short Date")) + separator;
    }
    if (o.account)
        text += o.accountName + separator;
    if (o.count)
        text += o.countName + separator;
    if (text.endsWith(separator))
        text.chop(separator.size());
    return text;
}

QString PageCounter(int page, int count)
{
    return QString::number(page) + QLatin1Char(' ') + LRS(1050) + QLatin1Char(' ') + QString::number(count);
}

QList<PrintedColumn> PrintedColumns(const Options &o)
{
    const bool cash = o.kind == CashBook;
    return {
        {"TrType", 330, !cash},
        {"TrRowId", 800, o.columns[IdColumn]},
        {"TrDescription", 5420, true},
        {"AcName", 2960, o.columns[AccountColumn]},
        {"CnName", 1960, o.columns[CountColumn]},
        {"TrValue", 1180, !cash},
        {"gexIncomes", 1180, cash},
        {"gexExpenses", 1180, cash},
        {"TrDate", 1420, true},
    };
}

int ReportGridWidth(const Options &o)
{
    // The sheet's group column and the type column count whether or not they print.
    int width = 330 + 330;
    for (const PrintedColumn &c : PrintedColumns(o)) {
        const QLatin1String key(c.key);
        if (key == QLatin1String("TrType"))
            continue;
        if (c.shown || key == QLatin1String("TrDescription") || key == QLatin1String("TrDate"))
            width += c.width;
    }
    return width;
}

} // namespace ReportRules
