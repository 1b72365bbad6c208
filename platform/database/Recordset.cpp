// Column metadata (the table and column a result column comes from) finds the base table of the rows.
#define SQLITE_ENABLE_COLUMN_METADATA 1

#include "platform/database/Recordset.h"

#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/ConnectionImpl.h"
#include "platform/database/FieldValue.h"
#include "platform/database/RecordFilter.h"
#include "platform/database/RowStore.h"
#include "platform/database/SqliteSupport.h"

#include <QHash>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include <sqlite3.h>

namespace platform {

namespace {

// The candidates (rows of the store, from rowOf(0..count-1)) that pass the filter, as bookmarks in their
// order. A list of many rows is tested on several threads, a piece of it each.
template<typename RowOf>
QVector<Recordset::Bookmark> passingRows(const RecordFilter &filter, const RowStore &store, int count, RowOf rowOf)
{
    constexpr int PieceRows = 1 << 13;
    const size_t pieces = size_t(count + PieceRows - 1) / PieceRows;
    std::vector<QVector<Recordset::Bookmark>> passed(pieces);
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (size_t p; (p = next.fetch_add(1)) < pieces;) {
            try {
                const int from = int(p) * PieceRows, to = qMin(count, from + PieceRows);
                QVector<Recordset::Bookmark> &out = passed[p];
                out.reserve(to - from);
                for (int i = from; i < to; ++i) {
                    const int row = rowOf(i);
                    if (!store.isDeleted(row) && filter.matches(store, row))
                        out.append(row + 1);
                }
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    // This thread takes pieces too; helpers that find none left end at once.
    const size_t threads = std::min<size_t>({pieces, size_t(qMax(1, QThread::idealThreadCount())), 8});
    {
        std::vector<std::jthread> helpers;
        try {
            for (size_t t = 1; t < threads; ++t)
                helpers.emplace_back(work);
        } catch (const std::system_error &) {
            // No more threads to be had: the ones there are, and this one, share the pieces.
        }
        work();
    }
    if (failure)
        std::rethrow_exception(failure);
    QVector<Recordset::Bookmark> rows;
    qsizetype total = 0;
    for (const auto &p : passed)
        total += p.size();
    rows.reserve(total);
    for (const auto &p : passed)
        rows.append(p);
    return rows;
}

struct ColumnMeta {
    QString name;
    FieldType type = FieldType::Empty;
    int definedSize = 0;
    QString baseTable;                   // the table and column a result column comes from ("" for an
    QString baseColumn;                  // expression)
};

QByteArray quoted(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return (QLatin1Char('"') + n + QLatin1Char('"')).toUtf8();
}

[[noreturn]] void noCurrentRecord()
{
    throw RuntimeError(errors::DbNoCurrentRecord, databaseErrorSource(),
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                      "Requested operation requires a current record."));
}

[[noreturn]] void notAllowed(const QString &what, ErrorKind kind = ErrorKind::Other)
{
    throw RuntimeError(errors::DbOperationNotAllowed, databaseErrorSource(), what, kind);
}

// A table name alone ("Counts", "[Counts]") rather than a statement.
QString bareTableName(const QString &source)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(?:\\[([^\\]]+)\\]|([\\w]+))\\s*$"));
    const auto m = re.match(source);
    if (!m.hasMatch())
        return QString();
    return m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
}

} // namespace

struct Recordset::Impl {
    std::unique_ptr<Connection> ownConnection;
    std::shared_ptr<Connection::Impl> conn;
    bool open = false;
    QString source;
    CursorType cursor = adOpenStatic;
    LockType lock = adLockReadOnly;
    CommandType options = adCmdUnknown;
    int maxRecords = 0;                  // 0: every row

    QVector<ColumnMeta> columns;
    QHash<QString, int> columnByName;     // lower-case name -> first column of that name
    RowStore store;
    QVector<Bookmark> visible;           // bookmarks (row + 1) of the rows that pass the filter
    QHash<int, int> positionOfRow;       // row -> index in visible; built on demand
    bool positionsValid = false;
    int pos = -1;                        // index into visible; -1 BOF, visible.size() EOF
    bool onDeleted = false;              // the current row was just deleted

    QString filterText;
    std::unique_ptr<RecordFilter> filter;

    enum Mode { Browse, Edit, Add } mode = Browse;
    QHash<int, StoredValue> pending;     // field -> new value while editing or adding

    // ---- state ----

    void requireOpen() const
    {
        if (!open)
            notAllowed(QStringLiteral("Operation is not allowed when the object is closed."));
    }

