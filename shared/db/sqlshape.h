#pragma once
// The shape of a statement: its text with the text and number literals taken out, so that
// statements that differ only in their values share one translation and one prepared statement,
// the values being bound as parameters.
#include <QHash>
#include <QString>
#include <QVariant>

namespace wage::sql {

struct LiteralSlot {
    int pos = 0;        // offset of the literal in the statement (as its token has it)
    QVariant value;
};

// False when the text is better cached as it stands (comments, nothing to take out).
// Literals after LIKE / ESCAPE stay in the shape: their value decides the translation.
bool statementShape(const QString &sql, bool jetStrings, QString *shape, QList<LiteralSlot> *literalList);

// The parameter that carries literal `index` of a shape.
QString literalParameter(int index);

} // namespace wage::sql
