// The realtime page: each piece record fed once, the totals, the alternating chart, and one
// "订单实时" script per tick with a failing script reported and the others still run.
#include "ordmonfixture.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QChartView>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

namespace wagetest {
namespace {

void tick(QTimer *timer)
{
    ASSERT_NE(timer, nullptr);
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

TEST_F(OrdmonFixture, RealtimePageFeedsTotalsChartAndScripts)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    exec(QStringLiteral("update f_jijm set jjje=ip_uuld*0.5, riqi=CAST(GETDATE() AS DATE)"));
    for (int i = 0; i < 60; ++i)
        addPieces(QStringLiteral("D1"), QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH1"), QStringLiteral("01"), 1, 1);
    exec(QStringLiteral("insert into f_sqlcase (script_type,script_table,script_name,Script_index,Script_active,Script) values "
                        "('订单实时','f_pici','坏脚本',1,1,'update no_such_table set x=1')"));
    exec(QStringLiteral("insert into f_sqlcase (script_type,script_table,script_name,Script_index,Script_active,Script) values "
                        "('订单实时','f_pici','入库',2,1,'update f_pici set CurDaySL=7')"));
    openMonitor();
    auto *pages = control<QTabWidget>("PageControl2");
    pages->setCurrentIndex(2);
    auto *timer2 = control<QTimer>("Timer2");
    auto *timer3 = control<QTimer>("Timer3");
    EXPECT_TRUE(timer2->isActive());
    EXPECT_TRUE(timer3->isActive());

    const QString scratch = db->tableNames().filter(QRegularExpression(QStringLiteral("^tmp"))).value(0);
    ASSERT_FALSE(scratch.isEmpty());
    tick(timer2);
    EXPECT_EQ(value(QStringLiteral("select count(*) from ") + scratch).toInt(), 50);
    EXPECT_EQ(value(QStringLiteral("select count(distinct dj_no) from ") + scratch).toInt(), 50);
    auto *chart = control<QChartView>("DBChart_pc");
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->chart()->title(), QStringLiteral("当日员工计件排名"));
    EXPECT_EQ(control<QLabel>("Label_day")->text(), QStringLiteral("当日：40"));
    tick(timer2);
    EXPECT_EQ(value(QStringLiteral("select count(*) from ") + scratch).toInt(), 50);
    EXPECT_EQ(chart->chart()->title(), QStringLiteral("月度日产量分析"));
    EXPECT_TRUE(timer2->isActive());

    tick(timer3);
    EXPECT_TRUE(prompt.saw(QStringLiteral("坏脚本")));
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurDaySL=7")).toInt(), 0);
    tick(timer3);
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurDaySL=7")).toInt(), 1);
    EXPECT_EQ(control<QLabel>("Label_dongtai")->text(), QStringLiteral("核算：入库"));

    pages->setCurrentIndex(0);
    EXPECT_FALSE(timer2->isActive());
    EXPECT_FALSE(timer3->isActive());
}

// Board mode with every order on one page: each tick reaches the end and runs the warehousing
// scripts; a failing one is reported by name and the next still runs. "自定义过程" runs only
// the active scripts.
TEST_F(OrdmonFixture, BoardModeAndCustomProcedures)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    addOrder(QStringLiteral("D2"));
    addOrder(QStringLiteral("D3"));
    const QString insert = QStringLiteral("insert into f_sqlcase (script_type,script_table,script_name,Script_index,Script_active,Script) "
                                          "values ('订单监控','f_pici','%1',%2,%3,'%4')");
    exec(insert.arg(QStringLiteral("坏的入库数量")).arg(1).arg(1).arg(QStringLiteral("update nowhere set x=1")));
    exec(insert.arg(QStringLiteral("今日入库数量")).arg(2).arg(0).arg(QStringLiteral("update f_pici set CurDaySL=3")));
    exec(insert.arg(QStringLiteral("月度成本")).arg(3).arg(1).arg(QStringLiteral("update f_pici set CurMonCB=5")));
    openMonitor();
    auto *board = control<QCheckBox>("CheckBox1");
    board->click();
    auto *timer1 = control<QTimer>("Timer1");
    EXPECT_TRUE(timer1->isActive());
    tick(timer1);
    EXPECT_TRUE(prompt.saw(QStringLiteral("坏的入库数量失败")));
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurDaySL=3")).toInt(), 3);
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurMonCB=5")).toInt(), 0);
    EXPECT_TRUE(timer1->isActive());

