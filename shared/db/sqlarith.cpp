#include "db/sqlarith.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cmath>

namespace wage::sql {

double roundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    const double lower = std::floor(scaled);
    const double frac = scaled - lower;
    const double tolerance = 1e-9 * qMax(1.0, std::fabs(scaled));
    double r;
    if (std::fabs(frac - 0.5) <= tolerance)
        r = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
    else
        r = std::round(scaled);
    return r / scale;
}

namespace {

bool msSql(sqlite3_context *c) { return sqlite3_user_data(c) != nullptr; }
bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }

struct Num {
    bool integer = false;
    qint64 i = 0;
    double d = 0;
};

QString textOf(sqlite3_value *v)
{
    const unsigned char *p = sqlite3_value_text(v);
    return p ? QString::fromUtf8(reinterpret_cast<const char *>(p), sqlite3_value_bytes(v)) : QString();
}

// A text read as a number the way the servers convert it: blanks around, a sign, digits, one
// point, an exponent; nothing else.
bool parseNumber(const QString &raw, Num *out)
{
    const QString s = raw.trimmed();
    if (s.isEmpty())
        return false;
    int i = 0;
    if (s[i] == u'+' || s[i] == u'-') ++i;
    bool digits = false, point = false, exponent = false;
    for (; i < s.size(); ++i) {
        const QChar ch = s[i];
        if (ch >= u'0' && ch <= u'9') digits = true;
        else if (ch == u'.' && !point && !exponent) point = true;
        else if ((ch == u'e' || ch == u'E') && digits && !exponent) {
            exponent = true;
            if (i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) ++i;
            if (i + 1 >= s.size()) return false;
        } else return false;
    }
    if (!digits)
        return false;
    bool ok = false;
    if (!point && !exponent) {
        out->i = s.toLongLong(&ok);
        if (ok) { out->integer = true; out->d = double(out->i); return true; }
    }
    out->d = s.toDouble(&ok);
    out->integer = false;
    return ok;
}

void conversionError(sqlite3_context *c, sqlite3_value *v, const char *target)
{
    const QByteArray msg = msSql(c)
        ? QStringLiteral("在将 varchar 值 '%1' 转换成数据类型 %2 时失败。").arg(textOf(v), QLatin1String(target)).toUtf8()
        : QStringLiteral("表达式中类型不匹配：'%1' 不是数字。").arg(textOf(v)).toUtf8();
    sqlite3_result_error(c, msg.constData(), int(msg.size()));
}

void divideByZero(sqlite3_context *c)
{
    sqlite3_result_error(c, msSql(c) ? "遇到以零作除数错误。" : "被零除。", -1);
}

// The value as a number; false (with the error set) for a text that is no number.
bool numeric(sqlite3_context *c, sqlite3_value *v, Num *out, const char *target = "int")
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: out->integer = true; out->i = sqlite3_value_int64(v); out->d = double(out->i); return true;
    case SQLITE_FLOAT: out->integer = false; out->d = sqlite3_value_double(v); return true;
    default:
        if (parseNumber(textOf(v), out))
            return true;
        conversionError(c, v, target);
        return false;
    }
}

void resultNum(sqlite3_context *c, const Num &n)
{
    if (n.integer) sqlite3_result_int64(c, n.i);
    else sqlite3_result_double(c, n.d);
}

// wage_div(a, b, mode): mode 0 divides as numbers; 1 divides two whole values as whole values
// (T-SQL, operand kinds unknown when translated); 2 gives money's four decimals.
void fnDiv(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    Num x, y;
    if (!numeric(c, a[0], &x) || !numeric(c, a[1], &y)) return;
    if (y.d == 0) return divideByZero(c);
    const int mode = sqlite3_value_int(a[2]);
    if (mode == 1 && x.integer && y.integer) {
        if (y.i == -1) return sqlite3_result_int64(c, -x.i);
        return sqlite3_result_int64(c, x.i / y.i);
    }
    const double r = x.d / y.d;
    sqlite3_result_double(c, mode == 2 ? std::round(r * 10000.0) / 10000.0 : r);
}

// Jet's `\`: both operands rounded to whole numbers first.
void fnJetIntDiv(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    Num x, y;
    if (!numeric(c, a[0], &x) || !numeric(c, a[1], &y)) return;
    const qint64 xi = qint64(roundHalfEven(x.d)), yi = qint64(roundHalfEven(y.d));
    if (yi == 0) return divideByZero(c);
    sqlite3_result_int64(c, yi == -1 ? -xi : xi / yi);
}

// `%` / Mod: T-SQL keeps fractions; Jet rounds both operands first.
void fnMod(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    Num x, y;
    if (!numeric(c, a[0], &x) || !numeric(c, a[1], &y)) return;
    if (!msSql(c)) {
        const qint64 xi = qint64(roundHalfEven(x.d)), yi = qint64(roundHalfEven(y.d));
        if (yi == 0) return divideByZero(c);
        return sqlite3_result_int64(c, yi == -1 ? 0 : xi % yi);
    }
    if (y.d == 0) return divideByZero(c);
    if (x.integer && y.integer) return sqlite3_result_int64(c, y.i == -1 ? 0 : x.i % y.i);
    sqlite3_result_double(c, std::fmod(x.d, y.d));
}

