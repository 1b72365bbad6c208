#include "BareList.h"

#include "platform/database/JetDialect.h"
#include "platform/database/Schema.h"
#include "platform/database/SqlFunctions.h"

#include <QDate>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <sqlite3.h>

#include <algorithm>
#include <numeric>

namespace bare {

namespace {

sqlite3 *openFile(const QString &dbFile)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbFile).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(dbFile));
    platform::registerSqlFunctions(db);
    return db;
}

sqlite3_stmt *prepare(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        qFatal("cannot prepare %s: %s", sql.constData(), sqlite3_errmsg(db));
    return st;
}

int columnNamed(sqlite3_stmt *st, const char *name)
{
    for (int c = 0; c < sqlite3_column_count(st); ++c)
        if (qstricmp(sqlite3_column_name(st, c), name) == 0)
            return c;
    qFatal("the statement has no column %s", name);
}

QString text(sqlite3_stmt *st, int c)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)), sqlite3_column_bytes(st, c));
}

} // namespace

QByteArray translated(const QString &dbFile, const QString &jetSql)
{
    sqlite3 *db = openFile(dbFile);
    platform::JetDialect dialect(platform::Schema::read(db));
    sqlite3_close(db);
    return dialect.translateUncached(jetSql).sql;
}

int runStatement(const QString &dbFile, const QByteArray &sql)
{
    sqlite3 *db = openFile(dbFile);
    sqlite3_stmt *st = prepare(db, sql);
    const int columns = sqlite3_column_count(st);
    int rows = 0;
    qint64 sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: sink += sqlite3_column_int64(st, c); break;
            case SQLITE_FLOAT: sink += qint64(sqlite3_column_double(st, c)); break;
            case SQLITE_NULL: break;
            default: sink += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) ? 1 : 0); break;
            }
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return sink == -1 ? -1 : rows;
}

QDate firstDate(const QString &dbFile, const QByteArray &sql)
{
    sqlite3 *db = openFile(dbFile);
    sqlite3_stmt *st = prepare(db, sql);
    QDate d;
    if (sqlite3_step(st) == SQLITE_ROW)
        d = QDate::fromString(text(st, 0).left(10), Qt::ISODate);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return d;
}

std::vector<Row> loadRows(const QString &dbFile, const QByteArray &sql)
{
    sqlite3 *db = openFile(dbFile);
    sqlite3_stmt *st = prepare(db, sql);
    const int id = columnNamed(st, "TrRowId"), done = columnNamed(st, "TrDone"), date = columnNamed(st, "TrDate"),
              description = columnNamed(st, "TrDescription"), value = columnNamed(st, "TrValue"),
              account = columnNamed(st, "AcName");
    std::vector<Row> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        Row r;
        r.id = sqlite3_column_int64(st, id);
        r.done = sqlite3_column_int(st, done) != 0;
        r.day = int(QDate::fromString(text(st, date).left(10), Qt::ISODate).toJulianDay());
        r.description = text(st, description);
        r.account = text(st, account);
        r.value = sqlite3_column_int64(st, value);
        rows.push_back(std::move(r));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

RowsModel::RowsModel(std::vector<Row> rows, QObject *parent)
    : QAbstractTableModel(parent)
{
    setRows(std::move(rows));
}

void RowsModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_sorted.resize(m_rows.size());
    std::iota(m_sorted.begin(), m_sorted.end(), 0);
    m_shown.clear();
    endResetModel();
    sortByDate(m_direction);
}

void RowsModel::filter(const QString &text)
{
    // The rows stay in their sorted order: only the ones that pass are kept.
    beginResetModel();
    m_text = text;
    m_shown.clear();
    for (int i : m_sorted)
        if (text.isEmpty() || m_rows[size_t(i)].description.contains(text, Qt::CaseInsensitive)
            || m_rows[size_t(i)].account.contains(text, Qt::CaseInsensitive))
            m_shown.push_back(i);
    endResetModel();
}

void RowsModel::sortByDate(int direction)
{
    m_direction = direction;
    std::sort(m_sorted.begin(), m_sorted.end(), [&](int a, int b) {
        const Row &x = m_rows[size_t(a)], &y = m_rows[size_t(b)];
        if (x.day != y.day)
            return (x.day < y.day) == (direction > 0);
        return (x.id < y.id) == (direction > 0);
    });
    filter(m_text);
}

int RowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int RowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant RowsModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    const Row &r = m_rows[size_t(m_shown[size_t(index.row())])];
    switch (index.column()) {
    case 0: return QString::number(r.id);
    case 1: return QLocale().toString(QDate::fromJulianDay(r.day), QLocale::ShortFormat);
    case 2: return r.description;
    case 3: return r.account;
    default: return QLocale().toString(double(r.value) / 10000.0, 'f', 2);
    }
}

QVariant RowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char *const names[] = {"Id", "Date", "Description", "Client/Supplier", "Amount"};
    return QString::fromLatin1(names[section]);
}

void writePdf(const std::vector<Row> &rows, const QString &file)
{
    QPdfWriter writer(file);
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    QPainter p(&writer);
    QFont font;
    font.setPointSizeF(9);
    p.setFont(font);
    const QLocale locale;
    const int lineHeight = int(writer.resolution() * 0.2);
    const int width = writer.width();
    const int columns[5] = {0, width / 10, width * 2 / 10, width * 6 / 10, width * 85 / 100};
    int y = 0;
    for (const Row &r : rows) {
        if (y + lineHeight > writer.height()) {
            writer.newPage();
            y = 0;
        }
        const QString texts[5] = {QString::number(r.id), locale.toString(QDate::fromJulianDay(r.day), QLocale::ShortFormat),
                                  r.description, r.account, locale.toString(double(r.value) / 10000.0, 'f', 2)};
        for (int c = 0; c < 5; ++c) {
            const int right = c + 1 < 5 ? columns[c + 1] : width;
            p.drawText(QRect(columns[c], y, right - columns[c], lineHeight), Qt::AlignLeft | Qt::AlignVCenter, texts[c]);
        }
        y += lineHeight;
    }
}

View::View(RowsModel *model)
{
    m_view.setModel(model);
    m_view.setRootIsDecorated(false);
    m_view.setUniformRowHeights(true);
    m_view.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view.header()->setStretchLastSection(false);
    m_view.resize(900, 600);
    for (int c = 0; c < 5; ++c)
        m_view.setColumnWidth(c, c == 2 ? 340 : 130);
}

void View::paint()
{
    m_view.viewport()->repaint();
}

} // namespace bare
