#pragma once

#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridRowData.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/grid/GridRowStyle.h"
#include "platform/database/Recordset.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QVariant>
#include <QWidget>
#include <memory>

class GridView;
class QLabel;

// The list grid every list of the program uses: the facade over the grid's core (GridModel: rows,
// columns, ordering, groups, sums) and its view (GridView). It is bound to a connection string and a
// record source (a table name or Jet SQL), reads the rows into a recordset that its owner can reach
// (filter, bookmarks) and shows them with their columns, group rows and sort keys. Rows are numbered from
// 1 in display order, group rows included; 0 means no row. Computed values, icons and row formats are
// asked of the owner through the events below while the grid builds and draws; nothing is queried from
// the database then. The grid keeps the current row and tells the owner what happens in the rows.
//
// Structural settings (groups, sort keys, a refetch) take effect together: the rows are rebuilt once,
// before the next call that reads them or before the next paint.
class ListGrid : public QWidget, private GridAnswers
{
    Q_OBJECT
public:
    using Bookmark = platform::Recordset::Bookmark;

    explicit ListGrid(QWidget *parent = nullptr);
    ~ListGrid() override;

    // --- binding ---
    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString &connectionString) { m_connectionString = connectionString; }
    QString recordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source) { m_recordSource = source; }
    // Opens the record source and shows its rows. keepColumns: the columns stay as they are (bound
    // columns find their field again by key; the first bind of a grid without columns makes them);
    // false: the columns are made again, one per field in field order, and groups and sort keys are
    // cleared. A statement the database refuses (RuntimeError) leaves the grid bound as it was; once the
    // statement is accepted, the rows shown so far are let go before the new ones are read, so a failure
    // while reading them leaves the grid without rows. An empty record source unbinds.
    void rebind(bool keepColumns = true);
    // Reads the rows of the current source again (the recordset's filter is reset).
    void requery();
    // Shows again the rows of the bound recordset that pass its filter: call it after setting the
    // recordset's Filter. The current record stays current when it still passes.
    void refetch();
    // Asks the owner again for computed values, icons and row formats, and redraws.
    void refresh();
    // The bound recordset, shared with the owner; a new one after every rebind. nullptr when unbound.
    std::shared_ptr<platform::Recordset> recordset() const;

    // --- rows ---
    int rowCount() const;                    // visible rows, group rows included
    int recordCount() const;                 // records that pass the recordset's filter
    int row() const;                         // current row, 1-based; 0 none
    void setRow(int row);                    // 0 clears; a row past the end is ignored
    int col() const;                         // current column index (1-based); 0 none
    void setCol(int column);
    GridRowData rowData(int row) const;      // NoRow outside 1..rowCount()
    // Makes the first record whose column equals value current (expanding its groups); text is
    // compared as the database compares it. False, and the current row unchanged, when none matches.
    bool find(const QString &key, const QVariant &value);
    bool find(int column, const QVariant &value);

    // --- columns ---
    int columnCount() const;
    GridColumn *column(int index) const;               // 1-based; RuntimeError outside
    GridColumn *column(const QString &key) const;      // RuntimeError when no column has the key
    bool hasColumn(const QString &key) const;
    GridColumn *addColumn(const QString &key);         // bound to the field of that name
    GridColumn *addComputedColumn(const QString &key); // filled through UnboundColumnFetch
    void clearColumns();
    QList<GridColumn *> columnsInDisplayOrder() const;

    // --- groups and sort keys ---
    void clearGroups();
    void addGroup(const QString &key);                 // a further level, ascending
    QList<GridColumn *> groupColumns() const;
    void expandAll();
    void collapseAll();
    void expandRow(int row);                           // a group row; others are ignored
    void collapseRow(int row);
    bool isRowExpanded(int row) const;
    // With groups and no records, one empty outermost group row stays (the list's heading).
    bool groupRowWhenEmpty() const;
    void setGroupRowWhenEmpty(bool on);
    void clearSortKeys();
    void addSortKey(const QString &key, int direction = 1);   // 1 ascending, -1 descending
    // A click on a column header sorts by that column (a second click reverses it).
    bool autoSort() const { return m_autoSort; }
    void setAutoSort(bool on) { m_autoSort = on; }

    // --- look ---
    void setRowStyle(const GridRowStyle &style);       // adds or replaces the style of that name
    bool hasRowStyle(const QString &name) const;
    GridRowStyle rowStyle(const QString &name) const;
    GridRowStyle groupRowStyle() const;
    void setGroupRowStyle(const GridRowStyle &style);
    GridRowStyle selectedRowStyle() const { return m_selectedStyle; }
    void setSelectedRowStyle(const GridRowStyle &style);
    void setImageList(const QList<QIcon> &icons);      // numbered from 1
    QList<QIcon> imageList() const;
    // A 16 x 16 picture whose pixels of the given colour are transparent.
    static QIcon maskedIcon(const QImage &image, const QColor &transparent = QColor(255, 0, 255));
    int rowHeight() const;                             // twips
    void setRowHeight(int twips);
    int headerHeight() const { return m_headerHeight; }
    void setHeaderHeight(int twips);
    bool columnHeaders() const;
    void setColumnHeaders(bool shown);
    bool gridLines() const;
    void setGridLines(bool shown);
    bool border() const;
    void setBorder(bool shown);
    // The record navigator under the rows: "<first word> <row> <second word> <row count>", from a caption
    // of two words separated by "|" ("row|of").
    bool navigatorVisible() const;
    void setNavigatorVisible(bool shown);
    QString navigatorCaption() const { return m_navigatorCaption; }
    void setNavigatorCaption(const QString &caption);
    QString navigatorText() const;

    GridView *view() const { return m_view; }
    GridModel *model() const { return m_model; }

