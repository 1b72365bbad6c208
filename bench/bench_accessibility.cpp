// What a screen reader meets on the main list of 100 000 rows: the program runs as a user starts it, on an
// X display, with accessibility on, answering on an accessibility bus of its own; this benchmark is the
// screen reader, asking over that bus what a screen reader asks (through the AT-SPI interfaces, as Orca
// does) and timing each answer:
//   find_list          from the application's root down to the lists (children of every object but the
//                      lists' own), the way a screen reader learns a window;
//   list_size          the list's child count, rows and columns;
//   read_visible_rows  the cells of the first 25 rows, each with its name and its place in the list, as a
//                      screen reader reads the rows the user moves through;
//   list_children      every child of the list at once (what a screen reader's review of the window, or
//                      an inspector, asks);
//   refresh_longest_wait  the user presses Refresh (through the button's action, as a screen reader's
//                      user does) and the screen reader goes on asking the list's role every 5 ms for 3 s:
//                      the longest wait for an answer (the list is read again meanwhile).
// Needs Xvfb (started here on a free display unless DISPLAY is set), dbus-daemon, at-spi2-core (the
// accessibility bus and its registry) and the built program.
//     bench_accessibility [--benchmark_filter=...]

#include "BenchProcess.h"
#include "SheetGenerator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <memory>
#include <optional>

namespace {

constexpr int kRows = 100000;
constexpr int kCallTimeoutMs = 180000;

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kTable = QStringLiteral("org.a11y.atspi.Table");
const QString kRootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

// AT-SPI roles.
constexpr uint RoleList = 31, RolePushButton = 43, RoleTable = 55, RoleTree = 65, RoleTreeTable = 66;

struct Ref {
    QString service;
    QString path;
};

// The accessibility bus, the program and the display, started once and ended with the benchmark.
class Session
{
public:
    Session() = default;
    ~Session() { stop(); }

