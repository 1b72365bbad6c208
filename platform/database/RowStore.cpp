#include "platform/database/RowStore.h"

#include "platform/RuntimeError.h"
#include "platform/database/SqliteSupport.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace platform {

namespace {

// A cell: the kind in the low two bits, the rest its value or its place.
enum CellKind : quint32 { NullCell = 0, IntCell = 1, TextCell = 2, WideCell = 3 };
constexpr qint64 SmallMin = -(qint64(1) << 29);
constexpr qint64 SmallMax = (qint64(1) << 29) - 1;
// A text's place: its block (12 bits) and its offset there in units of 4 bytes (18 bits).
constexpr size_t BlockBytes = size_t(1) << 20;
constexpr int UnitBits = 18;
constexpr size_t MaxTextBlocks = size_t(1) << (30 - UnitBits);
// The cells of a run of rows take up to this much.
constexpr size_t ChunkBytes = size_t(1) << 20;
// A column keeps each of its texts once while it has held at most this many different ones (dates of ten
// years, accounts, counts); beyond, its texts are kept as they come, without looking them up. Long texts
// (descriptions, notes) are not looked up at all.
constexpr int MaxInterned = 4096;
constexpr int MaxInternedLength = 40;

// Blocks of stores that were let go, for the next store: at most what the largest store held, and no more
// than MaxKept (a list read again reuses memory the system has already given; a very large one partly).
constexpr size_t MaxKept = size_t(64) << 20;
class BlockPool
{
public:
    ~BlockPool()
    {
        for (const auto &b : m_free)
            std::free(b.second);
    }

    char *take(size_t size)
    {
        for (size_t i = m_free.size(); i-- > 0;) {
            if (m_free[i].first != size)
                continue;
            char *p = m_free[i].second;
            m_free.erase(m_free.begin() + qsizetype(i));
            m_held -= size;
            return p;
        }
        auto *p = static_cast<char *>(std::malloc(size));
        if (!p)
            throw std::bad_alloc();
        return p;
    }

    void give(std::vector<std::pair<size_t, char *>> blocks, size_t total)
    {
        m_limit = std::min(std::max(m_limit, total), MaxKept);
        for (const auto &b : blocks) {
            m_free.push_back(b);
            m_held += b.first;
        }
        // The oldest go first.
        size_t drop = 0;
        while (m_held > m_limit && drop < m_free.size()) {
            m_held -= m_free[drop].first;
            std::free(m_free[drop].second);
            ++drop;
        }
        m_free.erase(m_free.begin(), m_free.begin() + qsizetype(drop));
    }

private:
    std::vector<std::pair<size_t, char *>> m_free;
    size_t m_held = 0;
    size_t m_limit = 0;
};

BlockPool &pool()
{
    static BlockPool p;
    return p;
}

quint32 hashBytes(const char *p, int n)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ quint64(n);
    while (n >= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
        p += 8;
        n -= 8;
    }
    quint64 w = 0;
    std::memcpy(&w, p, size_t(n));
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 29;
    return quint32(h);
}

} // namespace

RowStore::~RowStore()
{
    release();
}

void RowStore::release()
{
    std::vector<std::pair<size_t, char *>> blocks;
    size_t total = 0;
    for (const Block &b : m_chunks) {
        blocks.push_back({b.size, b.data});
        total += b.size;
    }
    for (const Block &b : m_texts) {
        total += b.size;
        if (b.size == BlockBytes)
            blocks.push_back({b.size, b.data});
        else
            std::free(b.data);   // a text of its own size: no other store would take it
    }
    if (!blocks.empty())
        pool().give(std::move(blocks), total);
    m_chunks.clear();
    m_texts.clear();
    m_wide.clear();
    m_interned.clear();
    m_deleted.clear();
    m_textBlock = m_textUsed = 0;
    m_emptyText = 0;
    m_rows = 0;
}

void RowStore::reset(int columnCount)
{
    release();
    m_columns = columnCount;
    int shift = 0;
    const size_t rowBytes = sizeof(quint32) * size_t(std::max(1, columnCount));
    while ((size_t(2) << shift) * rowBytes <= ChunkBytes)
        ++shift;
    m_chunkShift = shift;
    m_chunkMask = (1 << shift) - 1;
    m_interned.assign(size_t(std::max(0, columnCount)), Interned());
}

quint32 *RowStore::newRow()
{
    if ((m_rows & m_chunkMask) == 0 && size_t(m_rows >> m_chunkShift) == m_chunks.size()) {
        const size_t size = (size_t(1) << m_chunkShift) * sizeof(quint32) * size_t(std::max(1, m_columns));
        m_chunks.push_back({pool().take(size), size});
    }
    return rowCells(m_rows++);
}

quint32 RowStore::intCell(qint64 v)
{
    if (v >= SmallMin && v <= SmallMax)
        return (quint32(v) << 2) | IntCell;
    return wideCell(quint64(v), StoredValue::Int);
}

quint32 RowStore::wideCell(quint64 bits, StoredValue::Class cls)
{
    const size_t index = m_wide.size();
    if (index >= (size_t(1) << 30))
        raiseDatabaseError(QStringLiteral("The rows read hold too many values to keep."));
    m_wide.push_back({bits, cls});
    return quint32(index << 2) | WideCell;
}

