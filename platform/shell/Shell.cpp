#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
QString g_programFolder;
QString g_singleInstanceFolder;
std::optional<QLocale> g_userLocale;
OpenHandler g_openHandler = nullptr;
HelpHandler g_helpHandler = nullptr;

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
} // namespace

QString specialFolder(int csidl)
{
    switch (csidl) {
    case CSIDL_PERSONAL:
        return withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    case CSIDL_LOCAL_APPDATA:
        return withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    case CSIDL_PROGRAM_FILES:
        return QStringLiteral("/usr/local/lib");
    default:
        return QString();
    }
}

QString programFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    if (QCoreApplication::instance())
        return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
    return withoutTrailingSeparator(QDir::currentPath());
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = withoutTrailingSeparator(folder);
}

QString programPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return programFolder() + QStringLiteral("/Orvel3");
}

QString programDataFile(const QString &name)
{
    const QString beside = programFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(programFolder() + QStringLiteral("/../share/orvel3/") + name);
    return QFileInfo::exists(installed) ? installed : beside;
}

QLocale userLocale()
{
    return g_userLocale ? *g_userLocale : QLocale::system();
}

void setUserLocale(const QLocale &locale)
{
    g_userLocale = locale;
}

QString windowsLanguageId(const QLocale &locale)
{
    // Primary language id in the low ten bits, sub-language above: the ids the language choice compares.
    struct Entry { QLocale::Language language; QLocale::Territory territory; const char *id; };
    static const Entry table[] = {
        {QLocale::Italian, QLocale::Italy, "0410"},
        {QLocale::Italian, QLocale::Switzerland, "0810"},
        {QLocale::French, QLocale::France, "040c"},
        {QLocale::French, QLocale::Belgium, "080c"},
        {QLocale::French, QLocale::Canada, "0c0c"},
        {QLocale::French, QLocale::Switzerland, "100c"},
        {QLocale::French, QLocale::Luxembourg, "140c"},
        {QLocale::French, QLocale::Monaco, "180c"},
        {QLocale::French, QLocale::Reunion, "200c"},
        {QLocale::French, QLocale::CongoKinshasa, "240c"},
        {QLocale::French, QLocale::Senegal, "280c"},
        {QLocale::French, QLocale::Cameroon, "2c0c"},
        {QLocale::French, QLocale::IvoryCoast, "300c"},
        {QLocale::French, QLocale::Mali, "340c"},
        {QLocale::French, QLocale::Morocco, "380c"},
        {QLocale::French, QLocale::Haiti, "3c0c"},
        {QLocale::Spanish, QLocale::Spain, "0c0a"},
        {QLocale::Spanish, QLocale::Mexico, "080a"},
        {QLocale::Spanish, QLocale::Guatemala, "100a"},
        {QLocale::Spanish, QLocale::CostaRica, "140a"},
        {QLocale::Spanish, QLocale::Panama, "180a"},
        {QLocale::Spanish, QLocale::DominicanRepublic, "1c0a"},
        {QLocale::Spanish, QLocale::Venezuela, "200a"},
        {QLocale::Spanish, QLocale::Colombia, "240a"},
        {QLocale::Spanish, QLocale::Peru, "280a"},
        {QLocale::Spanish, QLocale::Argentina, "2c0a"},
        {QLocale::Spanish, QLocale::Ecuador, "300a"},
        {QLocale::Spanish, QLocale::Chile, "340a"},
        {QLocale::Spanish, QLocale::Uruguay, "380a"},
        {QLocale::Spanish, QLocale::Paraguay, "3c0a"},
        {QLocale::Spanish, QLocale::Bolivia, "400a"},
        {QLocale::Spanish, QLocale::ElSalvador, "440a"},
        {QLocale::Spanish, QLocale::Honduras, "480a"},
        {QLocale::Spanish, QLocale::Nicaragua, "4c0a"},
        {QLocale::Spanish, QLocale::PuertoRico, "500a"},
        {QLocale::Spanish, QLocale::UnitedStates, "540a"},
        {QLocale::German, QLocale::Germany, "0407"},
        {QLocale::German, QLocale::Switzerland, "0807"},
        {QLocale::German, QLocale::Austria, "0c07"},
        {QLocale::German, QLocale::Luxembourg, "1007"},
        {QLocale::German, QLocale::Liechtenstein, "1407"},
        {QLocale::English, QLocale::UnitedStates, "0409"},
        {QLocale::English, QLocale::UnitedKingdom, "0809"},
        {QLocale::Portuguese, QLocale::Portugal, "0816"},
        {QLocale::Portuguese, QLocale::Brazil, "0416"},
    };
    for (const Entry &e : table)
        if (e.language == locale.language() && e.territory == locale.territory())
            return QString::fromLatin1(e.id);
    // A territory not listed: the language's main id.
    for (const Entry &e : table)
        if (e.language == locale.language())
            return QString::fromLatin1(e.id);
    return QString();
}

