// The figures of the progress computation, read back from the database after a run.
#include "ordmonfixture.h"

#include <QRadioButton>

#include <cmath>

namespace wagetest {
namespace {

struct Case {
    wage::Dialect dialect;
    int mode;
};

class Computation : public OrdmonFixture, public ::testing::WithParamInterface<Case> {};

std::string caseName(const ::testing::TestParamInfo<Case> &info)
{
    return (info.param.dialect == wage::Dialect::Access ? std::string("Access") : std::string("MsSql")) + "Mode"
           + std::to_string(info.param.mode);
}

// Refresh with scope "当前订单": rebuild the line's process rows, then the summary run.
TEST_P(Computation, WorkedExampleGivesTheDocumentedFigures)
{
    makeDatabase(GetParam().dialect, GetParam().mode);
    seedWorkedExample();
    openMonitor();
    click("ToolButton1");

    struct Row {
        const char *gsxu;
        double dhul, sjcl, days, rjcl, wwsl, syts;
    };
    for (const Row &r : {Row{"01", 100, 30, 3, 10, 70, 7}, Row{"02", 200, 50, 2, 25, 150, 6}}) {
        const wage::QueryResult q = db->query(
            QStringLiteral("select pc_dhul,pc_sjcl,ip_days,ip_rjcl,pc_wwsl,ip_syts,pc_no,workhours from f_pcjk where gsxu_no='%1'")
                .arg(QLatin1String(r.gsxu)));
        ASSERT_EQ(q.rows.size(), 1) << r.gsxu;
        const QVariantList &v = q.rows.first();
        EXPECT_DOUBLE_EQ(v[0].toDouble(), r.dhul) << r.gsxu;
        EXPECT_DOUBLE_EQ(v[1].toDouble(), r.sjcl) << r.gsxu;
        EXPECT_DOUBLE_EQ(v[2].toDouble(), r.days) << r.gsxu;
        EXPECT_DOUBLE_EQ(v[3].toDouble(), r.rjcl) << r.gsxu;
        EXPECT_DOUBLE_EQ(v[4].toDouble(), r.wwsl) << r.gsxu;
        EXPECT_DOUBLE_EQ(v[5].toDouble(), r.syts) << r.gsxu;
        EXPECT_EQ(v[6].toString(), QStringLiteral("D1"));
        EXPECT_NEAR(v[7].toDouble(), 0.1, 1e-9);
    }
    const bool access = GetParam().dialect == wage::Dialect::Access;
    const wage::QueryResult line = db->query(QStringLiteral("select ip_dwsccb,pc_total,ip_jhsccb,pc_uizuu,pc_ilwcl from f_pcmx"));
    ASSERT_EQ(line.rows.size(), 1);
    EXPECT_NEAR(line.rows[0][0].toDouble(), 1.1, 1e-9);
    EXPECT_NEAR(line.rows[0][1].toDouble(), 30, 1e-9);
    EXPECT_NEAR(line.rows[0][2].toDouble(), 110, 1e-9);
    if (access) {
        EXPECT_TRUE(line.rows[0][3].isNull());
        EXPECT_TRUE(line.rows[0][4].isNull());
    } else {
        EXPECT_DOUBLE_EQ(line.rows[0][3].toDouble(), 25);
        EXPECT_DOUBLE_EQ(line.rows[0][4].toDouble(), 0.25);
    }
    const wage::QueryResult order = db->query(QStringLiteral("select pc_total,ip_jhsccb,WorkHours,shengchanYK from f_pici"));
    EXPECT_NEAR(order.rows[0][0].toDouble(), 30, 1e-9);
    EXPECT_NEAR(order.rows[0][1].toDouble(), 110, 1e-9);
    EXPECT_NEAR(order.rows[0][2].toDouble(), 30, 1e-9);
    EXPECT_NEAR(order.rows[0][3].toDouble(), 80, 1e-9);
    EXPECT_TRUE(prompt.shown.isEmpty() || !prompt.saw(QStringLiteral("工序为空")));
}

// Quotients of money columns holding whole numbers are fractions: pc_wcl 30/110, and with a
// line of 105 units ip_syts 75/10.
TEST_P(Computation, FiguresThatDoNotDivideEvenly)
{
    makeDatabase(GetParam().dialect, GetParam().mode);
    seedWorkedExample();
    exec(QStringLiteral("update f_pcmx set pc_dhul=105"));
    openMonitor();
    click("ToolButton1");
    EXPECT_NEAR(number(QStringLiteral("select ip_syts from f_pcjk where gsxu_no='01'")), 7.5, 1e-9);
    EXPECT_NEAR(number(QStringLiteral("select pc_wcl from f_pici")), 30.0 / 115.5, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Modes, Computation,
                         ::testing::Values(Case{wage::Dialect::Access, 0}, Case{wage::Dialect::Access, 1},
                                           Case{wage::Dialect::Access, 2}, Case{wage::Dialect::MsSql, 0},
                                           Case{wage::Dialect::MsSql, 1}, Case{wage::Dialect::MsSql, 2}),
                         caseName);

// Rows without records, over-production, a last process with zcsl 0, and a finished quantity
// left from an earlier run while the last process has no records yet.
TEST_F(OrdmonFixture, EdgeFiguresOfProcessRowsAndFinishedQuantity)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    const int a = addProduct(QStringLiteral("PA"), QStringLiteral("GA"));
    addProcess(a, QStringLiteral("01"), 1, 0.5, 0, false);   // over-produced
    addProcess(a, QStringLiteral("02"), 1, 0.5, 0, false);   // no records
    addProcess(a, QStringLiteral("03"), 0, 0.5, 0, true);    // last, zcsl 0
    const int b = addProduct(QStringLiteral("PB"), QStringLiteral("GB"));
    addProcess(b, QStringLiteral("01"), 1, 0.5, 0, true);    // last, no records
    const int pc = addOrder(QStringLiteral("D9"));
    addLine(pc, QStringLiteral("PA"), QStringLiteral("GA"), QStringLiteral("B1"), 10);
    addLine(pc, QStringLiteral("PB"), QStringLiteral("GB"), QStringLiteral("B1"), 10);
    addPieces(QStringLiteral("D9"), QStringLiteral("PA"), QStringLiteral("GA"), QStringLiteral("B1"), QStringLiteral("01"), 15, 1);
    addPieces(QStringLiteral("D9"), QStringLiteral("PA"), QStringLiteral("GA"), QStringLiteral("B1"), QStringLiteral("03"), 4, 1);
    exec(QStringLiteral("update f_pcmx set pc_uizuu=40"));
    openMonitor();
    exec(QStringLiteral("update f_pcjk set ip_syts=99"));
    click("ToolButton1");

    const wage::QueryResult over = db->query(QStringLiteral("select pc_wwsl,ip_syts from f_pcjk where ip_no='PA' and gsxu_no='01'"));
    EXPECT_DOUBLE_EQ(over.rows[0][0].toDouble(), -5);
    const wage::QueryResult none = db->query(
        QStringLiteral("select pc_sjcl,ip_days,ip_rjcl,pc_wwsl from f_pcjk where ip_no='PA' and gsxu_no='02'"));
    EXPECT_DOUBLE_EQ(none.rows[0][0].toDouble(), 0);
    EXPECT_DOUBLE_EQ(none.rows[0][1].toDouble(), 0);
    EXPECT_TRUE(none.rows[0][2].isNull());
    EXPECT_DOUBLE_EQ(none.rows[0][3].toDouble(), 10);
    // Rows are rebuilt by the refresh: ip_syts keeps only what the run itself wrote.
    EXPECT_TRUE(value(QStringLiteral("select ip_syts from f_pcjk where ip_no='PA' and gsxu_no='02'")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select ip_syts from f_pcjk where ip_no='PA' and gsxu_no='01'")).isNull());
    // zcsl 0 of the last process, and a last process without records: no finished quantity.
    EXPECT_TRUE(value(QStringLiteral("select pc_uizuu from f_pcmx where ip_no='PA'")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select pc_uizuu from f_pcmx where ip_no='PB'")).isNull());
    EXPECT_TRUE(value(QStringLiteral("select pc_ilwcl from f_pcmx where ip_no='PB'")).isNull());
}

// Mode 2: two batches of one product in one order are two lines with figures of their own.
TEST_F(OrdmonFixture, BatchModeKeepsTwoBatchesOfOneProductApart)
{
    makeDatabase(wage::Dialect::MsSql, 2);
    const int p = addProduct(QStringLiteral("P1"), QStringLiteral("G1"));
    addProcess(p, QStringLiteral("01"), 1, 0.5, 0, false);
    addProcess(p, QStringLiteral("02"), 1, 1.0, 0, true);
    const int pc = addOrder(QStringLiteral("D2"));
    addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("X"), 100);
    addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("Y"), 50);
    addPieces(QStringLiteral("D2"), QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("X"), QStringLiteral("01"), 40, 1);
    addPieces(QStringLiteral("D2"), QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("X"), QStringLiteral("02"), 20, 1);
    addPieces(QStringLiteral("D2"), QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("Y"), QStringLiteral("02"), 10, 1);
    openMonitor();
    click("ToolButton1");

    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pcjk")).toInt(), 4);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_sjcl from f_pcjk where g_ph='X' and gsxu_no='01'")), 40);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_sjcl from f_pcjk where g_ph='Y' and gsxu_no='02'")), 10);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_dhul from f_pcjk where g_ph='Y' and gsxu_no='01'")), 50);
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pcmx where g_ph='X'")), 40 * 0.5 + 20 * 1.0, 1e-9);
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pcmx where g_ph='Y'")), 10 * 1.0, 1e-9);
    EXPECT_NEAR(number(QStringLiteral("select ip_dwsccb from f_pcmx where g_ph='Y'")), 1.5, 1e-9);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_uizuu from f_pcmx where g_ph='X'")), 20);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_uizuu from f_pcmx where g_ph='Y'")), 10);
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pici")), 40 + 10, 1e-9);
}