    void requireUpdatable() const
    {
        requireOpen();
        if (lock == adLockReadOnly)
            notAllowed(QStringLiteral("Current Recordset does not support updating: it was opened read-only."));
    }

    bool atRow() const { return !onDeleted && pos >= 0 && pos < visible.size(); }

    int currentRow() const
    {
        if (!atRow())
            noCurrentRecord();
        return int(visible[pos] - 1);
    }

    int checkedField(int index) const
    {
        requireOpen();
        if (index < 0 || index >= columns.size())
            throw RuntimeError(errors::DbItemNotFound, databaseErrorSource(),
                               QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                              "name or ordinal (%1).").arg(index));
        return index;
    }

    int checkedField(const QString &name) const
    {
        requireOpen();
        const int i = columnByName.value(name.toLower(), -1);
        if (i < 0)
            throw RuntimeError(errors::DbItemNotFound, databaseErrorSource(),
                               QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                              "name or ordinal (%1).").arg(name));
        return i;
    }

    int positionOf(int row)
    {
        if (!positionsValid) {
            positionOfRow.clear();
            positionOfRow.reserve(visible.size());
            for (int i = 0; i < visible.size(); ++i)
                positionOfRow.insert(int(visible[i] - 1), i);
            positionsValid = true;
        }
        return positionOfRow.value(row, -1);
    }

    void setVisible(QVector<Bookmark> rows)
    {
        visible = std::move(rows);
        positionsValid = false;
        onDeleted = false;
        pos = 0;
    }

    // ---- loading ----

    void load(const std::function<void()> &statementReady = nullptr)
    {
        QString sql = source;
        const QString table = bareTableName(source);
        if (options == adCmdTable || (!table.isEmpty() && options != adCmdText))
            sql = QStringLiteral("SELECT * FROM [%1]").arg(table.isEmpty() ? source.trimmed() : table);
        std::shared_ptr<const Translation> translation;
        StmtPtr st = conn->prepare(sql, &translation);
        const int n = sqlite3_column_count(st.get());
        if (n == 0)
            notAllowed(QStringLiteral("The statement returns no rows: %1").arg(source));
        if (statementReady)
            statementReady();
        columns.clear();
        columnByName.clear();
        for (int i = 0; i < n; ++i) {
            ColumnMeta c;
            c.name = QString::fromUtf8(sqlite3_column_name(st.get(), i));
            const DeclaredType d = declaredType(sqlite3_column_decltype(st.get(), i));
            c.type = d.type;
            c.definedSize = d.definedSize;
            if (c.type == FieldType::Empty) {
                const ColumnHint h = translation->hints.value(c.name.toLower());
                c.type = h.type;
                c.definedSize = h.definedSize;
            }
            if (const char *t = sqlite3_column_table_name(st.get(), i))
                c.baseTable = QString::fromUtf8(t);
            if (const char *o = sqlite3_column_origin_name(st.get(), i))
                c.baseColumn = QString::fromUtf8(o);
            if (!columnByName.contains(c.name.toLower()))
                columnByName.insert(c.name.toLower(), i);
            columns.append(c);
        }
        store.reset(n);
        int rc = SQLITE_DONE;
        while ((maxRecords <= 0 || store.rowCount() < maxRecords) && (rc = sqlite3_step(st.get())) == SQLITE_ROW)
            store.appendFromStatement(st.get());
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            conn->raise(rc, source);
        typeExpressionsByValue();
        QVector<Bookmark> all(store.rowCount());
        for (int r = 0; r < all.size(); ++r)
            all[r] = r + 1;
        filter.reset();
        filterText.clear();
        mode = Browse;
        pending.clear();
        setVisible(std::move(all));
    }

    // Expression columns the engine cannot type take the kind of their first value.
    void typeExpressionsByValue()
    {
        for (int c = 0; c < columns.size(); ++c) {
            if (columns[c].type != FieldType::Empty)
                continue;
            FieldType t = FieldType::VarWChar;
            for (int r = 0; r < store.rowCount(); ++r) {
                const CellView v = store.cell(r, c);
                if (v.cls == StoredValue::Null)
                    continue;
                t = v.cls == StoredValue::Int ? FieldType::Integer
                                              : (v.cls == StoredValue::Real ? FieldType::Double : FieldType::VarWChar);
                break;
            }
            columns[c].type = t;
            if (t == FieldType::VarWChar)
                columns[c].definedSize = 255;
        }
    }

    // ---- writing ----

    const TableInfo *tableInfo(const QString &name) const
    {
        const TableInfo *t = conn->dialect ? conn->dialect->schema().table(name) : nullptr;
        if (!t)
            notAllowed(QStringLiteral("The rows of this recordset cannot be updated (no base table)."));
        return t;
    }

    // The one table the rows come from.
    QString singleBaseTable() const
    {
        QString table;
        for (const ColumnMeta &c : columns) {
            if (c.baseTable.isEmpty())
                continue;
            if (!table.isEmpty() && table.compare(c.baseTable, Qt::CaseInsensitive) != 0)
                notAllowed(QStringLiteral("New rows can only be added to a recordset of one table."));
            table = c.baseTable;
        }
        if (table.isEmpty())
            notAllowed(QStringLiteral("The rows of this recordset cannot be updated (no base table)."));
        return table;
    }

    int keyColumn(const QString &table) const
    {
        const TableInfo *t = tableInfo(table);
        if (t->primaryKey < 0)
            notAllowed(QStringLiteral("The table %1 has no key: its rows cannot be updated.").arg(table));
        const QString &key = t->columns[t->primaryKey].name;
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].baseTable.compare(table, Qt::CaseInsensitive) == 0
                && columns[i].baseColumn.compare(key, Qt::CaseInsensitive) == 0)
                return i;
        notAllowed(QStringLiteral("The key column %1 is not among the fields: the row cannot be updated.").arg(key));
    }

    void setField(int field, const QVariant &value)
    {
        requireUpdatable();
        if (mode == Browse) {
            currentRow();
            mode = Edit;
        }
        const ColumnMeta &c = columns[field];
        if (c.baseTable.isEmpty())
            notAllowed(QStringLiteral("The field %1 is an expression and cannot be updated.").arg(c.name));
        pending.insert(field, toStored(c.type, c.definedSize, value, c.name));
    }

    QVariant fieldValue(int field) const
    {
        if (mode != Browse) {
            const auto it = pending.constFind(field);
            if (it != pending.constEnd()) {
                CellView v;
                v.cls = it->cls;
                v.i = it->i;
                v.d = it->d;
                v.text = it->text.constData();
                v.length = int(it->text.size());
                return toVariant(columns[field].type, v);
            }
            if (mode == Add)
                return QVariant();
        }
        return toVariant(columns[field].type, store.cell(currentRow(), field));
    }

    qint64 insertRow()
    {
        const QString table = singleBaseTable();
        QList<int> fields = pending.keys();
        std::sort(fields.begin(), fields.end());
        QByteArray sql = "INSERT INTO " + quoted(table);
        if (fields.isEmpty()) {
            sql += " DEFAULT VALUES";
        } else {
            QByteArray names, params;
            for (int i = 0; i < fields.size(); ++i) {
                names += (i ? "," : "") + quoted(columns[fields[i]].baseColumn);
                params += (i ? ",?" : "?") + QByteArray::number(i + 1);
            }
            sql += " (" + names + ") VALUES (" + params + ")";
        }
        StmtPtr st = conn->prepareNative(sql);
        for (int i = 0; i < fields.size(); ++i)
            bindStored(st.get(), i + 1, pending.value(fields[i]));
        conn->runToEnd(st.get(), QString::fromUtf8(sql));
        const qint64 rowid = sqlite3_last_insert_rowid(conn->db);
        conn->lastInsertId = rowid;

        // Read the row back: the AutoNumber and the table's defaults become the loaded row's values.
        const int row = store.appendRow();
        QByteArray select;
        QList<int> fromTable;
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i].baseTable.compare(table, Qt::CaseInsensitive) != 0)
                continue;
            select += (fromTable.isEmpty() ? "" : ",") + quoted(columns[i].baseColumn);
            fromTable.append(i);
        }
        StmtPtr back = conn->prepareNative("SELECT " + select + " FROM " + quoted(table) + " WHERE rowid=?1");
        sqlite3_bind_int64(back.get(), 1, rowid);
        if (sqlite3_step(back.get()) == SQLITE_ROW) {
            RowStore one;
            one.reset(int(fromTable.size()));
            one.appendFromStatement(back.get());
            for (int k = 0; k < fromTable.size(); ++k) {
                const CellView v = one.cell(0, k);
                StoredValue s;
                s.cls = v.cls;
                s.i = v.i;
                s.d = v.d;
                if (v.cls == StoredValue::Text)
                    s.text = QByteArray(v.text, v.length);
                store.set(row, fromTable[k], s);
            }
        }
        // A new row shows at the end until the next requery, whatever the filter.
        visible.append(row + 1);
        positionsValid = false;
        pos = int(visible.size()) - 1;
        onDeleted = false;

        const TableInfo *t = tableInfo(table);
        if (t->primaryKey >= 0) {
            for (int k : fromTable)
                if (columns[k].baseColumn.compare(t->columns[t->primaryKey].name, Qt::CaseInsensitive) == 0) {
                    const CellView v = store.cell(row, k);
                    if (v.cls == StoredValue::Int)
                        return v.i;
                }
        }
        return rowid;
    }

    qint64 updateRow()
    {
        const int row = currentRow();
        QString table;
        for (auto it = pending.constBegin(); it != pending.constEnd(); ++it) {
            const QString &t = columns[it.key()].baseTable;
            if (!table.isEmpty() && table.compare(t, Qt::CaseInsensitive) != 0)
                notAllowed(QStringLiteral("The changed fields belong to more than one table."));
            table = t;
        }
        const int key = keyColumn(table);
        const CellView keyCell = store.cell(row, key);
        if (keyCell.cls == StoredValue::Null)
            noCurrentRecord();
        QList<int> fields = pending.keys();
        std::sort(fields.begin(), fields.end());
        QByteArray sql = "UPDATE " + quoted(table) + " SET ";
        for (int i = 0; i < fields.size(); ++i)
            sql += (i ? "," : "") + quoted(columns[fields[i]].baseColumn) + "=?" + QByteArray::number(i + 1);
        sql += " WHERE " + quoted(columns[key].baseColumn) + "=?" + QByteArray::number(fields.size() + 1);
        StmtPtr st = conn->prepareNative(sql);
        for (int i = 0; i < fields.size(); ++i)
            bindStored(st.get(), i + 1, pending.value(fields[i]));
        StoredValue k;
        k.cls = keyCell.cls;
        k.i = keyCell.i;
        k.d = keyCell.d;
        if (keyCell.cls == StoredValue::Text)
            k.text = QByteArray(keyCell.text, keyCell.length);
        bindStored(st.get(), fields.size() + 1, k);
        conn->runToEnd(st.get(), QString::fromUtf8(sql));
        if (sqlite3_changes(conn->db) != 1)
            notAllowed(QStringLiteral("Row cannot be located for updating: it was deleted or changed since it was read."),
                       ErrorKind::RowChanged);
        for (int f : fields)
            store.set(row, f, pending.value(f));
        return keyCell.cls == StoredValue::Int ? keyCell.i : 0;
    }

    qint64 update()
    {
        requireOpen();
        if (mode == Browse)
            return 0;
        conn->requireOpen();
        const qint64 id = mode == Add ? insertRow() : (pending.isEmpty() ? 0 : updateRow());
        mode = Browse;
        pending.clear();
        return id;
    }

    void finishEdit()
    {
        if (mode != Browse)
            update();
    }

    void deleteCurrent()
    {
        requireUpdatable();
        if (mode == Add) {
            mode = Browse;
            pending.clear();
            return;
        }
        mode = Browse;
        pending.clear();
        const int row = currentRow();
        QString table;
        for (const ColumnMeta &c : columns)
            if (!c.baseTable.isEmpty()) {
                table = c.baseTable;
                break;
            }
        if (table.isEmpty())
            notAllowed(QStringLiteral("The rows of this recordset cannot be deleted (no base table)."));
        const int key = keyColumn(table);
        const CellView keyCell = store.cell(row, key);
        const QByteArray sql = "DELETE FROM " + quoted(table) + " WHERE " + quoted(columns[key].baseColumn) + "=?1";
        StmtPtr st = conn->prepareNative(sql);
        if (keyCell.cls == StoredValue::Text)
            sqlite3_bind_text(st.get(), 1, keyCell.text, keyCell.length, SQLITE_TRANSIENT);
        else
            sqlite3_bind_int64(st.get(), 1, keyCell.i);
        conn->runToEnd(st.get(), QString::fromUtf8(sql));
        if (sqlite3_changes(conn->db) != 1)
            notAllowed(QStringLiteral("Row cannot be located for deletion: it was deleted or changed since it was read."),
                       ErrorKind::RowChanged);
        store.markDeleted(row);
        visible.remove(pos);
        positionsValid = false;
        onDeleted = true;            // MoveNext goes to the row that followed it
    }

    void move(int to)
    {
        requireOpen();
        finishEdit();
        onDeleted = false;
        pos = qBound(-1, to, int(visible.size()));
    }
};

