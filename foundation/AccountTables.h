#pragma once

#include <QList>
#include <QString>

namespace platform { class Connection; }

// The two tables that every data sheet shares and the accounts window lists: customers and suppliers
// (Accounts, tab 1) and collection or payment accounts (Counts, tab 2), with the statements on them: the
// lists of names the editors and the report choose from, the references of rows to them, the deletion of
// a row, and the counts every database starts with. A row of either is deleted only when no deadline or
// cash-book row of any data sheet refers to it.
namespace AccountTables {

enum Tab : int { AccountsTab = 1, CountsTab = 2 };

bool isTab(int tab);
// "Accounts" / "Counts"; "" for any other tab.
QString tableName(int tab);
// The key column: "AcId" / "CnId"; "" for any other tab.
QString idField(int tab);
// The texts of the Counts tab lie 500 after those of the Accounts tab.
int textId(int accountsTextId, int tab);

// The entries to choose from, in name order: id and name (AcId, AcName / CnId, CnName); "" for any other
// tab.
QString listSql(int tab);

// Adds a count of that name (its id given by the database), on the caller's connection.
void addCount(platform::Connection &cn, const QString &name);

// True when a Transactions row of any data sheet refers to the row `id` of the tab's table.
bool isReferenced(platform::Connection &cn, int tab, int id);

// The table of a row that a Transactions row would refer to and that does not exist: AccountsTab when the
// customer acId is missing, CountsTab when the count countId is; 0 when both exist (an id of 0 refers to
// nothing and is never missing).
int missingEntry(platform::Connection &cn, int acId, int countId);

// True when the row `id` is the last one of the Counts table, which is never left empty (the editors and
// the cash book need an account to collect or pay with).
bool isLastCount(platform::Connection &cn, int tab, int id);

enum class DeleteResult { Deleted, Referenced, NotFound, LastCount };
// Deletes the row `id` of the tab's table in one transaction, when no row refers to it and it is not the
// last count (both tested again inside the transaction). A failure rolls the transaction back, leaves the
// table as it was and raises RuntimeError.
DeleteResult deleteRow(platform::Connection &cn, int tab, int id);

// Widths in twips of the grid's name column (and, on the Accounts tab, its notes column) for a grid that is
// gridWidth twips wide with a vertical scroll bar barWidth wide: what the icon column and the scroll bar
// leave, 40 : 60 between name and notes. Empty when nothing is left.
QList<int> columnWidths(int tab, double gridWidth, double barWidth);

} // namespace AccountTables
