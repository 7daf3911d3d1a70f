#include "db/sqlscript.h"

#include "db/sqldates.h"
#include "db/sqltoken.h"

#include <QHash>

#include <cmath>

namespace wage::sql {

struct ScriptStep {
    enum Kind { Sql, Declare, Assign, SelectAssign, If, While, Block, Break, Continue, Return, BeginTran, Commit, Rollback, Nothing };
    Kind kind = Nothing;
    QString text;              // Sql; If/While: the condition's query; Assign: the value's query; SelectAssign: the select
    bool query = false;        // Sql: a SELECT whose rows the client sees
    QStringList variables;     // Declare, Assign, SelectAssign (lower case, with @)
    QStringList types;         // Declare
    QStringList values;        // Declare: the initial value's query or empty
    QList<ScriptStep> body;    // Block; If: then [, else]; While: body
    QStringList uses;          // variables that `text` reads (lower case)
};

QString variableParameter(const QString &variable)
{
    QString name = variable.toLower();
    while (name.startsWith(QLatin1Char('@'))) name.remove(0, 1);
    return (variable.startsWith(QLatin1String("@@")) ? QStringLiteral("wage_g_") : QStringLiteral("wage_v_")) + name;
}

namespace {

bool isWord(const Token &t, std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (t.is(w)) return true;
    return false;
}

// Words that can only begin a statement at the top level of a batch.
bool startsStatement(const Token &t)
{
    return isWord(t, {"if", "while", "declare", "begin", "end", "else", "print", "return", "break", "continue", "commit",
                      "rollback", "truncate", "create", "drop", "alter", "exec", "execute", "insert", "delete", "update",
                      "merge", "raiserror", "throw", "waitfor", "goto", "set", "select", "with", "use", "save"});
}


class ScriptParser {
public:
    ScriptParser(const QString &sql) : m_sql(sql), m_t(tokenize(sql, false)) {}

    Script parse()
    {
        Script s;
        QList<ScriptStep> batch;
        while (m_t[m_i].type != Tok::End) {
            if (m_t[m_i].isOp(";")) { ++m_i; continue; }
            if (isBatchSeparator(m_sql, m_t[m_i])) {
                ++m_i;
                s.batches.append(batch);
                batch.clear();
                continue;
            }
            batch.append(step());
        }
        s.batches.append(batch);
        return s;
    }

    // Whether the text holds more than one statement without ";" between them, or any of the
    // batch runner's own constructs.
    bool needsRunner()
    {
        for (const Token &t : m_t)
            if (t.type == Tok::Variable) return true;
        int i = 0;
        while (m_t[i].isOp(";")) ++i;
        const Token &first = m_t[i];
        if (isWord(first, {"if", "while", "declare", "begin", "print", "return", "commit", "rollback", "truncate", "break"}))
            return true;
        if (first.is("set") && !isWord(m_t[i + 1], {"nocount", "ansi_nulls", "quoted_identifier", "xact_abort"}))
            return true;
        // statements one after the other without ";"
        while (m_t[i].type != Tok::End) {
            if (m_t[i].isOp(";") || isBatchSeparator(m_sql, m_t[i])) { ++i; continue; }
            const int end = extent(i);
            if (m_t[end].type != Tok::End && !m_t[end].isOp(";") && !isBatchSeparator(m_sql, m_t[end]))
                return true;
            i = end;
        }
        return false;
    }

private:
    QString m_sql;
    QList<Token> m_t;
    int m_i = 0;

    [[noreturn]] void refuse(const QString &construct) const
    {
        throw DbError(QStringLiteral("内置数据库不能执行 T-SQL 的 %1，脚本未执行").arg(construct), m_sql);
    }

    [[noreturn]] void fail(const QString &what) const
    {
        const int pos = m_t[m_i].pos;
        throw DbError(QStringLiteral("T-SQL 脚本语法错误：%1（在“%2”附近）").arg(what, m_sql.mid(pos, 20)), m_sql);
    }

