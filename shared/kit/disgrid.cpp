#include "kit/disgrid.h"

#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/datavertgrid.h"
#include "kit/sysfield.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QTableView>

namespace {

struct LaidField {
    QString name;
    QString caption;
    int widthChars;
    bool hidden;
    bool readOnly;
    bool noFocus;
    bool numeric;
};

QList<LaidField> layoutFields(const QString &table, wage::DataSource *source, wage::Connection *connection)
{
    wage::Dataset *ds = source ? source->dataSet() : nullptr;
    const bool known = ds && ds->fieldCount() > 0;
    QList<LaidField> out;
    const QList<wage::RegistryField> reg = wage::registryFields(table, connection, true);
    for (const wage::RegistryField &f : reg) {
        int fi = -1;
        if (known) {
            fi = ds->fieldIndex(f.fieldName);
            if (fi < 0)
                continue;
        }
        const QString name = known ? ds->fieldNames().at(fi) : f.fieldName;
        out << LaidField{name, f.caption, f.width, f.hidden(), f.readOnly(),
                         f.visible == QStringLiteral("无焦点"), f.numeric()};
    }
    if (reg.isEmpty() && known) {
        for (int i = 0; i < ds->fieldCount(); ++i) {
            const wage::FieldKind k = ds->fieldKind(i);
            out << LaidField{ds->fieldNames().at(i), ds->fieldNames().at(i), 10, false, false, false,
                             k == wage::FieldKind::Integer || k == wage::FieldKind::Float || k == wage::FieldKind::Money};
        }
    }
    if (ds)
        for (const LaidField &f : out)
            if (f.caption != f.name && ds->fieldIndex(f.name) >= 0)
                ds->setDisplayLabel(f.name, f.caption);
    return out;
}

} // namespace

void DisGrid(const QString &table, const QString &, wage::DataSource *source, wage::Connection *connection,
             wage::DataGrid *grid)
{
    if (!grid)
        return;
    if (grid->dataSource() != source)
        grid->setDataSource(source);
    const QFontMetrics fm = grid->view()->fontMetrics();
    QList<wage::GridColumn> columns;
    // The footer sums the registry's numeric fields that are shown, less the record's key (the
    // record number has no total).
    wage::Dataset *ds = source ? source->dataSet() : nullptr;
    const QStringList keys = ds && ds->isActive() ? ds->keyFields() : QStringList();
    QStringList footerFields;
    for (const LaidField &f : layoutFields(table, source, connection)) {
        if (f.numeric && !f.hidden && !keys.contains(f.name, Qt::CaseInsensitive))
            footerFields << f.name;
        wage::GridColumn c;
        c.fieldName = f.name;
        c.caption = f.caption;
        int titleWidth = 0;
        for (const QString &level : f.caption.split(QRegularExpression(QStringLiteral("[|\\n]"))))
            titleWidth = qMax(titleWidth, fm.horizontalAdvance(level));
        c.width = qMax(fm.horizontalAdvance(QString(qMax(f.widthChars, 2), QLatin1Char('0'))) + 14, titleWidth + 16);
        c.visible = !f.hidden;
        c.readOnly = f.readOnly;
        c.noFocus = f.noFocus;
        c.numeric = f.numeric;
        columns << c;
    }
    grid->setColumns(columns);
    grid->setFooterFields(footerFields);
}

void DisVertGrid(const QString &table, const QString &, wage::DataSource *source, wage::Connection *connection,
                 wage::DataVertGrid *grid)
{
    if (!grid)
        return;
    QList<wage::VertRow> rows;
    for (const LaidField &f : layoutFields(table, source, connection))
        if (!f.hidden)
            rows << wage::VertRow{f.name, QString(f.caption).replace(QLatin1Char('|'), QLatin1Char(' '))};
    grid->setDataSource(source);
    grid->setRows(rows);
}
