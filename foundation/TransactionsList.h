#pragma once

// The list of Transactions rows with their account and count (the row join of the main list and of the
// report) as a list grid shows it: its columns, made from the fields of the row join and followed by the
// computed gexDateGroup, gexTotals, gexIncomes and gexExpenses, with their formats, alignments, sort types
// and contents; and the answers for the computed values (the description with its series counter
// included) and the icons, read from the row's own fields by position. A window gives what is its own:
// how dates are grouped, what a row adds to the totals, whether closed rows show the closed icons; and
// it sets the captions, widths, positions and visibility of the columns itself.

#include "platform/database/Currency.h"

#include <QDate>
#include <QVariant>
#include <functional>

class ListGrid;
namespace platform { class Recordset; }

class TransactionsList
{
public:
    // What a window decides for its list; each is asked at every answer, so a change of the window's
    // view, filter or grouping shows at the next build of the rows.
    struct Rules {
        // gexDateGroup: the group key of a row's date.
        std::function<int(const QDate &trDate)> dateGroup;
        // gexTotals: what a row adds to the group totals.
        std::function<platform::Currency(bool done, platform::Currency balance)> total;
        // A closed row shows the closed icons (else the open ones).
        std::function<bool()> closedIcons;
    };

    // Positions of the fields of the row join in the bound recordset; -1 for a field not there.
    struct Fields {
        int TrRowId = -1, TrType = -1, TrDone = -1, TrDate = -1, TrDescription = -1, TrValue = -1, TrBalance = -1,
            TrGrpRow = -1, TrGrpMDay = -1, TrNotes = -1, TrGrpId = -1, AcName = -1, AcNotes = -1, TrAlertDays = -1,
            CnName = -1, TrAttached = -1;
    };

    explicit TransactionsList(Rules rules);

    // The columns of a grid just bound to the row join with its columns made again (rebind(false)): the
    // bound ones set up, the computed ones added. Captions, widths, positions and visibility are the
    // window's.
    void setUpColumns(ListGrid *grid);
    // Looks the field positions up in the recordset the grid is bound to (after each bind; nullptr when
    // unbound).
    void resolveFields(const platform::Recordset *rs);
    const Fields &fields() const { return m_f; }

    // The grid's answers for a row of the recordset rs (the grid's): the value of a computed column (the
    // description included) and the icon of an icon column. Other columns are left as they are.
    void computedValue(const platform::Recordset *rs, qint64 bookmark, int column, QVariant &value) const;
    void icon(const platform::Recordset *rs, qint64 bookmark, int column, int &icon) const;

    // A field of a row by its position; Null without a recordset, a position or a bookmark.
    static QVariant field(const platform::Recordset *rs, qint64 bookmark, int index);
    // The date a TrDate value holds: a date, the day of a date and time, or the leading yyyy-mm-dd of a
    // text; invalid otherwise.
    static QDate dateOf(const QVariant &value);

private:
    // The grid's columns answered for, by index (the answers are asked for every record, so they are told
    // apart without comparing keys); 0 for a column the grid does not have.
    struct Columns {
        int description = 0, dateGroup = 0, totals = 0, incomes = 0, expenses = 0, type = 0, attached = 0;
    };

    Rules m_rules;
    Fields m_f;
    Columns m_cols;
};
