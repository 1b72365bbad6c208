#include "platform/database/JetDialect.h"

#include "platform/database/DecimalText.h"
#include "platform/database/JetLexer.h"
#include "platform/database/SqliteSupport.h"

#include <QSet>

namespace platform {

namespace {

// The statement as a tree: a parenthesised group is one node holding its contents.
struct Node {
    JetToken tok;
    bool group = false;
    bool coerced = false;        // a literal already written in the stored form of its column
    bool closeSpace = false;     // a group: blanks stood before its closing parenthesis
    std::vector<Node> kids;
};
using Seq = std::vector<Node>;

Node wordNode(const QString &text, bool space = true)
{
    Node n;
    n.tok.kind = JetToken::Word;
    n.tok.text = text;
    n.tok.spaceBefore = space;
    return n;
}

Node symbolNode(const QString &text, bool space = false)
{
    Node n;
    n.tok.kind = JetToken::Symbol;
    n.tok.text = text;
    n.tok.spaceBefore = space;
    return n;
}

Node groupNode(Seq kids, bool space = false)
{
    Node n = symbolNode(QStringLiteral("("), space);
    n.group = true;
    n.kids = std::move(kids);
    return n;
}

[[noreturn]] void syntaxError(const QString &what, const QString &sql)
{
    raiseDatabaseError(QStringLiteral("Syntax error (%1) in: %2").arg(what, sql));
}

Seq buildTree(std::vector<JetToken> &toks, size_t &i, bool inGroup, const QString &sql, bool *closeSpace = nullptr)
{
    Seq seq;
    while (i < toks.size()) {
        JetToken &t = toks[i++];
        if (t.isSymbol(QLatin1String("("))) {
            Node g;
            g.tok = std::move(t);
            g.group = true;
            g.kids = buildTree(toks, i, true, sql, &g.closeSpace);
            seq.push_back(std::move(g));
        } else if (t.isSymbol(QLatin1String(")"))) {
            if (!inGroup)
                syntaxError(QStringLiteral("a closing parenthesis without its opening one"), sql);
            if (closeSpace)
                *closeSpace = t.spaceBefore;
            return seq;
        } else {
            Node n;
            n.tok = std::move(t);
            seq.push_back(std::move(n));
        }
    }
    if (inGroup)
        syntaxError(QStringLiteral("missing closing parenthesis"), sql);
    return seq;
}

const QSet<QString> &keywords()
{
    static const QSet<QString> set = {
        QStringLiteral("select"), QStringLiteral("from"), QStringLiteral("where"), QStringLiteral("and"),
        QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("like"), QStringLiteral("between"),
        QStringLiteral("is"), QStringLiteral("in"), QStringLiteral("as"), QStringLiteral("on"),
        QStringLiteral("join"), QStringLiteral("inner"), QStringLiteral("left"), QStringLiteral("right"),
        QStringLiteral("outer"), QStringLiteral("full"), QStringLiteral("cross"), QStringLiteral("group"),
        QStringLiteral("order"), QStringLiteral("by"), QStringLiteral("having"), QStringLiteral("union"),
        QStringLiteral("all"), QStringLiteral("distinct"), QStringLiteral("distinctrow"),
        QStringLiteral("into"), QStringLiteral("values"), QStringLiteral("set"), QStringLiteral("update"),
        QStringLiteral("delete"), QStringLiteral("insert"), QStringLiteral("asc"), QStringLiteral("desc"),
        QStringLiteral("top"), QStringLiteral("exists"), QStringLiteral("case"), QStringLiteral("when"),
        QStringLiteral("then"), QStringLiteral("else"), QStringLiteral("end"), QStringLiteral("escape"),
        QStringLiteral("xor"), QStringLiteral("eqv"), QStringLiteral("mod"), QStringLiteral("percent"),
    };
    return set;
}

bool isKeyword(const Node &n)
{
    return n.tok.kind == JetToken::Word && keywords().contains(n.tok.text.toLower());
}

// Jet functions whose SQLite name differs. Functions with the same name and meaning (Trim, LTrim, RTrim,
// IIf, Abs, Round, Count, Sum, Min, Max, Avg) pass unchanged.
QString renamedFunction(const QString &name)
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("date"), QStringLiteral("jet_date")},
        {QStringLiteral("now"), QStringLiteral("jet_now")},
        {QStringLiteral("datediff"), QStringLiteral("jet_datediff")},
        {QStringLiteral("dateserial"), QStringLiteral("jet_dateserial")},
        {QStringLiteral("month"), QStringLiteral("jet_month")},
        {QStringLiteral("year"), QStringLiteral("jet_year")},
        {QStringLiteral("day"), QStringLiteral("jet_day")},
        {QStringLiteral("weekday"), QStringLiteral("jet_weekday")},
        {QStringLiteral("nz"), QStringLiteral("jet_nz")},
        {QStringLiteral("len"), QStringLiteral("length")},
        {QStringLiteral("ucase"), QStringLiteral("upper")},
        {QStringLiteral("lcase"), QStringLiteral("lower")},
    };
    return map.value(name.toLower());
}

