#include "foundation/TransactionsTable.h"

#include "foundation/RowRules.h"
#include "foundation/TransactionsList.h"
#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"

using platform::Currency;
using platform::Recordset;

namespace TransactionsTable {

namespace {

const QString SingleHead = QStringLiteral(
    "INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, TrBalance, "
    "TrGrpType, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) ");
const QString SeriesHead = QStringLiteral(
    "INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, TrBalance, "
    "TrGrpType, TrGrpRow, TrGrpMDay, TrGrpId, TrAlertDays, TrCountId, TrDone, TrAttached ) ");

// An amount as the statements write it: locale-independent, a period as decimal separator, only the
// digits needed, and a leading blank before a value that is not negative (" 100", " 12.5", "-12.5").
QString amountLiteral(Currency amount)
{
    const QString text = amount.toString();
    return amount.raw() < 0 ? text : QLatin1Char(' ') + text;
}

QString insertSql(const NewRow &r)
{
    const bool series = !r.cadenceLetter.isEmpty();
    QString sql = (series ? SeriesHead : SingleHead) + QStringLiteral("SELECT ") + QString::number(r.sheetId)
                  + QStringLiteral(", ") + QString::number(r.type) + QStringLiteral(", ") + SqlDate(r.date)
                  + QStringLiteral(", '") + SqlQuote(r.description) + QStringLiteral("', '") + SqlQuote(r.notes)
                  + QStringLiteral("', ") + QString::number(r.acId) + QStringLiteral(", ") + amountLiteral(r.value)
                  + QStringLiteral(", ") + amountLiteral(r.value * r.type);
    if (series)
        sql += QStringLiteral(", '") + SqlQuote(r.cadenceLetter) + QStringLiteral("', ") + QString::number(r.grpRow)
               + QStringLiteral(", ") + QString::number(r.grpMDay) + QStringLiteral(", ");
    else
        sql += QStringLiteral(", 'n', ");
    return sql + QString::number(r.grpId) + QStringLiteral(", ") + QString::number(r.alertDays) + QStringLiteral(", ")
           + QString::number(r.countId) + QStringLiteral(", ") + (r.done ? QStringLiteral("-1") : QStringLiteral("0"))
           + (r.attached.isEmpty() ? QStringLiteral(", NULL")
                                   : QStringLiteral(", '") + SqlQuote(r.attached) + QLatin1Char('\''));
}

QString closedRowsCondition(const QDate &lastDay, int sheetId)
{
    return QStringLiteral("TrDate<=") + SqlDate(lastDay) + QStringLiteral(" AND TrDone=True AND TrDbId=")
           + QString::number(sheetId);
}

} // namespace

void deleteRow(platform::Connection &cn, int trRowId)
{
    cn.Execute(QStringLiteral("DELETE FROM Transactions WHERE Transactions.TrRowId=") + QString::number(trRowId));
}

void deleteSeries(platform::Connection &cn, int grpId)
{
    cn.Execute(QStringLiteral("DELETE FROM Transactions WHERE Transactions.TrGrpId=") + QString::number(grpId));
}

void toggleDone(platform::Connection &cn, int trRowId, const QDate &closingDate)
{
    const QString datePart =
        closingDate.isValid() ? QStringLiteral(",Transactions.TrDate=") + SqlDate(closingDate) : QString();
    cn.Execute(QStringLiteral("UPDATE Transactions SET Transactions.TrDone = Not TrDone ") + datePart
               + QStringLiteral(" WHERE Transactions.TrRowId=") + QString::number(trRowId));
}

int renumberSeries(platform::Connection &cn, int grpId)
{
    const QString id = QString::number(grpId);
    int count = 0;
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT Count(Transactions.TrRowId) AS CTrRowId From Transactions WHERE TrGrpId=") + id,
                cn, Recordset::adOpenForwardOnly, Recordset::adLockReadOnly);
        if (!rs.EOF())
            count = int(NullToDouble(rs.value(QStringLiteral("CTrRowId")), 0));
        rs.Close();
    }
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrGrpId=") + id + QStringLiteral(" ORDER BY TrDate"), cn,
            Recordset::adOpenStatic, Recordset::adLockOptimistic);
    for (int k = 1; !rs.EOF(); ++k, rs.MoveNext()) {
        rs.setValue(QStringLiteral("TrGrpRow"), k);
        rs.setValue(QStringLiteral("TrGrpMDay"), count);
        rs.Update();
    }
    rs.Close();
    return count;
}

int nextGroupId(platform::Connection &cn)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT Max(Transactions.TrGrpId) AS mId FROM Transactions"), cn,
            Recordset::adOpenForwardOnly, Recordset::adLockReadOnly);
    const int id = rs.EOF() ? 1 : int(NullToDouble(rs.value(QStringLiteral("mId")), 0)) + 1;
    rs.Close();
    return id;
}

void insertRow(platform::Connection &cn, const NewRow &row)
{
    cn.Execute(insertSql(row));
}

int countDueDeadlines(const QString &connectionString, int sheetId)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrDone=False And ") + RowRules::dueCondition()
                + QStringLiteral(" And TrDbId=") + QString::number(sheetId),
            connectionString, Recordset::adOpenStatic, Recordset::adLockReadOnly, Recordset::adCmdText);
    const int n = rs.RecordCount();
    rs.Close();
    return n;
}

int countClosedRows(platform::Connection &cn, const QDate &lastDay, int sheetId)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TrRowId From Transactions WHERE ") + closedRowsCondition(lastDay, sheetId), cn,
            Recordset::adOpenStatic, Recordset::adLockReadOnly);
    const int n = rs.RecordCount();
    rs.Close();
    return n;
}

int deleteClosedRows(platform::Connection &cn, const QDate &lastDay, int sheetId)
{
    platform::ScopedTransaction transaction(cn);
    const long deleted =
        cn.Execute(QStringLiteral("DELETE * FROM Transactions WHERE ") + closedRowsCondition(lastDay, sheetId));
    transaction.commit();
    return int(deleted);
}

void deleteSheetRows(platform::Connection &cn, int sheetId)
{
    cn.Execute(QStringLiteral("DELETE * FROM Transactions WHERE TrDbId=") + QString::number(sheetId));
}

DateBounds dateBounds(const QString &connectionString)
{
    DateBounds bounds;
    Recordset rs;
    // Each bound on its own: the engine then reads it from the end of the index of days, where both in one
    // statement would read the whole index.
    rs.Open(QStringLiteral("SELECT (SELECT Min(Transactions.TrDate) FROM Transactions) AS Date1, "
                           "(SELECT Max(Transactions.TrDate) FROM Transactions) AS Date2"),
            connectionString);
    if (!rs.EOF()) {
        bounds.first = TransactionsList::dateOf(rs.value(QStringLiteral("Date1")));
        bounds.last = TransactionsList::dateOf(rs.value(QStringLiteral("Date2")));
    }
    rs.Close();
    return bounds;
}

} // namespace TransactionsTable