// ---- Recordset -----------------------------------------------------------------------------------------

Recordset::Recordset()
    : m(std::make_unique<Impl>())
{
}

Recordset::~Recordset()
{
    Close();
}

void Recordset::Open(const QString &source, Connection &connection, CursorType cursor, LockType lock,
                     CommandType options)
{
    openOn(source, connection, cursor, lock, options, nullptr);
}

void Recordset::openOn(const QString &source, Connection &connection, CursorType cursor, LockType lock,
                       CommandType options, const std::function<void()> &statementReady)
{
    if (m->open)
        notAllowed(QStringLiteral("Operation is not allowed when the object is open."));
    m->conn = connection.impl();
    m->conn->requireOpen();
    m->source = source;
    m->cursor = cursor;
    m->lock = lock;
    m->options = options;
    m->load(statementReady);
    m->open = true;
}

void Recordset::Open(const QString &source, const QString &connectionString, CursorType cursor, LockType lock,
                     CommandType options, const std::function<void()> &statementReady)
{
    if (m->open)
        notAllowed(QStringLiteral("Operation is not allowed when the object is open."));
    auto own = std::make_unique<Connection>();
    own->Open(connectionString);
    openOn(source, *own, cursor, lock, options, statementReady);
    m->ownConnection = std::move(own);
}

