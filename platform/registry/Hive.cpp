#include "platform/registry/Hive.h"

#include <QStringDecoder>
#include <QtEndian>

namespace platform {
namespace registry {

namespace {

const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeader4 = QStringLiteral("REGEDIT4");
constexpr int kLineWidth = 77;      // hex data is wrapped before this column, as the registry editor does

bool isTextKind(int kind)
{
    return kind == REG_SZ || kind == REG_EXPAND_SZ || kind == REG_MULTI_SZ;
}

QString fold(const QString &s)
{
    return s.toCaseFolded();
}

// The file's text: a byte-order mark decides UTF-16LE or UTF-8; without one, each line is UTF-8 when its
// bytes are valid UTF-8, else Latin-1 (ANSI, as an old editor writes it), so that one stray byte changes the
// reading of its own line only.
QString decodeFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder dec(QStringDecoder::Utf16LE);
        return dec.decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder whole(QStringDecoder::Utf8);
    QString text = whole.decode(bytes);
    if (!whole.hasError())
        return text;
    text.clear();
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder dec(QStringDecoder::Utf8);
        const QString line = dec.decode(lines.at(i));
        text += dec.hasError() ? QString::fromLatin1(lines.at(i)) : line;
        if (i + 1 < lines.size())
            text += QLatin1Char('\n');
    }
    return text;
}

// Stored text data (UTF-8) <-> the bytes of a hex(1), hex(2) or hex(7) line (UTF-16LE, or ANSI in a
// REGEDIT4 file).
QByteArray textDataToFileBytes(const QByteArray &data)
{
    const QString text = QString::fromUtf8(data);
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), out.data() + 2 * i);
    return out;
}

QByteArray fileBytesToTextData(const QByteArray &bytes, bool ansi)
{
    if (ansi)
        return QString::fromLatin1(bytes).toUtf8();
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(qFromLittleEndian<quint16>(bytes.constData() + i)));
    return text.toUtf8();
}

QString escapeQuoted(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    out.append(QLatin1Char('"'));
    for (QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out.append(QLatin1Char('\\'));
        out.append(c);
    }
    out.append(QLatin1Char('"'));
    return out;
}

// Reads a quoted text starting at s[pos] == '"'; \\ and \" are escapes, any other backslash is kept as
// written. pos ends after the closing quote. False when the quote is not closed.
bool readQuoted(const QString &s, qsizetype &pos, QString &out)
{
    out.clear();
    ++pos;
    while (pos < s.size()) {
        const QChar c = s.at(pos);
        if (c == QLatin1Char('\\') && pos + 1 < s.size()
            && (s.at(pos + 1) == QLatin1Char('\\') || s.at(pos + 1) == QLatin1Char('"'))) {
            out.append(s.at(pos + 1));
            pos += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        out.append(c);
        ++pos;
    }
    return false;
}

void skipBlanks(const QString &s, qsizetype &pos)
{
    while (pos < s.size() && (s.at(pos) == QLatin1Char(' ') || s.at(pos) == QLatin1Char('\t')))
        ++pos;
}

bool onlyBlanksOrComment(const QString &s, qsizetype pos)
{
    skipBlanks(s, pos);
    return pos == s.size() || s.at(pos) == QLatin1Char(';');
}

// Where the data of a value line begins (after the name and "="); -1 when the line has no name and "=".
qsizetype dataStart(const QString &line, QString *name = nullptr)
{
    qsizetype pos = 0;
    QString n;
    if (line.startsWith(QLatin1Char('@')))
        pos = 1;
    else if (!line.startsWith(QLatin1Char('"')) || !readQuoted(line, pos, n))
        return -1;
    skipBlanks(line, pos);
    if (pos >= line.size() || line.at(pos) != QLatin1Char('='))
        return -1;
    if (name)
        *name = n;
    return pos + 1;
}

bool parseHexBytes(const QString &s, QByteArray &out)
{
    out.clear();
    const QStringList parts = s.split(QLatin1Char(','));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString p = parts.at(i).trimmed();
        if (p.isEmpty()) {
            if (i == parts.size() - 1)      // a trailing comma
                continue;
            return false;
        }
        bool ok = false;
        const uint b = p.toUInt(&ok, 16);
        if (!ok || p.size() > 2 || b > 0xFF)
            return false;
        out.append(char(b));
    }
    return true;
}

