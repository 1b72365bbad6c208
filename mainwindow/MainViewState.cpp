#include "mainwindow/MainViewState.h"

#include "foundation/Globals.h"
#include "foundation/SettingsKeys.h"
#include "foundation/comRegistry.h"
#include "mainwindow/MainListRules.h"

#include <QString>

namespace {

const QString Key = QLatin1String(SettingsKey);

// The registry values (REG_DWORD) with their defaults, in the order they are read and written.
struct ViewStateValue {
    const char *name;
    int MainViewState::*field;
    int defaultValue;
};
constexpr ViewStateValue ViewState[] = {
    {"viewKey", &MainViewState::curView, 0},
    {"curFilterIndexKey", &MainViewState::curFilterIndex, 0},
    {"curFilterPnIndexKey", &MainViewState::curFilterPnIndex, 0},
    {"curGroupIndexKey", &MainViewState::curGroupIndex, 0},
    {"curGroupPnIndexKey", &MainViewState::curGroupPnIndex, 0},
    {"curDateSortingKey", &MainViewState::curDateSorting, 1},
    {"curDatePnSortingKey", &MainViewState::curDatePnSorting, -1},
};

} // namespace

MainViewState ReadViewState()
{
    MainViewState s;
    for (const ViewStateValue &v : ViewState)
        s.*(v.field) = RegReadNumber(QLatin1String(v.name), Key, v.defaultValue);
    // Values edited by hand outside their ranges (or of another kind) fall back to the defaults.
    s.curView = MainListRules::validView(s.curView);
    s.curFilterIndex = MainListRules::validFilter(s.curFilterIndex);
    s.curFilterPnIndex = MainListRules::validFilter(s.curFilterPnIndex);
    s.curGroupIndex = MainListRules::validGrouping(s.curGroupIndex);
    s.curGroupPnIndex = MainListRules::validGrouping(s.curGroupPnIndex);
    s.curDateSorting = MainListRules::validSortDirection(s.curDateSorting, 1);
    s.curDatePnSorting = MainListRules::validSortDirection(s.curDatePnSorting, -1);
    return s;
}

void WriteViewState(const MainViewState &state)
{
    for (const ViewStateValue &v : ViewState) {
        try {
            RegWrite(4, QLatin1String(v.name), Key, state.*(v.field));
        } catch (const std::exception &e) {
            // The unload is never refused; a registry that cannot be written keeps the previous view.
            NoteSettingsNotWritten(e);
        }
    }
}
