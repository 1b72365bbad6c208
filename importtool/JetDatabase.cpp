// glib's and libmdb's headers come first: Qt's keyword macros must not reach them. glib is included on its
// own before libmdb's header, which would otherwise take it into a C-linkage block.
#include <glib.h>
#include <mdbtools.h>

#include "importtool/JetDatabase.h"

#include "platform/database/Currency.h"
#include "platform/database/JetDate.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace importtool {

namespace {

// The longest text or memo value read whole (UTF-8 bytes). A longer one is refused, never cut.
constexpr size_t BindSize = size_t(1) << 20;

struct TableDefDeleter {
    void operator()(MdbTableDef *t) const { mdb_free_tabledef(t); }
};

// Columns whose value libmdb converts to text for us: texts and memos (code page or compressed Unicode to
// UTF-8), Yes/No (kept in the row's null mask), exact decimals and replication ids.
bool isBound(int type)
{
    return type == MDB_TEXT || type == MDB_MEMO || type == MDB_BOOL || type == MDB_NUMERIC || type == MDB_REPID;
}

// The bytes a value of a fixed-size kind takes.
int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT:
    case MDB_FLOAT: return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME: return 8;
    default: return 0;
    }
}

// A date column: days since 30 December 1899, the fraction the time of day. Before that day Jet keeps the
// sign on the whole days only (-1.25 is 29 December 1899, 06:00). Nothing for a number that is no date.
QVariant jetDate(double serial)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 3.0e6)
        return QVariant();
    const double days = std::trunc(serial);
    platform::DateValue v = platform::dateFromSerial(days);
    v.time = platform::dateFromSerial(std::fabs(serial - days)).time;
    return v.time ? QVariant(v.toDateTime()) : QVariant(v.date);
}

// The file as libmdb reads it. libmdb zero-fills a page it finds cut short and skips one it finds beyond the
// end with no more than a warning, so a damaged file would read as a smaller database. Its stream is
// replaced by this one, which tells of every such read: it gives the file's whole pages only, and reports an
// end far beyond the real one so that libmdb asks for a missing page instead of skipping it unseen.
class WholePages
{
public:
    explicit WholePages(const QString &file) : m_fd(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC))
    {
        struct stat st {};
        if (m_fd >= 0 && ::fstat(m_fd, &st) == 0)
            m_size = st.st_size;
    }
    ~WholePages()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WholePages(const WholePages &) = delete;
    WholePages &operator=(const WholePages &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    qint64 size() const { return m_size; }
    // True once a read asked for bytes the file does not hold.
    bool missed() const { return m_missed; }

    // A stream reading through this object; libmdb closes it, which leaves the file to this object.
    FILE *stream()
    {
        static const cookie_io_functions_t io = {&WholePages::read, nullptr, &WholePages::seek, &WholePages::close};
        FILE *f = fopencookie(this, "r", io);
        if (f)
            setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }

private:
    static ssize_t read(void *cookie, char *buffer, size_t size)
    {
        auto *self = static_cast<WholePages *>(cookie);
        if (self->m_pos < 0 || self->m_pos + qint64(size) > self->m_size) {
            self->m_missed = true;
            return -1;
        }
        const ssize_t n = ::pread(self->m_fd, buffer, size, self->m_pos);
        if (n != ssize_t(size)) {
            self->m_missed = true;
            return -1;
        }
        self->m_pos += n;
        return n;
    }
    static int seek(void *cookie, off64_t *offset, int whence)
    {
        auto *self = static_cast<WholePages *>(cookie);
        const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? self->m_pos : self->m_size + FarBeyondTheEnd;
        if (base + *offset < 0)
            return -1;
        self->m_pos = base + *offset;
        *offset = self->m_pos;
        return 0;
    }
    static int close(void *) { return 0; }

    static constexpr qint64 FarBeyondTheEnd = qint64(1) << 40;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    bool m_missed = false;
};

} // namespace