// A product number with one f_ijpn row per 规格 (size) has no single id: no last process,
// pc_uizuu untouched, the other figures computed.
TEST_F(OrdmonFixture, ProductNumberWithSeveralRowsLeavesFinishedQuantityAlone)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    addProduct(QStringLiteral("P1"), QStringLiteral("G2"));
    exec(QStringLiteral("update f_pcmx set pc_uizuu=7"));
    openMonitor();
    click("ToolButton1");
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_uizuu from f_pcmx")), 7);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_sjcl from f_pcjk where gsxu_no='02'")), 50);
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pcmx")), 30, 1e-9);
}

// Numbers with an apostrophe are one value in every statement.
TEST_F(OrdmonFixture, ApostropheInOrderAndProductNumbers)
{
    makeDatabase(wage::Dialect::MsSql, 2);
    const int p = addProduct(QStringLiteral("P'1"), QStringLiteral("G'1"));
    addProcess(p, QStringLiteral("0'1"), 1, 0.5, 0, true);
    const int pc = addOrder(QStringLiteral("D'1"));
    addLine(pc, QStringLiteral("P'1"), QStringLiteral("G'1"), QStringLiteral("B'1"), 100);
    addPieces(QStringLiteral("D'1"), QStringLiteral("P'1"), QStringLiteral("G'1"), QStringLiteral("B'1"), QStringLiteral("0'1"), 30, 2);
    openMonitor();
    click("ToolButton1");
    EXPECT_EQ(value(QStringLiteral("select pc_no from f_pcjk")).toString(), QStringLiteral("D'1"));
    EXPECT_EQ(value(QStringLiteral("select g_ph from f_pcjk")).toString(), QStringLiteral("B'1"));
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_sjcl from f_pcjk")), 60);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_uizuu from f_pcmx")), 60);
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pici")), 30, 1e-9);
}

} // namespace
} // namespace wagetest
