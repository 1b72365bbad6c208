#pragma once

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

    QVector<Element> m_elements;
};

} // namespace platform
