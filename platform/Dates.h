#pragma once

#include <QDate>

namespace platform {

// The two-digit-year rule of the whole program, for SQL date literals and for dates the user types alike:
// 0..29 is 2000..2029, 30..99 is 1930..1999. Years of 100 or more are returned unchanged.
int expandTwoDigitYear(int year);

// The range of dates the database keeps.
inline QDate firstStoredDate() { return QDate(100, 1, 1); }
inline QDate lastStoredDate() { return QDate(9999, 12, 31); }

} // namespace platform
