#include "db/datasetorder.h"

#include "core/textorder.h"

#include <cstring>

namespace wage {
namespace fieldorder {

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Bool: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

QDateTime parseDateTime(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    QString s = v.toString().trimmed();
    if (s.isEmpty())
        return {};
    s.replace(QLatin1Char('T'), QLatin1Char(' '));
    static const char *formats[] = {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm",
                                    "yyyy-MM-dd", "yyyy/M/d H:mm:ss", "yyyy/M/d"};
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
        if (dt.isValid())
            return dt;
    }
    return {};
}

bool isNumericKind(FieldKind kind)
{
    return kind == FieldKind::Integer || kind == FieldKind::Float || kind == FieldKind::Money;
}

namespace {

// "yyyy-MM-dd" at the start: the stored form of the embedded engine, already in time order.
bool startsIso(const QString &s)
{
    if (s.size() < 10)
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!s.at(i).isDigit())
            return false;
    return s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-');
}

QByteArray dateBytes(const QVariant &v)
{
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (startsIso(s)) {
            QByteArray b = s.toLatin1();
            if (b.size() > 10 && b.at(10) == 'T')
                b[10] = ' ';
            return b;
        }
    }
    const QDateTime dt = parseDateTime(v);
    if (!dt.isValid())
        return {};
    const QString text = dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                                  : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    return text.toLatin1();
}

} // namespace

int compareValues(const QVariant &a, const QVariant &b, FieldKind kind)
{
    const bool an = a.isNull(), bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if ((isNumber(a) && isNumber(b)) || isNumericKind(kind)) {
        bool oka = false, okb = false;
        const double x = a.toDouble(&oka), y = b.toDouble(&okb);
        if (oka && okb)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (kind == FieldKind::DateTime || a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime) {
        const QDateTime x = parseDateTime(a), y = parseDateTime(b);
        if (x.isValid() && y.isValid())
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    return compareText(a.toString(), b.toString());
}

SortKey sortKey(const QVariant &v, FieldKind kind)
{
    SortKey k;
    if (v.isNull())
        return k;
    if (isNumber(v) || isNumericKind(kind)) {
        bool ok = false;
        const double x = v.toDouble(&ok);
        if (ok) {
            k.cls = 1;
            k.number = x;
            return k;
        }
    }
    if (kind == FieldKind::DateTime || v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
        k.bytes = dateBytes(v);
        if (!k.bytes.isEmpty()) {
            k.cls = 2;
            return k;
        }
    }
    k.cls = 3;
    k.bytes = textSortKey(v.toString());
    return k;
}

int compareKeys(const SortKey &a, const SortKey &b)
{
    if (a.cls != b.cls)
        return a.cls < b.cls ? -1 : 1;
    if (a.cls == 1)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.cls == 0)
        return 0;
    const qsizetype n = std::min(a.bytes.size(), b.bytes.size());
    const int c = n > 0 ? std::memcmp(a.bytes.constData(), b.bytes.constData(), size_t(n)) : 0;
    if (c != 0)
        return c;
    return a.bytes.size() < b.bytes.size() ? -1 : (a.bytes.size() > b.bytes.size() ? 1 : 0);
}

bool summandOf(const QVariant &v, double *out)
{
    if (v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong:
        *out = v.toDouble();
        return true;
    case QMetaType::QString: {
        bool ok = false;
        const double x = v.toString().trimmed().toDouble(&ok);
        if (ok)
            *out = x;
        return ok;
    }
    default:
        return false;
    }
}

} // namespace fieldorder
} // namespace wage
