#include "foundation/grid/GridModel.h"

#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/database/JetDate.h"
#include "platform/database/TextFold.h"

#include <QDateTime>
#include <QFont>
#include <algorithm>
#include <cmath>
#include <numeric>

using platform::Currency;

namespace {

// A value as sorting, grouping and find see it: Null, a number (dates as day numbers), or text.
struct Classified {
    enum Kind : quint8 { Null = 0, Number = 1, Text = 2 };
    Kind kind = Null;
    double number = 0;
    QString text;
};

double dayNumber(const QDateTime &dt)
{
    return double(dt.date().toJulianDay()) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

bool numberOf(const QVariant &v, double &out)
{
    if (v.metaType() == QMetaType::fromType<Currency>()) {
        out = v.value<Currency>().toDouble();
        return true;
    }
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        out = v.toDouble();
        return true;
    case QMetaType::Bool:
        out = v.toBool() ? 1 : 0;
        return true;
    case QMetaType::QDate:
        out = double(v.toDate().toJulianDay());
        return true;
    case QMetaType::QDateTime:
        out = dayNumber(v.toDateTime());
        return true;
    default:
        return false;
    }
}

QString textOf(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().toString();
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v.toString();
}

Classified classify(const QVariant &v, GridColumn::SortType type)
{
    Classified c;
    if (!v.isValid() || v.isNull())
        return c;
    double n = 0;
    switch (type) {
    case GridColumn::SortText:
        c.kind = Classified::Text;
        c.text = textOf(v);
        return c;
    case GridColumn::SortNumeric:
        if (numberOf(v, n)) {
            c.kind = Classified::Number;
            c.number = n;
            return c;
        }
        if (v.metaType().id() == QMetaType::QString) {
            bool ok = false;
            n = v.toString().trimmed().toDouble(&ok);
            if (ok) {
                c.kind = Classified::Number;
                c.number = n;
                return c;
            }
        }
        break;
    case GridColumn::SortDate:
        if (v.metaType().id() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            const QDate d = dt.isValid() ? dt.date() : QDate::fromString(s.left(10), Qt::ISODate);
            if (d.isValid()) {
                c.kind = Classified::Number;
                c.number = dt.isValid() ? dayNumber(dt) : double(d.toJulianDay());
                return c;
            }
        }
        break;
    case GridColumn::SortAuto:
        break;
    }
    if (numberOf(v, n)) {
        c.kind = Classified::Number;
        c.number = n;
        return c;
    }
    c.kind = Classified::Text;
    c.text = textOf(v);
    return c;
}

bool sameValue(const Classified &a, const Classified &b)
{
    if (a.kind == b.kind) {
        if (a.kind == Classified::Number)
            return a.number == b.number;
        if (a.kind == Classified::Text)
            return platform::compareFolded(a.text, b.text) == 0;
        return true;
    }
    // A number given as text (or the other way round) still matches its number.
    if (a.kind != Classified::Null && b.kind != Classified::Null) {
        const Classified &t = a.kind == Classified::Text ? a : b;
        const Classified &n = a.kind == Classified::Number ? a : b;
        bool ok = false;
        const double d = t.text.trimmed().toDouble(&ok);
        return ok && d == n.number;
    }
    return false;
}

// A bound column's value read from its stored cell as classify() sees the value the recordset makes of it,
// without making that value; known is false where only the value tells (the general way is taken then).
struct StoredKey {
    bool known = false;
    quint8 kind = Classified::Null;
    double number = 0;
};

StoredKey storedKey(const platform::CellView &c, platform::FieldType type, GridColumn::SortType sort)
{
    using platform::FieldType;
    using platform::StoredValue;
    StoredKey k;
    if (c.cls == StoredValue::Null) {
        k.known = true;
        return k;
    }
    if (c.cls == StoredValue::Text && (type == FieldType::VarWChar || type == FieldType::LongVarWChar)) {
        k.known = sort == GridColumn::SortText || sort == GridColumn::SortAuto;
        k.kind = Classified::Text;
        return k;
    }
    if (sort == GridColumn::SortText)
        return k;
    auto number = [&k](double v) {
        k.known = true;
        k.kind = Classified::Number;
        k.number = v;
    };
    switch (type) {
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::BigInt:
        if (c.cls == StoredValue::Int)
            number(double(c.i));
        break;
    case FieldType::Double:
        if (c.cls == StoredValue::Int)
            number(double(c.i));
        else if (c.cls == StoredValue::Real)
            number(c.d);
        break;
    case FieldType::Currency:
        if (c.cls == StoredValue::Int)
            number(Currency::fromRaw(c.i).toDouble());
        break;
    case FieldType::Boolean:
        if (c.cls == StoredValue::Int)
            number(c.i != 0 ? 1 : 0);
        break;
    case FieldType::Date:
        if (c.cls == StoredValue::Text) {
            if (const auto d = platform::parseStoredDate(c.text, c.length))
                number(d->time ? dayNumber(d->toDateTime()) : double(d->date.toJulianDay()));
        }
        break;
    default:
        break;
    }
    return k;
}

} // namespace

