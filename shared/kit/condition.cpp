#include "kit/condition.h"

#include "core/strutil.h"

#include <QDate>

namespace wage {
namespace {

bool isNumericType(const QString &type)
{
    return type == QStringLiteral("整型") || type == QStringLiteral("货币型") || type == QStringLiteral("数值型");
}
bool isDateType(const QString &type) { return type.startsWith(QStringLiteral("日期")); }

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *fmt : {"yyyy-M-d", "yyyy/M/d", "yyyy.M.d", "yyyyMMdd", "yyyy-M-d H:m:s", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(fmt));
        if (dt.isValid())
            return dt.date();
        const QDate d = QDate::fromString(t, QString::fromLatin1(fmt));
        if (d.isValid())
            return d;
    }
    return {};
}

QString dateLiteral(const QDate &d, Dialect dialect)
{
    const QString text = d.toString(QStringLiteral("yyyy-MM-dd"));
    return dialect == Dialect::Access ? QLatin1Char('#') + text + QLatin1Char('#') : QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString textLiteral(const QString &v) { return QLatin1Char('\'') + sqlQuote(v) + QLatin1Char('\''); }

} // namespace

QStringList choiceOperators()
{
    return {QStringLiteral("等于"), QStringLiteral("不等于"), QStringLiteral("大于"), QStringLiteral("大于等于"),
            QStringLiteral("小于"), QStringLiteral("小于等于"), QStringLiteral("包含"), QStringLiteral("不包含"),
            QStringLiteral("开头是"), QStringLiteral("结尾是"), QStringLiteral("为空"), QStringLiteral("不为空")};
}

bool operatorTakesValue(const QString &op) { return op != QStringLiteral("为空") && op != QStringLiteral("不为空"); }

QString validateCondition(const ChoiceCondition &c)
{
    if (c.field.name.isEmpty())
        return QStringLiteral("请选择条件的字段。");
    if (!choiceOperators().contains(c.op))
        return QStringLiteral("请选择条件的运算符。");
    if (!operatorTakesValue(c.op))
        return QString();
    const bool likeOp = c.op == QStringLiteral("包含") || c.op == QStringLiteral("不包含")
        || c.op == QStringLiteral("开头是") || c.op == QStringLiteral("结尾是");
    if (c.value.trimmed().isEmpty() && (likeOp || isNumericType(c.field.type) || isDateType(c.field.type)))
        return QStringLiteral("请输入条件的值。");
    if (likeOp)
        return QString();
    if (isNumericType(c.field.type)) {
        bool ok = false;
        c.value.trimmed().toDouble(&ok);
        if (!ok)
            return QStringLiteral("“") + c.field.caption + QStringLiteral("”须输入数值。");
    } else if (isDateType(c.field.type) && !parseDate(c.value).isValid()) {
        return QStringLiteral("“") + c.field.caption + QStringLiteral("”须输入日期，例如 2026-12-01。");
    }
    return QString();
}

