// The context menu of the grids: export, sums, refresh, the current-process marks of a batch,
// the synchronisation of process rows and closing orders; and help.
#include "ordmon/tordmon_form.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/handlerguard.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/htmlhelp.h"
#include "kit/shellopen.h"
#include "kit/tableexport.h"
#include "net/alert.h"
#include "progress/tprogress.h"

#include <QAction>
#include <QMenu>
#include <QTableView>

namespace {

const char *const kSyncInsert =
    "INSERT INTO f_pcjk (  pc_id,pc_no,ip_no,ip_gvge,g_ph,gsxu_no,ip_gsxu,zcsl,pc_dhul,ip_djjw)  SELECT f_pici.pc_id,   "
    "f_pici.pc_no,  f_pcmx.ip_no,  f_pcmx.ip_gvge,  f_pcmx.g_ph,  f_ipgx.gsxu_no,  f_ipgx.ip_gsxu,  f_ipgx.zcsl,  "
    "f_pcmx.pc_dhul*f_ipgx.zcsl as pc_dhul,  f_ipgx.ip_djjw  FROM f_pici  LEFT JOIN f_pcmx ON f_pici.pc_id = f_pcmx.pc_id  "
    "LEFT JOIN f_ijpn ON f_pcmx.ip_no = f_ijpn.ip_no  LEFT JOIN f_ipgx ON f_ijpn.ip_id = f_ipgx.ip_id  WHERE   f_pici.pc_id =  ";

void logFailure(const QString &sql)
{
    try {
        WriteErrLog(sql);
    } catch (...) {
    }
}

} // namespace

void TOrdmon_form::buildPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const struct {
        const char *text;
        int tag;
    } items[] = {{"导出", 1}, {"刷新合计", 2}, {"刷新数据", 5}, {nullptr, 0}, {"标记为当前进度", 3}, {"重启当前订单", 6},
                 {nullptr, 0}, {"同步工序", 8}, {"同步该订单", 10}, {"标记结案", 9}};
    for (const auto &item : items) {
        if (!item.text) {
            PopupMenu1->addSeparator();
            continue;
        }
        QAction *a = PopupMenu1->addAction(QString::fromUtf8(item.text));
        a->setObjectName(QStringLiteral("N%1").arg(item.tag));
        a->setData(item.tag);
        connect(a, &QAction::triggered, this, [this, a] { NClick(a->data().toInt()); });
    }
    for (wage::DataGrid *grid : {DBGridEh_Master, DBGridEh_Detail, Ordmon_DBGridEh, DBGridEh1}) {
        grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid->view(), &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
            PopupMenu1Popup(grid);
            PopupMenu1->popup(grid->view()->viewport()->mapToGlobal(pos));
        });
    }
}

void TOrdmon_form::PopupMenu1Popup(wage::DataGrid *grid)
{
    menuGrid = grid;
    const bool admin = userName.trimmed() == QStringLiteral("系统管理员");
    for (QAction *a : PopupMenu1->actions()) {
        switch (a->data().toInt()) {
        case 3:
        case 8:
            a->setVisible(grid == Ordmon_DBGridEh && admin);
            break;
        case 6:
            a->setVisible(grid == DBGridEh_Detail && admin);
            break;
        case 9:
        case 10:
            a->setVisible(grid == DBGridEh_Master);
            break;
        default:
            break;
        }
    }
}

