#pragma once
// The conditions of the condition builder and the SQL predicate they make, in either dialect.
//
// Each row is field, operator, value and, from the second row on, "并且" (and) or "或者" (or).
// Every row becomes one parenthesised predicate; rows are joined in order with and/or, so
// "and" binds tighter than "or" as in SQL, and the whole is parenthesised once more so that a
// caller may add its own predicates safely. Values are quoted with sqlQuote; numbers must read
// as numbers and dates as dates. A date compares by whole days: 等于 a day is
// "f>=day and f<next day", which holds for date and date-and-time columns alike.
#include "db/connection.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace wage {

struct ChoiceField {
    QString name;
    QString caption;
    QString type;   // registry Field_type; empty is text
};

struct ChoiceCondition {
    QString logic;      // "并且" or "或者"; ignored on the first row
    ChoiceField field;
    QString op;         // one of choiceOperators()
    QString value;
};

QStringList choiceOperators();   // 等于 不等于 大于 大于等于 小于 小于等于 包含 不包含 开头是 结尾是 为空 不为空
bool operatorTakesValue(const QString &op);

// Empty when the condition is valid, else the Chinese reason.
QString validateCondition(const ChoiceCondition &condition);
// One row's predicate without the joining word; empty for an invalid row.
QString conditionPredicate(const ChoiceCondition &condition, Dialect dialect);
// The whole predicate; empty when there is no valid row.
QString conditionsPredicate(const QList<ChoiceCondition> &conditions, Dialect dialect);
// One readable line per row: "工序编号 等于 G01", "并且 单价 大于 1.5". Where 或者 and 并且
// mix, the rows that 并且 holds together are bracketed as the predicate groups them:
// "工序编号 等于 G01", "或者 (单价 大于 1.5", "并且 产量 大于 10)".
QStringList conditionsText(const QList<ChoiceCondition> &conditions);

} // namespace wage
