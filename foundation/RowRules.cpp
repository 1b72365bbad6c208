#include "foundation/RowRules.h"

namespace RowRules {

QString dueCondition()
{
    return QStringLiteral("DateDiff('d',Date(),TrDate)<=TrAlertDays");
}

bool isDue(const QDate &trDate, int alertDays, const QDate &today)
{
    return trDate.isValid() && today.daysTo(trDate) <= alertDays;
}

QString cashBookMembership(bool debitCreditToPN)
{
    return debitCreditToPN ? QStringLiteral("(IsPN=True OR (TrDone=True AND TrType<>-2))") : QStringLiteral("IsPN=True");
}

QString viewMembership(int view, bool debitCreditToPN)
{
    return view == CashBook ? cashBookMembership(debitCreditToPN) : QStringLiteral("IsPN=False");
}

QString calendarCondition(int view, bool debitCreditToPN)
{
    return view == CashBook ? cashBookMembership(debitCreditToPN) : QStringLiteral("TrDone=False");
}

QString rowJoin()
{
    return QStringLiteral("FROM (Transactions LEFT JOIN Accounts ON Transactions.TrAcId = Accounts.AcId) "
                          "LEFT JOIN Counts ON Transactions.TrCountId = Counts.CnId ");
}

QString describedRow(const QString &description, int grpId, int grpRow, int grpMDay, bool showCounters,
                     const QString &separator)
{
    if (grpId > 0 && showCounters)
        return description + QLatin1Char(' ') + QString::number(grpRow) + separator + QString::number(grpMDay);
    return description;
}

int duePeriodGroup(const QDate &trDate, const QDate &today)
{
    if (trDate <= today)
        return 0;
    const QDate endOfMonth = QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1);
    return trDate <= endOfMonth ? 1 : 2;
}

int monthGroup(const QDate &trDate)
{
    return trDate.year() * 100 + trDate.month();
}

int typeIcon(int trType, bool closed)
{
    switch (trType) {
    case -2: return closed ? 12 : 7;
    case -1: return closed ? 10 : 6;
    case 1: return closed ? 11 : 5;
    default: return 0;
    }
}

int seriesIcon(int grpId, bool closed)
{
    if (grpId <= 0)
        return 0;
    return closed ? 13 : 9;
}

int attachmentIcon(const QString &attached)
{
    return attached.isEmpty() ? 0 : 14;
}

} // namespace RowRules
