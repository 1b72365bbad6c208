#include "platform/database/TextFold.h"

namespace platform {

namespace {

inline char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// Folds one non-ASCII character: canonical decomposition without its combining marks, then case folding.
void appendFoldedChar(QChar ch, QString &out)
{
    switch (ch.unicode()) {
    case 0x00DF: out += QLatin1String("ss"); return;          // ß
    case 0x00C6: case 0x00E6: out += QLatin1String("ae"); return; // Æ æ
    case 0x0152: case 0x0153: out += QLatin1String("oe"); return; // Œ œ
    default: break;
    }
    if (ch.isMark())
        return;
    if (ch.decompositionTag() == QChar::Canonical) {
        const QString d = ch.decomposition();
        for (QChar part : d) {
            if (part.isMark())
                continue;
            if (part.unicode() < 0x80)
                out += QChar(asciiLower(part.unicode()));
            else
                appendFoldedChar(part, out);
        }
        return;
    }
    out += ch.toCaseFolded();
}

void appendFolded(QStringView text, QString &out)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80)
            out += QChar(asciiLower(c));
        else
            appendFoldedChar(ch, out);
    }
}

} // namespace

QString foldText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    appendFolded(text, out);
    return out;
}

int compareFolded(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t ca = a[i].unicode(), cb = b[i].unicode();
        if (ca >= 0x80 || cb >= 0x80)
            break;
        const char16_t la = asciiLower(ca), lb = asciiLower(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (i == n) {
        const bool restA = i < a.size(), restB = i < b.size();
        if (!restA && !restB)
            return 0;
        if ((restA ? a[i] : b[i]).unicode() < 0x80)
            return restA ? 1 : -1;
    }
    const QString fa = foldText(a.mid(i)), fb = foldText(b.mid(i));
    const int c = QStringView(fa).compare(QStringView(fb));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareFoldedUtf8(const char *a, int lenA, const char *b, int lenB)
{
    const int n = qMin(lenA, lenB);
    int i = 0;
    for (; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80)
            break;
        const unsigned char la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const unsigned char lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (i == n) {
        // One text is a prefix of the other (all ASCII so far); a longer rest can still fold to nothing
        // only when it is made of combining marks, which start with a byte >= 0x80.
        const bool restA = i < lenA, restB = i < lenB;
        if (!restA && !restB)
            return 0;
        const unsigned char next = static_cast<unsigned char>(restA ? a[i] : b[i]);
        if (next < 0x80)
            return restA ? 1 : -1;
    }
    // Everything before i is ASCII in both, so i is a character boundary in both texts.
    const QString fa = foldText(QString::fromUtf8(a + i, lenA - i));
    const QString fb = foldText(QString::fromUtf8(b + i, lenB - i));
    const int c = QStringView(fa).compare(QStringView(fb));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace platform
