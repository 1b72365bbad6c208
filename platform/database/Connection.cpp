#include "platform/database/Connection.h"

#include "platform/RuntimeError.h"
#include "platform/database/ConnectionImpl.h"
#include "platform/database/LockFile.h"
#include "platform/database/SqlFunctions.h"
#include "platform/database/SqliteSupport.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <filesystem>

namespace platform {

namespace {

int g_releasePauseMs = 600;

constexpr int BusyTimeoutMs = 2000;

// One dialect (schema and translation cache) per distinct schema, shared by every connection to a file
// of that schema, so that the cache outlives the short connections the windows open.
std::shared_ptr<JetDialect> dialectFor(sqlite3 *db)
{
    static QHash<QByteArray, std::shared_ptr<JetDialect>> dialects;
    const QByteArray signature = Schema::signature(db);
    if (auto it = dialects.constFind(signature); it != dialects.constEnd())
        return *it;
    if (dialects.size() >= 16)
        dialects.clear();
    auto dialect = std::make_shared<JetDialect>(Schema::read(db));
    dialects.insert(signature, dialect);
    return dialect;
}

// The database files in which a connection of this process met a damaged page, by canonical path.
QSet<QString> &damagedFiles()
{
    static QSet<QString> files;
    return files;
}

QString canonicalFile(const QString &file)
{
    const QString canonical = QFileInfo(file).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(file).absoluteFilePath() : canonical;
}

void setDamaged(const QString &file, bool damaged)
{
    if (damaged)
        damagedFiles().insert(canonicalFile(file));
    else
        damagedFiles().remove(canonicalFile(file));
}

[[noreturn]] void raiseDamaged(const QString &file)
{
    raiseDatabaseError(QStringLiteral("The database file '%1' is damaged: nothing is written into it.").arg(file), 0,
                       ErrorKind::NotADatabase, QDir::toNativeSeparators(file));
}

// The engine asks before it compiles each part of a statement: anything that would change a file found
// damaged is denied, so that no write reaches it, whichever statement or transaction it comes from.
int authorize(void *impl, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_READ:
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_PRAGMA:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        break;
    }
    if (damagedFiles().isEmpty())
        return SQLITE_OK;
    return databaseFileDamaged(static_cast<const Connection::Impl *>(impl)->file) ? SQLITE_DENY : SQLITE_OK;
}

bool onlyBlanksAndSemicolons(const char *p)
{
    for (; p && *p; ++p)
        if (*p != ';' && !QChar::isSpace(uchar(*p)))
            return false;
    return true;
}

} // namespace

// ---- Impl ----------------------------------------------------------------------------------------------

void StmtFinalizer::operator()(sqlite3_stmt *st) const
{
    sqlite3_finalize(st);
}

Connection::Impl::~Impl()
{
    close();
}

