#include "foundation/SheetsTable.h"

#include "foundation/Tables.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"

using platform::Recordset;

namespace SheetsTable {

QString listSql()
{
    return QStringLiteral("SELECT * FROM Dbs ORDER BY DbId");
}

std::optional<int> lowestId(platform::Connection &cn)
{
    Recordset rs;
    rs.Open(listSql(), cn, Recordset::adOpenForwardOnly, Recordset::adLockReadOnly, Recordset::adCmdText);
    std::optional<int> id;
    if (!rs.EOF())
        id = rs.value(QStringLiteral("DbId")).toInt();
    rs.Close();
    return id;
}

int sheetToUse(const QString &connectionString, int wanted)
{
    platform::Connection cn;
    cn.Open(connectionString);
    const int id = Tables::exists(cn, Tables::Dbs, wanted) ? wanted : lowestId(cn).value_or(wanted);
    cn.Close();
    return id;
}

QString name(const QString &connectionString, int sheetId)
{
    Recordset rs;
    rs.Open(Tables::rowSql(Tables::Dbs, sheetId), connectionString);
    const QString name = rs.EOF() ? QString() : NullToString(rs.value(QStringLiteral("DbName")));
    rs.Close();
    return name;
}

bool nameExists(const QString &connectionString, const QString &name)
{
    Recordset rs;
    rs.Open(QStringLiteral("SELECT DbId FROM Dbs WHERE DbName='") + SqlQuote(name) + QLatin1Char('\''),
            connectionString, Recordset::adOpenForwardOnly, Recordset::adLockReadOnly, Recordset::adCmdText);
    const bool found = !rs.EOF();
    rs.Close();
    return found;
}

int create(const QString &connectionString, const QString &name)
{
    platform::Connection cn;
    cn.Open(connectionString);
    platform::ScopedTransaction transaction(cn);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT Max(Dbs.DbId) AS MaxDiDbId FROM Dbs"), cn, Recordset::adOpenForwardOnly,
            Recordset::adLockReadOnly, Recordset::adCmdText);
    const int newId = rs.value(QStringLiteral("MaxDiDbId")).toInt() + 1;
    rs.Close();
    cn.Execute(QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT ") + QString::number(newId)
               + QStringLiteral(", '") + SqlQuote(name) + QLatin1Char('\''));
    transaction.commit();
    cn.Close();
    return newId;
}

void rename(const QString &connectionString, int sheetId, const QString &name)
{
    platform::Connection cn;
    cn.Open(connectionString);
    cn.Execute(QStringLiteral("UPDATE Dbs SET Dbs.DbName = '") + SqlQuote(name) + QStringLiteral("' WHERE Dbs.DbId=")
               + QString::number(sheetId));
    cn.Close();
}

void erase(const QString &connectionString, int sheetId)
{
    if (sheetId == 1)
        throw platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3.Dbs"), LRS(1946));
    platform::Connection cn;
    cn.Open(connectionString);
    platform::ScopedTransaction transaction(cn);
    TransactionsTable::deleteSheetRows(cn, sheetId);
    cn.Execute(QStringLiteral("DELETE * FROM Dbs WHERE DbId=") + QString::number(sheetId));
    transaction.commit();
    cn.Close();
}

} // namespace SheetsTable
