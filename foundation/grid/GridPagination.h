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
    int firstLine = 0;     // Note: the first of the note's lines printed here (a long note goes on over pages)
    int lines = 0;         // Note: how many of them
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
    double noteLine = 1;         // a line of a note
    double notePadding = 0;      // above and below the lines of a note (each piece of a long one)
    bool repeatHeaders = false;  // the column headers on every page (else on the first only)
    bool groupSums = false;      // a line of sums under every group that holds records
    int noteColumn = -1;         // the column (1-based) printed as a note under each record; -1 none
};

// The visible rows of a built grid model as they fall on pages: each row once and in order, the column
// headers first on the first page (on every page when repeated), a group row never ending a page that
// has rows after it (it goes with what follows it), a record with its note and the sums of the groups it
// ends, sums after the last record of their group. A note of up to KeptNoteLines lines goes whole with its
// record; a longer one starts under its record on the same page and goes on over the next pages, with at
// least two of its lines on each piece (never one line alone at a page's end or start). noteLines: the
// lines a note's text takes. Pure logic over the model: no device, no widget.
constexpr int KeptNoteLines = 3;
QList<GridPage> PaginateGrid(const GridModel &model, const GridPageMetrics &metrics,
                             const std::function<int(const QString &)> &noteLines);

// The text a record prints as its note (the note column's text, trimmed); "" for a group row or without
// a note column. row0: the visible row, 0-based.
QString GridNoteText(const GridModel &model, int row0, int noteColumn);
