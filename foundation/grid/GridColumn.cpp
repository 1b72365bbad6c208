#include "foundation/grid/GridColumn.h"

#include "foundation/grid/GridModel.h"

GridColumn::GridColumn(GridModel *model, const QString &key, bool computed, int index)
    : m_model(model), m_key(key), m_computed(computed), m_index(index)
{
}

void GridColumn::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    m_model->columnLookChanged(this);
}

void GridColumn::setWidth(int twips)
{
    twips = qMax(0, twips);
    if (m_width == twips)
        return;
    m_width = twips;
    m_model->columnLayoutChanged(this);
}

void GridColumn::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    m_model->columnLayoutChanged(this);
}

int GridColumn::position() const
{
    return m_model->positionOf(this);
}

void GridColumn::setPosition(int position)
{
    m_model->moveColumn(this, position);
}

void GridColumn::setFormat(const QString &format)
{
    if (m_format == format)
        return;
    m_format = format;
    m_model->columnLookChanged(this);
}

void GridColumn::setAlignment(Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    m_model->columnLookChanged(this);
}

void GridColumn::setSortType(SortType type)
{
    if (m_sortType == type)
        return;
    m_sortType = type;
    m_model->columnOrderChanged(this);
}

void GridColumn::setContent(Content content)
{
    if (m_content == content)
        return;
    m_content = content;
    m_model->columnLookChanged(this);
}

void GridColumn::setComputed(bool computed)
{
    if (m_computed == computed)
        return;
    m_computed = computed;
    m_model->columnSourceChanged(this);
}

void GridColumn::setIconIndex(int icon)
{
    icon = qMax(0, icon);
    if (m_iconIndex == icon)
        return;
    m_iconIndex = icon;
    m_model->columnIconChanged(this);
}

int GridColumn::sortOrder() const
{
    for (const GridModel::SortKey &k : m_model->sortKeys())
        if (k.column == this)
            return k.direction < 0 ? -1 : 1;
    return 0;
}
