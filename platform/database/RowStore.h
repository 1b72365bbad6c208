#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace platform {

// A value as the engine stores it: Null, a 64-bit whole number, a real or UTF-8 text.
struct StoredValue {
    enum Class : quint8 { Null = 0, Int = 1, Real = 2, Text = 3 };
    Class cls = Null;
    qint64 i = 0;
    double d = 0;
    QByteArray text;

    static StoredValue integer(qint64 v) { StoredValue s; s.cls = Int; s.i = v; return s; }
    static StoredValue real(double v) { StoredValue s; s.cls = Real; s.d = v; return s; }
    static StoredValue utf8(QByteArray v) { StoredValue s; s.cls = Text; s.text = std::move(v); return s; }
};

// A read-only view of one stored cell (texts point into the store and stay valid while it lives).
struct CellView {
    StoredValue::Class cls = StoredValue::Null;
    qint64 i = 0;
    double d = 0;
    const char *text = nullptr;
    int length = 0;
};

// The loaded rows of a recordset in compact form: one 8-byte slot and one class byte per cell, texts in one
// arena. Rows are appended and never moved, so a row's index is a stable bookmark.
class RowStore
{
public:
    void reset(int columnCount);
    int columnCount() const { return m_columns; }
    int rowCount() const { return m_rows; }

    // Appends the current row of a statement (one cell per result column).
    void appendFromStatement(sqlite3_stmt *st);
    // Appends a row of Nulls and returns its index.
    int appendRow();

    CellView cell(int row, int column) const;
    void set(int row, int column, const StoredValue &value);

    void markDeleted(int row);
    bool isDeleted(int row) const { return m_deleted[size_t(row)]; }

private:
    const char *appendText(const char *p, int n);

    int m_columns = 0;
    int m_rows = 0;
    std::vector<quint64> m_slots;      // int, real bits, or the address of a text in the arena
    std::vector<quint8> m_classes;
    std::vector<bool> m_deleted;
    // Texts, each a 4-byte length then the bytes, in blocks that never move once filled.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockUsed = 0;
    size_t m_blockSize = 0;
};

} // namespace platform
