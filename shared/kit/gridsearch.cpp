#include "kit/gridsearch.h"

#include "kit/gridmodel.h"

namespace wage {

namespace {

bool isNumberValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// Whether the text could occur in a displayed number or date ("12.50", "1e+20", "2026-03-01 08:30:00").
bool fitsNumbersAndDates(const QString &text)
{
    for (const QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && !QStringLiteral(".-+eE: ").contains(c))
            return false;
    return true;
}

bool isStoredDate(const QString &s)
{
    return s.size() >= 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-') && s.at(0).isDigit();
}

} // namespace

Dataset::RecordFilter searchFilter(const QString &text, const QList<SearchColumn> &columns)
{
    const bool numeric = fitsNumbersAndDates(text);
    return [text, columns, numeric](const QVariantList &values) {
        for (const SearchColumn &c : columns) {
            if (c.field < 0 || c.field >= values.size())
                continue;
            const QVariant &v = values.at(c.field);
            if (v.isNull())
                continue;
            const bool number = isNumberValue(v);
            if (v.typeId() == QMetaType::QString && c.kind != FieldKind::Money && c.kind != FieldKind::DateTime) {
                // Text shows as it is stored.
                if (QStringView(*static_cast<const QString *>(v.constData())).contains(text, Qt::CaseInsensitive))
                    return true;
                continue;
            }
            if (!numeric && (number
                             || (c.kind == FieldKind::DateTime && v.typeId() == QMetaType::QString
                                 && isStoredDate(*static_cast<const QString *>(v.constData())))
                             || v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime))
                continue;
            if (GridModel::displayText(v, c.kind).contains(text, Qt::CaseInsensitive))
                return true;
        }
        return false;
    };
}

} // namespace wage
