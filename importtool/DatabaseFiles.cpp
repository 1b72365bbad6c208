#include "importtool/DatabaseFiles.h"

#include "foundation/cAccessDb.h"
#include "importtool/modMain.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/LockFile.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace importtool {

namespace {

// The engine's files that belong to a database file while a transaction is open.
constexpr const char *JournalSuffixes[] = {"-journal", "-wal", "-shm"};

[[noreturn]] void raiseFileError(const QString &description, platform::ErrorKind kind, const QString &file)
{
    throw platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("OrvelDbTools.DatabaseFiles"), description,
                                 kind, QDir::toNativeSeparators(file));
}

bool hasJournal(const QString &dbFile)
{
    for (const char *suffix : JournalSuffixes)
        if (QFileInfo::exists(dbFile + QLatin1String(suffix)))
            return true;
    return false;
}

// Opening a database whose last transaction was interrupted rolls that transaction back.
void settle(const QString &dbFile)
{
    if (!hasJournal(dbFile))
        return;
    try {
        platform::Connection cn;
        cn.Open(platform::connectionStringFor(dbFile));
        cn.Close();
    } catch (const platform::RuntimeError &) {
        // A file that cannot be opened is copied as it is: the backup keeps what there is.
    }
}

void copyWhole(const QString &from, const QString &to)
{
    try {
        platform::copyWholeFile(from, to, QStringLiteral("OrvelDbTools.DatabaseFiles"));
    } catch (const platform::RuntimeError &e) {
        // A full disk is told as such; any other failure as a file of the folder that cannot be written.
        using platform::ErrorKind;
        const ErrorKind kind = e.kind() == ErrorKind::DiskFull ? ErrorKind::DiskFull : ErrorKind::FileNotWritten;
        raiseFileError(QStringLiteral("The file '%1' cannot be copied to '%2': %3")
                           .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to), e.description()),
                       kind, to);
    }
}

} // namespace

QString BackupName(const QString &dbFile, const QDateTime &when)
{
    return dbFile + QLatin1Char('.') + when.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".bak");
}

QString BackupDatabase(const QString &dbFile, const QDateTime &when)
{
    if (!QFileInfo(dbFile).isFile())
        return QString();
    const QString backup = BackupName(dbFile, when);
    if (QFileInfo::exists(backup))
        raiseFileError(QStringLiteral("The backup '%1' already exists.").arg(QDir::toNativeSeparators(backup)),
                       platform::ErrorKind::FileNotWritten, backup);
    settle(dbFile);
    copyWhole(dbFile, backup);
    return backup;
}

QString WorkFolderFor(const QString &dbFolder)
{
    return dbFolder + QStringLiteral("/.orvel3-import");
}

QString PrepareFreshDatabase(const QString &dbFolder)
{
    const QString work = WorkFolderFor(dbFolder);
    DiscardFreshDatabase(dbFolder);
    // The template copy reports in the main program's texts; the tool names the database folder.
    const auto fail = [&] {
        DiscardFreshDatabase(dbFolder);
        RaiseToolMessage(LRSV(1941, QDir::toNativeSeparators(dbFolder)));
    };
    // The database folder itself is never made here: a folder that is gone (a disconnected drive) is reported.
    if (!QFileInfo(dbFolder).isDir() || !QDir().mkpath(work))
        fail();
    try {
        cAccessDb::CopyTemplate(work);
    } catch (const platform::RuntimeError &) {
        fail();
    }
    return cAccessDb::databaseFileIn(work);
}

void ReplaceDatabase(const QString &freshFile, const QString &dbFile)
{
    if (platform::databaseInUseElsewhere(dbFile))
        RaiseToolMessage(LRS(1382));
    // Journal files left beside the old database must not be rolled into the new one.
    for (const char *suffix : JournalSuffixes) {
        const QString stale = dbFile + QLatin1String(suffix);
        if (QFileInfo::exists(stale) && !QFile::remove(stale))
            raiseFileError(QStringLiteral("The file '%1' cannot be removed.").arg(QDir::toNativeSeparators(stale)),
                           platform::ErrorKind::FileNotWritten, stale);
    }
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(freshFile).toStdString(), QFile::encodeName(dbFile).toStdString(), ec);
    if (ec)
        raiseFileError(QStringLiteral("The file '%1' cannot be replaced: %2")
                           .arg(QDir::toNativeSeparators(dbFile), QString::fromLocal8Bit(ec.message().c_str())),
                       platform::ErrorKind::FileNotWritten, dbFile);
}

void DiscardFreshDatabase(const QString &dbFolder)
{
    const QString work = WorkFolderFor(dbFolder);
    if (QFileInfo::exists(work))
        QDir(work).removeRecursively();
}

} // namespace importtool