    QString textBetween(int from, int to) const
    {
        return m_sql.mid(m_t[from].pos, m_t[to].pos - m_t[from].pos).trimmed();
    }

    // The index of the token after the statement (or condition) that starts at `from`.
    int extent(int from, bool condition = false) const
    {
        const Token &head = m_t[from];
        int depth = 0, cases = 0;
        bool sawSelect = head.is("select") && !condition, sawSet = false, sawMain = false;
        for (int j = condition ? from : from + 1; m_t[j].type != Tok::End; ++j) {
            const Token &t = m_t[j];
            if (t.isOp("(")) { ++depth; continue; }
            if (t.isOp(")")) { --depth; continue; }
            if (depth > 0) continue;
            if (t.is("case")) { ++cases; continue; }
            if (t.is("end") && cases > 0) { --cases; continue; }
            if (cases > 0) continue;
            if (t.isOp(";") || isBatchSeparator(m_sql, t)) return j;
            if (!startsStatement(t)) continue;
            const Token &prev = m_t[j - 1];
            if (t.is("select")) {
                if (isWord(prev, {"union", "all", "except", "intersect"})) continue;
                if (head.is("insert") && !sawSelect) { sawSelect = true; continue; }
                if (head.is("with") && !sawMain) { sawMain = true; continue; }
                return j;
            }
            if (head.is("with") && !sawMain && isWord(t, {"insert", "update", "delete"})) { sawMain = true; continue; }
            if (t.is("set") && head.is("update") && !sawSet) { sawSet = true; continue; }
            if (t.is("with") && (m_t[j + 1].isOp("(") || m_t[j + 1].is("ties"))) continue;
            if (t.is("if") && isWord(prev, {"table", "index", "view"})) continue;
            if (t.is("update") && prev.is("for")) continue;
            if (head.is("alter") && isWord(t, {"drop", "alter"})) continue;   // ALTER TABLE t DROP / ALTER COLUMN
            if (condition && j == from) continue;
            return j;
        }
        int end = from;
        while (m_t[end].type != Tok::End) ++end;
        return end;
    }

    ScriptStep simple(ScriptStep::Kind kind)
    {
        const int end = extent(m_i);
        ScriptStep s;
        s.kind = kind;
        s.text = textBetween(m_i, end);
        m_i = end;
        return s;
    }

    ScriptStep step()
    {
        ScriptStep s = readStep();
        for (const Token &t : tokenize(s.text, false))
            if (t.type == Tok::Variable && !t.text.startsWith(QLatin1String("@@")) && !s.uses.contains(t.text.toLower()))
                s.uses.append(t.text.toLower());
        for (const QString &v : s.values)
            for (const Token &t : tokenize(v, false))
                if (t.type == Tok::Variable && !t.text.startsWith(QLatin1String("@@")) && !s.uses.contains(t.text.toLower()))
                    s.uses.append(t.text.toLower());
        return s;
    }

