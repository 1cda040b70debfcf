#include "Filter.h"

#include "FieldValue.h"

#include "platform/core/Exception.h"

#include <vector>

// The tree keeps and/or as lists of operands, so a long chain of conditions stays shallow;
// nesting (parentheses, not) is limited, so no text can exhaust the stack.
struct FilterExpression::Node
{
    enum class Kind { Or, And, Not, Compare, Field, Text, Number, Boolean };
    enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

    Kind kind = Kind::Boolean;
    Op op = Op::Eq;
    int pos = 0;
    QString text;       // field name, text constant, or number as written
    double number = 0;
    bool boolean = false;
    std::vector<std::unique_ptr<Node>> children;

    // Filled by bind().
    int field = -1;            // Field: position in the row
    FieldType type = FieldType::String; // Compare: type both sides are compared as; Field: its type
    QVariant value;            // constants: the value in the compared type
};

namespace {

using Node = FilterExpression::Node;
constexpr int MaxNesting = 100;

EDatabaseError syntaxError(int pos, const QString& what)
{
    return EDatabaseError(QStringLiteral("Invalid filter expression at position %1: %2").arg(pos).arg(what));
}

struct Token
{
    enum class Kind { End, Field, Text, Number, And, Or, Not, True, False, Op, Open, Close };
    Kind kind = Kind::End;
    int pos = 0; // 1-based
    QString text;
    Node::Op op = Node::Op::Eq;
    double number = 0;
};

class Lexer
{
public:
    explicit Lexer(const QString& text) : m_s(text) {}

    Token next()
    {
        while (m_i < m_s.size() && m_s.at(m_i).isSpace())
            ++m_i;
        Token t;
        t.pos = int(m_i) + 1;
        if (m_i >= m_s.size())
            return t;
        const QChar c = m_s.at(m_i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            t.kind = c == QLatin1Char('"') ? Token::Kind::Field : Token::Kind::Text;
            t.text = quoted(c, t.pos);
            return t;
        }
        if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.')) && startsNumber()))
            return number(t);
        if (c.isLetter() || c == QLatin1Char('_'))
            return word(t);
        ++m_i;
        switch (c.unicode()) {
        case '(': t.kind = Token::Kind::Open; return t;
        case ')': t.kind = Token::Kind::Close; return t;
        case '=': return op(t, Node::Op::Eq, QStringLiteral("="));
        case '<':
            if (peek('>')) return op(t, Node::Op::Ne, QStringLiteral("<>"));
            if (peek('=')) return op(t, Node::Op::Le, QStringLiteral("<="));
            return op(t, Node::Op::Lt, QStringLiteral("<"));
        case '>':
            if (peek('=')) return op(t, Node::Op::Ge, QStringLiteral(">="));
            return op(t, Node::Op::Gt, QStringLiteral(">"));
        default:
            throw syntaxError(t.pos, QStringLiteral("unexpected character '%1'").arg(c));
        }
    }

private:
    bool peek(char ch)
    {
        if (m_i < m_s.size() && m_s.at(m_i) == QLatin1Char(ch)) {
            ++m_i;
            return true;
        }
        return false;
    }

    bool startsNumber() const
    {
        qsizetype j = m_i;
        if (m_s.at(j) == QLatin1Char('-') || m_s.at(j) == QLatin1Char('+'))
            ++j;
        if (j < m_s.size() && m_s.at(j) == QLatin1Char('.'))
            ++j;
        return j < m_s.size() && m_s.at(j).isDigit();
    }

    static Token op(Token t, Node::Op o, const QString& text)
    {
        t.kind = Token::Kind::Op;
        t.op = o;
        t.text = text;
        return t;
    }

    QString quoted(QChar quote, int pos)
    {
        QString out;
        ++m_i;
        while (m_i < m_s.size()) {
            const QChar c = m_s.at(m_i++);
            if (c != quote) {
                out.append(c);
                continue;
            }
            if (m_i < m_s.size() && m_s.at(m_i) == quote) { // a doubled quote stands for itself
                out.append(c);
                ++m_i;
                continue;
            }
            return out;
        }
        throw syntaxError(pos, QStringLiteral("missing closing quote %1").arg(quote));
    }

