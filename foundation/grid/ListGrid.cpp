#include "foundation/grid/ListGrid.h"

#include "foundation/Twips.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/GridView.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/dialogs/Dialogs.h"

#include <QBitmap>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kSource = QStringLiteral("ListGrid");

// Keeps the view's current-row notices from reaching the owner while the rows are being rebuilt.
class Quiet
{
public:
    explicit Quiet(int &depth) : m_depth(depth) { ++m_depth; }
    ~Quiet() { --m_depth; }

private:
    int &m_depth;
};

} // namespace

ListGrid::ListGrid(QWidget *parent)
    : QWidget(parent)
{
    m_model = new GridModel(this);
    m_model->setAnswers(this);
    m_view = new GridView(m_model, this);
    m_navigator = new QLabel(this);
    m_navigator->setVisible(false);
    m_navigator->setContentsMargins(4, 1, 4, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_navigator);
    setFocusProxy(m_view);

    m_selectedStyle.foreColor = Qt::white;
    m_selectedStyle.backColor = QColor(192, 192, 192);
    setSelectedRowStyle(m_selectedStyle);
    m_view->setHeaderHeightPixels(TwipsToPixels(m_headerHeight));

    // Settings made since the last build are put together before the rows are drawn.
    m_view->setPrepare([this] {
        if (!m_dirty)
            return false;
        build();
        return true;
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { currentChangedByView(); });
    connect(m_view->header(), &QHeaderView::sectionClicked, this, [this](int section) { headerClicked(section); });
    connect(m_view, &GridView::groupToggleRequested, this,
            [this](int row, bool expand) { setRowExpanded(row, expand); });
    connect(m_view, &GridView::keyDown, this, [this](int &key, Qt::KeyboardModifiers modifiers) {
        m_model->guarded([&] { emit KeyDown(key, modifiers); });
    });
    connect(m_view, &GridView::buttonReleased, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &at) {
                QPointer<ListGrid> alive(this);
                const QPoint pos = m_view->viewport()->mapTo(this, at);
                m_model->guarded([&] { emit MouseUp(button, modifiers, pos); });
                if (alive && button == Qt::LeftButton)
                    m_model->guarded([&] { emit Click(); });
            });
    connect(m_view, &GridView::rowsDoubleClicked, this, [this] { m_model->guarded([&] { emit DblClick(); }); });
    connect(m_model, &GridModel::rowsOutOfDate, this, [this](bool answers) {
        if (answers)
            m_keepComputed = false;
        scheduleBuild();
    });
    connect(m_model, &GridModel::failed, this,
            [this](qint64 number, const QString &description) { reportError(number, description); });
}

