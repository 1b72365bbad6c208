// The calendar and the side list on the generated sheets (SheetGenerator.h) of 100 000 rows, in both
// views:
// - mvUpdate: the bold days of the days shown, from the count of rows per day between the first and last
//   day shown;
// - refreshDayBold: the calendar's own request for the flags of all days shown, answered by
//   frmMain::mv_GetDayBold;
// both with one month shown (the window at its smallest) and four (the widest window);
// - tasksUpdate: the side list of one day (today), one month (this month) and one year (this year),
//   built (rowCount()) as the next paint would.

#include "BenchSupport.h"

#include "foundation/grid/ListGrid.h"
#include "platform/controls/MonthView.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <string>

namespace {

using benchdb::mainWindow;

// The view and the calendar's columns; the list of that view is built before timing starts.
benchdb::MainWindowSetup &prepare(int view, int monthColumns)
{
    benchdb::MainWindowSetup &s = mainWindow();
    if (s.w->viewState().curView != view)
        switchView(s.w, view);
    mv(s.w)->setMonthColumns(monthColumns);
    mv(s.w)->setValue(benchdb::kToday);
    mv(s.w)->refreshDayBold();
    QCoreApplication::processEvents();
    return s;
}

void mvUpdateCase(benchmark::State &state, int view, int monthColumns)
{
    benchdb::MainWindowSetup &s = prepare(view, monthColumns);
    platform::MonthView *calendar = mv(s.w);
    for (auto _ : state)
        s.w->mvUpdate();
    int bold = 0;
    for (int i = 1; i <= calendar->visibleDayCount(); ++i)
        bold += calendar->dayBold(calendar->visibleDay(i)) ? 1 : 0;
    state.counters["days"] = calendar->visibleDayCount();
    state.counters["bold"] = bold;
}

void refreshDayBoldCase(benchmark::State &state, int view, int monthColumns)
{
    benchdb::MainWindowSetup &s = prepare(view, monthColumns);
    platform::MonthView *calendar = mv(s.w);
    for (auto _ : state)
        calendar->refreshDayBold();
    state.counters["days"] = calendar->visibleDayCount();
}

enum Span { Day, Month, Year };

void tasksUpdateCase(benchmark::State &state, int view, Span span)
{
    benchdb::MainWindowSetup &s = prepare(view, 1);
    ListGrid *side = gextasks(s.w);
    const QDate t = benchdb::kToday;
    QDate d1 = t, d2 = t;
    if (span == Month) {
        d1 = QDate(t.year(), t.month(), 1);
        d2 = d1.addMonths(1).addDays(-1);
    } else if (span == Year) {
        d1 = QDate(t.year(), 1, 1);
        d2 = QDate(t.year(), 12, 31);
    }
    for (auto _ : state) {
        s.w->tasksUpdate(d1, d2);
        benchmark::DoNotOptimize(side->rowCount());
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = side->rowCount();
}

void registerCases()
{
    for (int view = 0; view <= 1; ++view) {
        const std::string v = benchdb::viewName(view);
        for (int columns : {1, 4}) {
            const std::string m = "/months:" + std::to_string(columns);
            benchmark::RegisterBenchmark(("mvUpdate/" + v + m).c_str(), mvUpdateCase, view, columns)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("refreshDayBold/" + v + m).c_str(), refreshDayBoldCase, view, columns)
                ->Unit(benchmark::kMillisecond);
        }
        const std::pair<Span, const char *> spans[] = {{Day, "day"}, {Month, "month"}, {Year, "year"}};
        for (const auto &[span, name] : spans)
            benchmark::RegisterBenchmark(("tasksUpdate/" + v + "/" + name).c_str(), tasksUpdateCase, view, span)
                ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    return benchdb::runMainWindowBenchmarks(argc, argv, registerCases);
}
