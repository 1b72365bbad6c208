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

// Adds each owner (an account, a count) in the order given, followed by its rows in their order; then the
// rows without one, in their order: those that name none, and those whose owner the old database no longer
// holds, kept without it rather than lost. An owner id given twice takes its rows once. Gives the number of
// rows whose owner is gone. addOwner adds an owner and gives its new id; addRow adds a row with its owner's
// new id (0 for none).
template <class AddOwner, class AddRow>
int AddOwnersAndRows(const QVector<Row> &owners, int ownerId, const QVector<Row> &rows, int rowOwner,
                     AddOwner addOwner, AddRow addRow)
{
    QHash<qint64, QVector<Row>> rowsByOwner;
    for (const Row &row : rows)
        if (const auto id = wholeNumberOf(row[rowOwner]))
            rowsByOwner[*id].append(row);
    QSet<qint64> withTheirOwner;
    for (const Row &owner : owners) {
        const qint64 newId = addOwner(owner);
        const auto oldId = wholeNumberOf(owner[ownerId]);
        if (!oldId || *oldId == 0 || withTheirOwner.contains(*oldId))
            continue;
        withTheirOwner.insert(*oldId);
        for (const Row &row : rowsByOwner.value(*oldId))
            addRow(row, newId);
    }
    int ownerGone = 0;
    for (const Row &row : rows) {
        const auto id = wholeNumberOf(row[rowOwner]);
        if (id && withTheirOwner.contains(*id))
            continue;
        if (namesSomething(row[rowOwner]))
            ++ownerGone;
        addRow(row, 0);
    }
    return ownerGone;
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
    Recordset rsAccounts;
    Recordset rsRows;
    openForAdding(rsAccounts, target, QStringLiteral("Accounts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    const int acId = accounts.column(QStringLiteral("AcId"));
    summary.rowsWithoutAccount = AddOwnersAndRows(
        accounts.sortedBy(QStringLiteral("AcId")), acId, rows, trAccount,
        [&](const Row &account) {
            const auto oldId = wholeNumberOf(account[acId]);
            const QVariant &name = acCols.of(account, "AcName");
            rsAccounts.AddNew();
            rsAccounts.setValue(QStringLiteral("AcName"),
                                isBlank(name) ? QVariant(LRSV(NamelessAccountText, oldId ? QString::number(*oldId)
                                                                                          : QStringLiteral("?")))
                                              : name);
            return rsAccounts.Update();
        },
        [&](const Row &row, qint64 accountId) { addOrvelRow(rsRows, trCols, row, accountId); });
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
    ImportSummary summary;

    // Each count followed by its movements, then the movements whose count is gone, without a count.
    Recordset rsCounts;
    Recordset rsRows;
    openForAdding(rsCounts, target, QStringLiteral("Counts"));
    openForAdding(rsRows, target, QStringLiteral("Transactions"));
    summary.movementsWithoutCount = AddOwnersAndRows(
        counts.sortedBy(QStringLiteral("cntId")), counts.column(QStringLiteral("cntId")),
        movements.sortedBy(QStringLiteral("pnId")), movements.column(QStringLiteral("pnConto")),
        [&](const Row &count) {
            rsCounts.AddNew();
            rsCounts.setValue(QStringLiteral("CnName"), leftOf(cnCols.of(count, "cntNome"), CountNameLength));
            return rsCounts.Update();
        },
        [&](const Row &row, qint64 countId) { addQuilvaroRow(rsRows, pnCols, row, countId); });
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
