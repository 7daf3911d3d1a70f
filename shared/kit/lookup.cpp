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

KeyLookup::KeyLookup(const QString &fieldName, const QString &table, Connection *connection)
    : m_connection(connection)
{
    if (!connection)
        return;
    QueryResult reg;
    try {
        reg = connection->query(QStringLiteral("select field_onkey from f_system where table_name='") + sqlQuote(table)
                                + QStringLiteral("' and field_name='") + sqlQuote(fieldName) + QLatin1Char('\''));
    } catch (const std::exception &) {
        return;
    }
    if (reg.rows.isEmpty() || reg.rows.first().first().isNull())
        return;
    m_spec = parseLookup(reg.rows.first().first().toString());
}

bool KeyLookup::load(const QString &statement)
{
    m_loaded = false;
    m_byKey.clear();
    m_columns.clear();
    try {
        m_rows = m_connection->query(statement);
    } catch (const std::exception &) {
        m_rows = QueryResult();
        return false;
    }
    auto columnFor = [&](int i) {
        int c = i < m_spec.captions.size() ? m_rows.column(m_spec.captions.at(i)) : -1;
        if (c < 0)
            c = m_rows.column(m_spec.fields.at(i));
        return c;
    };
    for (int i = 0; i < m_spec.fields.size(); ++i)
        m_columns.append(columnFor(i));
    int keyColumn = -1;
    for (int i = 0; i < m_spec.fields.size(); ++i) {
        if (m_spec.fields.at(i).compare(m_spec.keyField, Qt::CaseInsensitive) == 0) {
            keyColumn = m_columns.at(i);
            break;
        }
    }
    if (keyColumn < 0)
        keyColumn = m_rows.column(m_spec.keyField);
    if (keyColumn >= 0) {
        // The first row with a key is the one a pick finds.
        m_byKey.reserve(m_rows.rows.size());
        for (int r = m_rows.rows.size() - 1; r >= 0; --r)
            m_byKey.insert(TrimText(m_rows.rows.at(r).at(keyColumn).toString()), r);
    }
    m_statement = statement;
    m_loaded = true;
    return true;
}

bool KeyLookup::fill(const QString &keyValue, Dataset *dataset)
{
    if (!m_connection || !dataset || !dataset->isActive() || !m_spec.isValid())
        return false;
    const QString statement = lookupStatement(m_spec, dataset, m_connection);
    if ((!m_loaded || statement != m_statement) && !load(statement))
        return false;
    const auto found = m_byKey.constFind(TrimText(keyValue));
    if (found == m_byKey.constEnd())
        return false;
    const QVariantList &row = m_rows.rows.at(found.value());
    for (int i = 0; i < m_spec.fields.size(); ++i) {
        const Field target = dataset->findField(m_spec.fields.at(i));
        if (m_columns.at(i) >= 0 && target.isValid())
            target.setValue(row.at(m_columns.at(i)));
    }
    return true;
}

} // namespace wage

bool GetKeyValue(const QString &fieldName, const QString &keyValue, const QString &table,
                 wage::Connection *connection, wage::Dataset *dataset)
{
    if (!connection || !dataset || !dataset->isActive())
        return false;
    return wage::KeyLookup(fieldName, table, connection).fill(keyValue, dataset);
}
