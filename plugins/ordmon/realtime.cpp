// The realtime page "实时产能": the newest piece records fed into the scratch table, the day,
// week and month totals, the alternating chart, and today's orders with one "订单实时" script
// per tick. Each timer is stopped while its handler runs, so a slow tick is skipped, never
// stacked.
#include "ordmon/tordmon_form.h"

#include "core/config.h"
#include "core/errlog.h"
#include "core/handlerguard.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/tradiogroup.h"
#include "net/alert.h"

#include <QSignalBlocker>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QValueAxis>

namespace {

void pageDown(wage::DataGrid *grid)
{
    wage::Dataset *d = grid ? grid->dataset() : nullptr;
    if (!d || !d->isActive() || d->isEmpty())
        return;
    const int rowHeight = qMax(1, grid->view()->verticalHeader()->defaultSectionSize());
    const int page = qMax(1, grid->view()->viewport()->height() / rowHeight);
    d->moveBy(page);
    grid->view()->viewport()->update();
}

} // namespace

QString TOrdmon_form::JoinFieldNames(wage::Dataset *dataset, const QString &prefix)
{
    QStringList names;
    for (const QString &name : dataset->fieldNames()) {
        if (name.compare(QLatin1String("a_id"), Qt::CaseInsensitive) == 0 || name.compare(QLatin1String("Pat_id"), Qt::CaseInsensitive) == 0)
            continue;
        names.append(prefix.isEmpty() ? name : prefix + QLatin1Char('.') + name);
    }
    return names.join(QLatin1Char(','));
}

