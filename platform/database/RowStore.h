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

// The loaded rows of a recordset in compact form. Rows are appended and never moved, so a row's index is a
// stable bookmark.
//
// A cell takes 32 bits: Null, a whole number of up to 30 bits held in the cell itself, or the place of its
// text or of its wider value (a larger whole number, a real). The cells of a run of rows lie in one block,
// texts in blocks of their own; blocks never move once written, so growing the store copies nothing. A
// short text that the same column held before (a date, an account's name, a count) is kept once while the
// column has few different texts. The blocks of a store that is let go are kept for the next one, so a list read
// again reuses memory the system has already given the program.
class RowStore
{
public:
    RowStore() = default;
    ~RowStore();
    RowStore(const RowStore &) = delete;
    RowStore &operator=(const RowStore &) = delete;

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
    bool isDeleted(int row) const { return size_t(row) < m_deleted.size() && m_deleted[size_t(row)]; }

private:
    struct Block {
        char *data = nullptr;
        size_t size = 0;
    };
    struct Wide {
        quint64 bits;          // whole number or the real's bits
        StoredValue::Class cls;
    };
    // The texts one column has held, while it repeats them: an open-addressing table of cells.
    struct Interned {
        std::vector<quint32> table;
        int count = 0;
        bool active = true;
    };

    quint32 *rowCells(int row) const
    {
        return reinterpret_cast<quint32 *>(m_chunks[size_t(row >> m_chunkShift)].data)
               + size_t(row & m_chunkMask) * size_t(m_columns);
    }
    quint32 *newRow();
    quint32 textCell(int column, const char *p, int n);
    quint32 storeText(const char *p, int n);
    quint32 wideCell(quint64 bits, StoredValue::Class cls);
    quint32 intCell(qint64 v);
    const char *textAt(quint32 cell) const;
    void release();

    int m_columns = 0;
    int m_rows = 0;
    int m_chunkShift = 0;            // rows per chunk: 1 << m_chunkShift
    int m_chunkMask = 0;
    std::vector<Block> m_chunks;     // the cells, m_columns per row
    std::vector<Block> m_texts;      // each text: a 4-byte length, the bytes, padding to 4
    size_t m_textBlock = 0;          // the block that takes the next small text
    size_t m_textUsed = 0;
    quint32 m_emptyText = 0;         // the cell of the empty text, once one was stored
    std::vector<Wide> m_wide;
    std::vector<Interned> m_interned;
    std::vector<bool> m_deleted;
};

} // namespace platform
