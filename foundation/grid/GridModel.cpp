#include "foundation/grid/GridModel.h"

#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"

#include <QFont>
#include <algorithm>

using platform::Currency;

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

GridModel::~GridModel() = default;

// ---------------------------------------------------------------------------------------------------
// Columns

GridColumn *GridModel::gridColumn(int index) const
{
    if (index < 1 || index > int(m_columns.size()))
        return nullptr;
    return m_columns[size_t(index - 1)].get();
}

GridColumn *GridModel::gridColumn(const QString &key) const
{
    // The key as it was given (the owners' answers ask by key for every row), else in any case.
    if (GridColumn *c = m_columnByKey.value(key))
        return c;
    for (const auto &c : m_columns)
        if (c->key().compare(key, Qt::CaseInsensitive) == 0)
            return c.get();
    return nullptr;
}

GridColumn *GridModel::makeColumn(const QString &key, bool computed, int index)
{
    m_columns.emplace_back(new GridColumn(this, key, computed, index));
    GridColumn *c = m_columns.back().get();
    if (!m_columnByKey.contains(key))
        m_columnByKey.insert(key, c);
    c->m_caption = key;
    return c;
}

GridColumn *GridModel::appendColumn(const QString &key, bool computed)
{
    const int n = int(m_columns.size());
    beginInsertColumns(QModelIndex(), n, n);
    GridColumn *c = makeColumn(key, computed, n + 1);
    if (m_rs && m_rs->isOpen())
        c->m_field = m_rs->fieldIndex(key);
    m_displayOrder.push_back(n + 1);
    m_computed.resize(m_columns.size());
    m_icons.resize(m_columns.size());
    endInsertColumns();
    return c;
}

void GridModel::dropColumns()
{
    m_columns.clear();
    m_columnByKey.clear();
    m_displayOrder.clear();
    m_groupColumns.clear();
    m_sortKeys.clear();
    m_computed.clear();
    m_icons.clear();
    m_groups.clear();
}

void GridModel::clearColumns()
{
    beginResetModel();
    dropColumns();
    endResetModel();
}

void GridModel::createColumnsFromFields()
{
    beginResetModel();
    dropColumns();
    const int fields = (m_rs && m_rs->isOpen()) ? m_rs->fieldCount() : 0;
    for (int i = 0; i < fields; ++i) {
        GridColumn *c = makeColumn(m_rs->fieldName(i), false, i + 1);
        c->m_field = i;
        switch (m_rs->fieldType(i)) {
        case platform::FieldType::SmallInt:
        case platform::FieldType::Integer:
        case platform::FieldType::BigInt:
        case platform::FieldType::Double:
        case platform::FieldType::Currency:
            c->m_alignment = Qt::AlignRight | Qt::AlignVCenter;
            break;
        default:
            break;
        }
        m_displayOrder.push_back(i + 1);
    }
    m_computed.resize(m_columns.size());
    m_icons.resize(m_columns.size());
    endResetModel();
}

int GridModel::positionOf(const GridColumn *column) const
{
    const auto it = std::find(m_displayOrder.begin(), m_displayOrder.end(), column->index());
    return it == m_displayOrder.end() ? 0 : int(it - m_displayOrder.begin()) + 1;
}

void GridModel::moveColumn(GridColumn *column, int position)
{
    auto it = std::find(m_displayOrder.begin(), m_displayOrder.end(), column->index());
    if (it == m_displayOrder.end())
        return;
    m_displayOrder.erase(it);
    const int at = qBound(0, position - 1, int(m_displayOrder.size()));
    m_displayOrder.insert(m_displayOrder.begin() + at, column->index());
    emit columnsLaidOut();
}

void GridModel::recordColumnWidth(GridColumn *column, int twips)
{
    column->m_width = qMax(0, twips);
}

void GridModel::columnLookChanged(GridColumn *column)
{
    const int c = column->index() - 1;
    emit headerDataChanged(Qt::Horizontal, c, c);
    if (visibleCount() > 0)
        emit dataChanged(index(0, c), index(visibleCount() - 1, c));
    emit lookChanged();
}

void GridModel::columnLayoutChanged(GridColumn *)
{
    emit columnsLaidOut();
}

void GridModel::columnOrderChanged(GridColumn *column)
{
    // Sorting and grouping on this column follow the new kind at the next build.
    if (m_groupColumns.contains(column) || column->sortOrder() != 0)
        emit rowsOutOfDate(false);
}

void GridModel::columnSourceChanged(GridColumn *)
{
    emit rowsOutOfDate(true);
}

