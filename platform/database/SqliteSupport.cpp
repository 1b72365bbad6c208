#include "platform/database/SqliteSupport.h"

#include "platform/RuntimeError.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace platform {

QString databaseErrorSource()
{
    return QStringLiteral("Orvel3.Database");
}

void raiseDatabaseError(const QString &description, qint64 number, ErrorKind kind, const QString &subject)
{
    throw RuntimeError(number ? number : errors::DbGeneric, databaseErrorSource(), description, kind, subject);
}

void raiseSqlite(sqlite3 *db, int rc, const QString &statement)
{
    QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    ErrorKind kind = ErrorKind::Other;
    QString subject;
    switch (rc & 0xff) {
    case SQLITE_ERROR:
        // A table or column that the statement names and the database lacks: the file was changed by
        // another program. What is missing is the subject.
        for (const QLatin1String missing : {QLatin1String("no such column: "), QLatin1String("no such table: ")}) {
            if (message.startsWith(missing)) {
                kind = ErrorKind::WrongStructure;
                subject = message.mid(missing.size());
            }
        }
        // An insert names the column so: "table Transactions has no column named TrAlertDays".
        if (kind == ErrorKind::Other) {
            static const QRegularExpression noColumn(QStringLiteral("^table (\\S+) has no column named (\\S+)$"));
            const QRegularExpressionMatch m = noColumn.match(message);
            if (m.hasMatch()) {
                kind = ErrorKind::WrongStructure;
                subject = m.captured(1) + QLatin1Char('.') + m.captured(2);
            }
        }
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        kind = ErrorKind::DatabaseLocked;
        break;
    case SQLITE_READONLY:
        kind = ErrorKind::DatabaseReadOnly;
        break;
    case SQLITE_FULL:
        kind = ErrorKind::DiskFull;
        break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        kind = ErrorKind::NotADatabase;
        break;
    default:
        break;
    }
    if (!statement.isEmpty())
        message += QStringLiteral(" in: ") + statement;
    raiseDatabaseError(message, 0, kind, subject);
}

Stmt::Stmt(sqlite3 *db, const char *sql)
    : Stmt(db, QByteArray(sql))
{
}

Stmt::Stmt(sqlite3 *db, const QByteArray &sql)
    : m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        raiseSqlite(db, rc);
}

Stmt::~Stmt()
{
    sqlite3_finalize(m_stmt);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    raiseSqlite(m_db, rc);
}

void Stmt::bindText(int index, const QByteArray &utf8)
{
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QByteArray Stmt::textBytes(int column) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return p ? QByteArray(p, sqlite3_column_bytes(m_stmt, column)) : QByteArray();
}

} // namespace platform
