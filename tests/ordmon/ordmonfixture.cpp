#include "ordmonfixture.h"

#include "db/wageschema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>

namespace wagetest {

int OrdmonFixture::restarts = 0;

namespace {
void recordRestart()
{
    ++OrdmonFixture::restarts;
}
} // namespace

void OrdmonFixture::TearDown()
{
    for (const host::LoadedPlugin &p : plugins.plugins())
        p.close();
    if (mainForm)
        mainForm->closeModules();
    qApp->setProperty("wage.restartHost", QVariant());
}

void OrdmonFixture::makeDatabase(wage::Dialect dialect, int statisticsMode)
{
    ASSERT_TRUE(QFile::link(builtAppDir() + QStringLiteral("/Plugins"), dir.file(QStringLiteral("Plugins"))));
    const bool access = dialect == wage::Dialect::Access;
    dir.write(QStringLiteral("Usertem.ini"), access ? QByteArray("[main Position]\r\nconnectionstr=ACCESS\r\n")
                                                     : QByteArray("[main Position]\r\nconnectionstr=MSSQL#file:f_data.mdb\r\n"));
    db->openFile(dir.file(QStringLiteral("f_data.mdb")), dialect);
    wage::createWageSchema(db);
    exec(QStringLiteral("insert into tempconfig (key_name,key_index) values ('statistics_mode',%1)").arg(statisticsMode));
    restarts = 0;
    qApp->setProperty("wage.restartHost", QVariant::fromValue(quintptr(&recordRestart)));
}

int OrdmonFixture::addProduct(const QString &ipNo, const QString &gvge)
{
    db->execute(QStringLiteral("insert into f_ijpn (ip_no,ip_name,ip_gvge) values (:n,'纸箱',:g)"), {{"n", ipNo}, {"g", gvge}});
    return value(QStringLiteral("select max(ip_id) from f_ijpn")).toInt();
}

void OrdmonFixture::addProcess(int ipId, const QString &gsxuNo, double zcsl, double price, double hours, bool last)
{
    db->execute(QStringLiteral("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,zcsl,ip_djjw,haoyong,ip_islast) values (:i,:g,:n,:z,:p,:h,:l)"),
                {{"i", ipId}, {"g", gsxuNo}, {"n", QStringLiteral("工序") + gsxuNo}, {"z", zcsl}, {"p", price}, {"h", hours},
                 {"l", last ? QStringLiteral("是") : QStringLiteral("否")}});
}

int OrdmonFixture::addOrder(const QString &pcNo)
{
    db->execute(QStringLiteral("insert into f_pici (pc_no,pc_name,pc_state,state_id) values (:n,'测试订单','生产',0)"), {{"n", pcNo}});
    return value(QStringLiteral("select max(pc_id) from f_pici")).toInt();
}

void OrdmonFixture::addLine(int pcId, const QString &ipNo, const QString &gvge, const QString &batch, double qty)
{
    db->execute(QStringLiteral("insert into f_pcmx (pc_id,ip_no,ip_name,ip_gvge,g_ph,pc_dhul) values (:p,:n,'纸箱',:g,:b,:q)"),
                {{"p", pcId}, {"n", ipNo}, {"g", gvge}, {"b", batch}, {"q", qty}});
}

void OrdmonFixture::addPieces(const QString &pcNo, const QString &ipNo, const QString &gvge, const QString &batch,
                              const QString &gsxuNo, double qty, int records)
{
    for (int i = 0; i < records; ++i)
        db->execute(QStringLiteral("insert into f_jijm (riqi,ry_no,ry_name,pc_no,ip_no,ip_gvge,G_PH,gsxu_no,ip_gsxu,ip_uuld,ip_djjw,jjje) "
                                   "values (:d,'001','王伟',:pc,:ip,:gv,:ph,:gx,'工序',:q,0.5,0)"),
                    {{"d", QStringLiteral("2026-11-%1").arg(10 + i)}, {"pc", pcNo}, {"ip", ipNo}, {"gv", gvge}, {"ph", batch},
                     {"gx", gsxuNo}, {"q", qty}});
}

void OrdmonFixture::seedWorkedExample(const QString &pcNo)
{
    const int ip = addProduct(QStringLiteral("P1"), QStringLiteral("G1"));
    addProcess(ip, QStringLiteral("01"), 1, 0.5, 0.1, false);
    addProcess(ip, QStringLiteral("02"), 2, 0.3, 0.05, true);
    const int pc = addOrder(pcNo);
    addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH1"), 100);
    addPieces(pcNo, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH1"), QStringLiteral("01"), 10, 3);
    addPieces(pcNo, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH1"), QStringLiteral("02"), 25, 2);
}

void OrdmonFixture::openMonitor(bool settle)
{
    if (!mainForm) {
        plugins.loadAll(dir.file(QStringLiteral("Plugins")));
        mainForm = std::make_unique<host::TMainForm>(&dataModule, plugins, user);
        mainForm->setGeometry(20, 20, 1200, 800);
        mainForm->show();
        orders = mainForm->openModule(QStringLiteral("f_pici"));
        ASSERT_NE(orders, nullptr);
    }
    ASSERT_TRUE(orders->openFunction(QStringLiteral("订单监控")));
    if (settle && !monitor()) {
        ASSERT_EQ(restarts, 1);
        // The restarted host: a fresh module over the new structure.
        mainForm->closeModules();
        QApplication::processEvents();
        orders = mainForm->openModule(QStringLiteral("f_pici"));
        ASSERT_TRUE(orders->openFunction(QStringLiteral("订单监控")));
    }
    if (settle)
        ASSERT_NE(monitor(), nullptr);
}

QWidget *OrdmonFixture::monitor() const
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "TOrdmon_form") == 0)
            return w;
    }
    return nullptr;
}

void OrdmonFixture::click(const char *name)
{
    auto *b = control<QAbstractButton>(name);
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

void OrdmonFixture::exec(const QString &sql)
{
    db->execute(sql);
}

QVariant OrdmonFixture::value(const QString &sql)
{
    const wage::QueryResult r = db->query(sql);
    return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
}

} // namespace wagetest