    Token number(Token t)
    {
        const qsizetype start = m_i;
        if (m_s.at(m_i) == QLatin1Char('-') || m_s.at(m_i) == QLatin1Char('+'))
            ++m_i;
        auto digits = [this] { while (m_i < m_s.size() && m_s.at(m_i).isDigit()) ++m_i; };
        digits();
        if (m_i < m_s.size() && m_s.at(m_i) == QLatin1Char('.')) {
            ++m_i;
            digits();
        }
        if (m_i + 1 < m_s.size() && (m_s.at(m_i) == QLatin1Char('e') || m_s.at(m_i) == QLatin1Char('E'))) {
            qsizetype j = m_i + 1;
            if (m_s.at(j) == QLatin1Char('-') || m_s.at(j) == QLatin1Char('+'))
                ++j;
            if (j < m_s.size() && m_s.at(j).isDigit()) {
                m_i = j;
                digits();
            }
        }
        t.kind = Token::Kind::Number;
        t.text = m_s.mid(start, m_i - start);
        bool ok = false;
        t.number = t.text.toDouble(&ok);
        if (!ok)
            throw syntaxError(t.pos, QStringLiteral("'%1' is not a number").arg(t.text));
        return t;
    }

    Token word(Token t)
    {
        const qsizetype start = m_i;
        while (m_i < m_s.size() && (m_s.at(m_i).isLetterOrNumber() || m_s.at(m_i) == QLatin1Char('_')))
            ++m_i;
        t.text = m_s.mid(start, m_i - start);
        const QString w = t.text.toLower();
        if (w == QLatin1String("and")) t.kind = Token::Kind::And;
        else if (w == QLatin1String("or")) t.kind = Token::Kind::Or;
        else if (w == QLatin1String("not")) t.kind = Token::Kind::Not;
        else if (w == QLatin1String("true")) t.kind = Token::Kind::True;
        else if (w == QLatin1String("false")) t.kind = Token::Kind::False;
        else t.kind = Token::Kind::Field;
        return t;
    }

    const QString& m_s;
    qsizetype m_i = 0;
};

class Parser
{
public:
    explicit Parser(const QString& text) : m_lexer(text) { advance(); }

    std::unique_ptr<Node> parseAll()
    {
        if (m_tok.kind == Token::Kind::End)
            return nullptr;
        auto root = orExpr();
        if (m_tok.kind != Token::Kind::End)
            throw syntaxError(m_tok.pos, QStringLiteral("expected and, or or the end of the expression"));
        return root;
    }

private:
    void advance() { m_tok = m_lexer.next(); }

    std::unique_ptr<Node> list(Node::Kind kind, Token::Kind sep, std::unique_ptr<Node> (Parser::*item)())
    {
        auto first = (this->*item)();
        if (m_tok.kind != sep)
            return first;
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->pos = first->pos;
        n->children.push_back(std::move(first));
        while (m_tok.kind == sep) {
            advance();
            n->children.push_back((this->*item)());
        }
        return n;
    }

    std::unique_ptr<Node> orExpr() { return list(Node::Kind::Or, Token::Kind::Or, &Parser::andExpr); }
    std::unique_ptr<Node> andExpr() { return list(Node::Kind::And, Token::Kind::And, &Parser::notExpr); }

    std::unique_ptr<Node> notExpr()
    {
        if (m_tok.kind != Token::Kind::Not)
            return condition();
        const int pos = m_tok.pos;
        enter(pos);
        advance();
        auto n = std::make_unique<Node>();
        n->kind = Node::Kind::Not;
        n->pos = pos;
        n->children.push_back(notExpr());
        --m_depth;
        return n;
    }

    std::unique_ptr<Node> condition()
    {
        if (m_tok.kind == Token::Kind::Open) {
            enter(m_tok.pos);
            advance();
            auto inner = orExpr();
            if (m_tok.kind != Token::Kind::Close)
                throw syntaxError(m_tok.pos, QStringLiteral("expected )"));
            advance();
            --m_depth;
            return inner;
        }
        auto left = operand();
        if (m_tok.kind != Token::Kind::Op)
            return left; // a Boolean field or constant on its own; bind() checks that
        auto n = std::make_unique<Node>();
        n->kind = Node::Kind::Compare;
        n->op = m_tok.op;
        n->pos = m_tok.pos;
        advance();
        n->children.push_back(std::move(left));
        n->children.push_back(operand());
        return n;
    }

