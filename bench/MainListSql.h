#pragma once

// The statement of the main list as the program builds it (MainListRules), for the benches that time its
// read apart from the window: a view's filter "All", on one data sheet, with the preferences' default
// (debits and credits of the deadlines go to the cash book).

#include "SheetGenerator.h"

#include "foundation/RowRules.h"
#include "mainwindow/MainListRules.h"

#include <QString>

namespace benchdata {

inline QString mainListSql(int sheetId, RowRules::View view = RowRules::Deadlines)
{
    MainListRules::FilterTableT table;
    MainListRules::BuildFilterConditions(table, true, kToday);
    return MainListRules::BuildGridSql(MainListRules::GridTail(sheetId, table[size_t(view)][6]));
}

} // namespace benchdata