// The data part of a value line: "text", dword:n, hex:..., hex(k):...
bool parseData(const QString &s, bool ansi, RawValue &v)
{
    qsizetype pos = 0;
    skipBlanks(s, pos);
    if (pos < s.size() && s.at(pos) == QLatin1Char('"')) {
        QString text;
        if (!readQuoted(s, pos, text) || !onlyBlanksOrComment(s, pos))
            return false;
        v.kind = REG_SZ;
        v.data = text.toUtf8();
        v.data.append('\0');
        return true;
    }
    const QString rest = s.mid(pos).trimmed();
    if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = rest.mid(6).trimmed();
        bool ok = false;
        const uint n = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('-'))
            || digits.startsWith(QLatin1Char('+')))
            return false;
        v.kind = REG_DWORD;
        v.data.resize(4);
        qToLittleEndian<quint32>(n, v.data.data());
        return true;
    }
    if (!rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
        return false;
    qsizetype colon = rest.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    const QString type = rest.left(colon).mid(3).trimmed();
    int kind = REG_BINARY;
    if (!type.isEmpty()) {
        if (!type.startsWith(QLatin1Char('(')) || !type.endsWith(QLatin1Char(')')))
            return false;
        bool ok = false;
        kind = type.mid(1, type.size() - 2).trimmed().toInt(&ok, 16);
        if (!ok || kind < 0)
            return false;
    }
    QByteArray bytes;
    if (!parseHexBytes(rest.mid(colon + 1), bytes))
        return false;
    v.kind = kind;
    v.data = isTextKind(kind) ? fileBytesToTextData(bytes, ansi) : bytes;
    return true;
}

// True when the last line of a file that ends without a line break is whole, not a line cut short: a
// section name with its closing bracket, a comment, or a value whose data reads to its end (a closed text,
// a number of eight digits, hex data that does not go on, a text in hex with its terminating zero).
bool lastLineIsWhole(const QStringList &lines, bool ansi)
{
    QString logical = lines.last().trimmed();
    for (qsizetype i = lines.size() - 2; i >= 0; --i) {
        const QString before = lines.at(i).trimmed();
        if (!before.endsWith(QLatin1Char('\\')))
            break;
        logical = before.left(before.size() - 1) + logical;
    }
    if (logical.isEmpty() || logical.startsWith(QLatin1Char(';')) || logical == kHeader5 || logical == kHeader4)
        return true;
    if (logical.startsWith(QLatin1Char('[')))
        return logical.endsWith(QLatin1Char(']'));
    const qsizetype start = dataStart(logical);
    RawValue value;
    if (start < 0 || logical.endsWith(QLatin1Char('\\')) || logical.endsWith(QLatin1Char(','))
        || !parseData(logical.mid(start), false, value))
        return false;
    const QString data = logical.mid(start).trimmed();
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive))
        return data.mid(6).trimmed().size() == 8;
    if (data.startsWith(QLatin1String("hex("), Qt::CaseInsensitive) && isTextKind(value.kind)) {
        QByteArray bytes;
        parseHexBytes(data.mid(data.indexOf(QLatin1Char(':')) + 1), bytes);
        return ansi ? bytes.endsWith('\0') : bytes.size() % 2 == 0 && bytes.endsWith(QByteArray(2, '\0'));
    }
    return true;
}

QString hexLines(const QString &prefix, const QByteArray &bytes)
{
    QString out;
    QString line = prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        QString token = QStringLiteral("%1").arg(uint(uchar(bytes.at(i))), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size())
            token.append(QLatin1Char(','));
        if (line.size() + token.size() > kLineWidth && line.size() > 2) {
            out.append(line).append(QLatin1String("\\\n"));
            line = QStringLiteral("  ");
        }
        line.append(token);
    }
    out.append(line).append(QLatin1Char('\n'));
    return out;
}

// A REG_SZ value is written as "text" when it can be read back identical from that form: one terminating
// zero, no other zero, no line break. Anything else is written in hex so nothing is lost.
bool plainTextForm(const RawValue &v, QString &text)
{
    if (v.kind != REG_SZ || !v.data.endsWith('\0'))
        return false;
    const QByteArray body = v.data.left(v.data.size() - 1);
    if (body.contains('\0') || body.contains('\n') || body.contains('\r'))
        return false;
    text = QString::fromUtf8(body);
    return text.toUtf8() == body;
}

QString valueLine(const Hive::Value &v)
{
    const QString name = v.name.isEmpty() ? QStringLiteral("@") : escapeQuoted(v.name);
    const QString prefix = name + QLatin1Char('=');
    QString text;
    if (plainTextForm(v.raw, text))
        return prefix + escapeQuoted(text) + QLatin1Char('\n');
    if (v.raw.kind == REG_DWORD && v.raw.data.size() == 4)
        return prefix + QStringLiteral("dword:%1\n").arg(qFromLittleEndian<quint32>(v.raw.data.constData()), 8, 16,
                                                           QLatin1Char('0'));
    const QByteArray bytes = isTextKind(v.raw.kind) ? textDataToFileBytes(v.raw.data) : v.raw.data;
    const QString type = v.raw.kind == REG_BINARY ? QStringLiteral("hex:")
                                                  : QStringLiteral("hex(%1):").arg(v.raw.kind, 0, 16);
    return hexLines(prefix + type, bytes);
}

} // namespace

