#include "dbstructure.h"

#include "updaterfiles.h"

#include "core/appdir.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "progress/tprogress.h"

#include <QFile>

namespace updater {
namespace {

void addColumnIfMissing(wage::Connection *c, const char *table, const char *column, const char *statement)
{
    if (!GetFieldExistCon(QLatin1String(table), QLatin1String(column), c))
        RunSqlCommand(QLatin1String(statement), c);
}

} // namespace

void CheckDatabaseStructure(wage::Connection *c, const QString &dialect, Tprogress *progress)
{
    const bool access = dialect == QLatin1String("ACCESS");
    progress->showpress(1, 3, QStringLiteral("参数表结构检查"));
    addColumnIfMissing(c, "tempconfig", "ParaStr", "alter table tempconfig add ParaStr nvarchar(255)");
    progress->showpress(2, 4, QStringLiteral("脚本检查"));
    addColumnIfMissing(c, "f_sqlcase", "MultiTable", "alter table f_sqlcase add MultiTable bit");
    if (!TableExists(QStringLiteral("Languages"), c))
        RunSqlCommand(access ? QStringLiteral("CREATE TABLE Languages(L_ID COUNTER,L_NAME nvarchar(20),L_Lable nvarchar(20),Active bit)")
                             : QStringLiteral("CREATE TABLE Languages([L_ID] [int] IDENTITY(1,1) NOT NULL,L_NAME nvarchar(20),L_Lable nvarchar(20),Active bit) ON [PRIMARY]"),
                      c);
    addColumnIfMissing(c, "Languages", "L_FontCharset", "Alter TABLE Languages add L_FontCharset nvarchar(20)");
    addColumnIfMissing(c, "Languages", "L_FontName", "Alter TABLE Languages add L_FontName nvarchar(20)");
    addColumnIfMissing(c, "Languages", "Active", "Alter TABLE Languages add Active bit");
    progress->showpress(3, 4, QStringLiteral("语言库检查"));
    if (!TableExists(QStringLiteral("LangResources"), c))
        RunSqlCommand(access ? QStringLiteral("CREATE TABLE LangResources(ID COUNTER,L_ID int,Module_name nvarchar(20),Component_Name nvarchar(20),Component_Type nvarchar(20),Component_Label nvarchar(20),Component_Caption nvarchar(20) )")
                             : QStringLiteral("CREATE TABLE LangResources([ID] [int] IDENTITY(1,1) NOT NULL,L_ID int,Module_name nvarchar(20),Component_Name nvarchar(20),Component_Type nvarchar(20),Component_Label nvarchar(20),Component_Caption nvarchar(20) ) ON [PRIMARY]"),
                      c);
    addColumnIfMissing(c, "LangResources", "Component_Caption", "Alter TABLE LangResources add Component_Caption nvarchar(20)");
    addColumnIfMissing(c, "LangResources", "Module_name", "Alter TABLE LangResources add Module_name nvarchar(20)");
    addColumnIfMissing(c, "userinfo", "Languages", "Alter TABLE userinfo add Languages nvarchar(20)");
    if (access) {
        progress->showpress(3, 3, QStringLiteral("..."));
        return;
    }
    progress->showpress(3, 4, QStringLiteral("更新库检查"));
    if (!TableExists(QStringLiteral("F_UpdateVer"), c))
        RunSqlCommand(QStringLiteral("Create table F_UpdateVer (F_id int IDENTITY(1,1),F_App_ver varchar(20),F_Update datetime,F_Content varchar(100))"), c);
    if (!TableExists(QStringLiteral("F_UpdateFiles"), c))
        RunSqlCommand(QStringLiteral("Create table F_UpdateFiles (F_id int,F_name varchar(120),F_size varchar(20),F_Content varchar(100),F_File image)"), c);
    if (!TableExists(QStringLiteral("F_UpdateUsers"), c))
        RunSqlCommand(QStringLiteral("Create table F_UpdateUsers (U_id int IDENTITY(1,1),U_name varchar(120),U_state varchar(20),U_date datetime,U_IFRun bit)"), c);
    addColumnIfMissing(c, "F_UpdateVer", "F_Enabled", "alter table F_UpdateVer add F_Enabled bit");
    addColumnIfMissing(c, "F_UpdateUsers", "U_OldVer", "alter table F_UpdateUsers add U_OldVer nvarchar(20)");
    addColumnIfMissing(c, "F_UpdateUsers", "U_PubIP", "alter table F_UpdateUsers add U_PubIP nvarchar(20)");
    progress->showpress(4, 4, QStringLiteral("检查"));
}

QStringList ReadScriptLines(const QByteArray &bytes)
{
    QString text = wage::decodeLocalText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

QString ScriptStatement(const QString &line)
{
    const int bracket = line.indexOf(QLatin1Char('['));
    return bracket < 0 ? line : TrimText(line.left(bracket));
}

bool RunAutoUpdateScript(wage::Connection *c, Tprogress *progress, QString *error)
{
    const QString path = wage::programFile(QStringLiteral("Autoupdate.ini"));
    QFile file(path);
    if (!file.exists())
        return true;
    if (!c || !c->isOpen()) {
        const QString reason = QStringLiteral("数据库未连接，升级脚本 Autoupdate.ini 未执行，已保留到下次升级");
        logLine(reason);
        if (error)
            *error = reason;
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取升级脚本 Autoupdate.ini：") + file.errorString();
        return false;
    }
    const QStringList lines = ReadScriptLines(file.readAll());
    file.close();
    QString message = QStringLiteral("正在更新数据库");
    const int count = lines.size();
    for (int i = 0; i < count; ++i) {
        progress->showpress(i, count - 1, message);
        const QString &line = lines.at(i);
        if (line.contains(QLatin1String("//")))
            message = line;
        else
            RunSqlCommand(ScriptStatement(line), c);
    }
    QFile::remove(path);
    return true;
}

} // namespace updater
