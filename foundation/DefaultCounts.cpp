#include "foundation/DefaultCounts.h"

#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"

void EnsureDefaultCounts(const QString &connectionString)
{
    using platform::Recordset;
    platform::Connection cn;
    cn.Open(connectionString);
    Recordset rs;
    rs.Open(QStringLiteral("Counts"), cn, Recordset::adOpenStatic, Recordset::adLockReadOnly, Recordset::adCmdTable);
    const bool empty = rs.RecordCount() == 0;
    rs.Close();
    if (empty) {
        cn.BeginTrans();
        try {
            for (int i = 0; i <= 1; ++i)
                cn.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT '") + SqlQuote(LRS(1368 + i))
                           + QLatin1Char('\''));
            cn.CommitTrans();
        } catch (...) {
            if (cn.inTransaction())
                cn.RollbackTrans();
            throw;
        }
    }
    cn.Close();
}
