#include "db/sqlparser.h"

#include "db/connection.h"

#include <functional>

namespace wage::sql {

namespace {

// Words that end an expression or a name and are never aliases.
const char *const kReserved[] = {
    "select", "from", "where", "group", "order", "having", "union", "except", "intersect", "into",
    "on", "join", "inner", "left", "right", "full", "outer", "cross", "and", "or", "not", "as",
    "set", "values", "by", "when", "then", "else", "end", "case", "is", "in", "like", "between",
    "limit", "top", "with", "distinct", "all", "asc", "desc", "null", "exists", "over", "escape",
    "collate", "go", nullptr};

bool reserved(const Token &t)
{
    if (t.type != Tok::Word)
        return false;
    for (const char *const *w = kReserved; *w; ++w)
        if (t.is(*w))
            return true;
    return false;
}

class Parser {
public:
    Parser(const QList<Token> &t, const QString &original, bool msSql) : m_t(t), m_sql(original), m_ms(msSql) {}

    Statement statement();

private:
    const QList<Token> &m_t;
    QString m_sql;
    bool m_ms;
    int m_i = 0;

    const Token &peek(int k = 0) const { return m_t[qMin(m_i + k, int(m_t.size()) - 1)]; }
    const Token &next() { const Token &t = peek(); if (t.type != Tok::End) ++m_i; return t; }
    bool atEnd() const { return peek().type == Tok::End; }
    bool accept(const char *word) { if (peek().is(word)) { ++m_i; return true; } return false; }
    bool acceptOp(const char *op) { if (peek().isOp(op)) { ++m_i; return true; } return false; }
    [[noreturn]] void fail(const QString &what) const
    {
        const Token &t = peek();
        const QString near = t.type == Tok::End ? QStringLiteral("语句末尾") : QStringLiteral("“%1”").arg(m_sql.mid(t.pos, 20));
        throw DbError(QStringLiteral("SQL 语法错误：%1（在%2附近）").arg(what, near), m_sql);
    }
    void expect(const char *word) { if (!accept(word)) fail(QStringLiteral("缺少 %1").arg(QString::fromLatin1(word).toUpper())); }
    void expectOp(const char *op) { if (!acceptOp(op)) fail(QStringLiteral("缺少“%1”").arg(QLatin1String(op))); }

    bool isName(const Token &t) const { return t.type == Tok::Name || (t.type == Tok::Word && !reserved(t)); }
    QString name()
    {
        const Token &t = peek();
        if (t.type == Tok::Name || t.type == Tok::Word) { ++m_i; return t.text; }
        fail(QStringLiteral("缺少名称"));
    }
    // a.b.c: the parts of a dotted name
    QStringList dottedName()
    {
        QStringList parts{name()};
        while (peek().isOp(".") && (peek(1).type == Tok::Name || peek(1).type == Tok::Word)) {
            ++m_i;
            parts.append(name());
        }
        return parts;
    }
    QString tableName()
    {
        const QStringList parts = dottedName();
        return parts.last(); // server.database.owner prefixes have no meaning in one file
    }
    QString typeText();

    QueryP query();
    SelectCore core();
    QList<FromItem> fromList();
    TableRef tableRef();
    QString optionalAlias();
    QList<OrderItem> orderList();

    NodeP expr() { return orExpr(); }
    NodeP orExpr();
    NodeP andExpr();
    NodeP notExpr();
    NodeP predicate();
    NodeP additive();
    NodeP concatenation();
    NodeP multiplicative();
    NodeP unary();
    NodeP primary();
    NodeP functionCall(const QString &fname);

