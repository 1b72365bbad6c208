#include "platform/database/SqlFunctions.h"

#include "platform/Clock.h"
#include "platform/database/JetDate.h"
#include "platform/database/JetPattern.h"
#include "platform/database/SqliteSupport.h"
#include "platform/database/TextFold.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace platform {

namespace {

int collateJetText(void *, int lenA, const void *a, int lenB, const void *b)
{
    return compareFoldedUtf8(static_cast<const char *>(a), lenA, static_cast<const char *>(b), lenB);
}

QString valueText(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context *ctx, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context *ctx, const QString &message)
{
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), int(utf8.size()));
}

// A date argument: stored ISO text, or a day serial number. No value for Null; an error is set for
// anything else.
std::optional<DateValue> dateArgument(sqlite3_context *ctx, sqlite3_value *v, bool *failed)
{
    *failed = false;
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return dateFromSerial(sqlite3_value_double(v));
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
        const int n = sqlite3_value_bytes(v);
        auto d = parseStoredDate(p, n);
        if (!d)
            d = parseDateLiteral(QString::fromUtf8(p, n));
        if (!d) {
            *failed = true;
            resultError(ctx, QStringLiteral("Data type mismatch: '%1' is not a date").arg(QString::fromUtf8(p, n)));
        }
        return d;
    }
    }
}

// Weeks start on firstDay (1 Sunday .. 7 Saturday, as in the functions' optional argument; 0 = Sunday).
qint64 weekNumber(const QDate &d, int firstDay)
{
    // Julian day 0 was a Monday; shift so that the week boundary falls on firstDay.
    const int first = (firstDay < 1 || firstDay > 7) ? 1 : firstDay;
    const qint64 mondayBased = d.toJulianDay() - ((first + 5) % 7);     // Sunday(1) -> 6, Monday(2) -> 0
    return mondayBased >= 0 ? mondayBased / 7 : -((-mondayBased + 6) / 7);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

void jetDate(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, today().toString(QStringLiteral("yyyy-MM-dd")));
}

void jetNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void jetDateDiff(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    bool failed = false;
    const QString interval = valueText(argv[0]).trimmed().toLower();
    const auto a = dateArgument(ctx, argv[1], &failed);
    if (failed)
        return;
    const auto b = dateArgument(ctx, argv[2], &failed);
    if (failed)
        return;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || !a || !b) {
        sqlite3_result_null(ctx);
        return;
    }
    const int firstDay = argc > 3 ? sqlite3_value_int(argv[3]) : 1;
    const QDate &da = a->date, &db = b->date;
    qint64 r = 0;
    if (interval == QLatin1String("yyyy")) {
        r = db.year() - da.year();
    } else if (interval == QLatin1String("q")) {
        r = (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3);
    } else if (interval == QLatin1String("m")) {
        r = (db.year() * 12 + db.month()) - (da.year() * 12 + da.month());
    } else if (interval == QLatin1String("d") || interval == QLatin1String("y")) {
        r = da.daysTo(db);
    } else if (interval == QLatin1String("w")) {
        r = da.daysTo(db) / 7;
    } else if (interval == QLatin1String("ww")) {
        r = weekNumber(db, firstDay) - weekNumber(da, firstDay);
    } else if (interval == QLatin1String("h") || interval == QLatin1String("n") || interval == QLatin1String("s")) {
        const qint64 unit = interval == QLatin1String("h") ? 3600 : (interval == QLatin1String("n") ? 60 : 1);
        const auto seconds = [](const DateValue &v) {
            return v.date.toJulianDay() * 86400 + (v.time ? QTime(0, 0).secsTo(*v.time) : 0);
        };
        r = floorDiv(seconds(*b), unit) - floorDiv(seconds(*a), unit);
    } else {
        resultError(ctx, QStringLiteral("Invalid procedure call: DateDiff interval '%1'").arg(interval));
        return;
    }
    sqlite3_result_int64(ctx, r);
}

// DateSerial(year, month, day): months and days beyond their ranges carry over (month 13 is January of
// the next year, month 0 December of the year before, day 0 the last day of the month before); years 0 to
// 99 follow the two-digit rule.
void jetDateSerial(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    qint64 part[3];
    for (int i = 0; i < 3; ++i) {
        const int type = sqlite3_value_numeric_type(argv[i]);
        if (type == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
            resultError(ctx, QStringLiteral("Data type mismatch in DateSerial"));
            return;
        }
        part[i] = type == SQLITE_INTEGER ? sqlite3_value_int64(argv[i]) : qint64(std::floor(sqlite3_value_double(argv[i])));
    }
    const qint64 year = part[0] >= 0 && part[0] <= 99 ? expandTwoDigitYear(int(part[0])) : part[0];
    const qint64 months = year * 12 + part[1] - 1;
    const QDate first(int(floorDiv(months, 12)), int(months - floorDiv(months, 12) * 12) + 1, 1);
    const QDate d = first.isValid() && std::llabs(part[2]) < 1000000 ? first.addDays(part[2] - 1) : QDate();
    if (!d.isValid() || d.year() < 100 || d.year() > 9999) {
        resultError(ctx, QStringLiteral("Invalid procedure call: DateSerial"));
        return;
    }
    resultText(ctx, d.toString(QStringLiteral("yyyy-MM-dd")));
}

