#include "platform/database/JetPattern.h"

#include "platform/database/TextFold.h"

#include <cstring>

namespace platform {

void JetPattern::addLiteral(QStringView text)
{
    for (QChar c : foldText(text))
        m_elements.append(literal(c.unicode()));
}

std::optional<JetPattern> JetPattern::fromJet(QStringView pattern)
{
    JetPattern p;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('*')) {
            if (p.m_elements.isEmpty() || p.m_elements.last().kind != Kind::AnyRun)
                p.m_elements.append(element(Kind::AnyRun));
        } else if (c == QLatin1Char('?')) {
            p.m_elements.append(element(Kind::AnyOne));
        } else if (c == QLatin1Char('#')) {
            p.m_elements.append(element(Kind::Digit));
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = pattern.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                return std::nullopt;
            QStringView body = pattern.mid(i + 1, close - i - 1);
            Element e = element(Kind::Set);
            if (body.startsWith(QLatin1Char('!')) && body.size() > 1) {
                e.negated = true;
                body = body.mid(1);
            }
            for (qsizetype k = 0; k < body.size(); ++k) {
                const QString from = foldText(body.mid(k, 1));
                if (from.isEmpty())
                    continue;
                if (k + 2 < body.size() && body[k + 1] == QLatin1Char('-')) {
                    const QString to = foldText(body.mid(k + 2, 1));
                    if (!to.isEmpty() && from[0] <= to[0])
                        e.ranges.append(Range{from[0].unicode(), to[0].unicode()});
                    else if (!to.isEmpty())
                        return std::nullopt;       // a descending range is malformed
                    k += 2;
                } else {
                    e.ranges.append(Range{from[0].unicode(), from[0].unicode()});
                }
            }
            if (e.ranges.isEmpty() && !e.negated) {
                // "[]" matches an empty run: nothing to add.
            } else {
                p.m_elements.append(e);
            }
            i = close;
        } else {
            p.addLiteral(pattern.mid(i, 1));
        }
    }
    p.findLiteral();
    return p;
}

JetPattern JetPattern::fromFilter(QStringView pattern)
{
    auto isWild = [](QChar c) { return c == QLatin1Char('*') || c == QLatin1Char('%'); };
    qsizetype begin = 0, end = pattern.size();
    bool leading = false, trailing = false;
    // One wildcard at each end; any other * or % is a character to find.
    if (begin < end && isWild(pattern[begin])) {
        ++begin;
        leading = true;
    }
    if (end > begin && isWild(pattern[end - 1])) {
        --end;
        trailing = true;
    }
    JetPattern p;
    if (leading)
        p.m_elements.append(element(Kind::AnyRun));
    p.addLiteral(pattern.mid(begin, end - begin));
    if (trailing && (p.m_elements.isEmpty() || p.m_elements.last().kind != Kind::AnyRun))
        p.m_elements.append(element(Kind::AnyRun));
    p.findLiteral();
    return p;
}

void JetPattern::findLiteral()
{
    qsizetype first = 0, last = m_elements.size();
    m_anyBefore = first < last && m_elements[first].kind == Kind::AnyRun;
    if (m_anyBefore)
        ++first;
    m_anyAfter = first == last ? m_anyBefore : m_elements[last - 1].kind == Kind::AnyRun;
    if (first < last && m_elements[last - 1].kind == Kind::AnyRun)
        --last;
    QString chars;
    for (qsizetype i = first; i < last; ++i) {
        if (m_elements[i].kind != Kind::Literal)
            return;
        chars += QChar(m_elements[i].ch);
    }
    m_literal = true;
    m_needle = chars.toUtf8();
    m_asciiNeedle = isAscii(m_needle.constData(), int(m_needle.size()));
    m_noBits = QByteArray(m_needle.size(), 0);
    m_letterBits = m_noBits;
    for (qsizetype i = 0; i < m_needle.size(); ++i)
        if (m_needle[i] >= 'a' && m_needle[i] <= 'z')
            m_letterBits[i] = 0x20;
}

bool JetPattern::literalMatches(const char *text, int length, bool ascii) const
{
    // A substring of the UTF-8 bytes is a substring of the characters. Plain ASCII text compares in lower
    // case: a letter of the folded characters also matches its capital.
    const int need = int(m_needle.size());
    if (length < need || (!m_anyBefore && !m_anyAfter && length != need))
        return false;
    const char *wanted = m_needle.constData();
    const char *caseBits = ascii ? m_letterBits.constData() : m_noBits.constData();
    auto at = [&](int from) {
        for (int i = 0; i < need; ++i)
            if (char(text[from + i] | caseBits[i]) != wanted[i])
                return false;
        return true;
    };
    if (!m_anyBefore)
        return at(0);
    if (!m_anyAfter)
        return at(length - need);
    if (need == 0)
        return true;
    const char first = wanted[0], firstBits = caseBits[0];
    for (int from = 0; from + need <= length; ++from)
        if (char(text[from] | firstBits) == first && at(from))
            return true;
    return false;
}

bool JetPattern::matchesFolded(const FoldedUtf8 &t) const
{
    if (m_literal)
        return (t.ascii && !m_asciiNeedle) ? false : literalMatches(t.text, t.length, t.ascii);
    if (!t.ascii)
        return matchesFolded(QString::fromUtf8(t.text, t.length));
    return matchesFolded(foldText(QString::fromLatin1(t.text, t.length)));
}

bool JetPattern::matchesUtf8(const char *text, int length) const
{
    // Folding keeps a run of ASCII characters as it is, in lower case: plain characters found among the
    // bytes as they are (in any case) are found in the folded text too, and only a text where they are not
    // is folded to look again.
    const bool asciiLiteral = m_literal && m_asciiNeedle;
    if (asciiLiteral && literalMatches(text, length, true))
        return true;
    if (isAscii(text, length))
        return asciiLiteral ? false : matchesFolded(FoldedUtf8{text, length, true});
    // Folded into a buffer of the thread's own, kept for its next text: folding from the bytes costs about
    // what reading a folded copy kept in memory would.
    thread_local QByteArray folded;
    folded.truncate(0);
    appendFoldedUtf8(text, length, folded);
    return matchesFolded(FoldedUtf8{folded.constData(), int(folded.size()), false});
}

bool JetPattern::elementMatches(const Element &e, char16_t c) const
{
    switch (e.kind) {
    case Kind::Literal: return e.ch == c;
    case Kind::AnyOne: return true;
    case Kind::Digit: return c >= u'0' && c <= u'9';
    case Kind::Set: {
        bool in = false;
        for (const Range &r : e.ranges)
            if (c >= r.from && c <= r.to) {
                in = true;
                break;
            }
        return in != e.negated;
    }
    case Kind::AnyRun: break;
    }
    return false;
}

bool JetPattern::matches(QStringView text) const
{
    return matchesFolded(foldText(text));
}

bool JetPattern::matchesFolded(QStringView t) const
{
    // Each element other than a run matches exactly one character, so remembering only the last run
    // and retrying from one character further is enough.
    const qsizetype np = m_elements.size(), nt = t.size();
    qsizetype pi = 0, ti = 0, starP = -1, starT = 0;
    while (ti < nt) {
        if (pi < np && m_elements[pi].kind == Kind::AnyRun) {
            starP = pi++;
            starT = ti;
        } else if (pi < np && elementMatches(m_elements[pi], t[ti].unicode())) {
            ++pi;
            ++ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < np && m_elements[pi].kind == Kind::AnyRun)
        ++pi;
    return pi == np;
}

} // namespace platform