    Statement selectStatement();
    Statement insertStatement();
    Statement updateStatement();
    Statement deleteStatement();
    Statement createStatement();
    Statement alterStatement();
    Statement dropStatement();
    ColumnDef columnDef();
};

NodeP make(NK kind)
{
    auto n = std::make_shared<Node>();
    n->kind = kind;
    return n;
}

NodeP binary(const QString &op, NodeP a, NodeP b)
{
    NodeP n = make(NK::Binary);
    n->text = op;
    n->kids = {std::move(a), std::move(b)};
    return n;
}

QString Parser::typeText()
{
    // int, nvarchar(20), decimal(18, 2), [int], double precision, varchar(max)
    QString t = name();
    while (peek().type == Tok::Word && (peek().is("precision") || peek().is("varying")))
        t += QLatin1Char(' ') + next().text;
    if (peek().isOp("(")) {
        next();
        QStringList args;
        while (!peek().isOp(")")) {
            if (atEnd()) fail(QStringLiteral("类型缺少“)”"));
            const Token &a = next();
            if (a.type == Tok::Number || a.type == Tok::Word)
                args.append(a.text);
        }
        next();
        t += QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    return t;
}

QString Parser::optionalAlias()
{
    if (accept("as")) {
        const Token &t = peek();
        if (t.type == Tok::String || t.type == Tok::Name || t.type == Tok::Word) { ++m_i; return t.text; }
        fail(QStringLiteral("AS 后缺少别名"));
    }
    if (isName(peek()) || peek().type == Tok::Name)
        return next().text;
    if (m_ms && peek().type == Tok::String)
        return next().text;
    return QString();
}

QList<OrderItem> Parser::orderList()
{
    QList<OrderItem> out;
    do {
        OrderItem o;
        o.expr = expr();
        if (accept("asc")) o.direction = QStringLiteral("ASC");
        else if (accept("desc")) o.direction = QStringLiteral("DESC");
        out.append(o);
    } while (acceptOp(","));
    return out;
}

QueryP Parser::query()
{
    auto q = std::make_shared<Query>();
    if (accept("with")) {
        accept("recursive");
        do {
            Cte c;
            c.name = name();
            if (acceptOp("(")) {
                do c.columns.append(name()); while (acceptOp(","));
                expectOp(")");
            }
            expect("as");
            expectOp("(");
            c.query = query();
            expectOp(")");
            q->ctes.append(c);
        } while (acceptOp(","));
    }
    for (;;) {
        if (peek().isOp("(") && peek(1).is("select")) {
            // (select ...) union (select ...): a parenthesised core
            next();
            QueryP inner = query();
            expectOp(")");
            if (inner->cores.size() == 1 && inner->orderBy.isEmpty() && inner->ctes.isEmpty()) {
                q->cores.append(inner->cores.first());
            } else {
                SelectCore wrap;
                SelectItem all;
                all.expr = make(NK::Star);
                wrap.items.append(all);
                FromItem f;
                f.ref.subquery = inner;
                wrap.from.append(f);
                q->cores.append(wrap);
            }
        } else {
            q->cores.append(core());
        }
        if (peek().is("union") || peek().is("except") || peek().is("intersect")) {
            QString op = next().text.toUpper();
            if (accept("all")) op += QStringLiteral(" ALL");
            q->setOps.append(op);
            continue;
        }
        break;
    }
    if (accept("order")) {
        expect("by");
        q->orderBy = orderList();
    }
    return q;
}

SelectCore Parser::core()
{
    SelectCore c;
    expect("select");
    if (accept("distinct")) c.distinct = true;
    else if (!m_ms && accept("distinctrow")) c.distinctRow = true;
    else accept("all");
    if (accept("top")) {
        if (acceptOp("(")) { c.top = expr(); expectOp(")"); }
        else {
            NodeP n = make(NK::Literal);
            if (peek().type != Tok::Number && peek().type != Tok::Param) fail(QStringLiteral("TOP 后缺少数量"));
            if (peek().type == Tok::Param) { n = make(NK::Param); n->text = next().text; }
            else n->token = next();
            c.top = n;
        }
        if (accept("percent")) c.topPercent = true;
        if (accept("with")) { expect("ties"); c.topTies = true; }
    }
    do {
        SelectItem it;
        // T-SQL: alias = expression
        if (m_ms && (peek().type == Tok::Word || peek().type == Tok::Name || peek().type == Tok::String)
            && !reserved(peek()) && peek(1).isOp("=")) {
            it.alias = next().text;
            next();
            it.expr = expr();
        } else {
            it.expr = expr();
            it.alias = optionalAlias();
        }
        c.items.append(it);
    } while (acceptOp(","));
    if (accept("into"))
        c.into = tableName();
    if (accept("from"))
        c.from = fromList();
    if (accept("where"))
        c.where = expr();
    if (accept("group")) {
        expect("by");
        do c.groupBy.append(expr()); while (acceptOp(","));
    }
    if (accept("having"))
        c.having = expr();
    return c;
}

TableRef Parser::tableRef()
{
    TableRef r;
    if (peek().isOp("(")) {
        next();
        if (peek().is("select") || peek().is("with") || (peek().isOp("(") && peek(1).is("select"))) {
            r.subquery = query();
            expectOp(")");
        } else {
            r.nested = fromList();
            expectOp(")");
            return r;
        }
    } else {
        r.name = tableName();
    }
    r.alias = optionalAlias();
    if (peek().is("with") && peek(1).isOp("(")) { // table hints: WITH (NOLOCK)
        next(); next();
        while (!atEnd() && !peek().isOp(")")) next();
        expectOp(")");
    }
    return r;
}

QList<FromItem> Parser::fromList()
{
    QList<FromItem> items;
    FromItem first;
    first.ref = tableRef();
    items.append(first);
    for (;;) {
        FromItem f;
        if (acceptOp(",")) {
            f.ref = tableRef();
            items.append(f);
            continue;
        }
        QString join;
        if (accept("inner")) join = QStringLiteral("JOIN");
        else if (accept("left")) { accept("outer"); join = QStringLiteral("LEFT JOIN"); }
        else if (accept("right")) { accept("outer"); join = QStringLiteral("RIGHT JOIN"); }
        else if (accept("full")) { accept("outer"); join = QStringLiteral("FULL JOIN"); }
        else if (accept("cross")) join = QStringLiteral("CROSS JOIN");
        else if (peek().is("join")) join = QStringLiteral("JOIN");
        else break;
        expect("join");
        f.join = join;
        f.ref = tableRef();
        if (accept("on"))
            f.on = expr();
        items.append(f);
    }
    return items;
}

NodeP Parser::orExpr()
{
    NodeP l = andExpr();
    while (accept("or"))
        l = binary(QStringLiteral("OR"), l, andExpr());
    return l;
}

NodeP Parser::andExpr()
{
    NodeP l = notExpr();
    while (accept("and"))
        l = binary(QStringLiteral("AND"), l, notExpr());
    return l;
}

NodeP Parser::notExpr()
{
    if (accept("not")) {
        NodeP n = make(NK::Unary);
        n->text = QStringLiteral("NOT");
        n->kids = {notExpr()};
        return n;
    }
    return predicate();
}

NodeP Parser::predicate()
{
    NodeP l = concatenation();
    for (;;) {
        const Token &t = peek();
        if (t.type == Tok::Op && (t.text == QLatin1String("=") || t.text == QLatin1String("<>") || t.text == QLatin1String("!=")
                                  || t.text == QLatin1String("<") || t.text == QLatin1String(">") || t.text == QLatin1String("<=")
                                  || t.text == QLatin1String(">=") || t.text == QLatin1String("!<") || t.text == QLatin1String("!>"))) {
            QString op = next().text;
            if (op == QLatin1String("!=")) op = QStringLiteral("<>");
            if (op == QLatin1String("!<")) op = QStringLiteral(">=");
            if (op == QLatin1String("!>")) op = QStringLiteral("<=");
            l = binary(op, l, concatenation());
            continue;
        }
        bool negate = false;
        if (t.is("not") && (peek(1).is("between") || peek(1).is("in") || peek(1).is("like"))) {
            next();
            negate = true;
        }
        if (accept("is")) {
            NodeP n = make(NK::IsNull);
            n->flag = accept("not");
            expect("null");
            n->kids = {l};
            l = n;
            continue;
        }
        if (accept("between")) {
            NodeP n = make(NK::Between);
            n->flag = negate;
            NodeP lo = concatenation();
            expect("and");
            n->kids = {l, lo, concatenation()};
            l = n;
            continue;
        }
        if (accept("in")) {
            NodeP n = make(NK::In);
            n->flag = negate;
            n->kids = {l};
            expectOp("(");
            if (peek().is("select") || peek().is("with")) {
                n->query = query();
            } else {
                do n->kids.append(expr()); while (acceptOp(","));
            }
            expectOp(")");
            l = n;
            continue;
        }
        if (accept("like")) {
            NodeP n = make(NK::Like);
            n->flag = negate;
            n->kids = {l, concatenation()};
            if (accept("escape"))
                n->kids.append(concatenation());
            l = n;
            continue;
        }
        if (negate)
            fail(QStringLiteral("NOT 用法错误"));
        return l;
    }
}

// Jet's `&` joins texts after `+` and `-` have done their work ('a' & 1+2 is "a3"); in T-SQL
// `&` is the bitwise and of the additive level.
NodeP Parser::concatenation()
{
    NodeP l = additive();
    while (!m_ms && peek().isOp("&")) {
        next();
        l = binary(QStringLiteral("&"), l, additive());
    }
    return l;
}

NodeP Parser::additive()
{
    NodeP l = multiplicative();
    for (;;) {
        const Token &t = peek();
        if (t.isOp("+") || t.isOp("-") || t.isOp("||") || (m_ms && t.isOp("&")) || t.isOp("|") || t.isOp("^")) {
            const QString op = next().text;
            l = binary(op, l, multiplicative());
        } else {
            return l;
        }
    }
}

NodeP Parser::multiplicative()
{
    NodeP l = unary();
    for (;;) {
        const Token &t = peek();
        if (t.isOp("*") || t.isOp("/") || t.isOp("%") || t.isOp("\\") || t.is("mod")) {
            QString op = next().text;
            if (op.compare(QLatin1String("mod"), Qt::CaseInsensitive) == 0) op = QStringLiteral("%");
            l = binary(op, l, unary());
        } else {
            return l;
        }
    }
}

NodeP Parser::unary()
{
    if (peek().isOp("-") || peek().isOp("+") || peek().isOp("~")) {
        NodeP n = make(NK::Unary);
        n->text = next().text;
        n->kids = {unary()};
        return n;
    }
    NodeP p = primary();
    while (accept("collate"))
        name(); // the engine's own text collation applies
    return p;
}

NodeP Parser::functionCall(const QString &fname)
{
    NodeP n = make(NK::Func);
    n->text = fname;
    expectOp("(");
    const QString lower = fname.toLower();
    if (lower == QLatin1String("cast")) {
        n->kind = NK::Cast;
        n->kids = {expr()};
        expect("as");
        n->typeName = typeText();
        expectOp(")");
        return n;
    }
    if (lower == QLatin1String("convert") && m_ms) {
        n->kind = NK::Convert;
        n->typeName = typeText();
        expectOp(",");
        n->kids = {expr()};
        if (acceptOp(","))
            n->kids.append(expr());
        expectOp(")");
        return n;
    }
    const bool datePartFirst = lower == QLatin1String("dateadd") || lower == QLatin1String("datediff")
                               || lower == QLatin1String("datepart") || lower == QLatin1String("datename")
                               || lower == QLatin1String("datetrunc");
    if (acceptOp(")")) {
    } else if (peek().isOp("*") && peek(1).isOp(")")) {
        next(); next();
        n->star = true;
    } else {
        if (accept("distinct")) n->flag = true;
        else accept("all");
        bool firstArg = true;
        do {
            if (firstArg && datePartFirst && peek().type == Tok::Word && (peek(1).isOp(","))) {
                NodeP p = make(NK::DatePart);
                p->text = next().text;
                n->kids.append(p);
            } else {
                n->kids.append(expr());
            }
            firstArg = false;
        } while (acceptOp(","));
        expectOp(")");
    }
    if (accept("over")) {
        n->hasOver = true;
        expectOp("(");
        if (accept("partition")) {
            expect("by");
            do n->partition.append(expr()); while (acceptOp(","));
        }
        if (accept("order")) {
            expect("by");
            n->overOrder = orderList();
        }
        expectOp(")");
    }
    return n;
}

NodeP Parser::primary()
{
    const Token &t = peek();
    switch (t.type) {
    case Tok::String:
    case Tok::Number:
    case Tok::Date: {
        NodeP n = make(NK::Literal);
        n->token = next();
        return n;
    }
    case Tok::Param: {
        NodeP n = make(NK::Param);
        n->text = next().text;
        return n;
    }
    case Tok::Variable: {
        NodeP n = make(NK::Variable);
        n->text = next().text;
        return n;
    }
    case Tok::Op:
        if (t.isOp("(")) {
            next();
            if (peek().is("select") || peek().is("with")) {
                NodeP n = make(NK::Subquery);
                n->query = query();
                expectOp(")");
                return n;
            }
            NodeP first = expr();
            if (acceptOp(",")) {
                NodeP list = make(NK::List);
                list->kids.append(first);
                do list->kids.append(expr()); while (acceptOp(","));
                expectOp(")");
                return list;
            }
            expectOp(")");
            NodeP n = make(NK::List);
            n->kids = {first};
            return n;
        }
        if (t.isOp("*")) {
            next();
            return make(NK::Star);
        }
        fail(QStringLiteral("无法识别的符号"));
    case Tok::Word:
        if (t.is("null") || t.is("true") || t.is("false")) {
            NodeP n = make(NK::Literal);
            n->token = next();
            return n;
        }
        if (t.is("exists")) {
            next();
            expectOp("(");
            NodeP n = make(NK::Exists);
            n->query = query();
            expectOp(")");
            return n;
        }
        if (t.is("case")) {
            next();
            NodeP n = make(NK::Case);
            if (!peek().is("when")) {
                n->caseHasOperand = true;
                n->kids.append(expr());
            }
            while (accept("when")) {
                n->kids.append(expr());
                expect("then");
                n->kids.append(expr());
            }
            if (accept("else")) {
                n->caseHasElse = true;
                n->kids.append(expr());
            }
            expect("end");
            return n;
        }
        if (reserved(t) && !(t.is("left") || t.is("right")))
            fail(QStringLiteral("此处不应出现关键字"));
        [[fallthrough]];
    case Tok::Name: {
        const bool bare = t.type == Tok::Word;
        if (bare && peek(1).isOp("(")) {
            const QString fname = next().text;
            return functionCall(fname);
        }
        QStringList parts{next().text};
        while (peek().isOp(".")) {
            next();
            if (peek().isOp("*")) {
                next();
                NodeP s = make(NK::Star);
                s->parts = parts;
                return s;
            }
            parts.append(name());
        }
        if (parts.size() > 2)
            parts = parts.mid(parts.size() - 2);
        NodeP n = make(NK::Column);
        n->parts = parts;
        return n;
    }
    case Tok::End:
        fail(QStringLiteral("语句不完整"));
    }
    fail(QStringLiteral("无法识别"));
}

Statement Parser::selectStatement()
{
    Statement s;
    s.kind = Statement::Select;
    s.query = query();
    return s;
}

Statement Parser::insertStatement()
{
    Statement s;
    s.kind = Statement::Insert;
    expect("insert");
    accept("into");
    s.table = tableName();
    if (peek().isOp("(") && !peek(1).is("select")) {
        next();
        do s.columns.append(name()); while (acceptOp(","));
        expectOp(")");
    }
    if (accept("values")) {
        do {
            expectOp("(");
            QList<NodeP> row;
            do row.append(expr()); while (acceptOp(","));
            expectOp(")");
            s.values.append(row);
        } while (acceptOp(","));
    } else if (peek().is("select") || peek().is("with") || peek().isOp("(")) {
        if (acceptOp("(")) { s.query = query(); expectOp(")"); }
        else s.query = query();
    } else if (accept("default")) {
        expect("values");
    } else {
        fail(QStringLiteral("INSERT 缺少 VALUES 或 SELECT"));
    }
    return s;
}

Statement Parser::updateStatement()
{
    Statement s;
    s.kind = Statement::Update;
    expect("update");
    if (accept("top"))
        fail(QStringLiteral("不支持 UPDATE TOP"));
    // Access writes every table after update (comma or join); T-SQL writes one
    QList<FromItem> targets = fromList();
    expect("set");
    do {
        Assignment a;
        a.target = dottedName();
        expectOp("=");
        a.value = expr();
        s.sets.append(a);
    } while (acceptOp(","));
    if (accept("from"))
        s.from = fromList();
    if (accept("where"))
        s.where = expr();
    // The table that is written: the one the first assignment names, else the first.
    const QString qualifier = s.sets.first().target.size() > 1 ? s.sets.first().target.at(s.sets.first().target.size() - 2) : QString();
    QList<FromItem> flat;
    std::function<void(const QList<FromItem> &)> flatten = [&](const QList<FromItem> &items) {
        for (const FromItem &f : items) {
            if (!f.ref.nested.isEmpty()) {
                QList<FromItem> inner = f.ref.nested;
                inner.first().join = f.join;
                if (f.on) inner.first().on = inner.first().on ? binary(QStringLiteral("AND"), inner.first().on, f.on) : f.on;
                flatten(inner);
            } else {
                flat.append(f);
            }
        }
    };
    flatten(targets);
    int which = 0;
    for (int i = 0; i < flat.size() && !qualifier.isEmpty(); ++i)
        if (flat[i].ref.name.compare(qualifier, Qt::CaseInsensitive) == 0 || flat[i].ref.alias.compare(qualifier, Qt::CaseInsensitive) == 0)
            which = i;
    if (flat[which].ref.subquery)
        fail(QStringLiteral("不能更新子查询"));
    s.table = flat[which].ref.name;
    s.alias = flat[which].ref.alias;
    NodeP joinConditions;
    QList<FromItem> others;
    for (int i = 0; i < flat.size(); ++i) {
        if (flat[i].on)
            joinConditions = joinConditions ? binary(QStringLiteral("AND"), joinConditions, flat[i].on) : flat[i].on;
        if (i == which)
            continue;
        FromItem f = flat[i];
        f.join.clear();
        f.on.reset();
        others.append(f);
    }
    s.from = others + s.from;
    // T-SQL may repeat the target in FROM (by name or by the alias the update names): that is
    // the written table itself, not a second copy of it.
    for (int i = 0; i < s.from.size() && s.alias.isEmpty(); ++i) {
        const FromItem &f = s.from[i];
        if (f.ref.subquery || !f.ref.nested.isEmpty())
            continue;
        const bool byName = f.ref.name.compare(s.table, Qt::CaseInsensitive) == 0;
        const bool byAlias = !f.ref.alias.isEmpty() && f.ref.alias.compare(s.table, Qt::CaseInsensitive) == 0;
        if (!byName && !byAlias)
            continue;
        s.table = f.ref.name;
        s.alias = f.ref.alias;
        QList<FromItem> rest;
        std::function<void(const QList<FromItem> &)> flattenAll = [&](const QList<FromItem> &items) {
            for (const FromItem &g : items) {
                if (!g.ref.nested.isEmpty()) {
                    flattenAll(g.ref.nested);
                    if (g.on) joinConditions = joinConditions ? binary(QStringLiteral("AND"), joinConditions, g.on) : g.on;
                    continue;
                }
                if (g.on) joinConditions = joinConditions ? binary(QStringLiteral("AND"), joinConditions, g.on) : g.on;
                FromItem h = g;
                h.join.clear();
                h.on.reset();
                rest.append(h);
            }
        };
        QList<FromItem> before = s.from;
        before.removeAt(i);
        flattenAll(before);
        if (f.on) joinConditions = joinConditions ? binary(QStringLiteral("AND"), joinConditions, f.on) : f.on;
        s.from = rest;
        break;
    }
    if (joinConditions)
        s.where = s.where ? binary(QStringLiteral("AND"), joinConditions, s.where) : joinConditions;
    return s;
}

Statement Parser::deleteStatement()
{
    Statement s;
    s.kind = Statement::Delete;
    expect("delete");
    // delete * from t / delete t.* from t (Jet), delete from t, delete t where (T-SQL)
    if (peek().isOp("*")) next();
    else if ((peek().type == Tok::Word || peek().type == Tok::Name) && peek(1).isOp(".") && peek(2).isOp("*")) {
        next(); next(); next();
    }
    accept("from");
    s.table = tableName();
    if (accept("from"))
        s.from = fromList();   // DELETE alias FROM t alias JOIN ...
    else
        s.alias = optionalAlias();
    if (accept("where"))
        s.where = expr();
    if (!s.from.isEmpty()) {
        // delete x from t x join ...: keep the rows of the target that the join finds
        int target = -1;
        for (int i = 0; i < s.from.size(); ++i)
            if (s.from[i].ref.alias.compare(s.table, Qt::CaseInsensitive) == 0 || s.from[i].ref.name.compare(s.table, Qt::CaseInsensitive) == 0)
                target = i;
        if (target >= 0) {
            s.alias = s.from[target].ref.alias;
            s.table = s.from[target].ref.name;
            NodeP on;
            for (int i = 0; i < s.from.size(); ++i)
                if (s.from[i].on) on = on ? binary(QStringLiteral("AND"), on, s.from[i].on) : s.from[i].on;
            s.from.removeAt(target);
            for (FromItem &f : s.from) { f.join.clear(); f.on.reset(); }
            if (on) s.where = s.where ? binary(QStringLiteral("AND"), on, s.where) : on;
        }
    }
    return s;
}

ColumnDef Parser::columnDef()
{
    ColumnDef c;
    c.name = name();
    if (peek().type == Tok::Word || peek().type == Tok::Name) {
        if (!(peek().is("not") || peek().is("null") || peek().is("primary") || peek().is("default") || peek().is("identity")))
            c.type = typeText();
    }
    for (;;) {
        if (accept("identity")) {
            c.identity = true;
            if (acceptOp("(")) { while (!atEnd() && !peek().isOp(")")) next(); expectOp(")"); }
        } else if (accept("not")) {
            expect("null");
            c.notNull = true;
        } else if (accept("null")) {
        } else if (accept("primary")) {
            expect("key");
            c.primaryKey = true;
            accept("clustered"); accept("nonclustered");
        } else if (accept("unique")) {
            accept("clustered"); accept("nonclustered");
        } else if (accept("default")) {
            c.defaultValue = unary();
        } else if (accept("constraint")) {
            name();
        } else if (accept("collate")) {
            name();
        } else {
            break;
        }
    }
    if (c.type.compare(QLatin1String("counter"), Qt::CaseInsensitive) == 0
        || c.type.compare(QLatin1String("autoincrement"), Qt::CaseInsensitive) == 0)
        c.identity = true;
    return c;
}

Statement Parser::createStatement()
{
    Statement s;
    expect("create");
    if (accept("table")) {
        s.kind = Statement::CreateTable;
        s.table = tableName();
        expectOp("(");
        do {
            if (peek().is("constraint") || peek().is("primary") || peek().is("unique") || peek().is("foreign")) {
                // table constraint: keep primary key and unique column lists
                if (accept("constraint")) name();
                QString kind;
                if (accept("primary")) { expect("key"); kind = QStringLiteral("PRIMARY KEY"); }
                else if (accept("unique")) kind = QStringLiteral("UNIQUE");
                else { while (!atEnd() && !peek().isOp(",") && !(peek().isOp(")") && peek(1).type == Tok::End)) { if (peek().isOp("(")) { int depth = 0; do { if (peek().isOp("(")) ++depth; if (peek().isOp(")")) --depth; next(); } while (depth > 0 && !atEnd()); } else next(); } continue; }
                accept("clustered"); accept("nonclustered");
                expectOp("(");
                QStringList cols;
                do { cols.append(QLatin1Char('"') + name() + QLatin1Char('"')); accept("asc"); accept("desc"); } while (acceptOp(","));
                expectOp(")");
                if (accept("with") && acceptOp("(")) { while (!atEnd() && !peek().isOp(")")) next(); expectOp(")"); }
                if (accept("on")) name();
                s.constraints.append(kind + QStringLiteral(" (") + cols.join(QLatin1Char(',')) + QLatin1Char(')'));
                continue;
            }
            s.defs.append(columnDef());
        } while (acceptOp(","));
        expectOp(")");
        if (accept("on")) name(); // ON [PRIMARY]
        if (accept("textimage_on")) name();
        return s;
    }
    if (accept("unique")) s.unique = true;
    accept("clustered"); accept("nonclustered");
    if (accept("index")) {
        s.kind = Statement::CreateIndex;
        s.indexName = name();
        expect("on");
        s.table = tableName();
        expectOp("(");
        do {
            s.indexExprs.append(expr());
            s.indexDirs.append(accept("desc") ? QStringLiteral(" DESC") : (accept("asc"), QString()));
        } while (acceptOp(","));
        expectOp(")");
        if (accept("with") && acceptOp("(")) { while (!atEnd() && !peek().isOp(")")) next(); expectOp(")"); }
        if (accept("on")) name();
        return s;
    }
    fail(QStringLiteral("内置数据库只支持 CREATE TABLE 与 CREATE INDEX"));
}

Statement Parser::alterStatement()
{
    Statement s;
    expect("alter");
    expect("table");
    s.table = tableName();
    if (accept("add")) {
        s.kind = Statement::AlterAdd;
        accept("column");
        do {
            accept("column");
            s.defs.append(columnDef());
        } while (acceptOp(","));
        return s;
    }
    if (accept("drop")) {
        s.kind = Statement::AlterDrop;
        accept("column");
        do { accept("column"); s.columns.append(name()); } while (acceptOp(","));
        return s;
    }
    fail(QStringLiteral("内置数据库不支持此 ALTER TABLE 操作"));
}

Statement Parser::dropStatement()
{
    Statement s;
    expect("drop");
    if (accept("table")) {
        s.kind = Statement::DropTable;
        if (accept("if")) { expect("exists"); s.ifExists = true; }
        s.table = tableName();
        return s;
    }
    if (accept("index")) {
        s.kind = Statement::DropTable; // reused with indexName set
        if (accept("if")) { expect("exists"); s.ifExists = true; }
        QStringList parts = dottedName();
        s.indexName = parts.last();
        if (accept("on")) tableName();
        return s;
    }
    fail(QStringLiteral("内置数据库只支持 DROP TABLE 与 DROP INDEX"));
}

Statement Parser::statement()
{
    Statement s;
    const Token &t = peek();
    if (t.is("select") || t.is("with") || (t.isOp("(") && peek(1).is("select"))) s = selectStatement();
    else if (t.is("insert")) s = insertStatement();
    else if (t.is("update")) s = updateStatement();
    else if (t.is("delete")) s = deleteStatement();
    else if (t.is("create")) s = createStatement();
    else if (t.is("alter")) s = alterStatement();
    else if (t.is("drop")) s = dropStatement();
    else if (t.is("truncate")) {
        // TRUNCATE TABLE t: every row goes, and the identity starts again
        next();
        expect("table");
        s.kind = Statement::Delete;
        s.table = tableName();
        s.truncate = true;
    }
    else if (t.is("exec") || t.is("execute")) fail(QStringLiteral("内置数据库不支持存储过程（EXEC）"));
    else fail(QStringLiteral("无法识别的语句"));
    if (!atEnd())
        fail(QStringLiteral("多余的内容"));
    return s;
}

} // namespace

Statement parseStatement(const QList<Token> &tokens, const QString &original, bool msSql)
{
    Parser p(tokens, original, msSql);
    return p.statement();
}

} // namespace wage::sql