    ScriptStep readStep()
    {
        const Token &t = m_t[m_i];
        if (t.is("begin")) {
            const Token &n = m_t[m_i + 1];
            if (n.is("tran") || n.is("transaction")) {
                m_i += 2;
                if ((m_t[m_i].type == Tok::Word && !startsStatement(m_t[m_i])) || m_t[m_i].type == Tok::Variable) ++m_i;
                ScriptStep s;
                s.kind = ScriptStep::BeginTran;
                return s;
            }
            if (n.is("try") || n.is("catch")) refuse(QStringLiteral("BEGIN TRY/CATCH"));
            if (n.is("distributed")) refuse(QStringLiteral("BEGIN DISTRIBUTED TRANSACTION"));
            ++m_i;
            ScriptStep block;
            block.kind = ScriptStep::Block;
            while (!m_t[m_i].is("end")) {
                if (m_t[m_i].type == Tok::End) fail(QStringLiteral("BEGIN 缺少对应的 END"));
                if (m_t[m_i].isOp(";")) { ++m_i; continue; }
                block.body.append(step());
            }
            ++m_i;
            return block;
        }
        if (t.is("if") || t.is("while")) {
            ScriptStep s;
            s.kind = t.is("if") ? ScriptStep::If : ScriptStep::While;
            ++m_i;
            const int end = extent(m_i, true);
            if (end == m_i) fail(QStringLiteral("%1 缺少条件").arg(t.text.toUpper()));
            s.text = QStringLiteral("SELECT CASE WHEN ") + textBetween(m_i, end) + QStringLiteral(" THEN 1 ELSE 0 END");
            m_i = end;
            while (m_t[m_i].isOp(";")) ++m_i;
            if (m_t[m_i].type == Tok::End || m_t[m_i].is("else")) fail(QStringLiteral("%1 后缺少语句").arg(t.text.toUpper()));
            s.body.append(step());
            if (s.kind == ScriptStep::If) {
                int k = m_i;
                while (m_t[k].isOp(";")) ++k;
                if (m_t[k].is("else")) {
                    m_i = k + 1;
                    s.body.append(step());
                }
            }
            return s;
        }
        if (t.is("declare")) return declare();
        if (t.is("set")) return set();
        if (t.is("select")) return select();
        if (isWord(t, {"insert", "update", "delete", "create", "drop", "alter", "truncate", "with"}))
            return simple(ScriptStep::Sql);
        if (t.is("print")) { ScriptStep s = simple(ScriptStep::Nothing); s.text.clear(); return s; }
        if (t.is("return")) {
            ScriptStep s = simple(ScriptStep::Return);
            s.text.clear();
            return s;
        }
        if (t.is("break") || t.is("continue")) {
            ScriptStep s;
            s.kind = t.is("break") ? ScriptStep::Break : ScriptStep::Continue;
            ++m_i;
            return s;
        }
        if (t.is("commit") || t.is("rollback")) {
            ScriptStep s;
            s.kind = t.is("commit") ? ScriptStep::Commit : ScriptStep::Rollback;
            ++m_i;
            if (isWord(m_t[m_i], {"tran", "transaction", "work"})) ++m_i;
            if ((m_t[m_i].type == Tok::Word && !startsStatement(m_t[m_i])) || m_t[m_i].type == Tok::Variable) ++m_i;
            return s;
        }
        if (t.is("exec") || t.is("execute")) refuse(QStringLiteral("EXEC（存储过程或动态 SQL）"));
        if (isWord(t, {"merge", "raiserror", "throw", "waitfor", "goto", "use", "save"}))
            refuse(t.text.toUpper());
        if (isWord(t, {"open", "fetch", "close", "deallocate"})) refuse(QStringLiteral("游标（%1）").arg(t.text.toUpper()));
        if (t.is("else")) fail(QStringLiteral("ELSE 前没有 IF"));
        if (t.is("end")) fail(QStringLiteral("END 前没有 BEGIN"));
        if (t.type == Tok::Word && m_t[m_i + 1].isOp(":")) refuse(QStringLiteral("语句标签（GOTO）"));
        fail(QStringLiteral("无法识别的语句"));
    }

