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

} // namespace RowRules