void Recordset::Requery()
{
    m->requireOpen();
    m->mode = Impl::Browse;
    m->pending.clear();
    m->conn->requireOpen();
    m->load();
}

void Recordset::setMaxRecords(int count)
{
    m->maxRecords = qMax(0, count);
}

int Recordset::MaxRecords() const
{
    return m->maxRecords;
}

void Recordset::Close()
{
    // Pending edits are dropped; the rows and the connection are let go.
    m->mode = Impl::Browse;
    m->pending.clear();
    m->open = false;
    m->filter.reset();
    m->filterText.clear();
    m->store.reset(0);
    m->visible.clear();
    m->positionOfRow.clear();
    m->positionsValid = false;
    m->columns.clear();
    m->columnByName.clear();
    m->pos = -1;
    m->conn.reset();
    m->ownConnection.reset();
}

bool Recordset::isOpen() const { return m->open; }
QString Recordset::Source() const { return m->source; }

bool Recordset::EOF() const
{
    m->requireOpen();
    return m->mode != Impl::Add && !m->onDeleted && m->pos >= m->visible.size();
}

bool Recordset::BOF() const
{
    m->requireOpen();
    return m->mode != Impl::Add && (m->pos < 0 || m->visible.isEmpty());
}

void Recordset::MoveFirst() { m->move(0); }
void Recordset::MoveLast() { m->move(int(m->visible.size()) - 1); }