Hive::Hive(const QString &rootName)
    : m_root(rootName)
{
    m_keys.append(Key());
    reindex();
}

QString Hive::normalizePath(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

bool Hive::isStorableName(const QString &name)
{
    for (QChar c : name) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.unicode() == 0)
            return false;
    }
    return true;
}

void Hive::reindex()
{
    m_index.clear();
    for (int i = 0; i < m_keys.size(); ++i)
        m_index.insert(fold(m_keys.at(i).path), i);
}

int Hive::indexOf(const QString &path) const
{
    return m_index.value(fold(normalizePath(path)), -1);
}

const Hive::Key *Hive::findKey(const QString &path) const
{
    const int i = indexOf(path);
    return i < 0 ? nullptr : &m_keys.at(i);
}

Hive::Key &Hive::ensureKey(const QString &path)
{
    const QString norm = normalizePath(path);
    int i = indexOf(norm);
    if (i >= 0)
        return m_keys[i];
    const qsizetype cut = norm.lastIndexOf(QLatin1Char('\\'));
    const QString parentPath = cut < 0 ? QString() : norm.left(cut);
    const QString leaf = cut < 0 ? norm : norm.mid(cut + 1);
    // The parent first, so the new key takes the parent's spelling and comes after the parent's subtree.
    const QString parentSpelling = ensureKey(parentPath).path;
    const int parent = indexOf(parentSpelling);
    const QString prefix = fold(parentSpelling) + QLatin1Char('\\');
    int at = parent + 1;
    while (at < m_keys.size() && (parentSpelling.isEmpty() || fold(m_keys.at(at).path).startsWith(prefix)))
        ++at;
    Key key;
    key.path = parentSpelling.isEmpty() ? leaf : parentSpelling + QLatin1Char('\\') + leaf;
    m_keys.insert(at, key);
    reindex();
    return m_keys[at];
}

bool Hive::hasSubkeys(const QString &path) const
{
    const QString norm = normalizePath(path);
    if (norm.isEmpty())
        return m_keys.size() > 1;
    const QString prefix = fold(norm) + QLatin1Char('\\');
    for (const Key &k : m_keys) {
        if (fold(k.path).startsWith(prefix))
            return true;
    }
    return false;
}

QStringList Hive::subkeyNames(const QString &path) const
{
    QStringList names;
    const QString parent = fold(normalizePath(path));
    for (const Key &k : m_keys) {
        if (k.path.isEmpty())
            continue;
        const qsizetype cut = k.path.lastIndexOf(QLatin1Char('\\'));
        const QString keyParent = cut < 0 ? QString() : k.path.left(cut);
        if (fold(keyParent) == parent)
            names.append(k.path.mid(cut + 1));
    }
    return names;
}

bool Hive::removeKey(const QString &path)
{
    const QString norm = normalizePath(path);
    const int i = indexOf(norm);
    if (norm.isEmpty() || i < 0 || hasSubkeys(norm))
        return false;
    m_keys.removeAt(i);
    reindex();
    return true;
}

const Hive::Value *Hive::findValue(const Key &key, const QString &name)
{
    const QString f = fold(name);
    for (const Value &v : key.values) {
        if (fold(v.name) == f)
            return &v;
    }
    return nullptr;
}

void Hive::dropUnparsedValue(Key &key, const QString &name)
{
    const QString f = fold(name);
    for (qsizetype i = 0; i < key.unparsed.size();) {
        QString lineName;
        const QString line = key.unparsed.at(i).trimmed();
        if (dataStart(line, &lineName) < 0 || fold(lineName) != f) {
            ++i;
            continue;
        }
        // The line goes with the continuation lines of its hex data (never with a line of another value).
        bool continues = line.endsWith(QLatin1Char('\\'));
        key.unparsed.removeAt(i);
        while (continues && i < key.unparsed.size()) {
            const QString next = key.unparsed.at(i).trimmed();
            if (next.startsWith(QLatin1Char('"')) || next.startsWith(QLatin1Char('@')))
                break;
            continues = next.endsWith(QLatin1Char('\\'));
            key.unparsed.removeAt(i);
        }
    }
}

