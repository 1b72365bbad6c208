// The main list on the generated sheets (SheetGenerator.h) of 100 000 rows:
// - gexUpdate for every view x filter x grouping: the list query read again, sort keys, groups, the
//   computed columns and the rows built (the build is forced with rowCount(), as the next paint would);
// - the re-sort of the date column's header click: the same rows in the other direction, nothing read
//   again, the computed values kept.
// Case names: gexUpdate/<view>/f<filter>_<name>/g<grouping>_<name>, resort/<view>/g<grouping>_<name>.

#include "BenchSupport.h"

#include "foundation/grid/ListGrid.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <string>

namespace {

using benchdb::mainWindow;

void gexUpdateCase(benchmark::State &state, int view, int filter, int grouping)
{
    benchdb::MainWindowSetup &s = mainWindow();
    ListGrid *list = gex(s.w);
    s.setListState(view, filter, grouping);
    s.w->gexUpdate();   // the first build of this state is not timed
    QCoreApplication::processEvents();
    for (auto _ : state) {
        s.w->gexUpdate();
        benchmark::DoNotOptimize(list->rowCount());
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["records"] = list->recordCount();
    state.counters["rows"] = list->rowCount();
}

// The date header's direction change: the sort keys frmMain sets for it (date, then id, both in the new
// direction), then the rows built again.
void resortCase(benchmark::State &state, int view, int grouping)
{
    benchdb::MainWindowSetup &s = mainWindow();
    ListGrid *list = gex(s.w);
    s.setListState(view, 0, grouping);
    s.w->gexUpdate();
    benchmark::DoNotOptimize(list->rowCount());
    QCoreApplication::processEvents();
    int direction = view == 1 ? s.w->viewState().curDatePnSorting : s.w->viewState().curDateSorting;
    for (auto _ : state) {
        direction = -direction;
        list->clearSortKeys();
        list->addSortKey(QStringLiteral("TrDate"), direction);
        list->addSortKey(QStringLiteral("TrRowId"), direction);
        benchmark::DoNotOptimize(list->rowCount());
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["records"] = list->recordCount();
    state.counters["rows"] = list->rowCount();
}

void registerCases()
{
    using namespace benchdb;
    for (int view = 0; view <= 1; ++view)
        for (int filter = 0; filter <= 5; ++filter)
            for (int grouping = 0; grouping <= 4; ++grouping) {
                const std::string name = std::string("gexUpdate/") + viewName(view) + "/f" + std::to_string(filter) + "_"
                                         + filterName(view, filter) + "/g" + std::to_string(grouping) + "_"
                                         + groupingName(grouping);
                benchmark::RegisterBenchmark(name.c_str(), gexUpdateCase, view, filter, grouping)
                    ->Unit(benchmark::kMillisecond);
            }
    for (int view = 0; view <= 1; ++view)
        for (int grouping = 0; grouping <= 4; ++grouping) {
            const std::string name = std::string("resort/") + viewName(view) + "/g" + std::to_string(grouping) + "_"
                                     + groupingName(grouping);
            benchmark::RegisterBenchmark(name.c_str(), resortCase, view, grouping)->Unit(benchmark::kMillisecond);
        }
}

} // namespace

int main(int argc, char **argv)
{
    return benchdb::runMainWindowBenchmarks(argc, argv, registerCases);
}
