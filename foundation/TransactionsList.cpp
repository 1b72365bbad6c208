#include "foundation/TransactionsList.h"

#include "foundation/Globals.h"
#include "foundation/RowRules.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/database/Recordset.h"

using platform::Currency;

namespace {

// How the bound columns of the row join are shown, sorted and grouped.
struct BoundColumn {
    const char *key;
    const char *format;
    Qt::Alignment alignment;
    GridColumn::SortType sort;
    GridColumn::Content content;
};
constexpr Qt::Alignment Centre = Qt::AlignCenter;
constexpr Qt::Alignment LeftAlign = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment RightAlign = Qt::AlignRight | Qt::AlignVCenter;
const BoundColumn BoundColumns[] = {
    {"TrRowId", "", Centre, GridColumn::SortNumeric, GridColumn::TextOnly},
    {"TrDbId", "", Centre, GridColumn::SortNumeric, GridColumn::TextOnly},
    {"TrType", "", Centre, GridColumn::SortNumeric, GridColumn::IconOnly},
    {"TrDate", "Short Date", Centre, GridColumn::SortDate, GridColumn::TextOnly},
    {"TrDescription", "", LeftAlign, GridColumn::SortText, GridColumn::IconAndText},
    {"TrValue", "Currency", RightAlign, GridColumn::SortNumeric, GridColumn::TextOnly},
    {"AcName", "", LeftAlign, GridColumn::SortText, GridColumn::TextOnly},
    {"CnName", "", LeftAlign, GridColumn::SortText, GridColumn::TextOnly},
    {"TrAttached", "", Centre, GridColumn::SortText, GridColumn::IconOnly},
};

} // namespace

TransactionsList::TransactionsList(Rules rules)
    : m_rules(std::move(rules))
{
}

void TransactionsList::setUpColumns(ListGrid *grid)
{
    for (const BoundColumn &c : BoundColumns) {
        GridColumn *col = grid->column(QLatin1String(c.key));
        col->setFormat(QLatin1String(c.format));
        col->setAlignment(c.alignment);
        col->setSortType(c.sort);
        col->setContent(c.content);
    }
    // The description shows the series counter: its value is the list's.
    grid->column(QStringLiteral("TrDescription"))->setComputed(true);

    grid->addComputedColumn(QStringLiteral("gexDateGroup"))->setSortType(GridColumn::SortNumeric);
    grid->addComputedColumn(QStringLiteral("gexTotals"))->setSortType(GridColumn::SortNumeric);
    for (const char *key : {"gexIncomes", "gexExpenses"}) {
        GridColumn *c = grid->addComputedColumn(QLatin1String(key));
        c->setFormat(QStringLiteral("Currency"));
        c->setAlignment(RightAlign);
        c->setSortType(GridColumn::SortNumeric);
    }

    auto at = [grid](const char *key) {
        return grid->hasColumn(QLatin1String(key)) ? grid->column(QLatin1String(key))->index() : 0;
    };
    m_cols.description = at("TrDescription");
    m_cols.dateGroup = at("gexDateGroup");
    m_cols.totals = at("gexTotals");
    m_cols.incomes = at("gexIncomes");
    m_cols.expenses = at("gexExpenses");
    m_cols.type = at("TrType");
    m_cols.attached = at("TrAttached");
}

void TransactionsList::resolveFields(const platform::Recordset *rs)
{
    m_f = Fields();
    if (!rs)
        return;
    auto at = [rs](const char *name) { return rs->fieldIndex(QLatin1String(name)); };
    m_f.TrRowId = at("TrRowId");
    m_f.TrType = at("TrType");
    m_f.TrDone = at("TrDone");
    m_f.TrDate = at("TrDate");
    m_f.TrDescription = at("TrDescription");
    m_f.TrValue = at("TrValue");
    m_f.TrBalance = at("TrBalance");
    m_f.TrGrpRow = at("TrGrpRow");
    m_f.TrGrpMDay = at("TrGrpMDay");
    m_f.TrNotes = at("TrNotes");
    m_f.TrGrpId = at("TrGrpId");
    m_f.AcName = at("AcName");
    m_f.AcNotes = at("AcNotes");
    m_f.TrAlertDays = at("TrAlertDays");
    m_f.CnName = at("CnName");
    m_f.TrAttached = at("TrAttached");
}

QDate TransactionsList::dateOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

QVariant TransactionsList::field(const platform::Recordset *rs, qint64 bookmark, int index)
{
    if (!rs || index < 0 || bookmark < 0)
        return QVariant();
    return rs->valueAt(bookmark, index);
}

void TransactionsList::computedValue(const platform::Recordset *rs, qint64 bookmark, int column, QVariant &value) const
{
    auto read = [&](int index) { return field(rs, bookmark, index); };
    if (column == m_cols.dateGroup) {
        value = m_rules.dateGroup(dateOf(read(m_f.TrDate)));
    } else if (column == m_cols.description) {
        value = RowRules::describedRow(NullToString(read(m_f.TrDescription)), read(m_f.TrGrpId).toInt(),
                                       read(m_f.TrGrpRow).toInt(), read(m_f.TrGrpMDay).toInt(),
                                       Env->DeadlinesShowRecurringCounters, LRS(1050));
    } else if (column == m_cols.totals) {
        value = QVariant::fromValue(m_rules.total(read(m_f.TrDone).toBool(), read(m_f.TrBalance).value<Currency>()));
    } else if (column == m_cols.incomes || column == m_cols.expenses) {
        const int wanted = column == m_cols.incomes ? 1 : -1;
        if (read(m_f.TrType).toInt() == wanted)
            value = read(m_f.TrValue);
    }
}

void TransactionsList::icon(const platform::Recordset *rs, qint64 bookmark, int column, int &icon) const
{
    auto read = [&](int index) { return field(rs, bookmark, index); };
    auto closed = [&] { return read(m_f.TrDone).toBool() && m_rules.closedIcons(); };
    if (column == m_cols.description)
        icon = RowRules::seriesIcon(read(m_f.TrGrpId).toInt(), closed());
    else if (column == m_cols.type)
        icon = RowRules::typeIcon(read(m_f.TrType).toInt(), closed());
    else if (column == m_cols.attached)
        icon = RowRules::attachmentIcon(read(m_f.TrAttached).toString());
}