    // DECLARE @a int [= value], @b varchar(10) ...
    ScriptStep declare()
    {
        ScriptStep s;
        s.kind = ScriptStep::Declare;
        const int end = extent(m_i);
        ++m_i;
        while (m_i < end) {
            if (m_t[m_i].type != Tok::Variable) {
                if (m_t[m_i + 1].is("cursor") || m_t[m_i].is("cursor")) refuse(QStringLiteral("游标（DECLARE CURSOR）"));
                fail(QStringLiteral("DECLARE 后应为变量名"));
            }
            const QString name = m_t[m_i].text.toLower();
            ++m_i;
            accept("as");
            if (m_t[m_i].is("table")) refuse(QStringLiteral("表变量（DECLARE %1 TABLE）").arg(name));
            if (m_t[m_i].is("cursor")) refuse(QStringLiteral("游标（DECLARE CURSOR）"));
            const int typeStart = m_i;
            int depth = 0;
            while (m_i < end && (depth > 0 || !(m_t[m_i].isOp("=") || m_t[m_i].isOp(",")))) {
                if (m_t[m_i].isOp("(")) ++depth;
                if (m_t[m_i].isOp(")")) --depth;
                ++m_i;
            }
            if (m_i == typeStart) fail(QStringLiteral("变量 %1 缺少数据类型").arg(name));
            QString value;
            const QString type = textBetween(typeStart, m_i);
            if (m_i < end && m_t[m_i].isOp("=")) {
                const int from = ++m_i;
                depth = 0;
                while (m_i < end && (depth > 0 || !m_t[m_i].isOp(","))) {
                    if (m_t[m_i].isOp("(")) ++depth;
                    if (m_t[m_i].isOp(")")) --depth;
                    ++m_i;
                }
                value = QStringLiteral("SELECT ") + textBetween(from, m_i);
            }
            s.variables.append(name);
            s.types.append(type);
            s.values.append(value);
            if (m_i < end && m_t[m_i].isOp(",")) ++m_i;
        }
        m_i = end;
        return s;
    }

    bool accept(const char *word)
    {
        if (!m_t[m_i].is(word)) return false;
        ++m_i;
        return true;
    }

    // SET @v = value (also +=, -=, *=, /=); SET options that change nothing here pass.
    ScriptStep set()
    {
        const Token &n = m_t[m_i + 1];
        if (n.type != Tok::Variable) {
            if (isWord(n, {"nocount", "ansi_nulls", "ansi_warnings", "ansi_padding", "quoted_identifier", "xact_abort", "arithabort",
                           "concat_null_yields_null", "deadlock_priority", "lock_timeout", "transaction", "implicit_transactions"})
                && !(n.is("implicit_transactions") && m_t[m_i + 2].is("on"))) {
                ScriptStep s = simple(ScriptStep::Nothing);
                s.text.clear();
                return s;
            }
            refuse(QStringLiteral("SET %1").arg(n.text.toUpper()));
        }
        const int end = extent(m_i);
        ScriptStep s;
        s.kind = ScriptStep::Assign;
        s.variables.append(n.text.toLower());
        int k = m_i + 2;
        QString op;
        if (m_t[k].type == Tok::Op && QStringLiteral("+-*/%").contains(m_t[k].text) && m_t[k + 1].isOp("=")) {
            op = m_t[k].text;
            ++k;
        }
        if (!m_t[k].isOp("=")) fail(QStringLiteral("SET %1 后应为 =").arg(n.text));
        ++k;
        if (k >= end) fail(QStringLiteral("SET %1 缺少值").arg(n.text));
        const QString value = textBetween(k, end);
        s.text = op.isEmpty() ? QStringLiteral("SELECT ") + value
                              : QStringLiteral("SELECT %1 %2 (%3)").arg(n.text, op, value);
        m_i = end;
        return s;
    }

