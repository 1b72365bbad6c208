#include "foundation/grid/GridRowFormat.h"

void GridRowFormat::setCellText(int column, const QString &text)
{
    if (!m_model->gridColumn(column))
        return;
    for (auto &cell : m_format->cellTexts) {
        if (cell.first == column) {
            cell.second = text;
            return;
        }
    }
    m_format->cellTexts.append({column, text});
}

void GridRowFormat::setCellText(const QString &key, const QString &text)
{
    setCellText(columnIndex(key), text);
}
