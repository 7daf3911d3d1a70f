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
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringDecoder>

#include <dlfcn.h>
#include <sqlite3.h>

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
        // The file's name is matched without regard to case again only when the directory
        // changed, not at every record.
        static const QString dir = ownDirectory();
        static QString iniPath;
        static QDateTime dirTime;
        const QDateTime now = QFileInfo(dir).lastModified();
        if (iniPath.isEmpty() || now != dirTime) {
            iniPath = wage::resolveIn(dir, QStringLiteral("Usertem.ini"));
            dirTime = now;
        }
        const wage::IniFile ini(iniPath);
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

// The formulas of one table, kept between calls: the caller computes every field of every
// record it adds, and reading the registry for each would cost more than the record itself.
// They are read again after any change that may touch the registry: a statement on the
// connection that writes f_system, or a commit to the database file by anyone (its data
// version). Without a data version (a server connection), once per record: a field that does
// not come after the previous one starts the next record.
struct FormulaRegistry {
    wage::Connection *connection = nullptr;
    QByteArray rawTable;
    bool fresh = false;
    bool versioned = false;
    unsigned dataVersion = 0;
    const wage::Dataset *dataset = nullptr;
    int lastField = -1;
    QHash<QString, QString> formulaOf;   // lower-case field name -> formula (first row wins)
    QHash<QString, QString> fieldOf;     // caption -> field name (first row wins)
    QMetaObject::Connection watch, gone;
};

FormulaRegistry g_registry;

bool dataVersion(wage::Connection *connection, unsigned *version)
{
    sqlite3 *handle = connection->sqliteHandle();
    return handle && sqlite3_file_control(handle, "main", SQLITE_FCNTL_DATA_VERSION, version) == SQLITE_OK;
}

bool writesRegistry(const QString &sql)
{
    const QString text = sql.trimmed();
    return !text.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
           && text.contains(QLatin1String("f_system"), Qt::CaseInsensitive);
}

void watchConnection(FormulaRegistry &r, wage::Connection *connection)
{
    QObject::disconnect(r.watch);
    QObject::disconnect(r.gone);
    r.connection = connection;
    r.watch = QObject::connect(connection, &wage::Connection::statementRun, [](const QString &sql) {
        if (writesRegistry(sql))
            g_registry.fresh = false;
    });
    r.gone = QObject::connect(connection, &QObject::destroyed, [] {
        g_registry.fresh = false;
        g_registry.connection = nullptr;
    });
}

const FormulaRegistry &registryFor(const wage::Dataset *dataset, const wage::Field *field, const char *table,
                                   wage::Connection *connection)
{
    FormulaRegistry &r = g_registry;
    unsigned version = 0;
    const bool versioned = dataVersion(connection, &version);
    bool reuse = r.fresh && r.connection == connection && r.rawTable == table && r.versioned == versioned;
    if (reuse)
        reuse = versioned ? version == r.dataVersion : r.dataset == dataset && field->index() > r.lastField;
    r.dataset = dataset;
    r.lastField = field->index();
    if (reuse)
        return r;

    if (r.connection != connection)
        watchConnection(r, connection);
    r.fresh = false;
    r.formulaOf.clear();
    r.fieldOf.clear();
    const wage::QueryResult reg = connection->query(
        QStringLiteral("select field_name,field_caption,Field_jsgs from f_system where table_name=:t"),
        {{QStringLiteral(":t"), fromGbk(table)}});
    for (const QVariantList &row : reg.rows) {
        const QString name = TrimText(row.value(0).toString());
        const QString key = name.toLower();
        if (!r.formulaOf.contains(key))
            r.formulaOf.insert(key, TrimText(row.value(2).toString()));
        const QString caption = TrimText(row.value(1).toString());
        if (!r.fieldOf.contains(caption))
            r.fieldOf.insert(caption, name);
    }
    r.rawTable = table;
    r.versioned = versioned;
    r.dataVersion = version;
    r.fresh = true;
    return r;
}

} // namespace

// Raises WageError when the formula cannot be computed; the caller shows the message.
extern "C" __attribute__((visibility("default"))) void Get_calculate(wage::Dataset *dataset, const wage::Field *field,
                                                                     const char *table, wage::Connection *connection)
{
    if (!dataset || !field || !field->isValid() || !connection)
        return;
    const FormulaRegistry &reg = registryFor(dataset, field, table ? table : "", connection);
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
