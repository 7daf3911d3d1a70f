// The query of the window: the work table of products and processes, the process list, the
// host's records of the condition or of one process, and the two price lists.
#include "priceadj/tgxtzform.h"

#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/rights.h"
#include "kit/sqlroutines.h"
#include "priceadj/adjustsql.h"
#include "priceadj/runsupport.h"
#include "progress/tprogress.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

using namespace priceadj;

void TGxtzForm::BitBtn2Click()
{
    guarded(windowTitle(), [this] {
        if (m_progress)
            m_progress->showpress(1, 3, QStringLiteral("数据查询中 ....."));
        const QString scope = TrimText(Getmodwhere(userName, QStringLiteral("f_jijm"), connection));
        const QString name = TableNameRand(connection);
        const QString cond = conditionText();
        if (PageControl1->currentIndex() == 0) {
            BitBtn2->setEnabled(false);
            ADOQuery1->close();
            ADOQuery1->setCommandText(QString());
            // An earlier work table is of no further use once a new one replaces its name.
            const QString previous = scratchTable;
            if (!previous.isEmpty() && TableExists(previous, connection))
                RunSqlCommand(QStringLiteral("Drop table ") + previous, connection);
            scratchTable = name;
            RunSqlCommand(workTableSql(connection->dialect(), name, cond, scope, CheckBox3->isChecked()), connection);
            RunSqlCommand(QStringLiteral("alter table ") + name + QStringLiteral(" add 审核 nvarchar(20)"), connection);
            if (GetFieldExistCon(QStringLiteral("f_ipgx"), QStringLiteral("Locked"), connection))
                RunSqlCommand(auditFillSql(connection->dialect(), name), connection);
            ADOQuery1->setCommandText(QStringLiteral("select * from ") + name);
            try {
                ADOQuery1->open();
            } catch (...) {
                BitBtn2->setEnabled(true);
                if (m_progress)
                    m_progress->showpress(3, 3, QStringLiteral("数据查询中 ....."));
                throw;
            }
            DisGrid(name, userName, DataSource1, connection, DBGrid1);
            GridColumnWidths(QStringLiteral("temp_gxtz"), DBGrid1, 0);
            GridColumnWidths(QStringLiteral("temp_tzimp"), DBGridEh_Imp, 0);
            ListBox1->clear();
            ListBox2->clear();
            BitBtn2->setEnabled(true);
            Panel5->show();
            if (m_progress)
                m_progress->showpress(3, 3, QStringLiteral("数据查询中 ....."));
        }
        if (wage::Dataset *ds = hostDataset()) {
            cancelPendingHostEdit();
            ds->close();
            ds->setCommandText(conditionRecordsSql(cond, scope));
            ds->open();
        }
    });
    BitBtn2->setEnabled(true);
}

QString TGxtzForm::currentProcessNo() const
{
    if (!ADOQuery1->isActive() || ADOQuery1->isEmpty())
        return QString();
    return TrimText(ADOQuery1->value(QStringLiteral("工序编号")).toString());
}

void TGxtzForm::DataSource1StateChange()
{
    if (!ADOQuery1->isActive() || ADOQuery1->isEmpty())
        return;
    guarded(windowTitle(), [this] {
        const QString p = currentProcessNo();
        const QString sql = processListRecordsSql(GetDataSQLStr(userName, QStringLiteral("f_jijm"), connection),
                                                  conditionText(), p);
        if (wage::Dataset *ds = hostDataset()) {
            cancelPendingHostEdit();
            ds->close();
            ds->setCommandText(sql);
            ds->open();
        }
        if (connection->dialect() != wage::Dialect::Access) {
            refillPriceLists(p);
            setStatusCount();
        }
    });
}

void TGxtzForm::refillPriceLists(const QString &processNo)
{
    const QString p = wage::sqlQuote(processNo);
    ListBox1->clear();
    ListBox1->addItems(GetSqlList(QStringLiteral("select  distinct ip_djjw  from f_jijm where rtrim(gsxu_no)='") + p
                                      + QLatin1Char('\''),
                                  connection));
    ListBox2->clear();
    ListBox2->addItems(GetSqlList(QStringLiteral("select  ip_djjw  from f_ipgx where rtrim(gsxu_no)='") + p
                                      + QLatin1Char('\''),
                                  connection));
}

void TGxtzForm::DBGridEh1CellClick()
{
    if (!ADOQuery1->isActive() || ADOQuery1->isEmpty())
        return;
    // The loading text stands over the record grid while the records are read.
    statusPanel(0)->setText(QStringLiteral("正在生成预览数据.....检查无误，可进行调价。"));
    statusPanel(0)->repaint();
    ShowProcessRecords(currentProcessNo());
}

bool TGxtzForm::ShowProcessRecords(const QString &processNo)
{
    if (!ADOQuery1->isActive() || ADOQuery1->isEmpty())
        return false;
    bool loaded = false;
    guarded(windowTitle(), [this, processNo, &loaded] {
        const QString scope = m_sheetBatch ? m_sheetScope
                                           : TrimText(Getmodwhere(userName, QStringLiteral("f_jijm"), connection));
        const QString sql = processRecordsSql(scope, conditionText(), processNo, CheckBox3->isChecked());
        wage::Dataset *ds = hostDataset();
        if (!ds)
            return;
        cancelPendingHostEdit();
        ds->close();
        ds->setCommandText(sql);
        ds->open();
        ds->first();
        loaded = true;
        setStatusCount();
        // A sheet run fills the price lists once, after its last line.
        if (!m_sheetBatch && connection->dialect() != wage::Dialect::Access)
            refillPriceLists(processNo);
    });
    return loaded;
}
