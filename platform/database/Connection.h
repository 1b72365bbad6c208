#pragma once

#include <QString>
#include <QStringList>
#include <memory>

struct sqlite3;

namespace platform {

class Recordset;
class ScopedTransaction;

// A connection to one database file, named by a connection string "...;Data Source=<file>;...".
// Statements are written in the Jet dialect the windows use and translated once (JetDialect.h).
// Opening never creates a file. While any connection of the process to a file is open, the lock file
// (<name>.ldb beside <name>.mdb) exists; the last close removes it. A file in a folder that cannot be
// written is opened read-only, without a lock file: it can be read, and a write raises DatabaseReadOnly.
// Every failure raises RuntimeError.
class Connection
{
public:
    Connection();
    ~Connection();                        // closes; a transaction still open is rolled back
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void Open(const QString &connectionString);
    void Close();
    bool isOpen() const;
    QString connectionString() const;
    QString databaseFile() const;

    // Runs one statement; returns the number of rows it changed.
    long Execute(const QString &jetSql);

    // Whether a transaction is open (a ScopedTransaction, the only way to begin one).
    bool inTransaction() const;

    // The AutoNumber given to the last row inserted through this connection.
    qint64 lastInsertId() const;

    // Reads every page of the file and checks it: false when the file is damaged, so that nothing is built
    // on pages that cannot be read. Raises RuntimeError when the check cannot run (the file locked, say).
    // The answer marks the file as damaged or sound (databaseFileDamaged).
    bool CheckIntegrity();

    struct Impl;
    std::shared_ptr<Impl> impl() const { return m_impl; }   // shared with the recordsets opened on it

private:
    // Reached only through ScopedTransaction, which pairs every begin with a commit or a rollback.
    friend class ScopedTransaction;
    void BeginTrans();
    void CommitTrans();     // a failure saves nothing; what is still open waits for the rollback
    void RollbackTrans();

    std::shared_ptr<Impl> m_impl;
};

// True once a connection of this process met a damaged page of the file (or CheckIntegrity found it
// damaged), until CheckIntegrity finds it sound. Meanwhile every statement that would change the file is
// refused before anything is written, with RuntimeError of kind NotADatabase naming the file, the error
// that the damaged page itself raised.
bool databaseFileDamaged(const QString &databaseFile);

// The file named by "Data Source=" in a connection string ("" when there is none). A value in double or
// single quotes may hold ";" and, doubled, its own quote.
QString dataSourceOf(const QString &connectionString);
// The connection string of the program for a database file. A file name that holds ";" or a quote, or
// that begins or ends with a blank, is quoted, so that dataSourceOf gives it back whole.
QString connectionStringFor(const QString &databaseFile);

// Makes a new database file from schema text (build tool and tests only; the program copies master.gen).
void createDatabase(const QString &file, const QString &schemaSql);

// Adds to the database of an open connection the indexes of the template file (a database of the same
// tables) that it has no index of that name for, each in a transaction of its own. Indexes change no
// table, column or row: files made from an older template get the ones of the present template. Returns
// the names added. Raises RuntimeError when the template cannot be read or an index cannot be made (a
// read-only or busy file); the indexes made before stay.
QStringList addMissingIndexes(Connection &connection, const QString &templateFile);

// The pause after a connection is closed, so that the engine has let go of the file. 600 ms by default;
// tests set it to zero.
int dbReleasePauseMs();
void setDbReleasePauseMs(int ms);

} // namespace platform