signals:
    // A computed cell's value: the owner writes it into value. rowIndex is the visible row, or 0 when the
    // value is needed to group, sort or sum.
    void UnboundColumnFetch(int rowIndex, int colIndex, qint64 bookmark, QVariant &value);
    // The icon of a cell of an icon column (iconIndex starts as the column's own, 0 none).
    void FetchIcon(int rowIndex, int colIndex, qint64 bookmark, int &iconIndex);
    // A row is about to be drawn: the owner may set its caption, cell texts, height and style.
    void FormatRow(GridRowFormat &row);
    void ColumnHeaderClick(GridColumn *column);
    // A key went down in the rows (Qt key code); setting keyCode to 0 consumes it.
    void KeyDown(int &keyCode, Qt::KeyboardModifiers shift);
    void Click();
    void DblClick();
    // A mouse button was released over the rows; pos in this widget's coordinates.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &pos);
    // The current row or column changed; the arguments are the previous ones.
    void RowColChange(int lastRow, int lastCol);
    // A failure inside the grid's drawing or the owner's event answers; show starts true, and the grid
    // shows the description in a message box unless the owner sets it to false.
    void Error(qint64 number, const QString &description, bool &show);

private:
    // GridAnswers: the owner's answers, asked through the events.
    void computedValue(int row, int column, Bookmark bookmark, QVariant &value) override;
    void icon(int row, int column, Bookmark bookmark, int &icon) override;
    void formatRow(GridRowFormat &row) override;

    void ensureBuilt() const;
    void scheduleBuild();
    void build();
    void currentChangedByView();
    void emitRowColChangeIfMoved();
    int currentColumn0() const;
    void setCurrentRowSilently(int row0);
    void setAllExpanded(bool expanded);
    void setRowExpanded(int row, bool expanded);
    void headerClicked(int section);
    void updateNavigator();
    void reportError(qint64 number, const QString &description);
    void deliverError();

    QString m_connectionString;
    QString m_recordSource;
    GridModel *m_model;
    GridView *m_view;
    QLabel *m_navigator;
    QString m_navigatorCaption;
    bool m_dirty = false;
    bool m_buildPosted = false;
    bool m_keepComputed = false;   // the next build may keep the computed values it has
    bool m_sameData = false;       // the next build shows the same records (the current one stays)
    int m_quiet = 0;
    bool m_autoSort = false;
    int m_headerHeight = 315;
    GridRowStyle m_selectedStyle;
    int m_lastRow = 0;
    int m_lastCol = 0;
    qint64 m_lastIdentity = -1;
    bool m_errorPending = false;
    qint64 m_errorNumber = 0;
    QString m_errorText;
};
