#include "kit/tmyimport.h"

#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "kit/sheetreader.h"
#include "kit/sysfield.h"

#include <QDate>

#include <utility>

namespace {

const QString kCaption = QStringLiteral("导入");

bool blankRow(const QStringList &row)
{
    for (const QString &c : row)
        if (!c.trimmed().isEmpty())
            return false;
    return true;
}

QVariant dateValue(const QString &text, bool *ok)
{
    const QString t = text.trimmed();
    *ok = true;
    bool num = false;
    const double serial = t.toDouble(&num);
    if (num && serial > 0 && serial < 2958466) {
        // Spreadsheet day numbers count from 1899-12-30.
        const QDate d = QDate(1899, 12, 30).addDays(static_cast<qint64>(serial));
        return d.toString(QStringLiteral("yyyy-MM-dd"));
    }
    for (const char *fmt : {"yyyy-M-d", "yyyy/M/d", "yyyy.M.d", "yyyy-M-d H:m:s", "yyyy/M/d H:m:s", "yyyy-M-d H:m",
                            "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(fmt));
        if (dt.isValid())
            return dt.time() == QTime(0, 0) ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                            : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QDate d = QDate::fromString(t, QString::fromLatin1(fmt));
        if (d.isValid())
            return d.toString(QStringLiteral("yyyy-MM-dd"));
    }
    *ok = false;
    return {};
}

} // namespace

TMyImport::TMyImport(QObject *parent) : QObject(parent) { setObjectName(QStringLiteral("MyImport1")); }

void TMyImport::SetDataSource(wage::DataSource *source) { m_source = source; }
wage::DataSource *TMyImport::dataSource() const { return m_source; }

int TMyImport::Execute()
{
    const QString path = wage::prompt().openFileName(
        QStringLiteral("选择要导入的文件"), QString(),
        QStringLiteral("表格文件 (*.xlsx *.xls *.csv *.txt);;所有文件 (*)"));
    if (path.isEmpty())
        return -1;
    return ImportFile(path);
}

int TMyImport::ImportFile(const QString &path)
{
    QList<QStringList> rows;
    QString reason;
    if (!wage::readSheetFile(path, &rows, &reason)) {
        wage::prompt().warning(reason + QStringLiteral("\r未导入任何数据。"), kCaption);
        return -1;
    }
    return importRows(rows);
}

int TMyImport::ImportText(const QString &text)
{
    bool withinLimits = true;
    QList<QStringList> rows = wage::parseSeparatedText(text, QLatin1Char('\t'), &withinLimits);
    if (!withinLimits) {
        wage::prompt().warning(QStringLiteral("粘贴的内容超出了工作表的范围，未导入任何数据。"), kCaption);
        return -1;
    }
    return importRows(std::move(rows));
}

int TMyImport::importRows(QList<QStringList> rows)
{
    m_unmatched.clear();
    wage::Dataset *ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive()) {
        wage::prompt().warning(QStringLiteral("没有可以接收导入数据的数据表。"), kCaption);
        return -1;
    }
    while (!rows.isEmpty() && blankRow(rows.first()))
        rows.removeFirst();
    while (!rows.isEmpty() && blankRow(rows.last()))
        rows.removeLast();
    if (rows.size() < 2) {
        wage::prompt().warning(QStringLiteral("文件中没有可导入的数据（第一行为列标题，其后为数据行）。\r未导入任何数据。"),
                               kCaption);
        return -1;
    }

    // Titles to fields.
    const QList<wage::RegistryField> reg = ds->connection()
        ? wage::registryFields(ds->baseTable(), ds->connection(), false) : QList<wage::RegistryField>();
    const QStringList titles = rows.takeFirst();
    struct Target { int column; QString field; QString caption; bool numeric; bool date; };
    QList<Target> targets;
    QStringList used;
    for (int c = 0; c < titles.size(); ++c) {
        const QString title = TrimText(titles.at(c));
        if (title.isEmpty())
            continue;
        QString field;
        bool numeric = false, date = false;
        for (const wage::RegistryField &f : reg)
            if (f.caption == title && ds->fieldIndex(f.fieldName) >= 0) {
                field = f.fieldName;
                numeric = f.numeric();
                date = f.isDate();
                break;
            }
        if (field.isEmpty())
            for (int i = 0; i < ds->fieldCount() && field.isEmpty(); ++i)
                if (ds->displayLabel(i) == title || ds->fieldNames().at(i).compare(title, Qt::CaseInsensitive) == 0)
                    field = ds->fieldNames().at(i);
        if (field.isEmpty() || used.contains(field, Qt::CaseInsensitive)) {
            m_unmatched << title;
            continue;
        }
        const int fi = ds->fieldIndex(field);
        const wage::FieldKind kind = ds->fieldKind(fi);
        numeric = numeric || kind == wage::FieldKind::Integer || kind == wage::FieldKind::Float
            || kind == wage::FieldKind::Money;
        date = date || kind == wage::FieldKind::DateTime;
        used << field;
        targets << Target{c, field, title, numeric, date};
    }
    if (targets.isEmpty()) {
        wage::prompt().warning(QStringLiteral("文件的列标题与数据表的字段都不对应，未导入任何数据。\r文件的列标题：")
                                   + m_unmatched.join(QStringLiteral("，")),
                               kCaption);
        return -1;
    }

    // Every value is checked before the first row goes in.
    QList<QVariantList> values;
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        if (blankRow(row))
            continue;
        QVariantList v;
        for (const Target &t : targets) {
            const QString cell = t.column < row.size() ? row.at(t.column).trimmed() : QString();
            if (cell.isEmpty()) {
                v << QVariant();
                continue;
            }
            bool ok = true;
            QVariant value = cell;
            if (t.numeric) {
                const double d = QString(cell).remove(QLatin1Char(',')).toDouble(&ok);
                value = d;
            } else if (t.date) {
                value = dateValue(cell, &ok);
            }
            if (!ok) {
                wage::prompt().warning(QStringLiteral("第%1行“%2”的值“%3”不是有效的%4，未导入任何数据。")
                                           .arg(r + 2)
                                           .arg(t.caption, cell, t.numeric ? QStringLiteral("数值") : QStringLiteral("日期")),
                                       kCaption);
                return -1;
            }
            v << value;
        }
        values << v;
    }

    wage::Connection *conn = ds->connection();
    const bool ownTransaction = conn && !conn->inTransaction();
    ds->disableControls();
    try {
        if (ownTransaction)
            conn->beginTransaction();
        for (const QVariantList &v : values) {
            ds->append();
            for (int i = 0; i < targets.size(); ++i)
                if (!v.at(i).isNull())
                    ds->setValue(targets.at(i).field, v.at(i));
            ds->post();
        }
        if (ownTransaction)
            conn->commit();
    } catch (const std::exception &e) {
        try {
            if (ds->state() != wage::Dataset::Browse)
                ds->cancel();
            if (ownTransaction)
                conn->rollback();
            ds->requery();
        } catch (const std::exception &) {
        }
        ds->enableControls();
        wage::prompt().warning(QStringLiteral("导入失败，未导入任何数据：") + QString::fromUtf8(e.what()), kCaption);
        return -1;
    }
    ds->enableControls();
    wage::prompt().information(QStringLiteral("导入完成，共导入%1条记录。").arg(values.size()), kCaption);
    emit imported(values.size());
    return values.size();
}
