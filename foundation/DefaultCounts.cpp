#include "foundation/DefaultCounts.h"

#include "foundation/AccountTables.h"
#include "foundation/Tables.h"
#include "foundation/cLang.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/RuntimeError.h"

#include <QDir>

void EnsureDefaultCounts(const QString &connectionString)
{
    using platform::Recordset;
    platform::Connection cn;
    cn.Open(connectionString);
    Recordset rs;
    rs.Open(Tables::Counts.name, cn, Recordset::adOpenStatic, Recordset::adLockReadOnly, Recordset::adCmdTable);
    const bool empty = rs.RecordCount() == 0;
    rs.Close();
    if (empty) {
        // An empty table may be all that can still be read of a damaged file: nothing is written into it.
        if (!cn.CheckIntegrity())
            throw platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3.Database"),
                                         LRSV(1955, QDir::toNativeSeparators(cn.databaseFile())));
        platform::ScopedTransaction transaction(cn);
        for (int i = 0; i <= 1; ++i)
            AccountTables::addCount(cn, LRS(1368 + i));
        transaction.commit();
    }
    cn.Close();
}
