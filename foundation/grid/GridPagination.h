#pragma once

#include <QList>
#include <QString>
#include <functional>

class GridModel;

// One thing placed on a printed page. row is the grid's row (1-based) for Group, Record, Note and
// GroupSums; 0 for the column headers. top and height are in twips from the top of the rows' area.
struct GridPageItem {
    enum Kind { ColumnHeaders, Group, Record, Note, GroupSums };
    Kind kind = Record;
    int row = 0;
    int group = -1;        // Group: the group; GroupSums: the group summed
    double top = 0;        // twips below the top of the rows' area (under the page header)
    double height = 0;     // twips
};
struct GridPage {
    QList<GridPageItem> items;
};

// The sizes pages are laid out with, in twips: what a device's fonts and paper make of the print settings.
struct GridPageMetrics {
    double rowsHeight = 1;       // the rows' area of a page
    double columnHeaders = 0;    // the column headers' line
    double rowHeight = 0;        // a row of the grid's own height
    double tallRowLeast = 0;     // the least a row given a height of its own takes
    double noteLeast = 0;        // the least a note kept under its record takes (its first line)
    bool repeatHeaders = false;  // the column headers on every page (else on the first only)
    bool groupSums = false;      // a line of sums under every group that holds records
    int noteColumn = -1;         // the column (1-based) printed as a note under each record; -1 none
};

// The visible rows of a built grid model as they fall on pages: each row once and in order, the column
// headers first on the first page (on every page when repeated), a group row never ending a page that
// has rows after it (it goes with what follows it), a record with its note and the sums of the groups it
// ends, sums after the last record of their group. What exceeds a page is split: a long note is cut to
// what a page holds beside its record. noteHeight: the height a note's text takes (twips), with its
// padding. Pure logic over the model: no device, no widget.
QList<GridPage> PaginateGrid(const GridModel &model, const GridPageMetrics &metrics,
                             const std::function<double(const QString &)> &noteHeight);

// The text a record prints as its note (the note column's text, trimmed); "" for a group row or without
// a note column. row0: the visible row, 0-based.
QString GridNoteText(const GridModel &model, int row0, int noteColumn);
