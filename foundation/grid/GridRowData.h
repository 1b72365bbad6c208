#pragma once

#include "platform/database/Recordset.h"

#include <QString>
#include <QVariant>

class GridModel;
class GridColumn;

// What a list grid tells about one of its rows: a record row or a group header, the values of its columns
// (for a group header: those of the group's first record), the record's bookmark in the grid's recordset,
// and for a group header its column, value, caption and sums. A row-data record reads the grid when asked;
// it stays valid until the grid's rows are rebuilt (rebind, requery, refetch, new groups or sort keys).
class GridRowData
{
public:
    using Bookmark = platform::Recordset::Bookmark;
    enum RowType { NoRow, Record, GroupHeader };

    GridRowData() = default;

    RowType rowType() const { return m_type; }
    bool isRecord() const { return m_type == Record; }
    bool isGroupHeader() const { return m_type == GroupHeader; }
    int rowIndex() const { return m_row; }             // 1-based visible row; 0 when not visible

    // The record's bookmark; for a group header, that of its first record; -1 for no row.
    Bookmark bookmark() const;
    // Column values by 1-based index or key: the field's value, or the computed one. Null outside.
    QVariant value(int column) const;
    QVariant value(const QString &key) const;
    // The cell's text as the grid shows it (named format, or the text FormatRow gave the cell).
    QString text(int column) const;
    QString text(const QString &key) const;

    // Group headers.
    int groupLevel() const;                 // 1 for the outermost groups; 0 for a record
    GridColumn *groupColumn() const;        // nullptr for a record
    QVariant groupValue() const;
    QString groupCaption() const;           // the grid's own caption: "<column caption>: <value>"
    int recordCount() const;                // records under the group (1 for a record)
    bool isExpanded() const;
    // Sum of a column over the group's records (bound or computed): Currency when the values are
    // Currency, a whole number for whole numbers, a double when any value is a double; 0 when the group
    // holds no value. A sum beyond the Currency range is a platform::CurrencySum, which formatNamed shows
    // exactly, or as a sum too large once it has overflowed. For a record, its own value.
    QVariant groupSum(int column) const;
    QVariant groupSum(const QString &key) const;

protected:
    friend class GridModel;
    GridRowData(const GridModel *model, int ref, int row, RowType type)
        : m_model(model), m_ref(ref), m_row(row), m_type(type) {}
    int columnIndex(const QString &key) const;

    const GridModel *m_model = nullptr;
    int m_ref = 0;
    int m_row = 0;
    RowType m_type = NoRow;
};
