// The piece-rate options dialog on a real wage database inside the host's piece-record module.
#include "wagehostfixture.h"

#include "contract/hostrestart.h"
#include "pieceopt/tjjxxform.h"

#include "db/datasource.h"
#include "kit/tradiogroup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "db/dbroutines.h"

using namespace wagetest;

namespace {

struct Options {
    explicit Options(wage::Dialect dialect = wage::Dialect::Access, bool dept = true) : host(dialect, dept)
    {
        host.attach(&form, QStringLiteral("f_jijm"));
        wage::setRestartHook([this] { ++restarts; });
    }
    ~Options() { wage::setRestartHook(nullptr); }

    wage::Dataset *records() { return host.module(QStringLiteral("f_jijm"))->master; }
    QString opensql() const
    {
        return host.scalar(QStringLiteral("select opensql from f_moduinfo where mod_table='f_jijm'")).toString();
    }
    QString registry(const QString &table, const QString &field, const QString &column) const
    {
        return host.scalar(QStringLiteral("select %1 from f_system where table_name='%2' and field_name='%3'")
                               .arg(column, table, field))
            .toString();
    }
    int registryRows(const QString &table, const QString &field) const
    {
        return host.scalar(QStringLiteral("select count(*) from f_system where table_name='%1' and field_name='%2'").arg(table, field))
            .toInt();
    }

    WageHost host;
    TJJXXForm form;
    int restarts = 0;
};

} // namespace

TEST(PieceoptTest, FirstUseOnEmptySettingsStoresDayCountModeAndOpeningQuery)
{
    Options o;
    o.form.LoadSwitches();
    EXPECT_EQ(o.form.RadioGroup0->ItemIndex(), -1);
    EXPECT_EQ(o.form.Edit1->text(), QStringLiteral("30"));
    for (QCheckBox *box : {o.form.CheckBox1, o.form.CheckBox2, o.form.CheckBox3, o.form.CheckBox4, o.form.CheckBox5,
                           o.form.CheckBox7})
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(o.form.Price_mode->ItemIndex(), 0);
    // Loading Price_mode 0 is a choice of "不执行", with its notice (no Alert.dll: a plain box).
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("计价策略执行方式  已选择  不执行")));
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_mode")), -1);

    o.form.show();
    o.form.RadioGroup0->setItemIndex(0);
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("数据打开模式  已选择  打开近")));
    o.form.BitBtn1->click();

    const QString query = QStringLiteral("select * from f_jijm where riqi>=date()-30\r\n");
    EXPECT_EQ(o.records()->commandText(), query);
    EXPECT_TRUE(o.records()->isActive());
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_day")), 30);
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_mode")), 0);
    EXPECT_EQ(o.opensql(), query);
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("变动已生效。")));
    EXPECT_FALSE(o.form.isVisible());
    EXPECT_TRUE(o.form.appliedQuery.isEmpty()) << "closing clears the kept query";
}

TEST(PieceoptTest, DayCountIsStoredOnlyWhenTheStoredModeWasDays)
{
    Options o;
    o.host.exec(QStringLiteral("insert into tempconfig (key_name,key_index) values ('jijmopen_mode',1)"));
    o.host.exec(QStringLiteral("insert into tempconfig (key_name,key_index) values ('jijmopen_day',30)"));
    o.form.LoadSwitches();
    EXPECT_EQ(o.form.RadioGroup0->ItemIndex(), 1);
    o.form.RadioGroup0->setItemIndex(0);
    o.form.Edit1->setText(QStringLiteral("7"));
    o.form.BitBtn1->click();
    EXPECT_EQ(o.opensql(), QStringLiteral("select * from f_jijm where riqi>=date()-7\r\n"));
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_day")), 30);
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_mode")), 0);

    // The next application finds mode 0 stored and keeps the day count.
    o.form.LoadSwitches();
    EXPECT_EQ(o.form.Edit1->text(), QStringLiteral("30"));
    o.form.Edit1->setText(QStringLiteral("7"));
    o.form.BitBtn1->click();
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_day")), 7);

    // Month and all: their own texts in opensql.
    o.form.RadioGroup0->setItemIndex(1);
    o.form.BitBtn1->click();
    EXPECT_EQ(o.opensql(),
              QStringLiteral("select * from f_jijm where year(riqi)=year(date()) and  month(riqi)=month(date())\r\n"));
    o.form.RadioGroup0->setItemIndex(2);
    o.form.BitBtn1->click();
    EXPECT_EQ(o.opensql(), QStringLiteral("select * from f_jijm \r\n"));
    EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_mode")), 2);
}

