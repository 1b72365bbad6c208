#include "foundation/grid/GridGroups.h"

#include <numeric>

void GridGroups::build(const std::vector<int> &order, const GridOrder::Codes &codes, int levels, bool oneWhenEmpty)
{
    const int n = int(order.size());
    m_groups.clear();
    m_levels = levels;
    m_records = n;
    m_leafGroup.assign(size_t(n), -1);
    if (levels > 0 && n > 0) {
        std::vector<int> open(size_t(levels), -1);
        auto close = [&](int level, int end) {
            Group &g = m_groups[size_t(open[size_t(level)])];
            g.end = end;
            g.subtreeEnd = int(m_groups.size());
        };
        for (int p = 0; p < n; ++p) {
            int from = 0;
            if (p > 0) {
                const size_t a = size_t(order[size_t(p - 1)]), b = size_t(order[size_t(p)]);
                from = levels;
                for (int j = 0; j < levels; ++j) {
                    if (codes[size_t(j)][a] != codes[size_t(j)][b]) {
                        from = j;
                        break;
                    }
                }
                for (int level = levels - 1; level >= from; --level)
                    close(level, p);
            }
            for (int level = from; level < levels; ++level) {
                Group g;
                g.level = level;
                g.parent = level > 0 ? open[size_t(level - 1)] : -1;
                g.first = p;
                g.end = p;
                g.subtreeEnd = 0;
                open[size_t(level)] = int(m_groups.size());
                m_groups.push_back(g);
            }
            m_leafGroup[size_t(p)] = open[size_t(levels - 1)];
        }
        for (int level = levels - 1; level >= 0; --level)
            close(level, n);
    }
    if (levels > 0 && n == 0 && oneWhenEmpty) {
        // One empty outermost group, so a list without records still shows its heading row.
        Group g;
        g.level = 0;
        g.parent = -1;
        g.first = 0;
        g.end = 0;
        g.subtreeEnd = 1;
        m_groups.push_back(g);
    }
    showRows();
}

void GridGroups::clear()
{
    m_groups.clear();
    m_levels = 0;
    m_records = 0;
    m_leafGroup.clear();
    m_visible.clear();
    indexRows();
}

int GridGroups::groupOfRecord(int position) const
{
    return position >= 0 && position < int(m_leafGroup.size()) ? m_leafGroup[size_t(position)] : -1;
}

// ---------------------------------------------------------------------------------------------------
// Visible rows

void GridGroups::flattenInto(std::vector<RowRef> &out, int group) const
{
    const Group &g = m_groups[size_t(group)];
    if (g.level == m_levels - 1) {
        for (int p = g.first; p < g.end; ++p)
            out.push_back(p);
        return;
    }
    for (int c = group + 1; c < g.subtreeEnd; c = m_groups[size_t(c)].subtreeEnd) {
        out.push_back(refOfGroup(c));
        if (m_groups[size_t(c)].expanded)
            flattenInto(out, c);
    }
}

void GridGroups::showRows()
{
    m_visible.clear();
    if (m_groups.empty()) {
        m_visible.resize(size_t(m_records));
        std::iota(m_visible.begin(), m_visible.end(), 0);
    } else {
        m_visible.reserve(size_t(m_records) + m_groups.size());
        for (int g = 0; g < int(m_groups.size()); g = m_groups[size_t(g)].subtreeEnd) {
            m_visible.push_back(refOfGroup(g));
            if (m_groups[size_t(g)].expanded)
                flattenInto(m_visible, g);
        }
    }
    indexRows();
}

void GridGroups::indexRows()
{
    m_rowOfPosition.assign(size_t(m_records), -1);
    m_rowOfGroup.assign(m_groups.size(), -1);
    for (int row = 0; row < int(m_visible.size()); ++row) {
        const RowRef ref = m_visible[size_t(row)];
        if (isGroupRef(ref))
            m_rowOfGroup[size_t(groupOfRef(ref))] = row;
        else
            m_rowOfPosition[size_t(ref)] = row;
    }
}

int GridGroups::rowOf(RowRef ref) const
{
    if (ref == NoRef)
        return -1;
    if (isGroupRef(ref)) {
        const int g = groupOfRef(ref);
        return g < int(m_rowOfGroup.size()) ? m_rowOfGroup[size_t(g)] : -1;
    }
    return ref < int(m_rowOfPosition.size()) ? m_rowOfPosition[size_t(ref)] : -1;
}

int GridGroups::visibleRowFor(RowRef ref) const
{
    int row = rowOf(ref);
    if (row >= 0 || ref == NoRef)
        return row;
    int g = isGroupRef(ref) ? (groupOfRef(ref) < count() ? m_groups[size_t(groupOfRef(ref))].parent : -1)
                            : groupOfRecord(ref);
    while (g >= 0) {
        row = m_rowOfGroup[size_t(g)];
        if (row >= 0)
            return row;
        g = m_groups[size_t(g)].parent;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------------
// Expanding and collapsing

void GridGroups::setAllExpanded(bool expanded)
{
    for (Group &g : m_groups)
        g.expanded = expanded;
    showRows();
}

void GridGroups::reveal(RowRef record)
{
    for (int g = groupOfRecord(record); g >= 0; g = m_groups[size_t(g)].parent)
        m_groups[size_t(g)].expanded = true;
    showRows();
}

std::vector<GridGroups::RowRef> GridGroups::rowsUnder(int group) const
{
    std::vector<RowRef> rows;
    flattenInto(rows, group);
    return rows;
}

int GridGroups::lastRowUnder(int group) const
{
    const Group &g = m_groups[size_t(group)];
    const int row = m_rowOfGroup[size_t(group)];
    int last = row;
    while (last + 1 < int(m_visible.size())) {
        const RowRef ref = m_visible[size_t(last + 1)];
        const bool below = isGroupRef(ref) ? (groupOfRef(ref) > group && groupOfRef(ref) < g.subtreeEnd)
                                           : (ref >= g.first && ref < g.end);
        if (!below)
            break;
        ++last;
    }
    return last;
}

void GridGroups::insertRows(int at, const std::vector<RowRef> &rows)
{
    m_visible.insert(m_visible.begin() + at, rows.begin(), rows.end());
    indexRows();
}

void GridGroups::removeRows(int first, int last)
{
    m_visible.erase(m_visible.begin() + first, m_visible.begin() + last + 1);
    indexRows();
}