bool isNameNode(const Node &n)
{
    return !n.group && (n.tok.kind == JetToken::Name || (n.tok.kind == JetToken::Word && !isKeyword(n)
                                                         && !n.tok.isWord(QLatin1String("null"))
                                                         && !n.tok.isWord(QLatin1String("true"))
                                                         && !n.tok.isWord(QLatin1String("false"))));
}

bool isDot(const Seq &s, size_t i)
{
    return i < s.size() && !s[i].group && s[i].tok.isSymbol(QLatin1String("."));
}

bool isComparison(const Node &n)
{
    if (n.group || n.tok.kind != JetToken::Symbol)
        return false;
    const QString &t = n.tok.text;
    return t == QLatin1String("=") || t == QLatin1String("<>") || t == QLatin1String("<")
           || t == QLatin1String(">") || t == QLatin1String("<=") || t == QLatin1String(">=")
           || t == QLatin1String("!=");
}

bool isSign(const Node &n)
{
    return !n.group && (n.tok.isSymbol(QLatin1String("-")) || n.tok.isSymbol(QLatin1String("+")));
}

bool isTopWord(const Node &n, QLatin1StringView w)
{
    return !n.group && n.tok.isWord(w);
}

// The statement's context: the schema and the tables it names, to tell what kind a column is.
struct Context {
    const Schema &schema;
    const QString &sql;
    QVector<const TableInfo *> tables;

    const ColumnInfo *column(const QString &qualifier, const QString &name) const
    {
        if (!qualifier.isEmpty()) {
            if (const TableInfo *t = schema.table(qualifier))
                return t->column(name);
        }
        const ColumnInfo *found = nullptr;
        for (const TableInfo *t : tables) {
            if (const ColumnInfo *c = t->column(name)) {
                if (found)
                    return nullptr;       // ambiguous
                found = c;
            }
        }
        return found;
    }
};

// A column reference starting at i: name or qualifier.name, not a function call. Returns the number of
// nodes it takes (0 when there is none) and its column.
int columnRefAt(const Seq &s, size_t i, const Context &ctx, const ColumnInfo **col)
{
    if (i >= s.size() || !isNameNode(s[i]))
        return 0;
    int len = 1;
    QString qualifier, name = s[i].tok.text;
    if (isDot(s, i + 1) && i + 2 < s.size() && isNameNode(s[i + 2])) {
        qualifier = name;
        name = s[i + 2].tok.text;
        len = 3;
    }
    if (i + len < s.size() && s[i + len].group)
        return 0;
    *col = ctx.column(qualifier, name);
    return len;
}

