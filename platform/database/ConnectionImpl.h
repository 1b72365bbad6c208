#pragma once

// The state behind a Connection, shared with the recordsets opened on it. Internal to platform/database.

#include "platform/database/Connection.h"
#include "platform/database/JetDialect.h"

#include <memory>

struct sqlite3_stmt;

namespace platform {

struct StmtFinalizer {
    void operator()(sqlite3_stmt *st) const;
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

struct Connection::Impl {
    sqlite3 *db = nullptr;
    QString connectionString;
    QString file;
    std::shared_ptr<JetDialect> dialect;
    bool inTransaction = false;
    qint64 lastInsertId = 0;
    bool listedInLockFile = false;     // this opening counts in the lock file (not in a read-only folder)

    ~Impl();
    void open(const QString &connectionString);
    void close();
    void requireOpen() const;

    // One statement in the Jet dialect, translated (cached) and prepared.
    StmtPtr prepare(const QString &jetSql, std::shared_ptr<const Translation> *translation = nullptr);
    // One statement of SQLite SQL as it is (the recordset's own updates).
    StmtPtr prepareNative(const QByteArray &sql);
    // Steps a statement to its end; raises on failure, naming the statement.
    void runToEnd(sqlite3_stmt *st, const QString &what);
    [[noreturn]] void raise(int rc, const QString &what) const;
};

} // namespace platform
