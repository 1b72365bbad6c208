#include "mainwindow/RecordCommands.h"

#include "foundation/Globals.h"
#include "foundation/SeriesRules.h"
#include "foundation/cAccessDb.h"
#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/database/ScopedTransaction.h"

namespace RecordCommands {

namespace {
void executeOne(const QString &sql)
{
    platform::Connection cn;
    cn.Open(Adb->dcs());
    cn.Execute(sql);
    cn.Close();
}
} // namespace

void DeleteRow(int trRowId)
{
    executeOne(QStringLiteral("DELETE FROM Transactions WHERE Transactions.TrRowId=") + QString::number(trRowId));
}

void DeleteSeries(int grpId)
{
    executeOne(QStringLiteral("DELETE FROM Transactions WHERE Transactions.TrGrpId=") + QString::number(grpId));
}

void DeleteFromSeries(int trRowId, int grpId)
{
    platform::Connection cn;
    cn.Open(Adb->dcs());
    platform::ScopedTransaction transaction(cn);
    cn.Execute(QStringLiteral("DELETE FROM Transactions WHERE Transactions.TrRowId=") + QString::number(trRowId));
    SeriesRules::RenumberSeries(cn, grpId);
    transaction.commit();
    cn.Close();
}

QString ToggleDoneSql(int trRowId, const QDate &closingDate)
{
    const QString datePart = closingDate.isValid() ? QStringLiteral(",Transactions.TrDate=") + SqlDate(closingDate) : QString();
    return QStringLiteral("UPDATE Transactions SET Transactions.TrDone = Not TrDone ") + datePart
           + QStringLiteral(" WHERE Transactions.TrRowId=") + QString::number(trRowId);
}

void ToggleDone(int trRowId, const QDate &closingDate)
{
    executeOne(ToggleDoneSql(trRowId, closingDate));
}

} // namespace RecordCommands