// The declared kind of an operand that ends at index end: a column, or an aggregate of one.
const ColumnInfo *operandColumnEndingAt(const Seq &s, size_t end, const Context &ctx, DeclaredType *type)
{
    const ColumnInfo *col = nullptr;
    if (s[end].group) {
        if (end == 0 || !isNameNode(s[end - 1]))
            return nullptr;
        const QString f = s[end - 1].tok.text.toLower();
        if (f != QLatin1String("sum") && f != QLatin1String("min") && f != QLatin1String("max")
            && f != QLatin1String("avg"))
            return nullptr;
        const Seq &k = s[end].kids;
        if (columnRefAt(k, 0, ctx, &col) != int(k.size()) || !col)
            return nullptr;
        *type = col->declared;
        return col;
    }
    size_t start = end;
    if (end >= 2 && isDot(s, end - 1))
        start = end - 2;
    if (columnRefAt(s, start, ctx, &col) != int(end - start + 1) || !col)
        return nullptr;
    *type = col->declared;
    return col;
}

bool isArithmetic(const Node &n);
bool startsPrimary(const Node &n);

// True when nothing binds to the operand [begin, end) from outside: no arithmetic or & next to it.
bool standsAlone(const Seq &s, size_t begin, size_t end)
{
    auto binds = [](const Node &n) { return isArithmetic(n) || (!n.group && n.tok.isSymbol(QLatin1String("&"))); };
    return (begin == 0 || !binds(s[begin - 1])) && (end >= s.size() || !binds(s[end]));
}

// A literal starting at i: [sign] number, True/False, or a text. Returns its length in nodes (0: none).
int literalAt(const Seq &s, size_t i)
{
    if (i >= s.size() || s[i].group || s[i].coerced)
        return 0;
    if (isSign(s[i]) && i + 1 < s.size() && !s[i + 1].group && s[i + 1].tok.kind == JetToken::Number)
        return 2;
    const JetToken &t = s[i].tok;
    if (t.kind == JetToken::Number || t.kind == JetToken::String || t.isWord(QLatin1String("true"))
        || t.isWord(QLatin1String("false")))
        return 1;
    return 0;
}

// Writes the literal at i (length len) in the stored form of a column of the given kind.
void coerceLiteral(Seq &s, size_t i, int len, const DeclaredType &type, bool writing, const Context &ctx,
                   const QString &column = QString())
{
    const JetToken &last = s[i + len - 1].tok;
    if (last.kind == JetToken::String) {
        if (writing && type.type == FieldType::VarWChar && type.definedSize > 0
            && last.text.size() > type.definedSize)
            raiseDatabaseError(QStringLiteral("The field is too small to accept the amount of data you attempted "
                                              "to add (%1 characters, at most %2).")
                                   .arg(last.text.size()).arg(type.definedSize),
                               0, ErrorKind::TextTooLong, column);
        return;
    }
    QString number;
    if (last.kind == JetToken::Number)
        number = (len == 2 ? s[i].tok.text : QString()) + last.text;
    else
        number = last.isWord(QLatin1String("true")) ? QStringLiteral("-1") : QStringLiteral("0");
    QString stored;
    if (type.type == FieldType::Currency) {
        const auto raw = parseScaledDecimal(number, 4);
        if (!raw)
            raiseDatabaseError(QStringLiteral("Overflow: %1 does not fit a Currency value in: %2").arg(number, ctx.sql));
        stored = QString::number(*raw);
    } else if (type.type == FieldType::Boolean) {
        const auto raw = parseScaledDecimal(number, 0);
        stored = (raw && *raw == 0) ? QStringLiteral("0") : QStringLiteral("1");
    } else {
        return;
    }
    Node n;
    n.tok.kind = JetToken::Number;
    n.tok.text = stored;
    n.tok.spaceBefore = s[i].tok.spaceBefore;
    n.coerced = true;
    s.erase(s.begin() + qsizetype(i), s.begin() + qsizetype(i + len));
    s.insert(s.begin() + qsizetype(i), std::move(n));
}

