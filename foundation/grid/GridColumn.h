#pragma once

#include <QString>
#include <Qt>

class GridModel;

// One column of a list grid: bound to a field of the grid's recordset by its key (the field name), or
// computed (its values come from the grid's owner, the UnboundColumnFetch event of a ListGrid). Sizes are
// in twips. A column is owned by its grid's model and lives until the grid recreates its columns
// (ListGrid::rebind(false)) or clears them. A change of a setting is told to the model, which tells those
// that show the rows.
class GridColumn
{
public:
    // How values are compared when the column is a sort key or a group column. Auto follows the kind of
    // each value (numbers, dates, text).
    enum SortType { SortAuto, SortText, SortNumeric, SortDate };
    // What a cell shows: its text, only an icon of the grid's image list, or the icon before the text.
    enum Content { TextOnly, IconOnly, IconAndText };

    QString key() const { return m_key; }
    int index() const { return m_index; }          // 1-based, in the order the columns were made
    // A computed column's values come from the grid's owner. A column bound to a field
    // can be made computed too: it then shows (sorts, groups, finds) the owner's value instead of the
    // stored one, which stays in the recordset.
    bool isComputed() const { return m_computed; }
    void setComputed(bool computed);
    int fieldIndex() const { return m_field; }     // field of the bound recordset; -1 when none

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    int width() const { return m_width; }          // twips
    void setWidth(int twips);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    int position() const;                          // 1-based place in the display order
    void setPosition(int position);
    // "Short Date", "Currency" or "" (the value's own text); see formatNamed().
    QString format() const { return m_format; }
    void setFormat(const QString &format);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    SortType sortType() const { return m_sortType; }
    void setSortType(SortType type);
    Content content() const { return m_content; }
    void setContent(Content content);
    // The image shown in every row of an icon column (1-based in the grid's image list, 0 none); the
    // owner's icon answer (the FetchIcon event) can change it per row.
    int iconIndex() const { return m_iconIndex; }
    void setIconIndex(int icon);
    // The direction of this column among the grid's sort keys: 1 ascending, -1 descending, 0 not a key.
    int sortOrder() const;

private:
    friend class GridModel;
    GridColumn(GridModel *model, const QString &key, bool computed, int index);

    GridModel *m_model;
    QString m_key;
    bool m_computed;
    int m_index;
    int m_field = -1;
    QString m_caption;
    QString m_tag;
    int m_width = 1200;
    bool m_visible = true;
    QString m_format;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    SortType m_sortType = SortAuto;
    Content m_content = TextOnly;
    int m_iconIndex = 0;
};
