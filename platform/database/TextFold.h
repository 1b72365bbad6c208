#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace platform {

// Text comparison as the database compares and sorts names: case-insensitive and with accents folded
// ("élan" equals "Elan", "b" equals "B"). The collation JETTEXT, LIKE and recordset filters all use it.

// The comparison key of a text: lower case, accents dropped, a few ligatures spelled out.
QString foldText(QStringView text);

// Compares two UTF-8 texts by their folded forms; <0, 0 or >0. Plain ASCII is compared without
// decoding.
int compareFoldedUtf8(const char *a, int lenA, const char *b, int lenB);
int compareFolded(QStringView a, QStringView b);

// True when the UTF-8 text is plain ASCII (its folded form is then its lower case).
bool isAscii(const char *text, int length);

// A UTF-8 text as comparisons read it: its folded form; or, for plain ASCII, the text itself, whose lower
// case is its folded form.
struct FoldedUtf8 {
    const char *text = nullptr;
    int length = 0;
    bool ascii = false;
};

// The folded form of a UTF-8 text, appended to out as UTF-8 (foldText on its characters).
void appendFoldedUtf8(const char *text, int length, QByteArray &out);

} // namespace platform
