#include "BenchProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <spawn.h>
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

    // The environment: ours, with the given names replaced.
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
    std::vector<QByteArray> argStore{QFile::encodeName(program)};
    for (const QString &a : args)
        argStore.push_back(a.toLocal8Bit());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    // The platform's notices would mix with the benchmark's table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const qint64 start = monotonicNs();
    envStore.push_back("ORVEL_BENCH_LAUNCHED_NS=" + QByteArray::number(start));
    std::vector<char *> argv, envp;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        return out;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.output.append(buffer, int(n));
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
