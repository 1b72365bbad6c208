#include "platform/database/RecordFilter.h"

#include "platform/RuntimeError.h"
#include "platform/database/DecimalText.h"
#include "platform/database/JetDate.h"
#include "platform/database/JetLexer.h"
#include "platform/database/JetPattern.h"
#include "platform/database/SqliteSupport.h"
#include "platform/database/TextFold.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace platform {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

bool test(Op op, int cmp)
{
    switch (op) {
    case Op::Eq: return cmp == 0;
    case Op::Ne: return cmp != 0;
    case Op::Lt: return cmp < 0;
    case Op::Gt: return cmp > 0;
    case Op::Le: return cmp <= 0;
    case Op::Ge: return cmp >= 0;
    case Op::Like: return false;
    }
    return false;
}

template<typename T>
int threeWay(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The value of a clause, prepared for the field's type.
struct Operand {
    bool isNull = false;
    QString text;                        // as written
    QString folded;                      // text compare
    QByteArray iso;                      // Date
    std::optional<qint64> scaled;        // Currency: ten-thousandths
    std::optional<double> number;        // other numbers
    std::optional<JetPattern> pattern;   // LIKE
};

} // namespace

struct RecordFilter::Node {
    enum Kind { And, Or, Clause } kind = Clause;
    std::unique_ptr<Node> left, right;
    int field = -1;
    FieldType type = FieldType::Empty;
    Op op = Op::Eq;
    Operand value;

    bool eval(const RowStore &rows, int row) const
    {
        switch (kind) {
        case And: return left->eval(rows, row) && right->eval(rows, row);
        case Or: return left->eval(rows, row) || right->eval(rows, row);
        case Clause: return clause(rows.cell(row, field));
        }
        return false;
    }

    bool clause(const CellView &c) const
    {
        if (value.isNull)
            return op == Op::Eq ? c.cls == StoredValue::Null : (op == Op::Ne && c.cls != StoredValue::Null);
        if (c.cls == StoredValue::Null)
            return false;
        if (op == Op::Like) {
            if (c.cls == StoredValue::Text)
                return value.pattern->matchesUtf8(c.text, c.length);
            const QString s = c.cls == StoredValue::Int ? QString::number(c.i) : QString::number(c.d);
            return value.pattern->matches(s);
        }
        switch (type) {
        case FieldType::Date:
            if (c.cls == StoredValue::Text && !value.iso.isEmpty()) {
                // ISO text orders as the dates do.
                const int n = qMin<int>(c.length, int(value.iso.size()));
                int cmp = std::memcmp(c.text, value.iso.constData(), size_t(n));
                if (cmp == 0)
                    cmp = threeWay<qsizetype>(c.length, value.iso.size());
                return test(op, cmp < 0 ? -1 : (cmp > 0 ? 1 : 0));
            }
            return false;
        case FieldType::Currency:
            if (!value.scaled)
                return false;
            if (c.cls == StoredValue::Int)
                return test(op, threeWay(c.i, *value.scaled));
            if (c.cls == StoredValue::Real)
                return test(op, threeWay(c.d, double(*value.scaled)));
            return false;
        case FieldType::Boolean:
            if (!value.number || c.cls == StoredValue::Text)
                return false;
            return test(op, threeWay(int((c.cls == StoredValue::Int ? c.i : qint64(c.d)) != 0), int(*value.number != 0)));
        default:
            break;
        }
        // Numbers and text by what is stored.
        if (c.cls == StoredValue::Text) {
            if (type != FieldType::Empty && type != FieldType::VarWChar && type != FieldType::LongVarWChar)
                return false;
            return test(op, compareFolded(QString::fromUtf8(c.text, c.length), value.folded));
        }
        if (!value.number)
            return false;
        if (c.cls == StoredValue::Int && std::floor(*value.number) == *value.number && std::fabs(*value.number) < 9e18)
            return test(op, threeWay(c.i, qint64(*value.number)));
        return test(op, threeWay(c.cls == StoredValue::Int ? double(c.i) : c.d, *value.number));
    }
};

namespace {

[[noreturn]] void invalid(const QString &filter, const QString &why)
{
    throw RuntimeError(errors::DbFilterInvalid, databaseErrorSource(),
                       QStringLiteral("The filter is not valid (%1): %2").arg(why, filter));
}

class Parser
{
public:
    Parser(const QString &text, const QVector<RecordFilter::FieldInfo> &fields)
        : m_text(text), m_fields(fields)
    {
        try {
            m_toks = lexJet(text);
        } catch (const RuntimeError &e) {
            invalid(text, e.description());
        }
    }

    std::unique_ptr<RecordFilter::Node> parse()
    {
        auto root = parseOr();
        if (m_pos < m_toks.size())
            invalid(m_text, QStringLiteral("unexpected '%1'").arg(m_toks[m_pos].text));
        return root;
    }

private:
    const JetToken *peek() const { return m_pos < m_toks.size() ? &m_toks[m_pos] : nullptr; }

