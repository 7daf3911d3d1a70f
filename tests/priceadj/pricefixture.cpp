#include "pricefixture.h"

#include "db/dbroutines.h"
#include "db/wageschema.h"
#include "kit/datagrid.h"
#include "kit/rights.h"
#include "kit/sqlroutines.h"
#include "kit/tchoice.h"

#include <QComboBox>
#include <QCoreApplication>

namespace pricetest {

PriceDb::PriceDb(wage::Dialect dialect) : m_conn(std::make_unique<wage::Connection>())
{
    m_conn->openFile(dir.file(QStringLiteral("wage.db")), dialect);
    wage::createWageSchema(m_conn.get());
    exec("insert into f_ijpn (ip_no,ip_name,ip_gvge,locked) values ('P1','衬衫','M',null)");
    exec("insert into f_ijpn (ip_no,ip_name,ip_gvge,locked) values ('P2','外套','L','审')");
    exec("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw,Locked) values (1,'G01','裁剪',1,null)");
    exec("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw,Locked) values (1,'G02','缝制',2,'审')");
    exec("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw,Locked) values (2,'G03','熨烫',3,null)");
    exec("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw,Locked) values (1,'G04','包装',0,'')");
    exec("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw,Locked) values (1,'G''9','检验',1,null)");
    const char *rows[] = {
        "'P1','衬衫','G01','裁剪',1,10,null", "'P1','衬衫','G01','裁剪',1,20,'审'", "'P1','衬衫','G01','裁剪',1,30,''",
        "'P1','衬衫','G02','缝制',2,10,null", "'P2','外套','G03','熨烫',3,10,null", "'P1','somewhere','G04','包装',null,10,null",
        "'P1','衬衫','G''9','检验',1,10,null",
    };
    for (const char *r : rows)
        exec(QStringLiteral("insert into f_jijm (riqi,ry_no,ry_name,ip_no,ip_name,gsxu_no,ip_gsxu,ip_djjw,ip_uuld,locked) "
                            "values ('2026-12-01','A01','张三',%1)").arg(QString::fromUtf8(r)));
    exec("update f_jijm set jjje=ip_djjw*ip_uuld");
    exec("insert into tempconfig (key_name,gridwidth) values ('F_jijm_TZGJ','单价,')");
}

void PriceDb::exec(const QString &sql)
{
    m_conn->execute(sql);
}

double PriceDb::price(int djNo)
{
    return GetSqlFloat(QStringLiteral("select ip_djjw from f_jijm where dj_no=%1").arg(djNo), conn());
}

QString PriceDb::text(const QString &sql)
{
    return GetSqlStr(sql, conn());
}

int PriceDb::count(const QString &sql)
{
    return GetSqli(sql, conn());
}

PriceWindow::PriceWindow(PriceDb &database, const QString &user) : db(database)
{
    db.conn()->setObjectName(QStringLiteral("adoconnection1"));
    db.conn()->setParent(&dataModule);
    hostDataset = new wage::Dataset(db.conn(), GetDataSQLStr(user, QStringLiteral("f_jijm"), db.conn()), &hostWindow);
    hostDataset->open();
    datasource1 = new wage::DataSource(hostDataset, &hostWindow);
    datasource1->setObjectName(QStringLiteral("datasource1"));
    form = std::make_unique<TGxtzForm>(QStringLiteral("插件版本：4.40.2.10"), &progress);
    form->setWindowTitle(QStringLiteral("调整工价"));
    form->userName = user;
    form->hostWindow = &hostWindow;
    form->hostDataModule = &dataModule;
    form->connection = db.conn();
    form->setUpWindow();
    form->resize(1100, 720);
    form->show();
    QCoreApplication::processEvents();
}

PriceWindow::~PriceWindow()
{
    form.reset();
    db.conn()->setParent(nullptr);
}

void PriceWindow::query(const QString &caption, const QString &op, const QString &value)
{
    form->choice1->clearConditions();
    if (!caption.isEmpty())
        form->choice1->addCondition(caption, op, value);
    form->BitBtn2Click();
}

void PriceWindow::selectProcess(const QString &processNo)
{
    ASSERT_TRUE(form->ADOQuery1->locate(QStringLiteral("工序编号"), processNo));
    form->ShowProcessRecords(processNo);
}

void PriceWindow::chooseItem(const QString &caption)
{
    form->ComboBox2->setCurrentIndex(form->ComboBox2->findText(caption));
}

void PriceWindow::tick(const QList<int> &djNos)
{
    for (int row = 0; row < hostDataset->recordCount(); ++row)
        hostDataset->setTicked(row, djNos.contains(hostDataset->value(row, hostDataset->fieldIndex("dj_no")).toInt()));
}

} // namespace pricetest
