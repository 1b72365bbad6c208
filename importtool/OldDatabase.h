#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include "platform/RuntimeError.h"
#include <memory>
#include <optional>

namespace importtool {

// The rows of one table of an older database, read whole. Values come as the data layer gives them:
// Null -> invalid QVariant; whole numbers -> int (qlonglong beyond 32 bits); Currency -> platform::Currency;
// other numbers -> double; Date -> QDate (QDateTime when a time is stored); Yes/No -> bool; text -> QString.
class OldTable
{
public:
    using Row = QVector<QVariant>;

    OldTable() = default;
    OldTable(QString name, QStringList columns);

    const QString &name() const { return m_name; }
    const QStringList &columns() const { return m_columns; }
    const QVector<Row> &rows() const { return m_rows; }
    int rowCount() const { return int(m_rows.size()); }
    void appendRow(Row row);

    // The index of a column (names compare case-insensitively); raises RuntimeError when the table has
    // no such column.
    int column(const QString &name) const;

    // The rows sorted by a whole-number column, ascending, Null first; rows with equal keys keep the order
    // they were read in. The older databases are read without ORDER BY, so every order is made here.
    QVector<Row> sortedBy(const QString &keyColumn) const;

private:
    QString m_name;
    QStringList m_columns;
    QVector<Row> m_rows;
};

// A whole number held by a key or id value (int, a real without fraction, a numeric text); no value for
// Null or anything else.
std::optional<qint64> wholeNumberOf(const QVariant &value);

// An older database, opened read-only. Tables are read whole; the file is never written.
class OldDatabase
{
public:
    virtual ~OldDatabase();
    virtual QString file() const = 0;
    // The names of the user tables.
    virtual QStringList tableNames() = 0;
    // Every row of the table; raises RuntimeError when the table is missing or cannot be read.
    virtual OldTable readTable(const QString &name) = 0;
    // The tables named that the database holds, each read whole (a missing one is left out). A reader that
    // can tell a file damaged anywhere raises for it here, even when the tables named are sound.
    virtual QVector<OldTable> readTables(const QStringList &names);
};

// Opens an older database file by what its first bytes say it is: a Jet 3/4 database (read with libmdb) or
// an SQLite one. Raises RuntimeError when the file is missing, unreadable or of another format.
std::unique_ptr<OldDatabase> openOldDatabase(const QString &file);

// The source named in the errors of the older-database readers.
QString oldDatabaseErrorSource();
// Raises the RuntimeError of an older database that cannot be read as the import needs it: kind says what
// it means for the user (one of the OldDatabase... kinds, OldValueUnreadable), subject names the file,
// table or column, description gives the detail.
[[noreturn]] void raiseOldDatabaseError(platform::ErrorKind kind, const QString &subject, const QString &description);
// Raises the RuntimeError of a table that the older database does not hold.
[[noreturn]] void raiseTableMissing(const QString &table, const QString &file);

} // namespace importtool
