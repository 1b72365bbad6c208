#pragma once

#include <QVariant>

// The values of an older database as the new database stores them. Each gives a null QVariant for Null.
namespace importtool {

// An amount as Currency, exactly: a Currency stays as it is; a real number is taken as the shortest decimal
// that reads back as the same double (0.1 + 0.2 gives 0.3, not 0.30000000000000004), rounded to four
// decimals as a conversion to Currency does; a whole number or a decimal text is taken as written.
// Raises RuntimeError for a value that is no amount, and one of kind AmountTooLarge for an amount beyond
// the largest amount the program takes in (either sign).
QVariant amountOf(const QVariant &value, const QString &column);

// A date without its time of day, as QDate. Raises RuntimeError for a value that is no date.
QVariant dateOf(const QVariant &value, const QString &column);

// A Yes/No value: True or False. Jet keeps no Null in a Yes/No column; a Null read from elsewhere is No.
bool yesNoOf(const QVariant &value);

// The first n characters of a text (Null stays Null).
QVariant leftOf(const QVariant &value, int n);

} // namespace importtool
