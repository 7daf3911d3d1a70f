#include "benchhost.h"

#include "demodata.h"

#include "core/appdir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QVariant>
#include <QWidget>

namespace {
void noRestart() {}
} // namespace

void keepBenchRunning()
{
    qApp->setProperty("wage.restartHost", QVariant::fromValue(quintptr(&noRestart)));
}

QWidget *monitorWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "TOrdmon_form") == 0 && w->isVisible())
            return w;
    return nullptr;
}

bool BenchHost::build(int records)
{
    QFile::link(QStringLiteral(WAGE_APP_DIR "/Plugins"), dir.filePath(QStringLiteral("Plugins")));
    QFile ini(dir.filePath(QStringLiteral("Usertem.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write("[main Position]\r\nconnectionstr=MSSQL#file:f_data.mdb\r\n");
    ini.close();
    wage::setProgramDir(dir.path());

    dataModule = std::make_unique<host::TDataModule1>();
    connection()->openFile(dir.filePath(QStringLiteral("f_data.mdb")), wage::Dialect::MsSql);
    wage::DemoSize size;
    size.products = 20;
    size.workers = 80;
    size.orders = 200;
    size.linesPerOrder = 5;
    size.processesPerProduct = 8;
    size.pieceRecords = records;
    QElapsedTimer t;
    t.start();
    wage::createWageDatabase(connection(), wage::Dialect::MsSql, size);
    databaseMs = t.elapsed();

    plugins = std::make_unique<host::PluginHost>();
    plugins->loadAll(dir.filePath(QStringLiteral("Plugins")));
    mainForm = std::make_unique<host::TMainForm>(dataModule.get(), *plugins, QStringLiteral("系统管理员"));
    mainForm->resize(1200, 800);
    mainForm->show();
    host::TModuleForm *orders = mainForm->openModule(QStringLiteral("f_pici"));
    orders->openFunction(QStringLiteral("订单监控"));   // makes F_PCJK (the host would restart)
    mainForm->closeModules();
    QApplication::processEvents();
    return true;
}

QWidget *BenchHost::openMonitor(host::TModuleForm **orders)
{
    *orders = mainForm->openModule(QStringLiteral("f_pici"));
    (*orders)->openFunction(QStringLiteral("订单监控"));
    return monitorWindow();
}