    exec(QStringLiteral("update f_pici set CurDaySL=null"));
    prompt.shown.clear();
    click("SpeedButton3");
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurMonCB=5")).toInt(), 3);
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pici where CurDaySL=3")).toInt(), 0);
    EXPECT_TRUE(prompt.saw(QStringLiteral("坏的入库数量")));
    board->click();
    EXPECT_FALSE(timer1->isActive());
}

// The totals and the chart read ranges of dates; they must give what the whole-table
// statements give, for records on the days around today, with and without a time of day.
TEST_F(OrdmonFixture, RealtimeTotalsAndChartMatchTheWholeTableStatements)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    exec(QStringLiteral("delete from f_jijm"));
    const QDate today = QDate::currentDate();
    for (int offset = -45; offset <= 10; ++offset) {
        const QDate day = today.addDays(offset);
        for (const QString &at : {day.toString(Qt::ISODate), day.toString(Qt::ISODate) + QStringLiteral(" 17:45:00")})
            db->execute(QStringLiteral("insert into f_jijm (riqi,ry_no,ry_name,pc_no,ip_no,gsxu_no,ip_uuld,jjje) "
                                       "values (:d,:w,:w,'D1','P1','01',1,:j)"),
                        {{"d", at}, {"w", QStringLiteral("W%1").arg(qAbs(offset) % 7)}, {"j", 50 + offset}});
    }
    openMonitor();
    control<QTabWidget>("PageControl2")->setCurrentIndex(2);
    auto *timer2 = control<QTimer>("Timer2");
    auto *view = control<QChartView>("DBChart_pc");
    ASSERT_NE(view, nullptr);
    auto bars = [view] {
        QList<double> values;
        for (QAbstractSeries *s : view->chart()->series())
            if (auto *bs = qobject_cast<QBarSeries *>(s))
                for (QBarSet *set : bs->barSets())
                    for (int i = 0; i < set->count(); ++i)
                        values.append(set->at(i));
        return values;
    };
    auto column = [this](const QString &sql, int index) {
        QList<double> values;
        for (const QVariantList &row : db->query(sql).rows)
            values.append(row.value(index).toDouble());
        return values;
    };

    tick(timer2);
    const QString total = QStringLiteral("SELECT ROUND(ISNULL(SUM(jjje),0),2) FROM f_jijm WHERE ");
    EXPECT_EQ(control<QLabel>("Label_day")->text(),
              QStringLiteral("当日：") + value(total + QStringLiteral("CONVERT(varchar(10), riqi, 120) = CONVERT(varchar(10), GETDATE(), 120)")).toString());
    EXPECT_EQ(control<QLabel>("Label_week")->text(),
              QStringLiteral("当周：") + value(total + QStringLiteral("YEAR(riqi) = YEAR(GETDATE()) AND DATEPART(WEEK, riqi) = DATEPART(WEEK, GETDATE())")).toString());
    EXPECT_EQ(control<QLabel>("Label_month")->text(),
              QStringLiteral("当月：") + value(total + QStringLiteral("YEAR(riqi) = YEAR(GETDATE()) AND MONTH(riqi) = MONTH(GETDATE())")).toString());
    EXPECT_EQ(bars(), column(QStringLiteral("WITH DayPersonData AS (SELECT f.ry_name, SUM(f.jjje) AS person_jjje, ROW_NUMBER() OVER(ORDER BY SUM(f.jjje) DESC) AS rn "
                                            "FROM f_jijm f WHERE CAST(f.riqi AS DATE) = CAST(GETDATE() AS DATE) GROUP BY f.ry_name) "
                                            "SELECT ry_name, person_jjje FROM DayPersonData WHERE rn <= 20 ORDER BY rn"), 1));
    EXPECT_FALSE(bars().isEmpty());

    tick(timer2);
    const QList<double> month = column(
        QStringLiteral("WITH MonthDayList AS (SELECT DATEFROMPARTS(YEAR(GETDATE()), MONTH(GETDATE()), 1) AS day_date UNION ALL "
                       "SELECT DATEADD(DAY, 1, day_date) FROM MonthDayList WHERE day_date < EOMONTH(GETDATE())) "
                       "SELECT t.day_date, ROUND(ISNULL(SUM(f.jjje), 0), 2) FROM MonthDayList t LEFT JOIN f_jijm f ON t.day_date = CAST(f.riqi AS DATE) "
                       "GROUP BY t.day_date ORDER BY t.day_date"),
        1);
    EXPECT_EQ(month.size(), today.daysInMonth());
    EXPECT_EQ(bars(), month);
}

} // namespace
} // namespace wagetest
