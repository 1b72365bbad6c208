#include "foundation/cAccessDb.h"

#include "foundation/cLang.h"
#include "foundation/comRegistry.h"
#include "foundation/modShared.h"
#include "foundation/SettingsKeys.h"
#include "foundation/SheetsTable.h"
#include "foundation/Tables.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/FileStamp.h"
#include "platform/database/Recordset.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString DbFileName = QStringLiteral("orvel3.mdb");

// True when the file is, to its stamp, the one the program last ended with and found sound.
bool rememberedSound(const QString &file)
{
    if (platform::databaseFileDamaged(file))
        return false;
    QString remembered;
    try {
        remembered = RegRead(1, QLatin1String(SoundDatabaseValue), QLatin1String(SettingsKey), QString()).toString();
    } catch (const std::exception &) {
        return false;
    }
    const QString stamp = platform::fileStamp(file);
    return !stamp.isEmpty() && remembered == file + QLatin1Char('|') + stamp;
}

// The tables of a database of the program and the columns each must have (in any order, names compared
// as the engine compares them: without regard to case).
struct TableColumns {
    const char *table;
    std::initializer_list<const char *> columns;
};
const TableColumns ExpectedTables[] = {
    {"Transactions",
     {"TrRowId", "TrDbId", "TrType", "TrDone", "TrDate", "TrDescription", "TrNotes", "TrAcId", "TrValue", "TrBalance",
      "TrGrpType", "TrGrpRow", "TrGrpMDay", "TrGrpId", "TrAlertDays", "TrCountId", "TrAttached", "IsPN"}},
    {"Accounts", {"AcId", "AcName", "AcNotes"}},
    {"Counts", {"CnId", "CnName"}},
    {"Dbs", {"DbId", "DbName"}},
};

// Adds to check the columns of the table that the recordset lacks and those it has beyond them.
void compareColumns(const platform::Recordset &rs, const TableColumns &expected, cAccessDb::DbCheck &check)
{
    QStringList names;
    for (int i = 0; i < rs.fieldCount(); ++i)
        names.append(rs.fieldName(i));
    const QString table = QLatin1String(expected.table);
    QStringList known;
    for (const char *column : expected.columns) {
        known.append(QLatin1String(column));
        if (!names.contains(QLatin1String(column), Qt::CaseInsensitive))
            check.missing.append(table + QLatin1Char('.') + QLatin1String(column));
    }
    for (const QString &name : names)
        if (!known.contains(name, Qt::CaseInsensitive))
            check.unexpected.append(table + QLatin1Char('.') + name);
}

[[noreturn]] void raiseCopyFailed(const QString &folder)
{
    throw platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3.cAccessDb"),
                                 LRSV(1941, QDir::toNativeSeparators(folder)));
}
} // namespace

cAccessDb::cAccessDb()
{
    QString folder = defaultFolder();
    try {
        folder = EnsureDefaultDbFolder();
    } catch (const platform::RuntimeError &) {
        // A file of that name, a documents folder that cannot be written: it matters only when the default
        // folder is the one in use, and start-up's test of it then says what is wrong.
    }
    QString stored = StoredDbPath(folder);
    // A value that is present but empty names no folder: it means the default one, never the root.
    if (stored.trimmed().isEmpty())
        stored = folder;
    m_dbPath = stored;
    m_attachedPath = attachedPathFor(m_dbPath);
}

QString cAccessDb::StoredDbPath(const QString &defaultFolder)
{
    const QVariant stored = RegRead(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), defaultFolder);
    if (stored.typeId() != QMetaType::QString)
        return defaultFolder;
    const QString path = stored.toString();
    // A relative path would make the database depend on the folder the program was started from.
    if (!path.isEmpty() && (QDir::isRelativePath(path) || path.contains(QChar(0))))
        return defaultFolder;
    return path;
}

QString cAccessDb::defaultFolder()
{
    return GetSpecialFolder(platform::CSIDL_PERSONAL) + QStringLiteral("/Orvel3DB");
}

QString cAccessDb::databaseFileIn(const QString &folder)
{
    return platform::pathAnyCase(folder, DbFileName);
}

QString cAccessDb::attachedPathFor(const QString &folder)
{
    return folder + QStringLiteral("/attached/");
}

QString cAccessDb::connectionStringFor(const QString &folder)
{
    return platform::connectionStringFor(databaseFileIn(folder));
}

