#include "platform/database/LockFile.h"

#include "platform/RuntimeError.h"
#include "platform/database/SqliteSupport.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <functional>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// How long a process waits for another to finish changing the lock file.
constexpr int TurnWaitMs = 2000;

// One process named in a lock file.
struct Holder {
    qint64 pid = 0;
    bool hold = false;     // holds the file for itself, rather than having a connection open
    bool operator==(const Holder &) const = default;
};

// Open connections of this process per database file.
QHash<QString, int> &openCounts()
{
    static QHash<QString, int> counts;
    return counts;
}

// The key of each file this process has connections open to, by the name it was opened with: while one is
// open, the next connection to it need not resolve the name again.
QHash<QString, QString> &openKeys()
{
    static QHash<QString, QString> keys;
    return keys;
}

// The lock files of the databases this process holds, by database file.
QHash<QString, QString> &holds()
{
    static QHash<QString, QString> h;
    return h;
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

// The running processes a lock file's text names; lines it cannot read are dropped.
QList<Holder> liveHolders(const QByteArray &bytes)
{
    QList<Holder> holders;
    for (const QByteArray &line : bytes.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        bool ok = false;
        Holder h;
        h.pid = parts.value(0).toLongLong(&ok);
        h.hold = parts.value(1) == "hold";
        if (ok && processIsRunning(h.pid) && !holders.contains(h))
            holders.append(h);
    }
    return holders;
}

QList<Holder> readHolders(const QString &ldbPath)
{
    QFile f(ldbPath);
    return f.open(QIODevice::ReadOnly) ? liveHolders(f.readAll()) : QList<Holder>();
}

// What the latest failed write of a lock file meant (DiskFull: the disk had no room for it).
ErrorKind g_writeFailure = ErrorKind::Other;

bool writeHolders(const QString &ldbPath, const QList<Holder> &holders)
{
    if (holders.isEmpty())
        return QFile::remove(ldbPath) || !QFile::exists(ldbPath);
    QByteArray bytes;
    for (const Holder &h : holders)
        bytes += QByteArray::number(h.pid) + (h.hold ? " hold\n" : "\n");
    try {
        writeWholeFile(ldbPath, bytes, databaseErrorSource());
        return true;
    } catch (const RuntimeError &e) {
        g_writeFailure = e.kind();
        return false;
    }
}

enum class EditResult { Written, Refused, Failed };

// Read-modify-write of a lock file, one process at a time: the turn is a lock on the file itself, and a
// process that waited for it makes sure it still has the file that the name stands for (the one before
// may have replaced or removed it). `edit` gets the running processes named; it returns false to leave
// the file as it was.
EditResult editLockFile(const QString &ldbPath, const std::function<bool(QList<Holder> &)> &edit)
{
    g_writeFailure = ErrorKind::Other;
    QByteArray bytes;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(ldbPath);
    int fd = -1;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return EditResult::Failed;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR)) {
            ::close(fd);
            if (waited.elapsed() > TurnWaitMs)
                return EditResult::Failed;
            ::usleep(1000);
            continue;
        }
        // (A file system without such locks goes on without turns.)
        struct stat opened, named;
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev)
            break;
        ::close(fd);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }     // ends the turn
    } closer{fd};
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, qsizetype(n));
#else
    QFile f(ldbPath);
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    f.close();
#endif
    QList<Holder> holders = liveHolders(bytes);
    if (!edit(holders)) {
        // A lock file made empty for this turn goes again.
        if (bytes.trimmed().isEmpty())
            QFile::remove(ldbPath);
        return EditResult::Refused;
    }
    return writeHolders(ldbPath, holders) ? EditResult::Written : EditResult::Failed;
}

