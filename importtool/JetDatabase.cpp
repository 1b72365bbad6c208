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

} // namespace

struct JetDatabase::Impl {
    MdbHandle *mdb = nullptr;
    ~Impl()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

JetDatabase::JetDatabase(const QString &file)
    : m_file(file), m(std::make_unique<Impl>())
{
    m->mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!m->mdb)
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                              QStringLiteral("Unrecognized database format '%1'.").arg(file));
    mdb_set_bind_size(m->mdb, BindSize);
    mdb_set_boolean_fmt_numbers(m->mdb);
    if (!mdb_read_catalog(m->mdb, MDB_TABLE))
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                              QStringLiteral("The tables of '%1' cannot be read.").arg(file));
}

JetDatabase::~JetDatabase() = default;

QStringList JetDatabase::tableNames()
{
    QStringList names;
    for (unsigned int i = 0; i < m->mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(m->mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            names.append(QString::fromUtf8(entry->object_name));
    }
    return names;
}

OldTable JetDatabase::readTable(const QString &name)
{
    QByteArray tableName = name.toUtf8();
    std::unique_ptr<MdbTableDef, TableDefDeleter> table(mdb_read_table_by_name(m->mdb, tableName.data(), MDB_TABLE));
    if (!table)
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseIncomplete, name,
                              QStringLiteral("The table '%1' cannot be found in '%2'.").arg(name, m_file));
    if (!mdb_read_columns(table.get()))
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(m_file),
                              QStringLiteral("The columns of the table '%1' in '%2' cannot be read.").arg(name, m_file));

    const int count = int(table->num_cols);
    QStringList names;
    std::vector<MdbColumn *> columns(count);
    std::vector<std::unique_ptr<char[]>> bound(count);
    for (int i = 0; i < count; ++i) {
        columns[i] = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        names.append(QString::fromUtf8(columns[i]->name));
        if (isBound(columns[i]->col_type)) {
            bound[i] = std::make_unique<char[]>(BindSize);
            bound[i][0] = '\0';
            mdb_bind_column(table.get(), i + 1, bound[i].get(), nullptr);
        }
    }

    OldTable result(name, names);
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
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
                raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(m_file),
                                      QStringLiteral("The table '%1' of '%2' is damaged.").arg(name, m_file));
            const unsigned char *p = m->mdb->pg_buf + start;
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
        result.appendRow(std::move(row));
    }
    return result;
}

} // namespace importtool
