#pragma once

#include "importtool/OldDatabase.h"

#include <memory>

namespace importtool {

// An Access/Jet 3 or Jet 4 database file read with libmdb, read-only. Amounts (Currency) and dates are
// taken from their stored bytes, so they come exactly as stored; texts and memos are read whole in UTF-8.
// A file that cannot be read whole is refused (RuntimeError of kind OldDatabaseUnreadable): one whose size
// is not a whole number of pages, one where a page is asked for that the file does not hold, and a table
// that gives fewer or more rows than its definition says it holds. libmdb may still loop or take memory
// without end on some damaged files: the tool reads them in a process of its own (OldDatabaseReader.h).
class JetDatabase : public OldDatabase
{
public:
    // Raises RuntimeError when the file is not a Jet database libmdb can read, or its tables cannot be.
    explicit JetDatabase(const QString &file);
    ~JetDatabase() override;
    JetDatabase(const JetDatabase &) = delete;
    JetDatabase &operator=(const JetDatabase &) = delete;

    QString file() const override { return m_file; }
    QStringList tableNames() override;
    OldTable readTable(const QString &name) override;
    // Reads every table of the file, the system's own too, and keeps the rows of those named.
    QVector<OldTable> readTables(const QStringList &names) override;

private:
    struct Impl;               // the libmdb handle and the file it reads
    QString m_file;
    std::unique_ptr<Impl> m;
};

} // namespace importtool
