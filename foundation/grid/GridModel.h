#pragma once

#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridGroups.h"
#include "foundation/grid/GridOrder.h"
#include "foundation/grid/GridRowData.h"
#include "foundation/grid/GridRowStyle.h"
#include "platform/database/Recordset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <algorithm>
#include <deque>
#include <exception>
#include <memory>
#include <vector>

class GridRowFormat;

// What a grid's owner answers while the rows are built and drawn: the values of computed columns, the
// icons of icon columns and the formats of rows. Each answer is asked once per build and kept; an answer
// that throws is told through GridModel::failed and leaves its cell as it was.
class GridAnswers
{
public:
    using Bookmark = platform::Recordset::Bookmark;

    // A computed cell's value. row is the visible row (1-based), or 0 when the value is needed to group,
    // sort or sum.
    virtual void computedValue(int row, int column, Bookmark bookmark, QVariant &value) = 0;
    // The icon of a cell of an icon column; icon starts as the column's own (0 none).
    virtual void icon(int row, int column, Bookmark bookmark, int &icon) = 0;
    // A row about to be shown: its caption, cell texts, height and style.
    virtual void formatRow(GridRowFormat &row) = 0;

protected:
    ~GridAnswers() = default;
};

// The core of the list grid, apart from any widget: the rows a grid shows, as a flat table of the visible
// rows in display order (group rows and the records of expanded groups), one table column per grid
// column. Underneath it keeps
//   - the columns and their display order,
//   - the bookmarks of the bound recordset's rows that pass its filter (the records),
//   - their order (GridOrder) and the group tree over it (GridGroups),
//   - per record the computed values, icons and row formats asked of the owner (GridAnswers), each
//     asked once per build and kept until the next one, and the groups' sums.
// Settings that change what the rows are built from (a sort type, a computed column) are told through
// rowsOutOfDate: whoever builds the rows (the ListGrid) builds them again. Pagination walks rows
// 0..visibleCount()-1 through rowRef()/cellText()/rowFormat().
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Bookmark = platform::Recordset::Bookmark;

    using RowRef = GridGroups::RowRef;
    static bool isGroupRef(RowRef ref) { return GridGroups::isGroupRef(ref); }
    static int groupOfRef(RowRef ref) { return GridGroups::groupOfRef(ref); }
    static RowRef refOfGroup(int group) { return GridGroups::refOfGroup(group); }
    static constexpr RowRef NoRef = GridGroups::NoRef;

    // Roles beyond Qt's for the view.
    enum Role { RowKindRole = Qt::UserRole + 1, GroupLevelRole, ExpandedRole, StyleRole };

    struct SortKey { GridColumn *column; int direction; };

    // What the owner's format answer gave one row.
    struct RowFormat {
        QString caption;                         // group rows
        QList<QPair<int, QString>> cellTexts;    // column index -> text shown instead of the value
        int heightTwips = 0;                     // 0: the grid's row height
        QString style;                           // named style, "" none
    };

    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // The owner that answers for computed values, icons and row formats; nullptr: none (computed cells
    // stay empty).
    void setAnswers(GridAnswers *answers) { m_answers = answers; }

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
    // A width the column already has where it is shown (the user dragged its edge): kept without laying
    // the columns out again.
    void recordColumnWidth(GridColumn *column, int twips);
    // What a column tells of its own changes.
    void columnLookChanged(GridColumn *column);     // caption, format, alignment, content
    void columnLayoutChanged(GridColumn *column);   // width, visibility
    void columnOrderChanged(GridColumn *column);    // sort type
    void columnSourceChanged(GridColumn *column);   // computed or bound
    void columnIconChanged(GridColumn *column);     // the default icon

    // --- data ---
    // Binds a recordset: the rows shown so far go. keepColumns: the columns stay, finding their fields
    // again by key (a model without columns makes them); false: one column per field, in field order.
    void setRecordset(std::shared_ptr<platform::Recordset> rs, bool keepColumns);
    std::shared_ptr<platform::Recordset> recordset() const { return m_rs; }
    void resolveFields();

    // --- structure ---
    QList<GridColumn *> groupColumns() const { return m_groupColumns; }
    void setGroupColumns(const QList<GridColumn *> &columns) { m_groupColumns = columns; }
    QList<SortKey> sortKeys() const { return m_sortKeys; }
    void setSortKeys(const QList<SortKey> &keys) { m_sortKeys = keys; }
    // With groups and no records, one empty outermost group row is shown (a list's heading row).
    bool groupRowWhenEmpty() const { return m_groupRowWhenEmpty; }
    void setGroupRowWhenEmpty(bool on) { m_groupRowWhenEmpty = on; }
    // Reads the recordset's passing rows again and rebuilds order, groups and visible rows (model reset).
    // Computed values of records are kept when keepComputed (same recordset, only the filter changed).
    // A failure (the rows cannot be ordered) leaves no rows and is told through failed.
    void rebuild(bool keepComputed);
    // Drops every answer of the owner (computed values, icons, formats, sums) so they are asked again.
    void forgetAnswers();
    void forgetIcons();
    // Only the answers that belong to places and groups (icons, row formats, sums), which a new order or
    // filter changes; computed values stay.
    void forgetPlaceAnswers();

    int recordCount() const { return int(m_bookmarks.size()); }
    int groupCount() const { return m_groups.count(); }
    int visibleCount() const { return int(m_groups.rows().size()); }
    RowRef rowRef(int row) const { return m_groups.rows()[size_t(row)]; }   // row 0-based, in range
    int rowOfRef(RowRef ref) const { return m_groups.rowOf(ref); }         // 0-based; -1 when not visible
    // The visible row that stands for a reference: itself, or the nearest visible group above it.
    int visibleRowFor(RowRef ref) const { return m_groups.visibleRowFor(ref); }
    RowRef refOfBookmark(Bookmark bm) const;                                // record ref, or NoRef
    // What a visible row (0-based, in range) tells: a record or a group header.
    GridRowData rowData(int row) const;

    // --- groups ---
    bool isExpanded(int group) const { return m_groups.group(group).expanded; }
    void setExpanded(int group, bool expanded);
    void setAllExpanded(bool expanded);
    // Expands the groups above a record so that it is visible.
    void reveal(RowRef record);
    int groupLevel(int group) const { return m_groups.group(group).level; }   // 0-based level
    int groupParent(int group) const { return m_groups.group(group).parent; }
    int groupRecordCount(int group) const { return m_groups.group(group).end - m_groups.group(group).first; }
    int groupFirstRecord(int group) const { return m_groups.group(group).first; }
    QVariant groupValue(int group) const;
    QString defaultGroupCaption(int group) const;
    QVariant groupSum(int group, int column) const;

    // --- values of a reference ---
    Bookmark bookmarkOf(RowRef ref) const;
    QVariant value(RowRef ref, int column) const;                 // column 1-based
    QString cellText(RowRef ref, int column) const;               // as shown: format and format answer's text
    int iconOf(RowRef ref, int column) const;                     // 0 none
    const RowFormat &rowFormat(RowRef ref) const;

    // First record in display order whose column value equals value; NoRef when none.
    RowRef findRecord(int column, const QVariant &value) const;

    // --- look ---
    void setRowStyle(const GridRowStyle &style);                  // adds or replaces the style of that name
    bool hasRowStyle(const QString &name) const { return m_styles.contains(name); }
    GridRowStyle rowStyle(const QString &name) const { return m_styles.value(name); }
    void setImages(const QList<QIcon> &images);                   // numbered from 1
    QList<QIcon> images() const { return m_images; }
    QIcon image(int number) const;

    // --- failures ---
    // Runs a call that may throw (an owner's answer, an event handler): a failure is told through failed
    // and false returned. (A template: the answers are asked for every record, and wrapping each call in a
    // function of its own would cost more than many answers do.)
    template<typename Call>
    bool guarded(Call &&call) const
    {
        try {
            call();
            return true;
        } catch (const std::exception &e) {
            reportFailure(e);
        }
        return false;
    }
    // Tells a failure through failed: a run-time error with its number and description in the user's
    // terms, any other as a database error with its message.
    void reportFailure(const std::exception &failure) const;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The columns' widths, visibility or order changed.
    void columnsLaidOut();
    // What the rows look like changed (a column's look or icons, a style, the images): drawn again.
    void lookChanged();
    // A setting the rows are built from changed: they are to be built again; answers: the owner's answers
    // are to be asked again too.
    void rowsOutOfDate(bool answers);
    // A failure while building or reading the rows, or in an owner's answer.
    void failed(qint64 number, const QString &description) const;

