#include "app/Orvel3Main.h"

#include "foundation/GuardedApplication.h"
#include "foundation/Icons.h"
#include "foundation/modMain.h"
#include "mainwindow/frmMain.h"
#include "platform/Clock.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

// The start-up benchmark launches the program with ORVEL_BENCH_LAUNCHED_NS set to its monotonic clock at
// the launch: the program then prints the milliseconds from there to the end of its first paint and its peak
// memory, and ends. ORVEL_BENCH_TODAY (yyyy-mm-dd) then fixes the clock on the day its data was made around.
class FirstPaintTimer : public QObject
{
public:
    explicit FirstPaintTimer(qint64 launchedNs) : m_launchedNs(launchedNs) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() && frmMain::instance()
            && static_cast<QWidget *>(watched)->window() == frmMain::instance()) {
            m_seen = true;
            // Queued: it runs once the paint under way is done.
            QTimer::singleShot(0, [this] {
                timespec now;
                clock_gettime(CLOCK_MONOTONIC, &now);
                const qint64 ns = qint64(now.tv_sec) * 1000000000 + now.tv_nsec - m_launchedNs;
                std::printf("first paint %.3f ms, peak %ld KiB\n", double(ns) / 1e6, platform::peakResidentKiB());
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return false;
    }

private:
    qint64 m_launchedNs;
    bool m_seen = false;
};

} // namespace

int Orvel3Main(int &argc, char **argv)
{
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvel3"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwel"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QApplication::setWindowIcon(Icons::program());

    // A log-out or SIGTERM ends the program as closing its window does: windows unload, settings are written.
    platform::setTerminationHandler(EndSession);

    std::unique_ptr<FirstPaintTimer> firstPaint;
    if (qEnvironmentVariableIsSet("ORVEL_BENCH_LAUNCHED_NS")) {
        firstPaint = std::make_unique<FirstPaintTimer>(qEnvironmentVariable("ORVEL_BENCH_LAUNCHED_NS").toLongLong());
        app.installEventFilter(firstPaint.get());
        platform::setToday(QDate::fromString(qEnvironmentVariable("ORVEL_BENCH_TODAY"), Qt::ISODate));
    }

    int rc = 0;
    if (Main([] { return static_cast<QWidget *>(frmMain::Load()); }) == StartupResult::Running)
        rc = app.exec();
    EndProgram();
    return rc;
}