QString conditionPredicate(const ChoiceCondition &c, Dialect dialect)
{
    if (!validateCondition(c).isEmpty())
        return QString();
    const QString f = c.field.name;
    const QString op = c.op;
    const bool numeric = isNumericType(c.field.type);
    const bool date = isDateType(c.field.type);

    if (op == QStringLiteral("为空"))
        return numeric || date ? f + QStringLiteral(" is null") : QStringLiteral("(") + f + QStringLiteral(" is null or rtrim(") + f + QStringLiteral(")='')");
    if (op == QStringLiteral("不为空"))
        return numeric || date ? f + QStringLiteral(" is not null") : QStringLiteral("(") + f + QStringLiteral(" is not null and rtrim(") + f + QStringLiteral(")<>'')");
    if (op == QStringLiteral("包含"))
        return f + QStringLiteral(" like ") + textLiteral(QLatin1Char('%') + c.value.trimmed() + QLatin1Char('%'));
    if (op == QStringLiteral("不包含"))
        return QStringLiteral("(") + f + QStringLiteral(" is null or ") + f + QStringLiteral(" not like ")
            + textLiteral(QLatin1Char('%') + c.value.trimmed() + QLatin1Char('%')) + QStringLiteral(")");
    if (op == QStringLiteral("开头是"))
        return f + QStringLiteral(" like ") + textLiteral(c.value.trimmed() + QLatin1Char('%'));
    if (op == QStringLiteral("结尾是"))
        return f + QStringLiteral(" like ") + textLiteral(QLatin1Char('%') + c.value.trimmed());

    if (date) {
        const QDate d = parseDate(c.value);
        const QString day = dateLiteral(d, dialect);
        const QString next = dateLiteral(d.addDays(1), dialect);
        if (op == QStringLiteral("等于"))
            return QStringLiteral("(") + f + QStringLiteral(">=") + day + QStringLiteral(" and ") + f + QStringLiteral("<") + next + QStringLiteral(")");
        if (op == QStringLiteral("不等于"))
            return QStringLiteral("(") + f + QStringLiteral("<") + day + QStringLiteral(" or ") + f + QStringLiteral(">=") + next + QStringLiteral(")");
        if (op == QStringLiteral("大于"))
            return f + QStringLiteral(">=") + next;
        if (op == QStringLiteral("大于等于"))
            return f + QStringLiteral(">=") + day;
        if (op == QStringLiteral("小于"))
            return f + QStringLiteral("<") + day;
        if (op == QStringLiteral("小于等于"))
            return f + QStringLiteral("<") + next;
        return QString();
    }

    QString literal;
    if (numeric) {
        bool ok = false;
        const double v = c.value.trimmed().toDouble(&ok);
        literal = QString::number(v, 'g', 15);
    } else {
        literal = textLiteral(c.value.trimmed());
    }
    static const QList<QPair<QString, QString>> symbols{
        {QStringLiteral("等于"), QStringLiteral("=")},   {QStringLiteral("不等于"), QStringLiteral("<>")},
        {QStringLiteral("大于"), QStringLiteral(">")},   {QStringLiteral("大于等于"), QStringLiteral(">=")},
        {QStringLiteral("小于"), QStringLiteral("<")},   {QStringLiteral("小于等于"), QStringLiteral("<=")}};
    for (const auto &s : symbols)
        if (s.first == op)
            return f + s.second + literal;
    return QString();
}

QString conditionsPredicate(const QList<ChoiceCondition> &conditions, Dialect dialect)
{
    QString out;
    int count = 0;
    for (const ChoiceCondition &c : conditions) {
        const QString p = conditionPredicate(c, dialect);
        if (p.isEmpty())
            continue;
        if (count > 0)
            out += c.logic == QStringLiteral("或者") ? QStringLiteral(" or ") : QStringLiteral(" and ");
        out += QLatin1Char('(') + p + QLatin1Char(')');
        ++count;
    }
    return count ? QLatin1Char('(') + out + QLatin1Char(')') : QString();
}

QStringList conditionsText(const QList<ChoiceCondition> &conditions)
{
    QList<ChoiceCondition> valid;
    for (const ChoiceCondition &c : conditions)
        if (validateCondition(c).isEmpty())
            valid << c;
    auto isOr = [&](int i) { return i > 0 && valid.at(i).logic == QStringLiteral("或者"); };
    // "并且" binds tighter than "或者": rows joined by 并且 form one group, and a group of
    // several rows is bracketed when an 或者 stands beside it.
    bool anyOr = false;
    for (int i = 1; i < valid.size(); ++i)
        anyOr = anyOr || isOr(i);
    QStringList lines;
    for (int i = 0; i < valid.size(); ++i) {
        const ChoiceCondition &c = valid.at(i);
        const bool opensGroup = i == 0 || isOr(i);
        const bool closesGroup = i + 1 == valid.size() || isOr(i + 1);
        const bool bracketed = anyOr && !(opensGroup && closesGroup);
        QString line;
        if (i > 0)
            line = (isOr(i) ? QStringLiteral("或者") : QStringLiteral("并且")) + QLatin1Char(' ');
        if (bracketed && opensGroup)
            line += QLatin1Char('(');
        line += c.field.caption + QLatin1Char(' ') + c.op;
        if (operatorTakesValue(c.op))
            line += QLatin1Char(' ') + c.value.trimmed();
        if (bracketed && closesGroup)
            line += QLatin1Char(')');
        lines << line;
    }
    return lines;
}

} // namespace wage
