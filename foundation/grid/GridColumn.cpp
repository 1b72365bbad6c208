#include "foundation/grid/GridColumn.h"

#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"
#include "foundation/grid/ListGrid.h"

GridColumn::GridColumn(ListGrid *grid, const QString &key, bool computed, int index)
    : m_grid(grid), m_key(key), m_computed(computed), m_index(index)
{
}

void GridColumn::changed(bool layout)
{
    m_grid->columnChanged(this, layout);
}

void GridColumn::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    changed(false);
}

void GridColumn::setWidth(int twips)
{
    twips = qMax(0, twips);
    if (m_width == twips)
        return;
    m_width = twips;
    changed(true);
}

void GridColumn::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    changed(true);
}

int GridColumn::position() const
{
    return m_grid->model()->positionOf(this);
}

void GridColumn::setPosition(int position)
{
    m_grid->model()->moveColumn(this, position);
    m_grid->columnMoved();
}

void GridColumn::setFormat(const QString &format)
{
    if (m_format == format)
        return;
    m_format = format;
    changed(false);
}

void GridColumn::setAlignment(Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    changed(false);
}

void GridColumn::setSortType(SortType type)
{
    if (m_sortType == type)
        return;
    m_sortType = type;
    // Sorting and grouping on this column follow the new kind at the next build.
    if (m_grid->model()->groupColumns().contains(this) || sortOrder() != 0)
        m_grid->scheduleBuild();
}

void GridColumn::setContent(Content content)
{
    if (m_content == content)
        return;
    m_content = content;
    changed(false);
}

void GridColumn::setComputed(bool computed)
{
    if (m_computed == computed)
        return;
    m_computed = computed;
    m_grid->refresh();
}

void GridColumn::setIconIndex(int icon)
{
    icon = qMax(0, icon);
    if (m_iconIndex == icon)
        return;
    m_iconIndex = icon;
    // Icons already asked for were given the old default; they are asked again.
    m_grid->model()->forgetIcons();
    m_grid->view()->viewport()->update();
}

int GridColumn::sortOrder() const
{
    for (const GridModel::SortKey &k : m_grid->model()->sortKeys())
        if (k.column == this)
            return k.direction < 0 ? -1 : 1;
    return 0;
}
