#pragma once

// The main window's view state, kept between runs in seven registry values under the settings key: which
// view, the filter and the grouping of each view, the date sort direction of each view.
struct MainViewState {
    int curView = 0;            // 0 deadlines, 1 cash book
    int curFilterIndex = 0;     // filter 0..5 of the deadlines view
    int curFilterPnIndex = 0;   // filter 0..5 of the cash-book view
    int curGroupIndex = 0;      // grouping 0..4 of the deadlines view
    int curGroupPnIndex = 0;    // grouping 0..4 of the cash-book view
    int curDateSorting = 1;     // date sort direction of the deadlines view: 1 ascending, -1 descending
    int curDatePnSorting = -1;  // the same of the cash-book view

    bool operator==(const MainViewState &) const = default;
};

// The stored view state; a value that is missing, out of its range or of another kind reads as its default.
MainViewState ReadViewState();
// Writes the seven values. The registry refusing one keeps its stored value: the refusal is noted, the
// others are written all the same.
void WriteViewState(const MainViewState &state);