    std::unique_ptr<RecordFilter::Node> join(RecordFilter::Node::Kind kind, std::unique_ptr<RecordFilter::Node> l,
                                             std::unique_ptr<RecordFilter::Node> r)
    {
        auto n = std::make_unique<RecordFilter::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<RecordFilter::Node> parseOr()
    {
        auto left = parseAnd();
        while (peek() && peek()->isWord(QLatin1String("or"))) {
            ++m_pos;
            left = join(RecordFilter::Node::Or, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<RecordFilter::Node> parseAnd()
    {
        auto left = parsePrimary();
        while (peek() && peek()->isWord(QLatin1String("and"))) {
            ++m_pos;
            left = join(RecordFilter::Node::And, std::move(left), parsePrimary());
        }
        return left;
    }

    std::unique_ptr<RecordFilter::Node> parsePrimary()
    {
        const JetToken *t = peek();
        if (!t)
            invalid(m_text, QStringLiteral("a condition is missing"));
        if (t->isSymbol(QLatin1String("("))) {
            ++m_pos;
            auto inner = parseOr();
            if (!peek() || !peek()->isSymbol(QLatin1String(")")))
                invalid(m_text, QStringLiteral("missing closing parenthesis"));
            ++m_pos;
            return inner;
        }
        return parseClause();
    }

    std::unique_ptr<RecordFilter::Node> parseClause()
    {
        auto n = std::make_unique<RecordFilter::Node>();
        const JetToken *t = peek();
        if (t->kind != JetToken::Word && t->kind != JetToken::Name)
            invalid(m_text, QStringLiteral("a field name is expected at '%1'").arg(t->text));
        n->field = -1;
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].name.compare(t->text, Qt::CaseInsensitive) == 0) {
                n->field = i;
                break;
            }
        if (n->field < 0)
            invalid(m_text, QStringLiteral("no field named '%1'").arg(t->text));
        n->type = m_fields[n->field].type;
        ++m_pos;

        t = peek();
        if (!t)
            invalid(m_text, QStringLiteral("an operator is missing"));
        static const QHash<QString, Op> ops = {
            {QStringLiteral("="), Op::Eq}, {QStringLiteral("<>"), Op::Ne}, {QStringLiteral("!="), Op::Ne},
            {QStringLiteral("<"), Op::Lt}, {QStringLiteral(">"), Op::Gt}, {QStringLiteral("<="), Op::Le},
            {QStringLiteral(">="), Op::Ge},
        };
        if (t->isWord(QLatin1String("like")))
            n->op = Op::Like;
        else if (t->kind == JetToken::Symbol && ops.contains(t->text))
            n->op = ops.value(t->text);
        else
            invalid(m_text, QStringLiteral("an operator is expected at '%1'").arg(t->text));
        ++m_pos;

        n->value = parseValue(n->type, n->op);
        return n;
    }

    Operand parseValue(FieldType type, Op op)
    {
        Operand v;
        const JetToken *t = peek();
        if (!t)
            invalid(m_text, QStringLiteral("a value is missing"));
        QString sign;
        if (t->isSymbol(QLatin1String("-")) || t->isSymbol(QLatin1String("+"))) {
            sign = t->text == QLatin1String("-") ? QStringLiteral("-") : QString();
            ++m_pos;
            t = peek();
            if (!t || t->kind != JetToken::Number)
                invalid(m_text, QStringLiteral("a number is expected after the sign"));
        }
        ++m_pos;
        if (t->isWord(QLatin1String("null"))) {
            if (op != Op::Eq && op != Op::Ne)
                invalid(m_text, QStringLiteral("Null can only be compared with = or <>"));
            v.isNull = true;
            return v;
        }
        if (t->isWord(QLatin1String("true")) || t->isWord(QLatin1String("false")))
            v.text = t->isWord(QLatin1String("true")) ? QStringLiteral("-1") : QStringLiteral("0");
        else if (t->kind == JetToken::String || t->kind == JetToken::Number)
            v.text = sign + t->text;
        else
            invalid(m_text, QStringLiteral("a value is expected at '%1'").arg(t->text));

        if (op == Op::Like) {
            if (t->kind != JetToken::String)
                invalid(m_text, QStringLiteral("LIKE takes a text in quotes"));
            v.pattern = JetPattern::fromFilter(v.text);
            return v;
        }
        v.folded = foldText(v.text);
        if (const auto scaled = parseScaledDecimal(v.text, 4))
            v.scaled = scaled;
        bool ok = false;
        const double d = v.text.trimmed().toDouble(&ok);
        if (ok)
            v.number = d;
        if (type == FieldType::Boolean && !ok) {
            if (v.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                v.number = -1;
            else if (v.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                v.number = 0;
        }
        if (type == FieldType::Date) {
            auto date = parseStoredDate(v.text);
            if (!date)
                date = parseDateLiteral(v.text);
            if (!date)
                invalid(m_text, QStringLiteral("'%1' is not a date").arg(v.text));
            v.iso = date->toIso().toLatin1();
        } else if ((type == FieldType::Currency && !v.scaled)
                   || ((type == FieldType::Integer || type == FieldType::SmallInt || type == FieldType::BigInt
                        || type == FieldType::Double || type == FieldType::Boolean)
                       && !v.number)) {
            invalid(m_text, QStringLiteral("'%1' is not a number").arg(v.text));
        }
        return v;
    }

    QString m_text;
    const QVector<RecordFilter::FieldInfo> &m_fields;
    std::vector<JetToken> m_toks;
    size_t m_pos = 0;
};

} // namespace

RecordFilter::~RecordFilter() = default;

std::unique_ptr<RecordFilter> RecordFilter::compile(const QString &text, const QVector<FieldInfo> &fields)
{
    std::unique_ptr<RecordFilter> f(new RecordFilter);
    f->m_root = Parser(text, fields).parse();
    return f;
}

bool RecordFilter::matches(const RowStore &rows, int row) const
{
    return m_root->eval(rows, row);
}

} // namespace platform