GridModel::GridModel(ListGrid *grid)
    : QAbstractTableModel(grid), m_grid(grid)
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

GridColumn *GridModel::appendColumn(const QString &key, bool computed)
{
    const int n = int(m_columns.size());
    beginInsertColumns(QModelIndex(), n, n);
    m_columns.emplace_back(new GridColumn(m_grid, key, computed, n + 1));
    GridColumn *c = m_columns.back().get();
    if (!m_columnByKey.contains(key))
        m_columnByKey.insert(key, c);
    c->m_caption = key;
    if (m_rs && m_rs->isOpen())
        c->m_field = m_rs->fieldIndex(key);
    m_displayOrder.push_back(n + 1);
    m_computed.resize(m_columns.size());
    m_icons.resize(m_columns.size());
    endInsertColumns();
    return c;
}

void GridModel::clearColumns()
{
    beginResetModel();
    m_columns.clear();
    m_columnByKey.clear();
    m_displayOrder.clear();
    m_groupColumns.clear();
    m_sortKeys.clear();
    m_computed.clear();
    m_icons.clear();
    m_visible.clear();
    m_groups.clear();
    indexRows();
    endResetModel();
}

void GridModel::createColumnsFromFields()
{
    beginResetModel();
    m_columns.clear();
    m_columnByKey.clear();
    m_displayOrder.clear();
    m_groupColumns.clear();
    m_sortKeys.clear();
    m_visible.clear();
    m_groups.clear();
    const int fields = (m_rs && m_rs->isOpen()) ? m_rs->fieldCount() : 0;
    for (int i = 0; i < fields; ++i) {
        const QString name = m_rs->fieldName(i);
        m_columns.emplace_back(new GridColumn(m_grid, name, false, i + 1));
        GridColumn *c = m_columns.back().get();
        if (!m_columnByKey.contains(name))
            m_columnByKey.insert(name, c);
        c->m_caption = name;
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
    m_computed.clear();
    m_computed.resize(m_columns.size());
    m_icons.clear();
    m_icons.resize(m_columns.size());
    indexRows();
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
}

void GridModel::columnLookChanged(GridColumn *column)
{
    const int c = column->index() - 1;
    emit headerDataChanged(Qt::Horizontal, c, c);
    if (!m_visible.empty())
        emit dataChanged(index(0, c), index(int(m_visible.size()) - 1, c));
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
    m_lastSort = LastSort();
    m_order.clear();
    m_positionOf.clear();
    m_groups.clear();
    m_leafGroup.clear();
    m_visible.clear();
    indexRows();
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

        std::vector<int> runStarts;
        if (!reuseLastSort(keepComputed)) {
            bool tieFree = false;
            sortRecords(m_order, runStarts, tieFree);
            m_lastSort = LastSort();
            if (m_rs && m_rs->isOpen()) {
                m_lastSort.rs = m_rs.get();
                m_lastSort.loadedRows = m_loadedRows;
                m_lastSort.keys = sortSignature();
                m_lastSort.order.resize(m_order.size());
                for (size_t p = 0; p < m_order.size(); ++p)
                    m_lastSort.order[p] = int(m_bookmarks[size_t(m_order[p])]);
                m_lastSort.runStarts = std::move(runStarts);
                m_lastSort.allRows = m_rs->Filter().isEmpty();
                m_lastSort.tieFree = tieFree;
            }
        }
        m_positionOf.assign(size_t(n), 0);
        for (int p = 0; p < n; ++p)
            m_positionOf[size_t(m_order[size_t(p)])] = p;

        std::vector<quint32> maxCodes;
        const std::vector<int> ascending(size_t(m_groupColumns.size()), 1);
        buildGroups(keyCodes(m_groupColumns, ascending, maxCodes));
        flattenAll();
    } catch (const std::exception &e) {
        // A list that cannot be ordered shows no rows; the failure is told in the user's terms.
        m_order.clear();
        m_groups.clear();
        m_visible.clear();
        m_lastSort = LastSort();
        indexRows();
        if (const auto *runtime = dynamic_cast<const platform::RuntimeError *>(&e))
            m_grid->reportError(runtime->number(), ErrorDescription(*runtime));
        else
            m_grid->reportError(platform::errors::DbGeneric, QString::fromLocal8Bit(e.what()));
    }
    endResetModel();
}

