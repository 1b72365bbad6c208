#pragma once

// The four tables of a database of the program by name and key, and the statements that every table
// answers alike: the row of a key, whether a key is there, and a table's columns without any row. The
// statements of one table's rows live in its own module (TransactionsTable, SheetsTable, AccountTables).

#include <QLatin1String>
#include <QString>

namespace platform { class Connection; }

namespace Tables {

struct Table {
    QLatin1String name;
    QLatin1String key;   // the key column: an AutoNumber, or the data sheet's id
};

inline constexpr Table Transactions{QLatin1String("Transactions"), QLatin1String("TrRowId")};
inline constexpr Table Accounts{QLatin1String("Accounts"), QLatin1String("AcId")};
inline constexpr Table Counts{QLatin1String("Counts"), QLatin1String("CnId")};
inline constexpr Table Dbs{QLatin1String("Dbs"), QLatin1String("DbId")};

// "SELECT * FROM <table> WHERE <key>=<id>": the row of a key, or none.
QString rowSql(const Table &table, int id);
// True when the table has a row of that key, on the caller's connection (inside its transaction, if any).
bool exists(platform::Connection &cn, const Table &table, int id);
// "SELECT * FROM <table> WHERE False": the table's columns and their sizes without reading a row; a new
// row is added to it.
QString columnsSql(QLatin1String table);

} // namespace Tables
