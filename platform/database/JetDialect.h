#pragma once

#include "platform/database/Schema.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

namespace platform {

// What a translated statement tells the recordset about result columns that the engine cannot type
// (expressions): Sum(TrBalance) is Currency, Min(TrDate) a Date, Count(...) a whole number.
struct ColumnHint {
    FieldType type = FieldType::Empty;
    int definedSize = 0;
};

struct Translation {
    QByteArray sql;                       // SQLite SQL, UTF-8
    QHash<QString, ColumnHint> hints;    // by lower-case result column name
};

// Translates SQL written in the Jet dialect into SQLite SQL with the same meaning. Works on tokens; text
// inside quotes is never changed.
//   #mm/dd/yyyy#, #mm/dd/yy#            'yyyy-mm-dd' (two-digit years: 00-29 -> 20xx, 30-99 -> 19xx)
//   "text"                              'text' (Jet takes double quotes as text too)
//   [name]                              "name"
//   a & b & c                           jet_concat(a, b, c): Null counts as empty text (all Null: Null)
//   DELETE * FROM t                     DELETE FROM t
//   UPDATE t SET t.c = ...              UPDATE t SET c = ...
//   DISTINCTROW                         dropped: on one table Jet returns every row anyway
//   True, False, Not, Mod               1, 0, NOT, %
//   Date() Now() DateDiff DateSerial Month Year Day Weekday Nz Len UCase LCase
//                                       the SQL functions of SqlFunctions.h and their SQLite equivalents
//   LIKE                                unchanged: the connection's like() takes Jet wildcards
//   unnamed expression columns          named Expr1000, Expr1001, ... as Jet names them
// Literals written into or compared with a Currency column are scaled to ten-thousandths exactly;
// into or with a Yes/No column any non-zero number is 1. Text literals longer than a VARCHAR(n) column
// are refused, as the engine refuses them.
class JetDialect
{
public:
    explicit JetDialect(Schema schema);

    const Schema &schema() const { return m_schema; }

    // Cached by statement text; raises RuntimeError on a statement it cannot read.
    std::shared_ptr<const Translation> translate(const QString &jetSql);
    Translation translateUncached(const QString &jetSql) const;

private:
    Schema m_schema;
    QHash<QString, std::shared_ptr<const Translation>> m_cache;
};

} // namespace platform