std::vector<GridModel::SortSignature> GridModel::sortSignature() const
{
    std::vector<SortSignature> keys;
    for (const GridColumn *c : m_groupColumns)
        keys.push_back({c, c->index(), int(c->sortType()), c->m_field, 1, c->m_computed});
    for (const SortKey &k : m_sortKeys)
        keys.push_back({k.column, k.column->index(), int(k.column->sortType()), k.column->m_field,
                        k.direction < 0 ? -1 : 1, k.column->m_computed});
    return keys;
}

std::vector<std::vector<quint32>> GridModel::keyCodes(const QList<GridColumn *> &columns,
                                                      const std::vector<int> &directions,
                                                      std::vector<quint32> &maxCodes)
{
    // Each record's value of each column as a whole number that orders as the values do (Null first,
    // numbers, then texts in the database's text order), equal exactly when the values are equal.
    const size_t n = m_bookmarks.size();
    std::vector<std::vector<quint32>> codes(size_t(columns.size()));
    maxCodes.assign(size_t(columns.size()), 0);
    for (int j = 0; j < columns.size(); ++j) {
        const GridColumn *col = columns[j];
        const bool bound = !col->m_computed && col->m_field >= 0 && m_rs && m_rs->isOpen();
        const platform::FieldType type = bound ? m_rs->fieldType(col->m_field) : platform::FieldType::Empty;
        std::vector<quint8> kind(n, Classified::Null);
        std::vector<double> number(n, 0);
        std::vector<int> textOf;
        QHash<const char *, int> textOfPointer;
        QHash<QString, int> textIndex;
        std::vector<QString> texts;
        auto addText = [&](const QString &t) {
            auto it = textIndex.constFind(t);
            if (it == textIndex.constEnd()) {
                it = textIndex.insert(t, int(texts.size()));
                texts.push_back(t);
            }
            return it.value();
        };
        for (size_t r = 0; r < n; ++r) {
            if (bound) {
                const platform::CellView cell = m_rs->cellAt(m_bookmarks[r], col->m_field);
                const StoredKey k = storedKey(cell, type, col->m_sortType);
                if (k.known) {
                    kind[r] = k.kind;
                    number[r] = k.number;
                    if (k.kind == Classified::Text) {
                        if (textOf.empty())
                            textOf.assign(n, -1);
                        auto it = textOfPointer.constFind(cell.text);
                        if (it == textOfPointer.constEnd())
                            it = textOfPointer.insert(cell.text, addText(QString::fromUtf8(cell.text, cell.length)));
                        textOf[r] = it.value();
                    }
                    continue;
                }
            }
            const Classified c = classify(recordValue(int(r), col->index(), 0), col->m_sortType);
            kind[r] = c.kind;
            number[r] = c.number;
            if (c.kind == Classified::Text) {
                if (textOf.empty())
                    textOf.assign(n, -1);
                textOf[r] = addText(c.text);
            }
        }

        // Numbers: whole numbers close together by their distance from the smallest; others by their rank.
        double lowest = 0, highest = 0;
        bool anyNumber = false, whole = true;
        for (size_t r = 0; r < n; ++r) {
            if (kind[r] != Classified::Number)
                continue;
            const double v = number[r];
            if (!anyNumber || v < lowest)
                lowest = v;
            if (!anyNumber || v > highest)
                highest = v;
            anyNumber = true;
            whole = whole && std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9e15;
        }
        const bool offsets = anyNumber && whole && highest - lowest <= 4.0 * double(n) + 65536;
        std::vector<double> distinct;
        if (anyNumber && !offsets) {
            for (size_t r = 0; r < n; ++r)
                if (kind[r] == Classified::Number)
                    distinct.push_back(number[r]);
            std::sort(distinct.begin(), distinct.end());
            distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        }
        const quint32 numberCodes = !anyNumber ? 0 : (offsets ? quint32(highest - lowest) + 1 : quint32(distinct.size()));

        // Texts: their ranks in the database's text order; texts that compare equal share a rank.
        std::vector<quint32> rank(texts.size());
        quint32 textCodes = 0;
        if (!texts.empty()) {
            std::vector<QString> folded(texts.size());
            for (size_t t = 0; t < texts.size(); ++t)
                folded[t] = platform::foldText(texts[t]);
            std::vector<int> byText(texts.size());
            std::iota(byText.begin(), byText.end(), 0);
            std::sort(byText.begin(), byText.end(), [&](int a, int b) {
                return QStringView(folded[size_t(a)]).compare(QStringView(folded[size_t(b)])) < 0;
            });
            quint32 current = 0;
            for (size_t t = 0; t < byText.size(); ++t) {
                if (t > 0 && folded[size_t(byText[t])] != folded[size_t(byText[t - 1])])
                    ++current;
                rank[size_t(byText[t])] = current;
            }
            textCodes = current + 1;
        }

        std::vector<quint32> &code = codes[size_t(j)];
        code.resize(n);
        for (size_t r = 0; r < n; ++r) {
            switch (kind[r]) {
            case Classified::Number:
                code[r] = 1 + (offsets ? quint32(number[r] - lowest)
                                       : quint32(std::lower_bound(distinct.begin(), distinct.end(), number[r])
                                                 - distinct.begin()));
                break;
            case Classified::Text:
                code[r] = 1 + numberCodes + rank[size_t(textOf[r])];
                break;
            default:
                code[r] = 0;
                break;
            }
        }
        const quint32 top = numberCodes + textCodes;
        maxCodes[size_t(j)] = top;
        if (directions[size_t(j)] < 0)
            for (quint32 &c : code)
                c = top - c;
    }
    return codes;
}

