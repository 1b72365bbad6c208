#include "platform/database/Currency.h"

#include <QtNumeric>

#include <cmath>
#include <limits>

namespace platform {

namespace {

// The whole part of an amount in a locale, grouped by threes with the locale's separator. Qt leaves the
// leading group without its separator in a locale that writes four-digit numbers ungrouped (Spanish:
// "1000.000.001.210"); the locale's rule is kept for the numbers it is about (1000, 10.000), and every
// larger number is grouped throughout.
QString groupedWhole(quint64 units, const QLocale &locale)
{
    // A locale of other digits writes them its own way.
    if (locale.zeroDigit() != QStringLiteral("0"))
        return locale.toString(qulonglong(units));
    QString digits = QString::number(units);
    const QString group = locale.groupSeparator();
    if ((locale.numberOptions() & QLocale::OmitGroupSeparator) || group.isEmpty())
        return digits;
    const qsizetype count = digits.size();
    if (count <= 3 || (count == 4 && !locale.toString(qulonglong(1000)).contains(group)))
        return digits;
    for (qsizetype at = count - 3; at > 0; at -= 3)
        digits.insert(at, group);
    return digits;
}

} // namespace

Currency Currency::fromDouble(double value)
{
    return fromRawDouble(value * Scale);
}

Currency Currency::fromRawDouble(double tenThousandths)
{
    const double rounded = tenThousandths < 0 ? std::ceil(tenThousandths - 0.5) : std::floor(tenThousandths + 0.5);
    // 2^63 is the first whole real number beyond the range; -2^63 itself is outOfRange() all the same.
    constexpr double Beyond = 9223372036854775808.0;
    if (!(rounded > -Beyond && rounded < Beyond))
        return outOfRange();
    return fromRaw(qint64(rounded));
}

Currency Currency::operator+(Currency o) const
{
    qint64 r = 0;
    if (isOutOfRange() || o.isOutOfRange() || qAddOverflow(m_raw, o.m_raw, &r))
        return outOfRange();
    return fromRaw(r);
}

Currency Currency::operator-(Currency o) const
{
    qint64 r = 0;
    if (isOutOfRange() || o.isOutOfRange() || qSubOverflow(m_raw, o.m_raw, &r))
        return outOfRange();
    return fromRaw(r);
}

Currency Currency::operator*(qint64 k) const
{
    qint64 r = 0;
    if (isOutOfRange() || qMulOverflow(m_raw, k, &r))
        return outOfRange();
    return fromRaw(r);
}

namespace {

// Digits, one optional separator and up to four decimals; sign already taken off.
std::optional<qint64> parseMagnitude(const QString &digits, QChar decimalPoint)
{
    qint64 units = 0;
    qint64 fraction = 0;
    int fractionDigits = 0;
    bool inFraction = false;
    bool anyDigit = false;
    for (QChar ch : digits) {
        if (ch == decimalPoint && !inFraction) {
            inFraction = true;
            continue;
        }
        if (!ch.isDigit() || ch.unicode() > '9')
            return std::nullopt;
        anyDigit = true;
        const int d = ch.unicode() - '0';
        if (inFraction) {
            if (++fractionDigits > 4)
                return std::nullopt;
            fraction = fraction * 10 + d;
        } else {
            if (units > (std::numeric_limits<qint64>::max() / Currency::Scale - d) / 10)
                return std::nullopt;
            units = units * 10 + d;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    while (fractionDigits++ < 4)
        fraction *= 10;
    return units * Currency::Scale + fraction;
}

std::optional<Currency> parseSigned(QString text, QChar decimalPoint)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        negative = text.startsWith(QLatin1Char('-'));
        text = text.mid(1).trimmed();
    }
    const auto magnitude = parseMagnitude(text, decimalPoint);
    if (!magnitude)
        return std::nullopt;
    return Currency::fromRaw(negative ? -*magnitude : *magnitude);
}

} // namespace

std::optional<Currency> Currency::parse(const QString &text)
{
    return parseSigned(text, QLatin1Char('.'));
}

std::optional<Currency> Currency::parseLocale(const QString &text, const QLocale &locale)
{
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    // Group separators are accepted only between groups of three digits of the whole part.
    if (!group.isEmpty() && group != decimal && s.contains(group)) {
        const qsizetype dp = s.indexOf(decimal);
        QString whole = dp >= 0 ? s.left(dp) : s;
        const QString rest = dp >= 0 ? s.mid(dp) : QString();
        QString sign;
        if (whole.startsWith(QLatin1Char('-')) || whole.startsWith(QLatin1Char('+'))) {
            sign = whole.left(1);
            whole = whole.mid(1);
        }
        const QStringList parts = whole.split(group);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const qsizetype len = parts[i].size();
            if ((i == 0 && (len < 1 || len > 3)) || (i > 0 && len != 3))
                return std::nullopt;
        }
        s = sign + parts.join(QString()) + rest;
    }
    if (decimal.size() != 1)
        return std::nullopt;
    return parseSigned(s, decimal.at(0));
}