void Connection::Impl::open(const QString &cs)
{
    const QString source = dataSourceOf(cs);
    if (source.isEmpty())
        raiseDatabaseError(QStringLiteral("The connection string names no data source: %1").arg(cs));
    const QFileInfo fi(source);
    if (!fi.exists() || !fi.isFile())
        raiseDatabaseError(QStringLiteral("Could not find file '%1'.").arg(source), errors::DbFileNotFound,
                           ErrorKind::DatabaseNotFound, source);
    const QString notADatabase = QStringLiteral("Unrecognized database format '%1'.").arg(source);
    if (fi.size() == 0)
        raiseDatabaseError(notADatabase, 0, ErrorKind::NotADatabase, source);
    const QString path = fi.absoluteFilePath();

    // A folder that cannot be written (a share the user may only read) takes no lock file of ours and no
    // journal: the file is opened read-only, so that it can be read, and a write says it is read-only.
    // The import tool's hold is still honoured.
    bool readOnly = false;
    try {
        acquireDatabaseLock(path);
    } catch (const RuntimeError &e) {
        if (e.kind() != ErrorKind::DatabaseReadOnly || folderIsWritable(fi.absolutePath()))
            throw;
        if (databaseIsHeldElsewhere(path))
            raiseDatabaseError(QStringLiteral("The database '%1' is held by another program until it has finished.").arg(source),
                               errors::DbHeldElsewhere);
        readOnly = true;
    }
    const auto releaseLock = [&] {
        if (!readOnly)
            releaseDatabaseLock(path);
    };

    sqlite3 *handle = nullptr;
    // Opening never creates a file (a read-only file in a writable folder the engine opens read-only by
    // itself). The program has one thread, so the connection needs no mutex of its own (it costs a lock
    // per column read).
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle,
                                   (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    if (rc != SQLITE_OK) {
        const QString message = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString();
        sqlite3_close_v2(handle);
        releaseLock();
        raiseDatabaseError(QStringLiteral("Could not open '%1': %2").arg(source, message));
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, BusyTimeoutMs);
    sqlite3_set_authorizer(handle, authorize, this);
    std::shared_ptr<JetDialect> d;
    try {
        registerSqlFunctions(handle);
        d = dialectFor(handle);          // reads the schema: a file that is no database fails here
    } catch (const RuntimeError &) {
        const int code = sqlite3_errcode(handle) & 0xff;
        sqlite3_close_v2(handle);
        releaseLock();
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
            setDamaged(path, true);
            raiseDatabaseError(notADatabase, 0, ErrorKind::NotADatabase, source);
        }
        throw;
    }
    db = handle;
    connectionString = cs;
    file = path;
    dialect = std::move(d);
    inTransaction = false;
    lastInsertId = 0;
    listedInLockFile = !readOnly;
}

void Connection::Impl::close()
{
    if (!db)
        return;
    if (inTransaction && !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction = false;
    sqlite3_close_v2(db);
    db = nullptr;
    if (listedInLockFile)
        releaseDatabaseLock(file);
    listedInLockFile = false;
}

void Connection::Impl::requireOpen() const
{
    if (!db)
        raiseDatabaseError(QStringLiteral("Operation is not allowed when the object is closed."),
                           errors::DbOperationNotAllowed);
}

void Connection::Impl::raise(int rc, const QString &what) const
{
    // A damaged page, once met, stands for the whole file: from now on nothing is written into it.
    const int primary = rc & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
        setDamaged(file, true);
        raiseDamaged(file);
    }
    if (primary == SQLITE_AUTH && databaseFileDamaged(file))
        raiseDamaged(file);
    raiseSqlite(db, rc, what);
}

StmtPtr Connection::Impl::prepare(const QString &jetSql, std::shared_ptr<const Translation> *translation)
{
    requireOpen();
    // The engine reads a statement up to its first NUL: a text holding one would be cut.
    if (jetSql.contains(QChar(0)))
        raiseDatabaseError(QStringLiteral("The statement holds a NUL character."), 0, ErrorKind::TextNotStorable);
    auto t = dialect->translate(jetSql);
    sqlite3_stmt *st = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, t->sql.constData(), int(t->sql.size()), &st, &tail);
    if (rc != SQLITE_OK)
        raise(rc, jetSql);
    StmtPtr stmt(st);
    if (!st)
        raiseDatabaseError(QStringLiteral("The statement is empty."));
    if (!onlyBlanksAndSemicolons(tail))
        raiseDatabaseError(QStringLiteral("Characters found after end of SQL statement in: %1").arg(jetSql));
    if (translation)
        *translation = std::move(t);
    return stmt;
}

StmtPtr Connection::Impl::prepareNative(const QByteArray &sql)
{
    requireOpen();
    sqlite3_stmt *st = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    if (rc != SQLITE_OK)
        raise(rc, QString::fromUtf8(sql));
    return StmtPtr(st);
}

void Connection::Impl::runToEnd(sqlite3_stmt *st, const QString &what)
{
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        raise(rc, what);
}

// ---- Connection ----------------------------------------------------------------------------------------

Connection::Connection()
    : m_impl(std::make_shared<Impl>())
{
}

Connection::~Connection()
{
    m_impl->close();
}

