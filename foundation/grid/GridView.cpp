#include "foundation/grid/GridView.h"

#include "foundation/Twips.h"
#include "foundation/grid/GridAccessible.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/TextLines.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>

namespace {

constexpr int kIndent = 16;      // pixels per group level
constexpr int kBox = 9;          // the expand box
const QColor kGridLine(192, 192, 192);

// A header whose height the grid sets (in place of the style's), and whose captions wrap at their words
// when their column is too narrow for them on one line: the header then grows to the lines the longest
// caption takes.
class GridHeader : public QHeaderView
{
public:
    static constexpr int MaxLines = 3;

    explicit GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}
    void setHeight(int pixels)
    {
        m_height = pixels;
        updateGeometry();
    }
    // Makes the header as high as its captions' lines need; true when its height changed.
    bool fitCaptions()
    {
        qsizetype most = 1;
        for (int logical = 0; logical < count(); ++logical)
            if (!isSectionHidden(logical))
                most = std::max(most, captionLines(logical, sectionSize(logical)).size());
        const int wrapped = most > 1 ? QHeaderView::sizeHint().height() + int(most - 1) * fontMetrics().lineSpacing() : 0;
        if (wrapped == m_wrapped)
            return false;
        m_wrapped = wrapped;
        updateGeometry();
        return true;
    }
    QSize sizeHint() const override
    {
        QSize s = QHeaderView::sizeHint();
        s.setHeight(std::max(m_height > 0 ? m_height : s.height(), m_wrapped));
        return s;
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logical) const override
    {
        const QStringList lines = captionLines(logical, rect.width());
        if (lines.size() <= 1) {
            QHeaderView::paintSection(painter, rect, logical);
            return;
        }
        QStyleOptionHeader opt = option(logical, rect);
        opt.text.clear();
        // The style's section (its ground, its sort arrow) without the caption; the style leaves the
        // painter's clip as it found it only when the painter is saved around it.
        painter->save();
        style()->drawControl(QStyle::CE_Header, &opt, painter, this);
        painter->restore();
        painter->save();
        painter->setFont(font());
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(labelRect(opt), int((opt.textAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter),
                          lines.join(QLatin1Char('\n')));
        painter->restore();
    }

private:
    QStyleOptionHeader option(int logical, const QRect &rect) const
    {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        initStyleOptionForIndex(&opt, logical);
        opt.rect = rect;
        return opt;
    }
    // Where a section's caption goes: its label, less the sort arrow's place.
    QRect labelRect(const QStyleOptionHeader &opt) const
    {
        QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &opt, this);
        if (opt.sortIndicator != QStyleOptionHeader::None) {
            const QRect arrow = style()->subElementRect(QStyle::SE_HeaderArrow, &opt, this);
            if (arrow.isValid() && arrow.left() > label.left())
                label.setRight(std::min(label.right(), arrow.left() - style()->pixelMetric(QStyle::PM_HeaderMargin)));
        }
        return label;
    }
    // A caption as it fits its section's width: one line when it fits, else its words on up to MaxLines.
    QStringList captionLines(int logical, int width) const
    {
        const QString caption = model() ? model()->headerData(logical, Qt::Horizontal).toString() : QString();
        if (caption.isEmpty())
            return {};
        const int room = std::max(1, labelRect(option(logical, QRect(0, 0, width, height()))).width());
        if (fontMetrics().horizontalAdvance(caption) <= room)
            return {caption};
        return TextLines(caption, font(), nullptr, room, MaxLines);
    }

    int m_height = 0;
    int m_wrapped = 0;   // the height the wrapped captions need; 0 when every caption takes one line
};

