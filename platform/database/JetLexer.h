#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace platform {

// One token of an SQL text in the Jet dialect.
struct JetToken {
    enum Kind : quint8 {
        Word,        // identifier or keyword, as written
        Name,        // [bracketed name], without the brackets
        String,      // text literal ('...' or "..."), its value without quotes; date literals arrive as
                     // strings holding their ISO form
        Number,      // numeric literal as written
        Symbol,      // operator or punctuation: ( ) , . ; = <> < > <= >= + - * / \ ^ & ! ||
    };
    Kind kind = Symbol;
    QString text;
    bool spaceBefore = false;    // blanks stood before it in the source
    bool fromDate = false;       // a String that was a #date# literal

    bool isWord(QLatin1StringView word) const
    {
        return kind == Word && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1StringView symbol) const { return kind == Symbol && text == symbol; }
};

// Splits Jet SQL into tokens. Text inside quotes is kept as typed (a doubled quote stands for one).
// Raises RuntimeError for an unterminated quote or bracket and for a malformed date literal.
std::vector<JetToken> lexJet(QStringView sql);

} // namespace platform
