#include "reportimport.h"

#include "updaterfiles.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "net/alert.h"
#include "progress/tprogress.h"

#include <QFile>
#include <QFileInfo>

namespace updater {
namespace {

const QString kReportIni = QStringLiteral("Report\\Report.ini");

QString defaultKind(const QString &section)
{
    if (section == QLatin1String("public"))
        return QStringLiteral("报表脚本");
    if (section == QLatin1String("private"))
        return QStringLiteral("会员报表");
    if (section == QLatin1String("internal"))
        return QStringLiteral("固定报表");
    return QString();
}

// A script name names files inside "Report"; a name that would reach outside it names none.
bool namesFileInReport(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && name != QLatin1String(".") && name != QLatin1String("..");
}

struct ContentFiles {
    QString script;   // "Report\<name>P" -> column script
    QString report;   // "Report\<name>"  -> column report
};

ContentFiles contentFilesOf(const QString &name)
{
    if (!namesFileInReport(name))
        return {};
    return {wage::programFile(QStringLiteral("Report\\") + name + QLatin1Char('P')),
            wage::programFile(QStringLiteral("Report\\") + name)};
}

bool present(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WageError(QStringLiteral("无法读取报表文件：") + path);
    return file.readAll();
}

QVariant nullBlob()
{
    return QVariant(QMetaType(QMetaType::QByteArray));
}

QVariant indexValue(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? QVariant(n) : QVariant(text);
}

void importDefinition(wage::Connection *connection, const QString &section, const QString &name,
                      const QStringList &fields)
{
    const ContentFiles files = contentFilesOf(name);
    const QString where = QStringLiteral(" where RTrim(script_name)='") + wage::sqlQuote(name) + QLatin1Char('\'');
    int rows = connection->query(QStringLiteral("select * from f_sqlcase") + where).rows.size();
    if (rows == 0) {
        const QString kind = fields.size() >= 4 ? fields.at(3) : defaultKind(section);
        QString columns = QStringLiteral("table_caption,script_table,script_name,script_type,script,report");
        QString values = QStringLiteral(":caption,:stable,:name,:kind,:script,:report");
        wage::SqlParams params{{QStringLiteral("caption"), fields.at(0)},
                               {QStringLiteral("stable"), fields.at(1)},
                               {QStringLiteral("name"), name},
                               {QStringLiteral("kind"), kind},
                               {QStringLiteral("script"), present(files.script) ? QVariant(bytesOf(files.script)) : nullBlob()},
                               {QStringLiteral("report"), present(files.report) ? QVariant(bytesOf(files.report)) : nullBlob()}};
        if (fields.size() > 4) {
            columns += QStringLiteral(",script_index");
            values += QStringLiteral(",:sindex");
            params.append({QStringLiteral("sindex"), indexValue(fields.at(4))});
        }
        connection->execute(QStringLiteral("insert into f_sqlcase (") + columns + QStringLiteral(") values (") + values
                                + QLatin1Char(')'),
                            params);
        rows = 1;
        AlertMess(QString(), QStringLiteral("新增") + kind + QLatin1Char(':') + name);
    }
    if (fields.size() > 2 && rows == 1 && fields.at(2) == QLatin1String("1")) {
        QStringList sets;
        wage::SqlParams params;
        if (present(files.script)) {
            sets << QStringLiteral("script=:script");
            params.append({QStringLiteral("script"), bytesOf(files.script)});
        }
        if (present(files.report)) {
            sets << QStringLiteral("report=:report");
            params.append({QStringLiteral("report"), bytesOf(files.report)});
        }
        if (!sets.isEmpty())
            connection->execute(QStringLiteral("update f_sqlcase set ") + sets.join(QLatin1Char(',')) + where, params);
        AlertMess(QString(), name + QStringLiteral("  已更新"));
    }
    if (!files.script.isEmpty())
        QFile::remove(files.script);
    if (!files.report.isEmpty())
        QFile::remove(files.report);
}

} // namespace

QStringList ReportSections()
{
    return {QStringLiteral("public"), QStringLiteral("private"), QStringLiteral("internal"), QStringLiteral("Other")};
}

void ImportReportSection(wage::Connection *connection, const QString &section, InvalidDefinition onInvalid,
                         Tprogress *progress)
{
    const QStringList names = wage::IniFile(wage::programFile(kReportIni)).keys(section);
    for (int i = 0; i < names.size(); ++i) {
        const QString &name = names.at(i);
        if (progress)
            progress->showpress(i, names.size() - 1, QStringLiteral("正在更新报表....\n") + name);
        const QString value = inistring(section, name, QString(), kReportIni, QStringLiteral("read"));
        const QStringList fields = GetStringList(QStringLiteral(","), value, 0);
        if (fields.size() < 2) {
            const QString problem = QStringLiteral("报表定义缺少所属表：[") + section + QStringLiteral("] ") + name
                + QLatin1Char('=') + value;
            if (onInvalid == InvalidDefinition::Fail)
                throw WageError(problem);
            logLine(problem);
            continue;
        }
        importDefinition(connection, section, name, fields);
    }
    inistring(QString(), section, QString(), kReportIni, QStringLiteral("erase"));
}

} // namespace updater
