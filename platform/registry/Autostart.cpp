#include "platform/registry/Autostart.h"

#include "platform/registry/Hive.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace platform {
namespace registry {
namespace autostart {

namespace {

const QString kMarker = QStringLiteral("X-Tarnwel-Run-Value");

// Escapes of the desktop entry string type.
QString escapeString(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\\'))
            out.append(QLatin1String("\\\\"));
        else if (c == QLatin1Char('\n'))
            out.append(QLatin1String("\\n"));
        else if (c == QLatin1Char('\r'))
            out.append(QLatin1String("\\r"));
        else if (c == QLatin1Char('\t'))
            out.append(QLatin1String("\\t"));
        else if (c == QLatin1Char(' ') && i == 0)
            out.append(QLatin1String("\\s"));
        else
            out.append(c);
    }
    return out;
}

QString unescapeString(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c != QLatin1Char('\\') || i + 1 == s.size()) {
            out.append(c);
            continue;
        }
        const QChar n = s.at(++i);
        if (n == QLatin1Char('s'))
            out.append(QLatin1Char(' '));
        else if (n == QLatin1Char('n'))
            out.append(QLatin1Char('\n'));
        else if (n == QLatin1Char('t'))
            out.append(QLatin1Char('\t'));
        else if (n == QLatin1Char('r'))
            out.append(QLatin1Char('\r'));
        else if (n == QLatin1Char('\\'))
            out.append(QLatin1Char('\\'));
        else
            out.append(QLatin1Char('\\')).append(n);
    }
    return out;
}

// The whole value as one quoted argument of Exec: inside the quotes " ` $ \ take a backslash, a % is
// doubled (field codes), then the string escapes apply to the result.
QString execValue(const QString &command)
{
    QString arg = QStringLiteral("\"");
    for (QChar c : command) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            arg.append(QLatin1Char('\\'));
        arg.append(c);
    }
    arg.append(QLatin1Char('"'));
    arg.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapeString(arg);
}

// The keys of the [Desktop Entry] group of a file (unescaped).
QHash<QString, QString> readEntry(const QString &path)
{
    QHash<QString, QString> keys;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return keys;
    bool inEntry = false;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inEntry || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, unescapeString(line.mid(eq + 1).trimmed()));
    }
    return keys;
}

// A file name for a new entry: the value name with what is not a letter, digit, '.', '-' or '_' made
// '_', unique in the folder.
QString newEntryPath(const QString &valueName)
{
    QString base;
    for (QChar c : valueName) {
        const bool safe = (c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('-')
                          || c == QLatin1Char('_') || c == QLatin1Char('.');
        base.append(safe ? c : QLatin1Char('_'));
    }
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    base.truncate(100);
    if (base.isEmpty())
        base = QStringLiteral("run-value");
    const QString dir = folder() + QLatin1Char('/');
    QString path = dir + base + QLatin1String(".desktop");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir + base + QLatin1Char('-') + QString::number(n) + QLatin1String(".desktop");
    return path;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    try {
        writeWholeFile(path, content, QStringLiteral("Autostart"));
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

} // namespace

QString runKeyPath()
{
    return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

bool isRunKey(quint32 root, const QString &path)
{
    return root == HKEY_CURRENT_USER && Hive::normalizePath(path).compare(runKeyPath(), Qt::CaseInsensitive) == 0;
}

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QStringList entryFiles(const QString &valueName)
{
    QStringList found;
    const QDir dir(folder());
    for (const QString &name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        const auto keys = readEntry(path);
        const auto it = keys.constFind(kMarker);
        if (it != keys.cend() && it->compare(valueName, Qt::CaseInsensitive) == 0)
            found.append(path);
    }
    return found;
}

bool isEnabled(const QString &valueName)
{
    for (const QString &path : entryFiles(valueName)) {
        const auto keys = readEntry(path);
        if (keys.value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            continue;
        if (keys.value(QStringLiteral("X-GNOME-Autostart-enabled")).compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            continue;
        return true;
    }
    return false;
}

QByteArray entryText(const QString &valueName, const QString &command)
{
    const QString name = valueName.isEmpty() ? QStringLiteral("run-value") : valueName;
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n");
    text += QStringLiteral("Name=") + escapeString(name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + execValue(command) + QLatin1Char('\n');
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    text += kMarker + QLatin1Char('=') + escapeString(valueName) + QLatin1Char('\n');
    return text.toUtf8();
}

void Change::remember(const QString &path)
{
    for (const Saved &s : std::as_const(m_saved)) {
        if (s.path == path)
            return;
    }
    Saved saved;
    saved.path = path;
    QFile f(path);
    if (f.exists() && f.open(QIODevice::ReadOnly)) {
        saved.existed = true;
        saved.content = f.readAll();
    }
    m_saved.append(saved);
}

bool Change::write(const QString &valueName, const QString &command)
{
    if (!QDir().mkpath(folder()))
        return false;
    const QStringList existing = entryFiles(valueName);
    const QString path = existing.isEmpty() ? newEntryPath(valueName) : existing.first();
    remember(path);
    if (!writeFile(path, entryText(valueName, command)))
        return false;
    // Copies of the entry (made by hand) would start the program twice.
    for (qsizetype i = 1; i < existing.size(); ++i) {
        remember(existing.at(i));
        if (!QFile::remove(existing.at(i)))
            return false;
    }
    return true;
}

bool Change::remove(const QString &valueName)
{
    for (const QString &path : entryFiles(valueName)) {
        remember(path);
        if (!QFile::remove(path))
            return false;
    }
    return true;
}

void Change::undo()
{
    for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
        if (it->existed)
            writeFile(it->path, it->content);
        else
            QFile::remove(it->path);
    }
    m_saved.clear();
}

} // namespace autostart
} // namespace registry
} // namespace platform
