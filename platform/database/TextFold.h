#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

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

// The folded forms of the stored texts of a recordset's rows, by field and row: a filter run again over the
// same rows folds each text once. The rows are kept in blocks of BlockRows: after prepare(), threads that
// work on different blocks may ask at the same time. What it hands out stays valid until the next call for
// the same block, forget() or clear().
class FoldCache
{
public:
    static constexpr int BlockShift = 16;
    static constexpr int BlockRows = 1 << BlockShift;

    // Room for the rows and fields asked for, so that asking changes no shared part of the cache.
    void prepare(int fields, int rows);
    FoldedUtf8 folded(int field, int row, const char *text, int length);
    // The row's texts changed: folded again when next asked.
    void forget(int row);
    void clear();

private:
    std::vector<std::vector<quint32>> m_place;   // per field, per row: 0 not yet, 1 ASCII, else offset + 2
    std::vector<QByteArray> m_folded;            // per block: the folded texts, UTF-8, each after its 4-byte length
};

} // namespace platform