void GridModel::sortRecords(std::vector<int> &order, std::vector<int> &runStarts, bool &tieFree)
{
    // Keys: group columns first (always ascending), then the sort keys.
    QList<GridColumn *> keyColumns = m_groupColumns;
    std::vector<int> directions(size_t(m_groupColumns.size()), 1);
    for (const SortKey &k : m_sortKeys) {
        keyColumns.append(k.column);
        directions.push_back(k.direction < 0 ? -1 : 1);
    }
    const size_t n = m_bookmarks.size();
    std::vector<quint32> maxCodes;
    const std::vector<std::vector<quint32>> codes = keyCodes(keyColumns, directions, maxCodes);

    // Least significant key first, each pass stable: equal keys keep the recordset's order. The codes are
    // small whole numbers, so each pass counts them.
    order.resize(n);
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> next(n);
    std::vector<quint32> counts;
    for (int j = int(codes.size()) - 1; j >= 0; --j) {
        const std::vector<quint32> &code = codes[size_t(j)];
        bool sorted = true;
        for (size_t p = 1; p < n && sorted; ++p)
            sorted = code[size_t(order[p - 1])] <= code[size_t(order[p])];
        if (sorted)
            continue;
        counts.assign(size_t(maxCodes[size_t(j)]) + 2, 0);
        for (int o : order)
            ++counts[size_t(code[size_t(o)]) + 1];
        for (size_t c = 1; c < counts.size(); ++c)
            counts[c] += counts[c - 1];
        for (int o : order)
            next[counts[size_t(code[size_t(o)])]++] = o;
        order.swap(next);
    }

    // Where each innermost group begins, and whether two records of a group share their sort keys.
    const size_t groups = size_t(m_groupColumns.size());
    runStarts.assign(n > 0 ? 1 : 0, 0);
    tieFree = true;
    for (size_t p = 1; p < n; ++p) {
        const size_t a = size_t(order[p - 1]), b = size_t(order[p]);
        bool newRun = false;
        for (size_t j = 0; j < groups && !newRun; ++j)
            newRun = codes[j][a] != codes[j][b];
        if (newRun) {
            runStarts.push_back(int(p));
            continue;
        }
        bool tie = true;
        for (size_t j = groups; j < codes.size() && tie; ++j)
            tie = codes[j][a] == codes[j][b];
        if (tie)
            tieFree = false;
    }
}

