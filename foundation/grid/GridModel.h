#pragma once

#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridRowStyle.h"
#include "platform/database/Recordset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QVector>
#include <algorithm>
#include <climits>
#include <deque>
#include <memory>
#include <vector>

class ListGrid;
class GridRowFormat;

// The rows a ListGrid shows, as a flat table: the visible rows in display order (group rows and the
// records of expanded groups), one table column per grid column. Underneath it keeps
//   - the bookmarks of the bound recordset's rows that pass its filter (the records),
//   - their order after the group columns (always ascending) and the sort keys (stable),
//   - the group tree over that order (each group a contiguous range of records),
//   - per record the computed values, icons and row formats asked of the owner, each asked once per
//     build and kept until the next one.
// A paginated renderer walks rows 0..rowCount()-1 through rowRef()/cellText()/rowFormat().
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Bookmark = platform::Recordset::Bookmark;

    // A visible row: a record (its place in the sorted order, >= 0) or a group (-(group index) - 1).
    using RowRef = int;
    static bool isGroupRef(RowRef ref) { return ref < 0; }
    static int groupOfRef(RowRef ref) { return -ref - 1; }
    static RowRef refOfGroup(int group) { return -group - 1; }

    // Roles beyond Qt's for the view.
    enum Role { RowKindRole = Qt::UserRole + 1, GroupLevelRole, ExpandedRole, StyleRole };

    struct SortKey { GridColumn *column; int direction; };

    // What the owner's FormatRow answered for one row.
    struct RowFormat {
        QString caption;                         // group rows
        QList<QPair<int, QString>> cellTexts;    // column index -> text shown instead of the value
        int heightTwips = 0;                     // 0: the grid's row height
        QString style;                           // named style, "" none
    };

    explicit GridModel(ListGrid *grid);
    ~GridModel() override;

    // --- columns ---
    int gridColumnCount() const { return int(m_columns.size()); }
    GridColumn *gridColumn(int index) const;               // 1-based; nullptr outside
    GridColumn *gridColumn(const QString &key) const;      // case-insensitive; nullptr when absent
    GridColumn *appendColumn(const QString &key, bool computed);
    void clearColumns();
    void createColumnsFromFields();
    // Display order: column indexes (1-based) from the left.
    const std::vector<int> &displayOrder() const { return m_displayOrder; }
    int positionOf(const GridColumn *column) const;
    void moveColumn(GridColumn *column, int position);
    void columnLookChanged(GridColumn *column);

    // --- data ---
    void setRecordset(std::shared_ptr<platform::Recordset> rs, bool keepColumns);
    std::shared_ptr<platform::Recordset> recordset() const { return m_rs; }
    void resolveFields();

    // --- structure ---
    QList<GridColumn *> groupColumns() const { return m_groupColumns; }
    void setGroupColumns(const QList<GridColumn *> &columns) { m_groupColumns = columns; }
    QList<SortKey> sortKeys() const { return m_sortKeys; }
    void setSortKeys(const QList<SortKey> &keys) { m_sortKeys = keys; }
    // Reads the recordset's passing rows again and rebuilds order, groups and visible rows (model reset).
    // Computed values of records are kept when keepComputed (same recordset, only the filter changed).
    void rebuild(bool keepComputed);
    // Drops every answer of the owner (computed values, icons, formats, sums) so they are asked again.
    void forgetAnswers();
    void forgetIcons();
    // Only the answers that belong to places and groups (icons, row formats, sums), which a new order or
    // filter changes; computed values stay.
    void forgetPlaceAnswers();

    int recordCount() const { return int(m_bookmarks.size()); }
    int groupCount() const { return int(m_groups.size()); }
    int visibleCount() const { return int(m_visible.size()); }
    RowRef rowRef(int row) const { return m_visible[size_t(row)]; }   // row 0-based, in range
    int rowOfRef(RowRef ref) const;                                   // 0-based; -1 when not visible
    // The visible row that stands for a reference: itself, or the nearest visible group above it.
    int visibleRowFor(RowRef ref) const;
    RowRef refOfBookmark(Bookmark bm) const;                          // record ref, or INT_MIN
    static constexpr RowRef NoRef = INT_MIN;

    // --- groups ---
    bool isExpanded(int group) const { return m_groups[size_t(group)].expanded; }
    void setExpanded(int group, bool expanded);
    void setAllExpanded(bool expanded);
    // Expands the groups above a record so that it is visible.
    void reveal(RowRef record);
    int groupLevel(int group) const { return m_groups[size_t(group)].level; }   // 0-based level
    int groupParent(int group) const { return m_groups[size_t(group)].parent; }
    int groupRecordCount(int group) const { return m_groups[size_t(group)].end - m_groups[size_t(group)].first; }
    int groupFirstRecord(int group) const { return m_groups[size_t(group)].first; }
    QVariant groupValue(int group) const;
    QString defaultGroupCaption(int group) const;
    QVariant groupSum(int group, int column) const;

    // --- values of a reference ---
    Bookmark bookmarkOf(RowRef ref) const;
    QVariant value(RowRef ref, int column) const;                 // column 1-based
    QString cellText(RowRef ref, int column) const;               // as shown: format and FormatRow text
    int iconOf(RowRef ref, int column) const;                     // 0 none
    const RowFormat &rowFormat(RowRef ref) const;

    // First record in display order whose column value equals value; NoRef when none.
    RowRef findRecord(int column, const QVariant &value) const;

    // --- look ---
    QHash<QString, GridRowStyle> &rowStyles() { return m_styles; }
    const QHash<QString, GridRowStyle> &rowStyles() const { return m_styles; }
    QList<QIcon> &images() { return m_images; }
    QIcon image(int number) const;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Group {
        int level;        // 0-based
        int parent;       // group index, -1 for the top level
        int first, end;   // records [first, end) in sorted order
        int subtreeEnd;   // index after the last group below this one (groups are in pre-order)
        bool expanded = true;
    };
    // Answers kept by a number (a recordset row, an ordinal), in pages made when a number of theirs is first
    // answered: a column asked only for the rows drawn takes little room.
    template<typename Slot>
    class PagedSlots
    {
    public:
        static constexpr int PageBits = 10;
        Slot *find(size_t i) const
        {
            const size_t p = i >> PageBits;
            return p < m_pages.size() && m_pages[p] ? &m_pages[p][i & Mask] : nullptr;
        }
        Slot &make(size_t i, const Slot &initial)
        {
            const size_t p = i >> PageBits;
            if (p >= m_pages.size())
                m_pages.resize(p + 1);
            if (!m_pages[p]) {
                m_pages[p] = std::make_unique<Slot[]>(size_t(1) << PageBits);
                std::fill_n(m_pages[p].get(), size_t(1) << PageBits, initial);
            }
            return m_pages[p][i & Mask];
        }
        void clear() { m_pages.clear(); }

    private:
        static constexpr size_t Mask = (size_t(1) << PageBits) - 1;
        std::vector<std::unique_ptr<Slot[]>> m_pages;
    };
    // A computed column's answer for a record, by the recordset's row (bookmark - 1): answers belong to
    // records, so a new filter keeps them.
    struct Computed {
        QVariant value;
        bool known = false;
    };
    // What the rows were last sorted by, and the order that gave, so that a filter on the same rows or the
    // same keys in the other direction need no new sort.
    struct SortSignature {
        const GridColumn *column;
        int index, sortType, field, direction;
        bool computed;
        bool operator==(const SortSignature &) const = default;
    };
    struct LastSort {
        const platform::Recordset *rs = nullptr;
        int loadedRows = -1;
        std::vector<SortSignature> keys;   // group columns, then sort keys
        std::vector<Bookmark> order;       // the records sorted
        std::vector<int> runStarts;        // where each innermost group begins in order
        bool allRows = false;              // order holds every row of the recordset (no filter)
        bool tieFree = false;              // no two records of a group have equal sort keys
    };

    std::vector<SortSignature> sortSignature() const;
    // The sort order of the records by the group columns and sort keys; runStarts where each innermost group
    // begins; tieFree when no two records of a group share their sort keys.
    void sortRecords(std::vector<int> &order, std::vector<int> &runStarts, bool &tieFree);
    // The order reused from the last sort (same keys, or the sort keys reversed; this filter's records):
    // false when it cannot be.
    bool reuseLastSort(bool keepComputed);
    // Groups over m_order, from the group columns' codes.
    void buildGroups(const std::vector<std::vector<quint32>> &groupCodes);
    std::vector<std::vector<quint32>> keyCodes(const QList<GridColumn *> &columns, const std::vector<int> &directions,
                                               std::vector<quint32> &maxCodes);

    int ordinalOf(RowRef ref) const;   // record ordinal (recordset order) of a record reference
    QVariant computedValue(int ordinal, int column, int row) const;
    QVariant recordValue(int ordinal, int column, int row) const;
    // The same, valid until the next value is asked for: a computed value is not copied.
    const QVariant &valueRef(int ordinal, int column, QVariant &scratch) const;
    void flattenInto(std::vector<RowRef> &out, int group) const;   // the rows below an expanded group
    void flattenAll();
    void indexRows();
    int groupOfRecord(int position) const;
    void emitFormatRow(RowRef ref, RowFormat &format) const;

    ListGrid *m_grid;
    std::shared_ptr<platform::Recordset> m_rs;
    std::vector<std::unique_ptr<GridColumn>> m_columns;
    QHash<QString, GridColumn *> m_columnByKey;   // the first column of each key, as spelled
    std::vector<int> m_displayOrder;
    QList<GridColumn *> m_groupColumns;
    QList<SortKey> m_sortKeys;

    std::vector<Bookmark> m_bookmarks;     // ordinal -> bookmark (recordset order)
    std::vector<int> m_ordinalOfRow;       // recordset row (bookmark - 1) -> ordinal, -1 none
    int m_loadedRows = 0;                  // rows of the recordset when the records were taken
    LastSort m_lastSort;
    std::vector<int> m_order;              // sorted position -> ordinal
    std::vector<int> m_positionOf;         // ordinal -> sorted position
    std::vector<Group> m_groups;
    std::vector<int> m_leafGroup;          // sorted position -> deepest group holding it (-1 without groups)
    std::vector<RowRef> m_visible;         // row -> reference
    std::vector<int> m_rowOfPosition;      // sorted position -> row, -1 hidden
    std::vector<int> m_rowOfGroup;         // group -> row, -1 hidden

    mutable std::vector<PagedSlots<Computed>> m_computed;   // per column index - 1, per recordset row
    mutable std::vector<PagedSlots<int>> m_icons;           // per column index - 1, per ordinal; -1 unknown
    static constexpr int DefaultFormat = -2;                // a row with the default format
    mutable std::vector<int> m_recordFormat;                // ordinal -> slot in m_formats
    mutable std::vector<int> m_groupFormat;                 // group -> slot
    mutable std::deque<RowFormat> m_formats;
    mutable QHash<quint64, QVariant> m_sums;

    QHash<QString, GridRowStyle> m_styles;
    QList<QIcon> m_images;
    bool m_groupRowWhenEmpty = false;

public:
    // With groups and no records, one empty outermost group row is shown (a list's heading row).
    bool groupRowWhenEmpty() const { return m_groupRowWhenEmpty; }
    void setGroupRowWhenEmpty(bool on) { m_groupRowWhenEmpty = on; }
};
