// Loading the window on every showing: payroll month, order filter, the grids laid out from
// the field registry, the process rows and the piece records behind them.
#include "ordmon/tordmon_form.h"

#include "core/config.h"
#include "core/handlerguard.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/datavertgrid.h"
#include "kit/disgrid.h"
#include "kit/tradiogroup.h"
#include "progress/tprogress.h"

#include <QSignalBlocker>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>

void TOrdmon_form::OpenMonitor()
{
    auto step = [this](int position, const QString &text) {
        if (progress)
            progress->showpress(position, 5, text);
    };
    show();
    raise();
    step(4, QStringLiteral("显示表格数据 ...."));
    const QString user = userName.trimmed();
    wage::guardHandler(windowTitle(), [&] {
        EditYM->setText(GetSqlStr(QStringLiteral("select gz_ym from gz_stat"), connection));
        // The remembered filter is applied just below, together with the grids' layout.
        const QSignalBlocker quiet(RadioGroup1);
        RadioGroup1->setItemIndex(inistring(QStringLiteral("display"), QStringLiteral("f_pici.Pc_Progress"), QStringLiteral("0"),
                                            QStringLiteral("Usertem.ini"), QStringLiteral("Read"))
                                      .toInt());
        step(4, QStringLiteral("显示表格数据 ....\r      加载订单"));
        wage::Dataset *ord = orders();
        const QString filter = orderFilterSql(RadioGroup1->ItemIndex());
        if (ord && !filter.isEmpty()) {
            ord->close();
            ord->setCommandText(filter);
            ord->open();
        }
        ProgressBar1->setValue(1);
        Label1->setText(QStringLiteral("加载订单..."));
        DisGrid(QStringLiteral("f_pici"), user, DataSource_Master, connection, DBGridEh_Master);

        step(4, QStringLiteral("显示表格数据 ....\r      加载订单明细"));
        ProgressBar1->setValue(2);
        Label1->setText(QStringLiteral("加载订单明细..."));
        DBGridEh_Detail->setDataSource(DataSource_detail);
        DisGrid(QStringLiteral("f_pcmx"), user, DataSource_detail, connection, DBGridEh_Detail);

        ProgressBar1->setValue(3);
        Label1->setText(QStringLiteral("加载工序进度..."));
        step(4, QStringLiteral("显示表格数据 ....\r      加载工序进度"));
        OpenProcessQueries();
        DisGrid(QStringLiteral("f_pcjk"), user, Omq_DataSource, connection, Ordmon_DBGridEh);

        statisticsMode = readStatisticsMode();
        step(4, QStringLiteral("显示表格数据 ....\r      加载产量明细"));
        ProgressBar1->setValue(4);
        Label1->setText(QStringLiteral("加载运行参数..."));
        LoadPieceRecords(0);

        step(4, QStringLiteral("显示表格数据 ....\r      创建动态进度条"));
        ProgressBar1->setValue(6);
        Label1->setText(QStringLiteral("加载完成"));
        AddProgressColumn(Ordmon_DBGridEh);
        AddProgressColumn(DBGridEh_Detail);
        AddProgressColumn(DBGridEh_Master);
    });
    step(5, QStringLiteral("正在初始化数据环境 ...."));
    const QString tempSql = QStringLiteral("select * from ") + scratchTable;
    try {
        ADOQuery_Temp->close();
        ADOQuery_Temp->setCommandText(tempSql);
        ADOQuery_Temp->open();
    } catch (const wage::DbError &e) {
        wage::prompt().error(e.reason() + QLatin1Char('\r') + tempSql, windowTitle());
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromUtf8(e.what()) + QLatin1Char('\r') + tempSql, windowTitle());
    }
    wage::guardHandler(windowTitle(), [&] {
        DisGrid(QStringLiteral("f_jijm"), user, DataSource_Temp, connection, DBGridEh_Temp);
        DisVertGrid(QStringLiteral("f_jijm"), user, DataSource_Temp, connection, DBVertGridEh1);
    });
    PageControl2->setTabVisible(2, GetConType() != QLatin1String("ACCESS"));
}

