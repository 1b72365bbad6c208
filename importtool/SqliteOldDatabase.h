#pragma once

#include "importtool/OldDatabase.h"

#include "platform/database/Connection.h"

namespace importtool {

// An older database kept in an SQLite file with the older tables and columns, read through the data layer
// (so declared Currency, Date and Yes/No columns come typed as from a Jet file). Tests build such files;
// the tool reads them as it reads a Jet file.
class SqliteOldDatabase : public OldDatabase
{
public:
    // Raises RuntimeError when the file cannot be opened as a database.
    explicit SqliteOldDatabase(const QString &file);
    ~SqliteOldDatabase() override;

    QString file() const override { return m_file; }
    QStringList tableNames() override;
    OldTable readTable(const QString &name) override;

private:
    QStringList readTableNames();
    OldTable readWholeTable(const QString &name);

    QString m_file;
    platform::Connection m_connection;
};

} // namespace importtool
