#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace platform {

// Dates as the user reads and types them: the locale's short date.
namespace DateText {

// The locale's short date pattern with its two-digit year widened to four ("M/d/yyyy" in English (United
// States), "dd/MM/yyyy" in Italian): the form in which every date is shown.
QString pattern(const QLocale &locale);
// The date in that form.
QString format(const QDate &date, const QLocale &locale);

// Why a text is not a date.
enum class Refusal {
    None,
    Malformed,   // not day, month and year in the locale's order; a month past 12, a day past 31, a
                 // date the database does not keep
    NoSuchDay,   // a day from 29 to 31 that the month does not have (2/30/2027)
};

struct Reading {
    QDate date;               // the date the text holds; null when refused
    Refusal refusal = Refusal::Malformed;
    QDate monthEnd;           // with NoSuchDay: the last day of the month the text names
};

// Reads a date as people type it in the locale: day, month and year in the order of the locale's short
// date, one or two digits for day and month, two or four digits for the year (two digits by the program's
// one rule, expandTwoDigitYear), separated by the locale's own separator or by any of / . - and blanks.
// Blanks around the text are ignored, and so is a closing separator where the locale's pattern ends with
// one. The date must lie within the dates the database keeps.
Reading read(const QString &text, const QLocale &locale);

} // namespace DateText

} // namespace platform
