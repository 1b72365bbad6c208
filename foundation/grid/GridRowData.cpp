#include "foundation/grid/GridRowData.h"

#include "foundation/grid/GridModel.h"

int GridRowData::columnIndex(const QString &key) const
{
    const GridColumn *c = m_model ? m_model->gridColumn(key) : nullptr;
    return c ? c->index() : 0;
}

GridRowData::Bookmark GridRowData::bookmark() const
{
    return m_type == NoRow ? Bookmark(-1) : m_model->bookmarkOf(m_ref);
}

QVariant GridRowData::value(int column) const
{
    return m_type == NoRow ? QVariant() : m_model->value(m_ref, column);
}

QVariant GridRowData::value(const QString &key) const
{
    return value(columnIndex(key));
}

QString GridRowData::text(int column) const
{
    return m_type == NoRow ? QString() : m_model->cellText(m_ref, column);
}

QString GridRowData::text(const QString &key) const
{
    return text(columnIndex(key));
}

int GridRowData::groupLevel() const
{
    return m_type == GroupHeader ? m_model->groupLevel(GridModel::groupOfRef(m_ref)) + 1 : 0;
}

GridColumn *GridRowData::groupColumn() const
{
    if (m_type != GroupHeader)
        return nullptr;
    return m_model->groupColumns().value(m_model->groupLevel(GridModel::groupOfRef(m_ref)));
}

QVariant GridRowData::groupValue() const
{
    return m_type == GroupHeader ? m_model->groupValue(GridModel::groupOfRef(m_ref)) : QVariant();
}

QString GridRowData::groupCaption() const
{
    return m_type == GroupHeader ? m_model->defaultGroupCaption(GridModel::groupOfRef(m_ref)) : QString();
}

int GridRowData::recordCount() const
{
    switch (m_type) {
    case GroupHeader:
        return m_model->groupRecordCount(GridModel::groupOfRef(m_ref));
    case Record:
        return 1;
    default:
        return 0;
    }
}

bool GridRowData::isExpanded() const
{
    return m_type == GroupHeader && m_model->isExpanded(GridModel::groupOfRef(m_ref));
}

QVariant GridRowData::groupSum(int column) const
{
    switch (m_type) {
    case GroupHeader:
        return m_model->groupSum(GridModel::groupOfRef(m_ref), column);
    case Record:
        return value(column);
    default:
        return QVariant();
    }
}

QVariant GridRowData::groupSum(const QString &key) const
{
    return groupSum(columnIndex(key));
}
