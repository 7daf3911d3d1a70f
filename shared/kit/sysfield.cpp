#include "kit/sysfield.h"

#include "core/strutil.h"
#include "db/connection.h"
#include "db/dbroutines.h"

#include <algorithm>

using wage::sqlQuote;

namespace {
QString q(const QString &v) { return QLatin1Char('\'') + sqlQuote(v) + QLatin1Char('\''); }
}

bool SetSysField(int fieldIndex, int gridIndex, const QString &tableName, const QString &tableCaption,
                 const QString &fieldName, const QString &fieldCaption, const QString &fieldType,
                 int fieldWidth, const QString &fieldVisible, const QString &fieldKind,
                 const QString &modParent, int fieldAttribute, wage::Connection *connection)
{
    const QString where = QStringLiteral(" where table_name=") + q(tableName) + QStringLiteral(" and field_name=")
        + q(fieldName);
    int existing = 0;
    try {
        existing = GetSqli(QStringLiteral("select count(*) from f_system") + where, connection);
    } catch (const std::exception &) {
        return false;
    }
    if (existing > 0) {
        return RunSqlCommand(
            QStringLiteral("update f_system set Field_index=%1,grid_index=%2,table_caption=%3,field_caption=%4,"
                           "Field_type=%5,field_width=%6,field_visible=%7,field_kind=%8,mod_parent=%9,"
                           "field_attribute=%10")
                    .arg(fieldIndex).arg(gridIndex).arg(q(tableCaption), q(fieldCaption), q(fieldType))
                    .arg(fieldWidth).arg(q(fieldVisible), q(fieldKind), q(modParent)).arg(fieldAttribute)
                + where,
            connection);
    }
    return RunSqlCommand(
        QStringLiteral("insert into f_system (Field_index,grid_index,table_name,table_caption,field_name,"
                       "field_caption,Field_type,field_width,field_visible,field_kind,mod_parent,field_attribute) "
                       "values (%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12)")
            .arg(fieldIndex).arg(gridIndex).arg(q(tableName), q(tableCaption), q(fieldName), q(fieldCaption),
                                                q(fieldType))
            .arg(fieldWidth).arg(q(fieldVisible), q(fieldKind), q(modParent)).arg(fieldAttribute),
        connection);
}

namespace wage {

bool RegistryField::hidden() const { return TrimText(visible) == QStringLiteral("隐藏"); }
bool RegistryField::readOnly() const
{
    const QString v = TrimText(visible);
    return v == QStringLiteral("不激活") || v == QStringLiteral("无焦点");
}
bool RegistryField::numeric() const
{
    const QString t = TrimText(type);
    return t == QStringLiteral("整型") || t == QStringLiteral("货币型") || t == QStringLiteral("数值型");
}
bool RegistryField::isDate() const { return TrimText(type).startsWith(QStringLiteral("日期")); }

QList<RegistryField> registryFields(const QString &tableName, Connection *connection, bool byGrid)
{
    QList<RegistryField> list;
    if (!connection || !connection->isOpen())
        return list;
    QueryResult r;
    try {
        // Every column by name: older registries may lack Field_jsgs or field_onkey.
        r = connection->query(QStringLiteral("select * from f_system where table_name=") + q(tableName));
    } catch (const std::exception &) {
        return list;
    }
    const int cFi = r.column(QStringLiteral("Field_index")), cGi = r.column(QStringLiteral("grid_index")),
              cName = r.column(QStringLiteral("field_name")), cCap = r.column(QStringLiteral("field_caption")),
              cType = r.column(QStringLiteral("Field_type")), cW = r.column(QStringLiteral("field_width")),
              cVis = r.column(QStringLiteral("field_visible")), cKey = r.column(QStringLiteral("field_onkey")),
              cJs = r.column(QStringLiteral("Field_jsgs"));
    auto text = [](const QVariantList &row, int c) { return c < 0 || row.at(c).isNull() ? QString() : row.at(c).toString(); };
    for (const QVariantList &row : r.rows) {
        RegistryField f;
        f.fieldIndex = cFi < 0 ? 0 : row.at(cFi).toInt();
        f.gridIndex = cGi < 0 ? f.fieldIndex : row.at(cGi).toInt();
        f.fieldName = TrimText(text(row, cName));
        f.caption = TrimText(text(row, cCap));
        f.type = TrimText(text(row, cType));
        f.width = cW < 0 ? 0 : row.at(cW).toInt();
        f.visible = TrimText(text(row, cVis));
        f.onKey = text(row, cKey);
        f.formula = text(row, cJs);
        if (f.fieldName.isEmpty())
            continue;
        if (f.caption.isEmpty())
            f.caption = f.fieldName;
        list << f;
    }
    std::stable_sort(list.begin(), list.end(), [byGrid](const RegistryField &a, const RegistryField &b) {
        return byGrid ? a.gridIndex < b.gridIndex : a.fieldIndex < b.fieldIndex;
    });
    return list;
}

} // namespace wage
