#include "importtool/DataImport.h"

#include "importtool/OldDatabase.h"
#include "importtool/OldValues.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/Recordset.h"

#include <QHash>

namespace importtool {

namespace {

using Row = OldTable::Row;
using platform::Currency;
using platform::Recordset;

// Alert days of every imported row.
constexpr int ImportedAlertDays = 2;
// The length of a count's name in the new database.
constexpr int CountNameLength = 50;
// The data sheet that receives the movements of the older cash-book product.
constexpr int CashBookSheet = 1;

// The rows of a table grouped by a whole-number column (rows where it is Null or not a number belong to no
// group), each group in the order of another column.
QHash<qint64, QVector<Row>> groupedBy(const OldTable &table, const QString &groupColumn, const QString &orderColumn)
{
    const int g = table.column(groupColumn);
    QHash<qint64, QVector<Row>> groups;
    for (const Row &row : table.sortedBy(orderColumn))
        if (const auto key = wholeNumberOf(row[g]))
            groups[*key].append(row);
    return groups;
}

// A table of the target opened for adding rows (none of its rows are loaded).
void openForAdding(Recordset &rs, platform::Connection &target, const QString &table)
{
    rs.Open(QStringLiteral("SELECT * FROM %1 WHERE False").arg(table), target, Recordset::adOpenStatic,
            Recordset::adLockOptimistic, Recordset::adCmdText);
}

// The columns of an older table, looked up once by name.
struct Columns {
    QHash<QString, int> index;
    Columns(const OldTable &t, std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            index.insert(QLatin1String(n), t.column(QLatin1String(n)));   // raises for a missing column
    }
    const QVariant &of(const Row &row, const char *name) const { return row[index.value(QLatin1String(name))]; }
};

// One row of Transactions of Orvel 1 or 2, with the account it now belongs to.
void addOrvelRow(Recordset &rs, const Columns &c, const Row &row, const QVariant &acId)
{
    rs.AddNew();
    rs.setValue(QStringLiteral("TrDbId"), c.of(row, "TrDbId"));
    rs.setValue(QStringLiteral("TrType"), c.of(row, "TrType"));
    rs.setValue(QStringLiteral("TrDone"), yesNoOf(c.of(row, "TrDone")));
    rs.setValue(QStringLiteral("TrDate"), dateOf(c.of(row, "TrDate"), QStringLiteral("TrDate")));
    rs.setValue(QStringLiteral("TrDescription"), c.of(row, "TrDescription"));
    rs.setValue(QStringLiteral("TrAcId"), acId);
    rs.setValue(QStringLiteral("TrValue"), amountOf(c.of(row, "TrValue"), QStringLiteral("TrValue")));
    rs.setValue(QStringLiteral("TrBalance"), amountOf(c.of(row, "TrBalance"), QStringLiteral("TrBalance")));
    rs.setValue(QStringLiteral("TrGrpType"), c.of(row, "TrGrpType"));
    rs.setValue(QStringLiteral("TrGrpRow"), c.of(row, "TrGrpRow"));
    rs.setValue(QStringLiteral("TrGrpMDay"), c.of(row, "TrGrpMDay"));
    rs.setValue(QStringLiteral("TrNotes"), c.of(row, "TrNotes"));
    rs.setValue(QStringLiteral("TrGrpId"), c.of(row, "TrGrpId"));
    rs.setValue(QStringLiteral("TrAlertDays"), ImportedAlertDays);
    rs.Update();
}

} // namespace

void ImportOrvel(OldDatabase &source, platform::Connection &target)
{
    // Every table is read (and its columns checked) before the first row is written.
    const OldTable dbs = source.readTable(QStringLiteral("Dbs"));
    const OldTable accounts = source.readTable(QStringLiteral("Accounts"));
    const OldTable transactions = source.readTable(QStringLiteral("Transactions"));
    const Columns dbCols(dbs, {"DbId", "DbName"});
    const Columns acCols(accounts, {"AcId", "AcName"});
    const Columns trCols(transactions, {"TrAcId", "TrRowId", "TrDbId", "TrType", "TrDone", "TrDate", "TrDescription",
                                        "TrValue", "TrBalance", "TrGrpType", "TrGrpRow", "TrGrpMDay", "TrNotes",
                                        "TrGrpId"});
    const auto rowsByAccount = groupedBy(transactions, QStringLiteral("TrAcId"), QStringLiteral("TrRowId"));

    // The old data sheets replace the template's, with their old ids. An old database without any sheet
    // keeps the template's: the program needs one.
    if (!dbs.rows().isEmpty())
        target.Execute(QStringLiteral("DELETE * FROM Dbs"));
    Recordset rsDbs;
    openForAdding(rsDbs, target, QStringLiteral("Dbs"));
    for (const Row &row : dbs.sortedBy(QStringLiteral("DbId"))) {
        rsDbs.AddNew();
        rsDbs.setValue(QStringLiteral("DbId"), dbCols.of(row, "DbId"));
        rsDbs.setValue(QStringLiteral("DbName"), dbCols.of(row, "DbName"));
        rsDbs.Update();
    }
    rsDbs.Close();

    Recordset rsAccounts;
    Recordset rsRows;
    openForAdding(rsAccounts, target, QStringLiteral("Accounts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    for (const Row &account : accounts.sortedBy(QStringLiteral("AcId"))) {
        rsAccounts.AddNew();
        rsAccounts.setValue(QStringLiteral("AcName"), acCols.of(account, "AcName"));
        const qint64 newId = rsAccounts.Update();
        const auto oldId = wholeNumberOf(acCols.of(account, "AcId"));
        if (!oldId || *oldId == 0)
            continue;        // the rows without an account follow below, once
        for (const Row &row : rowsByAccount.value(*oldId))
            addOrvelRow(rsRows, trCols, row, newId);
    }
    for (const Row &row : rowsByAccount.value(0))
        addOrvelRow(rsRows, trCols, row, 0);
    rsAccounts.Close();
    rsRows.Close();
}

void ImportQuilvaro(OldDatabase &source, platform::Connection &target)
{
    const OldTable counts = source.readTable(QStringLiteral("Conti"));
    const OldTable movements = source.readTable(QStringLiteral("Quilvaro"));
    const Columns cnCols(counts, {"cntId", "cntNome"});
    const Columns pnCols(movements, {"pnConto", "pnId", "PnEntrate", "PnUscite", "PnData", "PnDescrizione"});
    const auto movementsByCount = groupedBy(movements, QStringLiteral("pnConto"), QStringLiteral("pnId"));

    Recordset rsCounts;
    Recordset rsRows;
    openForAdding(rsCounts, target, QStringLiteral("Counts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    for (const Row &count : counts.sortedBy(QStringLiteral("cntId"))) {
        rsCounts.AddNew();
        rsCounts.setValue(QStringLiteral("CnName"), leftOf(cnCols.of(count, "cntNome"), CountNameLength));
        const qint64 newId = rsCounts.Update();
        const auto oldId = wholeNumberOf(cnCols.of(count, "cntId"));
        if (!oldId)
            continue;
        for (const Row &row : movementsByCount.value(*oldId)) {
            // An income when its income amount is over zero, else an expense of the expense amount.
            const QVariant income = amountOf(pnCols.of(row, "PnEntrate"), QStringLiteral("PnEntrate"));
            const bool isIncome = income.isValid() && income.value<Currency>() > Currency();
            const int type = isIncome ? 1 : -1;
            const QVariant value = isIncome ? income : amountOf(pnCols.of(row, "PnUscite"), QStringLiteral("PnUscite"));
            const QVariant balance = value.isValid() ? QVariant::fromValue(value.value<Currency>() * type) : QVariant();
            rsRows.AddNew();
            rsRows.setValue(QStringLiteral("TrDbId"), CashBookSheet);
            rsRows.setValue(QStringLiteral("TrType"), type);
            rsRows.setValue(QStringLiteral("TrDone"), true);
            rsRows.setValue(QStringLiteral("TrDate"), dateOf(pnCols.of(row, "PnData"), QStringLiteral("PnData")));
            rsRows.setValue(QStringLiteral("TrDescription"), pnCols.of(row, "PnDescrizione"));
            rsRows.setValue(QStringLiteral("TrAcId"), 0);
            rsRows.setValue(QStringLiteral("TrValue"), value);
            rsRows.setValue(QStringLiteral("TrBalance"), balance);
            rsRows.setValue(QStringLiteral("TrGrpType"), QStringLiteral("n"));
            rsRows.setValue(QStringLiteral("TrGrpRow"), 0);
            rsRows.setValue(QStringLiteral("TrGrpMDay"), 0);
            rsRows.setValue(QStringLiteral("TrGrpId"), 0);
            rsRows.setValue(QStringLiteral("TrAlertDays"), ImportedAlertDays);
            rsRows.setValue(QStringLiteral("TrCountId"), newId);
            rsRows.setValue(QStringLiteral("IsPN"), true);
            rsRows.Update();
        }
    }
    rsCounts.Close();
    rsRows.Close();
}

void ImportData(OldProduct product, OldDatabase &source, platform::Connection &target)
{
    if (product == OldProduct::Quilvaro)
        ImportQuilvaro(source, target);
    else
        ImportOrvel(source, target);
}

} // namespace importtool