bool GridModel::reuseLastSort(bool keepComputed)
{
    LastSort &last = m_lastSort;
    if (!keepComputed || !m_rs || last.rs != m_rs.get() || last.loadedRows != m_loadedRows)
        return false;
    const std::vector<SortSignature> keys = sortSignature();
    if (keys.size() != last.keys.size())
        return false;
    const size_t groups = size_t(m_groupColumns.size());
    bool same = true, reversed = keys.size() > groups;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == last.keys[i]) {
            reversed = reversed && i < groups;
            continue;
        }
        same = false;
        SortSignature flipped = keys[i];
        flipped.direction = -flipped.direction;
        reversed = reversed && i >= groups && flipped == last.keys[i];
    }
    // Reversed keys give the reversed order of each group only when no two records share their keys.
    if (!same && !(reversed && last.tieFree))
        return false;

    // The records now: the same as then, or (when the rows were sorted unfiltered) some of them.
    const size_t n = m_bookmarks.size();
    if (!last.allRows && n != last.order.size())
        return false;
    if (!same) {
        for (size_t r = 0; r < last.runStarts.size(); ++r) {
            const size_t from = size_t(last.runStarts[r]);
            const size_t to = r + 1 < last.runStarts.size() ? size_t(last.runStarts[r + 1]) : last.order.size();
            std::reverse(last.order.begin() + qsizetype(from), last.order.begin() + qsizetype(to));
        }
        last.keys = keys;
    }
    m_order.clear();
    m_order.reserve(n);
    for (const int bm : last.order) {
        const int ordinal = bm >= 1 && bm <= m_loadedRows ? m_ordinalOfRow[size_t(bm - 1)] : -1;
        if (ordinal >= 0)
            m_order.push_back(ordinal);
    }
    if (m_order.size() == n)
        return true;
    // A record the last sort did not see: sorted afresh.
    last = LastSort();
    return false;
}

