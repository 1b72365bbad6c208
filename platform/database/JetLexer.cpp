#include "platform/database/JetLexer.h"

#include "platform/database/JetDate.h"
#include "platform/database/SqliteSupport.h"

namespace platform {

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark();
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// A quoted literal starting at pos (the opening quote); returns its value and moves pos past it.
QString readQuoted(QStringView sql, qsizetype &pos, QChar quote)
{
    QString value;
    qsizetype i = pos + 1;
    while (true) {
        if (i >= sql.size())
            raiseDatabaseError(QStringLiteral("Syntax error: a text in quotes is not closed in: %1").arg(sql.toString()));
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                value += quote;
                i += 2;
                continue;
            }
            break;
        }
        value += sql[i++];
    }
    pos = i + 1;
    return value;
}

} // namespace

std::vector<JetToken> lexJet(QStringView sql)
{
    std::vector<JetToken> out;
    qsizetype i = 0;
    bool space = false;
    while (i < sql.size()) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            space = true;
            ++i;
            continue;
        }
        JetToken t;
        t.spaceBefore = space;
        space = false;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            t.kind = JetToken::String;
            t.text = readQuoted(sql, i, c);
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                raiseDatabaseError(QStringLiteral("Syntax error: a name in brackets is not closed in: %1").arg(sql.toString()));
            t.kind = JetToken::Name;
            t.text = sql.mid(i + 1, close - i - 1).toString();
            i = close + 1;
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            const auto date = close < 0 ? std::nullopt : parseDateLiteral(sql.mid(i + 1, close - i - 1));
            if (!date)
                raiseDatabaseError(QStringLiteral("Syntax error in date in query expression: %1")
                                       .arg(sql.mid(i, close < 0 ? sql.size() - i : close - i + 1).toString()));
            t.kind = JetToken::String;
            t.fromDate = true;
            t.text = date->toIso();
            i = close + 1;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < sql.size() && isDigit(sql[i + 1]))) {
            const qsizetype start = i;
            while (i < sql.size() && isDigit(sql[i]))
                ++i;
            if (i < sql.size() && sql[i] == QLatin1Char('.')) {
                ++i;
                while (i < sql.size() && isDigit(sql[i]))
                    ++i;
            }
            if (i < sql.size() && (sql[i] == QLatin1Char('e') || sql[i] == QLatin1Char('E'))) {
                qsizetype k = i + 1;
                if (k < sql.size() && (sql[k] == QLatin1Char('+') || sql[k] == QLatin1Char('-')))
                    ++k;
                if (k < sql.size() && isDigit(sql[k])) {
                    while (k < sql.size() && isDigit(sql[k]))
                        ++k;
                    i = k;
                }
            }
            t.kind = JetToken::Number;
            t.text = sql.mid(start, i - start).toString();
        } else if (isWordStart(c)) {
            const qsizetype start = i;
            while (i < sql.size() && isWordChar(sql[i]))
                ++i;
            t.kind = JetToken::Word;
            t.text = sql.mid(start, i - start).toString();
        } else {
            t.kind = JetToken::Symbol;
            const QStringView two = sql.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("<=") || two == QLatin1String(">=")
                || two == QLatin1String("||") || two == QLatin1String("!=")) {
                t.text = two.toString();
                i += 2;
            } else {
                t.text = QString(c);
                ++i;
            }
        }
        out.push_back(std::move(t));
    }
    return out;
}

} // namespace platform