// Splits the nodes [begin, end) at the commas of this level.
std::vector<std::pair<size_t, size_t>> splitCommas(const Seq &s, size_t begin, size_t end)
{
    std::vector<std::pair<size_t, size_t>> items;
    size_t start = begin;
    for (size_t i = begin; i < end; ++i) {
        if (!s[i].group && s[i].tok.isSymbol(QLatin1String(","))) {
            items.emplace_back(start, i);
            start = i + 1;
        }
    }
    if (start < end || !items.empty())
        items.emplace_back(start, end);
    return items;
}

size_t findTopWord(const Seq &s, size_t from, QLatin1StringView word)
{
    for (size_t i = from; i < s.size(); ++i)
        if (isTopWord(s[i], word))
            return i;
    return s.size();
}

// Where the list of a SELECT that starts at from ends: at its FROM, or at the next clause without one.
size_t selectListEnd(const Seq &s, size_t from)
{
    static const QLatin1StringView enders[] = {
        QLatin1String("from"), QLatin1String("where"), QLatin1String("group"), QLatin1String("having"),
        QLatin1String("order"), QLatin1String("union"),
    };
    for (size_t i = from; i < s.size(); ++i)
        for (QLatin1StringView w : enders)
            if (isTopWord(s[i], w))
                return i;
    return s.size();
}

// ---- statement forms ----------------------------------------------------------------------------------

// DELETE * FROM t, DELETE t.* FROM t -> DELETE FROM t
void rewriteDelete(Seq &s)
{
    const size_t from = findTopWord(s, 1, QLatin1String("from"));
    if (from < s.size() && from > 1)
        s.erase(s.begin() + 1, s.begin() + qsizetype(from));
}

// UPDATE t SET t.a = x, b = y WHERE ...: unqualified targets, values in their columns' stored form.
void rewriteUpdate(Seq &s, const Context &ctx)
{
    const size_t set = findTopWord(s, 1, QLatin1String("set"));
    if (set >= s.size())
        return;
    size_t where = findTopWord(s, set + 1, QLatin1String("where"));
    auto items = splitCommas(s, set + 1, where);
    // Work from the last item so that the positions of the earlier ones stay valid.
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        auto [b, e] = *it;
        const ColumnInfo *col = nullptr;
        const int len = columnRefAt(s, b, ctx, &col);
        if (len == 0 || b + len >= e || s[b + len].group || !s[b + len].tok.isSymbol(QLatin1String("=")))
            continue;
        const size_t value = b + len + 1;
        const int litLen = literalAt(s, value);
        if (col && litLen > 0 && value + litLen == e)
            coerceLiteral(s, value, litLen, col->declared, true, ctx, col->name);
        if (len == 3) {
            const bool space = s[b].tok.spaceBefore;
            s.erase(s.begin() + qsizetype(b), s.begin() + qsizetype(b + 2));
            s[b].tok.spaceBefore = space;
        }
    }
}

