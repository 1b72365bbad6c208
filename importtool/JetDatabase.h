#pragma once

#include "importtool/OldDatabase.h"

#include <memory>

namespace importtool {

// An Access/Jet 3 or Jet 4 database file read with libmdb, read-only. Amounts (Currency) and dates are
// taken from their stored bytes, so they come exactly as stored; texts and memos are read whole in UTF-8.
class JetDatabase : public OldDatabase
{
public:
    // Raises RuntimeError when the file is not a Jet database libmdb can read.
    explicit JetDatabase(const QString &file);
    ~JetDatabase() override;
    JetDatabase(const JetDatabase &) = delete;
    JetDatabase &operator=(const JetDatabase &) = delete;

    QString file() const override { return m_file; }
    QStringList tableNames() override;
    OldTable readTable(const QString &name) override;

private:
    struct Impl;               // the libmdb handle
    QString m_file;
    std::unique_ptr<Impl> m;
};

} // namespace importtool