void TOrdmon_form::buildRealtimeExtras(QWidget *left, QWidget *right)
{
    auto bigLabel = [left](const char *name) {
        auto *l = new QLabel(QStringLiteral("刷新中..."), left);
        l->setObjectName(QString::fromLatin1(name));
        QFont f(QStringLiteral("微软雅黑"));
        f.setPixelSize(21);
        f.setBold(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: teal"));
        return l;
    };
    Label_day = bigLabel("Label_day");
    Label_week = bigLabel("Label_week");
    Label_month = bigLabel("Label_month");
    Label_dongtai = bigLabel("Label_dongtai");
    DBGridEh_PC = new wage::DataGrid(right);
    DBGridEh_PC->setObjectName(QStringLiteral("DBGridEh_PC"));
    DBGridEh_PC->setReadOnly(true);
    DBGridEh_PC->setCheckBoxes(true);
    DBGridEh_PC->setSearchPanel(true);
    DataSource_pc = new wage::DataSource(ADOQuery_pc, this);
    DBGridEh_PC->setDataSource(DataSource_pc);
    DBChart_pc = new QChart;
    DBChart_pc->setTitle(QStringLiteral("产量月统计分析"));
    DBChart_pc->legend()->hide();
    auto *view = new QChartView(DBChart_pc, right);
    view->setObjectName(QStringLiteral("DBChart_pc"));
    view->setMinimumHeight(220);
    ChartView = view;

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(5000);
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(7000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
    connect(PageControl2, &QTabWidget::currentChanged, this, [this](int) { PageControl2Change(); });
}

void TOrdmon_form::PageControl2Change()
{
    const bool realtime = PageControl2->currentWidget() == TabSheet8;
    if (realtime) {
        Timer2->start();
        Timer3->start();
    } else {
        Timer2->stop();
        Timer3->stop();
    }
    scriptType = PageControl2->currentIndex() == 0 ? QStringLiteral("订单监控") : QStringLiteral("订单实时");
    if (RadioGroup_Scirip) {
        // The list is opened below for the page's type.
        const QSignalBlocker quiet(RadioGroup_Scirip);
        RadioGroup_Scirip->setItemIndex(PageControl2->currentIndex() == 0 ? 0 : 1);
    }
    wage::guardHandler(QStringLiteral("实时产能"), [this] { openScriptList(); });
    if (!realtime)
        return;
    const QString sql = GetConType() == QLatin1String("ACCESS")
                            ? QStringLiteral("SELECT * FROM F_pici WHERE pc_no IN ( SELECT DISTINCT pc_no  FROM f_jijm    WHERE "
                                             "Format(riqi,\"yyyy-mm-dd\") = Format(Date(),\"yyyy-mm-dd\"))")
                            : QStringLiteral("select * from F_pici where pc_no in (select distinct pc_no from f_jijm where riqi >= "
                                             "CAST(GETDATE() AS DATE)   AND riqi < DATEADD(DAY, 1, CAST(GETDATE() AS DATE)))");
    try {
        ADOQuery_pc->close();
        ADOQuery_pc->setCommandText(sql);
        ADOQuery_pc->open();
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromUtf8(e.what()) + QLatin1Char('\r') + sql, windowTitle());
    }
    wage::guardHandler(QStringLiteral("实时产能"), [this] {
        DisGrid(QStringLiteral("f_pici"), userName.trimmed(), DataSource_pc, connection, DBGridEh_PC);
        AddProgressColumn(DBGridEh_PC);
    });
}

void TOrdmon_form::openScriptList()
{
    if (!ADOQuery_SQL || !connection)
        return;
    ADOQuery_SQL->close();
    ADOQuery_SQL->setConnection(connection);
    ADOQuery_SQL->setCommandText(QStringLiteral("select * from f_sqlcase where  script_type='") + wage::sqlQuote(scriptType)
                                 + QStringLiteral("' and script_table='f_pici' order by Script_index"));
    ADOQuery_SQL->open();
}

void TOrdmon_form::Timer2Timer()
{
    ++timer2Tag;
    Timer2->stop();
    wage::guardHandler(QStringLiteral("实时产能"), [this] {
        pageDown(DBGridEh_Temp);
        QCoreApplication::processEvents();
        if (ADOQuery_Temp->isActive()) {
            const QString S = scratchTable;
            const QString sql = QStringLiteral("INSERT INTO ") + S + QStringLiteral(" (") + JoinFieldNames(ADOQuery_Temp, QString())
                                + QStringLiteral(") SELECT ") + JoinFieldNames(ADOQuery_Temp, QStringLiteral("t"))
                                + QStringLiteral(" FROM ( SELECT TOP 50 * FROM f_jijm  ORDER BY dj_no DESC) t WHERE NOT EXISTS ( ")
                                + QStringLiteral(" SELECT 1 FROM ") + S + QStringLiteral(" WHERE ") + S + QStringLiteral(".dj_no = t.dj_no) ");
            if (!RunSqlCommand(sql, connection))
                WriteErrLog(sql);
            SetDataSetRefresh(ADOQuery_Temp);
        }
        if (GetConType() != QLatin1String("ACCESS")) {
            // Date ranges on riqi, not a function of every record's date: the same sums, read
            // through the date index instead of a scan of every piece record.
            const struct {
                QLabel *label;
                const char *prefix;
                const char *sql;
            } totals[] = {
                {Label_day, "当日：", "SELECT ROUND(ISNULL(SUM(jjje),0),2) FROM f_jijm WHERE   riqi >= CAST(GETDATE() AS DATE)   AND riqi < DATEADD(DAY, 1, CAST(GETDATE() AS DATE))"},
                {Label_week, "当周：", "SELECT ROUND(ISNULL(SUM(jjje),0),2) FROM f_jijm WHERE riqi >= DATEADD(DAY, 1 - DATEPART(WEEKDAY, GETDATE()), CAST(GETDATE() AS DATE)) "
                                "AND riqi < DATEADD(DAY, 8 - DATEPART(WEEKDAY, GETDATE()), CAST(GETDATE() AS DATE)) AND YEAR(riqi) = YEAR(GETDATE())"},
                {Label_month, "当月：", "SELECT ROUND(ISNULL(SUM(jjje),0),2) FROM f_jijm WHERE riqi >= DATEFROMPARTS(YEAR(GETDATE()), MONTH(GETDATE()), 1) "
                                 "AND riqi < DATEADD(MONTH, 1, DATEFROMPARTS(YEAR(GETDATE()), MONTH(GETDATE()), 1))"},
            };
            for (const auto &t : totals) {
                try {
                    t.label->setText(QString::fromUtf8(t.prefix) + GetSqlStr(QString::fromUtf8(t.sql), connection));
                } catch (const std::exception &e) {
                    AlertMess(QString(), QString::fromUtf8(e.what()));
                }
            }
        }
    });
    if (PageControl2->currentWidget() == TabSheet8)
        Timer2->start();
    wage::guardHandler(QStringLiteral("实时产能"), [this] { ShowCapacityChart(timer2Tag); });
}

void TOrdmon_form::ShowCapacityChart(int tick)
{
    // A fresh chart per tick: nothing of the other series' axes stays behind.
    auto *view = static_cast<QChartView *>(ChartView);
    QChart *old = DBChart_pc;
    DBChart_pc = new QChart;
    DBChart_pc->legend()->hide();
    DBChart_pc->setTitle(old->title());
    view->setChart(DBChart_pc);
    delete old;
    ADOQuery_chart->close();
    const bool month = tick % 2 == 0;
    // As the totals: the month's records are found by range and summed per stored date
    // before the dates are cast.
    const QString sql = month
        ? QStringLiteral("WITH MonthDayList AS ( SELECT DATEFROMPARTS(YEAR(GETDATE()), MONTH(GETDATE()), 1) AS day_date     UNION ALL      "
                         "SELECT DATEADD(DAY, 1, day_date)     FROM MonthDayList      WHERE day_date < EOMONTH(GETDATE())) SELECT t.day_date AS 日期, "
                         "ROUND(ISNULL(SUM(f.jjje), 0), 2) AS 当日产量  FROM MonthDayList t   LEFT JOIN (SELECT riqi, SUM(jjje) AS jjje FROM f_jijm "
                         "WHERE riqi >= DATEFROMPARTS(YEAR(GETDATE()), MONTH(GETDATE()), 1) AND riqi < DATEADD(DAY, 1, EOMONTH(GETDATE())) "
                         "GROUP BY riqi) f  ON t.day_date = CAST(f.riqi AS DATE) GROUP BY t.day_date ORDER BY t.day_date;")
        : QStringLiteral("WITH DayPersonData AS (     SELECT         f.ry_name,         SUM(f.jjje) AS person_jjje,         ROW_NUMBER() "
                         "OVER(ORDER BY SUM(f.jjje) DESC) AS rn     FROM f_jijm f     WHERE f.riqi >= CAST(GETDATE() AS DATE) AND f.riqi < DATEADD(DAY, 1, CAST(GETDATE() AS DATE))     "
                         "GROUP BY f.ry_name ) SELECT ry_name,person_jjje FROM DayPersonData WHERE rn <= 20 ORDER BY rn;");
    try {
        ADOQuery_chart->setCommandText(sql);
        ADOQuery_chart->open();
    } catch (const std::exception &e) {
        AlertMess(QStringLiteral("脚本"), QString::fromUtf8(e.what()) + QLatin1Char('\r') + sql);
        return;
    }
    auto *set = new QBarSet(month ? QStringLiteral("Series1") : QStringLiteral("Series2"));
    set->setColor(month ? QColor(Qt::red) : QColor(Qt::yellow));
    set->setLabelColor(Qt::black);
    QStringList categories;
    double top = 0;
    for (int row = 0; row < ADOQuery_chart->recordCount(); ++row) {
        QString label = ADOQuery_chart->value(row, 0).toString();
        if (month)
            label = label.right(2);
        categories.append(label);
        const double v = ADOQuery_chart->value(row, 1).toDouble();
        set->append(v);
        top = qMax(top, v);
    }
    auto *series = new QBarSeries;
    series->setObjectName(month ? QStringLiteral("Series1") : QStringLiteral("Series2"));
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    DBChart_pc->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    if (month) {
        // A month of bars leaves each day too narrow for its figures written across.
        series->setLabelsAngle(-90);
        QFont small = x->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        x->setLabelsFont(small);
    }
    auto *y = new QValueAxis;
    y->setRange(0, top > 0 ? top * (month ? 1.8 : 1.15) : 1);
    DBChart_pc->addAxis(x, Qt::AlignBottom);
    DBChart_pc->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    DBChart_pc->setTitle(month ? QStringLiteral("月度日产量分析") : QStringLiteral("当日员工计件排名"));
}

void TOrdmon_form::Timer3Timer()
{
    Timer3->stop();
    wage::guardHandler(QStringLiteral("实时产能"), [this] {
        pageDown(DBGridEh_PC);
        QCoreApplication::processEvents();
        if (ADOQuery_pc->isActive() && ADOQuery_pc->eof())
            ADOQuery_pc->first();
        if (ADOQuery_SQL->isActive()) {
            if (ADOQuery_SQL->isEmpty()) {
                Label_dongtai->setText(QStringLiteral("脚本空"));
            } else {
                const QString name = ADOQuery_SQL->value(QStringLiteral("Script_name")).toString();
                if (ADOQuery_SQL->value(QStringLiteral("Script_active")).toBool()) {
                    Label_dongtai->setText(QStringLiteral("核算：") + name);
                    if (!RunSqlCommand(ADOQuery_SQL->value(QStringLiteral("Script")).toString(), connection))
                        AlertMess(QStringLiteral("自定义过程"), name);
                }
                ADOQuery_SQL->next();
                if (ADOQuery_SQL->eof())
                    ADOQuery_SQL->first();
            }
        }
        if (ADOQuery_pc->isActive())
            SetDataSetRefresh(ADOQuery_pc);
    });
    if (PageControl2->currentWidget() == TabSheet8)
        Timer3->start();
}
