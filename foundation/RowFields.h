#pragma once

// Positions of the fields of the row join (rows with their account and count) in a recordset, looked up
// once after each bind so that the lists' answers read values by position; -1 for a field not there.

namespace platform { class Recordset; }

struct RowFields {
    int TrRowId = -1, TrType = -1, TrDone = -1, TrDate = -1, TrDescription = -1, TrValue = -1, TrBalance = -1,
        TrGrpRow = -1, TrGrpMDay = -1, TrNotes = -1, TrGrpId = -1, AcName = -1, AcNotes = -1, TrAlertDays = -1,
        CnName = -1, TrAttached = -1;

    static RowFields of(const platform::Recordset *rs);
};
