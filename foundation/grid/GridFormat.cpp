#include "foundation/grid/GridFormat.h"

#include "foundation/cLang.h"
#include "platform/controls/DateText.h"
#include "platform/database/Currency.h"
#include "platform/shell/Shell.h"

#include <QDateTime>

#include <cmath>
#include <limits>

using platform::Currency;

namespace {

const QString kShortDate = QStringLiteral("short date");
const QString kCurrency = QStringLiteral("currency");

// The amount a numeric value stands for, exactly; nullopt when the value is not a number.
std::optional<platform::CurrencySum> asAmount(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<platform::CurrencySum>())
        return value.value<platform::CurrencySum>();
    if (value.metaType() == QMetaType::fromType<Currency>())
        return platform::CurrencySum(value.value<Currency>());
    if (isWholeNumber(value))
        return platform::CurrencySum().addUnits(value.toLongLong());
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!(std::fabs(d) < double(std::numeric_limits<qint64>::max() / Currency::Scale)))
            return std::nullopt;
        return platform::CurrencySum(Currency::fromDouble(d));
    }
    case QMetaType::QString:
        if (const auto c = Currency::parse(value.toString()))
            return platform::CurrencySum(*c);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<QDate> asDate(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::QString: {
        const QDate d = QDate::fromString(value.toString().left(10), Qt::ISODate);
        if (d.isValid())
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// The locale's currency text for an exact amount: the locale's own pattern around our exact digits. A sum
// too large for any amount says so.
QString currencyText(const platform::CurrencySum &amount, const QLocale &locale)
{
    if (amount.overflowed())
        return LRS(2030);
    QString digits = amount.toLocaleString(locale, 2);
    const bool negative = digits.startsWith(locale.negativeSign());
    if (negative)
        digits.remove(0, locale.negativeSign().size());
    // The pattern of the locale: symbol place, sign place and blanks, as it writes one unit.
    const QString unit = locale.toString(1.0, 'f', 2);
    QString pattern = locale.toCurrencyString(negative ? -1.0 : 1.0, QString(), 2);
    const qsizetype at = pattern.indexOf(unit);
    if (at < 0)
        return (negative ? QStringLiteral("-") : QString()) + digits;
    pattern.replace(at, unit.size(), digits);
    return pattern;
}

} // namespace

QString shortDatePattern(const QLocale &locale)
{
    return platform::DateText::pattern(locale);
}

QString formatNamed(const QVariant &value, const QString &format)
{
    return formatNamed(value, format, platform::userLocale());
}

QString formatNamed(const QVariant &value, const QString &format, const QLocale &locale)
{
    if (!value.isValid() || value.isNull())
        return QString();
    // An amount that no Currency holds shows no number in any format: it says it is too large.
    if (value.metaType() == QMetaType::fromType<Currency>() && value.value<Currency>().isOutOfRange())
        return LRS(2160);
    const QString name = format.trimmed().toLower();
    if (name == kCurrency) {
        if (const auto amount = asAmount(value))
            return currencyText(*amount, locale);
        return value.toString();
    }
    if (name == kShortDate) {
        if (const auto date = asDate(value))
            return locale.toString(*date, shortDatePattern(locale));
        return value.toString();
    }
    switch (value.metaType().id()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return locale.toString(*asDate(value), shortDatePattern(locale));
    case QMetaType::Double:
    case QMetaType::Float: {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(value.toDouble(), 'g', 15);
    }
    case QMetaType::QString:
        return value.toString();
    default:
        break;
    }
    if (value.metaType() == QMetaType::fromType<platform::CurrencySum>()) {
        const auto sum = value.value<platform::CurrencySum>();
        if (sum.overflowed())
            return LRS(2030);
        // Only the decimals the sum needs, with the locale's decimal separator.
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        QString text = sum.toLocaleString(plain, 4);
        while (text.endsWith(plain.zeroDigit()))
            text.chop(plain.zeroDigit().size());
        if (text.endsWith(plain.decimalPoint()))
            text.chop(plain.decimalPoint().size());
        return text;
    }
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        const Currency c = value.value<Currency>();
        // Only the decimals the amount needs, with the locale's decimal separator.
        QString text = c.toString();
        return text.replace(QLatin1Char('.'), locale.decimalPoint());
    }
    return value.toString();
}

bool isWholeNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}