[[noreturn]] void raiseNotWritable(const QString &ldbPath)
{
    if (g_writeFailure == ErrorKind::DiskFull)
        raiseDatabaseError(QStringLiteral("The lock file '%1' cannot be written: the disk is full.").arg(ldbPath), 0,
                           ErrorKind::DiskFull, ldbPath);
    raiseDatabaseError(QStringLiteral("The lock file '%1' cannot be written; the folder may be read-only.").arg(ldbPath),
                       0, ErrorKind::DatabaseReadOnly, ldbPath);
}

// One key per file however it was named (links, relative paths).
QString fileKey(const QString &databaseFile)
{
    if (const auto it = openKeys().constFind(databaseFile); it != openKeys().constEnd())
        return *it;
    const QFileInfo fi(databaseFile);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

bool namesOtherProcess(const QString &databaseFile, bool holdOnly)
{
    for (const Holder &h : readHolders(lockFilePathFor(fileKey(databaseFile))))
        if (h.pid != currentPid() && (h.hold || !holdOnly))
            return true;
    return false;
}

} // namespace

QString lockFilePathFor(const QString &databaseFile)
{
    // A lock file named in another case (made where names are found whatever their case) is the same one.
    const QFileInfo fi(databaseFile);
    return pathAnyCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".ldb"));
}

bool lockFileIsLive(const QString &ldbPath)
{
    return QFileInfo::exists(ldbPath) && !readHolders(ldbPath).isEmpty();
}

bool databaseInUseElsewhere(const QString &databaseFile)
{
    return namesOtherProcess(databaseFile, false);
}

bool databaseIsHeldElsewhere(const QString &databaseFile)
{
    return namesOtherProcess(databaseFile, true);
}

void acquireDatabaseLock(const QString &databaseFile)
{
    const QString key = fileKey(databaseFile);
    int &count = openCounts()[key];
    if (count == 0) {
        const QString ldb = lockFilePathFor(key);
        const Holder self{currentPid(), false};
        const EditResult r = editLockFile(ldb, [&](QList<Holder> &holders) {
            for (const Holder &h : holders)
                if (h.hold && h.pid != self.pid)
                    return false;
            if (!holders.contains(self))
                holders.append(self);
            return true;
        });
        if (r != EditResult::Written) {
            openCounts().remove(key);
            if (r == EditResult::Refused)
                raiseDatabaseError(QStringLiteral("The database '%1' is held by another program until it has finished.")
                                       .arg(databaseFile),
                                   errors::DbHeldElsewhere);
            raiseNotWritable(ldb);
        }
    }
    ++count;
    openKeys().insert(databaseFile, key);
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
    openKeys().removeIf([&](const auto &entry) { return entry.value() == key; });
    // A lock file that cannot be cleaned up stays behind as a stale one.
    editLockFile(lockFilePathFor(key), [](QList<Holder> &holders) {
        holders.removeAll(Holder{currentPid(), false});
        return true;
    });
}

void holdDatabase(const QString &databaseFile)
{
    const QString name = QFileInfo(databaseFile).absoluteFilePath();
    if (holds().contains(name))
        return;
    const QString ldb = lockFilePathFor(fileKey(databaseFile));
    const EditResult r = editLockFile(ldb, [](QList<Holder> &holders) {
        for (const Holder &h : holders)
            if (h.pid != currentPid())
                return false;
        holders.append(Holder{currentPid(), true});
        return true;
    });
    if (r == EditResult::Refused)
        raiseDatabaseError(QStringLiteral("The database '%1' is in use by another program.").arg(databaseFile),
                           errors::DbInUse);
    if (r == EditResult::Failed)
        raiseNotWritable(ldb);
    holds().insert(name, ldb);
}

void releaseDatabaseHold(const QString &databaseFile)
{
    const QString ldb = holds().take(QFileInfo(databaseFile).absoluteFilePath());
    if (ldb.isEmpty())
        return;
    editLockFile(ldb, [](QList<Holder> &holders) {
        holders.removeAll(Holder{currentPid(), true});
        return true;
    });
}

} // namespace platform
