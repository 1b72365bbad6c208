#pragma once

struct sqlite3;

namespace platform {

// Registers on a connection what the translated Jet dialect calls on (JetDialect.h):
//   collation JETTEXT              case- and accent-insensitive text order (TextFold.h)
//   like(pattern, text)            LIKE with Jet wildcards * ? # [..] [!..], case- and accent-insensitive
//                                  (Jet has no ESCAPE clause; LIKE ... ESCAPE is refused)
//   jet_date()  jet_now()          today (platform::today()) as 'yyyy-mm-dd'; now with the time
//   jet_datediff(interval, d1, d2[, firstDayOfWeek])   "yyyy" "q" "m" "y" "d" "w" "ww" "h" "n" "s"
//   jet_year(d) jet_month(d) jet_day(d) jet_weekday(d[, firstDayOfWeek])
//   jet_dateserial(year, month, day)   a date as 'yyyy-mm-dd'; months and days carry over as in Jet
//   jet_concat(a, b, ...)          text concatenation, Null as empty; Null when every part is Null
//   jet_nz(v[, default])           v, or default ('' without one) when v is Null
// Every function gives Null for a Null date, as Jet does. Raises RuntimeError when registration fails.
void registerSqlFunctions(sqlite3 *db);

} // namespace platform
