#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QVariant>

// Text of a value in a named format, in the user locale (platform::userLocale()):
//   "Short Date"  the locale's short date, with a four-digit year;
//   "Currency"    the locale's currency format, exact from the stored Currency (no rounding through double
//                 beyond the two shown decimals);
//   ""            the value's own text: dates as "Short Date", Currency with its decimals, numbers in the
//                 locale without grouping, text as it is.
// A platform::CurrencySum shows its exact sum, or text 2030 once it has overflowed; a Currency out of range
// (platform::Currency::outOfRange()) shows text 2160. Null gives "". An unknown format name is treated as "".
QString formatNamed(const QVariant &value, const QString &format);
QString formatNamed(const QVariant &value, const QString &format, const QLocale &locale);

// The user locale's short date pattern as formatNamed uses it (two-digit years widened to four).
QString shortDatePattern(const QLocale &locale);

// True for the whole-number kinds a value can hold (int, long long, short and their unsigned forms).
bool isWholeNumber(const QVariant &value);
