#pragma once

#include "platform/database/TextFold.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>
#include <optional>

namespace platform {

// A LIKE pattern, matched case- and accent-insensitively (TextFold.h).
// Jet syntax: * any run of characters, ? one character, # one digit, [abc] [a-z] one of a set,
// [!abc] one not in the set; a special character inside brackets stands for itself ([*]).
class JetPattern
{
public:
    // No value when the pattern is malformed (a "[" without its "]").
    static std::optional<JetPattern> fromJet(QStringView pattern);
    // The recordset filter's LIKE: one * or % at the start and one at the end match any run; everything
    // else, further wildcards included, stands for itself.
    static JetPattern fromFilter(QStringView pattern);

    bool matches(QStringView text) const;
    // The same on text that is already folded (foldText).
    bool matchesFolded(QStringView folded) const;
    // The same on UTF-8 text, and on its folded form. A pattern of literal characters with runs of anything
    // at its ends (as the search box's filters are) is looked for in the bytes: plain ASCII text is only
    // put in lower case.
    bool matchesUtf8(const char *text, int length) const;
    bool matchesFolded(const FoldedUtf8 &folded) const;

private:
    enum class Kind : quint8 { Literal, AnyOne, Digit, AnyRun, Set };
    struct Range { char16_t from, to; };
    struct Element {
        Kind kind = Kind::Literal;
        char16_t ch = 0;                 // Literal
        bool negated = false;            // Set
        QVector<Range> ranges;           // Set
    };
    static Element element(Kind kind) { Element e; e.kind = kind; return e; }
    static Element literal(char16_t c) { Element e; e.ch = c; return e; }
    bool elementMatches(const Element &e, char16_t c) const;
    void addLiteral(QStringView text);
    // Tells whether the pattern is literal characters between optional runs, and keeps those characters.
    void findLiteral();
    bool literalMatches(const char *text, int length, bool ascii) const;

    QVector<Element> m_elements;
    bool m_literal = false;              // [run] literal characters [run]
    bool m_anyBefore = false, m_anyAfter = false;
    QByteArray m_needle;                 // the folded characters, UTF-8
    bool m_asciiNeedle = false;
    QByteArray m_letterBits;             // per byte of m_needle: 0x20 for a lower-case ASCII letter
    QByteArray m_noBits;
};

} // namespace platform