// Cells of record rows: the grid's row height; icon-only cells draw their icon centred.
class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(GridView *view) : QStyledItemDelegate(view), m_view(view) {}

    // Every row has the grid's height: nothing of the row is read to tell it (the view asks while it lays
    // out the rows, before any is drawn).
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        return QSize(m_view->header()->sectionSize(index.column()), m_view->rowHeightPixels());
    }

    // The option a record cell is drawn with.
    QStyleOptionViewItem cellOption(QStyleOptionViewItem option, const QModelIndex &index) const
    {
        initStyleOption(&option, index);
        return option;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const GridColumn *c = m_view->gridModel()->gridColumn(index.column() + 1);
        if (!c || c->content() != GridColumn::IconOnly) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QIcon icon = opt.icon;
        opt.icon = QIcon();
        opt.text.clear();
        opt.features &= ~(QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay);
        const QWidget *w = opt.widget;
        QStyle *style = w ? w->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        if (!icon.isNull()) {
            const QSize size = m_view->iconSize();
            QRect r(QPoint(0, 0), size);
            r.moveCenter(opt.rect.center());
            icon.paint(painter, r, Qt::AlignCenter,
                       (opt.state & QStyle::State_Selected) ? QIcon::Selected : QIcon::Normal);
        }
    }

protected:
    // Amounts, dates and numbers (right-aligned or centred) are never cut: a cell too narrow for one
    // draws it in a font small enough. Left-aligned text that does not fit ends with an ellipsis.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text.isEmpty() || !(option->displayAlignment & (Qt::AlignRight | Qt::AlignHCenter)))
            return;
        const QWidget *w = option->widget;
        const QStyle *style = w ? w->style() : QApplication::style();
        // The room the style gives the text: its part of the cell less the text margins on both sides.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, option, w).width() - 2 * margin;
        option->font = FontToFit(option->text, option->font, w, room);
        option->fontMetrics = QFontMetrics(option->font);
    }

private:
    GridView *m_view;
};

} // namespace

GridView::GridView(GridModel *model, QWidget *parent)
    : QTreeView(parent), m_model(model)
{
    GridAccessible::install();
    setHeader(new GridHeader(this));
    setModel(model);
    setItemDelegate(new GridDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setSortingEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setIconSize(QSize(16, 16));
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setHighlightSections(false);
    header()->setMinimumSectionSize(0);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_groupStyle.bold = true;
    m_groupStyle.foreColor = QColor(37, 75, 108);
    m_groupStyle.backColor = Qt::white;

    connect(header(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        // A column dragged wider or narrower by the user keeps its new width.
        if (m_applying)
            return;
        if (GridColumn *c = m_model->gridColumn(logical + 1))
            if (c->isVisible() && TwipsToPixels(c->width()) != size)
                m_model->recordColumnWidth(c, int(PixelsToTwips(size) + 0.5));
    });
    // Captions wrap when their columns get narrower than they are, and the header grows to their lines.
    connect(header(), &QHeaderView::sectionResized, this, [this] { fitHeader(); });
    connect(model, &QAbstractItemModel::headerDataChanged, this, [this] { fitHeader(); });
    // Every reset rebuilds the header's sections from the model: the columns are put back on it.
    connect(model, &QAbstractItemModel::modelReset, this, [this] { applyColumns(); });
    connect(model, &QAbstractItemModel::columnsInserted, this, [this] { applyColumns(); });
    connect(model, &GridModel::columnsLaidOut, this, [this] { applyColumns(); });
    connect(model, &GridModel::lookChanged, this, [this] { viewport()->update(); });
}

QStyleOptionViewItem GridView::cellOption(const QModelIndex &index) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return static_cast<const GridDelegate *>(itemDelegate())->cellOption(option, index);
}

int GridView::rowHeightPixels() const
{
    return qMax(1, TwipsToPixels(m_rowHeight));
}

