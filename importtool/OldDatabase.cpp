#include "importtool/OldDatabase.h"

#include "importtool/JetDatabase.h"
#include "importtool/SqliteOldDatabase.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace importtool {

OldTable::OldTable(QString name, QStringList columns)
    : m_name(std::move(name)), m_columns(std::move(columns))
{
}

void OldTable::appendRow(Row row)
{
    row.resize(m_columns.size());
    m_rows.append(std::move(row));
}

int OldTable::column(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    raiseOldDatabaseError(platform::ErrorKind::OldDatabaseIncomplete, m_name + QLatin1Char('.') + name,
                          QStringLiteral("The table '%1' has no column '%2'.").arg(m_name, name));
}

QVector<OldTable::Row> OldTable::sortedBy(const QString &keyColumn) const
{
    const int k = column(keyColumn);
    QVector<Row> sorted = m_rows;
    std::stable_sort(sorted.begin(), sorted.end(), [k](const Row &a, const Row &b) {
        const auto ka = wholeNumberOf(a[k]);
        const auto kb = wholeNumberOf(b[k]);
        if (!ka || !kb)
            return !ka && kb.has_value();
        return *ka < *kb;
    });
    return sorted;
}

std::optional<qint64> wholeNumberOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::UChar:
    case QMetaType::SChar:
        return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
            return std::nullopt;
        return qint64(d);
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

OldDatabase::~OldDatabase() = default;

QVector<OldTable> OldDatabase::readTables(const QStringList &names)
{
    const QStringList present = tableNames();
    QVector<OldTable> tables;
    for (const QString &name : names)
        if (present.contains(name, Qt::CaseInsensitive))
            tables.append(readTable(name));
    return tables;
}

QString oldDatabaseErrorSource()
{
    return QStringLiteral("OrvelDbTools.OldDatabase");
}

void raiseOldDatabaseError(platform::ErrorKind kind, const QString &subject, const QString &description)
{
    throw platform::RuntimeError(platform::errors::DbGeneric, oldDatabaseErrorSource(), description, kind, subject);
}

void raiseTableMissing(const QString &table, const QString &file)
{
    raiseOldDatabaseError(platform::ErrorKind::OldDatabaseIncomplete, table,
                          QStringLiteral("The table '%1' cannot be found in '%2'.").arg(table, file));
}

std::unique_ptr<OldDatabase> openOldDatabase(const QString &file)
{
    const QFileInfo fi(file);
    if (!fi.exists() || !fi.isFile())
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                              QStringLiteral("Could not find file '%1'.").arg(file));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                              QStringLiteral("The file '%1' cannot be read: %2").arg(file, f.errorString()));
    const QByteArray head = f.read(32);
    f.close();
    // A Jet 3 or Jet 4 file names its engine at byte 4; an SQLite file begins with its own signature.
    if (head.mid(4, 15) == "Standard Jet DB")
        return std::make_unique<JetDatabase>(file);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return std::make_unique<SqliteOldDatabase>(file);
    raiseOldDatabaseError(platform::ErrorKind::OldDatabaseUnreadable, QDir::toNativeSeparators(file),
                          QStringLiteral("Unrecognized database format '%1'.").arg(file));
}

} // namespace importtool