QString localeString(int /*localeId*/, int item)
{
    const QLocale locale = userLocale();
    switch (item) {
    case LOCALE_ILANGUAGE:
        return windowsLanguageId(locale);
    case LOCALE_SDECIMAL:
        return locale.decimalPoint();
    case LOCALE_IMEASURE:
        return locale.measurementSystem() == QLocale::MetricSystem ? QStringLiteral("0") : QStringLiteral("1");
    case LOCALE_IFIRSTDAYOFWEEK:
        // Qt numbers Monday 1 .. Sunday 7; the item numbers Monday 0 .. Sunday 6.
        return QString::number(int(locale.firstDayOfWeek()) - 1);
    default:
        return QString();
    }
}

bool openWithDefaultApplication(const QString &link)
{
    if (g_openHandler)
        return g_openHandler(link);
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2 || url.isLocalFile())
        return false;
    return QDesktopServices::openUrl(url);
}

bool runsWhenOpened(const QString &path)
{
    const QFileInfo fi(path);
    // Kinds that the desktop runs, or hands to an interpreter, rather than shows.
    static const char *const running[] = {
        "application/x-executable",      "application/x-sharedlib",   "application/x-pie-executable",
        "application/x-shellscript",     "application/x-desktop",     "application/x-ms-dos-executable",
        "application/x-msdownload",      "application/x-msi",         "application/x-ms-shortcut",
        "application/x-bat",             "application/x-java-archive", "application/x-perl",
        "text/x-python",                 "text/x-python3",            "application/x-ruby",
        "application/javascript",        "application/x-appimage",    "application/vnd.appimage",
        "application/x-deb",             "application/vnd.microsoft.portable-executable",
    };
    const QMimeDatabase db;
    const QMimeType content = db.mimeTypeForFile(fi, QMimeDatabase::MatchContent);
    QList<QMimeType> kinds = db.mimeTypesForFileName(fi.fileName());
    kinds.append(content);
    for (const QMimeType &kind : kinds)
        for (const char *name : running)
            if (kind.inherits(QLatin1String(name)))
                return true;
    // An executable file whose content tells no document kind (plain text, unknown bytes) may be a
    // program or a script without its mark. Documents on disks that mark every file executable still open.
    return fi.isExecutable()
           && (content.isDefault() || content.name() == QLatin1String("text/plain"));
}

namespace {

enum class OpenerFailure { Missing, NoProgram, ProgramFailed };

// Hands a local file's URL to the desktop's opener; false when nothing could be asked. The opener
// (xdg-open) tells by its exit status whether it found a program to show the file; started detached (as
// the toolkit does), a failure would never be known. It may wait for the program it starts, so it is
// watched without blocking and `failed` is called on the UI thread when it ends without having shown the
// file. Its output goes nowhere, so that a program it leaves running never writes into a closed pipe.
bool openWithDesktop(const QUrl &url, const std::function<void(OpenerFailure)> &failed)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url);
    auto *process = new QProcess(QCoreApplication::instance());
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // a crash is told when the process has finished
        failed(OpenerFailure::NoProgram);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        // xdg-open: 0 shown, 2 the file is missing, 3 no program to show it, others the program failed.
        if (status == QProcess::NormalExit && code == 0)
            return;
        failed(status == QProcess::NormalExit && code == 2   ? OpenerFailure::Missing
               : status == QProcess::NormalExit && code == 3 ? OpenerFailure::NoProgram
                                                             : OpenerFailure::ProgramFailed);
    });
    process->start(opener, {QString::fromUtf8(url.toEncoded())});
    return true;
}

} // namespace

