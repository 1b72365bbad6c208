#pragma once

#include "platform/database/Recordset.h"

#include <QHash>
#include <QString>
#include <QVector>

struct sqlite3;

namespace platform {

// The kind of a column from its declared type in the schema:
//   INTEGER, SMALLINT, CURRENCY, DATETIME, YESNO, VARCHAR(n), LONGTEXT (and the usual SQL synonyms).
struct DeclaredType {
    FieldType type = FieldType::Empty;   // Empty when nothing was declared (an expression)
    int definedSize = 0;                 // n of VARCHAR(n)
};
DeclaredType declaredType(const char *decl);

struct ColumnInfo {
    QString name;
    DeclaredType declared;
    bool primaryKey = false;
};

struct TableInfo {
    QString name;
    QVector<ColumnInfo> columns;
    int primaryKey = -1;                 // index of the single-column primary key, -1 when none

    const ColumnInfo *column(QStringView columnName) const;
};

// The tables and columns of one database, read once per open. The dialect uses it to know which columns
// hold Currency, Yes/No or sized text, and the recordset to find a table's key.
class Schema
{
public:
    static Schema read(sqlite3 *db);      // raises RuntimeError when the file cannot be read
    // The schema's text; two databases with the same text share one schema and one translation cache.
    static QByteArray signature(sqlite3 *db);

    const TableInfo *table(QStringView name) const;
    const QVector<TableInfo> &tables() const { return m_tables; }

private:
    QVector<TableInfo> m_tables;
    QHash<QString, int> m_byName;        // lower-case name -> index
};

} // namespace platform
