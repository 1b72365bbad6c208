#include "platform/database/RowStore.h"

#include <sqlite3.h>

#include <cstring>

namespace platform {

void RowStore::reset(int columnCount)
{
    m_columns = columnCount;
    m_rows = 0;
    m_slots.clear();
    m_classes.clear();
    m_deleted.clear();
    m_arena.clear();
}

quint64 RowStore::appendText(const char *p, int n)
{
    const quint64 offset = m_arena.size();
    const quint32 len = quint32(n);
    m_arena.resize(offset + sizeof(len) + size_t(n));
    std::memcpy(m_arena.data() + offset, &len, sizeof(len));
    if (n > 0)
        std::memcpy(m_arena.data() + offset + sizeof(len), p, size_t(n));
    return offset;
}

void RowStore::appendFromStatement(sqlite3_stmt *st)
{
    for (int c = 0; c < m_columns; ++c) {
        quint64 slot = 0;
        const int type = sqlite3_column_type(st, c);
        switch (type) {
        case SQLITE_INTEGER:
            slot = quint64(sqlite3_column_int64(st, c));
            m_classes.push_back(StoredValue::Int);
            break;
        case SQLITE_FLOAT: {
            const double d = sqlite3_column_double(st, c);
            std::memcpy(&slot, &d, sizeof d);
            m_classes.push_back(StoredValue::Real);
            break;
        }
        case SQLITE_NULL:
            m_classes.push_back(StoredValue::Null);
            break;
        default: {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
            slot = appendText(p, sqlite3_column_bytes(st, c));
            m_classes.push_back(StoredValue::Text);
            break;
        }
        }
        m_slots.push_back(slot);
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
        quint32 len;
        std::memcpy(&len, m_arena.data() + slot, sizeof len);
        v.text = m_arena.data() + slot + sizeof len;
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
    case StoredValue::Text: m_slots[at] = appendText(value.text.constData(), int(value.text.size())); break;
    case StoredValue::Null: m_slots[at] = 0; break;
    }
}

void RowStore::markDeleted(int row)
{
    m_deleted[size_t(row)] = true;
}

} // namespace platform
