#pragma once

#include <QString>
#include <QStringList>

namespace platform { class Connection; }

namespace importtool {

class OldDatabase;

// The older products whose databases are imported, by the index of their choice in the wizard.
enum class OldProduct : int { Orvel1 = 0, Orvel2 = 1, Quilvaro = 2 };

// The tables of a product's database that an import reads.
QStringList OldTablesOf(OldProduct product);

// What an import could not copy as the older database holds it, for the user to be told.
struct ImportSummary {
    int rowsWithoutAccount = 0;      // rows whose client/supplier is gone: imported without one
    int movementsWithoutCount = 0;   // movements whose collection or payment account is gone: without one
    int rowsWithoutSheet = 0;        // rows that name no data sheet: not imported
};

// Copies the data of an older database into a fresh database (made from the template) through an open
// connection, inside the caller's transaction. Every read of the older database takes a whole table and
// orders it here. Raises RuntimeError when a table or column is missing or a value does not fit; the
// caller then rolls the transaction back.
//
// Orvel 1 and 2: the data sheets replace the template's with their old ids, and every sheet that a row
// names exists afterwards: one the old database lacks (or names with an empty name) is named by its number
// ("Data sheet 3"); without any sheet the template's stays. Each account is added (new AcId; one with an
// empty name under a name that shows its old number) followed by its rows in their old order, then the
// rows without an account: those with none and those whose account no longer exists. Rows that name no
// sheet are left out. Counts keep the template's rows.
ImportSummary ImportOrvel(OldDatabase &source, platform::Connection &target);

// Quilvaro: each count is added (name cut to 50 characters, new CnId) followed by its movements in their
// old order, as closed cash-book rows of data sheet 1; then the movements whose count no longer exists,
// without a count. Data sheets and accounts keep the template's rows.
ImportSummary ImportQuilvaro(OldDatabase &source, platform::Connection &target);

ImportSummary ImportData(OldProduct product, OldDatabase &source, platform::Connection &target);

} // namespace importtool