QString Currency::toString() const
{
    const bool negative = m_raw < 0;
    // Work on the unsigned magnitude so that the smallest value does not overflow.
    const quint64 mag = negative ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    QString s = QString::number(mag / Scale);
    quint64 frac = mag % Scale;
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + s : s;
}

QString Currency::toLocaleString(const QLocale &locale, int decimals) const
{
    return CurrencySum(*this).toLocaleString(locale, decimals);
}

CurrencySum &CurrencySum::operator+=(Currency amount)
{
    if (amount.isOutOfRange())
        m_overflowed = true;
    if (m_overflowed)
        return *this;
    // Both parts keep the sign of the amount (C++ division truncates towards zero).
    m_fraction += amount.raw() % Currency::Scale;
    qint64 carry = amount.raw() / Currency::Scale;
    if (m_fraction >= Currency::Scale) {
        m_fraction -= Currency::Scale;
        ++carry;
    } else if (m_fraction <= -Currency::Scale) {
        m_fraction += Currency::Scale;
        --carry;
    }
    if (qAddOverflow(m_units, carry, &m_units)) {
        m_overflowed = true;
        return *this;
    }
    // One sign for both parts: 3 units and -0.25 are 2 units and 0.75.
    if (m_units > 0 && m_fraction < 0) {
        --m_units;
        m_fraction += Currency::Scale;
    } else if (m_units < 0 && m_fraction > 0) {
        ++m_units;
        m_fraction -= Currency::Scale;
    }
    return *this;
}

CurrencySum &CurrencySum::addUnits(qint64 units)
{
    if (!m_overflowed && qAddOverflow(m_units, units, &m_units))
        m_overflowed = true;
    if (!m_overflowed && ((m_units > 0 && m_fraction < 0) || (m_units < 0 && m_fraction > 0))) {
        m_units += m_units > 0 ? -1 : 1;
        m_fraction += m_fraction < 0 ? Currency::Scale : -Currency::Scale;
    }
    return *this;
}

bool CurrencySum::fitsCurrency() const
{
    qint64 raw = 0;
    return !m_overflowed && !qMulOverflow(m_units, Currency::Scale, &raw) && !qAddOverflow(raw, m_fraction, &raw);
}

Currency CurrencySum::value() const
{
    return fitsCurrency() ? Currency::fromRaw(m_units * Currency::Scale + m_fraction) : Currency();
}

QString CurrencySum::toLocaleString(const QLocale &locale, int decimals) const
{
    if (m_overflowed)
        return QString();
    decimals = qBound(0, decimals, 4);
    const bool negative = m_units < 0 || m_fraction < 0;
    // Magnitudes: the unsigned whole part has room for the smallest qint64 and for a carry from rounding.
    quint64 units = negative ? quint64(0) - quint64(m_units) : quint64(m_units);
    const quint64 fraction = quint64(m_fraction < 0 ? -m_fraction : m_fraction);
    quint64 divisor = 1;
    for (int i = decimals; i < 4; ++i)
        divisor *= 10;
    quint64 shown = fraction / divisor + (2 * (fraction % divisor) >= divisor ? 1 : 0);
    const quint64 oneUnit = quint64(Currency::Scale) / divisor;
    if (shown == oneUnit) {
        ++units;
        shown = 0;
    }
    QString s = groupedWhole(units, locale);
    if (decimals > 0)
        s += locale.decimalPoint() + QString::number(shown).rightJustified(decimals, QLatin1Char('0'));
    return negative && (units != 0 || shown != 0) ? locale.negativeSign() + s : s;
}

} // namespace platform