void GridModel::buildGroups(const std::vector<std::vector<quint32>> &groupCodes)
{
    // Groups: a new group starts wherever a group column's key changes (or one above it does).
    const int n = int(m_order.size());
    m_groups.clear();
    const int levels = int(m_groupColumns.size());
    m_leafGroup.assign(size_t(n), -1);
    if (levels > 0 && n > 0) {
        std::vector<int> open(size_t(levels), -1);
        auto close = [&](int level, int end) {
            Group &g = m_groups[size_t(open[size_t(level)])];
            g.end = end;
            g.subtreeEnd = int(m_groups.size());
        };
        for (int p = 0; p < n; ++p) {
            int from = 0;
            if (p > 0) {
                const size_t a = size_t(m_order[size_t(p - 1)]), b = size_t(m_order[size_t(p)]);
                from = levels;
                for (int j = 0; j < levels; ++j) {
                    if (groupCodes[size_t(j)][a] != groupCodes[size_t(j)][b]) {
                        from = j;
                        break;
                    }
                }
                for (int level = levels - 1; level >= from; --level)
                    close(level, p);
            }
            for (int level = from; level < levels; ++level) {
                Group g;
                g.level = level;
                g.parent = level > 0 ? open[size_t(level - 1)] : -1;
                g.first = p;
                g.end = p;
                g.subtreeEnd = 0;
                open[size_t(level)] = int(m_groups.size());
                m_groups.push_back(g);
            }
            m_leafGroup[size_t(p)] = open[size_t(levels - 1)];
        }
        for (int level = levels - 1; level >= 0; --level)
            close(level, n);
    }
    if (levels > 0 && n == 0 && m_groupRowWhenEmpty) {
        // One empty outermost group, so a list without records still shows its heading row.
        Group g;
        g.level = 0;
        g.parent = -1;
        g.first = 0;
        g.end = 0;
        g.subtreeEnd = 1;
        m_groups.push_back(g);
    }
}

// ---------------------------------------------------------------------------------------------------
// Visible rows

void GridModel::flattenInto(std::vector<RowRef> &out, int group) const
{
    const Group &g = m_groups[size_t(group)];
    if (g.level == int(m_groupColumns.size()) - 1) {
        for (int p = g.first; p < g.end; ++p)
            out.push_back(p);
        return;
    }
    for (int c = group + 1; c < g.subtreeEnd; c = m_groups[size_t(c)].subtreeEnd) {
        out.push_back(refOfGroup(c));
        if (m_groups[size_t(c)].expanded)
            flattenInto(out, c);
    }
}

void GridModel::flattenAll()
{
    m_visible.clear();
    if (m_groups.empty()) {
        m_visible.resize(m_order.size());
        std::iota(m_visible.begin(), m_visible.end(), 0);
    } else {
        m_visible.reserve(m_order.size() + m_groups.size());
        for (int g = 0; g < int(m_groups.size()); g = m_groups[size_t(g)].subtreeEnd) {
            m_visible.push_back(refOfGroup(g));
            if (m_groups[size_t(g)].expanded)
                flattenInto(m_visible, g);
        }
    }
    indexRows();
}

void GridModel::indexRows()
{
    m_rowOfPosition.assign(m_order.size(), -1);
    m_rowOfGroup.assign(m_groups.size(), -1);
    for (int row = 0; row < int(m_visible.size()); ++row) {
        const RowRef ref = m_visible[size_t(row)];
        if (isGroupRef(ref))
            m_rowOfGroup[size_t(groupOfRef(ref))] = row;
        else
            m_rowOfPosition[size_t(ref)] = row;
    }
}

int GridModel::rowOfRef(RowRef ref) const
{
    if (ref == NoRef)
        return -1;
    if (isGroupRef(ref)) {
        const int g = groupOfRef(ref);
        return g < int(m_rowOfGroup.size()) ? m_rowOfGroup[size_t(g)] : -1;
    }
    return ref < int(m_rowOfPosition.size()) ? m_rowOfPosition[size_t(ref)] : -1;
}

int GridModel::groupOfRecord(int position) const
{
    return position >= 0 && position < int(m_leafGroup.size()) ? m_leafGroup[size_t(position)] : -1;
}