void GridView::applyColumns()
{
    m_applying = true;
    GridModel *m = gridModel();
    QHeaderView *h = header();
    const int n = m->gridColumnCount();
    for (int i = 1; i <= n && i <= h->count(); ++i) {
        const GridColumn *c = m->gridColumn(i);
        h->resizeSection(i - 1, TwipsToPixels(c->width()));
        h->setSectionHidden(i - 1, !c->isVisible());
    }
    const std::vector<int> &order = m->displayOrder();
    for (int pos = 0; pos < int(order.size()) && pos < h->count(); ++pos) {
        const int from = h->visualIndex(order[size_t(pos)] - 1);
        if (from != pos && from >= 0)
            h->moveSection(from, pos);
    }
    const QList<GridModel::SortKey> keys = m->sortKeys();
    if (keys.isEmpty() || keys.first().column->index() > h->count()) {
        h->setSortIndicatorShown(false);
    } else {
        h->setSortIndicatorShown(true);
        h->setSortIndicator(keys.first().column->index() - 1,
                            keys.first().direction < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    m_applying = false;
    fitHeader();
    GridAccessible::rowsChanged(this);
}

void GridView::fitHeader()
{
    if (static_cast<GridHeader *>(header())->fitCaptions())
        updateGeometries();
}

void GridView::setRowHeight(int twips)
{
    m_rowHeight = qMax(1, twips);
    // Uniform rows: the height is taken from the first row at the next layout.
    doItemsLayout();
    viewport()->update();
}

void GridView::setGridLines(bool shown)
{
    m_gridLines = shown;
    viewport()->update();
}

void GridView::setGroupRowStyle(const GridRowStyle &style)
{
    m_groupStyle = style;
    viewport()->update();
}

void GridView::setHeaderHeightPixels(int pixels)
{
    static_cast<GridHeader *>(header())->setHeight(pixels);
    updateGeometries();
}

QRect GridView::expanderRect(const QRect &rowRect, int level) const
{
    const int x = -header()->offset() + level * kIndent + 4;
    return QRect(x, rowRect.top() + (rowRect.height() - kBox) / 2, kBox, kBox);
}

void GridView::drawGridLines(QPainter *painter, const QRect &rowRect, bool cells) const
{
    if (!m_gridLines)
        return;
    painter->save();
    painter->setPen(kGridLine);
    const QHeaderView *h = header();
    int right = 0;
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (h->isSectionHidden(logical))
            continue;
        const int x = h->sectionViewportPosition(logical) + h->sectionSize(logical) - 1;
        right = qMax(right, x);
        if (cells)
            painter->drawLine(x, rowRect.top(), x, rowRect.bottom());
    }
    painter->drawLine(rowRect.left(), rowRect.bottom(), cells ? right : rowRect.right(), rowRect.bottom());
    painter->restore();
}

void GridView::drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QModelIndex first = gridModel()->index(index.row(), 0);
    if (first.data(GridModel::RowKindRole).toInt() != 1) {
        QTreeView::drawRow(painter, option, index);
        drawGridLines(painter, option.rect, true);
        return;
    }
    // A group row: one caption across the row.
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    GridRowStyle look = m_groupStyle;
    const QString styleName = first.data(GridModel::StyleRole).toString();
    if (!styleName.isEmpty() && m_model->hasRowStyle(styleName)) {
        const GridRowStyle named = m_model->rowStyle(styleName);
        look.bold = named.bold || look.bold;
        look.italic = named.italic;
        look.strikeOut = named.strikeOut;
        if (named.foreColor.isValid())
            look.foreColor = named.foreColor;
        if (named.backColor.isValid())
            look.backColor = named.backColor;
    }
    const bool selected = selectionModel() && selectionModel()->isRowSelected(index.row(), QModelIndex());
    QColor back = look.backColor.isValid() ? look.backColor : palette().color(QPalette::Base);
    QColor fore = look.foreColor.isValid() ? look.foreColor : palette().color(QPalette::Text);
    if (selected) {
        back = palette().color(QPalette::Highlight);
        fore = palette().color(QPalette::HighlightedText);
    }
    painter->save();
    painter->fillRect(row, back);
    const int level = first.data(GridModel::GroupLevelRole).toInt();
    const bool expanded = first.data(GridModel::ExpandedRole).toBool();
    const QRect box = expanderRect(row, level);
    painter->setPen(fore);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    const int mid = box.top() + box.height() / 2;
    painter->drawLine(box.left() + 2, mid, box.right() - 2, mid);
    if (!expanded) {
        const int c = box.left() + box.width() / 2;
        painter->drawLine(c, box.top() + 2, c, box.bottom() - 2);
    }
    QFont f = font();
    f.setBold(look.bold);
    f.setItalic(look.italic);
    f.setStrikeOut(look.strikeOut);
    painter->setFont(f);
    const QRect text(box.right() + 6, row.top(), qMax(0, row.right() - box.right() - 8), row.height());
    const QString caption = first.data(Qt::DisplayRole).toString();
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(f).elidedText(caption, Qt::ElideRight, text.width()));
    painter->restore();
    drawGridLines(painter, row, false);
}

