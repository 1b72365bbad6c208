#include "BenchProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <vector>

extern char **environ;

namespace benchprocess {

qint64 monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

namespace {

// The number after marker in the output; -1 when there is none.
double numberAfter(const QByteArray &output, const QByteArray &marker)
{
    const qsizetype at = output.indexOf(marker);
    if (at < 0)
        return -1;
    static const QRegularExpression number(QStringLiteral("([0-9]+(?:\\.[0-9]+)?)"));
    const auto m = number.match(QString::fromLatin1(output.mid(at + marker.size())));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

} // namespace

Outcome run(const QString &program, const QStringList &args, const QStringList &env)
{
    Outcome out;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return out;

    // The environment: ours, with the given names replaced; the launch time is written in by the child.
    std::vector<QByteArray> envStore;
    QStringList names;
    for (const QString &e : env)
        names << e.section(QLatin1Char('='), 0, 0);
    for (char **p = environ; *p; ++p) {
        const QByteArray entry(*p);
        if (!names.contains(QString::fromLocal8Bit(entry.left(entry.indexOf('=')))))
            envStore.push_back(entry);
    }
    for (const QString &e : env)
        envStore.push_back(e.toLocal8Bit());
    envStore.push_back(QByteArray("ORVEL_BENCH_LAUNCHED_NS=") + QByteArray(24, '\0'));
    std::vector<QByteArray> argStore{QFile::encodeName(program)};
    for (const QString &a : args)
        argStore.push_back(a.toLocal8Bit());
    std::vector<char *> argv, envp;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char *launched = envStore.back().data() + sizeof("ORVEL_BENCH_LAUNCHED_NS=") - 1;
    const int devNull = open("/dev/null", O_WRONLY);
    // As root, the program runs as a user of its own: an instance of the program that the machine's user
    // has open does not count as its own (the program allows one instance per user).
    const passwd *nobody = getuid() == 0 ? getpwnam("nobody") : nullptr;
    const uid_t uid = nobody ? nobody->pw_uid : 0;
    const gid_t gid = nobody ? nobody->pw_gid : 0;

    const qint64 start = monotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only calls that are safe after fork from here on.
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);   // the platform's notices would mix with the benchmark's table
        close(pipeFds[0]);
        if (nobody && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(126);
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        auto ns = static_cast<unsigned long long>(now.tv_sec) * 1000000000ull
                 + static_cast<unsigned long long>(now.tv_nsec);
        char digits[24];
        int k = 0;
        do {
            digits[k++] = char('0' + ns % 10);
            ns /= 10;
        } while (ns > 0);
        for (int i = 0; i < k; ++i)
            launched[i] = digits[k - 1 - i];
        launched[k] = '\0';
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (devNull >= 0)
        close(devNull);
    if (pid < 0) {
        close(pipeFds[0]);
        return out;
    }
    // A program that hangs (a message box nobody sees) is ended after Timeout.
    constexpr int TimeoutMs = 300000;
    char buffer[4096];
    for (;;) {
        pollfd wait{pipeFds[0], POLLIN, 0};
        const int ready = poll(&wait, 1, int(qMax<qint64>(0, TimeoutMs - (monotonicNs() - start) / 1000000)));
        if (ready <= 0) {
            kill(pid, SIGKILL);
            out.output += "(ended: no answer in time)";
            break;
        }
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.output.append(buffer, int(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    out.wallMs = double(monotonicNs() - start) / 1e6;
    out.firstPaintMs = numberAfter(out.output, "first paint");
    out.peakKiB = numberAfter(out.output, "peak");
    out.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && out.peakKiB >= 0;
    return out;
}

Home::Home(const QString &root, const QString &dbFile)
    : m_root(root)
{
    for (const char *sub : {"home/Documents/Orvel3DB", "home/.config", "home/.local/share", "home/.cache", "runtime"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString target = root + QStringLiteral("/home/Documents/Orvel3DB/orvel3.mdb");
    QFile::remove(target);
    if (!QFile::copy(dbFile, target))
        qFatal("cannot copy %s", qPrintable(dbFile));
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // The program may run as another user (run()): the home is its.
    if (getuid() == 0) {
        if (const passwd *nobody = getpwnam("nobody")) {
            QDir().mkpath(root);
            const QByteArray top = QFile::encodeName(root);
            chown(top.constData(), nobody->pw_uid, nobody->pw_gid);
            QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext())
                chown(QFile::encodeName(it.next()).constData(), nobody->pw_uid, nobody->pw_gid);
        }
    }
}

QStringList Home::environment() const
{
    const QString home = m_root + QStringLiteral("/home");
    return {QStringLiteral("HOME=") + home,
            QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/.config"),
            QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/.local/share"),
            QStringLiteral("XDG_CACHE_HOME=") + home + QStringLiteral("/.cache"),
            QStringLiteral("XDG_DOCUMENTS_DIR=") + home + QStringLiteral("/Documents"),
            QStringLiteral("XDG_RUNTIME_DIR=") + m_root + QStringLiteral("/runtime")};
}

} // namespace benchprocess
