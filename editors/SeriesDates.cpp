#include "editors/SeriesDates.h"

namespace SeriesDates {

namespace {
constexpr char Letters[] = "dw2mbs4qy";
// Months per step of the month cadences, indexed by cadence (0 for the others).
constexpr int MonthsPerStep[CadenceCount] = {0, 0, 0, 1, 2, 3, 4, 6, 0};
bool isCadence(int cadence)
{
    return cadence >= 0 && cadence < CadenceCount;
}
} // namespace

QChar cadenceLetter(int cadence)
{
    return isCadence(cadence) ? QChar(QLatin1Char(Letters[cadence])) : QChar();
}

int cadenceTextId(int cadence)
{
    return 1150 + cadence;
}

bool usesMonthEndRule(int cadence)
{
    return isCadence(cadence) && MonthsPerStep[cadence] > 0;
}

bool IsLastDayOfMonth(const QDate &d)
{
    return d.isValid() && d.addDays(1).month() != d.month();
}

QDate LastDayOfMonth(const QDate &d)
{
    return d.isValid() ? QDate(d.year(), d.month(), d.daysInMonth()) : QDate();
}

QDate stepDate(const QDate &first, int cadence, int steps, bool monthEnd)
{
    if (!first.isValid() || !isCadence(cadence))
        return QDate();
    switch (cadence) {
    case Daily:
        return first.addDays(steps);
    case Weekly:
        return first.addDays(7LL * steps);
    case Biweekly:
        return first.addDays(14LL * steps);
    case Yearly:
        // QDate keeps the day and falls back to the month's last day, as a month shorter than the day needs.
        return first.addYears(steps);
    default: {
        const QDate d = first.addMonths(MonthsPerStep[cadence] * steps);
        return monthEnd ? LastDayOfMonth(d) : d;
    }
    }
}

QVector<QDate> seriesDates(const QDate &first, int cadence, int n)
{
    QVector<QDate> dates;
    dates.reserve(qMax(n, 0));
    const bool monthEnd = IsLastDayOfMonth(first);
    for (int k = 0; k < n; ++k)
        dates.append(stepDate(first, cadence, k, monthEnd));
    return dates;
}

} // namespace SeriesDates