QString cAccessDb::EnsureDefaultDbFolder()
{
    const QString folder = defaultFolder();
    m_dbPath = folder;
    if (!QFileInfo(folder).isDir()) {
        // A new account may have no documents folder yet: it is made too.
        if (!QDir().mkpath(folder))
            throw platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3.cAccessDb"),
                                         LRSV(1942, QDir::toNativeSeparators(folder)));
        platform::doEvents();
        CopyTemplate(folder);
    }
    return folder;
}

void cAccessDb::CopyTemplate(const QString &folder)
{
    const QString source = platform::programDataFile(QStringLiteral("master.gen"));
    const QString target = databaseFileIn(folder);
    if (!QFileInfo(source).isFile())
        raiseCopyFailed(folder);
    // Journal files of an earlier session must not be rolled into the fresh copy.
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString stale = target + QLatin1String(suffix);
        if (QFileInfo::exists(stale) && !QFile::remove(stale))
            raiseCopyFailed(folder);
    }
    try {
        platform::copyWholeFile(source, target, QStringLiteral("Orvel3.cAccessDb"));
    } catch (const platform::RuntimeError &e) {
        // A full disk is told as such; any other failure as the database that cannot be made.
        if (e.kind() == platform::ErrorKind::DiskFull)
            throw;
        raiseCopyFailed(folder);
    }
}

cAccessDb::DbCheck cAccessDb::CheckDb(const QString &folder) const
{
    DbCheck check;
    try {
        const QFileInfo file(databaseFileIn(folder));
        if (!file.exists() || !file.isFile()) {
            check.result = NoDatabaseFile;
            return check;
        }
        platform::Connection cn;
        cn.Open(connectionStringFor(folder));
        for (const TableColumns &expected : ExpectedTables) {
            // The columns of the table without reading its rows (a large sheet stays quick to test).
            platform::Recordset rs;
            try {
                rs.Open(Tables::columnsSql(QLatin1String(expected.table)), cn,
                        platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
                        platform::Recordset::adCmdText);
            } catch (const platform::RuntimeError &e) {
                if (e.kind() != platform::ErrorKind::WrongStructure)
                    throw;
                check.missing.append(QLatin1String(expected.table));
                continue;
            }
            compareColumns(rs, expected, check);
            rs.Close();
        }
        if (check.missing.isEmpty()) {
            // A database without any data sheet has nothing the program could show or write to.
            check.noSheet = !SheetsTable::lowestId(cn);
        }
        if (!check.missing.isEmpty() || !check.unexpected.isEmpty() || check.noSheet) {
            check.result = WrongStructure;
            return check;
        }
        // Every page is read once: a damaged one found now, rather than by a list or a save later. A file
        // that is still as it was when the program last ended and found it sound need not be read again.
        if (!rememberedSound(file.absoluteFilePath()) && !cn.CheckIntegrity()) {
            check.result = Unreadable;
            check.kind = platform::ErrorKind::NotADatabase;
        }
        cn.Close();
    } catch (const platform::RuntimeError &e) {
        check = DbCheck();
        check.result = Unreadable;
        check.kind = e.kind();
    } catch (...) {
        check = DbCheck();
        check.result = Unreadable;
    }
    return check;
}

void cAccessDb::RememberSoundDatabase() const
{
    QString remembered;
    try {
        const QString file = QFileInfo(databaseFileIn(m_dbPath)).absoluteFilePath();
        if (QFileInfo(file).isFile()) {
            platform::Connection cn;
            cn.Open(dcs());
            const QString before = platform::fileStamp(file);
            // Only a file that nobody wrote while it was read is known as it was read.
            if (cn.CheckIntegrity() && !before.isEmpty() && platform::fileStamp(file) == before)
                remembered = file + QLatin1Char('|') + before;
            cn.Close();
        }
    } catch (const std::exception &) {
        // Not known sound: the next start reads it whole.
    }
    try {
        RegWrite(1, QLatin1String(SoundDatabaseValue), QLatin1String(SettingsKey), remembered);
    } catch (const std::exception &) {
        // The settings cannot be written: the next start reads the file whole.
    }
}

void cAccessDb::AddTemplateIndexes(const QString &folder)
{
    try {
        platform::Connection cn;
        cn.Open(connectionStringFor(folder));
        platform::addMissingIndexes(cn, platform::programDataFile(QStringLiteral("master.gen")));
        cn.Close();
    } catch (const std::exception &) {
        // Only slower without them; the next start tries again.
    }
}

bool cAccessDb::NewDbFileIfNotExist(const QString &folder)
{
    if (QFileInfo::exists(databaseFileIn(folder)))
        return false;
    CopyTemplate(folder);
    return true;
}

void cAccessDb::StoreDbPath()
{
    RegWrite(1, QStringLiteral("DbPath"), QLatin1String(SettingsKey), m_dbPath);
}
