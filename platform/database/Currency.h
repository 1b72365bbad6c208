#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <compare>
#include <optional>

namespace platform {

// Money: an exact 64-bit count of ten-thousandths, as the database's Currency type stores it.
// Never a double: sums of any number of rows are exact.
class Currency
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 tenThousandths) { Currency c; c.m_raw = tenThousandths; return c; }
    static constexpr Currency fromUnits(qint64 units) { return fromRaw(units * Scale); }
    // Rounds half away from zero to four decimals, as a conversion to Currency does.
    static Currency fromDouble(double value);

    // Parses locale-independent text ("12.5", "-0.10", " 100"): optional blanks and sign, digits, an
    // optional period and up to four decimals. Anything else, or an overflow, gives no value.
    static std::optional<Currency> parse(const QString &text);
    // Parses text typed by the user in the given locale: its decimal separator, optional group
    // separators in their places, optional sign. Malformed text is refused, never truncated.
    static std::optional<Currency> parseLocale(const QString &text, const QLocale &locale);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Scale; }

    // Locale-independent text with only the digits needed: "12.5", "-3", "0.0001".
    QString toString() const;
    // Fixed decimals in a locale, with group separators ("1.234,50" in Italian).
    QString toLocaleString(const QLocale &locale, int decimals = 2) const;

    constexpr Currency operator+(Currency o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr Currency operator-() const { return fromRaw(-m_raw); }
    constexpr Currency operator*(qint64 k) const { return fromRaw(m_raw * k); }
    Currency &operator+=(Currency o) { m_raw += o.m_raw; return *this; }
    Currency &operator-=(Currency o) { m_raw -= o.m_raw; return *this; }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    qint64 m_raw = 0;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::Currency)
