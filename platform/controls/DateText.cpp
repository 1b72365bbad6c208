#include "platform/controls/DateText.h"

#include "platform/Dates.h"

#include <array>

namespace platform::DateText {

namespace {

enum Part { Day, Month, Year };

// The letters of a pattern that name its parts, in order, and its separators: quoted text is skipped.
struct PatternParts {
    std::array<Part, 3> order{Day, Month, Year};
    QString separators;
    bool endsWithSeparator = false;
};

PatternParts partsOf(const QString &pattern)
{
    PatternParts parts;
    int found = 0;
    bool quoted = false;
    QChar last;
    for (QChar c : pattern) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        last = c;
        const Part part = c == QLatin1Char('d') ? Day : c == QLatin1Char('M') ? Month : Year;
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            bool seen = false;
            for (int i = 0; i < found; ++i)
                seen = seen || parts.order[size_t(i)] == part;
            if (!seen && found < 3)
                parts.order[size_t(found++)] = part;
        } else if (!c.isLetterOrNumber() && !parts.separators.contains(c)) {
            parts.separators += c;
        }
    }
    if (found < 3)
        parts = PatternParts();
    parts.endsWithSeparator = !last.isNull() && !last.isLetterOrNumber();
    return parts;
}

bool isSeparator(QChar c, const QString &own)
{
    return own.contains(c) || c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-') || c.isSpace();
}

} // namespace

QString pattern(const QLocale &locale)
{
    QString p = locale.dateFormat(QLocale::ShortFormat);
    QString widened;
    bool quoted = false;
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('y')) {
            widened += c;
            ++i;
            continue;
        }
        qsizetype run = 0;
        while (i + run < p.size() && p[i + run] == QLatin1Char('y'))
            ++run;
        widened += run == 2 ? QStringLiteral("yyyy") : p.mid(i, run);
        i += run;
    }
    return widened;
}

QString format(const QDate &date, const QLocale &locale)
{
    return date.isValid() ? locale.toString(date, pattern(locale)) : QString();
}

Reading read(const QString &text, const QLocale &locale)
{
    const PatternParts parts = partsOf(pattern(locale));
    const QString s = text.trimmed();
    std::array<int, 3> values{};
    std::array<int, 3> digits{};
    int groups = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        if (groups == 3)
            return {};   // more than day, month and year
        int value = 0, n = 0;
        for (; i < s.size() && s[i].isDigit() && n < 5; ++i, ++n)
            value = value * 10 + s[i].digitValue();
        if (n == 0 || (i < s.size() && s[i].isDigit()))
            return {};
        values[size_t(groups)] = value;
        digits[size_t(groups)] = n;
        ++groups;
        const qsizetype separatorAt = i;
        while (i < s.size() && isSeparator(s[i], parts.separators))
            ++i;
        if (i < s.size() && i == separatorAt)
            return {};   // a character that is neither a digit nor a separator
        if (i == s.size() && i > separatorAt && !(groups == 3 && parts.endsWithSeparator))
            return {};
    }
    if (groups != 3)
        return {};

    int day = 0, month = 0, year = 0;
    for (size_t k = 0; k < 3; ++k) {
        const int value = values[k], n = digits[k];
        switch (parts.order[k]) {
        case Day:
            if (n > 2)
                return {};
            day = value;
            break;
        case Month:
            if (n > 2)
                return {};
            month = value;
            break;
        case Year:
            if (n != 2 && n != 4)
                return {};
            year = n == 2 ? expandTwoDigitYear(value) : value;
            break;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return {};
    const QDate date(year, month, day);
    if (!date.isValid()) {
        const QDate first(year, month, 1);
        if (!first.isValid() || first < firstStoredDate() || first > lastStoredDate())
            return {};
        return {QDate(), Refusal::NoSuchDay, QDate(year, month, first.daysInMonth())};
    }
    if (date < firstStoredDate() || date > lastStoredDate())
        return {};
    return {date, Refusal::None, QDate()};
}

} // namespace platform::DateText