void GridView::paintEvent(QPaintEvent *event)
{
    // Settings made since the last build are put together before anything is drawn.
    if (m_prepare && m_prepare()) {
        viewport()->update();
        return;
    }
    QTreeView::paintEvent(event);
    // Empty rows under the last one keep the grid's lines down to the bottom.
    if (!m_gridLines || model()->columnCount() == 0)
        return;
    const int rows = model()->rowCount();
    int top = 0;
    if (rows > 0) {
        // The last row's place, read in a column that is shown (the first one may be hidden).
        int shown = 0;
        while (shown + 1 < model()->columnCount() && header()->isSectionHidden(shown))
            ++shown;
        const QRect last = visualRect(model()->index(rows - 1, shown));
        if (!last.isValid() || last.bottom() >= viewport()->height())
            return;
        top = last.bottom() + 1;
    }
    QPainter painter(viewport());
    const int height = rowHeightPixels();
    for (int y = top; y < viewport()->height(); y += height)
        drawGridLines(&painter, QRect(0, y, viewport()->width(), height), true);
}

void GridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // A view not shown (a report's grid, a window still hidden) marks the current row when it is shown:
    // laying out every row to find its place now would be work for nothing.
    if (!isVisible())
        return;
    // The row is selected as a whole: both rows are drawn again across the width.
    for (const QModelIndex &index : {previous, current}) {
        if (!index.isValid())
            continue;
        const QRect r = visualRect(index);
        viewport()->update(QRect(0, r.top(), viewport()->width(), r.height()));
    }
    // A screen reader hears of it in the numbering of the view's own accessible table (QTreeView's would
    // count every row of the list).
    GridAccessible::focusMoved(this, current);
}

void GridView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!selected.isEmpty())
        GridAccessible::selectionMoved(this, selected.first().topLeft(), true);
    if (!deselected.isEmpty())
        GridAccessible::selectionMoved(this, deselected.first().topLeft(), false);
}

bool GridView::toggleGroupAt(const QPoint &pos, bool anywhere)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return false;
    const QModelIndex first = gridModel()->index(index.row(), 0);
    if (first.data(GridModel::RowKindRole).toInt() != 1)
        return false;
    if (!anywhere) {
        const QRect r = visualRect(index);
        const QRect box = expanderRect(QRect(0, r.top(), viewport()->width(), r.height()),
                                       first.data(GridModel::GroupLevelRole).toInt());
        if (!box.adjusted(-3, -3, 3, 3).contains(pos))
            return false;
    }
    emit groupToggleRequested(index.row() + 1, !first.data(GridModel::ExpandedRole).toBool());
    return true;
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    QPointer<GridView> alive(this);
    int key = event->key();
    emit keyDown(key, event->modifiers());
    if (!alive)
        return;
    if (key == 0) {
        event->accept();
        return;
    }
    // On a group row the arrows and + / - open and close it.
    if (m_prepare)
        m_prepare();
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        const QModelIndex first = m_model->index(current.row(), 0);
        if (first.data(GridModel::RowKindRole).toInt() == 1) {
            const bool expanded = first.data(GridModel::ExpandedRole).toBool();
            if ((key == Qt::Key_Left || key == Qt::Key_Minus) && expanded) {
                emit groupToggleRequested(current.row() + 1, false);
                event->accept();
                return;
            }
            if ((key == Qt::Key_Right || key == Qt::Key_Plus) && !expanded) {
                emit groupToggleRequested(current.row() + 1, true);
                event->accept();
                return;
            }
        }
    }
    QTreeView::keyPressEvent(event);
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && toggleGroupAt(event->position().toPoint(), false)) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void GridView::mouseReleaseEvent(QMouseEvent *event)
{
    QPointer<GridView> alive(this);
    QTreeView::mouseReleaseEvent(event);
    if (alive)
        emit buttonReleased(event->button(), event->modifiers(), event->position().toPoint());
}

void GridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !toggleGroupAt(event->position().toPoint(), true))
        QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit rowsDoubleClicked();
}
