#include "datamodule.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/inifile.h"
#include "db/dbroutines.h"
#ifdef WAGE_HOST_DEMO
#include "demodata.h"
#endif

namespace host {

TDataModule1::TDataModule1(QObject *parent) : QObject(parent), ADOConnection1(new wage::Connection(this))
{
    setObjectName(QStringLiteral("DataModule1"));
    ADOConnection1->setObjectName(QStringLiteral("adoconnection1"));
}

void TDataModule1::openFromIni()
{
    const QString section = QString::fromLatin1(wage::kMainSection);
    const QString ini = QString::fromLatin1(wage::kUserIni);
    const QString description = inistring(section, QStringLiteral("connectionstr"), QString(), ini, QStringLiteral("read"));
    QString path = inistring(section, QStringLiteral("datapath"), QString(), ini, QStringLiteral("read"));
    if (path.isEmpty())
        path = QString::fromLatin1(wage::kDefaultAccessFile);
    ADOConnection1->openDescription(description, wage::programFile(path));
}

bool TDataModule1::createDemoDatabase()
{
#ifdef WAGE_HOST_DEMO
    if (TableExists(QStringLiteral("f_jijm"), ADOConnection1))
        return false;
    wage::createWageDatabase(ADOConnection1, ADOConnection1->dialect());
    return true;
#else
    return false;
#endif
}

} // namespace host