int GridModel::visibleRowFor(RowRef ref) const
{
    int row = rowOfRef(ref);
    if (row >= 0 || ref == NoRef)
        return row;
    int g = isGroupRef(ref) ? m_groups[size_t(groupOfRef(ref))].parent : groupOfRecord(ref);
    while (g >= 0) {
        row = m_rowOfGroup[size_t(g)];
        if (row >= 0)
            return row;
        g = m_groups[size_t(g)].parent;
    }
    return -1;
}

GridModel::RowRef GridModel::refOfBookmark(Bookmark bm) const
{
    const int ordinal = bm >= 1 && bm <= qint64(m_ordinalOfRow.size()) ? m_ordinalOfRow[size_t(bm - 1)] : -1;
    if (ordinal < 0 || ordinal >= int(m_positionOf.size()))
        return NoRef;
    return m_positionOf[size_t(ordinal)];
}

void GridModel::setExpanded(int group, bool expanded)
{
    Group &g = m_groups[size_t(group)];
    if (g.expanded == expanded)
        return;
    const int row = m_rowOfGroup[size_t(group)];
    if (row < 0) {
        g.expanded = expanded;
        return;
    }
    if (expanded) {
        g.expanded = true;
        std::vector<RowRef> rows;
        flattenInto(rows, group);
        if (rows.empty())
            return;
        beginInsertRows(QModelIndex(), row + 1, row + int(rows.size()));
        m_visible.insert(m_visible.begin() + row + 1, rows.begin(), rows.end());
        indexRows();
        endInsertRows();
    } else {
        int last = row;
        while (last + 1 < int(m_visible.size())) {
            const RowRef ref = m_visible[size_t(last + 1)];
            const bool below = isGroupRef(ref)
                ? (groupOfRef(ref) > group && groupOfRef(ref) < g.subtreeEnd)
                : (ref >= g.first && ref < g.end);
            if (!below)
                break;
            ++last;
        }
        g.expanded = false;
        if (last == row)
            return;
        beginRemoveRows(QModelIndex(), row + 1, last);
        m_visible.erase(m_visible.begin() + row + 1, m_visible.begin() + last + 1);
        indexRows();
        endRemoveRows();
    }
}

void GridModel::setAllExpanded(bool expanded)
{
    beginResetModel();
    for (Group &g : m_groups)
        g.expanded = expanded;
    flattenAll();
    endResetModel();
}

void GridModel::reveal(RowRef record)
{
    if (isGroupRef(record) || record == NoRef || rowOfRef(record) >= 0)
        return;
    beginResetModel();
    for (int g = groupOfRecord(record); g >= 0; g = m_groups[size_t(g)].parent)
        m_groups[size_t(g)].expanded = true;
    flattenAll();
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
        if (g >= int(m_groups.size()) || m_groups[size_t(g)].first >= m_groups[size_t(g)].end)
            return -1;
        return m_order[size_t(m_groups[size_t(g)].first)];
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
    m_grid->guarded([&] { emit m_grid->UnboundColumnFetch(row, column, bm, value); });
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
        m_grid->reportError(e.number(), ErrorDescription(e));
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
    m_grid->guarded([&] { emit m_grid->FetchIcon(row, column, bm, icon); });
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
        if (ref == NoRef || groupOfRef(ref) >= int(m_groups.size()))
            return none;
        formatSlots = &m_groupFormat;
        at = size_t(groupOfRef(ref));
        if (formatSlots->empty())
            formatSlots->assign(m_groups.size(), -1);
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
    emitFormatRow(ref, f);
    // A row the owner left as it is (most records) keeps no format of its own.
    if (f.caption.isEmpty() && f.cellTexts.isEmpty() && f.heightTwips == 0 && f.style.isEmpty()
        && int(m_formats.size()) == slot + 1 && at < formatSlots->size() && (*formatSlots)[at] == slot) {
        m_formats.pop_back();
        (*formatSlots)[at] = DefaultFormat;
        return none;
    }
    return f;
}