template<int Part>
void jetDatePart(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    bool failed = false;
    const auto d = dateArgument(ctx, argv[0], &failed);
    if (failed)
        return;
    if (!d) {
        sqlite3_result_null(ctx);
        return;
    }
    switch (Part) {
    case 0: sqlite3_result_int(ctx, d->date.year()); break;
    case 1: sqlite3_result_int(ctx, d->date.month()); break;
    case 2: sqlite3_result_int(ctx, d->date.day()); break;
    default: {
        // 1 = the first day of the week (Sunday unless given).
        int first = argc > 1 ? sqlite3_value_int(argv[1]) : 1;
        if (first < 1 || first > 7)
            first = 1;
        const int sundayBased = d->date.dayOfWeek() % 7 + 1;          // Sunday 1 .. Saturday 7
        sqlite3_result_int(ctx, (sundayBased - first + 7) % 7 + 1);
        break;
    }
    }
}

void jetConcat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    // Two passes over the parts and one allocation: this runs for every row of the main list.
    sqlite3_uint64 total = 0;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        any = true;
        sqlite3_value_text(argv[i]);
        total += sqlite3_value_bytes(argv[i]);
    }
    if (!any) {
        sqlite3_result_null(ctx);
        return;
    }
    char *out = static_cast<char *>(sqlite3_malloc64(total + 1));
    if (!out) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    char *at = out;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        const int n = sqlite3_value_bytes(argv[i]);
        std::memcpy(at, sqlite3_value_text(argv[i]), size_t(n));
        at += n;
    }
    sqlite3_result_text64(ctx, out, total, sqlite3_free, SQLITE_UTF8);
}

void jetNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void deletePattern(void *p)
{
    delete static_cast<JetPattern *>(p);
}

// X LIKE Y calls like(Y, X). The compiled pattern is kept with the statement while the pattern stays the
// same.
void jetLike(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto *pattern = static_cast<JetPattern *>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        const QString text = valueText(argv[0]);
        auto compiled = JetPattern::fromJet(text);
        if (!compiled) {
            resultError(ctx, QStringLiteral("Invalid pattern string: %1").arg(text));
            return;
        }
        pattern = new JetPattern(std::move(*compiled));
        sqlite3_set_auxdata(ctx, 0, pattern, deletePattern);
        pattern = static_cast<JetPattern *>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) {
            sqlite3_result_error_nomem(ctx);
            return;
        }
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    sqlite3_result_int(ctx, pattern->matchesUtf8(text, sqlite3_value_bytes(argv[1])) ? 1 : 0);
}

// LIKE ... ESCAPE: Jet has no such clause. Without this the engine's own three-argument like() with its
// % and _ wildcards would answer.
void likeWithEscape(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultError(ctx, QStringLiteral("LIKE ... ESCAPE is not supported: use [*], [?] or [#] for the special characters"));
}

struct FunctionDef {
    const char *name;
    int args;
    bool deterministic;
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
};

} // namespace

void registerSqlFunctions(sqlite3 *db)
{
    int rc = sqlite3_create_collation(db, "JETTEXT", SQLITE_UTF8, nullptr, collateJetText);
    if (rc != SQLITE_OK)
        raiseSqlite(db, rc, QStringLiteral("collation JETTEXT"));
    static const FunctionDef defs[] = {
        {"jet_date", 0, false, jetDate},
        {"jet_now", 0, false, jetNow},
        {"jet_datediff", 3, true, jetDateDiff},
        {"jet_datediff", 4, true, jetDateDiff},
        {"jet_dateserial", 3, true, jetDateSerial},
        {"jet_year", 1, true, jetDatePart<0>},
        {"jet_month", 1, true, jetDatePart<1>},
        {"jet_day", 1, true, jetDatePart<2>},
        {"jet_weekday", 1, true, jetDatePart<3>},
        {"jet_weekday", 2, true, jetDatePart<3>},
        {"jet_concat", -1, true, jetConcat},
        {"jet_nz", 1, true, jetNz},
        {"jet_nz", 2, true, jetNz},
        {"like", 2, true, jetLike},
        {"like", 3, true, likeWithEscape},
    };
    for (const FunctionDef &d : defs) {
        const int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
        rc = sqlite3_create_function_v2(db, d.name, d.args, flags, nullptr, d.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            raiseSqlite(db, rc, QStringLiteral("function %1").arg(QString::fromLatin1(d.name)));
    }
}

} // namespace platform
