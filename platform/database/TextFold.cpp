#include "platform/database/TextFold.h"

#include <vector>

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

// The folded forms of the Latin letters (up to U+024F), worked out once: most texts of the program are in
// languages written with them.
struct FoldedChar {
    char16_t units[3];
    quint8 count;                        // 0xFF: longer, folded each time
};
constexpr char16_t LatinEnd = 0x250;

const FoldedChar *latinFolds()
{
    static const std::vector<FoldedChar> table = [] {
        std::vector<FoldedChar> t(LatinEnd);
        for (char16_t c = 0x80; c < LatinEnd; ++c) {
            QString out;
            appendFoldedChar(QChar(c), out);
            FoldedChar &f = t[c];
            f.count = out.size() <= 3 ? quint8(out.size()) : quint8(0xFF);
            for (qsizetype i = 0; i < out.size() && i < 3; ++i)
                f.units[i] = out[i].unicode();
        }
        return t;
    }();
    return table.data();
}

void appendFolded(QStringView text, QString &out)
{
    const FoldedChar *latin = nullptr;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            out += QChar(asciiLower(c));
            continue;
        }
        if (c < LatinEnd) {
            if (!latin)
                latin = latinFolds();
            const FoldedChar &f = latin[c];
            if (f.count != 0xFF) {
                out.append(reinterpret_cast<const QChar *>(f.units), f.count);
                continue;
            }
        }
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

bool isAscii(const char *text, int length)
{
    unsigned char any = 0;
    for (int i = 0; i < length; ++i)
        any |= static_cast<unsigned char>(text[i]);
    return any < 0x80;
}

void appendFoldedUtf8(const char *text, int length, QByteArray &out)
{
    // ASCII and the Latin letters (two-byte sequences up to U+024F) straight from the bytes, into room made
    // for the most they can take (three UTF-8 units of up to three bytes for two bytes); from the first
    // other character on, through the characters.
    const qsizetype start = out.size();
    out.resize(start + qsizetype(length) * 9 / 2 + 1);
    char *to = out.data() + start;
    const FoldedChar *latin = nullptr;
    int i = 0;
    while (i < length) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            *to++ = char((b >= 'A' && b <= 'Z') ? b + 32 : b);
            ++i;
            continue;
        }
        // A two-byte sequence's character; LatinEnd for any other.
        const bool pair = b >= 0xC2 && b <= 0xDF && i + 1 < length && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
        const char16_t c = pair ? char16_t(((b & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F)) : LatinEnd;
        if (c < LatinEnd) {
            if (!latin)
                latin = latinFolds();
            const FoldedChar &f = latin[c];
            if (f.count != 0xFF) {
                for (int k = 0; k < f.count; ++k) {
                    const char16_t u = f.units[k];
                    if (u < 0x80) {
                        *to++ = char(u);
                    } else if (u < 0x800) {
                        *to++ = char(0xC0 | (u >> 6));
                        *to++ = char(0x80 | (u & 0x3F));
                    } else {
                        *to++ = char(0xE0 | (u >> 12));
                        *to++ = char(0x80 | ((u >> 6) & 0x3F));
                        *to++ = char(0x80 | (u & 0x3F));
                    }
                }
                i += 2;
                continue;
            }
        }
        break;
    }
    out.truncate(to - out.constData());
    if (i < length)
        out += foldText(QString::fromUtf8(text + i, length - i)).toUtf8();
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
