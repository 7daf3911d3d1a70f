#include "db/sqlrender.h"

#include "db/connection.h"
#include "db/sqldates.h"
#include "db/sqlitefunctions.h"
#include "db/sqllike.h"
#include "db/sqlscript.h"
#include "db/sqlshape.h"

#include <QHash>
#include <QSet>

#include <functional>

namespace wage::sql {

Ty typeOfDeclared(const QString &declaredType)
{
    const QString t = declaredType.toLower();
    if (t.isEmpty())
        return Ty::Unknown;
    if (t.contains(QLatin1String("char")) || t.contains(QLatin1String("text")) || t.contains(QLatin1String("memo"))
        || t.contains(QLatin1String("string")) || t.contains(QLatin1String("clob")) || t == QLatin1String("uniqueidentifier"))
        return Ty::Text;
    if (t.contains(QLatin1String("date")) || t.contains(QLatin1String("time")))
        return Ty::Date;
    static const char *const numeric[] = {"int", "money", "currency", "dec", "numeric", "float", "real", "double",
                                          "bit", "counter", "single", "byte", "long", "number", "yesno",
                                          "autoincrement", "identity", "bool", nullptr};
    for (const char *const *n = numeric; *n; ++n)
        if (t.contains(QLatin1String(*n)))
            return Ty::Num;
    return Ty::Unknown;
}

QString sqliteColumnType(const QString &declared)
{
    QString t = declared;
    const QString low = t.toLower();
    if (low == QLatin1String("memo") || low == QLatin1String("longtext") || low == QLatin1String("longchar"))
        t = QStringLiteral("text");
    if (typeOfDeclared(t) == Ty::Text)
        t += QStringLiteral(" COLLATE ") + QLatin1String(kTextCollation);
    return t;
}

namespace {

QString quoteName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString quoteText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

const QString kCollate = QStringLiteral(" COLLATE ") + QLatin1String(kTextCollation);

struct Scope {
    QList<QPair<QString, QString>> tables; // (alias or name, table); table empty for derived tables
    const Scope *parent = nullptr;
};

// Numeric kinds that decide how a division divides.
enum class Kind { Unknown, Int, Money, Exact, Float };

class Renderer {
public:
    Renderer(bool msSql, const SchemaInfo *schema, const QString &original, const QHash<int, int> *literalSlots)
        : m_ms(msSql), m_schema(schema), m_sql(original), m_slots(literalSlots) {}

    QList<SqliteStatement> render(const Statement &s);
    // A literal the statement never rendered (a size in a type name, say) decided the
    // translation as written.
    bool valueDependent() const { return m_valueDependent || (m_slots && m_consumed.size() != m_slots->size()); }

private:
    const QHash<int, int> *m_slots;
    bool m_valueDependent = false;
    int m_inline = 0;   // >0: literals are written in (result column names, positions)
    QSet<int> m_consumed;

    // The parameter for a literal that takes part in the statement's shape; empty when the
    // literal is written in (and the translation then depends on its value).
    QString slotParameter(const Node &n)
    {
        if (!m_slots || n.kind != NK::Literal) return QString();
        auto it = m_slots->constFind(n.token.pos);
        if (it == m_slots->constEnd()) return QString();
        m_consumed.insert(it.value());
        if (m_inline > 0) { m_valueDependent = true; return QString(); }
        const QString p = literalParameter(it.value());
        if (!m_params.contains(p)) m_params.append(p);
        return QLatin1Char(':') + p;
    }
    bool slotted(const Node &n) const { return m_slots && n.kind == NK::Literal && m_slots->contains(n.token.pos); }

    bool m_ms;
    const SchemaInfo *m_schema;
    QString m_sql;
    QStringList m_params;

    [[noreturn]] void fail(const QString &what) const { throw DbError(what, m_sql); }