void Recordset::MoveNext()
{
    m->requireOpen();
    m->finishEdit();
    if (m->onDeleted) {
        m->onDeleted = false;            // the row after the deleted one already sits at pos
        return;
    }
    if (m->pos >= m->visible.size())
        noCurrentRecord();
    ++m->pos;
}

void Recordset::MovePrevious()
{
    m->requireOpen();
    m->finishEdit();
    if (m->pos < 0)
        noCurrentRecord();
    m->onDeleted = false;
    --m->pos;
}

int Recordset::RecordCount() const
{
    m->requireOpen();
    return int(m->visible.size());
}

int Recordset::AbsolutePosition() const
{
    m->requireOpen();
    return m->atRow() ? m->pos + 1 : 0;
}

void Recordset::setAbsolutePosition(int position)
{
    m->requireOpen();
    if (position < 1 || position > m->visible.size())
        throw RuntimeError(errors::DbFilterInvalid, databaseErrorSource(),
                           QStringLiteral("Position %1 is outside the %2 rows.").arg(position).arg(m->visible.size()));
    m->move(position - 1);
}

int Recordset::fieldCount() const
{
    m->requireOpen();
    return int(m->columns.size());
}

Field Recordset::Fields(int index) { return Field(this, m->checkedField(index)); }
Field Recordset::Fields(const QString &name) { return Field(this, m->checkedField(name)); }

QVariant Recordset::value(int index) const { return m->fieldValue(m->checkedField(index)); }
QVariant Recordset::value(const QString &name) const { return m->fieldValue(m->checkedField(name)); }

void Recordset::setValue(const QString &name, const QVariant &value) { m->setField(m->checkedField(name), value); }
void Recordset::setValue(int index, const QVariant &value) { m->setField(m->checkedField(index), value); }

