#pragma once

// The cadences of a recurring series and the dates of its rows.
//
// A series of n rows starts on its first date; row k (1..n) lies k - 1 steps after it, always counted
// from the first date, never from the row before (so a monthly series from 31 January gives 28 February
// and then 31 March, not 28 March). Adding months or years keeps the day of the month and falls back to
// the month's last day when the target month is shorter (29 February + 1 year = 28 February). For the
// month cadences, a series whose first date is the last day of its month stays on last days.

#include <QChar>
#include <QDate>
#include <QVector>

namespace SeriesDates {

// The cadences in the order of the frequency list: daily, weekly, every two weeks, every 1, 2, 3, 4 and
// 6 months, yearly.
enum Cadence : int {
    Daily = 0,
    Weekly = 1,
    Biweekly = 2,
    Monthly = 3,
    Bimonthly = 4,
    Quarterly = 5,
    FourMonthly = 6,
    Biannual = 7,
    Yearly = 8,
};
constexpr int CadenceCount = 9;

// The letter a series row stores in TrGrpType for the cadence: one of "dw2mbs4qy"; a null QChar for an
// index outside 0..8.
QChar cadenceLetter(int cadence);
// The text id of the cadence's name in the frequency list (1150 .. 1158).
int cadenceTextId(int cadence);
// True for the five cadences counted in months, which keep a series on the months' last days.
bool usesMonthEndRule(int cadence);

// True when the day after d lies in another month.
bool IsLastDayOfMonth(const QDate &d);
// The last day of d's month.
QDate LastDayOfMonth(const QDate &d);

// The date `steps` cadence steps after `first` (steps = k - 1 for row k). monthEnd: the first date is a
// month's last day, so month cadences land on last days too. An invalid date for an invalid cadence.
QDate stepDate(const QDate &first, int cadence, int steps, bool monthEnd);
// The dates of the n rows of a series, in row order.
QVector<QDate> seriesDates(const QDate &first, int cadence, int n);

} // namespace SeriesDates
