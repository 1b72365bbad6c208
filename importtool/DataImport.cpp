#include "importtool/DataImport.h"

#include "importtool/OldDatabase.h"
#include "importtool/OldValues.h"
#include "importtool/modMain.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/Recordset.h"

#include <QHash>
#include <QMap>
#include <QSet>

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
// The name of a data sheet that the old database names by its number only, and of an account without a name.
constexpr int SheetNameText = 2302;
constexpr int NamelessAccountText = 2303;

// Rows grouped by the whole number of one of their columns (rows where it is Null or not a number belong
// to no group), each group in the order of the rows given.
QHash<qint64, QVector<Row>> groupedBy(const QVector<Row> &rows, int column)
{
    QHash<qint64, QVector<Row>> groups;
    for (const Row &row : rows)
        if (const auto key = wholeNumberOf(row[column]))
            groups[*key].append(row);
    return groups;
}

bool isBlank(const QVariant &value)
{
    return !value.isValid() || value.isNull() || value.toString().trimmed().isEmpty();
}

// True when a reference names something (a whole number other than 0, or any other value than Null).
bool namesSomething(const QVariant &value)
{
    const auto key = wholeNumberOf(value);
    return key ? *key != 0 : value.isValid() && !value.isNull();
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

// One movement of the older cash-book product, as a closed cash-book row of its count.
void addQuilvaroRow(Recordset &rs, const Columns &c, const Row &row, qint64 countId)
{
    // An income when its income amount is over zero, else an expense of the expense amount.
    const QVariant income = amountOf(c.of(row, "PnEntrate"), QStringLiteral("PnEntrate"));
    const bool isIncome = income.isValid() && income.value<Currency>() > Currency();
    const int type = isIncome ? 1 : -1;
    const QVariant value = isIncome ? income : amountOf(c.of(row, "PnUscite"), QStringLiteral("PnUscite"));
    const QVariant balance = value.isValid() ? QVariant::fromValue(value.value<Currency>() * type) : QVariant();
    rs.AddNew();
    rs.setValue(QStringLiteral("TrDbId"), CashBookSheet);
    rs.setValue(QStringLiteral("TrType"), type);
    rs.setValue(QStringLiteral("TrDone"), true);
    rs.setValue(QStringLiteral("TrDate"), dateOf(c.of(row, "PnData"), QStringLiteral("PnData")));
    rs.setValue(QStringLiteral("TrDescription"), c.of(row, "PnDescrizione"));
    rs.setValue(QStringLiteral("TrAcId"), 0);
    rs.setValue(QStringLiteral("TrValue"), value);
    rs.setValue(QStringLiteral("TrBalance"), balance);
    rs.setValue(QStringLiteral("TrGrpType"), QStringLiteral("n"));
    rs.setValue(QStringLiteral("TrGrpRow"), 0);
    rs.setValue(QStringLiteral("TrGrpMDay"), 0);
    rs.setValue(QStringLiteral("TrGrpId"), 0);
    rs.setValue(QStringLiteral("TrAlertDays"), ImportedAlertDays);
    rs.setValue(QStringLiteral("TrCountId"), countId);
    rs.setValue(QStringLiteral("IsPN"), true);
    rs.Update();
}

} // namespace

QStringList OldTablesOf(OldProduct product)
{
    if (product == OldProduct::Quilvaro)
        return {QStringLiteral("Conti"), QStringLiteral("Quilvaro")};
    return {QStringLiteral("Dbs"), QStringLiteral("Accounts"), QStringLiteral("Transactions")};
}

