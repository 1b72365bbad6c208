#include "platform/database/DecimalText.h"

#include <QString>
#include <limits>

namespace platform {

std::optional<qint64> parseScaledDecimal(QStringView text, int scale)
{
    QStringView s = text.trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == QLatin1Char('-') || s.front() == QLatin1Char('+'))) {
        negative = s.front() == QLatin1Char('-');
        s = s.mid(1).trimmed();
    }
    // Mantissa digits (without the point) and the position of the point among them.
    QString digits;
    qsizetype pointAt = -1;
    qsizetype i = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() >= '0' && c.unicode() <= '9')
            digits += c;
        else if (c == QLatin1Char('.') && pointAt < 0)
            pointAt = digits.size();
        else
            break;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = digits.size();
    if (i < s.size()) {
        if (s[i] != QLatin1Char('e') && s[i] != QLatin1Char('E'))
            return std::nullopt;
        bool ok = false;
        const int exponent = s.mid(i + 1).toInt(&ok);
        if (!ok || exponent > 400 || exponent < -400)
            return std::nullopt;
        pointAt += exponent;
    }
    // The scaled value is digits[0 .. pointAt + scale) as an integer; the digits after that decide rounding.
    const qsizetype intEnd = pointAt + scale;
    __extension__ typedef unsigned __int128 Wide; // a GCC and Clang type: pedantic builds are told so
    Wide value = 0;
    constexpr Wide limit = Wide(std::numeric_limits<qint64>::max()) + 1;
    for (qsizetype k = 0; k < intEnd; ++k) {
        const int d = k >= 0 && k < digits.size() ? digits[k].unicode() - '0' : 0;
        value = value * 10 + d;
        if (value > limit)
            return std::nullopt;
    }
    // Rounding: first dropped digit and whether anything non-zero follows it.
    int first = 0;
    bool restNonZero = false;
    for (qsizetype k = qMax<qsizetype>(intEnd, 0); k < digits.size(); ++k) {
        const int d = digits[k].unicode() - '0';
        if (k == intEnd)
            first = d;
        else if (d)
            restNonZero = true;
    }
    if (intEnd < 0) {
        // Every digit lies beyond the scale; the value rounds to zero.
        first = 0;
        restNonZero = false;
    }
    if (first > 5 || (first == 5 && (restNonZero || (value & 1))))
        ++value;
    if (value > limit || (value == limit && !negative))
        return std::nullopt;
    if (negative)
        return value == limit ? std::numeric_limits<qint64>::min() : -qint64(value);
    return qint64(value);
}

} // namespace platform