// INSERT INTO t (a, b) SELECT x, y ... | VALUES (x, y): values in their columns' stored form.
void rewriteInsert(Seq &s, const Context &ctx)
{
    size_t i = 1;
    if (i < s.size() && isTopWord(s[i], QLatin1String("into")))
        ++i;
    if (i >= s.size() || !isNameNode(s[i]))
        return;
    const TableInfo *table = ctx.schema.table(s[i].tok.text);
    if (!table)
        return;
    ++i;
    QVector<const ColumnInfo *> columns;
    if (i < s.size() && s[i].group) {
        for (const auto &[b, e] : splitCommas(s[i].kids, 0, s[i].kids.size())) {
            const ColumnInfo *col = nullptr;
            if (e - b == 1 && isNameNode(s[i].kids[b]))
                col = table->column(s[i].kids[b].tok.text);
            columns.append(col);
        }
        ++i;
    } else {
        for (const ColumnInfo &c : table->columns)
            columns.append(&c);
    }
    auto coerceItems = [&](Seq &seq, size_t begin, size_t end) {
        auto items = splitCommas(seq, begin, end);
        for (qsizetype k = qsizetype(items.size()) - 1; k >= 0; --k) {
            if (k >= columns.size() || !columns[k])
                continue;
            const auto [b, e] = items[size_t(k)];
            const int len = literalAt(seq, b);
            if (len > 0 && b + len == e)
                coerceLiteral(seq, b, len, columns[k]->declared, true, ctx, columns[k]->name);
        }
    };
    if (i < s.size() && isTopWord(s[i], QLatin1String("values"))) {
        for (size_t k = i + 1; k < s.size(); ++k)
            if (s[k].group)
                coerceItems(s[k].kids, 0, s[k].kids.size());
    } else if (i < s.size() && isTopWord(s[i], QLatin1String("select"))) {
        size_t b = i + 1;
        while (b < s.size() && (isTopWord(s[b], QLatin1String("distinct")) || isTopWord(s[b], QLatin1String("distinctrow"))
                                || isTopWord(s[b], QLatin1String("all"))))
            ++b;
        coerceItems(s, b, selectListEnd(s, b));
    }
}

// SELECT list: names for unnamed expressions (Expr1000, ...) and the types of aggregates.
void analyseSelect(Seq &s, const Context &ctx, QHash<QString, ColumnHint> &hints)
{
    size_t b = 1;
    while (b < s.size() && (isTopWord(s[b], QLatin1String("distinct")) || isTopWord(s[b], QLatin1String("distinctrow"))
                            || isTopWord(s[b], QLatin1String("all"))))
        ++b;
    const size_t end = selectListEnd(s, b);
    const auto items = splitCommas(s, b, end);
    std::vector<std::pair<size_t, QString>> inserts;    // position, generated name
    int exprNumber = 1000;
    for (const auto &[ib, ie] : items) {
        if (ie <= ib)
            continue;
        QString alias;
        size_t exprEnd = ie;
        if (ie - ib >= 3 && isTopWord(s[ie - 2], QLatin1String("as")) && isNameNode(s[ie - 1])) {
            alias = s[ie - 1].tok.text;
            exprEnd = ie - 2;
        }
        const ColumnInfo *col = nullptr;
        const size_t n = exprEnd - ib;
        const bool star = (n == 1 && s[ib].tok.isSymbol(QLatin1String("*")))
                          || (n == 3 && isDot(s, ib + 1) && s[ib + 2].tok.isSymbol(QLatin1String("*")));
        const bool plainColumn = size_t(columnRefAt(s, ib, ctx, &col)) == n;
        if (star || plainColumn)
            continue;
        if (alias.isEmpty()) {
            alias = QStringLiteral("Expr%1").arg(exprNumber++);
            inserts.emplace_back(exprEnd, alias);
        }
        // Aggregates of one column: Count(...) is a whole number; Sum/Avg/Min/Max follow the column.
        if (n == 2 && isNameNode(s[ib]) && s[ib + 1].group) {
            const QString f = s[ib].tok.text.toLower();
            ColumnHint hint;
            if (f == QLatin1String("count")) {
                hint.type = FieldType::BigInt;
            } else if (f == QLatin1String("sum") || f == QLatin1String("avg") || f == QLatin1String("min")
                       || f == QLatin1String("max")) {
                DeclaredType t;
                if (operandColumnEndingAt(s, ib + 1, ctx, &t)) {
                    if (f == QLatin1String("min") || f == QLatin1String("max"))
                        hint = ColumnHint{t.type, t.definedSize};
                    else if (t.type == FieldType::Currency)
                        hint.type = FieldType::Currency;
                    else if (f == QLatin1String("avg") || t.type == FieldType::Double)
                        hint.type = FieldType::Double;
                    else
                        hint.type = FieldType::BigInt;
                }
            }
            if (hint.type != FieldType::Empty)
                hints.insert(alias.toLower(), hint);
        }
    }
    for (auto it = inserts.rbegin(); it != inserts.rend(); ++it) {
        s.insert(s.begin() + qsizetype(it->first), wordNode(it->second));
        s.insert(s.begin() + qsizetype(it->first), wordNode(QStringLiteral("AS")));
    }
}

