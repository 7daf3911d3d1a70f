// The refresh run "刷新", the summary run "汇总统计" and the pause "暂停". The runs move the
// host's current order and line, so that the host's own windows follow them.
#include "core/handlerguard.h"
#include "ordmon/pendingmessages.h"
#include "ordmon/progressshow.h"
#include "ordmon/runtransaction.h"
#include "ordmon/tordmon_form.h"

#include "contract/hostobjects.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "net/alert.h"
#include "progress/tprogress.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

void TOrdmon_form::setRunning(bool running)
{
    ToolButton5->setEnabled(running);
}

void TOrdmon_form::ToolButton5Click()
{
    wage::guardHandler(QStringLiteral("暂停"), [this] {
        ToolButton5->setEnabled(false);
        stopped = true;
        AlertMess(QStringLiteral("提示"), QStringLiteral("汇总已暂停"));
    });
}

void TOrdmon_form::ToolButton2Click()
{
    wage::guardHandler(QStringLiteral("汇总统计"), [this] { summaryRun(false); });
    setRunning(false);
}

// Returns false when an order without lines ended the run.
bool TOrdmon_form::summaryRun(bool)
{
    ordmon::letMessagesRun(true);
    setRunning(true);
    stopped = false;
    ready = false;
    wage::Dataset *ord = orders();
    wage::Dataset *ln = lines();
    if (!ord || !ln || !ord->isActive())
        return false;
    while (!ord->eof()) {
        ordmon::letMessagesRun();
        if (!ln->isActive() || ln->isEmpty()) {
            const QString pcNo = orderText(QStringLiteral("pc_no"));
            AlertMess(QStringLiteral("提示"), QStringLiteral("订单：") + pcNo + QStringLiteral(", 订单明细为空！"));
            RunSqlCommand(QStringLiteral("update f_pici set state_id=1  where pc_no='") + wage::sqlQuote(pcNo) + QLatin1Char('\''),
                          connection);
            stopped = true;
            return false;
        }
        ProgressBar1->setMaximum(ln->recordCount());
        ordmon::RunTransaction order(connection);
        while (!ln->eof()) {
            ordmon::showProgress(ProgressBar1, ln->recNo() + 1);
            ComputeLineProgress();
            ln->next();
            Label1->setText(QStringLiteral("数据汇总中....%1/%2").arg(ProgressBar1->value()).arg(ProgressBar1->maximum()));
            ordmon::letMessagesRun();
        }
        SummarizeOrder();
        order.commit();
        if (RadioButton1->isChecked())
            break;
        ord->next();
        if (stopped)
            break;
    }
    if (auto *refresh = wage::findHostObjectAs<QToolButton>(hostWindow, QStringLiteral("ToolButton13")))
        refresh->click();
    ready = true;
    setRunning(false);
    return true;
}

void TOrdmon_form::ToolButton1Click()
{
    wage::guardHandler(QStringLiteral("刷新"), [this] {
        stopped = false;
        ready = false;
        ToolButton1->setEnabled(false);
        setRunning(true);
        ordmon::letMessagesRun(true);
        wage::Dataset *ord = orders();
        wage::Dataset *ln = lines();
        if (!ord || !ln || !ord->isActive()) {
            ToolButton1->setEnabled(true);
            setRunning(false);
            return;
        }
        ProgressBar3->setMaximum(qMax(0, ord->recordCount() - ord->recNo()));
        ProgressBar1->setMaximum(ln->recordCount());
        int k = 0;
        while (!ord->eof()) {
            if (RadioButton3->isChecked()) {
                auto *grid = wage::findHostObjectAs<wage::DataGrid>(hostWindow, QStringLiteral("DBGridEhD"));
                QList<int> selected;
                if (grid && grid->view()->selectionModel()) {
                    for (const QModelIndex &index : grid->view()->selectionModel()->selectedRows())
                        selected.append(index.row());
                }
                std::sort(selected.begin(), selected.end());
                const int n = selected.size();
                if (n <= 0) {
                    wage::prompt().message(QStringLiteral("请选中订单明细中的内容再操作！"));
                    ToolButton1->setEnabled(true);
                    setRunning(false);
                    return;
                }
                wage::Dataset *gridLines = grid->dataset() ? grid->dataset() : ln;
                ProgressBar1->setMaximum(n - 1);
                for (int i = 0; i < n; ++i) {
                    ProgressBar1->setValue(i);
                    if (progress)
                        progress->showpress(i, n - 1, QStringLiteral("正在同步选中的记录,稍候……"));
                    Label1->setText(QStringLiteral("数据汇总中....%1/%2").arg(i + 1).arg(n));
                    gridLines->moveTo(selected.at(i));
                    ordmon::RunTransaction line(connection);
                    RebuildLineProcesses();
                    ComputeLineProgress();
                    line.commit();
                }
                Omq_ADOQuery1->checkBrowseMode();
                SummarizeOrder();
                if (Omq_ADOQuery1->isActive())
                    SetDataSetRefresh(Omq_ADOQuery1);
                ready = true;
                ToolButton1->setEnabled(true);
                setRunning(false);
                return;
            }
            ordmon::RunTransaction order(connection);
            while (!ln->eof()) {
                RebuildLineProcesses();
                ln->next();
                if (stopped) {
                    order.commit();
                    ToolButton1->setEnabled(true);
                    setRunning(false);
                    return;
                }
                ordmon::showProgress(ProgressBar1, ln->recNo());
                Label1->setText(QStringLiteral("正在同步工序....%1/%2").arg(ln->recNo()).arg(ln->recordCount()));
                ordmon::letMessagesRun();
            }
            Omq_ADOQuery1->checkBrowseMode();
            order.commit();
            if (RadioButton1->isChecked()) {
                if (Omq_ADOQuery1->isActive())
                    SetDataSetRefresh(Omq_ADOQuery1);
                ln->first();
                summaryRun(true);
                break;
            }
            ord->next();
            ln->first();
            ++k;
            ordmon::showProgress(ProgressBar3, k);
            Label3->setText(QStringLiteral("数据汇总中....%1/%2").arg(k).arg(ProgressBar3->maximum()));
            ordmon::letMessagesRun();
        }
        ready = true;
        ToolButton1->setEnabled(true);
        setRunning(false);
        Panel1->repaint();
        if (Omq_ADOQuery1->isActive())
            SetDataSetRefresh(Omq_ADOQuery1);
    });
    ToolButton1->setEnabled(true);
    setRunning(false);
}
