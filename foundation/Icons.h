#pragma once

// The program's pictures, drawn at run time so they stay sharp at any screen scale: the program icon, the
// row icons of the lists, and the pictures of the main window's toolbars and links.

#include <QIcon>
#include <QList>
#include <functional>

class QPainter;

namespace Icons {

QIcon program();
// The program icon's drawing on a 16 x 16 canvas: the window icon, and the scalable icon of the installed
// program made from it at build time.
void drawProgram(QPainter &p);

// A picture drawn by draw on a 16 x 16 canvas (antialiased, on a transparent ground), rendered at 1x, 2x
// and 3x.
QIcon drawn(const std::function<void(QPainter &)> &draw);

// The image list of the main grid, numbered from 1: 5 credit, 6 debit, 7 appointment (open), 9 series
// (open), 10 debit, 11 credit, 12 appointment (closed), 13 series (closed), 14 attachment. Numbers
// without a picture hold an empty icon.
QList<QIcon> rowImageList();
// The side list's two pictures: 1 deadlines view, 2 cash-book view.
QList<QIcon> sideListPictures();

// The command toolbar pictures, numbered from 1 as the toolbars use them: new, edit, delete, refresh,
// tables, print, export, options, help.
QList<QIcon> commandImageList();
// The view toolbar: 1 deadlines, 2 cash book; the highlighted (coloured) or plain set.
QList<QIcon> viewImageList(bool highlighted);
// Expand all, collapse all.
QIcon expandAll();
QIcon collapseAll();
// The search box picture: 1 idle, 2 a search is active.
QList<QIcon> searchImageList();
// The today and current-month links.
QIcon today();
QIcon currentMonth();

} // namespace Icons