// ---- expressions ---------------------------------------------------------------------------------------

bool isArithmetic(const Node &n)
{
    if (n.group)
        return false;
    if (n.tok.isWord(QLatin1String("mod")))
        return true;
    if (n.tok.kind != JetToken::Symbol)
        return false;
    const QString &t = n.tok.text;
    return t == QLatin1String("+") || t == QLatin1String("-") || t == QLatin1String("*") || t == QLatin1String("/")
           || t == QLatin1String("\\") || t == QLatin1String("^") || t == QLatin1String("%");
}

bool startsPrimary(const Node &n)
{
    if (n.group)
        return true;
    switch (n.tok.kind) {
    case JetToken::Name: case JetToken::String: case JetToken::Number: return true;
    case JetToken::Word: return !isKeyword(n);     // names, functions, Null
    case JetToken::Symbol: return false;
    }
    return false;
}

// End of the primary at i: a name (qualified, maybe a call), a literal or a group.
size_t primaryEnd(const Seq &s, size_t i)
{
    if (s[i].group || s[i].tok.kind == JetToken::String || s[i].tok.kind == JetToken::Number)
        return i + 1;
    size_t k = i + 1;
    while (isDot(s, k) && k + 1 < s.size() && (isNameNode(s[k + 1]) || s[k + 1].tok.isSymbol(QLatin1String("*"))))
        k += 2;
    if (k < s.size() && s[k].group)
        ++k;
    return k;
}

// End of an operand of &: primaries joined by arithmetic, which binds tighter than &. Returns i when no
// operand starts at i.
size_t operandEnd(const Seq &s, size_t i)
{
    size_t k = i, good = i;
    while (true) {
        while (k < s.size() && isSign(s[k]))
            ++k;
        if (k >= s.size() || !startsPrimary(s[k]))
            return good;
        k = primaryEnd(s, k);
        good = k;
        if (k < s.size() && isArithmetic(s[k]))
            ++k;
        else
            return good;
    }
}

bool isAmpersand(const Seq &s, size_t i)
{
    return i < s.size() && !s[i].group && s[i].tok.isSymbol(QLatin1String("&"));
}

// a & b & c: text concatenation where Null counts as empty, Null when every part is Null (jet_concat;
// one call is also cheaper than a chain of IFNULL and ||).
void rewriteConcatenation(Seq &s, const Context &ctx)
{
    for (size_t i = 0; i < s.size(); ++i) {
        const size_t e = operandEnd(s, i);
        if (e == i)
            continue;
        if (!isAmpersand(s, e)) {
            i = e - 1;
            continue;
        }
        Seq args(s.begin() + qsizetype(i), s.begin() + qsizetype(e));
        args.front().tok.spaceBefore = false;
        size_t k = e;
        while (isAmpersand(s, k)) {
            const size_t oe = operandEnd(s, k + 1);
            if (oe == k + 1)
                syntaxError(QStringLiteral("missing operand after &"), ctx.sql);
            args.push_back(symbolNode(QStringLiteral(",")));
            args.insert(args.end(), s.begin() + qsizetype(k + 1), s.begin() + qsizetype(oe));
            k = oe;
        }
        Seq call{wordNode(QStringLiteral("jet_concat"), s[i].tok.spaceBefore), groupNode(std::move(args))};
        s.erase(s.begin() + qsizetype(i), s.begin() + qsizetype(k));
        s.insert(s.begin() + qsizetype(i), std::make_move_iterator(call.begin()), std::make_move_iterator(call.end()));
    }
}