quint32 RowStore::storeText(const char *p, int n)
{
    const size_t need = (sizeof(quint32) + size_t(n) + 3) & ~size_t(3);
    size_t block = 0, offset = 0;
    if (need > BlockBytes) {
        block = m_texts.size();
        m_texts.push_back({static_cast<char *>(std::malloc(need)), need});
        if (!m_texts.back().data)
            throw std::bad_alloc();
    } else {
        if (m_texts.empty() || m_textUsed + need > BlockBytes) {
            m_texts.push_back({pool().take(BlockBytes), BlockBytes});
            m_textBlock = m_texts.size() - 1;
            m_textUsed = 0;
        }
        block = m_textBlock;
        offset = m_textUsed;
        m_textUsed += need;
    }
    if (block >= MaxTextBlocks)
        raiseDatabaseError(QStringLiteral("The rows read hold too much text to keep."));
    char *at = m_texts[block].data + offset;
    const quint32 len = quint32(n);
    std::memcpy(at, &len, sizeof len);
    if (n > 0)
        std::memcpy(at + sizeof len, p, size_t(n));
    return quint32(((block << UnitBits) | (offset >> 2)) << 2) | TextCell;
}

const char *RowStore::textAt(quint32 cell) const
{
    const quint32 place = cell >> 2;
    return m_texts[place >> UnitBits].data + (size_t(place & ((1u << UnitBits) - 1)) << 2);
}

quint32 RowStore::textCell(int column, const char *p, int n)
{
    if (n == 0) {
        // Every empty text of the store is one.
        if (!m_emptyText)
            m_emptyText = storeText(p, 0);
        return m_emptyText;
    }
    Interned &in = m_interned[size_t(column)];
    if (!in.active || n > MaxInternedLength)
        return storeText(p, n);
    if (in.table.empty())
        in.table.assign(256, 0);
    const quint32 h = hashBytes(p, n);
    size_t mask = in.table.size() - 1;
    size_t i = h & mask;
    for (quint32 e; (e = in.table[i]) != 0; i = (i + 1) & mask) {
        const char *at = textAt(e);
        quint32 len;
        std::memcpy(&len, at, sizeof len);
        if (int(len) == n && std::memcmp(at + sizeof len, p, size_t(n)) == 0)
            return e;
    }
    const quint32 cell = storeText(p, n);
    in.table[i] = cell;
    ++in.count;
    if (in.count >= MaxInterned) {
        in.active = false;
        std::vector<quint32>().swap(in.table);
    } else if (size_t(in.count) * 2 >= in.table.size()) {
        std::vector<quint32> bigger(in.table.size() * 2, 0);
        mask = bigger.size() - 1;
        for (quint32 e : in.table) {
            if (!e)
                continue;
            const char *at = textAt(e);
            quint32 len;
            std::memcpy(&len, at, sizeof len);
            size_t k = hashBytes(at + sizeof len, int(len)) & mask;
            while (bigger[k])
                k = (k + 1) & mask;
            bigger[k] = e;
        }
        in.table.swap(bigger);
    }
    return cell;
}

void RowStore::appendFromStatement(sqlite3_stmt *st)
{
    quint32 *cells = newRow();
    for (int c = 0; c < m_columns; ++c) {
        // One call for the value, then the value's own accessors: fewer checks per cell than the
        // sqlite3_column_* calls.
        sqlite3_value *v = sqlite3_column_value(st, c);
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            cells[c] = intCell(sqlite3_value_int64(v));
            break;
        case SQLITE_FLOAT: {
            const double d = sqlite3_value_double(v);
            quint64 bits;
            std::memcpy(&bits, &d, sizeof bits);
            cells[c] = wideCell(bits, StoredValue::Real);
            break;
        }
        case SQLITE_NULL:
            cells[c] = NullCell;
            break;
        default: {
            const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
            cells[c] = textCell(c, p, sqlite3_value_bytes(v));
            break;
        }
        }
    }
}

int RowStore::appendRow()
{
    quint32 *cells = newRow();
    std::fill(cells, cells + m_columns, quint32(NullCell));
    return m_rows - 1;
}

CellView RowStore::cell(int row, int column) const
{
    const quint32 c = rowCells(row)[column];
    CellView v;
    switch (c & 3) {
    case IntCell:
        v.cls = StoredValue::Int;
        v.i = qint32(c) >> 2;
        break;
    case TextCell: {
        const char *at = textAt(c);
        quint32 len;
        std::memcpy(&len, at, sizeof len);
        v.cls = StoredValue::Text;
        v.text = at + sizeof len;
        v.length = int(len);
        break;
    }
    case WideCell: {
        const Wide &w = m_wide[c >> 2];
        v.cls = w.cls;
        if (w.cls == StoredValue::Real)
            std::memcpy(&v.d, &w.bits, sizeof v.d);
        else
            v.i = qint64(w.bits);
        break;
    }
    default:
        break;
    }
    return v;
}

void RowStore::set(int row, int column, const StoredValue &value)
{
    quint32 c = NullCell;
    switch (value.cls) {
    case StoredValue::Int: c = intCell(value.i); break;
    case StoredValue::Real: {
        quint64 bits;
        std::memcpy(&bits, &value.d, sizeof bits);
        c = wideCell(bits, StoredValue::Real);
        break;
    }
    case StoredValue::Text: c = storeText(value.text.constData(), int(value.text.size())); break;
    case StoredValue::Null: break;
    }
    rowCells(row)[column] = c;
}

void RowStore::markDeleted(int row)
{
    if (m_deleted.size() < size_t(m_rows))
        m_deleted.resize(size_t(m_rows), false);
    m_deleted[size_t(row)] = true;
}

} // namespace platform
