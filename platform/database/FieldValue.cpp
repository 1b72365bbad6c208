#include "platform/database/FieldValue.h"

#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/database/JetDate.h"
#include "platform/database/SqliteSupport.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace platform {

namespace {

QVariant naturalValue(const CellView &c)
{
    switch (c.cls) {
    case StoredValue::Null: return QVariant();
    case StoredValue::Int:
        if (c.i >= std::numeric_limits<int>::min() && c.i <= std::numeric_limits<int>::max())
            return QVariant(int(c.i));
        return QVariant(qlonglong(c.i));
    case StoredValue::Real: return QVariant(c.d);
    case StoredValue::Text: return QVariant(QString::fromUtf8(c.text, c.length));
    }
    return QVariant();
}

[[noreturn]] void mismatch(const QString &field, const QVariant &value)
{
    throw RuntimeError(errors::DbTypeMismatch, databaseErrorSource(),
                       QStringLiteral("Data type mismatch: the field %1 cannot hold the value '%2'.")
                           .arg(field, value.toString()));
}

[[noreturn]] void overflow(const QString &field, const QVariant &value)
{
    throw RuntimeError(errors::DbTypeMismatch, databaseErrorSource(),
                       QStringLiteral("Overflow: the value '%2' is out of range for the field %1.")
                           .arg(field, value.toString()));
}

bool isCurrency(const QVariant &v)
{
    return v.metaType() == QMetaType::fromType<Currency>();
}

bool isText(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QString || v.metaType().id() == QMetaType::QByteArray;
}

bool isFloating(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

qint64 wholeNumber(const QVariant &v, const QString &field)
{
    if (isCurrency(v)) {
        const qint64 raw = v.value<Currency>().raw();
        return raw / Currency::Scale + (2 * (raw % Currency::Scale) >= Currency::Scale ? 1 : 0)
               - (2 * (raw % Currency::Scale) <= -Currency::Scale ? 1 : 0);
    }
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    if (isFloating(v)) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
            overflow(field, v);
        return std::llrint(d);           // halves to even, as the engine rounds
    }
    bool ok = false;
    const qint64 n = isText(v) ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
    if (!ok)
        mismatch(field, v);
    return n;
}

} // namespace

QVariant toVariant(FieldType type, const CellView &c)
{
    if (c.cls == StoredValue::Null)
        return QVariant();
    switch (type) {
    case FieldType::Currency:
        if (c.cls == StoredValue::Int)
            return QVariant::fromValue(Currency::fromRaw(c.i));
        // A real number is what the engine keeps when a result does not fit an integer: beyond the 64-bit
        // range it reads as out of range, never as a wrapped amount.
        if (c.cls == StoredValue::Real)
            return QVariant::fromValue(Currency::fromRawDouble(c.d));
        break;
    case FieldType::Date:
        if (c.cls == StoredValue::Text) {
            if (const auto d = parseStoredDate(c.text, c.length))
                return d->time ? QVariant(d->toDateTime()) : QVariant(d->date);
        }
        break;
    case FieldType::Boolean:
        if (c.cls == StoredValue::Int)
            return QVariant(c.i != 0);
        if (c.cls == StoredValue::Real)
            return QVariant(c.d != 0);
        break;
    case FieldType::Double:
        if (c.cls == StoredValue::Int)
            return QVariant(double(c.i));
        break;
    default:
        break;
    }
    return naturalValue(c);
}

StoredValue toStored(FieldType type, int definedSize, const QVariant &v, const QString &field)
{
    if (!v.isValid() || v.isNull())
        return StoredValue();
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::BigInt: {
        const qint64 n = wholeNumber(v, field);
        if ((type == FieldType::SmallInt && (n < -32768 || n > 32767))
            || (type == FieldType::Integer && (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())))
            overflow(field, v);
        return StoredValue::integer(n);
    }
    case FieldType::Currency: {
        if (isCurrency(v))
            return StoredValue::integer(v.value<Currency>().raw());
        if (isFloating(v)) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.2e14)
                overflow(field, v);
            return StoredValue::integer(Currency::fromDouble(d).raw());
        }
        if (isText(v)) {
            const auto c = Currency::parse(v.toString());
            if (!c)
                mismatch(field, v);
            return StoredValue::integer(c->raw());
        }
        const qint64 units = wholeNumber(v, field);
        if (units > std::numeric_limits<qint64>::max() / Currency::Scale
            || units < std::numeric_limits<qint64>::min() / Currency::Scale)
            overflow(field, v);
        return StoredValue::integer(Currency::fromUnits(units).raw());
    }
    case FieldType::Date: {
        DateValue d;
        if (v.metaType().id() == QMetaType::QDate) {
            d.date = v.toDate();
        } else if (v.metaType().id() == QMetaType::QDateTime) {
            const QDateTime dt = v.toDateTime();
            d.date = dt.date();
            if (dt.time() != QTime(0, 0))
                d.time = QTime(dt.time().hour(), dt.time().minute(), dt.time().second());
        } else if (isText(v)) {
            const QString s = v.toString().trimmed();
            auto parsed = parseStoredDate(s);
            if (!parsed)
                parsed = parseDateLiteral(s);
            if (!parsed)
                mismatch(field, v);
            d = *parsed;
        } else {
            mismatch(field, v);
        }
        if (!d.date.isValid())
            mismatch(field, v);
        return StoredValue::utf8(d.toIso().toLatin1());
    }
    case FieldType::Boolean: {
        if (isText(v)) {
            const QString s = v.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                return StoredValue::integer(1);
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                return StoredValue::integer(0);
        }
        return StoredValue::integer(wholeNumber(v, field) != 0 ? 1 : 0);
    }
    case FieldType::Double: {
        bool ok = false;
        const double d = isCurrency(v) ? v.value<Currency>().toDouble() : v.toDouble(&ok);
        if (!isCurrency(v) && !ok)
            mismatch(field, v);
        return StoredValue::real(d);
    }
    case FieldType::VarWChar:
    case FieldType::LongVarWChar:
    case FieldType::Empty: {
        QString s;
        if (isCurrency(v))
            s = v.value<Currency>().toString();
        else if (v.metaType().id() == QMetaType::QDate)
            s = v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        else
            s = v.toString();
        if (type == FieldType::VarWChar && definedSize > 0 && s.size() > definedSize)
            throw RuntimeError(errors::DbTypeMismatch, databaseErrorSource(),
                               QStringLiteral("The field %1 is too small to accept the amount of data you attempted "
                                              "to add (%2 characters, at most %3).")
                                   .arg(field).arg(s.size()).arg(definedSize),
                               ErrorKind::TextTooLong, field);
        if (s.contains(QChar(0)))
            throw RuntimeError(errors::DbTypeMismatch, databaseErrorSource(),
                               QStringLiteral("The text for the field %1 holds a NUL character.").arg(field),
                               ErrorKind::TextNotStorable, field);
        return StoredValue::utf8(s.toUtf8());
    }
    }
    return StoredValue();
}

void bindStored(sqlite3_stmt *st, int index, const StoredValue &v)
{
    switch (v.cls) {
    case StoredValue::Null: sqlite3_bind_null(st, index); break;
    case StoredValue::Int: sqlite3_bind_int64(st, index, v.i); break;
    case StoredValue::Real: sqlite3_bind_double(st, index, v.d); break;
    case StoredValue::Text:
        sqlite3_bind_text(st, index, v.text.constData(), int(v.text.size()), SQLITE_TRANSIENT);
        break;
    }
}

} // namespace platform