// Literals compared with a Currency or Yes/No column: col op lit, lit op col, col BETWEEN lit AND lit,
// col IN (lit, ...).
void coerceComparisons(Seq &s, const Context &ctx)
{
    for (size_t i = 0; i < s.size(); ++i) {
        if (isComparison(s[i]) && i > 0) {
            DeclaredType t;
            const ColumnInfo *col = nullptr;
            if (operandColumnEndingAt(s, i - 1, ctx, &t)) {
                const size_t colStart = s[i - 1].group ? i - 2 : (i >= 3 && isDot(s, i - 2) ? i - 3 : i - 1);
                const int len = literalAt(s, i + 1);
                if (len > 0 && standsAlone(s, colStart, i) && standsAlone(s, i + 1, i + 1 + len))
                    coerceLiteral(s, i + 1, len, t, false, ctx);
                continue;
            }
            size_t litStart = i - 1;
            if (litStart > 0 && isSign(s[litStart - 1]) && !s[litStart].group && s[litStart].tok.kind == JetToken::Number
                && (litStart == 1 || !startsPrimary(s[litStart - 2])))
                --litStart;
            const int len = literalAt(s, litStart);
            const int colLen = columnRefAt(s, i + 1, ctx, &col);
            if (len > 0 && litStart + len == i && colLen > 0 && col && standsAlone(s, litStart, i)
                && standsAlone(s, i + 1, i + 1 + colLen)) {
                coerceLiteral(s, litStart, len, col->declared, false, ctx);
                i = litStart + 1;
            }
        } else if (i > 0 && (isTopWord(s[i], QLatin1String("between")) || isTopWord(s[i], QLatin1String("in")))) {
            DeclaredType t;
            if (!operandColumnEndingAt(s, i - 1, ctx, &t))
                continue;
            if (isTopWord(s[i], QLatin1String("in"))) {
                if (i + 1 < s.size() && s[i + 1].group) {
                    Seq &k = s[i + 1].kids;
                    auto items = splitCommas(k, 0, k.size());
                    for (auto it = items.rbegin(); it != items.rend(); ++it) {
                        const int len = literalAt(k, it->first);
                        if (len > 0 && it->first + len == it->second)
                            coerceLiteral(k, it->first, len, t, false, ctx);
                    }
                }
                continue;
            }
            const int len = literalAt(s, i + 1);
            if (len > 0 && standsAlone(s, i + 1, i + 1 + len)) {
                coerceLiteral(s, i + 1, len, t, false, ctx);
                if (i + 2 < s.size() && isTopWord(s[i + 2], QLatin1String("and"))) {
                    const int len2 = literalAt(s, i + 3);
                    if (len2 > 0 && standsAlone(s, i + 3, i + 3 + len2))
                        coerceLiteral(s, i + 3, len2, t, false, ctx);
                }
            }
        }
    }
}

// Word-level rewrites of one level: constants, operators and function names.
void rewriteWords(Seq &s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        Node &n = s[i];
        if (n.group || n.tok.kind != JetToken::Word)
            continue;
        const bool qualified = isDot(s, i + 1) || (i > 0 && isDot(s, i - 1));
        if (qualified)
            continue;
        if (n.tok.isWord(QLatin1String("true")) || n.tok.isWord(QLatin1String("false"))) {
            n.tok.kind = JetToken::Number;
            n.tok.text = n.tok.isWord(QLatin1String("true")) ? QStringLiteral("1") : QStringLiteral("0");
        } else if (n.tok.isWord(QLatin1String("not"))) {
            n.tok.text = QStringLiteral("NOT");
        } else if (n.tok.isWord(QLatin1String("mod"))) {
            n.tok.kind = JetToken::Symbol;
            n.tok.text = QStringLiteral("%");
            n.tok.spaceBefore = true;
        } else if (n.tok.isWord(QLatin1String("distinctrow"))) {
            s.erase(s.begin() + qsizetype(i));
            --i;
        } else if (i + 1 < s.size() && s[i + 1].group) {
            const QString renamed = renamedFunction(n.tok.text);
            if (!renamed.isEmpty())
                n.tok.text = renamed;
        }
    }
}

