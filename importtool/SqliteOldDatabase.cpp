#include "importtool/SqliteOldDatabase.h"

#include "platform/RuntimeError.h"
#include "platform/database/Recordset.h"

#include <QDir>

namespace importtool {

namespace {

// Runs a read of the older file: a file the engine finds damaged, or fails on, is an older database that
// cannot be read (the data layer's own words for it are about the program's database).
template <class Read>
auto readingOld(const QString &file, Read read)
{
    try {
        return read();
    } catch (const platform::RuntimeError &e) {
        if (e.kind() == platform::ErrorKind::WrongStructure)
            raiseOldDatabaseError(platform::ErrorKind::OldDatabaseIncomplete, e.subject(), e.description());
        if (e.kind() != platform::ErrorKind::NotADatabase && e.kind() != platform::ErrorKind::Other)
            throw;
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file), e.description());
    }
}

} // namespace

SqliteOldDatabase::SqliteOldDatabase(const QString &file)
    : m_file(file)
{
    readingOld(file, [&] { m_connection.Open(platform::connectionStringFor(file)); });
}

SqliteOldDatabase::~SqliteOldDatabase() = default;

QStringList SqliteOldDatabase::tableNames()
{
    return readingOld(m_file, [&] { return readTableNames(); });
}

QStringList SqliteOldDatabase::readTableNames()
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite*'"),
            m_connection, platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
            platform::Recordset::adCmdText);
    QStringList names;
    for (; !rs.EOF(); rs.MoveNext())
        names.append(rs.value(0).toString());
    return names;
}

OldTable SqliteOldDatabase::readTable(const QString &name)
{
    return readingOld(m_file, [&] { return readWholeTable(name); });
}

OldTable SqliteOldDatabase::readWholeTable(const QString &name)
{
    if (!readTableNames().contains(name, Qt::CaseInsensitive))
        raiseTableMissing(name, m_file);
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM [%1]").arg(name), m_connection, platform::Recordset::adOpenForwardOnly,
            platform::Recordset::adLockReadOnly, platform::Recordset::adCmdText);
    QStringList columns;
    for (int i = 0; i < rs.fieldCount(); ++i)
        columns.append(rs.fieldName(i));
    OldTable table(name, columns);
    for (; !rs.EOF(); rs.MoveNext()) {
        OldTable::Row row(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            row[i] = rs.value(i);
        table.appendRow(std::move(row));
    }
    return table;
}

} // namespace importtool
