#include "foundation/RowFields.h"

#include "foundation/grid/ListGrid.h"
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

AnsweredColumns AnsweredColumns::of(const ListGrid *grid)
{
    AnsweredColumns c;
    auto at = [grid](const char *key) {
        return grid->hasColumn(QLatin1String(key)) ? grid->column(QLatin1String(key))->index() : 0;
    };
    c.description = at("TrDescription");
    c.dateGroup = at("gexDateGroup");
    c.totals = at("gexTotals");
    c.incomes = at("gexIncomes");
    c.expenses = at("gexExpenses");
    c.type = at("TrType");
    c.attached = at("TrAttached");
    return c;
}