// A text operand of arithmetic: its number, or the conversion error.
void fnNum(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    Num x;
    if (numeric(c, a[0], &x)) resultNum(c, x);
}

// CAST(x AS int): whole numbers only from a text; fractions of a number cut off.
void fnCastInt(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    if (sqlite3_value_type(a[0]) == SQLITE_TEXT && QByteArray(reinterpret_cast<const char *>(sqlite3_value_text(a[0]))).trimmed().isEmpty())
        return sqlite3_result_int(c, 0);
    Num x;
    if (!numeric(c, a[0], &x)) return;
    if (sqlite3_value_type(a[0]) == SQLITE_TEXT && !x.integer) return conversionError(c, a[0], "int");
    sqlite3_result_int64(c, x.integer ? x.i : qint64(std::trunc(x.d)));
}

void fnCastNum(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    Num x;
    if (numeric(c, a[0], &x, "numeric")) sqlite3_result_double(c, x.d);
}

// A value stored into a money column: four decimals, half away from zero.
void fnMoney(sqlite3_context *c, int, sqlite3_value **a)
{
    const int t = sqlite3_value_type(a[0]);
    if (t == SQLITE_NULL || t == SQLITE_BLOB) return sqlite3_result_value(c, a[0]);
    if (t == SQLITE_INTEGER) return sqlite3_result_value(c, a[0]);
    Num x;
    if (!numeric(c, a[0], &x, "money")) return;
    if (x.integer) return sqlite3_result_int64(c, x.i);
    sqlite3_result_double(c, std::round(x.d * 10000.0) / 10000.0);
}

// A value stored into a decimal(p, s) column: s decimals.
void fnDecimal(sqlite3_context *c, int, sqlite3_value **a)
{
    const int t = sqlite3_value_type(a[0]);
    if (t == SQLITE_NULL || t == SQLITE_BLOB || t == SQLITE_INTEGER) return sqlite3_result_value(c, a[0]);
    Num x;
    if (!numeric(c, a[0], &x, "numeric")) return;
    if (x.integer) return sqlite3_result_int64(c, x.i);
    const double scale = std::pow(10.0, qBound(0, sqlite3_value_int(a[1]), 15));
    sqlite3_result_double(c, std::round(x.d * scale) / scale);
}

// Jet Round: half to even.
void fnRoundEven(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0]) || (argc > 1 && isNull(a[1]))) return sqlite3_result_null(c);
    Num x;
    if (!numeric(c, a[0], &x)) return;
    const int places = argc > 1 ? qBound(0, sqlite3_value_int(a[1]), 15) : 0;
    if (x.integer) return sqlite3_result_int64(c, x.i);
    const double r = roundHalfEven(x.d, places);
    if (places == 0 && std::fabs(r) < 9e15) return sqlite3_result_int64(c, qint64(r));
    sqlite3_result_double(c, r);
}

// wage_single(x): the one value of a scalar sub-query; a second row is an error.
struct Single {
    sqlite3_value *value;
    qint64 rows;
};

void singleStep(sqlite3_context *c, int, sqlite3_value **a)
{
    auto *s = static_cast<Single *>(sqlite3_aggregate_context(c, sizeof(Single)));
    if (!s) return sqlite3_result_error_nomem(c);
    if (++s->rows > 1) {
        sqlite3_result_error(c, msSql(c) ? "子查询返回的值不止一个。当子查询跟随在 =、!=、<、<=、>、>= 之后，或子查询用作表达式时，这种情况是不允许的。"
                                         : "此子查询最多只能返回一条记录。", -1);
        return;
    }
    s->value = sqlite3_value_dup(a[0]);
}

void singleFinal(sqlite3_context *c)
{
    auto *s = static_cast<Single *>(sqlite3_aggregate_context(c, 0));
    if (!s || !s->value) return sqlite3_result_null(c);
    if (s->rows <= 1) sqlite3_result_value(c, s->value);
    sqlite3_value_free(s->value);
    s->value = nullptr;
}

} // namespace

bool registerArithmeticFunctions(sqlite3 *db, void *marker)
{
    struct Fn {
        const char *name;
        int args;
        void (*fn)(sqlite3_context *, int, sqlite3_value **);
    };
    static const Fn fns[] = {
        {"wage_div", 3, fnDiv}, {"wage_jetidiv", 2, fnJetIntDiv}, {"wage_mod", 2, fnMod}, {"wage_num", 1, fnNum},
        {"wage_castint", 1, fnCastInt}, {"wage_castnum", 1, fnCastNum}, {"wage_money", 1, fnMoney},
        {"wage_decimal", 2, fnDecimal}, {"wage_roundeven", 1, fnRoundEven}, {"wage_roundeven", 2, fnRoundEven},
    };
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    for (const Fn &f : fns)
        if (sqlite3_create_function_v2(db, f.name, f.args, flags, marker, f.fn, nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
    return sqlite3_create_function_v2(db, "wage_single", 1, SQLITE_UTF8, marker, nullptr, singleStep, singleFinal, nullptr) == SQLITE_OK;
}

} // namespace wage::sql