TEST(PieceoptTest, DayCountThatIsNoWholeNumberIsRefusedBeforeTheRecordsAreTouched)
{
    Options o;
    o.host.exec(QStringLiteral("insert into f_jijm (ry_no,ry_name,riqi) values ('001','张三',date())"));
    o.records()->requery();
    const QString before = o.records()->commandText();
    o.form.show();
    o.form.RadioGroup0->setItemIndex(0);
    for (const char *days : {"1.5", "", "abc", "3 or 1=1", "-5", "30;delete from f_jijm"}) {
        SCOPED_TRACE(days);
        o.host.prompt.shown.clear();
        o.form.Edit1->setText(QString::fromUtf8(days));
        o.form.BitBtn1->click();
        ASSERT_EQ(o.host.prompt.shown.size(), 1);
        EXPECT_EQ(o.host.prompt.shown.first().kind, wage::PromptKind::Warning);
        EXPECT_TRUE(o.host.prompt.shown.first().text.contains(QStringLiteral("整数")));
        EXPECT_TRUE(o.records()->isActive());
        EXPECT_EQ(o.records()->commandText(), before);
        EXPECT_EQ(o.records()->recordCount(), 1);
        EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_mode")), -1);
        EXPECT_EQ(o.host.setting(QStringLiteral("jijmopen_day")), -1);
        EXPECT_TRUE(o.form.isVisible());
    }
    EXPECT_EQ(o.opensql(), QStringLiteral("select * from f_jijm "));
}

TEST(PieceoptTest, PricingChoicesShowTheirOptionsAndTheProgressionOnlyOnTheServer)
{
    for (wage::Dialect dialect : {wage::Dialect::Access, wage::Dialect::MsSql}) {
        SCOPED_TRACE(wage::dialectName(dialect).toStdString());
        Options o(dialect);
        o.form.LoadSwitches();
        o.form.show();
        struct {
            int item;
            bool type, reminders;
        } cases[] = {{2, true, true}, {0, false, false}, {1, false, true}, {2, true, true}};
        for (const auto &c : cases) {
            o.form.Price_mode->setItemIndex(c.item);
            EXPECT_EQ(o.form.Price_type->isVisible(), c.type) << c.item;
            EXPECT_EQ(o.form.CheckBox1->isVisible(), c.reminders) << c.item;
            EXPECT_EQ(o.form.CheckBox7->isVisible(), c.reminders) << c.item;
        }
        EXPECT_EQ(o.form.Price_type->isEnabled(), dialect == wage::Dialect::MsSql);
        EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("计价策略执行方式  已选择  按天")));
    }
}

TEST(PieceoptTest, StoredPricingModeDecidesWhatShowsWhenLoaded)
{
    Options o;
    for (const char *sql : {"insert into tempconfig (key_name,key_index) values ('Price_mode',2)",
                            "insert into tempconfig (key_name,key_index) values ('Price_type',1)",
                            "insert into tempconfig (key_name,key_index) values ('dingdan_mode',1)",
                            "insert into tempconfig (key_name,key_index) values ('statistics_mode',2)",
                            "insert into tempconfig (key_name,key_index) values ('Reward_mode',1)"})
        o.host.exec(QString::fromUtf8(sql));
    o.form.LoadSwitches();
    o.form.show();
    EXPECT_TRUE(o.form.Price_type->isVisible());
    EXPECT_EQ(o.form.Price_type->ItemIndex(), 1);
    EXPECT_TRUE(o.form.CheckBox2->isChecked());
    EXPECT_TRUE(o.form.RadioGroup1->isVisible());
    EXPECT_EQ(o.form.RadioGroup1->ItemIndex(), 2);
    EXPECT_TRUE(o.form.CheckBox4->isChecked());
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("订单控制方式  已选择  生产批次控制")));
    o.form.CheckBox2->setChecked(false);
    EXPECT_FALSE(o.form.RadioGroup1->isVisible());
}

