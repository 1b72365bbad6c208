#pragma once

#include <QString>

namespace platform { class Connection; }

namespace importtool {

class OldDatabase;

// The older products whose databases are imported, by the index of their choice in the wizard.
enum class OldProduct : int { Orvel1 = 0, Orvel2 = 1, Quilvaro = 2 };

// Copies the data of an older database into a fresh database (made from the template) through an open
// connection, inside the caller's transaction. Every read of the older database takes a whole table and
// orders it here. Raises RuntimeError when a table or column is missing or a value does not fit; the
// caller then rolls the transaction back.
//
// Orvel 1 and 2: the data sheets replace the template's with their old ids; each account is added (new
// AcId) followed by its rows in their old order, then the rows without an account; rows whose account no
// longer exists are left out. Counts keep the template's rows.
void ImportOrvel(OldDatabase &source, platform::Connection &target);

// Quilvaro: each count is added (name cut to 50 characters, new CnId) followed by its movements in their
// old order, as closed cash-book rows of data sheet 1; movements of a count that no longer exists are left
// out. Data sheets and accounts keep the template's rows.
void ImportQuilvaro(OldDatabase &source, platform::Connection &target);

void ImportData(OldProduct product, OldDatabase &source, platform::Connection &target);

} // namespace importtool