QString TOrdmon_form::orderFilterSql(int item) const
{
    const bool access = GetConType() == QLatin1String("ACCESS");
    const QString M = wage::sqlQuote(EditYM->text());
    const QString F = wage::sqlQuote(LabeledEdit1->text());
    switch (item) {
    case 0:
        return QStringLiteral("select * from f_pici ");
    case 1:
        return QStringLiteral("select * from f_pici where pc_state='结案'");
    case 2:
    case 3:
    case 4:
    case 5: {
        // Orders with piece records in a date range, read through the date index: the day, or
        // the month of EditYM; a month that is no yyyyMM is compared as written (no order).
        const bool packing = item == 3 || item == 5;
        const QString head = QStringLiteral("select * from f_pici where pc_no in (select pc_no from f_jijm where ")
                             + (packing ? QStringLiteral("ip_gsxu like '%包装%' and  ") : QString());
        QDate from = QDate::currentDate(), to = from.addDays(1);
        if (item >= 4) {
            from = QDate::fromString(EditYM->text().trimmed() + QStringLiteral("01"), QStringLiteral("yyyyMMdd"));
            to = from.addMonths(1);
            if (!from.isValid())
                return head + (access ? QStringLiteral("Format(riqi, \"YYYYMM\")='") : QStringLiteral("CONVERT(varchar(6), riqi, 112)='")) + M
                       + QStringLiteral("')");
        }
        const QString f = from.toString(Qt::ISODate), t = to.toString(Qt::ISODate);
        return head + (access ? QStringLiteral("riqi >= #%1# and riqi < #%2#)") : QStringLiteral("riqi >= CAST('%1' AS DATE) and riqi < CAST('%2' AS DATE))")).arg(f, t);
    }
    case 6:
        return RadioGroup3->ItemIndex() == 1 ? QStringLiteral("select * from f_pici where pc_name like '%") + F + QStringLiteral("%'")
                                             : QStringLiteral("select * from f_pici where pc_no like '%") + F + QStringLiteral("%'");
    default:
        return QString();
    }
}

void TOrdmon_form::RadioGroup1Click()
{
    wage::guardHandler(QStringLiteral("订单过滤"), [this] {
        const int item = RadioGroup1->ItemIndex();
        const QString sql = orderFilterSql(item);
        wage::Dataset *ord = orders();
        if (sql.isEmpty() || !ord)
            return;
        ord->close();
        ord->setCommandText(sql);
        if (item >= 0 && item <= 5)
            inistring(QStringLiteral("display"), QStringLiteral("f_pici.Pc_Progress"), QString::number(item),
                      QStringLiteral("Usertem.ini"), QStringLiteral("write"));
        ord->open();
    });
}

void TOrdmon_form::RadioGroup3Click()
{
    LabeledEdit1Label->setText(RadioGroup3->itemText(RadioGroup3->ItemIndex()));
}

void TOrdmon_form::SpeedButton1Click()
{
    {
        // Applied once, even when the search item was chosen already.
        const QSignalBlocker quiet(RadioGroup1);
        RadioGroup1->setItemIndex(6);
    }
    RadioGroup1Click();
}

