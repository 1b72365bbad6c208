#include "platform/database/Schema.h"

#include "platform/database/SqliteSupport.h"

#include <sqlite3.h>

namespace platform {

DeclaredType declaredType(const char *decl)
{
    DeclaredType t;
    if (!decl || !*decl)
        return t;
    const QByteArray d = QByteArray(decl).trimmed().toUpper();
    const qsizetype paren = d.indexOf('(');
    const QByteArray base = (paren >= 0 ? d.left(paren) : d).trimmed();
    if (base == "INTEGER" || base == "INT" || base == "LONG" || base == "COUNTER" || base == "AUTOINCREMENT")
        t.type = FieldType::Integer;
    else if (base == "SMALLINT" || base == "SHORT" || base == "BYTE" || base == "TINYINT")
        t.type = FieldType::SmallInt;
    else if (base == "BIGINT")
        t.type = FieldType::BigInt;
    else if (base == "CURRENCY" || base == "MONEY")
        t.type = FieldType::Currency;
    else if (base == "DATETIME" || base == "DATE" || base == "TIMESTAMP")
        t.type = FieldType::Date;
    else if (base == "YESNO" || base == "BIT" || base == "BOOLEAN" || base == "LOGICAL")
        t.type = FieldType::Boolean;
    else if (base == "DOUBLE" || base == "REAL" || base == "FLOAT" || base == "NUMERIC" || base == "DECIMAL")
        t.type = FieldType::Double;
    else if (base == "LONGTEXT" || base == "MEMO" || base == "TEXT" || base == "NOTE" || base == "CLOB")
        t.type = FieldType::LongVarWChar;
    else if (base.contains("CHAR")) {
        t.type = FieldType::VarWChar;
        if (paren >= 0)
            t.definedSize = d.mid(paren + 1, d.indexOf(')', paren) - paren - 1).trimmed().toInt();
        if (t.definedSize <= 0)
            t.definedSize = 255;
    } else if (base.contains("INT")) {
        t.type = FieldType::Integer;     // SQLite's affinity rule for anything else with INT in it
    } else {
        t.type = FieldType::LongVarWChar;
    }
    return t;
}

const ColumnInfo *TableInfo::column(QStringView columnName) const
{
    for (const ColumnInfo &c : columns)
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QByteArray Schema::signature(sqlite3 *db)
{
    QByteArray sig;
    Stmt st(db, "SELECT type, name, sql FROM sqlite_master WHERE substr(name, 1, 7) <> 'sqlite_' ORDER BY type, name");
    while (st.step()) {
        sig += st.textBytes(0);
        sig += '\x1f';
        sig += st.textBytes(1);
        sig += '\x1f';
        sig += st.textBytes(2);
        sig += '\x1e';
    }
    return sig;
}

Schema Schema::read(sqlite3 *db)
{
    Schema s;
    QStringList names;
    {
        // The engine's own tables (sqlite_...) are not the program's. No LIKE here: on our connections it
        // follows Jet's wildcards.
        Stmt st(db, "SELECT name FROM sqlite_master WHERE type='table' AND substr(name, 1, 7) <> 'sqlite_' ORDER BY name");
        while (st.step())
            names << QString::fromUtf8(st.textBytes(0));
    }
    for (const QString &name : names) {
        TableInfo t;
        t.name = name;
        Stmt st(db, "SELECT name, type, pk FROM pragma_table_info(?1)");
        st.bindText(1, name.toUtf8());
        int pkCount = 0, pkIndex = -1;
        while (st.step()) {
            ColumnInfo c;
            c.name = QString::fromUtf8(st.textBytes(0));
            c.declared = declaredType(st.textBytes(1).constData());
            if (sqlite3_column_int(st.get(), 2) > 0) {
                ++pkCount;
                pkIndex = int(t.columns.size());
            }
            t.columns.append(c);
        }
        // A single-column key names a row for updates and deletions.
        if (pkCount == 1) {
            t.primaryKey = pkIndex;
            t.columns[pkIndex].primaryKey = true;
        }
        s.m_byName.insert(name.toLower(), int(s.m_tables.size()));
        s.m_tables.append(t);
    }
    return s;
}

const TableInfo *Schema::table(QStringView name) const
{
    const auto it = m_byName.constFind(name.toString().toLower());
    return it == m_byName.constEnd() ? nullptr : &m_tables[*it];
}

} // namespace platform