void GridModel::columnIconChanged(GridColumn *)
{
    // Icons already asked for were given the old default; they are asked again.
    forgetIcons();
    emit lookChanged();
}

// ---------------------------------------------------------------------------------------------------
// Data

void GridModel::setRecordset(std::shared_ptr<platform::Recordset> rs, bool keepColumns)
{
    beginResetModel();
    m_rs = std::move(rs);
    m_bookmarks.clear();
    m_ordinalOfRow.clear();
    m_loadedRows = 0;
    m_sorter.forget();
    m_order.clear();
    m_positionOf.clear();
    m_groups.clear();
    forgetAnswers();
    endResetModel();
    if (!keepColumns || m_columns.empty())
        createColumnsFromFields();
    else
        resolveFields();
}

void GridModel::resolveFields()
{
    for (auto &c : m_columns)
        c->m_field = (m_rs && m_rs->isOpen()) ? m_rs->fieldIndex(c->m_key) : -1;
}

void GridModel::forgetAnswers()
{
    for (auto &c : m_computed)
        c.clear();
    forgetPlaceAnswers();
}

void GridModel::forgetPlaceAnswers()
{
    forgetIcons();
    m_recordFormat.clear();
    m_groupFormat.clear();
    m_formats.clear();
    m_sums.clear();
}

void GridModel::forgetIcons()
{
    for (auto &icons : m_icons)
        icons.clear();
}

GridOrder::Records GridModel::records() const
{
    GridOrder::Records r;
    r.rs = m_rs && m_rs->isOpen() ? m_rs.get() : nullptr;
    r.bookmarks = &m_bookmarks;
    r.ordinalOfRow = &m_ordinalOfRow;
    r.loadedRows = m_loadedRows;
    r.allRows = r.rs && m_rs->Filter().isEmpty();
    r.value = [this](int ordinal, int column) { return recordValue(ordinal, column, 0); };
    return r;
}

GridOrder::Keys GridModel::groupKeys() const
{
    GridOrder::Keys keys;
    for (const GridColumn *c : m_groupColumns)
        keys.push_back({c, 1});
    return keys;
}

GridOrder::Keys GridModel::sortOrderKeys() const
{
    GridOrder::Keys keys;
    for (const SortKey &k : m_sortKeys)
        keys.push_back({k.column, k.direction < 0 ? -1 : 1});
    return keys;
}

void GridModel::rebuild(bool keepComputed)
{
    beginResetModel();
    try {
        // Computed values belong to records (by the recordset's row): a new filter on the same rows keeps
        // them. Icons, formats and sums belong to places and groups: asked again.
        if (keepComputed)
            forgetPlaceAnswers();
        else
            forgetAnswers();
        m_computed.resize(m_columns.size());
        m_icons.resize(m_columns.size());

        m_bookmarks.clear();
        m_loadedRows = 0;
        if (m_rs && m_rs->isOpen()) {
            const QVector<Bookmark> &rows = m_rs->visibleRows();
            m_bookmarks.assign(rows.begin(), rows.end());
            m_loadedRows = m_rs->loadedRowCount();
        }
        const int n = int(m_bookmarks.size());
        m_ordinalOfRow.assign(size_t(m_loadedRows), -1);
        for (int r = 0; r < n; ++r) {
            const Bookmark bm = m_bookmarks[size_t(r)];
            if (bm >= 1 && bm <= m_loadedRows)
                m_ordinalOfRow[size_t(bm - 1)] = r;
        }

        const GridOrder::Records recs = records();
        const GridOrder::Keys groups = groupKeys();
        GridOrder::Codes groupCodes;
        m_sorter.arrange(recs, groups, sortOrderKeys(), keepComputed && m_rs, m_order, groupCodes);
        m_positionOf.assign(size_t(n), 0);
        for (int p = 0; p < n; ++p)
            m_positionOf[size_t(m_order[size_t(p)])] = p;

        m_groups.build(m_order, groupCodes, int(groups.size()), m_groupRowWhenEmpty);
    } catch (const std::exception &e) {
        // A list that cannot be ordered shows no rows; the failure is told in the user's terms.
        m_order.clear();
        m_groups.clear();
        m_sorter.forget();
        reportFailure(e);
    }
    endResetModel();
}

GridModel::RowRef GridModel::refOfBookmark(Bookmark bm) const
{
    const int ordinal = bm >= 1 && bm <= qint64(m_ordinalOfRow.size()) ? m_ordinalOfRow[size_t(bm - 1)] : -1;
    if (ordinal < 0 || ordinal >= int(m_positionOf.size()))
        return NoRef;
    return m_positionOf[size_t(ordinal)];
}

