#include "foundation/Tables.h"

#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"

namespace Tables {

QString rowSql(const Table &table, int id)
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2=%3").arg(table.name, table.key).arg(id);
}

bool exists(platform::Connection &cn, const Table &table, int id)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT %1 FROM %2 WHERE %1=%3").arg(table.key, table.name).arg(id), cn,
            platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
            platform::Recordset::adCmdText);
    const bool found = !rs.EOF();
    rs.Close();
    return found;
}

QString columnsSql(QLatin1String table)
{
    return QStringLiteral("SELECT * FROM %1 WHERE False").arg(table);
}

} // namespace Tables
