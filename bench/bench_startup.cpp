// Start-up inside this process, on the generated sheets (SheetGenerator.h) of 10k, 100k and 1M rows: the
// program's Main() with the main window as its window, up to the window's first show, then EndProgram(). Each
// iteration runs in a fresh sandbox (home, registry, program folder) whose Documents/Orvel3DB holds a copy
// of the cached database; making the sandbox, copying the file and ending the program are not timed.
//
// - startup/toShow: Main() until it returns with the window shown (objects, database test, the window's
//   load: the list read, sorted and built, the side list of today);
// - startup/toFirstPaint: the same plus the events that follow until the window has painted once.
//
// bench_user's startup measure launches the program itself, from its process start to its first paint.

#include "BenchSupport.h"

#include "foundation/grid/ListGrid.h"
#include "foundation/modMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <optional>
#include <string>

namespace {

// Counts the paint events of the widgets of one window.
class PaintCounter : public QObject
{
public:
    QWidget *window = nullptr;
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && window && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == window)
            ++paints;
        return false;
    }
};

MainWindowLoader mainWindowLoader()
{
    return [] { return static_cast<QWidget *>(frmMain::Load()); };
}

void startupCase(benchmark::State &state, int rows, bool toFirstPaint)
{
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    std::optional<testenv::Sandbox> box;
    for (auto _ : state) {
        state.PauseTiming();
        box.emplace(benchdb::kToday);
        benchdb::installInto(*box, rows);
        counter.window = nullptr;
        counter.paints = 0;
        state.ResumeTiming();

        const StartupResult result = Main(mainWindowLoader());
        frmMain *w = frmMain::instance();
        if (toFirstPaint && w) {
            counter.window = w;
            const QDeadlineTimer deadline(10000);
            while (counter.paints == 0 && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }

        state.PauseTiming();
        const bool shown = result == StartupResult::Running && w && w->isVisible();
        const int records = w ? gex(w)->recordCount() : -1;
        const QString asked = box->requests().isEmpty() ? QString() : box->requests().constFirst().text;
        EndProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        box.reset();
        if (!shown || (toFirstPaint && counter.paints == 0)) {
            state.SkipWithError(qPrintable(QStringLiteral("the main window was not shown (%1)").arg(asked)));
            break;
        }
        state.counters["records"] = records;
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&counter);
}

} // namespace

int main(int argc, char **argv)
{
    benchdb::useOffscreen();
    QApplication app(argc, argv);
    // Main() leaves the end of the program to its caller: closing the window must not end this one.
    app.setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    for (int rows : benchdata::kSizes) {
        const std::string size = benchdata::sizeName(rows).toStdString();
        benchmark::RegisterBenchmark(("startup/" + size + "/toShow").c_str(), startupCase, rows, false)
            ->Unit(benchmark::kMillisecond)->MinTime(2.0);
        benchmark::RegisterBenchmark(("startup/" + size + "/toFirstPaint").c_str(), startupCase, rows, true)
            ->Unit(benchmark::kMillisecond)->MinTime(2.0);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