void TOrdmon_form::LoadPieceRecords(int tab)
{
    const int mode = statisticsMode;
    const QString pcNo = wage::sqlQuote(orderText(QStringLiteral("pc_no")));
    const QString ipNo = wage::sqlQuote(lineText(QStringLiteral("ip_no")));
    // Without a process row there are no piece records to show.
    if (!Omq_ADOQuery1->isActive() || Omq_ADOQuery1->isEmpty()) {
        f_jijm->close();
        return;
    }
    const QString process = wage::sqlQuote(Omq_ADOQuery1->value(QStringLiteral("gsxu_no")).toString());
    QString sql;
    if (mode == 0)
        sql = QStringLiteral("select * from f_jijm where pc_no='") + pcNo + QStringLiteral("' and ip_no='") + ipNo
              + QStringLiteral("' and gsxu_no='") + process + QLatin1Char('\'');
    else if (mode == 1)
        sql = QStringLiteral("select * from f_jijm where pc_no='") + pcNo + QStringLiteral("' and ip_no='") + ipNo
              + QStringLiteral("' and ip_gvge='") + wage::sqlQuote(lineText(QStringLiteral("ip_gvge")))
              + QStringLiteral("' and gsxu_no='") + process + QLatin1Char('\'');
    else if (mode == 2) {
        static const char *const byTab[] = {
            "select * from f_jijm where G_PH=:G_PH and gsxu_no=:gsxu_no",
            "select * from f_jijm where G_PH=:G_PH",
            "select * from f_jijm where pc_no=:pc_no and gsxu_no=:gsxu_no",
            "select * from f_jijm where pc_no=:pc_no ",
            "select * from f_jijm where pc_no=:pc_no and CONVERT(varchar(6), riqi, 112) = (SELECT gz_ym FROM gz_stat)",
        };
        sql = QString::fromUtf8(byTab[qBound(0, tab, 4)]);
    }
    if (sql.isEmpty())
        return;
    f_jijm->close();
    f_jijm->setConnection(connection);
    f_jijm->clearParams();
    f_jijm->setCommandText(sql);
    for (const QString &name : f_jijm->paramNames()) {
        QVariant v;
        if (Omq_ADOQuery1->isActive() && !Omq_ADOQuery1->isEmpty()) {
            const wage::Field f = Omq_ADOQuery1->findField(name);
            if (f.isValid())
                v = f.value();
        }
        f_jijm->setParam(name, v);
    }
    f_jijm->open();
    DisGrid(QStringLiteral("f_jijm"), userName.trimmed(), DataSource1, connection, DBGridEh1);
    DBGridEh1->setFooterSums(true);
    DBGridEh1->refreshFooter();
}

void TOrdmon_form::Omq_ADOQuery1AfterScroll()
{
    if (!ready || !Omq_ADOQuery1->isActive() || Omq_ADOQuery1->isEmpty())
        return;
    wage::guardHandler(QStringLiteral("产量明细"), [this] { LoadPieceRecords(PageControl1->currentIndex()); });
}

void TOrdmon_form::PageControl1Change(int index)
{
    if (!connection)
        return;
    // The piece-record grid moves onto the active tab.
    if (QWidget *page = PageControl1->widget(index)) {
        if (DBGridEh1->parentWidget() != page) {
            DBGridEh1->setParent(page);
            page->layout()->addWidget(DBGridEh1);
            DBGridEh1->show();
        }
    }
    wage::guardHandler(QStringLiteral("产量明细"), [this, index] { LoadPieceRecords(index); });
}

void TOrdmon_form::AddProgressColumn(wage::DataGrid *grid)
{
    if (!grid)
        return;
    const bool processRows = grid == Ordmon_DBGridEh;
    int at = processRows ? 7 : grid == DBGridEh_Master ? 3 : 6;
    at = qBound(0, at, grid->columnCount());
    wage::GridColumn column;
    column.caption = QStringLiteral("进度");
    column.width = 90;
    column.readOnly = true;
    grid->insertColumn(at, column);
    grid->setProgressHook(at, [grid, processRows](int row) {
        wage::Dataset *d = grid->dataset();
        double f = 0;
        if (d && d->isActive() && row >= 0 && row < d->recordCount()) {
            auto number = [d, row](const char *field) {
                const int c = d->fieldIndex(QString::fromLatin1(field));
                return c < 0 ? QVariant() : d->value(row, c);
            };
            if (processRows) {
                const double planned = number("pc_dhul").toDouble();
                f = planned != 0 ? number("pc_sjcl").toDouble() / planned : 0;
            } else {
                f = number("pc_wcl").toDouble();
            }
        }
        return wage::progressCellFor(f);
    });
}
