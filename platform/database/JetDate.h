#pragma once

#include "platform/Dates.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

namespace platform {

// Dates as the database stores them: ISO text "yyyy-mm-dd", plus " hh:mm:ss" only when a time is meant.
// Dates as the SQL texts write them: between number signs, month first: #03/05/2024#, #03/05/24#
// (two-digit years by expandTwoDigitYear, platform/Dates.h).

// A date or date and time; time is empty for a plain date.
struct DateValue {
    QDate date;
    std::optional<QTime> time;
    QString toIso() const;               // "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss"
    QDateTime toDateTime() const { return QDateTime(date, time.value_or(QTime(0, 0))); }
};

// The text between the number signs of a date literal: "mm/dd/yyyy", "mm/dd/yy", "yyyy-mm-dd", each with
// an optional time "hh:mm[:ss] [AM|PM]". As Jet does, month and day swap when the month is over 12 and the
// day is not. A midnight time counts as no time. No value when the text is no valid date.
std::optional<DateValue> parseDateLiteral(QStringView text);

// A value stored in a date column ("yyyy-mm-dd" or "yyyy-mm-dd hh:mm[:ss]"); fast, no allocation.
std::optional<DateValue> parseStoredDate(const char *text, int length);
std::optional<DateValue> parseStoredDate(QStringView text);

// A date from a day serial number (days since 30 December 1899, fractions for the time of day).
DateValue dateFromSerial(double serial);

} // namespace platform
