#include "TestEnv.h"

#include "platform/Clock.h"
#include "platform/database/Connection.h"
#include "platform/registry/RegistryStore.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QQueue>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testenv {

struct Sandbox::Impl {
    QTemporaryDir dir;
    QQueue<platform::DialogAnswer> answers;
    QList<platform::DialogRequest> requests;
    std::function<void(const platform::DialogRequest &)> hook;
    QByteArray oldHome, oldConfig, oldData, oldRuntime, oldCache;
};

namespace {
void copyFileTo(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s to %s", qPrintable(from), qPrintable(to));
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}
}

Sandbox::Sandbox(const QDate &today, const QLocale &locale)
    : m(std::make_unique<Impl>())
{
    if (!m->dir.isValid())
        qFatal("no temporary folder");
    m->oldHome = qgetenv("HOME");
    m->oldConfig = qgetenv("XDG_CONFIG_HOME");
    m->oldData = qgetenv("XDG_DATA_HOME");
    m->oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    m->oldCache = qgetenv("XDG_CACHE_HOME");
    const QString r = m->dir.path();
    for (const char *sub : {"home", "home/Documents", "home/.config", "home/.local/share", "runtime", "home/.cache", "program"})
        QDir().mkpath(r + QLatin1Char('/') + QLatin1String(sub));
    QFile(r + QStringLiteral("/runtime")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home() + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home() + QStringLiteral("/.cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(r + QStringLiteral("/runtime")));
    // Documents: QStandardPaths reads user-dirs.dirs; without one it falls back to $HOME/Documents.
    platform::registry::setFolder(registryFolder());
    platform::setProgramFolder(programFolder());
    platform::setSingleInstanceFolder(r + QStringLiteral("/instance"));
    const QString bin = QStringLiteral(ORVEL_BIN_DIR);
    if (QFile::exists(masterGen()))
        copyFileTo(masterGen(), programFolder() + QStringLiteral("/master.gen"));
    for (const QString &help : QDir(bin).entryList({QStringLiteral("*.html")}, QDir::Files))
        copyFileTo(bin + QLatin1Char('/') + help, programFolder() + QLatin1Char('/') + help);
    platform::setToday(today);
    platform::setNow(QDateTime());
    platform::setUserLocale(locale);
    platform::setDbReleasePauseMs(0);
    platform::setOpenHandler([](const QString &) { return true; });
    platform::setHelpHandler([](const QString &, int) {});
    platform::setDialogResponder([this](const platform::DialogRequest &req) {
        m->requests.append(req);
        if (m->hook)
            m->hook(req);
        if (!m->answers.isEmpty())
            return m->answers.dequeue();
        platform::DialogAnswer a;
        switch (req.kind) {
        case platform::DialogKind::Message: {
            const int buttons = req.style & 7;
            a.button = (buttons == platform::vbYesNo || buttons == platform::vbYesNoCancel) ? platform::vbYes : platform::vbOK;
            break;
        }
        default:
            a.accepted = false;
            break;
        }
        return a;
    });
}

Sandbox::~Sandbox()
{
    platform::setDialogResponder({});
    platform::setToday(QDate());
    platform::setNow(QDateTime());
    platform::registry::setFolder(QString());
    platform::setProgramFolder(QString());
    platform::setSingleInstanceFolder(QString());
    qputenv("HOME", m->oldHome);
    qputenv("XDG_CONFIG_HOME", m->oldConfig);
    qputenv("XDG_DATA_HOME", m->oldData);
    qputenv("XDG_RUNTIME_DIR", m->oldRuntime);
    qputenv("XDG_CACHE_HOME", m->oldCache);
}

QString Sandbox::root() const { return m->dir.path(); }
QString Sandbox::home() const { return root() + QStringLiteral("/home"); }
QString Sandbox::documents() const { return home() + QStringLiteral("/Documents"); }
QString Sandbox::programFolder() const { return root() + QStringLiteral("/program"); }
QString Sandbox::registryFolder() const { return home() + QStringLiteral("/.config/Tarnwel"); }

QString Sandbox::masterGen()
{
    return QStringLiteral(ORVEL_BIN_DIR "/master.gen");
}

QString Sandbox::makeDatabase(const QString &folder) const
{
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/orvel3.mdb");
    copyFileTo(masterGen(), file);
    return file;
}

void Sandbox::answer(const platform::DialogAnswer &a) { m->answers.enqueue(a); }
void Sandbox::answerButton(int button) { platform::DialogAnswer a; a.button = button; answer(a); }
void Sandbox::answerText(const QString &text)
{
    platform::DialogAnswer a;
    a.text = text;
    a.accepted = !text.isEmpty();
    answer(a);
}
const QList<platform::DialogRequest> &Sandbox::requests() const { return m->requests; }
void Sandbox::clearRequests() { m->requests.clear(); }

bool Sandbox::told(const QString &part, const QString &title) const
{
    for (const platform::DialogRequest &r : m->requests)
        if (r.kind == platform::DialogKind::Message && r.text.contains(part) && (title.isEmpty() || r.title == title))
            return true;
    return false;
}

void Sandbox::whenAsked(std::function<void(const platform::DialogRequest &)> hook) { m->hook = std::move(hook); }

OrdinaryUser::OrdinaryUser(const Sandbox &box, const QHash<QString, int> &modes)
    : m_modes(modes)
{
    const auto setMode = [](const QString &path, int mode) { ::chmod(QFile::encodeName(path).constData(), mode_t(mode)); };
    if (::geteuid() == 0) {
        setMode(box.root(), 0777);
        QDirIterator it(box.root(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            setMode(path, it.fileInfo().isDir() ? 0777 : 0666);
        }
    }
    for (auto it = modes.constBegin(); it != modes.constEnd(); ++it)
        setMode(it.key(), it.value());
    if (::geteuid() != 0)
        return;
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    m_switched = ::setegid(nogroup) == 0 && ::seteuid(nobody) == 0;
    if (!m_switched)
        qFatal("cannot act as an ordinary user");
}

OrdinaryUser::~OrdinaryUser()
{
    if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
        qFatal("cannot return to the superuser");
    for (auto it = m_modes.constBegin(); it != m_modes.constEnd(); ++it)
        ::chmod(QFile::encodeName(it.key()).constData(), QFileInfo(it.key()).isDir() ? 0777 : 0666);
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // A write past the limit then fails with an error instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_old = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_old);
    setrlimit(RLIMIT_FSIZE, &limit);
}

QStringList pdfPages(const QString &pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QList<PdfWord> pdfWords(const QString &pdf, int page)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    const QString n = QString::number(page);
    p.start(tool, {QStringLiteral("-bbox"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"[0-9.]+\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    for (auto m = word.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); m.hasNext();) {
        const auto w = m.next();
        QString text = w.captured(3);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&")).replace(QStringLiteral("&apos;"), QStringLiteral("'"));
        words.append({text, w.captured(2).toDouble() - w.captured(1).toDouble()});
    }
    return words;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString connectionString(const QString &file)
{
    return platform::connectionStringFor(file);
}

void rawExec(const QString &file, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK);
    char *message = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message);
    const QString text = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(text));
}

int rawInt(const QString &file, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_stmt *st = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

void damageTable(const QString &file, const QByteArray &table, bool middleLeaf)
{
    const QByteArray leaves = "FROM dbstat WHERE name='" + table + "' AND pagetype='leaf'";
    const int page = middleLeaf ? rawInt(file, "SELECT pageno " + leaves + " ORDER BY pageno LIMIT 1 OFFSET (SELECT Count(*) / 2 "
                                                   + leaves + ")")
                                : rawInt(file, "SELECT rootpage FROM sqlite_master WHERE name='" + table + "'");
    const int pageSize = rawInt(file, "PRAGMA page_size");
    QVERIFY(page > 1 && pageSize > 0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(qint64(page - 1) * pageSize));
    QCOMPARE(f.write(QByteArray(pageSize, '\xee')), qint64(pageSize));
}

} // namespace testenv