GridRowData GridModel::rowData(int row) const
{
    const RowRef ref = rowRef(row);
    return GridRowData(this, ref, row + 1, isGroupRef(ref) ? GridRowData::GroupHeader : GridRowData::Record);
}

// ---------------------------------------------------------------------------------------------------
// Groups

void GridModel::setExpanded(int group, bool expanded)
{
    if (m_groups.group(group).expanded == expanded)
        return;
    const int row = m_groups.rowOf(refOfGroup(group));
    if (row < 0) {
        m_groups.setExpanded(group, expanded);
        return;
    }
    if (expanded) {
        m_groups.setExpanded(group, true);
        const std::vector<RowRef> rows = m_groups.rowsUnder(group);
        if (rows.empty())
            return;
        beginInsertRows(QModelIndex(), row + 1, row + int(rows.size()));
        m_groups.insertRows(row + 1, rows);
        endInsertRows();
    } else {
        const int last = m_groups.lastRowUnder(group);
        m_groups.setExpanded(group, false);
        if (last == row)
            return;
        beginRemoveRows(QModelIndex(), row + 1, last);
        m_groups.removeRows(row + 1, last);
        endRemoveRows();
    }
}

void GridModel::setAllExpanded(bool expanded)
{
    beginResetModel();
    m_groups.setAllExpanded(expanded);
    endResetModel();
}

void GridModel::reveal(RowRef record)
{
    if (isGroupRef(record) || record == NoRef || rowOfRef(record) >= 0)
        return;
    beginResetModel();
    m_groups.reveal(record);
    endResetModel();
}

// ---------------------------------------------------------------------------------------------------
// Values

int GridModel::ordinalOf(RowRef ref) const
{
    if (ref == NoRef)
        return -1;
    if (isGroupRef(ref)) {
        const int g = groupOfRef(ref);
        if (g >= m_groups.count() || m_groups.group(g).first >= m_groups.group(g).end)
            return -1;
        return m_order[size_t(m_groups.group(g).first)];
    }
    return ref < int(m_order.size()) ? m_order[size_t(ref)] : -1;
}

GridModel::Bookmark GridModel::bookmarkOf(RowRef ref) const
{
    const int ordinal = ordinalOf(ref);
    return ordinal < 0 ? Bookmark(-1) : m_bookmarks[size_t(ordinal)];
}

QVariant GridModel::computedValue(int ordinal, int column, int row) const
{
    const Bookmark bm = m_bookmarks[size_t(ordinal)];
    const size_t slot = size_t(bm - 1);
    Computed &kept = m_computed[size_t(column - 1)].make(slot, Computed());
    if (kept.known)
        return kept.value;
    // Asked once per record while the rows stay the same: a failing answer leaves the cell empty.
    kept.known = true;
    QVariant value;
    if (m_answers)
        guarded([&] { m_answers->computedValue(row, column, bm, value); });
    // Looked up again: the owner's answer may have changed the grid meanwhile.
    if (column - 1 < int(m_computed.size())) {
        if (Computed *now = m_computed[size_t(column - 1)].find(slot))
            now->value = value;
    }
    return value;
}

QVariant GridModel::recordValue(int ordinal, int column, int row) const
{
    if (ordinal < 0 || ordinal >= int(m_bookmarks.size()) || column < 1 || column > int(m_columns.size()))
        return QVariant();
    const GridColumn *c = m_columns[size_t(column - 1)].get();
    if (c->m_computed)
        return computedValue(ordinal, column, row);
    if (c->m_field < 0 || !m_rs)
        return QVariant();
    return m_rs->valueAt(m_bookmarks[size_t(ordinal)], c->m_field);
}

const QVariant &GridModel::valueRef(int ordinal, int column, QVariant &scratch) const
{
    // A computed value already given is read where it is kept.
    const GridColumn *c = column >= 1 && column <= int(m_columns.size()) ? m_columns[size_t(column - 1)].get() : nullptr;
    if (c && c->m_computed && ordinal >= 0 && ordinal < int(m_bookmarks.size())) {
        const Computed *kept = m_computed[size_t(column - 1)].find(size_t(m_bookmarks[size_t(ordinal)] - 1));
        if (kept && kept->known)
            return kept->value;
    }
    scratch = recordValue(ordinal, column, 0);
    return scratch;
}

QVariant GridModel::value(RowRef ref, int column) const
{
    const int row = rowOfRef(ref);
    return recordValue(ordinalOf(ref), column, row + 1);
}