    // SELECT: a query, or SELECT @a = x, @b = y FROM ... that sets variables from its last row.
    ScriptStep select()
    {
        const int end = extent(m_i);
        int k = m_i + 1;
        if (m_t[k].is("distinct") || m_t[k].is("all")) ++k;
        if (m_t[k].is("top")) {
            ++k;
            if (m_t[k].isOp("(")) { int depth = 0; do { if (m_t[k].isOp("(")) ++depth; if (m_t[k].isOp(")")) --depth; ++k; } while (depth > 0 && k < end); }
            else ++k;
            if (m_t[k].is("percent")) ++k;
        }
        if (!(m_t[k].type == Tok::Variable && m_t[k + 1].isOp("="))) {
            // a query whose rows the client sees, unless it fills a table (SELECT ... INTO)
            bool into = false;
            for (int j = m_i, depth = 0; j < end && !into; ++j) {
                if (m_t[j].isOp("(")) ++depth;
                else if (m_t[j].isOp(")")) --depth;
                else if (depth == 0 && m_t[j].is("into")) into = true;
            }
            ScriptStep q = simple(ScriptStep::Sql);
            q.query = !into;
            return q;
        }
        ScriptStep s;
        s.kind = ScriptStep::SelectAssign;
        QString text = m_sql.mid(m_t[m_i].pos, m_t[k].pos - m_t[m_i].pos);
        int depth = 0, cases = 0;
        int itemStart = k;
        for (int j = k; j <= end; ++j) {
            const Token &t = m_t[j];
            const bool top = depth == 0 && cases == 0;
            const bool listEnd = j == end || (top && isWord(t, {"from", "where", "group", "having", "order", "union", "into", "except", "intersect"}));
            if (listEnd || (top && t.isOp(","))) {
                if (m_t[itemStart].type != Tok::Variable || !m_t[itemStart + 1].isOp("="))
                    fail(QStringLiteral("给变量赋值的 SELECT 不能同时返回数据"));
                s.variables.append(m_t[itemStart].text.toLower());
                text += m_sql.mid(m_t[itemStart + 2].pos, m_t[j].pos - m_t[itemStart + 2].pos);
                if (listEnd) {
                    text += m_sql.mid(m_t[j].pos, m_t[end].pos - m_t[j].pos);
                    break;
                }
                itemStart = j + 1;
                continue;
            }
            if (t.isOp("(")) ++depth;
            else if (t.isOp(")")) --depth;
            else if (t.is("case")) ++cases;
            else if (t.is("end") && cases > 0) --cases;
        }
        s.text = text.trimmed();
        m_i = end;
        return s;
    }
};

// ---- running -----------------------------------------------------------------------------------

struct Variable {
    QString type;
    QVariant value;
};

enum class Flow { Normal, Break, Continue, Return };

class Runner {
public:
    Runner(const QString &original, ScriptHost &host, const SqlParams &params, QueryResult *first)
        : m_sql(original), m_host(host), m_params(params), m_first(first) {}

    int runBatch(const QList<ScriptStep> &steps)
    {
        m_vars.clear();
        m_ownTransaction = false;
        m_trancount = m_host.inTransaction() ? 1 : 0;
        try {
            for (const ScriptStep &s : steps)
                if (run(s) == Flow::Return) break;
        } catch (...) {
            if (m_ownTransaction && m_host.inTransaction()) m_host.rollback();
            throw;
        }
        if (m_ownTransaction && m_host.inTransaction()) {
            m_host.rollback();
            throw DbError(QStringLiteral("脚本结束时事务仍未提交（缺少 COMMIT），已全部回滚"), m_sql);
        }
        return m_affected;
    }

private:
    QString m_sql;
    ScriptHost &m_host;
    SqlParams m_params;
    QueryResult *m_first;
    bool m_haveFirst = false;
    QHash<QString, Variable> m_vars;
    qint64 m_rowcount = 0;
    int m_affected = 0;
    int m_trancount = 0;
    bool m_ownTransaction = false;

    [[noreturn]] void fail(const QString &what) const { throw DbError(what, m_sql); }

    SqlParams params() const
    {
        SqlParams p = m_params;
        for (auto it = m_vars.constBegin(); it != m_vars.constEnd(); ++it)
            p.append({variableParameter(it.key()), it.value().value});
        p.append({QStringLiteral("wage_g_rowcount"), m_rowcount});
        p.append({QStringLiteral("wage_g_trancount"), m_trancount});
        return p;
    }

    // A variable the batch never declared is an error before the statement runs.
    void checkDeclared(const QStringList &uses) const
    {
        for (const QString &v : uses)
            if (!m_vars.contains(v))
                fail(QStringLiteral("必须声明标量变量 \"%1\"。").arg(v));
    }

    QVariant value(const QString &select)
    {
        QueryResult r;
        m_host.run(select, params(), &r);
        return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
    }