    QString columnType(const Scope *scope, const QStringList &parts) const;
    QString expr(const NodeP &n, const Scope *scope, Ty *type = nullptr);
    QString func(const Node &n, const Scope *scope, Ty *type);
    QString compare(const QString &op, const NodeP &a, const NodeP &b, const Scope *scope);
    QString dateLiteralIfDate(const NodeP &n, Ty other, const Scope *scope, Ty *type);
    QString query(const Query &q, const Scope *scope);
    QString core(const SelectCore &c, const Scope *scope, bool withTop, const QList<OrderItem> *order);
    QString fromList(const QList<FromItem> &items, Scope *scope, const Scope *outer);
    void declare(const QList<FromItem> &items, Scope *scope);
    QString orderList(const QList<OrderItem> &items, const Scope *scope);
    QString castTo(const QString &typeName, const QString &value, Ty from, Ty *type);
    QString storeAs(const QString &table, const QString &column, const QString &value);
    QString columnDef(const ColumnDef &d, bool inCreate, bool autoincrement);
    Kind kindOf(const NodeP &n, const Scope *scope) const;
    QString arithmetic(const Node &n, const Scope *scope, QString l, QString r, Ty ta, Ty tb, Ty *type);
    QString like(const Node &n, const Scope *scope);
    QString scalarSubquery(const Query &q, const Scope *scope);
    QString distinctRowGroups(const SelectCore &c, const Scope &scope) const;
    QString topWithTies(const SelectCore &c, const Scope *outer, const QList<OrderItem> &order, const QString &n);
};

Kind kindOfDeclared(const QString &declared)
{
    const QString t = declared.toLower();
    if (t.isEmpty()) return Kind::Unknown;
    if (t.contains(QLatin1String("money")) || t.contains(QLatin1String("currency"))) return Kind::Money;
    if (t.contains(QLatin1String("dec")) || t.contains(QLatin1String("numeric"))) return Kind::Exact;
    if (t.contains(QLatin1String("float")) || t.contains(QLatin1String("real")) || t.contains(QLatin1String("double"))
        || t.contains(QLatin1String("single")))
        return Kind::Float;
    if (t.contains(QLatin1String("int")) || t == QLatin1String("bit") || t == QLatin1String("counter") || t == QLatin1String("long")
        || t == QLatin1String("byte") || t.contains(QLatin1String("identity")) || t == QLatin1String("autoincrement"))
        return Kind::Int;
    return Kind::Unknown;
}

Kind Renderer::kindOf(const NodeP &np, const Scope *scope) const
{
    const Node &n = *np;
    switch (n.kind) {
    case NK::Literal:
        if (n.token.type != Tok::Number) return Kind::Unknown;
        if (n.token.text.contains(QLatin1Char('e'), Qt::CaseInsensitive) && !n.token.text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            return Kind::Float;
        return n.token.text.contains(QLatin1Char('.')) ? Kind::Exact : Kind::Int;
    case NK::Column: return kindOfDeclared(columnType(scope, n.parts));
    case NK::Cast: case NK::Convert: return kindOfDeclared(n.typeName);
    case NK::Unary: return n.text == QLatin1String("NOT") ? Kind::Int : kindOf(n.kids[0], scope);
    case NK::List: return n.kids.size() == 1 ? kindOf(n.kids[0], scope) : Kind::Unknown;
    case NK::Case: {
        const int first = n.caseHasOperand ? 2 : 1;
        return first < n.kids.size() ? kindOf(n.kids[first], scope) : Kind::Unknown;
    }
    case NK::Func: {
        const QString f = n.text.toLower();
        if (f == QLatin1String("count") || f == QLatin1String("len") || f == QLatin1String("charindex") || f == QLatin1String("datediff")
            || f == QLatin1String("datepart") || f == QLatin1String("year") || f == QLatin1String("month") || f == QLatin1String("day")
            || f == QLatin1String("row_number") || f == QLatin1String("rank") || f == QLatin1String("dense_rank")
            || f == QLatin1String("datalength") || f == QLatin1String("patindex"))
            return Kind::Int;
        if ((f == QLatin1String("sum") || f == QLatin1String("min") || f == QLatin1String("max") || f == QLatin1String("abs")
             || f == QLatin1String("isnull") || f == QLatin1String("coalesce") || f == QLatin1String("floor")
             || f == QLatin1String("ceiling") || f == QLatin1String("round")) && !n.kids.isEmpty())
            return kindOf(n.kids[0], scope);
        if (f == QLatin1String("avg")) {
            const Kind k = n.kids.isEmpty() ? Kind::Unknown : kindOf(n.kids[0], scope);
            return k == Kind::Int ? Kind::Exact : k;
        }
        return Kind::Unknown;
    }
    case NK::Binary: {
        const QString &op = n.text;
        if (op != QLatin1String("+") && op != QLatin1String("-") && op != QLatin1String("*") && op != QLatin1String("/")
            && op != QLatin1String("%"))
            return Kind::Unknown;
        const Kind a = kindOf(n.kids[0], scope), b = kindOf(n.kids[1], scope);
        if (a == Kind::Unknown || b == Kind::Unknown) return Kind::Unknown;
        if (a == Kind::Float || b == Kind::Float) return Kind::Float;
        if (a == Kind::Exact || b == Kind::Exact) return Kind::Exact;
        if (a == Kind::Money || b == Kind::Money) return Kind::Money;
        return Kind::Int;
    }
    default:
        return Kind::Unknown;
    }
}

// Arithmetic other than `+` of dates and texts: division by the operands' kinds, errors for
// division by zero and for texts that are no numbers.
QString Renderer::arithmetic(const Node &n, const Scope *scope, QString l, QString r, Ty ta, Ty tb, Ty *type)
{
    const QString &op = n.text;
    *type = Ty::Num;
    // a text beside a number is converted, or the statement fails as on the servers
    if (ta == Ty::Text) l = QStringLiteral("wage_num(%1)").arg(l);
    if (tb == Ty::Text) r = QStringLiteral("wage_num(%1)").arg(r);
    if (op == QLatin1String("/")) {
        if (!m_ms) return QStringLiteral("wage_div(%1,%2,0)").arg(l, r);
        const Kind a = kindOf(n.kids[0], scope), b = kindOf(n.kids[1], scope);
        if (a == Kind::Unknown || b == Kind::Unknown) return QStringLiteral("wage_div(%1,%2,1)").arg(l, r);
        if (a == Kind::Int && b == Kind::Int) return QStringLiteral("wage_div(%1,%2,1)").arg(l, r);
        if (a == Kind::Money && (b == Kind::Money || b == Kind::Int)) return QStringLiteral("wage_div(%1,%2,2)").arg(l, r);
        return QStringLiteral("wage_div(%1,%2,0)").arg(l, r);
    }
    if (op == QLatin1String("%")) return QStringLiteral("wage_mod(%1,%2)").arg(l, r);
    if (op == QLatin1String("\\")) return QStringLiteral("wage_jetidiv(%1,%2)").arg(l, r);
    if (op == QLatin1String("^")) return m_ms ? QStringLiteral("((%1 | %2) - (%1 & %2))").arg(l, r) : QStringLiteral("power(%1,%2)").arg(l, r);
    if (op == QLatin1String("&")) return l + QStringLiteral(" & ") + r;
    return l + QLatin1Char(' ') + op + QLatin1Char(' ') + r;
}

QString Renderer::columnType(const Scope *scope, const QStringList &parts) const
{
    if (!m_schema)
        return QString();
    const QString column = parts.last();
    for (const Scope *s = scope; s; s = s->parent) {
        for (const auto &t : s->tables) {
            if (parts.size() > 1) {
                if (t.first.compare(parts.at(parts.size() - 2), Qt::CaseInsensitive) != 0)
                    continue;
                return t.second.isEmpty() ? QString() : m_schema->columnType(t.second, column);
            }
            if (t.second.isEmpty())
                continue;
            const QString ty = m_schema->columnType(t.second, column);
            if (!ty.isNull())
                return ty;
        }
    }
    return QString();
}

QString Renderer::dateLiteralIfDate(const NodeP &n, Ty other, const Scope *scope, Ty *type)
{
    // A text parameter or variable compared with a date is read as a date when it holds one.
    if (other == Ty::Date && (n->kind == NK::Param || n->kind == NK::Variable)) {
        if (type) *type = Ty::Date;
        return QStringLiteral("wage_datetime(%1)").arg(expr(n, scope));
    }
    // A text literal compared with a date is read as a date in any of the client's forms.
    if (other == Ty::Date && n->kind == NK::Literal && n->token.type == Tok::String && slotted(*n) && m_inline == 0) {
        if (type) *type = Ty::Date;
        return QStringLiteral("wage_dateliteral(%1)").arg(slotParameter(*n));
    }
    if (other == Ty::Date && n->kind == NK::Literal && n->token.type == Tok::String) {
        if (slotted(*n)) m_valueDependent = true;
        QDateTime dt;
        bool timed = false;
        if (parseDateText(n->token.text, &dt, &timed)) {
            if (type) *type = Ty::Date;
            return quoteText(timed ? storedDate(dt) : storedDateOnly(dt.date()));
        }
    }
    return expr(n, scope, type);
}

QString Renderer::compare(const QString &op, const NodeP &a, const NodeP &b, const Scope *scope)
{
    Ty ta = Ty::Unknown, tb = Ty::Unknown;
    QString l = expr(a, scope, &ta);
    QString r = expr(b, scope, &tb);
    auto plain = [](const NodeP &n) { return n->kind == NK::Literal || n->kind == NK::Param || n->kind == NK::Variable; };
    if (tb == Ty::Date && plain(a)) l = dateLiteralIfDate(a, tb, scope, &ta);
    if (ta == Ty::Date && plain(b)) r = dateLiteralIfDate(b, ta, scope, &tb);
    const bool textual = ta != Ty::Num && tb != Ty::Num && ta != Ty::Date && tb != Ty::Date;
    return l + (textual ? kCollate : QString()) + QLatin1Char(' ') + op + QLatin1Char(' ') + r;
}

QString Renderer::castTo(const QString &typeName, const QString &value, Ty from, Ty *type)
{
    const QString low = typeName.toLower();
    const Ty ty = typeOfDeclared(typeName);
    if (type) *type = ty;
    if (ty == Ty::Text) {
        const int open = low.indexOf(QLatin1Char('('));
        const int n = open < 0 ? 0 : low.mid(open + 1, low.indexOf(QLatin1Char(')')) - open - 1).toInt();
        if (n > 0)
            return QStringLiteral("substr(CAST(%1 AS TEXT),1,%2)").arg(value).arg(n);
        return QStringLiteral("CAST(%1 AS TEXT)").arg(value);
    }
    if (ty == Ty::Date) {
        if (low == QLatin1String("date"))
            return QStringLiteral("wage_date(%1)").arg(value);
        return QStringLiteral("wage_datetime(%1)").arg(value);
    }
    // a text that is no number fails as on the servers instead of becoming 0
    const bool strict = from != Ty::Num;
    if (low.startsWith(QLatin1String("int")) || low.contains(QLatin1String("int")) || low == QLatin1String("bit")
        || low == QLatin1String("long") || low == QLatin1String("byte"))
        return (strict ? QStringLiteral("wage_castint(%1)") : QStringLiteral("CAST(%1 AS INTEGER)")).arg(value);
    const QString real = (strict ? QStringLiteral("wage_castnum(%1)") : QStringLiteral("CAST(%1 AS REAL)")).arg(value);
    if (low.startsWith(QLatin1String("dec")) || low.startsWith(QLatin1String("numeric"))) {
        const int comma = low.indexOf(QLatin1Char(','));
        if (comma > 0)
            return QStringLiteral("round(%1,%2)").arg(real).arg(low.mid(comma + 1, low.indexOf(QLatin1Char(')')) - comma - 1).toInt());
        return (strict ? QStringLiteral("wage_castint(%1)") : QStringLiteral("CAST(%1 AS INTEGER)")).arg(value);
    }
    if (low.contains(QLatin1String("money")) || low.contains(QLatin1String("currency")))
        return QStringLiteral("wage_money(%1)").arg(real);
    if (ty == Ty::Num)
        return real;
    return value;
}

QString Renderer::func(const Node &n, const Scope *scope, Ty *type)
{
    const QString name = n.text.toLower();
    QStringList args;
    QList<Ty> types;
    for (const NodeP &k : n.kids) {
        Ty t = Ty::Unknown;
        if (k->kind == NK::DatePart) args.append(quoteText(k->text.toLower()));
        else args.append(expr(k, scope, &t));
        types.append(t);
    }
    auto call = [&](const QString &fn, Ty result) {
        if (type) *type = result;
        QString a = args.join(QLatin1Char(','));
        if (n.flag) a = QStringLiteral("DISTINCT ") + a;
        if (n.star) a = QStringLiteral("*");
        QString out = fn + QLatin1Char('(') + a + QLatin1Char(')');
        if (n.hasOver) {
            QStringList parts;
            if (!n.partition.isEmpty()) {
                QStringList p;
                for (const NodeP &e : n.partition) p.append(expr(e, scope));
                parts.append(QStringLiteral("PARTITION BY ") + p.join(QLatin1Char(',')));
            }
            if (!n.overOrder.isEmpty())
                parts.append(QStringLiteral("ORDER BY ") + orderList(n.overOrder, scope));
            out += QStringLiteral(" OVER (") + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
        return out;
    };
    const Ty first = types.value(0, Ty::Unknown);
    if ((n.flag || name == QLatin1String("min") || name == QLatin1String("max")) && args.size() == 1 && first == Ty::Text
        && n.kids[0]->kind != NK::Column)
        args[0] += kCollate;
    if (name == QLatin1String("isnull")) {
        if (args.size() == 1) { if (type) *type = Ty::Num; return QStringLiteral("(%1 IS NULL)").arg(args[0]); }
        return call(QStringLiteral("ifnull"), first != Ty::Unknown ? first : types.value(1));
    }
    if (!m_ms && name == QLatin1String("round")) return call(QStringLiteral("wage_roundeven"), Ty::Num);
    if (!m_ms && name == QLatin1String("switch")) {
        // Switch(condition, value, ...): the value of the first true condition, else Null
        if (args.isEmpty() || args.size() % 2) fail(QStringLiteral("Switch 的参数必须成对出现"));
        QString out = QStringLiteral("CASE");
        Ty result = Ty::Unknown;
        for (int i = 0; i + 1 < args.size(); i += 2) {
            out += QStringLiteral(" WHEN ") + args[i] + QStringLiteral(" THEN ") + args[i + 1];
            if (result == Ty::Unknown) result = types[i + 1];
        }
        if (type) *type = result;
        return out + QStringLiteral(" END");
    }
    if (name == QLatin1String("choose")) {
        // Choose(index, a, b, ...): the index rounded to a whole number picks; out of range gives Null
        if (args.size() < 2) fail(QStringLiteral("Choose 缺少参数"));
        QString out = (m_ms ? QStringLiteral("CASE CAST(%1 AS INTEGER)") : QStringLiteral("CASE wage_roundeven(%1)")).arg(args[0]);
        Ty result = Ty::Unknown;
        for (int i = 1; i < args.size(); ++i) {
            out += QStringLiteral(" WHEN %1 THEN ").arg(i) + args[i];
            if (result == Ty::Unknown) result = types[i];
        }
        if (type) *type = result;
        return out + QStringLiteral(" END");
    }
    if (name == QLatin1String("scope_identity") && args.isEmpty()) { if (type) *type = Ty::Num; return QStringLiteral("last_insert_rowid()"); }
    if (name == QLatin1String("datalength") && args.size() == 1) {
        // nchar/nvarchar take two bytes a character; other texts their code page's bytes
        const Node &k = *n.kids[0];
        const bool wide = (k.kind == NK::Column && columnType(scope, k.parts).startsWith(QLatin1Char('n'), Qt::CaseInsensitive))
                          || (k.kind == NK::Literal && k.token.nationalString);
        if (type) *type = Ty::Num;
        return QStringLiteral("wage_datalength(%1,%2)").arg(args[0], wide ? QStringLiteral("1") : QStringLiteral("0"));
    }
    if (name == QLatin1String("nz") && args.size() == 1) return QStringLiteral("ifnull(%1,0)").arg(args[0]);
    if (name == QLatin1String("nz")) return call(QStringLiteral("ifnull"), types.value(1));
    if (name == QLatin1String("substring")) return call(QStringLiteral("substr"), Ty::Text);
    if (name == QLatin1String("ucase")) return call(QStringLiteral("upper"), Ty::Text);
    if (name == QLatin1String("lcase")) return call(QStringLiteral("lower"), Ty::Text);
    if (name == QLatin1String("ceiling")) return call(QStringLiteral("ceil"), Ty::Num);
    if (name == QLatin1String("sgn")) return call(QStringLiteral("sign"), Ty::Num);
    if (name == QLatin1String("left") || name == QLatin1String("right")) return call(quoteName(name), Ty::Text);
    if (name == QLatin1String("date") && args.isEmpty()) return call(QStringLiteral("date"), Ty::Date);
    if (name == QLatin1String("getdate") || name == QLatin1String("now") || name == QLatin1String("sysdatetime")
        || name == QLatin1String("current_timestamp"))
        return call(QStringLiteral("getdate"), Ty::Date);
    static const QHash<QString, Ty> known = {
        {"len", Ty::Num}, {"length", Ty::Num}, {"charindex", Ty::Num}, {"instr", Ty::Num}, {"year", Ty::Num},
        {"month", Ty::Num}, {"day", Ty::Num}, {"hour", Ty::Num}, {"minute", Ty::Num}, {"second", Ty::Num},
        {"datediff", Ty::Num}, {"datepart", Ty::Num}, {"weekday", Ty::Num}, {"val", Ty::Num}, {"cint", Ty::Num},
        {"clng", Ty::Num}, {"cdbl", Ty::Num}, {"csng", Ty::Num}, {"ccur", Ty::Num}, {"int", Ty::Num}, {"fix", Ty::Num},
        {"count", Ty::Num}, {"round", Ty::Num}, {"abs", Ty::Num}, {"floor", Ty::Num}, {"ceil", Ty::Num},
        {"power", Ty::Num}, {"sqrt", Ty::Num}, {"sign", Ty::Num}, {"isnumeric", Ty::Num}, {"isdate", Ty::Num},
        {"row_number", Ty::Num}, {"rank", Ty::Num}, {"dense_rank", Ty::Num}, {"ascii", Ty::Num}, {"unicode", Ty::Num},
        {"rtrim", Ty::Text}, {"ltrim", Ty::Text}, {"trim", Ty::Text}, {"mid", Ty::Text}, {"substr", Ty::Text},
        {"replace", Ty::Text}, {"upper", Ty::Text}, {"lower", Ty::Text}, {"format", Ty::Text}, {"str", Ty::Text},
        {"cstr", Ty::Text}, {"space", Ty::Text}, {"replicate", Ty::Text}, {"concat", Ty::Text}, {"char", Ty::Text},
        {"datename", Ty::Text}, {"stuff", Ty::Text}, {"patindex", Ty::Num}, {"object_id", Ty::Num}, {"newid", Ty::Text}, {"quotename", Ty::Text}, {"reverse", Ty::Text},
        {"dateadd", Ty::Date}, {"eomonth", Ty::Date}, {"datefromparts", Ty::Date}, {"dateserial", Ty::Date},
        {"cdate", Ty::Date}, {"datevalue", Ty::Date}, {"wage_date", Ty::Date}, {"wage_datetime", Ty::Date},
    };
    if (name == QLatin1String("sum") || name == QLatin1String("min") || name == QLatin1String("max")
        || name == QLatin1String("avg") || name == QLatin1String("iif") || name == QLatin1String("coalesce")
        || name == QLatin1String("nullif") || name == QLatin1String("ifnull")) {
        Ty t = name == QLatin1String("iif") ? types.value(1) : first;
        if (name == QLatin1String("avg") || (name == QLatin1String("sum") && t == Ty::Unknown)) t = Ty::Num;
        return call(name, t);
    }
    return call(name, known.value(name, Ty::Unknown));
}

QString Renderer::expr(const NodeP &np, const Scope *scope, Ty *type)
{
    Ty dummy;
    if (!type) type = &dummy;
    *type = Ty::Unknown;
    const Node &n = *np;
    switch (n.kind) {
    case NK::Literal:
        if (n.token.type == Tok::String || n.token.type == Tok::Number) {
            const QString p = slotParameter(n);
            if (!p.isEmpty()) { *type = n.token.type == Tok::String ? Ty::Text : Ty::Num; return p; }
        }
        switch (n.token.type) {
        case Tok::String: *type = Ty::Text; return quoteText(n.token.text);
        case Tok::Number:
            *type = Ty::Num;
            if (n.token.text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
                return QStringLiteral("X'") + n.token.text.mid(2) + (n.token.text.size() % 2 ? QStringLiteral("0'") : QStringLiteral("'"));
            return n.token.text;
        case Tok::Date: {
            QDateTime dt;
            bool timed = false;
            if (!parseDateText(n.token.text, &dt, &timed))
                fail(QStringLiteral("无法识别的日期 #%1#").arg(n.token.text));
            *type = Ty::Date;
            return quoteText(timed ? storedDate(dt) : storedDateOnly(dt.date()));
        }
        default:
            if (n.token.is("true")) { *type = Ty::Num; return QStringLiteral("1"); }
            if (n.token.is("false")) { *type = Ty::Num; return QStringLiteral("0"); }
            return QStringLiteral("NULL");
        }
    case NK::Column: {
        *type = typeOfDeclared(columnType(scope, n.parts));
        QStringList q;
        for (const QString &p : n.parts) q.append(quoteName(p));
        return q.join(QLatin1Char('.'));
    }
    case NK::Param:
        if (!m_params.contains(n.text)) m_params.append(n.text);
        return QLatin1Char(':') + n.text;
    case NK::Variable: {
        if (!m_ms) fail(QStringLiteral("内置数据库不支持变量 %1").arg(n.text));
        const QString v = n.text.toLower();
        if (v == QLatin1String("@@identity")) { *type = Ty::Num; return QStringLiteral("last_insert_rowid()"); }
        if (v == QLatin1String("@@error")) { *type = Ty::Num; return QStringLiteral("0"); }
        if (v.startsWith(QLatin1String("@@")) && v != QLatin1String("@@rowcount") && v != QLatin1String("@@trancount"))
            fail(QStringLiteral("内置数据库不支持系统变量 %1").arg(n.text));
        const QString param = variableParameter(n.text);
        if (!m_params.contains(param)) m_params.append(param);
        return QLatin1Char(':') + param;
    }
    case NK::Star:
        return n.parts.isEmpty() ? QStringLiteral("*") : quoteName(n.parts.last()) + QStringLiteral(".*");
    case NK::DatePart:
        return quoteText(n.text.toLower());
    case NK::Unary: {
        if (n.text == QLatin1String("NOT")) { *type = Ty::Num; return QStringLiteral("NOT ") + expr(n.kids[0], scope); }
        const QString v = expr(n.kids[0], scope, type);
        return n.text + v;
    }
    case NK::Binary: {
        const QString &op = n.text;
        if (op == QLatin1String("AND") || op == QLatin1String("OR")) {
            *type = Ty::Num;
            return expr(n.kids[0], scope) + QLatin1Char(' ') + op + QLatin1Char(' ') + expr(n.kids[1], scope);
        }
        if (op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") || op == QLatin1String(">")
            || op == QLatin1String("<=") || op == QLatin1String(">=")) {
            *type = Ty::Num;
            return compare(op, n.kids[0], n.kids[1], scope);
        }
        Ty ta, tb;
        const QString l = expr(n.kids[0], scope, &ta);
        const QString r = expr(n.kids[1], scope, &tb);
        if (op == QLatin1String("+")) {
            // A date and a number move the date by days; a number on either side adds (a text
            // beside it is read as a number, as both servers do); otherwise text on either side
            // joins the texts; with neither known, the values decide when the statement runs.
            if (ta == Ty::Date && tb == Ty::Num) { *type = Ty::Date; return QStringLiteral("wage_adddays(%1,%2)").arg(l, r); }
            if (tb == Ty::Date && ta == Ty::Num) { *type = Ty::Date; return QStringLiteral("wage_adddays(%1,%2)").arg(r, l); }
            if (ta == Ty::Num || tb == Ty::Num) {
                *type = Ty::Num;
                if (ta == Ty::Text) return QStringLiteral("wage_num(%1) + %2").arg(l, r);
                if (tb == Ty::Text) return QStringLiteral("%1 + wage_num(%2)").arg(l, r);
                return l + QStringLiteral(" + ") + r;
            }
            if (ta == Ty::Text || tb == Ty::Text) { *type = Ty::Text; return l + QStringLiteral(" || ") + r; }
            return QStringLiteral("wage_add(%1,%2)").arg(l, r);
        }
        if (op == QLatin1String("-")) {
            if (ta == Ty::Date && tb == Ty::Num) { *type = Ty::Date; return QStringLiteral("wage_adddays(%1,-(%2))").arg(l, r); }
            if (ta == Ty::Date && tb == Ty::Date) { *type = Ty::Num; return QStringLiteral("(julianday(%1)-julianday(%2))").arg(l, r); }
            return arithmetic(n, scope, l, r, ta, tb, type);
        }
        if (op == QLatin1String("||")) { *type = Ty::Text; return l + QStringLiteral(" || ") + r; }
        if (op == QLatin1String("&") && !m_ms) { *type = Ty::Text; return QStringLiteral("(ifnull(%1,'') || ifnull(%2,''))").arg(l, r); }
        return arithmetic(n, scope, l, r, ta, tb, type);
    }
    case NK::Func:
        return func(n, scope, type);
    case NK::Cast: {
        Ty from;
        const QString v = expr(n.kids[0], scope, &from);
        return castTo(n.typeName, v, from, type);
    }
    case NK::Convert: {
        Ty from;
        const QString v = expr(n.kids[0], scope, &from);
        *type = typeOfDeclared(n.typeName);
        if (n.kids.size() > 1 || *type == Ty::Text)
            return QStringLiteral("convert(%1,%2,%3)").arg(quoteText(n.typeName), v, n.kids.size() > 1 ? expr(n.kids[1], scope) : QStringLiteral("NULL"));
        return castTo(n.typeName, v, from, type);
    }
    case NK::Case: {
        QString out = QStringLiteral("CASE");
        int i = 0;
        if (n.caseHasOperand) out += QLatin1Char(' ') + expr(n.kids[i++], scope);
        const int whenEnd = n.kids.size() - (n.caseHasElse ? 1 : 0);
        Ty result = Ty::Unknown;
        for (; i + 1 < whenEnd + 1 && i < whenEnd; i += 2) {
            Ty t;
            out += QStringLiteral(" WHEN ") + expr(n.kids[i], scope) + QStringLiteral(" THEN ") + expr(n.kids[i + 1], scope, &t);
            if (result == Ty::Unknown) result = t;
        }
        if (n.caseHasElse) out += QStringLiteral(" ELSE ") + expr(n.kids.last(), scope);
        *type = result;
        return out + QStringLiteral(" END");
    }
    case NK::Subquery:
        return scalarSubquery(*n.query, scope);
    case NK::List: {
        QStringList parts;
        Ty t = Ty::Unknown;
        for (const NodeP &k : n.kids) parts.append(expr(k, scope, &t));
        if (n.kids.size() == 1) *type = t;
        return QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    case NK::Exists:
        *type = Ty::Num;
        return QStringLiteral("EXISTS (") + query(*n.query, scope) + QLatin1Char(')');
    case NK::Between: {
        Ty t;
        const QString v = expr(n.kids[0], scope, &t);
        const QString lo = dateLiteralIfDate(n.kids[1], t, scope, nullptr);
        const QString hi = dateLiteralIfDate(n.kids[2], t, scope, nullptr);
        *type = Ty::Num;
        const bool textual = t == Ty::Text || t == Ty::Unknown;
        return v + (textual ? kCollate : QString()) + (n.flag ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) + lo + QStringLiteral(" AND ") + hi;
    }
    case NK::In: {
        Ty t;
        const QString v = expr(n.kids[0], scope, &t);
        QString list;
        if (n.query) {
            list = query(*n.query, scope);
        } else {
            QStringList parts;
            for (int i = 1; i < n.kids.size(); ++i) parts.append(dateLiteralIfDate(n.kids[i], t, scope, nullptr));
            list = parts.join(QLatin1Char(','));
        }
        *type = Ty::Num;
        const bool textual = t == Ty::Text || t == Ty::Unknown;
        return v + (textual ? kCollate : QString()) + (n.flag ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) + list + QLatin1Char(')');
    }
    case NK::Like:
        *type = Ty::Num;
        return like(n, scope);
    case NK::IsNull:
        *type = Ty::Num;
        return expr(n.kids[0], scope) + (n.flag ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL"));
    }
    fail(QStringLiteral("无法转换的表达式"));
}

// SQLite's own LIKE where the pattern means the same there; the dialect's matcher otherwise.
QString Renderer::like(const Node &n, const Scope *scope)
{
    const QString value = expr(n.kids[0], scope);
    const NodeP &pattern = n.kids[1];
    const QString no = n.flag ? QStringLiteral("NOT ") : QString();
    if (slotted(*pattern)) m_valueDependent = true;
    QString simple;
    if (pattern->kind == NK::Literal && pattern->token.type == Tok::String && n.kids.size() == 2
        && likeAsSqlite(pattern->token.text, m_ms, &simple))
        return value + QLatin1Char(' ') + no + QStringLiteral("LIKE ") + quoteText(simple);
    QString call = QStringLiteral("wage_like(") + value + QLatin1Char(',') + expr(pattern, scope);
    if (n.kids.size() > 2) call += QLatin1Char(',') + expr(n.kids[2], scope);
    return no + call + QLatin1Char(')');
}

// A scalar sub-query gives its one value; a second row is an error, as on both servers.
QString Renderer::scalarSubquery(const Query &q, const Scope *scope)
{
    if (q.cores.isEmpty() || q.cores.first().items.size() != 1 || q.cores.first().items.first().expr->kind == NK::Star)
        return QLatin1Char('(') + query(q, scope) + QLatin1Char(')');
    Query named = q;
    SelectItem &item = named.cores.first().items.first();
    if (item.alias.isEmpty()) item.alias = QStringLiteral("wage_value");
    return QStringLiteral("(SELECT wage_single(%1) FROM (%2))").arg(quoteName(item.alias), query(named, scope));
}

QString Renderer::orderList(const QList<OrderItem> &items, const Scope *scope)
{
    QStringList out;
    for (const OrderItem &o : items) {
        Ty t;
        const bool position = o.expr->kind == NK::Literal;
        if (position) ++m_inline;
        QString e = expr(o.expr, scope, &t);
        if (position) --m_inline;
        if (t == Ty::Text) e += kCollate;
        if (!o.direction.isEmpty()) e += QLatin1Char(' ') + o.direction;
        out.append(e);
    }
    return out.join(QLatin1Char(','));
}

void Renderer::declare(const QList<FromItem> &items, Scope *scope)
{
    for (const FromItem &f : items) {
        if (!f.ref.nested.isEmpty()) { declare(f.ref.nested, scope); continue; }
        const QString table = f.ref.subquery ? QString() : f.ref.name;
        scope->tables.append({f.ref.alias.isEmpty() ? f.ref.name : f.ref.alias, table});
    }
}

QString Renderer::fromList(const QList<FromItem> &items, Scope *scope, const Scope *outer)
{
    QString out;
    for (int i = 0; i < items.size(); ++i) {
        const FromItem &f = items[i];
        if (i > 0) out += f.join.isEmpty() ? QStringLiteral(", ") : QLatin1Char(' ') + f.join + QLatin1Char(' ');
        if (!f.ref.nested.isEmpty()) {
            out += QLatin1Char('(') + fromList(f.ref.nested, scope, outer) + QLatin1Char(')');
        } else if (f.ref.subquery) {
            out += QLatin1Char('(') + query(*f.ref.subquery, outer) + QLatin1Char(')');
        } else {
            out += quoteName(f.ref.name);
        }
        if (!f.ref.alias.isEmpty()) out += QLatin1Char(' ') + quoteName(f.ref.alias);
        if (f.on) out += QStringLiteral(" ON ") + expr(f.on, scope);
    }
    return out;
}

QString Renderer::core(const SelectCore &c, const Scope *outer, bool withTop, const QList<OrderItem> *order)
{
    Scope scope;
    scope.parent = outer;
    declare(c.from, &scope);
    QString out = QStringLiteral("SELECT ");
    if (c.distinct) out += QStringLiteral("DISTINCT ");
    QStringList items;
    for (const SelectItem &it : c.items) {
        Ty t;
        ++m_inline; // a result column is named after its text
        QString e = expr(it.expr, &scope, &t);
        --m_inline;
        // columns carry the collation already (and keep their declared type that way)
        if (c.distinct && t == Ty::Text && it.expr->kind != NK::Column) e += kCollate;
        if (!it.alias.isEmpty()) e += QStringLiteral(" AS ") + quoteName(it.alias);
        items.append(e);
    }
    out += items.join(QLatin1Char(','));
    if (!c.from.isEmpty()) out += QStringLiteral(" FROM ") + fromList(c.from, &scope, outer);
    if (c.where) out += QStringLiteral(" WHERE ") + expr(c.where, &scope);
    if (!c.groupBy.isEmpty()) {
        QStringList g;
        for (const NodeP &e : c.groupBy) {
            Ty t;
            const bool position = e->kind == NK::Literal;
            if (position) ++m_inline;
            QString x = expr(e, &scope, &t);
            if (position) --m_inline;
            if (t == Ty::Text && e->kind != NK::Column) x += kCollate;
            g.append(x);
        }
        out += QStringLiteral(" GROUP BY ") + g.join(QLatin1Char(','));
    }
    if (c.distinctRow && c.groupBy.isEmpty()) out += distinctRowGroups(c, scope);
    if (c.having) out += QStringLiteral(" HAVING ") + expr(c.having, &scope);
    if (order && !order->isEmpty()) out += QStringLiteral(" ORDER BY ") + orderList(*order, &scope);
    if (withTop && c.top) {
        const QString n = expr(c.top, &scope);
        if (c.topPercent) {
            SelectCore plain = c;
            plain.top.reset();
            plain.into.clear();
            out += QStringLiteral(" LIMIT (SELECT (count(*)*(%1)+99)/100 FROM (%2))").arg(n, core(plain, outer, false, nullptr));
        } else if ((!m_ms || c.topTies) && !c.distinct && order && !order->isEmpty()) {
            out += QStringLiteral(" LIMIT ") + topWithTies(c, outer, *order, n);
        } else {
            out += QStringLiteral(" LIMIT ") + n;
        }
    }
    return out;
}

// DISTINCTROW: one row per combination of the source records whose fields are selected. Over
// one table, or when every table gives fields, the rows are distinct records already.
QString Renderer::distinctRowGroups(const SelectCore &c, const Scope &scope) const
{
    QStringList bases, used;
    for (const auto &t : scope.tables)
        if (!t.second.isEmpty()) bases.append(t.first);
    if (bases.size() != scope.tables.size() || bases.size() < 2)
        return QString();
    std::function<bool(const NodeP &)> visit = [&](const NodeP &n) -> bool {
        if (!n) return true;
        if (n->kind == NK::Func && (n->text.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0
                                    || n->text.compare(QLatin1String("sum"), Qt::CaseInsensitive) == 0))
            return false; // aggregates: nothing to make distinct
        if (n->kind == NK::Star) {
            if (n->parts.isEmpty()) used = bases;
            else used.append(n->parts.last());
        } else if (n->kind == NK::Column) {
            if (n->parts.size() > 1) {
                used.append(n->parts.at(n->parts.size() - 2));
            } else {
                for (const auto &t : scope.tables)
                    if (m_schema && !m_schema->columnType(t.second, n->parts.last()).isNull()) { used.append(t.first); break; }
            }
        }
        for (const NodeP &k : n->kids)
            if (!visit(k)) return false;
        return true;
    };
    for (const SelectItem &it : c.items)
        if (!visit(it.expr)) return QString();
    QStringList keys;
    for (const QString &b : bases)
        if (used.contains(b, Qt::CaseInsensitive)) keys.append(quoteName(b) + QStringLiteral(".rowid"));
    if (keys.isEmpty() || keys.size() == bases.size())
        return QString();
    return QStringLiteral(" GROUP BY ") + keys.join(QLatin1Char(','));
}

// TOP n of an ordered select keeps the rows tied with the last one (Jet always, T-SQL WITH TIES):
// the limit is the number of rows whose rank is at most n.
QString Renderer::topWithTies(const SelectCore &c, const Scope *outer, const QList<OrderItem> &order, const QString &n)
{
    QList<OrderItem> keys = order;
    for (OrderItem &o : keys) {
        // positions and result names stand for the select's expressions
        const Node &e = *o.expr;
        if (e.kind == NK::Literal && e.token.type == Tok::Number) {
            const int pos = e.token.text.toInt();
            if (pos >= 1 && pos <= c.items.size()) o.expr = c.items[pos - 1].expr;
        } else if (e.kind == NK::Column && e.parts.size() == 1) {
            for (const SelectItem &it : c.items)
                if (!it.alias.isEmpty() && it.alias.compare(e.parts.first(), Qt::CaseInsensitive) == 0) o.expr = it.expr;
        }
    }
    SelectCore ranked = c;
    ranked.top.reset();
    ranked.into.clear();
    auto rank = std::make_shared<Node>();
    rank->kind = NK::Func;
    rank->text = QStringLiteral("rank");
    rank->hasOver = true;
    rank->overOrder = keys;
    SelectItem item;
    item.expr = rank;
    item.alias = QStringLiteral("wage_rank");
    ranked.items = {item};
    return QStringLiteral("(SELECT count(*) FROM (%1) WHERE \"wage_rank\" <= %2)").arg(core(ranked, outer, false, nullptr), n);
}

QString Renderer::query(const Query &q, const Scope *scope)
{
    QString out;
    if (!q.ctes.isEmpty()) {
        QStringList parts;
        for (const Cte &c : q.ctes) {
            QString p = quoteName(c.name);
            if (!c.columns.isEmpty()) {
                QStringList cols;
                for (const QString &col : c.columns) cols.append(quoteName(col));
                p += QLatin1Char('(') + cols.join(QLatin1Char(',')) + QLatin1Char(')');
            }
            parts.append(p + QStringLiteral(" AS (") + query(*c.query, scope) + QLatin1Char(')'));
        }
        out = QStringLiteral("WITH RECURSIVE ") + parts.join(QStringLiteral(", ")) + QLatin1Char(' ');
    }
    if (q.cores.size() == 1)
        return out + core(q.cores.first(), scope, true, &q.orderBy);
    for (int i = 0; i < q.cores.size(); ++i) {
        if (i > 0) out += QLatin1Char(' ') + q.setOps.value(i - 1) + QLatin1Char(' ');
        const SelectCore &c = q.cores[i];
        if (c.top) out += QStringLiteral("SELECT * FROM (") + core(c, scope, true, nullptr) + QLatin1Char(')');
        else out += core(c, scope, false, nullptr);
    }
    if (!q.orderBy.isEmpty()) {
        // ORDER BY of a compound select names result columns; positions and names pass as they are
        QStringList o;
        for (const OrderItem &it : q.orderBy) {
            ++m_inline;
            QString e = it.expr->kind == NK::Column ? quoteName(it.expr->parts.last()) : expr(it.expr, nullptr);
            --m_inline;
            if (!it.direction.isEmpty()) e += QLatin1Char(' ') + it.direction;
            o.append(e);
        }
        out += QStringLiteral(" ORDER BY ") + o.join(QLatin1Char(','));
    }
    return out;
}

QString Renderer::storeAs(const QString &table, const QString &column, const QString &value)
{
    // Dates are stored in one text form whatever the statement wrote.
    if (!m_schema)
        return value;
    const QString declared = m_schema->columnType(table, column);
    const QString low = declared.toLower();
    if (low.contains(QLatin1String("money")) || low.contains(QLatin1String("currency")))
        return QStringLiteral("wage_money(%1)").arg(value);
    if (low.startsWith(QLatin1String("dec")) || low.startsWith(QLatin1String("numeric"))) {
        const int comma = low.indexOf(QLatin1Char(','));
        if (comma > 0)
            return QStringLiteral("wage_decimal(%1,%2)").arg(value).arg(low.mid(comma + 1, low.indexOf(QLatin1Char(')')) - comma - 1).trimmed().toInt());
        return value;
    }
    if (typeOfDeclared(declared) != Ty::Date)
        return value;
    return declared.compare(QLatin1String("date"), Qt::CaseInsensitive) == 0 ? QStringLiteral("wage_date(%1)").arg(value)
                                                                              : QStringLiteral("wage_datetime(%1)").arg(value);
}

QString Renderer::columnDef(const ColumnDef &d, bool inCreate, bool autoincrement)
{
    QString out = quoteName(d.name);
    if (d.identity && inCreate && autoincrement)
        return out + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    if (d.identity)
        out += QStringLiteral(" INTEGER");
    else if (!d.type.isEmpty())
        out += QLatin1Char(' ') + sqliteColumnType(d.type);
    if (inCreate && d.primaryKey) out += QStringLiteral(" PRIMARY KEY");
    if (d.defaultValue) {
        const QString v = expr(d.defaultValue, nullptr);
        if (inCreate) out += QStringLiteral(" DEFAULT (") + v + QLatin1Char(')');
        else if (d.defaultValue->kind == NK::Literal) out += QStringLiteral(" DEFAULT ") + v;
    }
    if (d.notNull && (inCreate || (d.defaultValue && d.defaultValue->kind == NK::Literal))) out += QStringLiteral(" NOT NULL");
    return out;
}

QList<SqliteStatement> Renderer::render(const Statement &s)
{
    QList<SqliteStatement> out;
    auto emitText = [&](const QString &text) {
        SqliteStatement st;
        st.text = text;
        st.params = m_params;
        m_params.clear();
        out.append(st);
    };
    switch (s.kind) {
    case Statement::Select: {
        const Query &q = *s.query;
        if (q.cores.size() == 1 && !q.cores.first().into.isEmpty()) {
            Query plain = q;
            const QString target = plain.cores.first().into;
            plain.cores.first().into.clear();
            SqliteStatement st;
            st.text = query(plain, nullptr);
            st.params = m_params;
            st.intoTable = target;
            st.changesSchema = true;
            st.schemaTable = target;
            m_params.clear();
            out.append(st);
            return out;
        }
        for (const SelectCore &c : q.cores)
            if (!c.into.isEmpty()) fail(QStringLiteral("SELECT ... INTO 不能用于联合查询"));
        emitText(query(q, nullptr));
        return out;
    }
    case Statement::Insert: {
        Scope scope;
        scope.tables.append({s.table, s.table});
        QString text = QStringLiteral("INSERT INTO ") + quoteName(s.table);
        QStringList cols;
        for (const QString &c : s.columns) cols.append(quoteName(c));
        if (!cols.isEmpty()) text += QStringLiteral(" (") + cols.join(QLatin1Char(',')) + QLatin1Char(')');
        if (s.query) {
            text += QLatin1Char(' ') + query(*s.query, nullptr);
        } else if (!s.values.isEmpty()) {
            QStringList rows;
            const QStringList targets = !s.columns.isEmpty() || !m_schema ? s.columns : m_schema->columnNames(s.table);
            for (const QList<NodeP> &row : s.values) {
                QStringList vals;
                for (int i = 0; i < row.size(); ++i) {
                    const QString v = expr(row[i], nullptr);
                    vals.append(i < targets.size() ? storeAs(s.table, targets[i], v) : v);
                }
                rows.append(QLatin1Char('(') + vals.join(QLatin1Char(',')) + QLatin1Char(')'));
            }
            text += QStringLiteral(" VALUES ") + rows.join(QLatin1Char(','));
        } else {
            text += QStringLiteral(" DEFAULT VALUES");
        }
        emitText(text);
        return out;
    }
    case Statement::Update: {
        Scope scope;
        scope.tables.append({s.alias.isEmpty() ? s.table : s.alias, s.table});
        declare(s.from, &scope);
        QString text = QStringLiteral("UPDATE ") + quoteName(s.table);
        if (!s.alias.isEmpty()) text += QStringLiteral(" AS ") + quoteName(s.alias);
        QStringList sets;
        for (const Assignment &a : s.sets)
            sets.append(quoteName(a.target.last()) + QStringLiteral(" = ") + storeAs(s.table, a.target.last(), expr(a.value, &scope)));
        text += QStringLiteral(" SET ") + sets.join(QLatin1Char(','));
        if (!s.from.isEmpty()) text += QStringLiteral(" FROM ") + fromList(s.from, &scope, nullptr);
        if (s.where) text += QStringLiteral(" WHERE ") + expr(s.where, &scope);
        emitText(text);
        return out;
    }
    case Statement::Delete: {
        Scope scope;
        scope.tables.append({s.alias.isEmpty() ? s.table : s.alias, s.table});
        declare(s.from, &scope);
        QString text = QStringLiteral("DELETE FROM ") + quoteName(s.table);
        if (!s.from.isEmpty()) {
            const QString self = quoteName(s.alias.isEmpty() ? s.table : s.alias);
            QString inner = QStringLiteral("SELECT ") + self + QStringLiteral(".rowid FROM ") + quoteName(s.table);
            if (!s.alias.isEmpty()) inner += QLatin1Char(' ') + self;
            inner += QStringLiteral(", ") + fromList(s.from, &scope, nullptr);
            if (s.where) inner += QStringLiteral(" WHERE ") + expr(s.where, &scope);
            text += QStringLiteral(" WHERE rowid IN (") + inner + QLatin1Char(')');
        } else {
            if (!s.alias.isEmpty()) text += QStringLiteral(" AS ") + quoteName(s.alias);
            if (s.where) text += QStringLiteral(" WHERE ") + expr(s.where, &scope);
        }
        emitText(text);
        if (s.truncate && m_schema && !m_schema->columnNames(QStringLiteral("sqlite_sequence")).isEmpty())
            emitText(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ") + quoteText(s.table));
        return out;
    }
    case Statement::CreateTable: {
        QStringList constraints = s.constraints;
        int identities = 0;
        QString identityName;
        for (const ColumnDef &d : s.defs) if (d.identity) { ++identities; identityName = d.name; }
        bool autoincrement = identities == 1;
        for (const ColumnDef &d : s.defs) if (d.primaryKey && !d.identity) autoincrement = false;
        for (int i = constraints.size() - 1; i >= 0; --i) {
            if (!constraints[i].startsWith(QLatin1String("PRIMARY KEY"))) continue;
            if (autoincrement && constraints[i].compare(QStringLiteral("PRIMARY KEY (\"%1\")").arg(identityName), Qt::CaseInsensitive) == 0)
                constraints.removeAt(i);
            else
                autoincrement = false;
        }
        QStringList parts;
        for (const ColumnDef &d : s.defs) parts.append(columnDef(d, true, autoincrement));
        parts += constraints;
        SqliteStatement st;
        // #name is a temporary table of the connection, never part of the database file
        const QString create = s.table.startsWith(QLatin1Char('#')) ? QStringLiteral("CREATE TEMP TABLE ") : QStringLiteral("CREATE TABLE ");
        st.text = create + quoteName(s.table) + QStringLiteral(" (") + parts.join(QLatin1Char(',')) + QLatin1Char(')');
        st.changesSchema = true;
        st.schemaTable = s.table;
        out.append(st);
        return out;
    }
    case Statement::AlterAdd:
        for (const ColumnDef &d : s.defs) {
            SqliteStatement st;
            st.text = QStringLiteral("ALTER TABLE ") + quoteName(s.table) + QStringLiteral(" ADD COLUMN ") + columnDef(d, false, false);
            st.changesSchema = true;
            st.schemaTable = s.table;
            out.append(st);
        }
        return out;
    case Statement::AlterDrop:
        for (const QString &c : s.columns) {
            SqliteStatement st;
            st.text = QStringLiteral("ALTER TABLE ") + quoteName(s.table) + QStringLiteral(" DROP COLUMN ") + quoteName(c);
            st.changesSchema = true;
            st.schemaTable = s.table;
            out.append(st);
        }
        return out;
    case Statement::DropTable: {
        SqliteStatement st;
        if (!s.indexName.isEmpty())
            st.text = QStringLiteral("DROP INDEX ") + (s.ifExists ? QStringLiteral("IF EXISTS ") : QString()) + quoteName(s.indexName);
        else
            st.text = QStringLiteral("DROP TABLE ") + (s.ifExists ? QStringLiteral("IF EXISTS ") : QString()) + quoteName(s.table);
        st.changesSchema = s.indexName.isEmpty();
        st.schemaTable = s.table;
        out.append(st);
        return out;
    }
    case Statement::CreateIndex: {
        Scope scope;
        scope.tables.append({s.table, s.table});
        QStringList cols;
        for (int i = 0; i < s.indexExprs.size(); ++i) cols.append(expr(s.indexExprs[i], &scope) + s.indexDirs.value(i));
        SqliteStatement st;
        st.text = QStringLiteral("CREATE ") + (s.unique ? QStringLiteral("UNIQUE ") : QString()) + QStringLiteral("INDEX ")
                  + quoteName(s.indexName) + QStringLiteral(" ON ") + quoteName(s.table) + QStringLiteral(" (") + cols.join(QLatin1Char(',')) + QLatin1Char(')');
        out.append(st);
        return out;
    }
    case Statement::Nothing:
        return out;
    }
    return out;
}

} // namespace

QList<SqliteStatement> renderStatement(const Statement &statement, bool msSql, const SchemaInfo *schema, const QString &original,
                                       const QHash<int, int> *literalSlots, bool *valueDependent)
{
    Renderer r(msSql, schema, original, literalSlots);
    QList<SqliteStatement> out = r.render(statement);
    if (valueDependent) *valueDependent = r.valueDependent();
    return out;
}

} // namespace wage::sql
