// The estimating window: its arithmetic, the write-back of a price and the wage-difference
// analysis on real databases of both dialects.
#include "wagehostfixture.h"

#include "estprice/estcalc.h"
#include "estprice/tyggjform.h"

#include "core/inifile.h"
#include "core/wageerror.h"
#include "db/dataset.h"
#include "kit/datagrid.h"
#include "kit/tradiogroup.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace wagetest;
using namespace estprice;

TEST(EstpriceTest, NumbersAreWrittenWithFifteenSignificantDigits)
{
    const struct {
        long double value;
        const char *text;
    } cases[] = {{180.0L / 1.17L, "153.846153846154"}, {180, "180"}, {1.5L, "1.5"}, {1.0L / 3, "0.333333333333333"},
                 {0, "0"}, {-2.5L, "-2.5"}, {1e20L, "1E20"}, {0.00001L, "1E-5"}, {123456789012345678.0L, "1.23456789012346E17"}};
    for (const auto &c : cases)
        EXPECT_EQ(formatNumber(c.value), QString::fromUtf8(c.text)) << c.text;
    for (const char *bad : {"abc", "", "1,5", "inf", "nan", "1e999"})
        EXPECT_THROW(readNumber(QString::fromUtf8(bad)), WageError) << bad;
    EXPECT_EQ(static_cast<double>(readNumber(QStringLiteral(" 2.5 "))), 2.5);
}

TEST(EstpriceTest, WageAndPriceEstimates)
{
    WageResult r = estimateWage(FromWage, {"3000", "25", "8", "10", "0"});
    EXPECT_EQ(r.price.value_or(QString()), QStringLiteral("1.5"));
    EXPECT_FALSE(r.wage);
    r = estimateWage(FromPrice, {"0", "25", "8", "10", "1.5"});
    EXPECT_EQ(r.wage.value_or(QString()), QStringLiteral("3000"));
    // A zero factor leaves the price as it is and says why.
    for (const char *days : {"0", "0.0"}) {
        r = estimateWage(FromWage, {"3000", days, "8", "10", "7"});
        EXPECT_FALSE(r.price) << days;
        EXPECT_FALSE(r.note.isEmpty());
    }
    EXPECT_THROW(estimateWage(FromWage, {"3000", "x", "8", "10", "7"}), WageError);
    EXPECT_THROW(estimateWage(FromPrice, {"0", "1e300", "1e300", "1e300", "1"}), WageError) << "overflow is no price";
}

TEST(EstpriceTest, CartonEstimates)
{
    const struct {
        int product;
        const char *l, *w, *h, *p;
        bool tax;
        const char *estimate;
    } cases[] = {
        {4, "12", "5", "0", "3", true, "153.846153846154"},
        {4, "12", "5", "0", "3", false, "180"},
        // The box halves its width inside the second factor: (100+5+160)*(2.5+10+40)*2.
        {0, "100", "5", "10", "1", false, "27825"},
        {1, "100", "50", "10", "1", false, "19000"},
        {2, "10", "20", "5", "1", false, "4200"},
        {3, "10", "20", "5", "1", false, "11000"},
    };
    for (const auto &c : cases) {
        const auto r = cartonEstimate(c.product, c.l, c.w, c.h, c.p, c.tax);
        ASSERT_TRUE(r) << c.product;
        EXPECT_EQ(r->estimate, QString::fromUtf8(c.estimate)) << c.product;
    }
    EXPECT_EQ(cartonEstimate(0, "1", "1", "1", "1", false)->caption,
              QStringLiteral("箱子估价:（长+宽+160）×（宽/2 +高+40）×2×单价÷1.17"));
    EXPECT_EQ(cartonEstimate(4, "1", "1", "1", "1", false)->caption, QStringLiteral("垫板估价:长×宽×单价÷1.17"));
    EXPECT_FALSE(cartonEstimate(-1, "1", "1", "1", "1", false));
}