void rewriteExpressions(Seq &s, const Context &ctx)
{
    for (Node &n : s)
        if (n.group)
            rewriteExpressions(n.kids, ctx);
    coerceComparisons(s, ctx);
    rewriteWords(s);
    rewriteConcatenation(s, ctx);
}

// ---- output --------------------------------------------------------------------------------------------

QString tokenText(const JetToken &t)
{
    switch (t.kind) {
    case JetToken::String: {
        QString v = t.text;
        v.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + v + QLatin1Char('\'');
    }
    case JetToken::Name: {
        QString v = t.text;
        v.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + v + QLatin1Char('"');
    }
    default:
        return t.text;
    }
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

void append(QString &out, const QString &piece, bool space)
{
    if (!out.isEmpty() && !piece.isEmpty()) {
        const QChar a = out.back(), b = piece.front();
        // Blanks where the source had them, and wherever two pieces would otherwise run together.
        if (space || (isWordChar(a) && isWordChar(b)) || (a == b && (a == QLatin1Char('\'') || a == QLatin1Char('"')
                                                                      || a == QLatin1Char('-') || a == QLatin1Char('|')))
            || (a == QLatin1Char('/') && b == QLatin1Char('*')))
            out += QLatin1Char(' ');
    }
    out += piece;
}

void emitSeq(const Seq &s, QString &out)
{
    for (const Node &n : s) {
        if (n.group) {
            append(out, QStringLiteral("("), n.tok.spaceBefore);
            emitSeq(n.kids, out);
            append(out, QStringLiteral(")"), n.closeSpace);
        } else {
            append(out, tokenText(n.tok), n.tok.spaceBefore);
        }
    }
}

} // namespace

JetDialect::JetDialect(Schema schema)
    : m_schema(std::move(schema))
{
}

std::shared_ptr<const Translation> JetDialect::translate(const QString &jetSql)
{
    if (auto it = m_cache.constFind(jetSql); it != m_cache.constEnd())
        return *it;
    auto t = std::make_shared<const Translation>(translateUncached(jetSql));
    // The same few statement texts run again and again; an unbounded stream of distinct texts (dates,
    // ids) is simply started over.
    if (m_cache.size() >= 512)
        m_cache.clear();
    m_cache.insert(jetSql, t);
    return t;
}

Translation JetDialect::translateUncached(const QString &jetSql) const
{
    std::vector<JetToken> toks = lexJet(jetSql);
    Context ctx{m_schema, jetSql, {}};
    for (const JetToken &t : toks) {
        if (t.kind == JetToken::Word || t.kind == JetToken::Name)
            if (const TableInfo *table = m_schema.table(t.text); table && !ctx.tables.contains(table))
                ctx.tables.append(table);
    }
    size_t i = 0;
    Seq s = buildTree(toks, i, false, jetSql);
    while (!s.empty() && !s.back().group && s.back().tok.isSymbol(QLatin1String(";")))
        s.pop_back();

    Translation out;
    if (!s.empty()) {
        const Node &first = s.front();
        if (isTopWord(first, QLatin1String("delete")))
            rewriteDelete(s);
        else if (isTopWord(first, QLatin1String("update")))
            rewriteUpdate(s, ctx);
        else if (isTopWord(first, QLatin1String("insert")))
            rewriteInsert(s, ctx);
        else if (isTopWord(first, QLatin1String("select")))
            analyseSelect(s, ctx, out.hints);
    }
    rewriteExpressions(s, ctx);
    QString sql;
    sql.reserve(jetSql.size() + 32);
    emitSeq(s, sql);
    out.sql = sql.toUtf8();
    return out;
}

} // namespace platform
