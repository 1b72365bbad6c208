#include "mainwindow/RecordCommands.h"

#include "foundation/Globals.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cAccessDb.h"
#include "platform/database/Connection.h"
#include "platform/database/ScopedTransaction.h"

#include <functional>

namespace RecordCommands {

namespace {
// Runs a statement of the Transactions table on a connection of its own.
void onConnection(const std::function<void(platform::Connection &)> &statement)
{
    platform::Connection cn;
    cn.Open(Adb->dcs());
    statement(cn);
    cn.Close();
}
} // namespace

void DeleteRow(int trRowId)
{
    onConnection([trRowId](platform::Connection &cn) { TransactionsTable::deleteRow(cn, trRowId); });
}

void DeleteSeries(int grpId)
{
    onConnection([grpId](platform::Connection &cn) { TransactionsTable::deleteSeries(cn, grpId); });
}

void DeleteFromSeries(int trRowId, int grpId)
{
    onConnection([trRowId, grpId](platform::Connection &cn) {
        platform::ScopedTransaction transaction(cn);
        TransactionsTable::deleteRow(cn, trRowId);
        TransactionsTable::renumberSeries(cn, grpId);
        transaction.commit();
    });
}

void ToggleDone(int trRowId, const QDate &closingDate)
{
    onConnection([trRowId, closingDate](platform::Connection &cn) {
        TransactionsTable::toggleDone(cn, trRowId, closingDate);
    });
}

} // namespace RecordCommands