struct JetDatabase::Impl {
    explicit Impl(const QString &name) : file(name), pages(name) {}
    ~Impl()
    {
        if (mdb)
            mdb_close(mdb);
    }
    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    [[noreturn]] void raiseDamaged(const QString &why) const;
    std::vector<MdbCatalogEntry *> catalogTables() const;
    // Reads a table to its last row, and gives the number of its rows; the rows are kept only when asked.
    OldTable read(MdbCatalogEntry *entry, bool keepRows, qint64 *rowsRead = nullptr);
    OldTable::Row currentRow(const QString &table, const QStringList &names, const std::vector<MdbColumn *> &columns,
                             const std::vector<std::unique_ptr<char[]>> &bound) const;

    QString file;
    WholePages pages;
    MdbHandle *mdb = nullptr;
};

JetDatabase::JetDatabase(const QString &file)
    : m_file(file), m(std::make_unique<Impl>(file))
{
    m->mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!m->mdb || !m->pages.isOpen())
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                              QStringLiteral("Unrecognized database format '%1'.").arg(file));
    // A Jet file is made of whole pages; one that is not was cut short or written over at its end.
    const qint64 pageSize = m->mdb->fmt->pg_size;
    if (m->pages.size() < 2 * pageSize || m->pages.size() % pageSize != 0)
        m->raiseDamaged(QStringLiteral("its size is not a whole number of pages"));
    FILE *stream = m->pages.stream();
    if (!stream)
        m->raiseDamaged(QStringLiteral("it cannot be opened for reading"));
    std::fclose(m->mdb->f->stream);
    m->mdb->f->stream = stream;
    mdb_set_bind_size(m->mdb, BindSize);
    mdb_set_boolean_fmt_numbers(m->mdb);
    if (!mdb_read_catalog(m->mdb, MDB_ANY) || m->pages.missed())
        m->raiseDamaged(QStringLiteral("its tables cannot be read"));
    // The catalog is the table MSysObjects, whose definition is always on page 2: every one of its rows must
    // have been read, or tables would be missing unseen.
    MdbCatalogEntry catalog{};
    catalog.mdb = m->mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    std::strcpy(catalog.object_name, "MSysObjects");
    qint64 catalogRows = 0;
    m->read(&catalog, false, &catalogRows);
    if (catalogRows != qint64(m->mdb->num_catalog))
        m->raiseDamaged(QStringLiteral("its catalog cannot be read whole"));
}

JetDatabase::~JetDatabase() = default;

void JetDatabase::Impl::raiseDamaged(const QString &why) const
{
    raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                          QStringLiteral("The file '%1' cannot be read whole: %2.").arg(file, why));
}

// The tables of the catalog, the system's own among them.
std::vector<MdbCatalogEntry *> JetDatabase::Impl::catalogTables() const
{
    std::vector<MdbCatalogEntry *> tables;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE)
            tables.push_back(entry);
    }
    return tables;
}

QStringList JetDatabase::tableNames()
{
    QStringList names;
    for (MdbCatalogEntry *entry : m->catalogTables())
        if (!mdb_is_system_table(entry))
            names.append(QString::fromUtf8(entry->object_name));
    return names;
}

OldTable JetDatabase::readTable(const QString &name)
{
    for (MdbCatalogEntry *entry : m->catalogTables())
        if (QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) == 0)
            return m->read(entry, true);
    raiseTableMissing(name, m_file);
}

QVector<OldTable> JetDatabase::readTables(const QStringList &names)
{
    // Every table is read to its last row, so that a file damaged anywhere is told before any of it is used.
    QVector<OldTable> wanted;
    for (MdbCatalogEntry *entry : m->catalogTables()) {
        const bool keep = names.contains(QString::fromUtf8(entry->object_name), Qt::CaseInsensitive);
        OldTable table = m->read(entry, keep);
        if (keep)
            wanted.append(std::move(table));
    }
    return wanted;
}

