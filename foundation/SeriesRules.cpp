#include "foundation/SeriesRules.h"

#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"

namespace SeriesRules {

int RenumberSeries(platform::Connection &cn, int grpId)
{
    const QString id = QString::number(grpId);
    int count = 0;
    {
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT Count(Transactions.TrRowId) AS CTrRowId From Transactions WHERE TrGrpId=") + id, cn,
                platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly);
        if (!rs.EOF())
            count = int(NullToDouble(rs.value(QStringLiteral("CTrRowId")), 0));
        rs.Close();
    }
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrGrpId=") + id + QStringLiteral(" ORDER BY TrDate"), cn,
            platform::Recordset::adOpenStatic, platform::Recordset::adLockOptimistic);
    for (int k = 1; !rs.EOF(); ++k, rs.MoveNext()) {
        rs.setValue(QStringLiteral("TrGrpRow"), k);
        rs.setValue(QStringLiteral("TrGrpMDay"), count);
        rs.Update();
    }
    rs.Close();
    return count;
}

} // namespace SeriesRules