    std::unique_ptr<Node> operand()
    {
        auto n = std::make_unique<Node>();
        n->pos = m_tok.pos;
        n->text = m_tok.text;
        switch (m_tok.kind) {
        case Token::Kind::Field: n->kind = Node::Kind::Field; break;
        case Token::Kind::Text: n->kind = Node::Kind::Text; break;
        case Token::Kind::Number: n->kind = Node::Kind::Number; n->number = m_tok.number; break;
        case Token::Kind::True: n->kind = Node::Kind::Boolean; n->boolean = true; break;
        case Token::Kind::False: n->kind = Node::Kind::Boolean; n->boolean = false; break;
        default:
            throw syntaxError(m_tok.pos, m_tok.kind == Token::Kind::End
                                             ? QStringLiteral("the expression ends where a field name or a value is expected")
                                             : QStringLiteral("expected a field name or a value"));
        }
        advance();
        return n;
    }

    void enter(int pos)
    {
        if (++m_depth > MaxNesting)
            throw syntaxError(pos, QStringLiteral("the expression is nested too deeply"));
    }

    Lexer m_lexer;
    Token m_tok;
    int m_depth = 0;
};

QString constantText(const Node& n)
{
    switch (n.kind) {
    case Node::Kind::Text: return n.text;
    case Node::Kind::Number: return n.text;
    case Node::Kind::Boolean: return n.boolean ? QStringLiteral("True") : QStringLiteral("False");
    default: return {};
    }
}

// Converts a constant to the type of the field it is compared with.
QVariant constantAs(const Node& c, const FieldDef& def, const FormatSettings& fs)
{
    try {
        if (c.kind == Node::Kind::Text)
            return FieldValue::fromText(def, c.text, fs);
        if (c.kind == Node::Kind::Boolean) {
            if (def.type == FieldType::Boolean)
                return c.boolean;
            if (def.type == FieldType::String)
                return constantText(c);
        } else if (c.kind == Node::Kind::Number) {
            if (def.type == FieldType::String)
                return c.text;
            if (def.type != FieldType::Boolean && def.type != FieldType::Blob)
                return FieldValue::fromVariant(def, c.number, fs);
        }
    } catch (const EConvertError& e) {
        throw EDatabaseError(QStringLiteral("Filter expression: %1 (compared with field '%2')").arg(e.message(), def.name));
    }
    throw EDatabaseError(QStringLiteral("Filter expression: %1 cannot be compared with field '%2'")
                             .arg(constantText(c), def.name));
}

void bindOperand(Node& n, const TableSchema& schema)
{
    if (n.kind != Node::Kind::Field)
        return;
    n.field = schema.fieldIndex(n.text);
    if (n.field < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(n.text));
    n.type = schema.fields.at(n.field).type;
    if (n.type == FieldType::Blob)
        throw EDatabaseError(QStringLiteral("Filter expression: field '%1' cannot be compared").arg(n.text));
}

void bindNode(Node& n, const TableSchema& schema, const FormatSettings& fs)
{
    switch (n.kind) {
    case Node::Kind::Or:
    case Node::Kind::And:
    case Node::Kind::Not:
        for (auto& c : n.children)
            bindNode(*c, schema, fs);
        return;
    case Node::Kind::Field:
        bindOperand(n, schema);
        if (n.type != FieldType::Boolean)
            throw EDatabaseError(QStringLiteral("Filter expression: field '%1' is not a condition; compare it with a value")
                                     .arg(n.text));
        return;
    case Node::Kind::Boolean:
        return;
    case Node::Kind::Text:
    case Node::Kind::Number:
        throw EDatabaseError(QStringLiteral("Invalid filter expression at position %1: %2 is not a condition")
                                 .arg(n.pos).arg(constantText(n)));
    case Node::Kind::Compare:
        break;
    }
    Node& a = *n.children[0];
    Node& b = *n.children[1];
    bindOperand(a, schema);
    bindOperand(b, schema);
    if (a.kind == Node::Kind::Field && b.kind == Node::Kind::Field) {
        if (a.type != b.type)
            throw EDatabaseError(QStringLiteral("Filter expression: fields '%1' and '%2' have different types")
                                     .arg(a.text, b.text));
        n.type = a.type;
    } else if (a.kind == Node::Kind::Field || b.kind == Node::Kind::Field) {
        Node& f = a.kind == Node::Kind::Field ? a : b;
        Node& c = a.kind == Node::Kind::Field ? b : a;
        n.type = f.type;
        c.value = constantAs(c, schema.fields.at(f.field), fs);
    } else if (a.kind == b.kind) {
        // Two constants: compared as they are.
        switch (a.kind) {
        case Node::Kind::Text: n.type = FieldType::String; a.value = a.text; b.value = b.text; break;
        case Node::Kind::Number: n.type = FieldType::Date; a.value = a.number; b.value = b.number; break;
        default: n.type = FieldType::Boolean; a.value = a.boolean; b.value = b.boolean; break;
        }
        // An empty text constant stands for an empty value, as it does against a field.
        if (n.type == FieldType::String) {
            if (a.text.isEmpty()) a.value = QVariant();
            if (b.text.isEmpty()) b.value = QVariant();
        }
    } else {
        throw EDatabaseError(QStringLiteral("Filter expression: %1 cannot be compared with %2")
                                 .arg(constantText(a), constantText(b)));
    }
}

const QVariant& operandValue(const Node& n, const RowValues& values)
{
    return n.kind == Node::Kind::Field ? values.at(n.field) : n.value;
}

bool evaluate(const Node& n, const RowValues& values)
{
    switch (n.kind) {
    case Node::Kind::Or:
        for (const auto& c : n.children)
            if (evaluate(*c, values))
                return true;
        return false;
    case Node::Kind::And:
        for (const auto& c : n.children)
            if (!evaluate(*c, values))
                return false;
        return true;
    case Node::Kind::Not:
        return !evaluate(*n.children[0], values);
    case Node::Kind::Field: {
        const QVariant& v = values.at(n.field);
        return !v.isNull() && v.toBool();
    }
    case Node::Kind::Boolean:
        return n.boolean;
    case Node::Kind::Text:
    case Node::Kind::Number:
        return false;
    case Node::Kind::Compare:
        break;
    }
    const QVariant& a = operandValue(*n.children[0], values);
    const QVariant& b = operandValue(*n.children[1], values);
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn) {
        switch (n.op) {
        case Node::Op::Eq: return an && bn;
        case Node::Op::Ne: return an != bn;
        default: return false;
        }
    }
    const int c = FieldValue::compare(n.type, a, b);
    switch (n.op) {
    case Node::Op::Eq: return c == 0;
    case Node::Op::Ne: return c != 0;
    case Node::Op::Lt: return c < 0;
    case Node::Op::Gt: return c > 0;
    case Node::Op::Le: return c <= 0;
    case Node::Op::Ge: return c >= 0;
    }
    return false;
}

