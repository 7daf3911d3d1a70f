// Alert.dll: ShowModMess shows a message without blocking its caller; SetConn keeps the
// caller's connection. With WAGE_ALERT_LOG set, every message call is also appended to
// AlertCalls.log beside the DLL (UTF-8, one tab-separated line per call) so that tests can see it.
//
// For the batch entry: Get_calculate computes a field of the current record from its registry
// formula (f_system.Field_jsgs, written with field captions); GetdataLimit answers whether the
// table already holds the number of records that section [Alert], key DataLimit, of the
// Usertem.ini beside the DLL allows (no key or 0: no limit).
#include "formula.h"

#include "core/appdir.h"
#include "core/inifile.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "db/dataset.h"

#include <QHash>
#include <QRegularExpression>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringDecoder>

#include <dlfcn.h>

namespace {

void *g_connection = nullptr;

QString fromGbk(const char *text)
{
    if (!text)
        return QString();
    QStringDecoder gbk("GBK");
    if (!gbk.isValid())
        return QString::fromLocal8Bit(text);
    return gbk(QByteArray(text));
}

QString ownDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&ownDirectory), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

void logCall(const QString &line)
{
    if (qEnvironmentVariableIsEmpty("WAGE_ALERT_LOG"))
        return;
    QFile log(ownDirectory() + QStringLiteral("/AlertCalls.log"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(line.toUtf8() + '\n');
}

} // namespace

extern "C" __attribute__((visibility("default"))) void ShowModMess(const char *caption, const char *text)
{
    const QString c = fromGbk(caption);
    const QString t = fromGbk(text);
    logCall(QStringLiteral("ShowModMess\t") + c + QLatin1Char('\t') + t);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    auto *box = new QMessageBox(QMessageBox::Information, c, t, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

extern "C" __attribute__((visibility("default"))) void SetConn(void *connection)
{
    g_connection = connection;
    logCall(QStringLiteral("SetConn\t") + (connection ? QStringLiteral("set") : QStringLiteral("null")));
}

namespace {

bool plainTableName(const QString &table)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return name.match(table).hasMatch();
}

} // namespace

extern "C" __attribute__((visibility("default"))) bool GetdataLimit(wage::Dataset *, const char *table,
                                                                    wage::Connection *connection)
{
    try {
        const wage::IniFile ini(wage::resolveIn(ownDirectory(), QStringLiteral("Usertem.ini")));
        const int limit = ini.value(QStringLiteral("Alert"), QStringLiteral("DataLimit")).trimmed().toInt();
        if (limit <= 0 || !connection)
            return false;
        const QString t = fromGbk(table);
        if (!plainTableName(t))
            return true;
        const wage::QueryResult r = connection->query(QStringLiteral("select count(*) from ") + t);
        return !r.rows.isEmpty() && r.rows.first().value(0).toLongLong() >= limit;
    } catch (const std::exception &) {
        // Unable to count: no further record.
        return true;
    }
}

namespace {

// The formulas of one table, read once per sweep over a record's fields: a caller computes a
// record by calling Get_calculate for its fields in field order, so a field that does not come
// after the previous one starts the next sweep and reads the registry again.
struct FormulaRegistry {
    const wage::Dataset *dataset = nullptr;
    const wage::Connection *connection = nullptr;
    QString table;
    int lastField = -1;
    QHash<QString, QString> formulaOf;   // lower-case field name -> formula (first row wins)
    QHash<QString, QString> fieldOf;     // caption -> field name (first row wins)
};

FormulaRegistry g_registry;

const FormulaRegistry &registryFor(const wage::Dataset *dataset, const wage::Field *field, const QString &table,
                                   wage::Connection *connection)
{
    FormulaRegistry &r = g_registry;
    if (r.dataset == dataset && r.connection == connection && r.table == table && field->index() > r.lastField) {
        r.lastField = field->index();
        return r;
    }
    r = FormulaRegistry();
    const wage::QueryResult reg = connection->query(
        QStringLiteral("select field_name,field_caption,Field_jsgs from f_system where table_name=:t"), {{QStringLiteral(":t"), table}});
    for (const QVariantList &row : reg.rows) {
        const QString name = TrimText(row.value(0).toString());
        const QString key = name.toLower();
        if (!r.formulaOf.contains(key))
            r.formulaOf.insert(key, TrimText(row.value(2).toString()));
        const QString caption = TrimText(row.value(1).toString());
        if (!r.fieldOf.contains(caption))
            r.fieldOf.insert(caption, name);
    }
    r.dataset = dataset;
    r.connection = connection;
    r.table = table;
    r.lastField = field->index();
    return r;
}

} // namespace

// Raises WageError when the formula cannot be computed; the caller shows the message.
extern "C" __attribute__((visibility("default"))) void Get_calculate(wage::Dataset *dataset, const wage::Field *field,
                                                                     const char *table, wage::Connection *connection)
{
    if (!dataset || !field || !field->isValid() || !connection)
        return;
    const FormulaRegistry &reg = registryFor(dataset, field, fromGbk(table), connection);
    const QString formula = reg.formulaOf.value(field->name().toLower());
    if (formula.isEmpty())
        return;
    auto valueOf = [&](const QString &name, double *value) {
        QString fieldName = reg.fieldOf.value(name);
        if (fieldName.isEmpty())
            fieldName = name;
        const wage::Field f = dataset->findField(fieldName);
        if (!f.isValid())
            return false;
        *value = f.asFloat();
        return true;
    };
    field->setValue(alert::evaluateFormula(formula, valueOf));
}
