#pragma once
// The field registry f_system: registering a column, and reading a table's rows for grids,
// editors, the condition builder and imports.
#include <QList>
#include <QString>

namespace wage { class Connection; }

// One f_system row with these values. A field already registered for the table is updated in
// place rather than registered twice (a second row would show the column twice). False when
// the statement fails; nothing is reported.
bool SetSysField(int fieldIndex, int gridIndex, const QString &tableName, const QString &tableCaption,
                 const QString &fieldName, const QString &fieldCaption, const QString &fieldType,
                 int fieldWidth, const QString &fieldVisible, const QString &fieldKind,
                 const QString &modParent, int fieldAttribute, wage::Connection *connection);

namespace wage {

struct RegistryField {
    int fieldIndex = 0;
    int gridIndex = 0;
    QString fieldName;
    QString caption;
    QString type;        // 字符型, 整型, 货币型, 数值型, 日期型, 日期时间型
    int width = 0;       // characters
    QString visible;     // 显示, 隐藏, 不激活, 无焦点
    QString onKey;       // lookup string
    QString formula;     // Field_jsgs; empty for an entered field

    bool hidden() const;
    bool readOnly() const;     // 不激活 and 无焦点 show the value but take no input
    bool numeric() const;      // 整型, 货币型, 数值型
    bool isDate() const;       // 日期型, 日期时间型
};

// The table's registry rows ordered by grid_index (byGrid) or Field_index. The table name is
// matched without regard to case; an unreadable registry gives an empty list.
QList<RegistryField> registryFields(const QString &tableName, Connection *connection, bool byGrid = true);

} // namespace wage