ListGrid::~ListGrid()
{
    // Nothing is asked of an owner while the grid goes.
    m_model->setAnswers(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// The owner's answers, asked through the events

void ListGrid::computedValue(int row, int column, Bookmark bookmark, QVariant &value)
{
    emit UnboundColumnFetch(row, column, bookmark, value);
}

void ListGrid::icon(int row, int column, Bookmark bookmark, int &icon)
{
    emit FetchIcon(row, column, bookmark, icon);
}

void ListGrid::formatRow(GridRowFormat &row)
{
    emit FormatRow(row);
}

// ---------------------------------------------------------------------------------------------------
// Binding

void ListGrid::rebind(bool keepColumns)
{
    std::shared_ptr<platform::Recordset> rs;
    if (!m_recordSource.trimmed().isEmpty()) {
        rs = std::make_shared<platform::Recordset>();
        // A statement the database refuses leaves the grid as it was. Once it is accepted the rows shown
        // so far go, before the new ones are read: a large list is never held twice.
        rs->Open(m_recordSource, m_connectionString, platform::Recordset::adOpenStatic,
                 platform::Recordset::adLockReadOnly, platform::Recordset::adCmdUnknown, [this] {
                     Quiet quiet(m_quiet);
                     m_model->setRecordset(nullptr, true);
                     m_sameData = false;
                     m_keepComputed = false;
                 });
    }
    {
        Quiet quiet(m_quiet);
        m_model->setRecordset(std::move(rs), keepColumns);
    }
    m_sameData = false;
    m_keepComputed = false;
    scheduleBuild();
}

void ListGrid::requery()
{
    std::shared_ptr<platform::Recordset> rs = m_model->recordset();
    if (!rs)
        return;
    auto reread = [&] {
        Quiet quiet(m_quiet);
        // The old bookmarks name nothing any more.
        m_model->setRecordset(rs, true);
        m_sameData = false;
        m_keepComputed = false;
        scheduleBuild();
    };
    try {
        rs->Requery();
    } catch (...) {
        // Whatever the recordset still holds is shown; the failure goes to the caller.
        reread();
        throw;
    }
    reread();
}

void ListGrid::refetch()
{
    if (!m_model->recordset())
        return;
    scheduleBuild();
}

void ListGrid::refresh()
{
    m_keepComputed = false;
    scheduleBuild();
}

std::shared_ptr<platform::Recordset> ListGrid::recordset() const
{
    return m_model->recordset();
}

// ---------------------------------------------------------------------------------------------------
// Building

void ListGrid::scheduleBuild()
{
    m_dirty = true;
    if (m_buildPosted)
        return;
    m_buildPosted = true;
    QMetaObject::invokeMethod(this, [this] {
        m_buildPosted = false;
        ensureBuilt();
    }, Qt::QueuedConnection);
}

void ListGrid::ensureBuilt() const
{
    if (m_dirty)
        const_cast<ListGrid *>(this)->build();
}

void ListGrid::build()
{
    m_dirty = false;
    int target = -1;
    {
        Quiet quiet(m_quiet);
        // The current record stays current when the rows are the same records in another order or
        // under another filter.
        qint64 keep = -1;
        const QModelIndex current = m_view->currentIndex();
        if (m_sameData && current.isValid() && current.row() < m_model->visibleCount()) {
            const GridModel::RowRef ref = m_model->rowRef(current.row());
            if (!GridModel::isGroupRef(ref))
                keep = m_model->bookmarkOf(ref);
        }
        m_model->rebuild(m_keepComputed);
        m_keepComputed = true;
        m_sameData = true;
        if (keep >= 0) {
            const GridModel::RowRef ref = m_model->refOfBookmark(keep);
            if (ref != GridModel::NoRef)
                target = m_model->visibleRowFor(ref);
        }
        if (target < 0 && m_model->visibleCount() > 0)
            target = 0;
        setCurrentRowSilently(target);
    }
    // A view not shown scrolls to its current row when it is shown.
    if (target >= 0 && m_view->isVisible())
        m_view->scrollTo(m_model->index(target, currentColumn0()));
    emitRowColChangeIfMoved();
    updateNavigator();
}

// ---------------------------------------------------------------------------------------------------
// Rows

int ListGrid::currentColumn0() const
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        return current.column();
    if (m_lastCol >= 1 && m_lastCol <= m_model->gridColumnCount())
        return m_lastCol - 1;
    for (int c : m_model->displayOrder())
        if (m_model->gridColumn(c)->isVisible())
            return c - 1;
    return 0;
}

void ListGrid::setCurrentRowSilently(int row0)
{
    Quiet quiet(m_quiet);
    QItemSelectionModel *sel = m_view->selectionModel();
    if (row0 < 0 || row0 >= m_model->visibleCount() || m_model->gridColumnCount() == 0) {
        sel->clear();
        return;
    }
    sel->setCurrentIndex(m_model->index(row0, currentColumn0()),
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int ListGrid::rowCount() const
{
    ensureBuilt();
    return m_model->visibleCount();
}

int ListGrid::recordCount() const
{
    ensureBuilt();
    return m_model->recordCount();
}

int ListGrid::row() const
{
    ensureBuilt();
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void ListGrid::setRow(int row)
{
    ensureBuilt();
    if (row > m_model->visibleCount())
        return;
    if (row <= 0) {
        m_view->selectionModel()->clear();
    } else {
        const QModelIndex index = m_model->index(row - 1, currentColumn0());
        m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    }
    emitRowColChangeIfMoved();
    updateNavigator();
}

int ListGrid::col() const
{
    ensureBuilt();
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.column() + 1 : 0;
}

void ListGrid::setCol(int column)
{
    ensureBuilt();
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || column < 1 || column > m_model->gridColumnCount())
        return;
    m_view->selectionModel()->setCurrentIndex(m_model->index(current.row(), column - 1),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emitRowColChangeIfMoved();
}

GridRowData ListGrid::rowData(int row) const
{
    ensureBuilt();
    if (row < 1 || row > m_model->visibleCount())
        return GridRowData();
    return m_model->rowData(row - 1);
}

bool ListGrid::find(const QString &key, const QVariant &value)
{
    return find(column(key)->index(), value);
}

bool ListGrid::find(int columnIndex, const QVariant &value)
{
    column(columnIndex);   // RuntimeError outside the columns
    ensureBuilt();
    const GridModel::RowRef ref = m_model->findRecord(columnIndex, value);
    if (ref == GridModel::NoRef)
        return false;
    if (m_model->rowOfRef(ref) < 0) {
        Quiet quiet(m_quiet);
        const QModelIndex current = m_view->currentIndex();
        const GridModel::RowRef was = current.isValid() ? m_model->rowRef(current.row()) : GridModel::NoRef;
        m_model->reveal(ref);
        setCurrentRowSilently(m_model->visibleRowFor(was));
    }
    setRow(m_model->rowOfRef(ref) + 1);
    return true;
}

void ListGrid::emitRowColChangeIfMoved()
{
    if (m_quiet > 0)
        return;
    const QModelIndex current = m_view->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 0;
    const int column = current.isValid() ? current.column() + 1 : 0;
    qint64 identity = -1;
    if (current.isValid() && current.row() < m_model->visibleCount()) {
        const GridModel::RowRef ref = m_model->rowRef(current.row());
        identity = GridModel::isGroupRef(ref) ? -2 - GridModel::groupOfRef(ref) : m_model->bookmarkOf(ref);
    }
    if (row == m_lastRow && column == m_lastCol && identity == m_lastIdentity)
        return;
    const int lastRow = m_lastRow;
    const int lastCol = m_lastCol;
    m_lastRow = row;
    m_lastCol = column;
    m_lastIdentity = identity;
    m_model->guarded([&] { emit RowColChange(lastRow, lastCol); });
}

void ListGrid::currentChangedByView()
{
    if (m_quiet > 0)
        return;
    emitRowColChangeIfMoved();
    updateNavigator();
}

// ---------------------------------------------------------------------------------------------------
// Columns

int ListGrid::columnCount() const
{
    return m_model->gridColumnCount();
}

GridColumn *ListGrid::column(int index) const
{
    if (GridColumn *c = m_model->gridColumn(index))
        return c;
    throw platform::RuntimeError(platform::errors::DbItemNotFound, kSource,
                                 QStringLiteral("Column %1 does not exist.").arg(index));
}

GridColumn *ListGrid::column(const QString &key) const
{
    if (GridColumn *c = m_model->gridColumn(key))
        return c;
    throw platform::RuntimeError(platform::errors::DbItemNotFound, kSource,
                                 QStringLiteral("Column '%1' does not exist.").arg(key));
}

bool ListGrid::hasColumn(const QString &key) const
{
    return m_model->gridColumn(key) != nullptr;
}

GridColumn *ListGrid::addColumn(const QString &key)
{
    if (hasColumn(key))
        throw platform::RuntimeError(platform::errors::DbGeneric, kSource,
                                     QStringLiteral("Column '%1' already exists.").arg(key));
    GridColumn *c = m_model->appendColumn(key, false);
    if (m_model->recordset())
        refresh();
    return c;
}

GridColumn *ListGrid::addComputedColumn(const QString &key)
{
    if (hasColumn(key))
        throw platform::RuntimeError(platform::errors::DbGeneric, kSource,
                                     QStringLiteral("Column '%1' already exists.").arg(key));
    return m_model->appendColumn(key, true);
}

void ListGrid::clearColumns()
{
    {
        Quiet quiet(m_quiet);
        m_model->clearColumns();
    }
    scheduleBuild();
}

QList<GridColumn *> ListGrid::columnsInDisplayOrder() const
{
    QList<GridColumn *> out;
    for (int c : m_model->displayOrder())
        out.append(m_model->gridColumn(c));
    return out;
}

void ListGrid::headerClicked(int section)
{
    GridColumn *c = m_model->gridColumn(section + 1);
    if (!c)
        return;
    if (m_autoSort) {
        const QList<GridModel::SortKey> keys = m_model->sortKeys();
        const int direction = (!keys.isEmpty() && keys.first().column == c) ? -keys.first().direction : 1;
        m_model->setSortKeys({{c, direction}});
        scheduleBuild();
    }
    m_view->applyColumns();
    m_model->guarded([&] { emit ColumnHeaderClick(c); });
}

// ---------------------------------------------------------------------------------------------------
// Groups and sort keys

void ListGrid::clearGroups()
{
    m_model->setGroupColumns({});
    scheduleBuild();
}

void ListGrid::addGroup(const QString &key)
{
    GridColumn *c = column(key);
    QList<GridColumn *> groups = m_model->groupColumns();
    groups.append(c);
    m_model->setGroupColumns(groups);
    scheduleBuild();
}

QList<GridColumn *> ListGrid::groupColumns() const
{
    return m_model->groupColumns();
}

void ListGrid::setAllExpanded(bool expanded)
{
    ensureBuilt();
    {
        Quiet quiet(m_quiet);
        const QModelIndex current = m_view->currentIndex();
        const GridModel::RowRef was = current.isValid() ? m_model->rowRef(current.row()) : GridModel::NoRef;
        m_model->setAllExpanded(expanded);
        setCurrentRowSilently(m_model->visibleRowFor(was));
    }
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        m_view->scrollTo(current);
    emitRowColChangeIfMoved();
    updateNavigator();
}

void ListGrid::expandAll()
{
    setAllExpanded(true);
}

void ListGrid::collapseAll()
{
    setAllExpanded(false);
}

void ListGrid::setRowExpanded(int row, bool expanded)
{
    ensureBuilt();
    if (row < 1 || row > m_model->visibleCount())
        return;
    const GridModel::RowRef ref = m_model->rowRef(row - 1);
    if (!GridModel::isGroupRef(ref))
        return;
    const int group = GridModel::groupOfRef(ref);
    if (!expanded) {
        // The current row moves up to the group when the group closes over it.
        const QModelIndex current = m_view->currentIndex();
        if (current.isValid() && current.row() > row - 1) {
            const GridModel::RowRef cur = m_model->rowRef(current.row());
            bool inside = false;
            if (GridModel::isGroupRef(cur)) {
                for (int g = m_model->groupParent(GridModel::groupOfRef(cur)); g >= 0 && !inside; g = m_model->groupParent(g))
                    inside = g == group;
            } else {
                const int first = m_model->groupFirstRecord(group);
                inside = cur >= first && cur < first + m_model->groupRecordCount(group);
            }
            if (inside)
                setRow(row);
        }
    }
    m_model->setExpanded(group, expanded);
    emitRowColChangeIfMoved();
    updateNavigator();
}

void ListGrid::expandRow(int row)
{
    setRowExpanded(row, true);
}

void ListGrid::collapseRow(int row)
{
    setRowExpanded(row, false);
}

bool ListGrid::isRowExpanded(int row) const
{
    return rowData(row).isExpanded();
}

void ListGrid::clearSortKeys()
{
    m_model->setSortKeys({});
    scheduleBuild();
}

void ListGrid::addSortKey(const QString &key, int direction)
{
    GridColumn *c = column(key);
    QList<GridModel::SortKey> keys = m_model->sortKeys();
    keys.append({c, direction < 0 ? -1 : 1});
    m_model->setSortKeys(keys);
    scheduleBuild();
}

// ---------------------------------------------------------------------------------------------------
// Look

void ListGrid::setRowStyle(const GridRowStyle &style)
{
    m_model->setRowStyle(style);
}

bool ListGrid::hasRowStyle(const QString &name) const
{
    return m_model->hasRowStyle(name);
}

GridRowStyle ListGrid::rowStyle(const QString &name) const
{
    return m_model->rowStyle(name);
}

GridRowStyle ListGrid::groupRowStyle() const
{
    return m_view->groupRowStyle();
}

void ListGrid::setGroupRowStyle(const GridRowStyle &style)
{
    m_view->setGroupRowStyle(style);
}

void ListGrid::setSelectedRowStyle(const GridRowStyle &style)
{
    m_selectedStyle = style;
    QPalette p = m_view->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        if (style.backColor.isValid())
            p.setColor(g, QPalette::Highlight, style.backColor);
        if (style.foreColor.isValid())
            p.setColor(g, QPalette::HighlightedText, style.foreColor);
    }
    m_view->setPalette(p);
}

void ListGrid::setImageList(const QList<QIcon> &icons)
{
    m_model->setImages(icons);
}

QList<QIcon> ListGrid::imageList() const
{
    return m_model->images();
}

QIcon ListGrid::maskedIcon(const QImage &image, const QColor &transparent)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    return QIcon(pixmap);
}

int ListGrid::rowHeight() const
{
    return m_view->rowHeight();
}

void ListGrid::setRowHeight(int twips)
{
    m_view->setRowHeight(twips);
}

void ListGrid::setHeaderHeight(int twips)
{
    m_headerHeight = qMax(1, twips);
    m_view->setHeaderHeightPixels(TwipsToPixels(m_headerHeight));
}

bool ListGrid::columnHeaders() const
{
    return !m_view->isHeaderHidden();
}

void ListGrid::setColumnHeaders(bool shown)
{
    m_view->setHeaderHidden(!shown);
}

bool ListGrid::gridLines() const
{
    return m_view->gridLines();
}

void ListGrid::setGridLines(bool shown)
{
    m_view->setGridLines(shown);
}

bool ListGrid::border() const
{
    return m_view->frameShape() != QFrame::NoFrame;
}

void ListGrid::setBorder(bool shown)
{
    m_view->setFrameShape(shown ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool ListGrid::navigatorVisible() const
{
    return !m_navigator->isHidden();
}

void ListGrid::setNavigatorVisible(bool shown)
{
    m_navigator->setVisible(shown);
    updateNavigator();
}

void ListGrid::setNavigatorCaption(const QString &caption)
{
    m_navigatorCaption = caption;
    updateNavigator();
}

QString ListGrid::navigatorText() const
{
    const QStringList words = m_navigatorCaption.split(QLatin1Char('|'));
    const QString before = words.value(0);
    const QString between = words.size() > 1 ? words.value(1) : QStringLiteral("/");
    const QModelIndex current = m_view->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 0;
    QStringList parts;
    if (!before.isEmpty())
        parts << before;
    parts << QString::number(row);
    if (!between.isEmpty())
        parts << between;
    parts << QString::number(m_model->visibleCount());
    return parts.join(QLatin1Char(' '));
}

void ListGrid::updateNavigator()
{
    if (!m_navigator->isHidden())
        m_navigator->setText(navigatorText());
}

// ---------------------------------------------------------------------------------------------------
// Errors

void ListGrid::reportError(qint64 number, const QString &description)
{
    // One report at a time: a failing answer asked for many rows is told once. The report waits for the
    // event loop, so that no message box opens in the middle of drawing.
    if (m_errorPending)
        return;
    m_errorPending = true;
    m_errorNumber = number;
    m_errorText = description;
    QTimer::singleShot(0, this, [this] { deliverError(); });
}

void ListGrid::deliverError()
{
    const qint64 number = m_errorNumber;
    const QString text = m_errorText;
    bool show = true;
    QPointer<ListGrid> alive(this);
    try {
        emit Error(number, text, show);
    } catch (...) {
        // The owner's handler failed too; the grid's own message still tells the first failure.
    }
    if (!alive)
        return;
    if (show)
        platform::MsgBox(text, platform::vbExclamation, QString(), this);
    m_errorPending = false;
}

bool ListGrid::groupRowWhenEmpty() const
{
    return m_model->groupRowWhenEmpty();
}

void ListGrid::setGroupRowWhenEmpty(bool on)
{
    m_model->setGroupRowWhenEmpty(on);
    scheduleBuild();
}