ImportSummary ImportOrvel(OldDatabase &source, platform::Connection &target)
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
    ImportSummary summary;

    // The rows in their old order; a row that names no data sheet could be shown in none.
    const int trSheet = transactions.column(QStringLiteral("TrDbId"));
    const int trAccount = transactions.column(QStringLiteral("TrAcId"));
    QVector<Row> rows;
    for (const Row &row : transactions.sortedBy(QStringLiteral("TrRowId"))) {
        if (wholeNumberOf(row[trSheet]))
            rows.append(row);
        else
            ++summary.rowsWithoutSheet;
    }

    // The data sheets: the old ones with their old ids (the first of an id given twice), then those that
    // rows name and the old database lacks. Without any, the template's stays: the program needs one.
    QMap<qint64, QVariant> sheets;
    for (const Row &row : dbs.sortedBy(QStringLiteral("DbId")))
        if (const auto id = wholeNumberOf(dbCols.of(row, "DbId")); id && !sheets.contains(*id))
            sheets.insert(*id, dbCols.of(row, "DbName"));
    for (const Row &row : rows)
        if (const qint64 id = *wholeNumberOf(row[trSheet]); !sheets.contains(id))
            sheets.insert(id, QVariant());
    if (!sheets.isEmpty())
        target.Execute(QStringLiteral("DELETE * FROM Dbs"));
    Recordset rsDbs;
    openForAdding(rsDbs, target, QStringLiteral("Dbs"));
    for (auto sheet = sheets.cbegin(); sheet != sheets.cend(); ++sheet) {
        rsDbs.AddNew();
        rsDbs.setValue(QStringLiteral("DbId"), sheet.key());
        rsDbs.setValue(QStringLiteral("DbName"), isBlank(sheet.value()) ? QVariant(LRSV(SheetNameText, sheet.key()))
                                                                         : sheet.value());
        rsDbs.Update();
    }
    rsDbs.Close();

    // Each account followed by its rows; an account without a name (the new database requires one) under
    // a name that shows its old number, so that the user can find it and name it.
    const auto rowsByAccount = groupedBy(rows, trAccount);
    QSet<qint64> withTheirAccount;
    Recordset rsAccounts;
    Recordset rsRows;
    openForAdding(rsAccounts, target, QStringLiteral("Accounts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    for (const Row &account : accounts.sortedBy(QStringLiteral("AcId"))) {
        const auto oldId = wholeNumberOf(acCols.of(account, "AcId"));
        const QVariant &name = acCols.of(account, "AcName");
        rsAccounts.AddNew();
        rsAccounts.setValue(QStringLiteral("AcName"),
                            isBlank(name) ? QVariant(LRSV(NamelessAccountText, oldId ? QString::number(*oldId)
                                                                                      : QStringLiteral("?")))
                                          : name);
        const qint64 newId = rsAccounts.Update();
        if (!oldId || *oldId == 0 || withTheirAccount.contains(*oldId))
            continue;        // the rows without an account follow below, once
        withTheirAccount.insert(*oldId);
        for (const Row &row : rowsByAccount.value(*oldId))
            addOrvelRow(rsRows, trCols, row, newId);
    }
    // Then the rows without an account, in their old order: those with none, and those whose account the
    // old database no longer holds (kept, without it, rather than lost).
    for (const Row &row : rows) {
        const auto account = wholeNumberOf(row[trAccount]);
        if (account && withTheirAccount.contains(*account))
            continue;
        if (namesSomething(row[trAccount]))
            ++summary.rowsWithoutAccount;
        addOrvelRow(rsRows, trCols, row, 0);
    }
    rsAccounts.Close();
    rsRows.Close();
    return summary;
}

ImportSummary ImportQuilvaro(OldDatabase &source, platform::Connection &target)
{
    const OldTable counts = source.readTable(QStringLiteral("Conti"));
    const OldTable movements = source.readTable(QStringLiteral("Quilvaro"));
    const Columns cnCols(counts, {"cntId", "cntNome"});
    const Columns pnCols(movements, {"pnConto", "pnId", "PnEntrate", "PnUscite", "PnData", "PnDescrizione"});
    const QVector<Row> inOrder = movements.sortedBy(QStringLiteral("pnId"));
    const int pnCount = movements.column(QStringLiteral("pnConto"));
    const auto movementsByCount = groupedBy(inOrder, pnCount);
    ImportSummary summary;

    QSet<qint64> withTheirCount;
    Recordset rsCounts;
    Recordset rsRows;
    openForAdding(rsCounts, target, QStringLiteral("Counts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    for (const Row &count : counts.sortedBy(QStringLiteral("cntId"))) {
        rsCounts.AddNew();
        rsCounts.setValue(QStringLiteral("CnName"), leftOf(cnCols.of(count, "cntNome"), CountNameLength));
        const qint64 newId = rsCounts.Update();
        const auto oldId = wholeNumberOf(cnCols.of(count, "cntId"));
        if (!oldId || withTheirCount.contains(*oldId))
            continue;
        withTheirCount.insert(*oldId);
        for (const Row &row : movementsByCount.value(*oldId))
            addQuilvaroRow(rsRows, pnCols, row, newId);
    }
    // Then the movements whose count the old database no longer holds, without a count.
    for (const Row &row : inOrder) {
        const auto count = wholeNumberOf(row[pnCount]);
        if (count && withTheirCount.contains(*count))
            continue;
        ++summary.movementsWithoutCount;
        addQuilvaroRow(rsRows, pnCols, row, 0);
    }
    rsCounts.Close();
    rsRows.Close();
    return summary;
}

ImportSummary ImportData(OldProduct product, OldDatabase &source, platform::Connection &target)
{
    if (product == OldProduct::Quilvaro)
        return ImportQuilvaro(source, target);
    return ImportOrvel(source, target);
}

} // namespace importtool
