#include "foundation/RowFields.h"

#include "platform/database/Recordset.h"

RowFields RowFields::of(const platform::Recordset *rs)
{
    RowFields f;
    if (!rs)
        return f;
    auto at = [rs](const char *name) { return rs->fieldIndex(QLatin1String(name)); };
    f.TrRowId = at("TrRowId");
    f.TrType = at("TrType");
    f.TrDone = at("TrDone");
    f.TrDate = at("TrDate");
    f.TrDescription = at("TrDescription");
    f.TrValue = at("TrValue");
    f.TrBalance = at("TrBalance");
    f.TrGrpRow = at("TrGrpRow");
    f.TrGrpMDay = at("TrGrpMDay");
    f.TrNotes = at("TrNotes");
    f.TrGrpId = at("TrGrpId");
    f.AcName = at("AcName");
    f.AcNotes = at("AcNotes");
    f.TrAlertDays = at("TrAlertDays");
    f.CnName = at("CnName");
    f.TrAttached = at("TrAttached");
    return f;
}
