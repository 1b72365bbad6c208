#include "platform/database/JetDate.h"

#include <QStringList>
#include <cmath>

namespace platform {

QString DateValue::toIso() const
{
    QString s = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (time)
        s += time->toString(QStringLiteral(" HH:mm:ss"));
    return s;
}

namespace {

// Reads an unsigned number of 1..maxDigits digits at pos; no value when there is none.
std::optional<int> readNumber(QStringView s, qsizetype &pos, int maxDigits, int *digits = nullptr)
{
    int value = 0, n = 0;
    while (pos < s.size() && s[pos].unicode() >= '0' && s[pos].unicode() <= '9' && n < maxDigits) {
        value = value * 10 + (s[pos].unicode() - '0');
        ++pos;
        ++n;
    }
    if (digits)
        *digits = n;
    if (n == 0)
        return std::nullopt;
    return value;
}

void skipBlanks(QStringView s, qsizetype &pos)
{
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
}

// "hh:mm[:ss] [AM|PM]" from pos to the end.
std::optional<QTime> parseTimePart(QStringView s, qsizetype pos)
{
    auto h = readNumber(s, pos, 2);
    if (!h || pos >= s.size() || s[pos] != QLatin1Char(':'))
        return std::nullopt;
    ++pos;
    auto m = readNumber(s, pos, 2);
    if (!m)
        return std::nullopt;
    int sec = 0;
    if (pos < s.size() && s[pos] == QLatin1Char(':')) {
        ++pos;
        auto sv = readNumber(s, pos, 2);
        if (!sv)
            return std::nullopt;
        sec = *sv;
    }
    skipBlanks(s, pos);
    int hour = *h;
    if (pos < s.size()) {
        const QStringView rest = s.mid(pos).trimmed();
        const bool am = rest.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0;
        const bool pm = rest.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0;
        if ((!am && !pm) || hour < 1 || hour > 12)
            return std::nullopt;
        hour = (hour % 12) + (pm ? 12 : 0);
    }
    const QTime t(hour, *m, sec);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace

std::optional<DateValue> parseDateLiteral(QStringView text)
{
    const QStringView s = text.trimmed();
    qsizetype pos = 0;
    int d1 = 0, d2 = 0, d3 = 0;
    auto a = readNumber(s, pos, 4, &d1);
    if (!a || pos >= s.size())
        return std::nullopt;
    const QChar sep = s[pos];
    if (sep != QLatin1Char('/') && sep != QLatin1Char('-') && sep != QLatin1Char('.'))
        return std::nullopt;
    ++pos;
    auto b = readNumber(s, pos, 2, &d2);
    if (!b || pos >= s.size() || s[pos] != sep)
        return std::nullopt;
    ++pos;
    auto c = readNumber(s, pos, 4, &d3);
    if (!c)
        return std::nullopt;
    int year, month, day;
    if (d1 >= 3) {                       // yyyy-mm-dd
        if (d3 > 2)
            return std::nullopt;
        year = *a;
        month = *b;
        day = *c;
    } else {                             // mm/dd/yy or mm/dd/yyyy
        if (d3 == 3)
            return std::nullopt;
        month = *a;
        day = *b;
        year = d3 <= 2 ? expandTwoDigitYear(*c) : *c;
        if (month > 12 && day <= 12)
            std::swap(month, day);
    }
    DateValue v;
    v.date = QDate(year, month, day);
    if (!v.date.isValid())
        return std::nullopt;
    if (pos < s.size()) {
        if (!s[pos].isSpace())
            return std::nullopt;
        skipBlanks(s, pos);
        auto t = parseTimePart(s, pos);
        if (!t)
            return std::nullopt;
        if (*t != QTime(0, 0))
            v.time = t;
    }
    return v;
}

std::optional<DateValue> parseStoredDate(const char *p, int n)
{
    auto digits = [p](int at, int count) {
        int v = 0;
        for (int i = 0; i < count; ++i) {
            const char c = p[at + i];
            if (c < '0' || c > '9')
                return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    if (n < 10 || p[4] != '-' || p[7] != '-')
        return std::nullopt;
    const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
    if (y < 0 || m < 0 || d < 0)
        return std::nullopt;
    DateValue v;
    v.date = QDate(y, m, d);
    if (!v.date.isValid())
        return std::nullopt;
    if (n == 10)
        return v;
    if (n < 16 || (p[10] != ' ' && p[10] != 'T') || p[13] != ':')
        return std::nullopt;
    const int hh = digits(11, 2), mm = digits(14, 2);
    int ss = 0;
    if (n >= 19 && p[16] == ':')
        ss = digits(17, 2);
    else if (n != 16)
        return std::nullopt;
    if (hh < 0 || mm < 0 || ss < 0)
        return std::nullopt;
    const QTime t(hh, mm, ss);
    if (!t.isValid())
        return std::nullopt;
    if (t != QTime(0, 0))
        v.time = t;
    return v;
}

std::optional<DateValue> parseStoredDate(QStringView text)
{
    if (text.size() > 32)
        return std::nullopt;
    const QByteArray latin = text.toLatin1();
    return parseStoredDate(latin.constData(), int(latin.size()));
}

DateValue dateFromSerial(double serial)
{
    const double days = std::floor(serial);
    DateValue v;
    v.date = QDate(1899, 12, 30).addDays(qint64(days));
    const int secs = int(std::lround((serial - days) * 86400.0));
    if (secs > 0 && secs < 86400)
        v.time = QTime(0, 0).addSecs(secs);
    return v;
}

} // namespace platform