int Recordset::fieldIndex(const QString &name) const
{
    return m->columnByName.value(name.toLower(), -1);
}

QString Recordset::fieldName(int index) const { return m->columns[m->checkedField(index)].name; }
FieldType Recordset::fieldType(int index) const { return m->columns[m->checkedField(index)].type; }
int Recordset::fieldDefinedSize(int index) const
{
    const auto &c = m->columns[m->checkedField(index)];
    return c.type == FieldType::VarWChar ? c.definedSize : 0;
}

void Recordset::AddNew()
{
    m->requireUpdatable();
    m->finishEdit();
    m->singleBaseTable();                // refuse early when rows cannot be added
    m->mode = Impl::Add;
    m->pending.clear();
}

qint64 Recordset::Update()
{
    return m->update();
}

void Recordset::CancelUpdate()
{
    m->requireOpen();
    m->mode = Impl::Browse;
    m->pending.clear();
}

void Recordset::Delete()
{
    m->deleteCurrent();
}

bool Recordset::editing() const
{
    return m->mode != Impl::Browse;
}

void Recordset::setFilter(const QString &filter, FilterScope scope)
{
    m->requireOpen();
    m->finishEdit();
    std::unique_ptr<RecordFilter> compiled;
    if (!filter.trimmed().isEmpty()) {
        QVector<RecordFilter::FieldInfo> fields;
        fields.reserve(m->columns.size());
        for (const ColumnMeta &c : m->columns)
            fields.append({c.name, c.type});
        compiled = RecordFilter::compile(filter, fields);     // raises and keeps the old filter
    }
    QVector<Bookmark> rows;
    const QVector<Bookmark> &visible = m->visible;
    if (scope == PassingRows && !compiled) {
        rows = visible;
    } else if (!compiled) {
        rows.reserve(m->store.rowCount());
        for (int r = 0; r < m->store.rowCount(); ++r)
            if (!m->store.isDeleted(r))
                rows.append(r + 1);
    } else if (scope == PassingRows) {
        rows = passingRows(*compiled, m->store, int(visible.size()), [&visible](int i) { return int(visible[i] - 1); });
    } else {
        rows = passingRows(*compiled, m->store, m->store.rowCount(), [](int i) { return i; });
    }
    m->filter = std::move(compiled);
    m->filterText = m->filter ? filter : QString();
    m->setVisible(std::move(rows));
}

QString Recordset::Filter() const
{
    return m->filterText;
}

Recordset::Bookmark Recordset::bookmark() const
{
    m->requireOpen();
    return Bookmark(m->currentRow()) + 1;
}

void Recordset::setBookmark(Bookmark bookmark)
{
    m->requireOpen();
    m->finishEdit();
    const int row = int(bookmark - 1);
    const int at = (bookmark < 1 || row >= m->store.rowCount() || m->store.isDeleted(row)) ? -1 : m->positionOf(row);
    if (at < 0)
        throw RuntimeError(errors::DbNoCurrentRecord, databaseErrorSource(),
                           QStringLiteral("The bookmark does not name a row of the recordset as filtered."));
    m->onDeleted = false;
    m->pos = at;
}

QVariant Recordset::valueAt(Bookmark bookmark, int field) const
{
    m->checkedField(field);
    const int row = int(bookmark - 1);
    if (bookmark < 1 || row >= m->store.rowCount() || m->store.isDeleted(row))
        noCurrentRecord();
    return toVariant(m->columns[field].type, m->store.cell(row, field));
}

CellView Recordset::cellAt(Bookmark bookmark, int field) const
{
    m->checkedField(field);
    const int row = int(bookmark - 1);
    if (bookmark < 1 || row >= m->store.rowCount() || m->store.isDeleted(row))
        noCurrentRecord();
    return m->store.cell(row, field);
}

int Recordset::loadedRowCount() const
{
    return m->store.rowCount();
}

const QVector<Recordset::Bookmark> &Recordset::visibleRows() const
{
    return m->visible;
}

// ---- Field ---------------------------------------------------------------------------------------------

QString Field::Name() const { return m_rs->fieldName(m_index); }
FieldType Field::Type() const { return m_rs->fieldType(m_index); }
int Field::DefinedSize() const { return m_rs->fieldDefinedSize(m_index); }
QVariant Field::Value() const { return m_rs->value(m_index); }
void Field::setValue(const QVariant &value) { m_rs->setValue(m_index, value); }

} // namespace platform
