#include "editors/AmountText.h"

#include "foundation/cLang.h"

using platform::Currency;

namespace AmountText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

// The text with the group separators that typing or pasting gave it put back in the locale's own form
// (see parse); the text unchanged when nothing is to be put back.
QString regrouped(const QString &text, const QLocale &locale)
{
    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    QString s = text;
    if (group.size() == 1 && isBlank(group.at(0)))
        for (QChar &c : s)
            if (isBlank(c))
                c = group.at(0);
    if (group != QLatin1String(".") || decimal == group || s.count(decimal) < 2)
        return s;
    const qsizetype last = s.lastIndexOf(decimal);
    const QString tail = s.mid(last + decimal.size());
    bool threeDigits = tail.size() == 3;
    for (QChar c : tail)
        threeDigits = threeDigits && c.isDigit();
    QString head = s.left(last);
    head.replace(decimal, group);
    return head + (threeDigits ? group : decimal) + tail;
}

} // namespace

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
    auto value = Currency::parseLocale(s, locale);
    if (!value)
        value = Currency::parseLocale(regrouped(s, locale), locale);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

Refusal refusalOf(std::optional<Currency> amount)
{
    if (!amount)
        return Refusal::Malformed;
    // An amount read beyond the Currency range has no sign to speak of: it is too large.
    if (amount->isOutOfRange())
        return Refusal::TooLarge;
    if (amount->raw() < 0)
        return Refusal::Negative;
    if (roundToCents(*amount) > Currency::maxAmount())
        return Refusal::TooLarge;
    return Refusal::None;
}

Refusal refusalOf(const QString &typed, const QLocale &locale)
{
    const std::optional<Currency> amount = parse(typed, locale);
    const Refusal refusal = refusalOf(amount);
    if (refusal == Refusal::None && roundToCents(*amount) != *amount)
        return Refusal::TooManyDecimals;
    return refusal;
}

QString refusalText(Refusal refusal, const QLocale &locale)
{
    const QString example = Currency::fromRaw(12'345'600).toLocaleString(locale, 2);
    switch (refusal) {
    case Refusal::Malformed: return LRSV(2031, example);
    case Refusal::Negative: return LRSV(2032, example);
    case Refusal::TooLarge: return LRSV(2033, Currency::maxAmount().toLocaleString(locale, 2));
    case Refusal::TooManyDecimals: return LRSV(2201, example);
    case Refusal::None: break;
    }
    return QString();
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
