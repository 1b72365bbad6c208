#include "platform/registry/RegistryStore.h"

#include "platform/registry/Autostart.h"
#include "platform/registry/Hive.h"
#include "platform/shell/Shell.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QStandardPaths>
#include <functional>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace platform {
namespace registry {

namespace {

constexpr int kLockWaitMs = 5000;       // how long a write waits for another writer
constexpr int kStaleLockMs = 10000;     // a lock older than this is taken as left behind

QString g_folder;
ErrorKind g_lastWriteFailure = ErrorKind::Other;

QString rootName(quint32 root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_USERS: return QStringLiteral("HKEY_USERS");
    default: return QString();
    }
}

// What tells a hive file's versions apart: a write renames a new file into place, so the inode changes
// with every write; size and modification time catch edits made in place.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    qint64 mtime = 0;
    quint64 inode = 0;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &file)
{
    Stamp s;
#ifdef Q_OS_LINUX
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.size = st.st_size;
    s.mtime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = st.st_ino;
#else
    const QFileInfo fi(file);
    if (!fi.exists())
        return s;
    s.exists = true;
    s.size = fi.size();
    s.mtime = fi.lastModified().toMSecsSinceEpoch();
#endif
    return s;
}

struct Cached {
    Stamp stamp;
    Hive hive;
};

QHash<QString, Cached> &cache()
{
    static QHash<QString, Cached> c;
    return c;
}

QStringList &setAsideFiles()
{
    static QStringList files;
    return files;
}

// Takes a hive's lock file. One left empty (a process ended between making it and writing its id into it)
// names no holder: it is removed at once, unless a live process still has it locked.
bool takeLock(QLockFile &lock)
{
    lock.setStaleLockTime(kStaleLockMs);
    const QFileInfo info(lock.fileName());
    if (info.exists() && info.size() == 0)
        lock.removeStaleLockFile();
    return lock.tryLock(kLockWaitMs);
}

QString lockPathOf(const QString &file)
{
    return file + QStringLiteral(".lock");
}

enum class SetAside { Done, FileChanged, Failed };

// Renames a hive file that cannot be read aside, so that it is kept for the user and not written over.
// FileChanged when another process replaced or renamed it since it was read; Failed when it cannot be
// renamed (a read-only folder) or its lock cannot be had. `locked`: the caller holds the hive's lock.
SetAside setAside(const QString &file, const Stamp &seen, bool locked)
{
    QLockFile lock(lockPathOf(file));
    if (!locked && !takeLock(lock))
        return SetAside::Failed;
    if (!(stampOf(file) == seen))
        return SetAside::FileChanged;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
    QString aside = file + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = file + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(file, aside))
        return SetAside::Failed;
    setAsideFiles().append(aside);
    return SetAside::Done;
}

// The hive as its file holds it now (an empty one when there is no file, or when the file could not be
// read as a whole and was set aside); null when the file exists but cannot be read or set aside, which a
// write must not take for an empty hive. `locked`: the caller holds the hive's lock.
const Hive *currentHive(const QString &file, const QString &name, bool locked = false)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Stamp stamp = stampOf(file);
        auto it = cache().find(file);
        if (it != cache().end() && it->stamp == stamp)
            return &it->hive;
        Cached fresh;
        fresh.stamp = stamp;
        fresh.hive = Hive(name);
        if (stamp.exists) {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly))
                return nullptr;
            const QByteArray bytes = f.readAll();
            f.close();
            if (Hive::isWhole(bytes)) {
                fresh.hive = Hive::parse(name, bytes);
            } else {
                const SetAside r = setAside(file, stamp, locked);
                if (r == SetAside::FileChanged)
                    continue;
                if (r == SetAside::Failed)
                    return nullptr;
                fresh.stamp = stampOf(file);
            }
        }
        return &cache().insert(file, std::move(fresh))->hive;
    }
    return nullptr;
}

const Hive *currentHive(quint32 root)
{
    const QString name = rootName(root);
    return name.isEmpty() ? nullptr : currentHive(hiveFile(root), name);
}

enum class Outcome { Unchanged, Changed, Failed };
using Edit = std::function<Outcome(Hive &, autostart::Change &)>;

// Read-modify-write of a root's hive under its lock file. The new hive goes to a temporary file that is
// renamed over the old one, so a failure anywhere (no lock, unreadable hive, unwritable folder, full disk)
// leaves the old hive whole; the autostart entries the edit touched are put back then too.
bool modifyHive(quint32 root, const Edit &edit)
{
    const QString name = rootName(root);
    if (name.isEmpty() || !QDir().mkpath(folder()))
        return false;
    const QString file = hiveFile(root);
    QLockFile lock(lockPathOf(file));
    if (!takeLock(lock))
        return false;
    const Hive *current = currentHive(file, name, true);
    if (!current)
        return false;
    Hive hive = *current;
    autostart::Change entries;
    switch (edit(hive, entries)) {
    case Outcome::Failed:
        entries.undo();
        return false;
    case Outcome::Unchanged:
        return true;
    case Outcome::Changed:
        break;
    }
    try {
        writeWholeFile(file, hive.serialize(), QStringLiteral("Registry"));
    } catch (const RuntimeError &e) {
        g_lastWriteFailure = e.kind();
        entries.undo();
        return false;
    }
    cache().insert(file, Cached{stampOf(file), std::move(hive)});
    return true;
}

bool isText(int kind)
{
    return kind == REG_SZ || kind == REG_EXPAND_SZ;
}