OpenFileResult openFile(const QString &path, const std::function<void(OpenFileResult)> &failedLater)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isAbsolute() || !fi.isFile())
        return OpenFileResult::NotFound;
    if (runsWhenOpened(path))
        return OpenFileResult::RunsWhenOpened;
    if (g_openHandler)
        return g_openHandler(fi.absoluteFilePath()) ? OpenFileResult::Opened : OpenFileResult::Failed;
    const bool asked = openWithDesktop(QUrl::fromLocalFile(fi.absoluteFilePath()), [failedLater](OpenerFailure f) {
        if (failedLater)
            failedLater(f == OpenerFailure::Missing ? OpenFileResult::NotFound : OpenFileResult::Failed);
    });
    return asked ? OpenFileResult::Opened : OpenFileResult::Failed;
}

QString pathAnyCase(const QString &folder, const QString &name)
{
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    return exact;
}

bool folderIsWritable(const QString &folder)
{
#ifdef Q_OS_UNIX
    // The effective user decides what the process may write (as it does for every write it makes).
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

bool lacksSpace(const QString &folder, qint64 bytes)
{
    const QStorageInfo volume(folder);
    return volume.isValid() && volume.bytesAvailable() >= 0 && volume.bytesAvailable() < bytes;
}

ErrorKind writeFailureKind(const QFileDevice &file, qint64 bytes, ErrorKind otherwise)
{
    // The file layer reports a full disk as a resource error when the system says so; a disk that fills
    // up under a write often leaves only a short write, with no reason given.
    if (file.error() == QFileDevice::ResourceError
        || lacksSpace(QFileInfo(file.fileName()).absolutePath(), bytes))
        return ErrorKind::DiskFull;
    return otherwise;
}

namespace {

WriteFault g_writeFault = nullptr;

// Writes a file's whole content, which writeContent puts into the open file (false when a write of it
// failed): through a temporary file renamed into place, or directly into an existing device or pipe.
// Every failure raises, the temporary file removed; `bytes` is the size the content will have.
void writeWhole(const QString &file, qint64 bytes, const QString &source,
                const std::function<bool(QFileDevice &)> &writeContent)
{
    const QFileInfo target(file);
    std::unique_ptr<QFileDevice> out;
    QSaveFile *save = nullptr;
    if (target.exists() && !target.isFile() && !target.isDir()) {
        out = std::make_unique<QFile>(file);
    } else {
        auto whole = std::make_unique<QSaveFile>(file);
        save = whole.get();
        out = std::move(whole);
    }
    const auto fail = [&](ErrorKind known = ErrorKind::Other) {
        // What the failure means is read before a cancelled temporary file gives its room back.
        const ErrorKind kind = known != ErrorKind::Other ? known : writeFailureKind(*out, bytes);
        const QString why = known == ErrorKind::DiskFull ? QString::fromLocal8Bit(std::strerror(ENOSPC))
                                                         : out->errorString();
        if (save)
            save->cancelWriting();
        const QString shown = QDir::toNativeSeparators(file);
        throw RuntimeError(errors::DbGeneric, source, shown + QStringLiteral(": ") + why, kind, shown);
    };
    if (!out->open(QIODevice::WriteOnly))
        fail();
    // The buffer is flushed and checked here: a temporary file's commit flushes it too, but does not report
    // a failure of that last write and would rename a short file into place.
    if (!writeContent(*out) || !out->flush() || out->error() != QFileDevice::NoError)
        fail();
    if (g_writeFault && g_writeFault(file))
        fail(ErrorKind::DiskFull);
    if (save) {
        if (!save->commit())
            fail();
    } else {
        out->close();
        if (out->error() != QFileDevice::NoError)
            fail();
    }
}

} // namespace

void writeWholeFile(const QString &file, const QByteArray &bytes, const QString &source)
{
    writeWhole(file, bytes.size(), source, [&](QFileDevice &out) { return out.write(bytes) == bytes.size(); });
}

void copyWholeFile(const QString &from, const QString &to, const QString &source)
{
    QFile in(from);
    const auto unreadable = [&] {
        const QString shown = QDir::toNativeSeparators(from);
        throw RuntimeError(errors::DbGeneric, source, shown + QStringLiteral(": ") + in.errorString(),
                           ErrorKind::Other, shown);
    };
    if (!in.open(QIODevice::ReadOnly))
        unreadable();
    writeWhole(to, in.size(), source, [&](QFileDevice &out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 16);
            if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
                unreadable();   // the unfinished copy goes with its temporary file
            if (out.write(chunk) != chunk.size())
                return false;
        }
        return true;
    });
}