void Connection::Open(const QString &connectionString)
{
    if (m_impl->db)
        raiseDatabaseError(QStringLiteral("Operation is not allowed when the object is open."),
                           errors::DbOperationNotAllowed);
    // Recordsets of an earlier opening keep the old state; this opening gets its own.
    if (m_impl.use_count() > 1)
        m_impl = std::make_shared<Impl>();
    m_impl->open(connectionString);
}

void Connection::Close()
{
    m_impl->close();
}

bool Connection::isOpen() const
{
    return m_impl->db != nullptr;
}

QString Connection::connectionString() const
{
    return m_impl->connectionString;
}

QString Connection::databaseFile() const
{
    return m_impl->file;
}

long Connection::Execute(const QString &jetSql)
{
    StmtPtr st = m_impl->prepare(jetSql);
    m_impl->runToEnd(st.get(), jetSql);
    if (sqlite3_stmt_readonly(st.get()))
        return 0;
    m_impl->lastInsertId = sqlite3_last_insert_rowid(m_impl->db);
    return long(sqlite3_changes(m_impl->db));
}

bool Connection::CheckIntegrity()
{
    StmtPtr st = m_impl->prepareNative("PRAGMA quick_check(1)");
    const int rc = sqlite3_step(st.get());
    bool sound;
    if (rc == SQLITE_ROW)
        sound = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)), "ok") == 0;
    else if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB)
        sound = false;
    else
        m_impl->raise(rc, QStringLiteral("CheckIntegrity"));
    // A file found sound again (a backup copy put back) takes writes again.
    setDamaged(m_impl->file, !sound);
    return sound;
}

