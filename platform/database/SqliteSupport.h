#pragma once

#include "platform/RuntimeError.h"

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// The source named in the database layer's run-time errors.
QString databaseErrorSource();

// Raises RuntimeError with the engine's message for rc, followed by the statement (or what was being
// done) when given; a locked, read-only, full or damaged database, or one that lacks a table or column
// (its name the subject), is told by the error's kind.
[[noreturn]] void raiseSqlite(sqlite3 *db, int rc, const QString &statement = QString());
// Raises RuntimeError with a message of our own.
[[noreturn]] void raiseDatabaseError(const QString &description, qint64 number = 0,
                                     ErrorKind kind = ErrorKind::Other, const QString &subject = QString());

// One prepared statement, finalized when it goes out of scope. Every failure raises.
class Stmt
{
public:
    Stmt(sqlite3 *db, const char *sql);
    Stmt(sqlite3 *db, const QByteArray &sql);
    ~Stmt();
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;

    bool step();                         // true: a row is ready; false: done
    void bindText(int index, const QByteArray &utf8);
    QByteArray textBytes(int column) const;
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace platform
