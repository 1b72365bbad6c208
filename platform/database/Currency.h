#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <compare>
#include <limits>
#include <optional>

namespace platform {

// Money: an exact 64-bit count of ten-thousandths, as the database's Currency type stores it.
// Never a double: sums of any number of rows are exact.
class Currency
{
public:
    static constexpr qint64 Scale = 10000;
    // The largest amount the program takes in, from the editors, the import or a database it reads:
    // 999 999 999 999.99. Every amount up to it is told apart to the cent even through a double, and a
    // CurrencySum adds millions of rows at it exactly.
    static constexpr qint64 MaxAmountRaw = 9'999'999'999'999'900;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(qint64 tenThousandths) { Currency c; c.m_raw = tenThousandths; return c; }
    static constexpr Currency fromUnits(qint64 units) { return fromRaw(units * Scale); }
    // Rounds half away from zero to four decimals, as a conversion to Currency does; a value beyond the
    // Currency range (or no number at all) is outOfRange().
    static Currency fromDouble(double value);
    // A count of ten-thousandths held as a real number (as the engine stores a result too large for an
    // integer), rounded half away from zero; beyond the 64-bit range (or no number at all) it is outOfRange().
    static Currency fromRawDouble(double tenThousandths);

    // An amount that no Currency holds: read from a real number beyond the 64-bit range, or the result of
    // arithmetic that left it. It is the smallest raw value, the one that has no opposite; it lies beyond
    // the largest amount, so whatever refuses such an amount refuses it, and a sum that meets it overflows.
    static constexpr Currency outOfRange() { return fromRaw(std::numeric_limits<qint64>::min()); }
    constexpr bool isOutOfRange() const { return m_raw == std::numeric_limits<qint64>::min(); }

    // Parses locale-independent text ("12.5", "-0.10", " 100"): optional blanks and sign, digits, an
    // optional period and up to four decimals. Anything else, or an overflow, gives no value.
    static std::optional<Currency> parse(const QString &text);
    // Parses text typed by the user in the given locale: its decimal separator, optional group
    // separators in their places, optional sign. Malformed text is refused, never truncated.
    static std::optional<Currency> parseLocale(const QString &text, const QLocale &locale);

    static constexpr Currency maxAmount() { return fromRaw(MaxAmountRaw); }
    // True when the amount, whatever its sign, lies beyond the largest amount.
    constexpr bool beyondMaxAmount() const { return m_raw > MaxAmountRaw || m_raw < -MaxAmountRaw; }

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Scale; }

    // Locale-independent text with only the digits needed: "12.5", "-3", "0.0001".
    QString toString() const;
    // Fixed decimals in a locale, with group separators ("1.234,50" in Italian). Exact over the whole
    // range: the rounding to the shown decimals never overflows.
    QString toLocaleString(const QLocale &locale, int decimals = 2) const;

    // Arithmetic never wraps: a result beyond the Currency range, or one made from outOfRange(), is
    // outOfRange().
    Currency operator+(Currency o) const;
    Currency operator-(Currency o) const;
    Currency operator-() const { return *this * -1; }
    Currency operator*(qint64 k) const;
    Currency &operator+=(Currency o) { return *this = *this + o; }
    Currency &operator-=(Currency o) { return *this = *this - o; }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    qint64 m_raw = 0;
};

// A sum of amounts, exact far beyond the Currency range: whole units and ten-thousandths kept apart, so
// that millions of rows at the largest amount still add up to the cent. Every addition is checked: a sum
// beyond even that, or one that meets Currency::outOfRange(), is marked as overflowed and stays so; it
// never wraps.
class CurrencySum
{
public:
    CurrencySum() = default;
    explicit CurrencySum(Currency amount) { *this += amount; }
    CurrencySum &operator+=(Currency amount);
    // Adds whole units (a whole-number column summed with amounts).
    CurrencySum &addUnits(qint64 units);

    bool overflowed() const { return m_overflowed; }
    // True when the sum is an amount Currency holds; value() is then that amount.
    bool fitsCurrency() const;
    Currency value() const;
    double toDouble() const { return double(m_units) + double(m_fraction) / Currency::Scale; }

    // Fixed decimals in a locale, with group separators, exact at any size (rounded half away from zero to
    // the shown decimals); "" once overflowed.
    QString toLocaleString(const QLocale &locale, int decimals = 2) const;

private:
    qint64 m_units = 0;      // whole units
    qint64 m_fraction = 0;   // ten-thousandths, |m_fraction| < Scale, never of the other sign than m_units
    bool m_overflowed = false;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::Currency)
Q_DECLARE_METATYPE(platform::CurrencySum)