void Connection::BeginTrans()
{
    m_impl->requireOpen();
    if (m_impl->inTransaction)
        raiseDatabaseError(QStringLiteral("A transaction is already open on this connection."),
                           errors::DbOperationNotAllowed);
    const int rc = sqlite3_exec(m_impl->db, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        m_impl->raise(rc, QStringLiteral("BeginTrans"));
    m_impl->inTransaction = true;
}

void Connection::CommitTrans()
{
    m_impl->requireOpen();
    if (!m_impl->inTransaction)
        raiseDatabaseError(QStringLiteral("You tried to commit or roll back without first beginning a transaction."),
                           errors::DbOperationNotAllowed);
    if (sqlite3_get_autocommit(m_impl->db)) {
        // The engine already undid the transaction after an error inside it: nothing is saved.
        m_impl->inTransaction = false;
        raiseDatabaseError(QStringLiteral("The transaction was rolled back after an error; no change was saved."));
    }
    const int rc = sqlite3_exec(m_impl->db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        m_impl->raise(rc, QStringLiteral("CommitTrans"));       // still open: the guard rolls back
    m_impl->inTransaction = false;
}

void Connection::RollbackTrans()
{
    m_impl->requireOpen();
    if (!m_impl->inTransaction)
        raiseDatabaseError(QStringLiteral("You tried to commit or roll back without first beginning a transaction."),
                           errors::DbOperationNotAllowed);
    m_impl->inTransaction = false;
    if (!sqlite3_get_autocommit(m_impl->db)) {
        const int rc = sqlite3_exec(m_impl->db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            m_impl->raise(rc, QStringLiteral("RollbackTrans"));
    }
}

bool Connection::inTransaction() const
{
    return m_impl->inTransaction;
}

qint64 Connection::lastInsertId() const
{
    return m_impl->lastInsertId;
}

// ---- free functions ------------------------------------------------------------------------------------

QString dataSourceOf(const QString &connectionString)
{
    // key=value pairs separated by ';'; a value may be quoted to hold a ';' (its quote doubled inside).
    const QString &s = connectionString;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = s.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < s.size() && s[j].isSpace())
            ++j;
        QString value;
        if (j < s.size() && (s[j] == QLatin1Char('"') || s[j] == QLatin1Char('\''))) {
            const QChar quote = s[j++];
            while (j < s.size()) {
                if (s[j] == quote) {
                    if (j + 1 < s.size() && s[j + 1] == quote) {
                        value += quote;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += s[j++];
            }
            const qsizetype semi = s.indexOf(QLatin1Char(';'), j);
            j = semi < 0 ? s.size() : semi + 1;
        } else {
            const qsizetype semi = s.indexOf(QLatin1Char(';'), j);
            value = s.mid(j, (semi < 0 ? s.size() : semi) - j).trimmed();
            j = semi < 0 ? s.size() : semi + 1;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return value;
        i = j;
    }
    return QString();
}

QString connectionStringFor(const QString &databaseFile)
{
    QString value = databaseFile;
    const bool quoted = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
                        || value.contains(QLatin1Char('\'')) || value != value.trimmed();
    if (quoted)
        value = QLatin1Char('"') + value.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + value
           + QStringLiteral(";Persist Security Info=False");
}

void createDatabase(const QString &file, const QString &schemaSql)
{
    const QFileInfo fi(file);
    if (!fi.absoluteDir().exists())
        raiseDatabaseError(QStringLiteral("The folder of '%1' does not exist.").arg(file));
    // Built under a temporary name and renamed into place: a failure never leaves half a database.
    const QString temp = fi.absolutePath() + QStringLiteral("/.") + fi.fileName()
                         + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(temp);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](const QString &message) {
        sqlite3_close_v2(db);
        QFile::remove(temp);
        raiseDatabaseError(QStringLiteral("Cannot create the database '%1': %2").arg(file, message));
    };
    if (rc != SQLITE_OK)
        fail(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    try {
        registerSqlFunctions(db);
    } catch (const RuntimeError &e) {
        fail(e.description());
    }
    char *error = nullptr;
    const QByteArray sql = schemaSql.toUtf8();
    rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        fail(message);
    }
    rc = sqlite3_close(db);
    db = nullptr;
    if (rc != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errstr(rc)));
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(fi.absoluteFilePath()).toStdString(), ec);
    if (ec) {
        QFile::remove(temp);
        raiseDatabaseError(QStringLiteral("Cannot create the database '%1': %2")
                               .arg(file, QString::fromLocal8Bit(ec.message().c_str())));
    }
}

QStringList addMissingIndexes(Connection &connection, const QString &templateFile)
{
    const std::shared_ptr<Connection::Impl> cn = connection.impl();
    cn->requireOpen();
    // The template's indexes, read without touching it.
    QList<QPair<QByteArray, QByteArray>> wanted;
    {
        sqlite3 *t = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(templateFile).constData(), &t, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(t);
            raiseDatabaseError(QStringLiteral("Could not read the template '%1'.").arg(templateFile), errors::DbFileNotFound);
        }
        try {
            Stmt st(t, "SELECT name, sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL ORDER BY name");
            while (st.step())
                wanted.append({st.textBytes(0), st.textBytes(1)});
        } catch (...) {
            sqlite3_close_v2(t);
            throw;
        }
        sqlite3_close_v2(t);
    }
    QStringList added;
    for (const auto &[name, sql] : wanted) {
        Stmt exists(cn->db, "SELECT 1 FROM sqlite_master WHERE type='index' AND name=?1");
        exists.bindText(1, name);
        if (exists.step())
            continue;
        // One CREATE INDEX is its own transaction: the index is made whole or not at all.
        const int made = sqlite3_exec(cn->db, sql.constData(), nullptr, nullptr, nullptr);
        if (made != SQLITE_OK)
            cn->raise(made, QString::fromUtf8(sql));
        added << QString::fromUtf8(name);
    }
    return added;
}

bool databaseFileDamaged(const QString &databaseFile)
{
    return !damagedFiles().isEmpty() && damagedFiles().contains(canonicalFile(databaseFile));
}

int dbReleasePauseMs()
{
    return g_releasePauseMs;
}

void setDbReleasePauseMs(int ms)
{
    g_releasePauseMs = qMax(0, ms);
}

} // namespace platform
