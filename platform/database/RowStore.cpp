#include "platform/database/RowStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace platform {

void RowStore::reset(int columnCount)
{
    m_columns = columnCount;
    m_rows = 0;
    m_slots.clear();
    m_classes.clear();
    m_deleted.clear();
    m_blocks.clear();
    m_blockUsed = m_blockSize = 0;
}

const char *RowStore::appendText(const char *p, int n)
{
    constexpr size_t BlockSize = 1 << 20;
    const quint32 len = quint32(n);
    const size_t need = sizeof(len) + size_t(n);
    if (m_blocks.empty() || m_blockUsed + need > m_blockSize) {
        m_blockSize = std::max(BlockSize, need);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_blockSize));
        m_blockUsed = 0;
    }
    char *at = m_blocks.back().get() + m_blockUsed;
    std::memcpy(at, &len, sizeof(len));
    if (n > 0)
        std::memcpy(at + sizeof(len), p, size_t(n));
    m_blockUsed += need;
    return at;
}

void RowStore::appendFromStatement(sqlite3_stmt *st)
{
    const size_t base = m_slots.size();
    m_slots.resize(base + size_t(m_columns));
    m_classes.resize(base + size_t(m_columns));
    quint64 *cells = m_slots.data() + base;
    quint8 *kinds = m_classes.data() + base;
    for (int c = 0; c < m_columns; ++c) {
        // One call for the value, then the value's own accessors: fewer checks per cell than the
        // sqlite3_column_* calls.
        sqlite3_value *v = sqlite3_column_value(st, c);
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            cells[c] = quint64(sqlite3_value_int64(v));
            kinds[c] = StoredValue::Int;
            break;
        case SQLITE_FLOAT: {
            const double d = sqlite3_value_double(v);
            std::memcpy(&cells[c], &d, sizeof d);
            kinds[c] = StoredValue::Real;
            break;
        }
        case SQLITE_NULL:
            cells[c] = 0;
            kinds[c] = StoredValue::Null;
            break;
        default: {
            const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
            cells[c] = quint64(reinterpret_cast<quintptr>(appendText(p, sqlite3_value_bytes(v))));
            kinds[c] = StoredValue::Text;
            break;
        }
        }
    }
    m_deleted.push_back(false);
    ++m_rows;
}

int RowStore::appendRow()
{
    m_slots.resize(m_slots.size() + size_t(m_columns), 0);
    m_classes.resize(m_classes.size() + size_t(m_columns), StoredValue::Null);
    m_deleted.push_back(false);
    return m_rows++;
}

CellView RowStore::cell(int row, int column) const
{
    const size_t at = size_t(row) * size_t(m_columns) + size_t(column);
    CellView v;
    v.cls = StoredValue::Class(m_classes[at]);
    const quint64 slot = m_slots[at];
    switch (v.cls) {
    case StoredValue::Int:
        v.i = qint64(slot);
        break;
    case StoredValue::Real:
        std::memcpy(&v.d, &slot, sizeof v.d);
        break;
    case StoredValue::Text: {
        const char *at = reinterpret_cast<const char *>(quintptr(slot));
        quint32 len;
        std::memcpy(&len, at, sizeof len);
        v.text = at + sizeof len;
        v.length = int(len);
        break;
    }
    case StoredValue::Null:
        break;
    }
    return v;
}

void RowStore::set(int row, int column, const StoredValue &value)
{
    const size_t at = size_t(row) * size_t(m_columns) + size_t(column);
    m_classes[at] = value.cls;
    switch (value.cls) {
    case StoredValue::Int: m_slots[at] = quint64(value.i); break;
    case StoredValue::Real: std::memcpy(&m_slots[at], &value.d, sizeof value.d); break;
    case StoredValue::Text:
        m_slots[at] = quint64(reinterpret_cast<quintptr>(appendText(value.text.constData(), int(value.text.size()))));
        break;
    case StoredValue::Null: m_slots[at] = 0; break;
    }
}

void RowStore::markDeleted(int row)
{
    m_deleted[size_t(row)] = true;
}

} // namespace platform