QString GridModel::cellText(RowRef ref, int column) const
{
    const GridColumn *c = gridColumn(column);
    if (!c)
        return QString();
    const RowFormat &f = rowFormat(ref);
    for (const auto &cell : f.cellTexts)
        if (cell.first == column)
            return cell.second;
    QVariant v;
    try {
        v = value(ref, column);
    } catch (const platform::RuntimeError &e) {
        reportFailure(e);
    }
    return formatNamed(v, c->m_format);
}

int GridModel::iconOf(RowRef ref, int column) const
{
    const GridColumn *c = gridColumn(column);
    if (!c || c->m_content == GridColumn::TextOnly || isGroupRef(ref))
        return 0;
    const int ordinal = ordinalOf(ref);
    if (ordinal < 0)
        return 0;
    int &kept = m_icons[size_t(column - 1)].make(size_t(ordinal), -1);
    if (kept >= 0)
        return kept;
    int icon = c->m_iconIndex;
    kept = icon;
    const Bookmark bm = m_bookmarks[size_t(ordinal)];
    const int row = rowOfRef(ref) + 1;
    if (m_answers)
        guarded([&] { m_answers->icon(row, column, bm, icon); });
    icon = qMax(0, icon);
    if (column - 1 < int(m_icons.size())) {
        if (int *now = m_icons[size_t(column - 1)].find(size_t(ordinal)))
            *now = icon;
    }
    return icon;
}

const GridModel::RowFormat &GridModel::rowFormat(RowRef ref) const
{
    static const RowFormat none;
    std::vector<int> *formatSlots = nullptr;
    size_t at = 0;
    if (isGroupRef(ref)) {
        if (ref == NoRef || groupOfRef(ref) >= m_groups.count())
            return none;
        formatSlots = &m_groupFormat;
        at = size_t(groupOfRef(ref));
        if (formatSlots->empty())
            formatSlots->assign(size_t(m_groups.count()), -1);
    } else {
        const int ordinal = ordinalOf(ref);
        if (ordinal < 0)
            return none;
        formatSlots = &m_recordFormat;
        at = size_t(ordinal);
        if (formatSlots->empty())
            formatSlots->assign(m_bookmarks.size(), -1);
    }
    const int known = (*formatSlots)[at];
    if (known == DefaultFormat)
        return none;
    if (known >= 0)
        return m_formats[size_t(known)];
    // The slot is taken before the owner is asked, so that an answer reading this row again sees it.
    const int slot = int(m_formats.size());
    (*formatSlots)[at] = slot;
    m_formats.emplace_back();
    RowFormat &f = m_formats.back();
    if (isGroupRef(ref))
        f.caption = defaultGroupCaption(groupOfRef(ref));
    askFormat(ref, f);
    // A row the owner left as it is (most records) keeps no format of its own.
    if (f.caption.isEmpty() && f.cellTexts.isEmpty() && f.heightTwips == 0 && f.style.isEmpty()
        && int(m_formats.size()) == slot + 1 && at < formatSlots->size() && (*formatSlots)[at] == slot) {
        m_formats.pop_back();
        (*formatSlots)[at] = DefaultFormat;
        return none;
    }
    return f;
}

void GridModel::askFormat(RowRef ref, RowFormat &format) const
{
    const int row = rowOfRef(ref) + 1;
    GridRowFormat buffer(this, ref, row, isGroupRef(ref) ? GridRowData::GroupHeader : GridRowData::Record, &format);
    if (m_answers)
        guarded([&] { m_answers->formatRow(buffer); });
}

QVariant GridModel::groupValue(int group) const
{
    const GridGroups::Group &g = m_groups.group(group);
    const GridColumn *c = m_groupColumns.value(g.level);
    if (!c || g.first >= g.end)
        return QVariant();
    return recordValue(m_order[size_t(g.first)], c->index(), 0);
}

QString GridModel::defaultGroupCaption(int group) const
{
    const GridColumn *c = m_groupColumns.value(m_groups.group(group).level);
    if (!c)
        return QString();
    QString text;
    try {
        text = formatNamed(groupValue(group), c->m_format);
    } catch (const platform::RuntimeError &e) {
        reportFailure(e);
    }
    return c->m_caption.isEmpty() ? text : c->m_caption + QStringLiteral(": ") + text;
}

