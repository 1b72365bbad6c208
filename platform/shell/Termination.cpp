#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {
int g_pipe[2] = {-1, -1};
void (*g_handler)() = nullptr;
QPointer<QSocketNotifier> g_notifier;   // a child of the application, deleted with it

void onSignal(int)
{
    const char c = 1;
    // Only async-signal-safe work here: the UI thread reads the byte and does the rest.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &c, 1);
}
} // namespace

void setTerminationHandler(void (*handler)())
{
    g_handler = handler;
    if (g_notifier)
        return;
    // The pair stays open for the life of the process: a signal may come at any moment.
    if (g_pipe[0] == -1 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    g_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(g_notifier, &QSocketNotifier::activated, g_notifier, [] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], &c, 1);
        if (g_handler)
            g_handler();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

} // namespace platform