OldTable JetDatabase::Impl::read(MdbCatalogEntry *entry, bool keepRows, qint64 *rowsRead)
{
    const QString name = QString::fromUtf8(entry->object_name);
    std::unique_ptr<MdbTableDef, TableDefDeleter> table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()) || pages.missed())
        raiseDamaged(QStringLiteral("the definition of the table '%1' cannot be read").arg(name));

    const int count = int(table->num_cols);
    QStringList names;
    std::vector<MdbColumn *> columns(count);
    std::vector<std::unique_ptr<char[]>> bound(count);
    for (int i = 0; i < count; ++i) {
        columns[i] = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        names.append(QString::fromUtf8(columns[i]->name));
        if (keepRows && isBound(columns[i]->col_type)) {
            bound[i] = std::make_unique<char[]>(BindSize);
            bound[i][0] = '\0';
            mdb_bind_column(table.get(), i + 1, bound[i].get(), nullptr);
        }
    }

    // The table's definition holds its number of rows: fewer rows read means pages lost, more means
    // pages that lead back into each other.
    OldTable result(name, names);
    const qint64 stored = table->num_rows;
    qint64 fetched = 0;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        if (pages.missed())
            break;
        if (++fetched > stored)
            raiseDamaged(QStringLiteral("the table '%1' gives more rows than it holds").arg(name));
        if (keepRows)
            result.appendRow(currentRow(name, names, columns, bound));
    }
    if (pages.missed() || fetched != stored)
        raiseDamaged(QStringLiteral("%1 of the %2 rows of the table '%3' can be read").arg(fetched).arg(stored).arg(name));
    if (rowsRead)
        *rowsRead = fetched;
    return result;
}

OldTable::Row JetDatabase::Impl::currentRow(const QString &name, const QStringList &names,
                                            const std::vector<MdbColumn *> &columns,
                                            const std::vector<std::unique_ptr<char[]>> &bound) const
{
    const int count = int(columns.size());
    OldTable::Row row(count);
    for (int i = 0; i < count; ++i) {
        const MdbColumn *col = columns[i];
        if (col->col_type == MDB_BOOL) {
            row[i] = bound[i][0] == '1';
            continue;
        }
        // libmdb gives a zero-length text and Null alike: both read as Null.
        const int start = col->cur_value_start;
        const int size = col->cur_value_len;
        if (size <= 0)
            continue;
        if (bound[i]) {
            const size_t length = std::strlen(bound[i].get());
            if (length + 1 >= BindSize)
                raiseOldDatabaseError(platform::ErrorKind::OldValueUnreadable, name + QLatin1Char('.') + names[i],
                                      QStringLiteral("A value of the column '%1' of the table '%2' is too long to be read.")
                                          .arg(names[i], name));
            const QString text = QString::fromUtf8(bound[i].get(), qsizetype(length));
            if (col->col_type == MDB_NUMERIC)
                row[i] = text.toDouble();
            else
                row[i] = text;
            continue;
        }
        if (start < 0 || start + size > MDB_PGSIZE || size < fixedSize(col->col_type))
            raiseDamaged(QStringLiteral("a row of the table '%1' is damaged").arg(name));
        const unsigned char *p = mdb->pg_buf + start;
        switch (col->col_type) {
        case MDB_BYTE: row[i] = int(p[0]); break;
        case MDB_INT: row[i] = int(qFromLittleEndian<qint16>(p)); break;
        case MDB_LONGINT: row[i] = int(qFromLittleEndian<qint32>(p)); break;
        case MDB_MONEY:
            row[i] = QVariant::fromValue(platform::Currency::fromRaw(qFromLittleEndian<qint64>(p)));
            break;
        case MDB_FLOAT: row[i] = double(std::bit_cast<float>(qFromLittleEndian<quint32>(p))); break;
        case MDB_DOUBLE: row[i] = std::bit_cast<double>(qFromLittleEndian<quint64>(p)); break;
        case MDB_DATETIME:
            row[i] = jetDate(std::bit_cast<double>(qFromLittleEndian<quint64>(p)));
            if (!row[i].isValid())
                raiseOldDatabaseError(platform::ErrorKind::OldValueUnreadable, name + QLatin1Char('.') + names[i],
                                      QStringLiteral("A value of the column '%1' of the table '%2' is no date.")
                                          .arg(names[i], name));
            break;
        case MDB_BINARY: row[i] = QByteArray(reinterpret_cast<const char *>(p), size); break;
        default: break;      // OLE objects and other kinds are not read
        }
    }
    return row;
}

} // namespace importtool
