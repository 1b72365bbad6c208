#include "foundation/grid/GridOrder.h"

#include "foundation/grid/GridFormat.h"
#include "platform/database/Currency.h"
#include "platform/database/JetDate.h"
#include "platform/database/TextFold.h"

#include <QDateTime>
#include <QHash>
#include <QString>
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
    if (isWholeNumber(v)) {
        out = v.toDouble();
        return true;
    }
    switch (v.metaType().id()) {
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

// ---------------------------------------------------------------------------------------------------
// Key codes

GridOrder::Codes GridOrder::keyCodes(const Records &records, const Keys &keys, std::vector<quint32> &maxCodes)
{
    const size_t n = records.size();
    const platform::Recordset *rs = records.rs;
    Codes codes(keys.size());
    maxCodes.assign(keys.size(), 0);
    for (size_t j = 0; j < keys.size(); ++j) {
        const GridColumn *col = keys[j].column;
        const bool bound = !col->isComputed() && col->fieldIndex() >= 0 && rs;
        const platform::FieldType type = bound ? rs->fieldType(col->fieldIndex()) : platform::FieldType::Empty;
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
                const platform::CellView cell = rs->cellAt((*records.bookmarks)[r], col->fieldIndex());
                const StoredKey k = storedKey(cell, type, col->sortType());
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
            const Classified c = classify(records.value(int(r), col->index()), col->sortType());
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

        std::vector<quint32> &code = codes[j];
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
        maxCodes[j] = top;
        if (keys[j].direction < 0)
            for (quint32 &c : code)
                c = top - c;
    }
    return codes;
}

// ---------------------------------------------------------------------------------------------------
// Sorting

std::vector<GridOrder::Signature> GridOrder::signature(const Keys &groups, const Keys &sortKeys)
{
    auto of = [](const Key &k, int direction) {
        return Signature{k.column, k.column->index(), int(k.column->sortType()), k.column->fieldIndex(), direction,
                         k.column->isComputed()};
    };
    std::vector<Signature> keys;
    for (const Key &k : groups)
        keys.push_back(of(k, 1));
    for (const Key &k : sortKeys)
        keys.push_back(of(k, k.direction < 0 ? -1 : 1));
    return keys;
}

GridOrder::Codes GridOrder::sort(const Records &records, const Keys &keys, size_t groupLevels,
                                 std::vector<int> &order, std::vector<int> &runStarts, bool &tieFree)
{
    const size_t n = records.size();
    std::vector<quint32> maxCodes;
    Codes codes = keyCodes(records, keys, maxCodes);

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
    runStarts.assign(n > 0 ? 1 : 0, 0);
    tieFree = true;
    for (size_t p = 1; p < n; ++p) {
        const size_t a = size_t(order[p - 1]), b = size_t(order[p]);
        bool newRun = false;
        for (size_t j = 0; j < groupLevels && !newRun; ++j)
            newRun = codes[j][a] != codes[j][b];
        if (newRun) {
            runStarts.push_back(int(p));
            continue;
        }
        bool tie = true;
        for (size_t j = groupLevels; j < codes.size() && tie; ++j)
            tie = codes[j][a] == codes[j][b];
        if (tie)
            tieFree = false;
    }
    return codes;
}

void GridOrder::arrange(const Records &records, const Keys &groups, const Keys &sortKeys, bool mayReuse,
                        std::vector<int> &order, Codes &groupCodes)
{
    const std::vector<Signature> keys = signature(groups, sortKeys);
    if (mayReuse && reuseLast(records, keys, groups.size(), order, groupCodes))
        return;
    // Keys: group columns first (always ascending), then the sort keys.
    Keys all;
    all.reserve(groups.size() + sortKeys.size());
    for (const Key &k : groups)
        all.push_back({k.column, 1});
    for (const Key &k : sortKeys)
        all.push_back({k.column, k.direction < 0 ? -1 : 1});
    std::vector<int> runStarts;
    bool tieFree = false;
    Codes codes = sort(records, all, groups.size(), order, runStarts, tieFree);
    codes.resize(groups.size());
    groupCodes = std::move(codes);
    m_last = LastSort();
    if (records.rs) {
        // The group codes by the recordset's row: a filter later takes those of its records.
        const std::vector<Bookmark> &bookmarks = *records.bookmarks;
        m_last.groupCodes.resize(groupCodes.size());
        for (size_t j = 0; j < groupCodes.size(); ++j) {
            std::vector<quint32> &byRow = m_last.groupCodes[j];
            byRow.assign(size_t(records.loadedRows), 0);
            for (size_t o = 0; o < bookmarks.size(); ++o)
                if (bookmarks[o] >= 1 && bookmarks[o] <= records.loadedRows)
                    byRow[size_t(bookmarks[o] - 1)] = groupCodes[j][o];
        }
        m_last.rs = records.rs;
        m_last.loadedRows = records.loadedRows;
        m_last.keys = keys;
        m_last.order.resize(order.size());
        for (size_t p = 0; p < order.size(); ++p)
            m_last.order[p] = (*records.bookmarks)[size_t(order[p])];
        m_last.runStarts = std::move(runStarts);
        m_last.allRows = records.allRows;
        m_last.tieFree = tieFree;
    }
}

void GridOrder::forget()
{
    m_last = LastSort();
}

bool GridOrder::reuseLast(const Records &records, const std::vector<Signature> &keys, size_t groupLevels,
                          std::vector<int> &order, Codes &groupCodes)
{
    LastSort &last = m_last;
    if (!records.rs || last.rs != records.rs || last.loadedRows != records.loadedRows)
        return false;
    if (keys.size() != last.keys.size())
        return false;
    bool same = true, reversed = keys.size() > groupLevels;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == last.keys[i]) {
            reversed = reversed && i < groupLevels;
            continue;
        }
        same = false;
        Signature flipped = keys[i];
        flipped.direction = -flipped.direction;
        reversed = reversed && i >= groupLevels && flipped == last.keys[i];
    }
    // Reversed keys give the reversed order of each group only when no two records share their keys.
    if (!same && !(reversed && last.tieFree))
        return false;

    // The records now: the same as then, or (when the rows were sorted unfiltered) some of them.
    const size_t n = records.size();
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
    const std::vector<int> &ordinalOfRow = *records.ordinalOfRow;
    const int loadedRows = records.loadedRows;
    order.clear();
    order.reserve(n);
    for (const Bookmark bm : last.order) {
        const int ordinal = bm >= 1 && bm <= loadedRows ? ordinalOfRow[size_t(bm - 1)] : -1;
        if (ordinal >= 0)
            order.push_back(ordinal);
    }
    if (order.size() == n) {
        // Every record was sorted then: its group codes are those it had.
        const std::vector<Bookmark> &bookmarks = *records.bookmarks;
        groupCodes.resize(last.groupCodes.size());
        for (size_t j = 0; j < groupCodes.size(); ++j) {
            const std::vector<quint32> &byRow = last.groupCodes[j];
            std::vector<quint32> &code = groupCodes[j];
            code.resize(n);
            for (size_t o = 0; o < n; ++o)
                code[o] = byRow[size_t(bookmarks[o] - 1)];
        }
        return true;
    }
    // A record the last sort did not see: sorted afresh.
    last = LastSort();
    return false;
}

