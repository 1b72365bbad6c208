#pragma once

#include <QAccessible>

class GridView;
class QModelIndex;

// What a screen reader is told of a grid's view: a table of the grid's rows (every one of them counted,
// group rows included) and its shown columns in display order, whose children are the column headers and
// the cells of the rows on screen only. A list of 100 000 rows so answers a screen reader as fast as one
// of 30: nothing walks the rows that are not shown, and a cell is made only when it is asked for (kept
// until the rows or columns change). Any cell of any row can still be reached through the table (the
// row and column a screen reader asks for), with its text, its place and its selected and focused
// states; a group row tells its caption in its first cell and whether it is expanded.
namespace GridAccessible {

// Makes the grid views answer through these interfaces (once per program; GridView calls it).
void install();

// The view's current cell became cell `current` (the focus moved to it): told to a screen reader.
void focusMoved(GridView *view, const QModelIndex &current);
// A row was selected or deselected.
void selectionMoved(GridView *view, const QModelIndex &index, bool selected);
// The rows or the columns of the view changed: the cells a screen reader was given are let go.
void rowsChanged(GridView *view);

} // namespace GridAccessible
