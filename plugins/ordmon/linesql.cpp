#include "ordmon/linesql.h"

#include "db/dataset.h"
#include "db/datasource.h"

#include <QLocale>

#include <cmath>

namespace ordmon {

QStringList statementParams(const QString &sql)
{
    QStringList names;
    const int n = sql.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // a quoted text; a doubled quote stays inside it
            for (++i; i < n; ++i) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c)
                        ++i;
                    else
                        break;
                }
            }
            continue;
        }
        if (c != QLatin1Char(':') || i + 1 >= n)
            continue;
        if (i > 0 && (sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == QLatin1Char('_') || sql.at(i - 1) == QLatin1Char(':')))
            continue;
        int j = i + 1;
        if (!(sql.at(j).isLetter() || sql.at(j) == QLatin1Char('_')))
            continue;
        while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
            ++j;
        const QString name = sql.mid(i + 1, j - i - 1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
        i = j - 1;
    }
    return names;
}

wage::SqlParams paramsFromRecord(const QString &sql, wage::DataSource *source)
{
    wage::SqlParams params;
    wage::Dataset *d = source ? source->dataSet() : nullptr;
    const bool hasRecord = d && d->isActive() && !d->isEmpty();
    for (const QString &name : statementParams(sql)) {
        QVariant v;
        if (hasRecord) {
            const wage::Field f = d->findField(name);
            if (f.isValid())
                v = f.value();
        }
        params.append({QLatin1Char(':') + name, v});
    }
    return params;
}

QString decimalText(double value)
{
    if (!std::isfinite(value))
        return QString();
    if (value == 0)
        return QStringLiteral("0");
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString valueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return decimalText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

QString numberText(const QString &text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok)
        return text;
    // Integers and plain decimals pass as they are; exponent forms are spelled out.
    if (!text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        return text;
    return decimalText(v);
}

} // namespace ordmon