// ---------------------------------------------------------------------------------------------------
// Find

int GridOrder::find(const Records &records, const GridColumn *c, const QVariant &value, const std::vector<int> &order,
                    const std::vector<int> &positionOf)
{
    const Classified wanted = classify(value, c->sortType());
    if (wanted.kind == Classified::Null)
        return -1;
    const int column = c->index();
    // A number sought in a bound column is compared with the stored cells, in the order they were read
    // (the memory in order); the first in display order among the records that hold it is the one.
    const platform::Recordset *rs = records.rs;
    const bool bound = !c->isComputed() && c->fieldIndex() >= 0 && rs;
    if (bound && wanted.kind == Classified::Number) {
        const platform::FieldType type = rs->fieldType(c->fieldIndex());
        int found = -1;
        const std::vector<Bookmark> &bookmarks = *records.bookmarks;
        for (int o = 0; o < int(bookmarks.size()); ++o) {
            const StoredKey k = storedKey(rs->cellAt(bookmarks[size_t(o)], c->fieldIndex()), type, c->sortType());
            // A text may still hold the number: compared as the general way compares.
            const bool same = k.known && k.kind != Classified::Text
                                  ? k.kind == Classified::Number && k.number == wanted.number
                                  : sameValue(classify(records.value(o, column), c->sortType()), wanted);
            if (same && (found < 0 || positionOf[size_t(o)] < found))
                found = positionOf[size_t(o)];
        }
        return found;
    }
    for (int p = 0; p < int(order.size()); ++p) {
        if (sameValue(classify(records.value(order[size_t(p)], column), c->sortType()), wanted))
            return p;
    }
    return -1;
}
