#include "platform/Clock.h"

namespace platform {

namespace {
QDate g_fixedDate;
QDateTime g_fixedNow;
}

QDate today()
{
    if (g_fixedNow.isValid())
        return g_fixedNow.date();
    if (g_fixedDate.isValid())
        return g_fixedDate;
    return QDate::currentDate();
}

QDateTime now()
{
    if (g_fixedNow.isValid())
        return g_fixedNow;
    if (g_fixedDate.isValid())
        return QDateTime(g_fixedDate, QTime::currentTime());
    return QDateTime::currentDateTime();
}

void setToday(const QDate &date)
{
    g_fixedDate = date;
}

void setNow(const QDateTime &dateTime)
{
    g_fixedNow = dateTime;
}

} // namespace platform