TEST(PieceoptTest, SavingTwiceCreatesColumnsAndRegistryRowsOnceAndLeavesOrderEntriesAlone)
{
    Options o;
    o.form.LoadSwitches();
    const QString ipNameLookup = o.registry(QStringLiteral("f_jijm"), QStringLiteral("ip_name"), QStringLiteral("field_onkey"));
    const QString pcNoVisible = o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_no"), QStringLiteral("field_visible"));
    o.form.CheckBox3->setChecked(true);
    o.form.CheckBox4->setChecked(true);
    o.form.Price_mode->setItemIndex(2);
    o.form.Price_type->setItemIndex(1);
    o.form.show();
    o.form.SpeedButton2->click();

    EXPECT_EQ(o.host.setting(QStringLiteral("process_mode")), 1);
    EXPECT_EQ(o.host.setting(QStringLiteral("Reward_mode")), 1);
    EXPECT_EQ(o.host.setting(QStringLiteral("Salary_mode")), 0);
    EXPECT_EQ(o.host.setting(QStringLiteral("Price_mode")), 2);
    EXPECT_EQ(o.host.setting(QStringLiteral("Price_type")), 1);
    EXPECT_EQ(o.host.setting(QStringLiteral("statistics_mode")), 0);
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("超额奖励策略数据环境更新完成！")));
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("重新启动计件工资模块，变动生效。")));
    EXPECT_FALSE(o.form.isVisible());
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("jiangli"), QStringLiteral("field_visible")), QStringLiteral("无焦点"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("bzgs"), QStringLiteral("field_visible")), QStringLiteral("显示"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("jiangli"), QStringLiteral("grid_index")), QStringLiteral("25"));
    EXPECT_EQ(o.registry(QStringLiteral("f_iejl"), QStringLiteral("jiangli"), QStringLiteral("field_caption")), QStringLiteral("奖励"));

    // Second save with the reward off: nothing created again, only the visibility switches.
    o.host.prompt.shown.clear();
    o.form.LoadSwitches();
    o.form.CheckBox4->setChecked(false);
    o.form.Price_mode->setItemIndex(0);
    o.form.Price_type->setItemIndex(0);
    o.form.show();
    o.form.SpeedButton2->click();
    EXPECT_FALSE(o.host.prompt.saw(QStringLiteral("超额奖励策略数据环境更新完成！")));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("jiangli"), QStringLiteral("field_visible")), QStringLiteral("隐藏"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("bzgs"), QStringLiteral("field_visible")), QStringLiteral("隐藏"));
    EXPECT_EQ(o.host.setting(QStringLiteral("Price_type")), 1) << "stored only while the progression shows";
    for (const char *field : {"jiangli", "bzgs"})
        EXPECT_EQ(o.registryRows(QStringLiteral("f_jijm"), QString::fromUtf8(field)), 1) << field;
    for (const char *field : {"gsxu_no", "jihua", "jiangli", "bzgs"})
        EXPECT_EQ(o.registryRows(QStringLiteral("f_iejl"), QString::fromUtf8(field)), 1) << field;
    for (const char *field : {"Day_Salary", "Day_SalaryH", "Day_SalaryL"}) {
        EXPECT_EQ(o.registryRows(QStringLiteral("f_rfyr"), QString::fromUtf8(field)), 1) << field;
        EXPECT_TRUE(GetFieldExistCon(QStringLiteral("f_rfyr"), QString::fromUtf8(field), o.host.db())) << field;
    }
    EXPECT_EQ(o.registry(QStringLiteral("f_rfyr"), QStringLiteral("Day_SalaryH"), QStringLiteral("field_caption")),
              QStringLiteral("日薪上限"));
    EXPECT_EQ(o.host.scalar(QStringLiteral("select count(*) from f_iejl")).toInt(), 0);
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("ip_name"), QStringLiteral("field_onkey")), ipNameLookup);
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_no"), QStringLiteral("field_visible")), pcNoVisible);
}

