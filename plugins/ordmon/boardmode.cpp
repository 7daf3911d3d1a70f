// The button "自定义过程" (every "订单监控" script in order) and board mode "看板模式": the
// order grid pages on every 5 s and, at the end of the orders, the warehousing scripts run.
#include "ordmon/tordmon_form.h"

#include "core/errlog.h"
#include "core/handlerguard.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/tradiogroup.h"
#include "net/alert.h"
#include "progress/tprogress.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

void TOrdmon_form::SpeedButton3Click()
{
    SpeedButton3->setEnabled(false);
    Timer1->stop();
    wage::guardHandler(QStringLiteral("自定义过程"), [this] {
        if (!ADOQuery_SQL->isActive())
            openScriptList();
        const int n = ADOQuery_SQL->recordCount();
        ADOQuery_SQL->first();
        for (int i = 0; i < n; ++i) {
            ADOQuery_SQL->moveTo(i);
            const QString name = ADOQuery_SQL->value(QStringLiteral("Script_name")).toString();
            if (progress)
                progress->showpress(i, n - 1, QStringLiteral("正在") + name + QStringLiteral(" ...."));
            if (!ADOQuery_SQL->value(QStringLiteral("Script_active")).toBool())
                continue;
            const QString script = ADOQuery_SQL->value(QStringLiteral("Script")).toString();
            if (!RunSqlCommand(script, connection)) {
                AlertMess(QStringLiteral("自定义过程"), name);
                WriteErrLog(name + QLatin1Char('\r') + script);
            }
        }
    });
    SpeedButton3->setEnabled(true);
    RadioGroup1Click();
    if (CheckBox1->isChecked())
        Timer1->start();
}

void TOrdmon_form::CheckBox1Click()
{
    if (CheckBox1->isChecked()) {
        wage::Dataset *ord = orders();
        ProgressBar2->setMaximum(ord && ord->isActive() ? ord->recordCount() : 0);
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void TOrdmon_form::Timer1Timer()
{
    Timer1->stop();
    wage::Dataset *ord = orders();
    wage::guardHandler(QStringLiteral("看板模式"), [this, ord] {
        if (!ord || !ord->isActive())
            return;
        QTableView *view = DBGridEh_Master->view();
        const int page = qMax(1, view->viewport()->height() / qMax(1, view->verticalHeader()->defaultSectionSize()));
        const int before = ord->recNo();
        ord->moveBy(page);
        // Past the last order: the grid could not page on any further.
        const bool atEnd = ord->eof() || ord->recNo() == before || ord->recNo() == ord->recordCount();
        ProgressBar2->setValue(ord->recNo());
        Label2->setText(QStringLiteral("数据看板%1/%2").arg(ProgressBar2->value()).arg(ProgressBar2->maximum()));
        view->viewport()->repaint();
        QCoreApplication::processEvents();
        if (!atEnd)
            return;
        wage::Dataset scripts(connection,
                              QStringLiteral("select * from f_sqlcase where  script_type='订单监控' and script_table='f_pici' and  "
                                             "Script_name  like '%入库数量' order by Script_index"));
        scripts.setReadOnly(true);
        scripts.open();
        ProgressBar3->setMaximum(scripts.recordCount());
        for (scripts.first(); !scripts.eof(); scripts.next()) {
            ProgressBar3->setValue(scripts.recNo());
            const QString name = scripts.value(QStringLiteral("Script_name")).toString();
            Label2->setText(QStringLiteral("正在核算 ") + name);
            if (!RunSqlCommand(scripts.value(QStringLiteral("Script")).toString(), connection))
                AlertMess(QStringLiteral("自定义过程"), name + QStringLiteral("失败"));
        }
        SetDataSetRefresh(ord);
        ord->first();
        Label3->setText(QStringLiteral("入库刷新时间：") + QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    });
    if (CheckBox1->isChecked())
        Timer1->start();
}
