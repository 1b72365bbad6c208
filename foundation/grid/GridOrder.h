#pragma once

#include "foundation/grid/GridColumn.h"
#include "platform/database/Recordset.h"

#include <QVariant>
#include <functional>
#include <vector>

// The order of a grid's records, apart from any widget:
//   - how values compare: a value's class (Null, a number, dates as day numbers, or a text in the
//     database's text order), after the column's sort type;
//   - each record's key codes: per key column a small whole number that orders as the values do;
//   - the stable sort by the group columns (always ascending) and then by the sort keys;
//   - the reuse of the last sort, and of the group columns' codes, when only the filter changed or the
//     sort keys were reversed.
class GridOrder
{
public:
    using Bookmark = platform::Recordset::Bookmark;

    // A key column and its direction: 1 ascending, -1 descending.
    struct Key {
        const GridColumn *column;
        int direction;
    };
    using Keys = std::vector<Key>;
    // Per key, per record (its ordinal): the codes.
    using Codes = std::vector<std::vector<quint32>>;

    // The records being ordered.
    struct Records {
        const platform::Recordset *rs = nullptr;            // the bound recordset when open, else nullptr
        const std::vector<Bookmark> *bookmarks = nullptr;   // ordinal -> bookmark (recordset order)
        const std::vector<int> *ordinalOfRow = nullptr;     // recordset row (bookmark - 1) -> ordinal, -1 none
        int loadedRows = 0;                                 // rows of the recordset when the records were taken
        bool allRows = false;                               // the records are every row of the recordset
        // A record's value of a column (1-based index) where its stored cell does not tell the key (a
        // computed column, a text that may hold a number).
        std::function<QVariant(int ordinal, int column)> value;
        size_t size() const { return bookmarks ? bookmarks->size() : 0; }
    };

    // The records in display order (sorted position -> ordinal): by the group columns, then by the sort
    // keys; records with equal keys keep the recordset's order. groupCodes: the group columns' codes of
    // each record (per group column, per ordinal), equal exactly where the values are. mayReuse: the
    // records are those of the last call, or some of them (the filter changed), with the same values: the
    // last order and codes serve when the keys are the same or only the sort keys were reversed.
    void arrange(const Records &records, const Keys &groups, const Keys &sortKeys, bool mayReuse,
                 std::vector<int> &order, Codes &groupCodes);
    // The last order is never reused (the rows were read again, or arranging them failed).
    void forget();

    // The first record in display order whose column holds value, compared as sorting compares them
    // (a text that holds a number matches that number; texts fold case and accents): its sorted position,
    // or -1. order: sorted position -> ordinal; positionOf: ordinal -> sorted position.
    static int find(const Records &records, const GridColumn *column, const QVariant &value,
                    const std::vector<int> &order, const std::vector<int> &positionOf);

private:
    // Each record's value of each key column as a whole number that orders as the values do (Null first,
    // numbers, then texts in the database's text order), equal exactly when the values are equal; a
    // descending key's codes are reversed. maxCodes: the largest code of each key.
    static Codes keyCodes(const Records &records, const Keys &keys, std::vector<quint32> &maxCodes);

    // What the rows were sorted by.
    struct Signature {
        const GridColumn *column;
        int index, sortType, field, direction;
        bool computed;
        bool operator==(const Signature &) const = default;
    };
    // The last sort and the order it gave, so that a filter on the same rows or the same keys in the other
    // direction need no new sort.
    struct LastSort {
        const platform::Recordset *rs = nullptr;
        int loadedRows = -1;
        std::vector<Signature> keys;       // group columns, then sort keys
        std::vector<Bookmark> order;       // the records sorted
        std::vector<int> runStarts;        // where each innermost group begins in order
        Codes groupCodes;                  // per group column, per recordset row (bookmark - 1) sorted
        bool allRows = false;              // order holds every row of the recordset (no filter)
        bool tieFree = false;              // no two records of a group have equal sort keys
    };

    static std::vector<Signature> signature(const Keys &groups, const Keys &sortKeys);
    // Sorts by keys (the first groupLevels of them the group columns) and gives their codes; runStarts:
    // where each innermost group begins; tieFree: no two records of a group share their sort keys.
    static Codes sort(const Records &records, const Keys &keys, size_t groupLevels, std::vector<int> &order,
                      std::vector<int> &runStarts, bool &tieFree);
    bool reuseLast(const Records &records, const std::vector<Signature> &keys, size_t groupLevels,
                   std::vector<int> &order, Codes &groupCodes);

    LastSort m_last;
};
