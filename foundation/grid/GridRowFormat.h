#pragma once

#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridRowData.h"

#include <QString>

// The row a list grid is about to show, handed to its owner's format answer (the FormatRow event of a
// ListGrid): everything GridRowData tells, plus what the owner may set: a group header's caption, the
// text of single cells, the row's height in twips (0: the grid's) and a named row style.
class GridRowFormat : public GridRowData
{
public:
    QString caption() const { return m_format->caption; }
    void setCaption(const QString &caption) { m_format->caption = caption; }
    void setCellText(int column, const QString &text);
    void setCellText(const QString &key, const QString &text);
    int rowHeight() const { return m_format->heightTwips; }
    void setRowHeight(int twips) { m_format->heightTwips = qMax(0, twips); }
    QString style() const { return m_format->style; }
    void setStyle(const QString &name) { m_format->style = name; }

private:
    friend class GridModel;
    GridRowFormat(const GridModel *model, int ref, int row, RowType type, GridModel::RowFormat *format)
        : GridRowData(model, ref, row, type), m_format(format) {}
    GridModel::RowFormat *m_format;
};
