#pragma once

#include "foundation/grid/GridOrder.h"

#include <climits>
#include <vector>

// The group tree over a grid's sorted records and the visible rows it gives, apart from any widget. Each
// group is a contiguous range of records in sorted order, with its level, its parent and its expanded
// state; the groups are kept in pre-order. The visible rows are the group rows and the records of the
// expanded groups, in display order.
class GridGroups
{
public:
    // A visible row: a record (its place in the sorted order, >= 0) or a group (-(group index) - 1).
    using RowRef = int;
    static constexpr RowRef NoRef = INT_MIN;
    static bool isGroupRef(RowRef ref) { return ref < 0; }
    static int groupOfRef(RowRef ref) { return -ref - 1; }
    static RowRef refOfGroup(int group) { return -group - 1; }

    struct Group {
        int level;        // 0-based
        int parent;       // group index, -1 for the top level
        int first, end;   // records [first, end) in sorted order
        int subtreeEnd;   // index after the last group below this one
        bool expanded = true;
    };

    // Groups over the records in sorted order (order: sorted position -> ordinal), from the group
    // columns' codes (per level, per ordinal): a new group starts wherever a level's code changes, or one
    // above it does. levels: the group columns; with levels and no records, oneWhenEmpty makes one empty
    // outermost group (a list's heading row). Then every row is shown as the expanded states say.
    void build(const std::vector<int> &order, const GridOrder::Codes &codes, int levels, bool oneWhenEmpty);
    // No groups and no rows.
    void clear();

    int count() const { return int(m_groups.size()); }
    const Group &group(int g) const { return m_groups[size_t(g)]; }
    // The deepest group that holds a record (its sorted position); -1 without groups.
    int groupOfRecord(int position) const;

    // --- visible rows ---
    const std::vector<RowRef> &rows() const { return m_visible; }
    int rowOf(RowRef ref) const;          // 0-based; -1 when not visible
    // The visible row that stands for a reference: itself, or the nearest visible group above it.
    int visibleRowFor(RowRef ref) const;

    // --- expanding and collapsing ---
    // The expanded state alone; the rows follow with the calls below.
    void setExpanded(int g, bool expanded) { m_groups[size_t(g)].expanded = expanded; }
    // Every group expanded or collapsed, and the rows shown again.
    void setAllExpanded(bool expanded);
    // The groups above a record expanded, and the rows shown again.
    void reveal(RowRef record);
    // The rows that an expanded group shows under its own row.
    std::vector<RowRef> rowsUnder(int group) const;
    // The last visible row under a group's row (its row when none is).
    int lastRowUnder(int group) const;
    void insertRows(int at, const std::vector<RowRef> &rows);
    void removeRows(int first, int last);

private:
    void flattenInto(std::vector<RowRef> &out, int group) const;
    void showRows();
    void indexRows();

    std::vector<Group> m_groups;
    int m_levels = 0;
    int m_records = 0;
    std::vector<int> m_leafGroup;          // sorted position -> deepest group holding it
    std::vector<RowRef> m_visible;         // row -> reference
    std::vector<int> m_rowOfPosition;      // sorted position -> row, -1 hidden
    std::vector<int> m_rowOfGroup;         // group -> row, -1 hidden
};