void setWriteFault(WriteFault fault)
{
    g_writeFault = fault;
}

void setOpenHandler(OpenHandler handler)
{
    g_openHandler = handler;
}

void sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

void doEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QString singleInstanceFolder()
{
    if (!g_singleInstanceFolder.isEmpty())
        return g_singleInstanceFolder;
    QString home;
#ifdef Q_OS_UNIX
    // The home folder of the user database, not $HOME: a start with another environment finds the same lock.
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        home = QFile::decodeName(pw->pw_dir);
#endif
    if (home.isEmpty())
        home = QDir::homePath();
    return withoutTrailingSeparator(home) + QStringLiteral("/.local/state/Tarnwel");
}

void setSingleInstanceFolder(const QString &folder)
{
    g_singleInstanceFolder = withoutTrailingSeparator(folder);
}

struct SingleInstance::Impl {
    QLockFile lock;
    bool held = false;
    explicit Impl(const QString &path) : lock(path) {}
};

SingleInstance::SingleInstance(const QString &name)
{
    const QString dir = singleInstanceFolder();
    QDir().mkpath(dir);
    m = new Impl(dir + QLatin1Char('/') + name + QStringLiteral(".lock"));
    // A lock is stale only when its process is gone; QLockFile checks the process id itself.
    m->lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    release();
    delete m;
}

bool SingleInstance::acquire()
{
    if (m->held)
        return true;
    // tryLock takes over a lock whose process is gone (QLockFile checks the recorded process id).
    m->held = m->lock.tryLock(0);
    // A lock that cannot be made at all (an unwritable home) names no other instance: the start goes on.
    return m->held || m->lock.error() != QLockFile::LockFailedError;
}

void SingleInstance::release()
{
    if (m->held) {
        m->lock.unlock();
        m->held = false;
    }
}

void setHelpHandler(HelpHandler handler)
{
    g_helpHandler = handler;
}

void showHelp(const QString &file, int context, const std::function<void(HelpFailure)> &failed)
{
    if (g_helpHandler) {
        g_helpHandler(file, context);
        return;
    }
    if (!QFileInfo(file).isFile()) {
        failed(HelpFailure::PageMissing);
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(QStringLiteral("context-%1").arg(context));
    if (g_openHandler) {
        if (!g_openHandler(url.toString()))
            failed(HelpFailure::NoViewer);
        return;
    }
    const bool asked = openWithDesktop(url, [failed](OpenerFailure f) {
        failed(f == OpenerFailure::Missing     ? HelpFailure::PageMissing
               : f == OpenerFailure::NoProgram ? HelpFailure::NoViewer
                                               : HelpFailure::ViewerFailed);
    });
    if (!asked)
        failed(HelpFailure::NoViewer);
}

long peakResidentKiB()
{
    // Read from the process's own status: the resource usage of a program started from a larger one
    // counts the larger one's memory too.
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace platform