    bool condition(const QString &select)
    {
        return value(select).toInt() != 0;
    }

    // The value converted to the variable's declared type, as an assignment on the server does.
    QVariant convert(const QString &variable, const QVariant &v) const
    {
        const QString type = m_vars.value(variable).type.toLower().simplified();
        if (v.isNull()) return QVariant();
        const bool number = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double;
        auto toNumber = [&](const char *target) {
            bool ok = number;
            const double d = number ? v.toDouble() : v.toString().trimmed().toDouble(&ok);
            if (!ok) fail(QStringLiteral("在将 varchar 值 '%1' 转换成数据类型 %2 时失败。").arg(v.toString(), QLatin1String(target)));
            return d;
        };
        if (type.contains(QLatin1String("char")) || type.contains(QLatin1String("text")) || type == QLatin1String("uniqueidentifier")) {
            QString s = number && v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 15) : v.toString();
            const int open = type.indexOf(QLatin1Char('('));
            const int length = open < 0 ? (type.contains(QLatin1String("text")) ? -1 : 1)
                                        : type.mid(open + 1, type.indexOf(QLatin1Char(')')) - open - 1).trimmed().toInt();
            if (length > 0 && !type.contains(QLatin1String("max"))) s = s.left(length);
            return s;
        }
        if (type.contains(QLatin1String("date")) || type.contains(QLatin1String("time"))) {
            QDateTime d;
            bool timed = false;
            if (!parseDateText(v.toString(), &d, &timed))
                fail(QStringLiteral("从字符串转换日期和/或时间时，转换失败：'%1'").arg(v.toString()));
            return type == QLatin1String("date") || !timed ? storedDateOnly(d.date()) : storedDate(d);
        }
        if (type.contains(QLatin1String("int")) || type == QLatin1String("bit")) {
            if (!number) {
                bool ok = false;
                const qint64 i = v.toString().trimmed().toLongLong(&ok);
                if (!ok) fail(QStringLiteral("在将 varchar 值 '%1' 转换成数据类型 int 时失败。").arg(v.toString()));
                return type == QLatin1String("bit") ? qint64(i != 0) : i;
            }
            const qint64 i = qint64(std::trunc(v.toDouble()));
            return type == QLatin1String("bit") ? qint64(i != 0) : (v.typeId() == QMetaType::Double ? i : v.toLongLong());
        }
        if (type.contains(QLatin1String("money"))) return std::round(toNumber("money") * 10000.0) / 10000.0;
        if (type.startsWith(QLatin1String("dec")) || type.startsWith(QLatin1String("numeric"))) {
            const int comma = type.indexOf(QLatin1Char(','));
            const int scale = comma < 0 ? 0 : type.mid(comma + 1, type.indexOf(QLatin1Char(')')) - comma - 1).trimmed().toInt();
            const double p = std::pow(10.0, scale);
            return std::round(toNumber("numeric") * p) / p;
        }
        if (type.contains(QLatin1String("float")) || type.contains(QLatin1String("real"))) return toNumber("float");
        return v;
    }

    void assign(const QString &variable, const QVariant &v)
    {
        auto it = m_vars.find(variable);
        if (it == m_vars.end()) fail(QStringLiteral("必须声明标量变量 \"%1\"。").arg(variable));
        it->value = convert(variable, v);
    }