private:
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

    GridColumn *makeColumn(const QString &key, bool computed, int index);
    // No columns, groups, sort keys or rows (within a reset).
    void dropColumns();
    // The records as the ordering engine reads them.
    GridOrder::Records records() const;
    GridOrder::Keys groupKeys() const;
    GridOrder::Keys sortOrderKeys() const;

    int ordinalOf(RowRef ref) const;   // record ordinal (recordset order) of a record reference
    QVariant computedValue(int ordinal, int column, int row) const;
    QVariant recordValue(int ordinal, int column, int row) const;
    // The same, valid until the next value is asked for: a computed value is not copied.
    const QVariant &valueRef(int ordinal, int column, QVariant &scratch) const;
    void askFormat(RowRef ref, RowFormat &format) const;

    GridAnswers *m_answers = nullptr;
    std::shared_ptr<platform::Recordset> m_rs;
    std::vector<std::unique_ptr<GridColumn>> m_columns;
    QHash<QString, GridColumn *> m_columnByKey;   // the first column of each key, as spelled
    std::vector<int> m_displayOrder;
    QList<GridColumn *> m_groupColumns;
    QList<SortKey> m_sortKeys;
    bool m_groupRowWhenEmpty = false;

    std::vector<Bookmark> m_bookmarks;     // ordinal -> bookmark (recordset order)
    std::vector<int> m_ordinalOfRow;       // recordset row (bookmark - 1) -> ordinal, -1 none
    int m_loadedRows = 0;                  // rows of the recordset when the records were taken
    GridOrder m_sorter;
    std::vector<int> m_order;              // sorted position -> ordinal
    std::vector<int> m_positionOf;         // ordinal -> sorted position
    GridGroups m_groups;

    mutable std::vector<PagedSlots<Computed>> m_computed;   // per column index - 1, per recordset row
    mutable std::vector<PagedSlots<int>> m_icons;           // per column index - 1, per ordinal; -1 unknown
    static constexpr int DefaultFormat = -2;                // a row with the default format
    mutable std::vector<int> m_recordFormat;                // ordinal -> slot in m_formats
    mutable std::vector<int> m_groupFormat;                 // group -> slot
    mutable std::deque<RowFormat> m_formats;
    mutable QHash<quint64, QVariant> m_sums;

    QHash<QString, GridRowStyle> m_styles;
    QList<QIcon> m_images;
};
