#include "foundation/grid/GridPagination.h"

#include "foundation/grid/GridModel.h"

#include <algorithm>
#include <vector>

QString GridNoteText(const GridModel &model, int row0, int noteColumn)
{
    if (noteColumn < 0)
        return QString();
    const GridModel::RowRef ref = model.rowRef(row0);
    if (GridModel::isGroupRef(ref))
        return QString();
    return model.cellText(ref, noteColumn).trimmed();
}

QList<GridPage> PaginateGrid(const GridModel &model, const GridPageMetrics &m,
                             const std::function<int(const QString &)> &noteLines)
{
    using PageItem = GridPageItem;
    const int rows = model.visibleCount();

    // First the rows as blocks: each row's height, its note, the groups whose sums follow it (records
    // close the groups they end; a group row closes those of its level and below that are still open).
    // A block per row, kept small: a list holds a million rows. The groups closed at a row (few rows
    // close any) are lists of their own, which a block names by their place in `closings`.
    struct Block {
        double height = 0;
        int note = 0;              // the note's lines
        double need = 0;           // what must fit on the page for this row to start there
        int groupIndex = -1;       // a group row's group; -1 for a record
        int closedBefore = 0;      // sums printed before this row
        int closedAfter = 0;       // sums printed after it (and its note)
        bool group() const { return groupIndex >= 0; }
    };
    std::vector<QList<int>> closings(1);   // closings[0]: none
    auto closingsAt = [&](int &at) -> QList<int> & {
        if (at == 0) {
            at = int(closings.size());
            closings.emplace_back();
        }
        return closings[size_t(at)];
    };
    auto heightOf = [&](GridModel::RowRef ref) {
        const int h = model.rowFormat(ref).heightTwips;
        return h > 0 ? std::max<double>(h, m.tallRowLeast) : m.rowHeight;
    };
    auto hasSums = [&](int group) { return m.groupSums && model.groupRecordCount(group) > 0; };
    const double sumsHeight = m.rowHeight;
    constexpr int LeastPiece = 2;   // the fewest lines of a long note on a page
    auto noteHeight = [&](int lines) { return lines > 0 ? lines * m.noteLine + 2 * m.notePadding : 0.0; };
    // The room of a page after the first: what a block larger than that cannot keep together.
    const double room = m.rowsHeight - (m.repeatHeaders ? m.columnHeaders : 0);

    std::vector<Block> blocks(size_t(std::max(0, rows)));
    QList<int> open;   // the groups whose records are being printed, innermost last
    for (int r = 0; r < rows; ++r) {
        Block &b = blocks[size_t(r)];
        const GridModel::RowRef ref = model.rowRef(r);
        b.height = heightOf(ref);
        if (GridModel::isGroupRef(ref)) {
            b.groupIndex = GridModel::groupOfRef(ref);
            const int level = model.groupLevel(b.groupIndex);
            while (!open.isEmpty() && model.groupLevel(open.last()) >= level)
                closingsAt(b.closedBefore).append(open.takeLast());
            open.append(b.groupIndex);
            continue;
        }
        while (!open.isEmpty()
               && model.groupFirstRecord(open.last()) + model.groupRecordCount(open.last()) - 1 == ref)
            closingsAt(b.closedAfter).append(open.takeLast());
        const QString note = GridNoteText(model, r, m.noteColumn);
        if (!note.isEmpty())
            b.note = std::max(1, noteLines(note));
    }
    QList<int> closedAtEnd;
    while (!open.isEmpty())
        closedAtEnd.append(open.takeLast());

    // Then what goes together, from the last row up: a record with its short note and the sums after it,
    // or with the first lines of a long note; a group row with the block under it, so that it never ends a
    // page. What exceeds a page is split.
    for (int r = rows - 1; r >= 0; --r) {
        Block &b = blocks[size_t(r)];
        if (b.group()) {
            const double next = r + 1 < rows ? blocks[size_t(r) + 1].need : 0;
            b.need = b.height + next <= room ? b.height + next : b.height + (r + 1 < rows ? m.rowHeight : 0);
        } else {
            double sums = 0;
            for (int group : closings[size_t(b.closedAfter)])
                sums += hasSums(group) ? sumsHeight : 0;
            const double note = noteHeight(b.note);
            const double full = b.height + note + sums;
            if (b.note > KeptNoteLines)
                b.need = b.height + noteHeight(LeastPiece);
            else
                b.need = full <= room ? full : (b.height + note <= room ? b.height + note : b.height);
        }
    }

    QList<GridPage> pages;
    GridPage page;
    double y = 0;
    bool firstPage = true;
    auto startPage = [&] {
        page = GridPage();
        y = 0;
        if (firstPage || m.repeatHeaders) {
            page.items.append({PageItem::ColumnHeaders, 0, -1, 0, m.columnHeaders});
            y = m.columnHeaders;
        }
        firstPage = false;
    };
    auto hasRows = [&] {
        return std::any_of(page.items.cbegin(), page.items.cend(),
                           [](const PageItem &it) { return it.kind != PageItem::ColumnHeaders; });
    };
    // Places an item, first moving to a new page when `need` (the item and what must stay with it) does
    // not fit below the last one. An item higher than a whole page is cut to the page.
    auto place = [&](PageItem item, double need) {
        if (y + need > m.rowsHeight + 0.5 && hasRows()) {
            pages.append(page);
            startPage();
        }
        item.top = y;
        item.height = std::min(item.height, std::max(0.0, m.rowsHeight - y));
        y += item.height;
        page.items.append(item);
    };
    auto placeSums = [&](const QList<int> &groups) {
        for (int group : groups)
            if (hasSums(group))
                place({PageItem::GroupSums, 0, group, 0, sumsHeight}, sumsHeight);
    };

    startPage();
    for (int r = 0; r < rows; ++r) {
        const Block &b = blocks[size_t(r)];
        placeSums(closings[size_t(b.closedBefore)]);
        if (b.group()) {
            place({PageItem::Group, r + 1, b.groupIndex, 0, b.height}, b.need);
            continue;
        }
        place({PageItem::Record, r + 1, -1, 0, b.height}, b.need);
        double sums = 0;
        for (int group : closings[size_t(b.closedAfter)])
            sums += hasSums(group) ? sumsHeight : 0;
        // The note in pieces, each filling what its page leaves; the last piece keeps room for the sums
        // after it, and a piece that leaves lines over leaves at least LeastPiece of them.
        for (int done = 0; done < b.note;) {
            const int left = b.note - done;
            const double free = m.rowsHeight + 0.5 - y;
            const int fit = std::max(0, int((free - 2 * m.notePadding) / m.noteLine));
            int piece = left;
            if (left > fit || noteHeight(left) + sums > free) {
                if (fit == 0 && hasRows()) {
                    pages.append(page);
                    startPage();
                    continue;
                }
                piece = std::clamp(std::min(fit, left - LeastPiece), 1, std::max(1, std::min(fit, left)));
            }
            page.items.append({PageItem::Note, r + 1, -1, y, noteHeight(piece), done, piece});
            y += noteHeight(piece);
            done += piece;
            if (done < b.note) {
                pages.append(page);
                startPage();
            }
        }
        placeSums(closings[size_t(b.closedAfter)]);
    }
    placeSums(closedAtEnd);
    pages.append(page);
    return pages;
}
