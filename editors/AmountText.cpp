#include "editors/AmountText.h"

using platform::Currency;

namespace AmountText {

std::optional<Currency> parse(const QString &text, const QLocale &locale)
{
    QString s = text.trimmed();
    bool negative = false;
    if (s.size() >= 2 && s.startsWith(QLatin1Char('(')) && s.endsWith(QLatin1Char(')'))) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    if (!symbol.isEmpty()) {
        // The symbol at either end, or between the sign and the digits ("-$5.00").
        if (s.endsWith(symbol))
            s = s.left(s.size() - symbol.size()).trimmed();
        else if (s.startsWith(symbol))
            s = s.mid(symbol.size()).trimmed();
        else {
            for (const QString &sign : {locale.negativeSign(), QStringLiteral("-"), QStringLiteral("+")}) {
                if (!sign.isEmpty() && s.startsWith(sign) && s.mid(sign.size()).trimmed().startsWith(symbol)) {
                    s = sign + s.mid(sign.size()).trimmed().mid(symbol.size()).trimmed();
                    break;
                }
            }
        }
    }
    const QString minus = locale.negativeSign();
    if (!minus.isEmpty() && minus != QLatin1String("-") && s.startsWith(minus))
        s = QLatin1Char('-') + s.mid(minus.size());
    if (negative && (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))))
        return std::nullopt;
    const auto value = Currency::parseLocale(s, locale);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

QString plain(Currency amount, const QLocale &locale)
{
    QString s = amount.toString();
    s.replace(QLatin1Char('.'), locale.decimalPoint());
    if (s.startsWith(QLatin1Char('-')))
        s = locale.negativeSign() + s.mid(1);
    return s;
}

Currency divideToCents(Currency amount, int n)
{
    constexpr qint64 RawPerCent = Currency::Scale / 100;
    const qint64 a = amount.raw();
    const qint64 d = RawPerCent * qMax(n, 1);
    qint64 q = a / d;
    const qint64 r = a % d;   // same sign as a
    const qint64 sign = a < 0 ? -1 : 1;
    const qint64 twice = 2 * (r < 0 ? -r : r);
    if (twice > d || (twice == d && (q % 2) != 0))
        q += sign;
    return Currency::fromRaw(q * RawPerCent);
}

Currency roundToCents(Currency amount)
{
    return divideToCents(amount, 1);
}

} // namespace AmountText
