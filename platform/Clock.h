#pragma once

#include <QDate>
#include <QDateTime>

namespace platform {

// The one clock of the program: "today" in SQL (Date()) and in C++ both come from here, so tests can fix it.
QDate today();
QDateTime now();

// Tests fix the clock; an invalid value returns to the system clock. With a fixed date and no fixed time,
// now() gives the fixed date at the current time of day.
void setToday(const QDate &date);
void setNow(const QDateTime &dateTime);

} // namespace platform
