#include "foundation/AccountTables.h"

#include "foundation/Tables.h"
#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"

#include <cmath>

namespace AccountTables {

namespace {

// What the icon column and the grid's borders take of the width, in twips.
constexpr double FixedColumnsWidth = 445;

QString referenceSql(int tab, int id)
{
    if (tab == AccountsTab)
        return QStringLiteral("SELECT Accounts.AcId FROM Accounts INNER JOIN Transactions ON Accounts.AcId = "
                              "Transactions.TrAcId WHERE Accounts.AcId=%1")
            .arg(id);
    return QStringLiteral("SELECT Counts.CnId FROM Counts INNER JOIN Transactions ON Counts.CnId = "
                          "Transactions.TrCountId WHERE Counts.CnId=%1")
        .arg(id);
}

const Tables::Table *table(int tab)
{
    switch (tab) {
    case AccountsTab: return &Tables::Accounts;
    case CountsTab: return &Tables::Counts;
    default: return nullptr;
    }
}

} // namespace

bool isTab(int tab)
{
    return tab == AccountsTab || tab == CountsTab;
}

QString tableName(int tab)
{
    const Tables::Table *t = table(tab);
    return t ? QString(t->name) : QString();
}

QString idField(int tab)
{
    const Tables::Table *t = table(tab);
    return t ? QString(t->key) : QString();
}

int textId(int accountsTextId, int tab)
{
    return accountsTextId + (tab - 1) * 500;
}

QString listSql(int tab)
{
    switch (tab) {
    case AccountsTab: return QStringLiteral("SELECT AcId, AcName FROM Accounts ORDER BY AcName");
    case CountsTab: return QStringLiteral("SELECT CnId, CnName FROM Counts ORDER BY CnName");
    default: return QString();
    }
}

void addCount(platform::Connection &cn, const QString &name)
{
    cn.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT '") + SqlQuote(name) + QLatin1Char('\''));
}

bool isReferenced(platform::Connection &cn, int tab, int id)
{
    if (!isTab(tab))
        return false;
    platform::Recordset rs;
    rs.Open(referenceSql(tab, id), cn, platform::Recordset::adOpenStatic, platform::Recordset::adLockReadOnly,
            platform::Recordset::adCmdText);
    const bool used = rs.RecordCount() >= 1;
    rs.Close();
    return used;
}

int missingEntry(platform::Connection &cn, int acId, int countId)
{
    for (const auto &[tab, id] : {std::pair{int(AccountsTab), acId}, std::pair{int(CountsTab), countId}}) {
        if (id != 0 && !Tables::exists(cn, *table(tab), id))
            return tab;
    }
    return 0;
}

bool isLastCount(platform::Connection &cn, int tab, int id)
{
    if (tab != CountsTab)
        return false;
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT CnId FROM Counts WHERE CnId<>%1").arg(id), cn, platform::Recordset::adOpenForwardOnly,
            platform::Recordset::adLockReadOnly, platform::Recordset::adCmdText);
    const bool last = rs.EOF();
    rs.Close();
    return last;
}

DeleteResult deleteRow(platform::Connection &cn, int tab, int id)
{
    if (!isTab(tab))
        return DeleteResult::NotFound;
    // The checks and the delete in one transaction: no row can come to name it in between.
    platform::ScopedTransaction transaction(cn);
    if (isReferenced(cn, tab, id))
        return DeleteResult::Referenced;
    if (isLastCount(cn, tab, id))
        return DeleteResult::LastCount;
    const long removed =
        cn.Execute(QStringLiteral("DELETE * FROM %1 WHERE %2=%3").arg(tableName(tab), idField(tab)).arg(id));
    transaction.commit();
    return removed > 0 ? DeleteResult::Deleted : DeleteResult::NotFound;
}

QList<int> columnWidths(int tab, double gridWidth, double barWidth)
{
    const double free = gridWidth - (FixedColumnsWidth + barWidth);
    if (free <= 0 || !isTab(tab))
        return {};
    if (tab == AccountsTab)
        return {int(std::lround(free * 0.4)), int(std::lround(free * 0.6))};
    return {int(std::lround(free))};
}

} // namespace AccountTables