    bool start(QString &why);
    void stop();
    QDBusConnection &bus() { return *m_bus; }
    QString app() const { return m_app; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<benchprocess::Home> m_home;
    QProcess m_x, m_daemon, m_program;
    std::optional<QDBusConnection> m_bus;
    QString m_app;
};

QDBusMessage call(QDBusConnection &bus, const Ref &ref, const QString &iface, const QString &method,
                  const QVariantList &args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(ref.service, ref.path, iface, method);
    m.setArguments(args);
    return bus.call(m, QDBus::Block, kCallTimeoutMs);
}

QVariant property(QDBusConnection &bus, const Ref &ref, const QString &iface, const QString &name)
{
    const QDBusMessage r = call(bus, ref, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                {iface, name});
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return QVariant();
    return r.arguments().first().value<QDBusVariant>().variant();
}

Ref refOf(const QDBusArgument &arg)
{
    Ref ref;
    QDBusObjectPath path;
    arg.beginStructure();
    arg >> ref.service >> path;
    arg.endStructure();
    ref.path = path.path();
    return ref;
}

QList<Ref> children(QDBusConnection &bus, const Ref &ref, bool *ok = nullptr)
{
    QList<Ref> out;
    const QDBusMessage r = call(bus, ref, kAccessible, QStringLiteral("GetChildren"));
    if (ok)
        *ok = r.type() == QDBusMessage::ReplyMessage;
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return out;
    const QDBusArgument arg = r.arguments().first().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd())
        out.append(refOf(arg));
    arg.endArray();
    return out;
}

uint roleOf(QDBusConnection &bus, const Ref &ref)
{
    const QDBusMessage r = call(bus, ref, kAccessible, QStringLiteral("GetRole"));
    return r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty() ? r.arguments().first().toUInt() : 0;
}

bool isList(uint role)
{
    return role == RoleTable || role == RoleTree || role == RoleTreeTable || role == RoleList;
}

// The lists of the application, found from its root down; the children of a list are not walked.
QList<Ref> findLists(QDBusConnection &bus, const QString &app)
{
    QList<Ref> lists, pending{{app, kRootPath}};
    while (!pending.isEmpty()) {
        const Ref ref = pending.takeFirst();
        if (isList(roleOf(bus, ref))) {
            lists.append(ref);
            continue;
        }
        pending += children(bus, ref);
    }
    return lists;
}

int tableInt(QDBusConnection &bus, const Ref &ref, const QString &name)
{
    return property(bus, ref, kTable, name).toInt();
}

// The list with the most rows: the main list.
std::optional<Ref> mainList(QDBusConnection &bus, const QString &app)
{
    std::optional<Ref> best;
    int most = -1;
    for (const Ref &list : findLists(bus, app)) {
        const int rows = tableInt(bus, list, QStringLiteral("NRows"));
        if (rows > most) {
            most = rows;
            best = list;
        }
    }
    return best;
}

QString freeDisplay()
{
    for (int n = 90; n < 200; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return QStringLiteral(":%1").arg(n);
    return QString();
}

// Runs the rest of the benchmark as "nobody" when it runs as root, as the other launched benchmarks run the
// program: an instance of the program that the machine's user has open does not count as its own. Its
// home was handed to that user already.
bool dropToNobody()
{
    if (getuid() != 0)
        return true;
    const passwd *nobody = getpwnam("nobody");
    return nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
}

QString firstLine(QProcess &p)
{
    if (!p.waitForStarted(10000))
        return QString();
    while (!p.canReadLine() && p.waitForReadyRead(10000)) {
    }
    return QString::fromUtf8(p.readLine()).trimmed();
}

bool Session::start(QString &why)
{
    m_home = std::make_unique<benchprocess::Home>(m_dir.path(), benchdata::benchDatabase(kRows));
    if (!dropToNobody()) {
        why = QStringLiteral("cannot run as nobody");
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &e : m_home->environment())
        env.insert(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));

    QString display = env.value(QStringLiteral("DISPLAY"));
    if (display.isEmpty()) {
        display = freeDisplay();
        m_x.start(QStringLiteral("Xvfb"), {display, QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!m_x.waitForStarted(10000)) {
            why = QStringLiteral("Xvfb could not start");
            return false;
        }
        for (int i = 0; i < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X") + display.mid(1)); ++i)
            QThread::msleep(50);
    }
    env.insert(QStringLiteral("DISPLAY"), display);

    // A session bus of the program's own; the accessibility bus is started on it, on demand, as a desktop
    // session starts it (at-spi-bus-launcher), and the program and this screen reader find it there.
    m_daemon.setProcessEnvironment(env);
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address")});
    const QString session = firstLine(m_daemon);
    if (session.isEmpty()) {
        why = QStringLiteral("dbus-daemon could not start");
        return false;
    }
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session);
    QDBusConnection sessionBus = QDBusConnection::connectToBus(session, QStringLiteral("session"));
    const QDBusMessage address = sessionBus.call(
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
        QDBus::Block, 30000);
    if (address.type() != QDBusMessage::ReplyMessage) {
        why = QStringLiteral("no accessibility bus: ") + address.errorMessage();
        return false;
    }
    m_bus.emplace(QDBusConnection::connectToBus(address.arguments().value(0).toString(), QStringLiteral("a11y")));
    if (!m_bus->isConnected()) {
        why = QStringLiteral("cannot reach the accessibility bus");
        return false;
    }

    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    env.insert(QStringLiteral("ORVEL_BENCH_TODAY"), benchdata::kToday.toString(Qt::ISODate));
    // In English: the benchmark finds the Refresh button by its name.
    env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer started;
    started.start();
    m_program.start(benchdata::programFolder() + QStringLiteral("/Orvel3"), {});
    if (!m_program.waitForStarted(10000)) {
        why = QStringLiteral("the program could not start");
        return false;
    }
    // The applications the registry knows; the program is ready when its main list is there.
    const Ref desktop{QStringLiteral("org.a11y.atspi.Registry"), kRootPath};
    while (started.elapsed() < 120000) {
        QThread::msleep(200);
        for (const Ref &application : children(*m_bus, desktop)) {
            if (const auto list = mainList(*m_bus, application.service);
                list && tableInt(*m_bus, *list, QStringLiteral("NRows")) > 1000) {
                m_app = application.service;
                std::fprintf(stderr, "the program answers on the accessibility bus %.1f s after its start\n",
                             started.elapsed() / 1000.0);
                return true;
            }
        }
    }
    why = QStringLiteral("the program's main list never showed on the accessibility bus");
    return false;
}

void Session::stop()
{
    for (QProcess *p : {&m_program, &m_daemon, &m_x}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(5000);
        }
    }
}

std::unique_ptr<Session> g_session;

Session *session(benchmark::State &state)
{
    if (!g_session) {
        g_session = std::make_unique<Session>();
        QString why;
        if (!g_session->start(why)) {
            g_session.reset();
            state.SkipWithError(why.toUtf8().constData());
            return nullptr;
        }
    }
    return g_session.get();
}

// Times one pass of `work` per iteration (manual time: the answers only).
template <typename Work>
void timed(benchmark::State &state, Work work)
{
    Session *s = session(state);
    if (!s)
        return;
    const auto list = mainList(s->bus(), s->app());
    if (!list) {
        state.SkipWithError("no list");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        if (!work(s->bus(), *list, state))
            return;
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
}

void findList(benchmark::State &state)
{
    timed(state, [](QDBusConnection &bus, const Ref &, benchmark::State &st) {
        st.counters["lists"] = double(findLists(bus, g_session->app()).size());
        return true;
    });
}

void listSize(benchmark::State &state)
{
    timed(state, [](QDBusConnection &bus, const Ref &list, benchmark::State &st) {
        const QVariant count = property(bus, list, kAccessible, QStringLiteral("ChildCount"));
        st.counters["children"] = count.toDouble();
        st.counters["rows"] = tableInt(bus, list, QStringLiteral("NRows"));
        st.counters["columns"] = tableInt(bus, list, QStringLiteral("NColumns"));
        return true;
    });
}

void readVisibleRows(benchmark::State &state)
{
    timed(state, [](QDBusConnection &bus, const Ref &list, benchmark::State &st) {
        const int columns = tableInt(bus, list, QStringLiteral("NColumns"));
        int cells = 0;
        for (int row = 0; row < 25; ++row) {
            for (int column = 0; column < columns; ++column) {
                const QDBusMessage r = call(bus, list, kTable, QStringLiteral("GetAccessibleAt"), {row, column});
                if (r.type() != QDBusMessage::ReplyMessage) {
                    st.SkipWithError((QStringLiteral("GetAccessibleAt: ") + r.errorMessage()).toUtf8().constData());
                    return false;
                }
                const Ref cell = refOf(r.arguments().first().value<QDBusArgument>());
                property(bus, cell, kAccessible, QStringLiteral("Name"));
                call(bus, cell, kAccessible, QStringLiteral("GetIndexInParent"));
                ++cells;
            }
        }
        st.counters["cells"] = cells;
        return true;
    });
}

void listChildren(benchmark::State &state)
{
    timed(state, [](QDBusConnection &bus, const Ref &list, benchmark::State &st) {
        bool ok = false;
        QElapsedTimer t;
        t.start();
        const QList<Ref> all = children(bus, list, &ok);
        if (!ok) {
            st.SkipWithError(QStringLiteral("no answer in %1 s").arg(t.elapsed() / 1000.0).toUtf8().constData());
            return false;
        }
        st.counters["children"] = double(all.size());
        return true;
    });
}

// The application's push button of that name.
std::optional<Ref> button(QDBusConnection &bus, const QString &app, const QString &name)
{
    QList<Ref> pending{{app, kRootPath}};
    while (!pending.isEmpty()) {
        const Ref ref = pending.takeFirst();
        const uint role = roleOf(bus, ref);
        if (role == RolePushButton && property(bus, ref, kAccessible, QStringLiteral("Name")).toString() == name)
            return ref;
        if (!isList(role))
            pending += children(bus, ref);
    }
    return std::nullopt;
}

void refreshLongestWait(benchmark::State &state)
{
    Session *s = session(state);
    if (!s)
        return;
    const auto list = mainList(s->bus(), s->app());
    const auto refresh = button(s->bus(), s->app(), QStringLiteral("Refresh"));
    if (!list || !refresh) {
        state.SkipWithError("no list or no Refresh button");
        return;
    }
    // A cell of the list is made again once the list is read again: its path tells that the refresh ran.
    auto firstCell = [&] {
        const QDBusMessage r = call(s->bus(), *list, kTable, QStringLiteral("GetAccessibleAt"), {1, 1});
        return r.type() == QDBusMessage::ReplyMessage ? refOf(r.arguments().first().value<QDBusArgument>()).path : QString();
    };
    int refreshed = 0;
    for (auto _ : state) {
        const QString before = firstCell();
        const QDBusMessage pressed = call(s->bus(), *refresh, QStringLiteral("org.a11y.atspi.Action"),
                                          QStringLiteral("DoAction"), {0});
        if (pressed.type() != QDBusMessage::ReplyMessage) {
            state.SkipWithError((QStringLiteral("DoAction: ") + pressed.errorMessage()).toUtf8().constData());
            return;
        }
        QElapsedTimer watch;
        watch.start();
        qint64 longest = 0;
        int answers = 0;
        while (watch.elapsed() < 3000) {
            QElapsedTimer wait;
            wait.start();
            roleOf(s->bus(), *list);
            longest = std::max(longest, wait.nsecsElapsed());
            ++answers;
            QThread::msleep(5);
        }
        state.SetIterationTime(longest / 1e9);
        state.counters["answers"] = answers;
        refreshed += firstCell() != before ? 1 : 0;
    }
    state.counters["refreshed"] = refreshed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("accessibility/find_list", findList)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("accessibility/list_size", listSize)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("accessibility/read_visible_rows", readVisibleRows)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("accessibility/refresh_longest_wait", refreshLongestWait)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("accessibility/list_children", listChildren)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    g_session.reset();
    benchmark::Shutdown();
    return 0;
}
