#pragma once

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

} // namespace platform
