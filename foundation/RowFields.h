#pragma once

// Positions of the fields of the row join (rows with their account and count) in a recordset, looked up
// once after each bind so that the lists' answers read values by position; -1 for a field not there.

class ListGrid;
namespace platform { class Recordset; }

struct RowFields {
    int TrRowId = -1, TrType = -1, TrDone = -1, TrDate = -1, TrDescription = -1, TrValue = -1, TrBalance = -1,
        TrGrpRow = -1, TrGrpMDay = -1, TrNotes = -1, TrGrpId = -1, AcName = -1, AcNotes = -1, TrAlertDays = -1,
        CnName = -1, TrAttached = -1;

    static RowFields of(const platform::Recordset *rs);
};

// The columns of a list grid of the row join that its window answers for (the computed values and the
// icons), by index, looked up once after the columns are made: the answers are asked for every record, so
// they are told apart without comparing keys. 0 for a column the grid does not have.
struct AnsweredColumns {
    int description = 0, dateGroup = 0, totals = 0, incomes = 0, expenses = 0, type = 0, attached = 0;

    static AnsweredColumns of(const ListGrid *grid);
};
