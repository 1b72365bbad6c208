#include "foundation/grid/GridAccessible.h"

#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QWindow>

namespace {

class GridTable;

// The shown columns of a view in display order: logical (0-based) model columns.
QList<int> shownColumns(const GridView *view)
{
    QList<int> out;
    const QHeaderView *h = view->header();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            out.append(logical);
    }
    return out;
}

// The rows on screen: the first one (0-based) and how many.
QPair<int, int> rowsOnScreen(const GridView *view)
{
    const int rows = view->model() ? view->model()->rowCount() : 0;
    if (rows == 0 || !view->isVisible())
        return {0, 0};
    const QModelIndex top = view->indexAt(QPoint(0, 0));
    const int first = top.isValid() ? top.row() : 0;
    const int height = std::max(1, view->rowHeightPixels());
    const int shown = view->viewport()->height() / height + 1;
    return {first, std::max(0, std::min(shown, rows - first))};
}

bool isGroupRow(const GridView *view, int row)
{
    return view->model()->index(row, 0).data(GridModel::RowKindRole).toInt() == 1;
}

// One cell of the table, or (row -1) one column header.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCell(GridView *view, int row, int column) : m_view(view), m_row(row), m_column(column) {}

    bool isValid() const override
    {
        return m_view && m_row < m_view->model()->rowCount() && m_column < shownColumns(m_view).size();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        const int logical = shownColumns(m_view).value(m_column);
        QAbstractItemModel *model = m_view->model();
        if (m_row < 0)
            return model->headerData(logical, Qt::Horizontal).toString();
        // A group row's caption stands in its first cell.
        if (isGroupRow(m_view, m_row))
            return m_column == 0 ? model->index(m_row, 0).data().toString() : QString();
        return model->index(m_row, logical).data().toString();
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (m_row < 0)
            return s;
        const QPair<int, int> onScreen = rowsOnScreen(m_view);
        if (m_row < onScreen.first || m_row >= onScreen.first + onScreen.second)
            s.offscreen = true;
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = m_view->hasFocus() && m_view->currentIndex().row() == m_row;
        if (m_column == 0 && isGroupRow(m_view, m_row)) {
            s.expandable = true;
            const bool expanded = m_view->model()->index(m_row, 0).data(GridModel::ExpandedRole).toBool();
            s.expanded = expanded;
            s.collapsed = !expanded;
        }
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const int logical = shownColumns(m_view).value(m_column);
        QRect r;
        if (m_row < 0) {
            const QHeaderView *h = m_view->header();
            r = QRect(h->sectionViewportPosition(logical), 0, h->sectionSize(logical), h->height());
            return QRect(h->viewport()->mapToGlobal(r.topLeft()), r.size());
        }
        if (state().offscreen)
            return QRect();
        r = m_view->visualRect(m_view->model()->index(m_row, logical));
        return QRect(m_view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface *>(this) : nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override
    {
        return m_row >= 0 && m_view && m_view->selectionModel()
               && m_view->selectionModel()->isRowSelected(m_row, QModelIndex());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    QPointer<GridView> m_view;
    int m_row;
    int m_column;
};

// The view itself: a table whose children are the headers and the cells of the rows on screen.
class GridTable : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridTable(GridView *view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~GridTable() override { clearCells(); }

    GridView *view() const { return static_cast<GridView *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Children: row 0 holds the column headers, the rows after it those on screen.
    int childCount() const override
    {
        const int columns = int(shownColumns(view()).size());
        return columns * (1 + rowsOnScreen(view()).second);
    }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = int(shownColumns(view()).size());
        if (index < 0 || columns == 0 || index >= childCount())
            return nullptr;
        const int row = index / columns - 1;
        return cell(row < 0 ? -1 : rowsOnScreen(view()).first + row, index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || (child->role() != QAccessible::Cell && child->role() != QAccessible::ColumnHeader))
            return -1;
        const auto *c = static_cast<const GridCell *>(child);
        const int columns = int(shownColumns(view()).size());
        if (c->row() < 0)
            return c->column();
        const QPair<int, int> onScreen = rowsOnScreen(view());
        if (c->row() < onScreen.first || c->row() >= onScreen.first + onScreen.second)
            return -1;
        return (1 + c->row() - onScreen.first) * columns + c->column();
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(at);
        if (!index.isValid())
            return nullptr;
        const int column = int(shownColumns(view()).indexOf(index.column()));
        return column < 0 ? nullptr : cell(index.row(), column);
    }

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return cell(row, column);
    }
    int columnCount() const override { return int(shownColumns(view()).size()); }
    int rowCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    QString columnDescription(int column) const override
    {
        return view()->model()->headerData(shownColumns(view()).value(column, -1), Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return QString(); }
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int row : selectedRows())
            for (int c = 0; c < columnCount(); ++c)
                cells.append(cell(row, c));
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        if (const QItemSelectionModel *s = view()->selectionModel())
            for (const QModelIndex &i : s->selectedRows())
                rows.append(i.row());
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override
    {
        return view()->selectionModel() && view()->selectionModel()->isRowSelected(row, QModelIndex());
    }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rowCount())
            return false;
        view()->setCurrentIndex(view()->model()->index(row, shownColumns(view()).value(0, 0)));
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { clearCells(); }

    // The cell of a row (-1: the header) and shown column; made when first asked for.
    QAccessibleInterface *cell(int row, int column) const
    {
        const quint64 key = (quint64(quint32(row + 1)) << 32) | quint32(column);
        if (const auto it = m_cells.constFind(key); it != m_cells.constEnd())
            if (QAccessibleInterface *kept = QAccessible::accessibleInterface(*it))
                return kept;
        // A screen reader asks for the rows it reads; a few thousand cells are kept at most.
        if (m_cells.size() > MaxCells)
            clearCells();
        auto *made = new GridCell(view(), row, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    void clearCells() const
    {
        for (QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

private:
    static constexpr int MaxCells = 4000;
    mutable QHash<quint64, QAccessible::Id> m_cells;
};

QList<QAccessibleInterface *> GridCell::columnHeaderCells() const
{
    if (m_row < 0 || !m_view)
        return {};
    auto *table = dynamic_cast<GridTable *>(QAccessible::queryAccessibleInterface(m_view.data()));
    return table ? QList<QAccessibleInterface *>{table->cell(-1, m_column)} : QList<QAccessibleInterface *>();
}

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<GridView *>(object))
        return new GridTable(view);
    return nullptr;
}

GridTable *tableOf(GridView *view)
{
    return dynamic_cast<GridTable *>(QAccessible::queryAccessibleInterface(view));
}

void tell(GridView *view, const QModelIndex &index, QAccessible::Event type)
{
    if (!index.isValid() || !QAccessible::isActive())
        return;
    GridTable *table = tableOf(view);
    if (!table)
        return;
    const int column = std::max<int>(0, int(shownColumns(view).indexOf(index.column())));
    const int child = table->indexOfChild(table->cell(index.row(), column));
    if (child < 0)
        return;
    QAccessibleEvent event(view, type);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

} // namespace

namespace GridAccessible {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void focusMoved(GridView *view, const QModelIndex &current)
{
    if (view->hasFocus())
        tell(view, current, QAccessible::Focus);
}

void selectionMoved(GridView *view, const QModelIndex &index, bool selected)
{
    tell(view, index, selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
}

void rowsChanged(GridView *view)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent event(view, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
}

} // namespace GridAccessible