void Hive::setValue(Key &key, const QString &name, const RawValue &raw)
{
    // A line of this value that could not be read is replaced by the value written.
    dropUnparsedValue(key, name);
    const QString f = fold(name);
    for (Value &v : key.values) {
        if (fold(v.name) == f) {
            v.raw = raw;
            return;
        }
    }
    key.values.append(Value{name, raw});
}

bool Hive::removeValue(Key &key, const QString &name)
{
    dropUnparsedValue(key, name);
    const QString f = fold(name);
    for (qsizetype i = 0; i < key.values.size(); ++i) {
        if (fold(key.values.at(i).name) == f) {
            key.values.removeAt(i);
            return true;
        }
    }
    return false;
}

bool Hive::isWhole(const QByteArray &bytes)
{
    const QString text = decodeFile(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The first line that is not blank is the header (UTF-16 read without its byte-order mark is not).
    bool header = false;
    bool ansi = false;
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty()) {
            header = trimmed == kHeader5 || trimmed == kHeader4;
            ansi = trimmed == kHeader4;
            break;
        }
    }
    // The writers of the format end the file with a line break; a file without one was cut short, unless
    // its last line is whole (an editor that leaves the final line break out).
    return header && (text.endsWith(QLatin1Char('\n')) || lastLineIsWhole(lines, ansi));
}

Hive Hive::parse(const QString &rootName, const QByteArray &bytes)
{
    Hive hive(rootName);
    const QStringList lines = decodeFile(bytes).split(QLatin1Char('\n'));
    bool ansi = false;
    bool headerSeen = false;
    enum class Section { Preamble, Own, Foreign } section = Section::Preamble;
    QString current;        // path of the current own section

    auto keepUnparsed = [&](const QStringList &raw) {
        switch (section) {
        case Section::Preamble: hive.m_preamble.append(raw); break;
        case Section::Foreign: hive.m_foreign.append(raw); break;
        case Section::Own: hive.ensureKey(current).unparsed.append(raw); break;
        }
    };

    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!headerSeen && section == Section::Preamble && (trimmed == kHeader5 || trimmed == kHeader4)) {
            headerSeen = true;
            ansi = trimmed == kHeader4;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
            const QString inner = close > 0 ? trimmed.mid(1, close - 1) : QString();
            const qsizetype cut = inner.indexOf(QLatin1Char('\\'));
            const QString root = cut < 0 ? inner : inner.left(cut);
            if (close > 0 && !inner.startsWith(QLatin1Char('-'))
                && root.compare(rootName, Qt::CaseInsensitive) == 0) {
                section = Section::Own;
                current = hive.ensureKey(cut < 0 ? QString() : inner.mid(cut + 1)).path;
            } else {
                section = Section::Foreign;
                hive.m_foreign.append(line);
            }
            continue;
        }
        // A value line, with its continuation lines when its data is hex.
        QStringList raw{line};
        QString logical = trimmed;
        while (logical.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
            // Only hex data continues; a text value may end with an escaped backslash.
            const qsizetype start = dataStart(logical);
            if (start < 0 || !logical.mid(start).trimmed().startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
                break;
            QString next = lines.at(++i);
            if (next.endsWith(QLatin1Char('\r')))
                next.chop(1);
            raw.append(next);
            logical.chop(1);
            logical.append(next.trimmed());
        }
        if (section != Section::Own) {
            keepUnparsed(raw);
            continue;
        }
        QString name;
        const qsizetype start = dataStart(logical, &name);
        RawValue value;
        const bool ok = start >= 0 && parseData(logical.mid(start), ansi, value);
        if (ok)
            setValue(hive.ensureKey(current), name, value);
        else
            keepUnparsed(raw);
    }
    return hive;
}

QByteArray Hive::serialize() const
{
    QString out = kHeader5 + QLatin1Char('\n');
    for (const QString &line : m_preamble)
        out.append(line).append(QLatin1Char('\n'));
    for (const Key &key : m_keys) {
        if (key.path.isEmpty() && key.values.isEmpty() && key.unparsed.isEmpty())
            continue;
        out.append(QLatin1Char('\n'));
        out.append(QLatin1Char('[')).append(m_root);
        if (!key.path.isEmpty())
            out.append(QLatin1Char('\\')).append(key.path);
        out.append(QLatin1String("]\n"));
        for (const Value &v : key.values)
            out.append(valueLine(v));
        for (const QString &line : key.unparsed)
            out.append(line).append(QLatin1Char('\n'));
    }
    if (!m_foreign.isEmpty()) {
        out.append(QLatin1Char('\n'));
        for (const QString &line : m_foreign)
            out.append(line).append(QLatin1Char('\n'));
    }
    return out.toUtf8();
}

} // namespace registry
} // namespace platform