void GridModel::emitFormatRow(RowRef ref, RowFormat &format) const
{
    const int row = rowOfRef(ref) + 1;
    GridRowFormat buffer(this, ref, row, isGroupRef(ref) ? GridRowData::GroupHeader : GridRowData::Record, &format);
    m_grid->guarded([&] { emit m_grid->FormatRow(buffer); });
}

QVariant GridModel::groupValue(int group) const
{
    const Group &g = m_groups[size_t(group)];
    const GridColumn *c = m_groupColumns.value(g.level);
    if (!c || g.first >= g.end)
        return QVariant();
    return recordValue(m_order[size_t(g.first)], c->index(), 0);
}

QString GridModel::defaultGroupCaption(int group) const
{
    const GridColumn *c = m_groupColumns.value(m_groups[size_t(group)].level);
    if (!c)
        return QString();
    QString text;
    try {
        text = formatNamed(groupValue(group), c->m_format);
    } catch (const platform::RuntimeError &e) {
        m_grid->reportError(e.number(), ErrorDescription(e));
    }
    return c->m_caption.isEmpty() ? text : c->m_caption + QStringLiteral(": ") + text;
}

QVariant GridModel::groupSum(int group, int column) const
{
    if (group < 0 || group >= int(m_groups.size()) || !gridColumn(column))
        return QVariant();
    const quint64 key = (quint64(quint32(group)) << 32) | quint32(column);
    const auto it = m_sums.constFind(key);
    if (it != m_sums.constEnd())
        return it.value();
    const Group &g = m_groups[size_t(group)];
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
    const Classified wanted = classify(value, c->m_sortType);
    if (wanted.kind == Classified::Null)
        return NoRef;
    // A number sought in a bound column is compared with the stored cells, in the order they were read
    // (the memory in order); the first in display order among the records that hold it is the one.
    const bool bound = !c->m_computed && c->m_field >= 0 && m_rs && m_rs->isOpen();
    if (bound && wanted.kind == Classified::Number) {
        const platform::FieldType type = m_rs->fieldType(c->m_field);
        int found = NoRef;
        for (int o = 0; o < int(m_bookmarks.size()); ++o) {
            const StoredKey k = storedKey(m_rs->cellAt(m_bookmarks[size_t(o)], c->m_field), type, c->m_sortType);
            // A text may still hold the number: compared as the general way compares.
            const bool same = k.known && k.kind != Classified::Text
                                  ? k.kind == Classified::Number && k.number == wanted.number
                                  : sameValue(classify(recordValue(o, column, 0), c->m_sortType), wanted);
            if (same && (found == NoRef || m_positionOf[size_t(o)] < found))
                found = m_positionOf[size_t(o)];
        }
        return found;
    }
    for (int p = 0; p < int(m_order.size()); ++p) {
        if (sameValue(classify(recordValue(m_order[size_t(p)], column, 0), c->m_sortType), wanted))
            return p;
    }
    return NoRef;
}

QIcon GridModel::image(int number) const
{
    if (number < 1 || number > m_images.size())
        return QIcon();
    return m_images.at(number - 1);
}

// ---------------------------------------------------------------------------------------------------
// QAbstractItemModel

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_visible.size()) || index.column() >= int(m_columns.size()))
        return QVariant();
    const RowRef ref = m_visible[size_t(index.row())];
    const int column = index.column() + 1;
    const GridColumn *c = m_columns[size_t(index.column())].get();
    const bool group = isGroupRef(ref);

    switch (role) {
    case RowKindRole:
        return group ? 1 : 0;
    case GroupLevelRole:
        return group ? m_groups[size_t(groupOfRef(ref))].level : -1;
    case ExpandedRole:
        return group ? m_groups[size_t(groupOfRef(ref))].expanded : false;
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
