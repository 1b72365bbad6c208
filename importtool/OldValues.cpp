#include "importtool/OldValues.h"

#include "importtool/OldDatabase.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/database/DecimalText.h"
#include "platform/database/JetDate.h"

#include <QDate>
#include <QDateTime>

#include <charconv>
#include <cmath>

namespace importtool {

namespace {
[[noreturn]] void notA(const char *what, const QVariant &value, const QString &column)
{
    raiseOldDatabaseError(platform::ErrorKind::OldValueUnreadable, column,
                          QStringLiteral("The value '%1' of the column '%2' is not %3.")
                              .arg(value.toString(), column, QLatin1String(what)));
}

// An amount the program takes in: whatever its sign, not beyond the largest amount.
QVariant checkedAmount(platform::Currency amount, const QString &column)
{
    if (amount.beyondMaxAmount())
        throw platform::RuntimeError(platform::errors::DbGeneric, oldDatabaseErrorSource(),
                                     QStringLiteral("The amount %1 of the column '%2' is beyond the largest amount %3.")
                                         .arg(amount.isOutOfRange() ? QStringLiteral("(out of range)") : amount.toString(),
                                              column, platform::Currency::maxAmount().toString()),
                                     platform::ErrorKind::AmountTooLarge, column);
    return QVariant::fromValue(amount);
}

} // namespace

QVariant amountOf(const QVariant &value, const QString &column)
{
    using platform::Currency;
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (value.metaType() == QMetaType::fromType<Currency>())
        return checkedAmount(value.value<Currency>(), column);
    QString text;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            notA("an amount", value, column);
        char buffer[64];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
        text = QString::fromLatin1(buffer, r.ptr - buffer);
        break;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::UChar:
    case QMetaType::SChar:
        text = QString::number(value.toLongLong());
        break;
    case QMetaType::QString:
        text = value.toString().trimmed();
        break;
    default:
        notA("an amount", value, column);
    }
    const auto raw = platform::parseScaledDecimal(text, 4);
    if (raw)
        return checkedAmount(Currency::fromRaw(*raw), column);
    // A real number is an amount whatever its size: beyond the Currency range it is too large.
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return checkedAmount(Currency::outOfRange(), column);
    notA("an amount", value, column);
}

QVariant dateOf(const QVariant &value, const QString &column)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDate:
        if (value.toDate().isValid())
            return value;
        break;
    case QMetaType::QDateTime:
        if (value.toDateTime().isValid())
            return value.toDateTime().date();
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        auto parsed = platform::parseStoredDate(text);
        if (!parsed)
            parsed = platform::parseDateLiteral(text);
        if (parsed && parsed->date.isValid())
            return parsed->date;
        break;
    }
    default:
        break;
    }
    notA("a date", value, column);
}

bool yesNoOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString) {
        const QString s = value.toString().trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || (s.toLongLong() != 0);
    }
    return value.toDouble() != 0;
}

QVariant leftOf(const QVariant &value, int n)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    return value.toString().left(n);
}

} // namespace importtool
