#include "platform/database/LockFile.h"

#include "platform/database/SqliteSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <cerrno>
#ifdef Q_OS_UNIX
#include <signal.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// Open connections of this process per database file.
QHash<QString, int> &openCounts()
{
    static QHash<QString, int> counts;
    return counts;
}

qint64 currentPid()
{
#ifdef Q_OS_UNIX
    return qint64(::getpid());
#else
    return QCoreApplication::applicationPid();
#endif
}

bool processIsRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    if (pid == currentPid())
        return true;
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    return true;    // no cheap test here: keep the lock rather than break a live one
#endif
}

QList<qint64> readPids(const QString &ldbPath)
{
    QList<qint64> pids;
    QFile f(ldbPath);
    if (!f.open(QIODevice::ReadOnly))
        return pids;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        bool ok = false;
        const qint64 pid = line.trimmed().toLongLong(&ok);
        if (ok && pid > 0 && !pids.contains(pid))
            pids.append(pid);
    }
    return pids;
}

bool writePids(const QString &ldbPath, const QList<qint64> &pids)
{
    if (pids.isEmpty())
        return QFile::remove(ldbPath) || !QFile::exists(ldbPath);
    QSaveFile f(ldbPath);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (qint64 pid : pids)
        f.write(QByteArray::number(pid) + '\n');
    return f.commit();
}

// One key per file however it was named (links, relative paths).
QString fileKey(const QString &databaseFile)
{
    const QFileInfo fi(databaseFile);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

} // namespace

QString lockFilePathFor(const QString &databaseFile)
{
    const QFileInfo fi(databaseFile);
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".ldb");
}

bool lockFileIsLive(const QString &ldbPath)
{
    if (!QFileInfo::exists(ldbPath))
        return false;
    for (qint64 pid : readPids(ldbPath))
        if (processIsRunning(pid))
            return true;
    return false;
}

void acquireDatabaseLock(const QString &databaseFile)
{
    const QString key = fileKey(databaseFile);
    int &count = openCounts()[key];
    if (count == 0) {
        const QString ldb = lockFilePathFor(key);
        // Stale entries of processes that are gone are dropped on the way.
        QList<qint64> pids;
        for (qint64 pid : readPids(ldb))
            if (pid != currentPid() && processIsRunning(pid))
                pids.append(pid);
        pids.append(currentPid());
        if (!writePids(ldb, pids)) {
            openCounts().remove(key);
            raiseDatabaseError(QStringLiteral("The lock file '%1' cannot be written; the folder may be read-only.")
                                   .arg(ldb));
        }
    }
    ++count;
}

void releaseDatabaseLock(const QString &databaseFile)
{
    const QString key = fileKey(databaseFile);
    auto it = openCounts().find(key);
    if (it == openCounts().end())
        return;
    if (--*it > 0)
        return;
    openCounts().erase(it);
    const QString ldb = lockFilePathFor(key);
    QList<qint64> pids;
    for (qint64 pid : readPids(ldb))
        if (pid != currentPid() && processIsRunning(pid))
            pids.append(pid);
    writePids(ldb, pids);     // a lock file that cannot be cleaned up stays behind as a stale one
}

} // namespace platform