void TOrdmon_form::NClick(int tag)
{
    wage::guardHandler(QStringLiteral("订单监控"), [this, tag] {
        wage::DataGrid *grid = menuGrid ? menuGrid.data() : Ordmon_DBGridEh;
        switch (tag) {
        case 1: {
            QString file = wage::prompt().saveFileName(QStringLiteral("导出"), QStringLiteral("临时输出"), wage::exportFilterText());
            if (file.isEmpty())
                return;
            wage::ExportFormat format = wage::ExportFormat::Xls;
            wage::exportFormatOfFileName(file, &format);
            file = wage::exportFileName(file, format);
            if (progress)
                progress->showpress(1, 3, QStringLiteral("正在导出数据...."));
            grid->exportTo(file, format);
            AlertMess(QStringLiteral("提示"), QStringLiteral("数据导出完成，") + file);
            AlertMess(QStringLiteral("提示"), QStringLiteral("正在打开表格，") + file);
            if (progress)
                progress->showpress(2, 3, QStringLiteral("正在打开表格...."));
            wage::shellOpenFile(file);
            if (progress)
                progress->showpress(3, 3, QStringLiteral("正在打开表格...."));
            break;
        }
        case 2:
            grid->setFooterSums(false);
            grid->setFooterSums(true);
            grid->refreshFooter();
            break;
        case 5:
            if (grid->dataset() && grid->dataset()->isActive())
                SetDataSetRefresh(grid->dataset());
            break;
        case 3: {
            const QString process = TrimText(Omq_ADOQuery1->isActive() && !Omq_ADOQuery1->isEmpty()
                                                 ? Omq_ADOQuery1->value(QStringLiteral("gsxu_no")).toString()
                                                 : QString());
            const QString batch = TrimText(lineText(QStringLiteral("g_ph")));
            if (!wage::prompt().question(QStringLiteral("当前进度是：") + TrimText(lineText(QStringLiteral("cpp_no"))) + QStringLiteral("\r确定变更为：")
                                             + process + QStringLiteral("\r\r标记为当前进度"),
                                         QStringLiteral("标记进度")))
                return;
            const QString sql = QStringLiteral("UPDATE f_pcmx SET cpp_no ='") + wage::sqlQuote(process) + QStringLiteral("' WHERE  g_ph='")
                                + wage::sqlQuote(batch) + QLatin1Char('\'');
            if (RunSqlCommand(sql, connection))
                AlertMess(QString(), QStringLiteral("批号：") + batch + QStringLiteral(", 工序编号:") + process + QStringLiteral("标记当前进度"));
            else
                logFailure(sql);
            break;
        }
        case 6: {
            const QString batch = TrimText(lineText(QStringLiteral("g_ph")));
            if (!wage::prompt().question(QStringLiteral("当前进度是：") + TrimText(lineText(QStringLiteral("cpp_no")))
                                             + QStringLiteral("\r确定要重新开始生产吗？"),
                                         QStringLiteral("重启进度")))
                return;
            const QString sql = QStringLiteral("UPDATE f_pcmx SET cpp_no = null  WHERE  g_ph='") + wage::sqlQuote(batch) + QLatin1Char('\'');
            if (RunSqlCommand(sql, connection))
                AlertMess(QString(), QStringLiteral("批号：") + batch + QStringLiteral(", 重新开始。"));
            else
                logFailure(sql);
            break;
        }
        case 8:
        case 10: {
            const QString pcId = lineText(QStringLiteral("pc_id"));
            if (pcId.isEmpty())
                return;
            const QString batch = tag == 8 ? QStringLiteral(" and g_ph='") + wage::sqlQuote(lineText(QStringLiteral("g_ph"))) + QLatin1Char('\'')
                                           : QString();
            const QString lineBatch = tag == 8 ? QStringLiteral(" and f_pcmx.g_ph='") + wage::sqlQuote(lineText(QStringLiteral("g_ph")))
                                                     + QLatin1Char('\'')
                                               : QString();
            if (progress)
                progress->showpress(1, 4, QStringLiteral("正在初始化资料 ...."));
            RunSqlCommand(QStringLiteral("delete from f_pcjk where pc_id= ") + pcId + batch, connection);
            if (progress)
                progress->showpress(2, 4, QStringLiteral("正在同步 ...."));
            const QString insert = QString::fromUtf8(kSyncInsert) + pcId + lineBatch;
            if (!RunSqlCommand(insert, connection))
                logFailure(insert);
            if (progress)
                progress->showpress(3, 4, QStringLiteral("正在刷新数据 ...."));
            if (Omq_ADOQuery1->isActive())
                SetDataSetRefresh(Omq_ADOQuery1);
            if (progress)
                progress->showpress(4, 4, QStringLiteral("任务完成 ...."));
            break;
        }
        case 9: {
            if (!wage::prompt().question(QStringLiteral("确定要将选定的订单标记为结案吗?"), QStringLiteral("提示")))
                return;
            wage::Dataset *ord = orders();
            if (!ord || !ord->isActive())
                return;
            const QList<int> rows = ord->tickedRows();
            const int n = rows.size();
            for (int i = 0; i < n; ++i) {
                if (progress)
                    progress->showpress(i, n - 1, QStringLiteral("正在处理选中的记录,稍候……"));
                ord->moveTo(rows.at(i));
                RunSqlCommand(QStringLiteral("update f_pici set pc_state='结案' where pc_no='") + wage::sqlQuote(orderText(QStringLiteral("pc_no")))
                                  + QLatin1Char('\''),
                              connection);
            }
            SetDataSetRefresh(ord);
            break;
        }
        default:
            break;
        }
    });
}

void TOrdmon_form::ToolButton7Click()
{
    HtmlHelp(this, wage::programDir() + QStringLiteral("\\help.chm::/订单监控.htm"), HH_DISPLAY_TOPIC, 0);
}