QVariant GridModel::groupSum(int group, int column) const
{
    if (group < 0 || group >= m_groups.count() || !gridColumn(column))
        return QVariant();
    const quint64 key = (quint64(quint32(group)) << 32) | quint32(column);
    const auto it = m_sums.constFind(key);
    if (it != m_sums.constEnd())
        return it.value();
    const GridGroups::Group &g = m_groups.group(group);
    platform::CurrencySum money;   // Currency and whole numbers, exact, never wrapping
    double real = 0;
    bool anyMoney = false, anyReal = false, anyWhole = false;
    QVariant scratch;
    // A group of every record (the title row) adds them in the order they were read, which reads the
    // memory in order; the others in display order.
    const bool everyRecord = g.first == 0 && g.end == int(m_order.size());
    for (int p = g.first; p < g.end; ++p) {
        const QVariant &v = valueRef(everyRecord ? p : m_order[size_t(p)], column, scratch);
        if (!v.isValid() || v.isNull())
            continue;
        if (v.metaType() == QMetaType::fromType<Currency>()) {
            money += v.value<Currency>();
            anyMoney = true;
            continue;
        }
        if (isWholeNumber(v)) {
            money.addUnits(v.toLongLong());
            anyWhole = true;
            continue;
        }
        switch (v.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float:
            real += v.toDouble();
            anyReal = true;
            break;
        default:
            break;
        }
    }
    QVariant sum;
    if (anyReal)
        sum = real + money.toDouble();
    else if (!money.fitsCurrency())
        sum = QVariant::fromValue(money);   // beyond any amount: shown exactly, or as a sum too large
    else if (anyMoney)
        sum = QVariant::fromValue(money.value());
    else
        sum = anyWhole ? QVariant(money.value().raw() / Currency::Scale) : QVariant(0);
    m_sums.insert(key, sum);
    return sum;
}

GridModel::RowRef GridModel::findRecord(int column, const QVariant &value) const
{
    const GridColumn *c = gridColumn(column);
    if (!c)
        return NoRef;
    const int position = GridOrder::find(records(), c, value, m_order, m_positionOf);
    return position < 0 ? NoRef : position;
}

// ---------------------------------------------------------------------------------------------------
// Look and failures

void GridModel::setRowStyle(const GridRowStyle &style)
{
    m_styles.insert(style.name, style);
    emit lookChanged();
}

void GridModel::setImages(const QList<QIcon> &images)
{
    m_images = images;
    emit lookChanged();
}

QIcon GridModel::image(int number) const
{
    if (number < 1 || number > m_images.size())
        return QIcon();
    return m_images.at(number - 1);
}


void GridModel::reportFailure(const std::exception &failure) const
{
    if (const auto *e = dynamic_cast<const platform::RuntimeError *>(&failure))
        emit failed(e->number(), ErrorDescription(*e));
    else
        emit failed(platform::errors::DbGeneric, QString::fromLocal8Bit(failure.what()));
}

// ---------------------------------------------------------------------------------------------------
// QAbstractItemModel

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : visibleCount();
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= visibleCount() || index.column() >= int(m_columns.size()))
        return QVariant();
    const RowRef ref = rowRef(index.row());
    const int column = index.column() + 1;
    const GridColumn *c = m_columns[size_t(index.column())].get();
    const bool group = isGroupRef(ref);

    switch (role) {
    case RowKindRole:
        return group ? 1 : 0;
    case GroupLevelRole:
        return group ? m_groups.group(groupOfRef(ref)).level : -1;
    case ExpandedRole:
        return group ? m_groups.group(groupOfRef(ref)).expanded : false;
    case StyleRole:
        return rowFormat(ref).style;
    case Qt::DisplayRole:
        if (group)
            return index.column() == 0 ? rowFormat(ref).caption : QString();
        if (c->m_content == GridColumn::IconOnly)
            return QVariant();
        return cellText(ref, column);
    case Qt::DecorationRole:
        if (group || c->m_content == GridColumn::TextOnly)
            return QVariant();
        return image(iconOf(ref, column));
    case Qt::TextAlignmentRole:
        return int(c->m_alignment);
    case Qt::FontRole:
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        const QString name = rowFormat(ref).style;
        if (name.isEmpty())
            return QVariant();
        const auto it = m_styles.constFind(name);
        if (it == m_styles.constEnd())
            return QVariant();
        if (role == Qt::FontRole) {
            QFont font;   // only the attributes set here are merged into the grid's font
            if (it->bold)
                font.setBold(true);
            if (it->italic)
                font.setItalic(true);
            if (it->strikeOut)
                font.setStrikeOut(true);
            return font;
        }
        const QColor color = role == Qt::ForegroundRole ? it->foreColor : it->backColor;
        return color.isValid() ? QVariant(color) : QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size()))
        return QVariant();
    const GridColumn *c = m_columns[size_t(section)].get();
    switch (role) {
    case Qt::DisplayRole:
        return c->m_caption;
    case Qt::TextAlignmentRole:
        return int((c->m_alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