TEST(EstpriceTest, CuttingTable)
{
    const struct {
        int category, kind;
        const char *first, *second, *count, *label;
    } cases[] = {
        {0, 0, "150", "85", "6", "五层箱子大片（长+50）“×”（宽1/2 +高+15）×2"},
        {0, 1, "90", "230", "6", "五层箱子小片（宽+50）“×\"（高 +180）×2"},
        {0, 2, nullptr, nullptr, "55", "五层箱子压印（高+5）"},
        {0, 3, nullptr, nullptr, "-75", "五层箱子反压印（高-200）÷2 "},
        {1, 0, "160", "95", "6", "七层箱子大片（长+60）“×”（宽1/2 +高+25）×2"},
        {2, 3, "180", "50", "6", "930以下筒形（长+宽+40）“× ” 高×2"},
        {3, 0, "140", "50", "6", "930以上筒形大片（长+40）“×”高  ×2"},
        {3, 1, "80", "50", "6", "930以上筒形小片(宽+40）“×”高   ×2"},
        {4, 2, "200", "140", "3", "箱底（长+高×2）×（宽+高×2）"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const CuttingResult r = cutting(c.category, c.kind, "100", "40", "50", "3");
        EXPECT_EQ(r.first.value_or(QStringLiteral("-")), c.first ? QString::fromUtf8(c.first) : QStringLiteral("-"));
        EXPECT_EQ(r.second.value_or(QStringLiteral("-")), c.second ? QString::fromUtf8(c.second) : QStringLiteral("-"));
        EXPECT_EQ(r.count.value_or(QStringLiteral("-")), QString::fromUtf8(c.count));
        EXPECT_EQ(r.label, QString::fromUtf8(c.label));
        EXPECT_TRUE(r.error.isEmpty());
    }
}

namespace {

struct Estimator {
    explicit Estimator(wage::Dialect dialect = wage::Dialect::Access) : host(dialect)
    {
        host.exec(QStringLiteral("insert into f_ijpn (ip_no,ip_name) values ('A01','纸箱')"));
        host.exec(QStringLiteral("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw) values (1,'G''1','开槽',0.5)"));
        host.exec(QStringLiteral("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,ip_djjw) values (1,'G2','钉箱',0.8)"));
        host.module(QStringLiteral("f_ijpn"))->master->requery();
        host.attach(&form, QStringLiteral("f_ijpn"));
        form.SetUpData();
    }
    WageHost host;
    TYggjForm form;
};

} // namespace

TEST(EstpriceTest, WindowRecomputesAsBoxesChangeAndNeverShowsInfinity)
{
    Estimator e;
    e.form.LEdit2->setText(QStringLiteral("25"));
    e.form.LEdit3->setText(QStringLiteral("8"));
    e.form.LEdit4->setText(QStringLiteral("10"));
    e.form.LEdit1->setText(QStringLiteral("3000"));
    EXPECT_EQ(e.form.LEdit5->text(), QStringLiteral("1.5"));
    // An emptied box becomes "0"; a zero factor leaves the price and says so.
    e.form.LEdit2->setText(QString());
    EXPECT_EQ(e.form.LEdit2->text(), QStringLiteral("0"));
    EXPECT_EQ(e.form.LEdit5->text(), QStringLiteral("1.5"));
    EXPECT_FALSE(e.form.LabelNote->text().isEmpty());
    e.form.LEdit2->setText(QStringLiteral("abc"));
    EXPECT_TRUE(e.form.LabelNote->text().contains(QStringLiteral("abc")));
    EXPECT_EQ(e.form.LEdit5->text(), QStringLiteral("1.5"));
    // The other mode computes the wage.
    e.form.LEdit2->setText(QStringLiteral("20"));
    e.form.RadioGroup1->setItemIndex(1);
    e.form.LEdit5->setText(QStringLiteral("2"));
    EXPECT_EQ(e.form.LEdit1->text(), QStringLiteral("3200"));
    EXPECT_TRUE(e.form.LabelNote->text().isEmpty());
    EXPECT_TRUE(e.host.prompt.shown.isEmpty());
}

TEST(EstpriceTest, WindowCartonAndCuttingBoxes)
{
    Estimator e;
    EXPECT_EQ(e.form.GroupBox2->title(), QStringLiteral("纸箱估价（长+宽+160）×（宽÷2 +高+40）×2×单价÷1.17"));
    e.form.ZxLEdit1->setText(QStringLiteral("12"));
    e.form.ZxLEdit2->setText(QStringLiteral("5"));
    e.form.ZxLEdit4->setText(QStringLiteral("3"));
    EXPECT_EQ(e.form.ZxLEdit5->text(), QStringLiteral("0")) << "nothing before a product is chosen";
    e.form.RadioGroup2->setItemIndex(4);
    EXPECT_EQ(e.form.ZxLEdit5->text(), QStringLiteral("153.846153846154"));
    e.form.CheckBox1->click();
    EXPECT_EQ(e.form.ZxLEdit5->text(), QStringLiteral("180"));
    EXPECT_EQ(e.form.GroupBox2->title(), QStringLiteral("垫板估价:长×宽×单价÷1.17"));

    e.form.KlLEdit1->setText(QStringLiteral("100"));
    e.form.KlLEdit2->setText(QStringLiteral("40"));
    e.form.KlLEdit3->setText(QStringLiteral("50"));
    e.form.KlLEdit4->setText(QStringLiteral("3"));
    EXPECT_EQ(e.form.KlLEdit5->text(), QStringLiteral("150"));
    EXPECT_EQ(e.form.KlLEdit6->text(), QStringLiteral("85"));
    // "压印" after "大片" keeps the two sizes of "大片".
    e.form.RadioGroup4->setItemIndex(2);
    EXPECT_EQ(e.form.KlLEdit5->text(), QStringLiteral("150"));
    EXPECT_EQ(e.form.KlLEdit6->text(), QStringLiteral("85"));
    EXPECT_EQ(e.form.KlLEdit7->text(), QStringLiteral("55"));
    EXPECT_EQ(e.form.Label1->text(), QStringLiteral("五层箱子压印（高+5）"));
    // "930以下筒形" copies the height text as typed.
    e.form.RadioGroup3->setItemIndex(2);
    e.form.KlLEdit3->setText(QStringLiteral("abc"));
    EXPECT_EQ(e.form.KlLEdit6->text(), QStringLiteral("abc"));
    EXPECT_EQ(e.form.KlLEdit5->text(), QStringLiteral("180"));
}

TEST(EstpriceTest, ConfirmedPriceIsWrittenToTheCurrentProcess)
{
    Estimator e;
    ASSERT_EQ(e.form.ADOQuery1->recordCount(), 2);
    e.form.ADOQuery1->locate(QStringLiteral("gsxu_no"), QStringLiteral("G2"));
    e.form.LEdit5->setText(QStringLiteral("1.25"));
    e.form.ToolButton1->click();
    EXPECT_DOUBLE_EQ(e.host.scalar(QStringLiteral("select ip_djjw from f_ipgx where gsxu_no='G2'")).toDouble(), 1.25);
    EXPECT_DOUBLE_EQ(e.host.scalar(QStringLiteral("select ip_djjw from f_ipgx where gsxu_no='G''1'")).toDouble(), 0.5);

    // A price that is no number is refused and the row keeps its value.
    e.form.LEdit5->setText(QStringLiteral("1,5"));
    e.form.ToolButton1->click();
    EXPECT_EQ(e.host.prompt.shown.size(), 1);
    EXPECT_DOUBLE_EQ(e.host.scalar(QStringLiteral("select ip_djjw from f_ipgx where gsxu_no='G2'")).toDouble(), 1.25);
    EXPECT_EQ(e.form.ADOQuery1->state(), wage::Dataset::Browse);

    // A product without processes: nothing is added to f_ipgx.
    e.host.exec(QStringLiteral("delete from f_ipgx"));
    e.form.ADOQuery1->requery();
    e.form.ToolButton1->click();
    EXPECT_EQ(e.host.scalar(QStringLiteral("select count(*) from f_ipgx")).toInt(), 0);
}

TEST(EstpriceTest, WageDifferenceAnalysisInBothDialects)
{
    for (wage::Dialect dialect : {wage::Dialect::Access, wage::Dialect::MsSql}) {
        SCOPED_TRACE(wage::dialectName(dialect).toStdString());
        Estimator e(dialect);
        const QString insert = QStringLiteral(
            "insert into f_jijm (riqi,ry_no,ry_name,ip_no,ip_name,gsxu_no,ip_gsxu,ip_djjw,ip_uuld,jjje) values "
            "('%1','%2','%3','A01','纸箱','%4','开槽',0.5,%5,%6)");
        e.host.exec(insert.arg(QStringLiteral("2026-03-02"), QStringLiteral("001"), QStringLiteral("张三"), QStringLiteral("G''1"))
                        .arg(100)
                        .arg(50));
        e.host.exec(insert.arg(QStringLiteral("2026-03-05"), QStringLiteral("001"), QStringLiteral("张三"), QStringLiteral("G''1"))
                        .arg(20)
                        .arg(10));
        e.host.exec(insert.arg(QStringLiteral("2026-03-04"), QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("G''1"))
                        .arg(40)
                        .arg(20));
        // Outside the period, and another process.
        e.host.exec(insert.arg(QStringLiteral("2026-04-01"), QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("G''1"))
                        .arg(999)
                        .arg(1));
        e.host.exec(insert.arg(QStringLiteral("2026-03-03"), QStringLiteral("002"), QStringLiteral("李四"), QStringLiteral("G2"))
                        .arg(999)
                        .arg(1));
        e.form.PlaceWindow();
        ASSERT_TRUE(e.form.ADOQuery1->locate(QStringLiteral("gsxu_no"), QStringLiteral("G'1")));
        e.form.DateTimePicker1->setDate(QDate(2026, 3, 1));
        e.form.DateTimePicker2->setDate(QDate(2026, 3, 31));
        e.form.LEdit5->setText(QStringLiteral("0.6"));
        for (int round = 0; round < 2; ++round) {   // the table is dropped and made again
            e.form.Button1->click();
            const QString sql = QStringLiteral("select ry_no,ip_uuld,jjje,Y_jjje from %1 order by ry_no").arg(e.form.scratchTable);
            const wage::QueryResult r = e.host.db()->query(sql);
            ASSERT_EQ(r.rows.size(), 2);
            EXPECT_EQ(r.rows[0][0].toString(), QStringLiteral("001"));
            EXPECT_DOUBLE_EQ(r.rows[0][1].toDouble(), 120);
            EXPECT_DOUBLE_EQ(r.rows[0][2].toDouble(), 60);
            EXPECT_DOUBLE_EQ(r.rows[0][3].toDouble(), 72);
            EXPECT_DOUBLE_EQ(r.rows[1][3].toDouble(), 24);
            EXPECT_EQ(e.form.ADOQuery2->recordCount(), 2);
            EXPECT_EQ(e.form.DBGridEh1->titleText(e.form.DBGridEh1->columnOfField(QStringLiteral("Y_jjje"))),
                      QStringLiteral("估算金额"));
        }
        // A price that is no number leaves the estimate empty; it never reaches the statement.
        e.form.LEdit5->setText(QStringLiteral("0 where 1=0"));
        e.form.Button1->click();
        EXPECT_TRUE(e.host.scalar(QStringLiteral("select Y_jjje from %1").arg(e.form.scratchTable)).isNull());
        EXPECT_TRUE(e.host.prompt.shown.isEmpty()) << e.host.prompt.texts().join(QLatin1Char('|')).toStdString();
    }
}

TEST(EstpriceTest, WindowSizeIsRememberedInUsertemIni)
{
    Estimator e;
    e.host.dir.write(QStringLiteral("Usertem.ini"), "[display]\r\nEstprice_H=400\r\nEstprice_W=700\r\n");
    e.form.show();
    e.form.PlaceWindow();
    EXPECT_EQ(e.form.height(), 400);
    EXPECT_EQ(e.form.width(), 700);
    EXPECT_TRUE(e.form.scratchTable.startsWith(QStringLiteral("tmp")));
    e.form.resize(640, 380);
    e.form.close();
    const wage::IniFile ini(e.host.dir.file(QStringLiteral("Usertem.ini")));
    EXPECT_EQ(ini.value(QStringLiteral("display"), QStringLiteral("Estprice_H")), QStringLiteral("380"));
    EXPECT_EQ(ini.value(QStringLiteral("display"), QStringLiteral("Estprice_W")), QStringLiteral("640"));
}