TEST(PieceoptTest, OrderModeMigratesTheSpecificationColumnRewritesLookupsAndRestarts)
{
    Options o;
    o.host.exec(QStringLiteral("drop table f_pcmx"));
    o.host.exec(QStringLiteral("create table f_pcmx (mx_id int, pc_id int, ip_no nvarchar(30), ip_name nvarchar(60), "
                               "pc_gvge nvarchar(60), g_ph nvarchar(30), pc_dhul float)"));
    o.host.exec(QStringLiteral("insert into f_system (Field_index,grid_index,table_name,field_name,field_caption) "
                               "values (3,3,'f_pcmx','pc_gvge','规格')"));
    o.host.exec(QStringLiteral("insert into f_pcmx (pc_id,ip_no,pc_gvge) values (1,'A01','大号')"));
    o.form.LoadSwitches();
    o.form.CheckBox2->setChecked(true);
    o.form.RadioGroup1->setItemIndex(2);
    o.form.BitBtn3->click();

    EXPECT_EQ(o.restarts, 1);
    EXPECT_TRUE(GetFieldExistCon(QStringLiteral("f_pcmx"), QStringLiteral("ip_gvge"), o.host.db()));
    EXPECT_TRUE(o.host.scalar(QStringLiteral("select ip_gvge from f_pcmx")).isNull()) << "values are not copied";
    EXPECT_EQ(o.registryRows(QStringLiteral("f_pcmx"), QStringLiteral("ip_gvge")), 1);
    EXPECT_EQ(o.registryRows(QStringLiteral("f_pcmx"), QStringLiteral("pc_gvge")), 0);
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("ip_name"), QStringLiteral("field_onkey")),
              QStringLiteral("select f_pcmx.ip_no as 产品编号,f_pcmx.ip_name as 产品名称,f_pcmx.ip_gvge as 产品规格,f_pcmx.g_ph as 批号,"
                             "f_pici.pc_no as 订单编号,f_pici.pc_name as 订单名称 from f_pici,f_pcmx where f_pici.pc_id=f_pcmx.pc_id;"
                             "&f_pici.pc_no;pc_no$ip_no,ip_name,ip_gvge,g_ph@产品编号,产品名称,产品规格,批号@ip_no$f_pcmx"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("g_ph"), QStringLiteral("field_visible")), QStringLiteral("不激活"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_no"), QStringLiteral("field_visible")), QStringLiteral("不激活"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_name"), QStringLiteral("field_index")), QStringLiteral("3"));
    EXPECT_EQ(o.host.setting(QStringLiteral("dingdan_mode")), 1);
    EXPECT_EQ(o.host.setting(QStringLiteral("statistics_mode")), 2);
    EXPECT_TRUE(o.host.prompt.saw(QStringLiteral("系统将重新启动，以便变动生效。")));

    // Order mode off: the product lookup and hidden order fields.
    o.form.CheckBox2->setChecked(false);
    o.form.BitBtn3->click();
    EXPECT_EQ(o.restarts, 2);
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("ip_name"), QStringLiteral("field_onkey")),
              QStringLiteral("select ip_no as 产品编号,ip_name as 产品名称,ip_gvge as 产品规格  from f_ijpn "
                             "$ip_no,ip_name,ip_gvge@产品编号,产品名称,产品规格@ip_no$f_ijpn"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_no"), QStringLiteral("field_index")), QStringLiteral("12"));
    EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("pc_name"), QStringLiteral("field_visible")), QStringLiteral("隐藏"));
    EXPECT_EQ(o.host.setting(QStringLiteral("dingdan_mode")), 0);
}

TEST(PieceoptTest, WorkerSourceFollowsTheAttendanceChoiceAndTheDepartmentColumn)
{
    struct {
        bool dept, attendance;
        const char *lookup;
    } cases[] = {
        {true, false, "select ry_no as 员工编号,ry_name as 员工姓名,dept_name as 部门名称 from f_rfyr$ry_no,ry_name,dept_name@员工编号,员工姓名,部门名称@ry_no$f_rfyr"},
        {false, false, "select ry_no as 员工编号,ry_name as 员工姓名 from f_rfyr$ry_no,ry_name@员工编号,员工姓名@ry_no$f_rfyr"},
        {true, true, "select ry_no as 编号,ry_name as 姓名,dept_name as 部门 from F_Attendance where chuqin>0 ; &riqi;riqi$ry_no,ry_name,dept_name@编号,姓名,部门@ry_no$F_Attendance"},
        {false, true, "select ry_no as 编号,ry_name as 姓名 from F_Attendance where chuqin>0 ; &riqi;riqi$ry_no,ry_name@编号,姓名@ry_no$F_Attendance"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lookup);
        Options o(wage::Dialect::Access, c.dept);
        o.form.LoadSwitches();
        o.form.show();
        o.host.prompt.shown.clear();
        o.form.CheckBox6->setChecked(c.attendance);
        o.form.BitBtn2->click();
        EXPECT_EQ(o.registry(QStringLiteral("f_jijm"), QStringLiteral("ry_name"), QStringLiteral("field_onkey")),
                  QString::fromUtf8(c.lookup));
        EXPECT_TRUE(o.form.isVisible());
        EXPECT_TRUE(o.host.prompt.shown.isEmpty());
        // The next showing starts unchecked again.
        o.form.LoadSwitches();
        EXPECT_FALSE(o.form.CheckBox6->isChecked());
    }
}
