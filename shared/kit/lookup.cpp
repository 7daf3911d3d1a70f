#include "kit/lookup.h"

#include "core/strutil.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "kit/rights.h"

#include <QRegularExpression>

namespace wage {

LookupSpec parseLookup(const QString &text)
{
    LookupSpec spec;
    const QStringList parts = text.split(QLatin1Char('$'));
    if (parts.size() < 2)
        return spec;
    QString select = parts.at(0);
    static const QRegularExpression dep(QStringLiteral(";\\s*&([^;]+);(.*)$"));
    const QRegularExpressionMatch m = dep.match(select);
    if (m.hasMatch()) {
        spec.dependColumn = m.captured(1).trimmed();
        spec.dependField = m.captured(2).trimmed();
        select = select.left(m.capturedStart());
    }
    spec.select = select.trimmed();
    const QStringList mapping = parts.at(1).split(QLatin1Char('@'));
    spec.fields = GetStringList(QStringLiteral(","), mapping.value(0), 1);
    spec.captions = GetStringList(QStringLiteral(","), mapping.value(1), 0);
    spec.keyField = mapping.value(2).trimmed();
    spec.sourceTable = parts.value(2).trimmed();
    return spec;
}

QString lookupStatement(const LookupSpec &spec, Dataset *record, Connection *connection)
{
    if (spec.dependColumn.isEmpty() || !record)
        return spec.select;
    const Field f = record->findField(spec.dependField);
    if (!f.isValid())
        return spec.select;
    const bool access = connection && connection->dialect() == Dialect::Access;
    QString predicate;
    if (f.isNull()) {
        predicate = spec.dependColumn + QStringLiteral(" is null");
    } else if (f.kind() == FieldKind::DateTime) {
        const QDate d = f.asDate();
        auto lit = [access](const QDate &day) {
            const QString t = day.toString(QStringLiteral("yyyy-MM-dd"));
            return access ? QLatin1Char('#') + t + QLatin1Char('#') : QLatin1Char('\'') + t + QLatin1Char('\'');
        };
        predicate = QStringLiteral("(") + spec.dependColumn + QStringLiteral(">=") + lit(d) + QStringLiteral(" and ")
            + spec.dependColumn + QStringLiteral("<") + lit(d.addDays(1)) + QStringLiteral(")");
    } else if (f.kind() == FieldKind::Integer || f.kind() == FieldKind::Float || f.kind() == FieldKind::Money) {
        predicate = spec.dependColumn + QLatin1Char('=') + QString::number(f.asFloat(), 'g', 15);
    } else {
        predicate = QStringLiteral("rtrim(") + spec.dependColumn + QStringLiteral(")='") + sqlQuote(TrimRightText(f.asString()))
            + QLatin1Char('\'');
    }
    return joinPredicate(spec.select, predicate);
}

} // namespace wage

bool GetKeyValue(const QString &fieldName, const QString &keyValue, const QString &table,
                 wage::Connection *connection, wage::Dataset *dataset)
{
    if (!connection || !dataset || !dataset->isActive())
        return false;
    wage::QueryResult reg;
    try {
        reg = connection->query(QStringLiteral("select field_onkey from f_system where table_name='") + wage::sqlQuote(table)
                                + QStringLiteral("' and field_name='") + wage::sqlQuote(fieldName) + QLatin1Char('\''));
    } catch (const std::exception &) {
        return false;
    }
    if (reg.rows.isEmpty() || reg.rows.first().first().isNull())
        return false;
    const wage::LookupSpec spec = wage::parseLookup(reg.rows.first().first().toString());
    if (!spec.isValid())
        return false;

    wage::QueryResult rows;
    try {
        rows = connection->query(wage::lookupStatement(spec, dataset, connection));
    } catch (const std::exception &) {
        return false;
    }
    auto columnFor = [&](int i) {
        int c = i < spec.captions.size() ? rows.column(spec.captions.at(i)) : -1;
        if (c < 0)
            c = rows.column(spec.fields.at(i));
        return c;
    };
    int keyColumn = -1;
    const int keyPos = spec.fields.indexOf(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(spec.keyField)
                                                                  + QStringLiteral("$"),
                                                              QRegularExpression::CaseInsensitiveOption));
    if (keyPos >= 0)
        keyColumn = columnFor(keyPos);
    if (keyColumn < 0)
        keyColumn = rows.column(spec.keyField);
    if (keyColumn < 0)
        return false;
    const QString key = TrimText(keyValue);
    for (const QVariantList &row : rows.rows) {
        if (TrimText(row.at(keyColumn).toString()) != key)
            continue;
        for (int i = 0; i < spec.fields.size(); ++i) {
            const int c = columnFor(i);
            const wage::Field target = dataset->findField(spec.fields.at(i));
            if (c >= 0 && target.isValid())
                target.setValue(row.at(c));
        }
        return true;
    }
    return false;
}
