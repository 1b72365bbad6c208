#pragma once

// Amounts typed in the editors: read in the user's locale, kept to cents, shown back as a plain number.

#include "platform/database/Currency.h"

#include <QLocale>
#include <QString>
#include <optional>

namespace AmountText {

// The amount a field holds, read in the locale: a number with the locale's decimal separator and,
// optionally, its group separators in their places, a sign, and the locale's currency symbol as the field
// shows an amount in the currency format ("$1,200.50", "1.200,50 €"). Where the group separator is the
// full stop, which the key filter turns into the decimal separator as it is typed, "1.234,56" reaches the
// field as "1,234,56": with more than one decimal separator, all but the last are group separators, and
// so is the last when three digits follow it. Where the group separator is a blank, any blank serves.
// Anything else, more than four decimals or an overflow gives no value: a malformed amount is refused,
// never cut.
std::optional<platform::Currency> parse(const QString &text, const QLocale &locale);

// Why an amount is refused: not a number, below zero, or (rounded to cents) beyond the largest amount.
// An amount typed in an editor is also refused with more than two decimals: a cent is the smallest
// amount one types, and "1,234" where the full stop typed as a thousands separator became the decimal
// separator must not be taken as 1,23. Amounts as stored are not refused for their decimals.
enum class Refusal { None, Malformed, Negative, TooLarge, TooManyDecimals };
Refusal refusalOf(std::optional<platform::Currency> amount);
Refusal refusalOf(const QString &typed, const QLocale &locale);
// What the editor tells the user, with an example of an accepted amount or the largest one, written in
// the locale; "" for Refusal::None.
QString refusalText(Refusal refusal, const QLocale &locale);

// The amount as a plain number in the locale: its decimal separator, no grouping, only the digits needed
// ("1200,5" in Italian).
QString plain(platform::Currency amount, const QLocale &locale);

// amount / n rounded to cents, an exact half going to the even cent; computed exactly, never through a
// double. n must be 1 or more.
platform::Currency divideToCents(platform::Currency amount, int n);
// The amount rounded to cents in the same way (what the amount field keeps when the user leaves it).
platform::Currency roundToCents(platform::Currency amount);

} // namespace AmountText