// The command an autostart entry runs for a Run value of a text kind.
QString runCommand(const RawValue &value)
{
    const QString text = textOf(value);
    return value.kind == REG_EXPAND_SZ ? expandEnvironmentStrings(text) : text;
}

} // namespace

ErrorKind lastWriteFailure()
{
    return g_lastWriteFailure;
}

QStringList takeSetAsideHives()
{
    QStringList files;
    files.swap(setAsideFiles());
    return files;
}

RawValue makeText(int kind, const QString &text)
{
    RawValue v;
    v.kind = kind;
    v.data = text.toUtf8();
    v.data.append('\0');
    return v;
}

QString textOf(const RawValue &value)
{
    QByteArray data = value.data;
    if (data.endsWith('\0'))
        data.chop(1);
    return QString::fromUtf8(data);
}

QString expandEnvironmentStrings(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const qsizetype close = c == QLatin1Char('%') ? text.indexOf(QLatin1Char('%'), i + 1) : -1;
        if (close > i + 1) {
            const QString name = text.mid(i + 1, close - i - 1);
            if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
                out.append(qEnvironmentVariable(name.toLocal8Bit().constData()));
                i = close + 1;
                continue;
            }
        }
        out.append(c);
        ++i;
    }
    return out;
}

QString folder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tarnwel");
}

void setFolder(const QString &path)
{
    g_folder = path;
    cache().clear();
}

QString hiveFile(quint32 root)
{
    const QString name = rootName(root);
    return name.isEmpty() ? QString() : folder() + QLatin1Char('/') + name + QStringLiteral(".reg");
}

bool keyExists(quint32 root, const QString &path)
{
    const Hive *hive = currentHive(root);
    return hive && hive->findKey(path);
}

bool createKey(quint32 root, const QString &path)
{
    g_lastWriteFailure = ErrorKind::Other;
    if (rootName(root).isEmpty() || !Hive::isStorableName(path))
        return false;
    if (keyExists(root, path))
        return true;
    return modifyHive(root, [&](Hive &hive, autostart::Change &) {
        if (hive.findKey(path))
            return Outcome::Unchanged;
        hive.ensureKey(path);
        return Outcome::Changed;
    });
}

bool deleteKey(quint32 root, const QString &path)
{
    g_lastWriteFailure = ErrorKind::Other;
    return modifyHive(root, [&](Hive &hive, autostart::Change &entries) {
        const Hive::Key *key = hive.findKey(path);
        if (!key || key->path.isEmpty() || hive.hasSubkeys(path))
            return Outcome::Failed;
        if (autostart::isRunKey(root, path)) {
            for (const Hive::Value &v : key->values) {
                if (!entries.remove(v.name))
                    return Outcome::Failed;
            }
        }
        hive.removeKey(path);
        return Outcome::Changed;
    });
}

std::optional<RawValue> readValue(quint32 root, const QString &path, const QString &name)
{
    const Hive *hive = currentHive(root);
    const Hive::Key *key = hive ? hive->findKey(path) : nullptr;
    const Hive::Value *value = key ? Hive::findValue(*key, name) : nullptr;
    if (!value)
        return std::nullopt;
    const RawValue raw = value->raw;
    if (isText(raw.kind) && autostart::isRunKey(root, path) && !autostart::isEnabled(value->name))
        return std::nullopt;
    return raw;
}

bool writeValue(quint32 root, const QString &path, const QString &name, const RawValue &value)
{
    g_lastWriteFailure = ErrorKind::Other;
    if (!Hive::isStorableName(path) || !Hive::isStorableName(name))
        return false;
    return modifyHive(root, [&](Hive &hive, autostart::Change &entries) {
        Hive::Key &key = hive.ensureKey(path);
        if (autostart::isRunKey(root, path)) {
            const Hive::Value *old = Hive::findValue(key, name);
            const QString stored = old ? old->name : name;
            const bool ok = isText(value.kind) ? entries.write(stored, runCommand(value)) : entries.remove(stored);
            if (!ok)
                return Outcome::Failed;
        }
        Hive::setValue(key, name, value);
        return Outcome::Changed;
    });
}

bool deleteValue(quint32 root, const QString &path, const QString &name)
{
    g_lastWriteFailure = ErrorKind::Other;
    return modifyHive(root, [&](Hive &hive, autostart::Change &entries) {
        if (!hive.findKey(path))
            return Outcome::Failed;
        Hive::Key &key = hive.ensureKey(path);
        bool existed = false;
        if (autostart::isRunKey(root, path)) {
            existed = !autostart::entryFiles(name).isEmpty();
            if (!entries.remove(name))
                return Outcome::Failed;
        }
        if (Hive::removeValue(key, name))
            return Outcome::Changed;
        return existed ? Outcome::Unchanged : Outcome::Failed;
    });
}

std::optional<QStringList> valueNames(quint32 root, const QString &path)
{
    const Hive *hive = currentHive(root);
    const Hive::Key *key = hive ? hive->findKey(path) : nullptr;
    if (!key)
        return std::nullopt;
    const bool run = autostart::isRunKey(root, path);
    QStringList names;
    for (const Hive::Value &v : key->values) {
        if (!run || !isText(v.raw.kind) || autostart::isEnabled(v.name))
            names.append(v.name);
    }
    return names;
}

std::optional<QStringList> subkeyNames(quint32 root, const QString &path)
{
    const Hive *hive = currentHive(root);
    if (!hive || !hive->findKey(path))
        return std::nullopt;
    return hive->subkeyNames(path);
}

} // namespace registry
} // namespace platform