QString quote(const QString& s, QChar q)
{
    QString out(q);
    for (QChar c : s) {
        out.append(c);
        if (c == q)
            out.append(c);
    }
    out.append(q);
    return out;
}

QString write(const Node& n)
{
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
    switch (n.kind) {
    case Node::Kind::Or:
    case Node::Kind::And: {
        QStringList parts;
        for (const auto& c : n.children)
            parts.append(write(*c));
        return QLatin1Char('(') + parts.join(n.kind == Node::Kind::Or ? QLatin1String(" or ") : QLatin1String(" and ")) + QLatin1Char(')');
    }
    case Node::Kind::Not: return QLatin1String("not ") + write(*n.children[0]);
    case Node::Kind::Field: return quote(n.text, QLatin1Char('"'));
    case Node::Kind::Text: return quote(n.text, QLatin1Char('\''));
    case Node::Kind::Number: return n.text;
    case Node::Kind::Boolean: return n.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case Node::Kind::Compare:
        return write(*n.children[0]) + QLatin1Char(' ') + QLatin1String(ops[int(n.op)]) + QLatin1Char(' ') + write(*n.children[1]);
    }
    return {};
}

} // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;
FilterExpression::~FilterExpression() = default;

FilterExpression FilterExpression::parse(const QString& text)
{
    FilterExpression e;
    e.m_text = text;
    e.m_root = Parser(text).parseAll();
    return e;
}

void FilterExpression::bind(const TableSchema& schema, const FormatSettings& fs)
{
    if (m_root)
        bindNode(*m_root, schema, fs);
}

bool FilterExpression::matches(const RowValues& values) const
{
    return !m_root || evaluate(*m_root, values);
}

QString FilterExpression::toString() const
{
    return m_root ? write(*m_root) : QString();
}
