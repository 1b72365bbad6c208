#pragma once

#include <QColor>
#include <QString>

// A named look for rows of a list grid ("Expired", "barrato", ...): font changes and colours. An invalid
// colour keeps the grid's own.
struct GridRowStyle
{
    QString name;
    bool bold = false;
    bool italic = false;
    bool strikeOut = false;
    QColor foreColor;
    QColor backColor;
};