    Flow run(const ScriptStep &s)
    {
        switch (s.kind) {
        case ScriptStep::Nothing:
            return Flow::Normal;
        case ScriptStep::Sql: {
            checkDeclared(s.uses);
            QueryResult rows;
            const bool keep = s.query && m_first && !m_haveFirst;
            const int n = m_host.run(s.text, params(), keep ? &rows : nullptr);
            if (keep) { *m_first = rows; m_haveFirst = true; }
            m_rowcount = n;
            m_affected = n;
            return Flow::Normal;
        }
        case ScriptStep::Declare:
            for (int i = 0; i < s.variables.size(); ++i) {
                for (const Token &t : tokenize(s.values[i], false))
                    if (t.type == Tok::Variable && !t.text.startsWith(QLatin1String("@@")) && !m_vars.contains(t.text.toLower()))
                        fail(QStringLiteral("必须声明标量变量 \"%1\"。").arg(t.text));
                if (m_vars.contains(s.variables[i]))
                    fail(QStringLiteral("变量名 '%1' 已声明。变量名在查询批次或存储过程内部必须唯一。").arg(s.variables[i]));
                const QVariant init = s.values[i].isEmpty() ? QVariant() : value(s.values[i]);
                m_vars.insert(s.variables[i], Variable{s.types[i], QVariant()});
                assign(s.variables[i], init);
            }
            return Flow::Normal;
        case ScriptStep::Assign:
            checkDeclared(s.uses);
            assign(s.variables.first(), value(s.text));
            m_rowcount = 1;
            return Flow::Normal;
        case ScriptStep::SelectAssign: {
            checkDeclared(s.uses);
            for (const QString &v : s.variables)
                if (!m_vars.contains(v)) fail(QStringLiteral("必须声明标量变量 \"%1\"。").arg(v));
            QueryResult r;
            m_host.run(s.text, params(), &r);
            if (!r.rows.isEmpty())
                for (int i = 0; i < s.variables.size(); ++i) assign(s.variables[i], r.rows.last().value(i));
            m_rowcount = r.rows.size();
            return Flow::Normal;
        }
        case ScriptStep::If:
            checkDeclared(s.uses);
            if (condition(s.text)) return run(s.body.first());
            if (s.body.size() > 1) return run(s.body.at(1));
            return Flow::Normal;
        case ScriptStep::While:
            checkDeclared(s.uses);
            while (condition(s.text)) {
                const Flow f = run(s.body.first());
                if (f == Flow::Break) break;
                if (f == Flow::Return) return f;
            }
            return Flow::Normal;
        case ScriptStep::Block:
            for (const ScriptStep &k : s.body) {
                const Flow f = run(k);
                if (f != Flow::Normal) return f;
            }
            return Flow::Normal;
        case ScriptStep::Break: return Flow::Break;
        case ScriptStep::Continue: return Flow::Continue;
        case ScriptStep::Return: return Flow::Return;
        case ScriptStep::BeginTran:
            if (!m_host.inTransaction()) {
                m_host.begin();
                m_ownTransaction = true;
            }
            ++m_trancount;
            m_rowcount = 0;
            return Flow::Normal;
        case ScriptStep::Commit:
            if (m_trancount <= 0) fail(QStringLiteral("COMMIT TRANSACTION 请求没有对应的 BEGIN TRANSACTION。"));
            if (--m_trancount == 0 && m_host.inTransaction()) {
                m_host.commit();
                m_ownTransaction = false;
            }
            m_rowcount = 0;
            return Flow::Normal;
        case ScriptStep::Rollback:
            if (m_trancount <= 0 || !m_host.inTransaction()) fail(QStringLiteral("ROLLBACK TRANSACTION 请求没有对应的 BEGIN TRANSACTION。"));
            m_host.rollback();
            m_trancount = 0;
            m_ownTransaction = false;
            return Flow::Normal;
        }
        return Flow::Normal;
    }
};

} // namespace

bool isTsqlScript(const QString &sql)
{
    ScriptParser p(sql);
    return p.needsRunner();
}

std::shared_ptr<const Script> parseScript(const QString &sql)
{
    ScriptParser p(sql);
    return std::make_shared<const Script>(p.parse());
}

int runScript(const Script &script, const QString &original, ScriptHost &host, const SqlParams &params, QueryResult *firstResult)
{
    Runner r(original, host, params, firstResult);
    int affected = 0;
    for (const QList<ScriptStep> &batch : script.batches)
        affected = r.runBatch(batch);
    return affected;
}

} // namespace wage::sql
