// The structure check: F_PCJK made and registered with a restart, later columns added one by
// one with their messages, the registry repaired, the realtime page by dialect.
#include "ordmonfixture.h"

#include <QTabWidget>

namespace wagetest {
namespace {

class Structure : public OrdmonFixture, public ::testing::WithParamInterface<wage::Dialect> {};

TEST_P(Structure, MissingMonitorTableIsMadeRegisteredAndTheHostRestarts)
{
    const bool access = GetParam() == wage::Dialect::Access;
    makeDatabase(GetParam());
    db->setTracing(true);
    openMonitor(false);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(monitor(), nullptr);
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_EQ(prompt.shown.first().kind, wage::PromptKind::Warning);
    EXPECT_EQ(prompt.shown.first().text,
              QStringLiteral("系统检测到您当前环境不具备运行条件，系统将自动为您分配运行参数。\r订单监控可用。"));
    const QStringList created = db->trace().filter(QStringLiteral("create table F_PCJK"));
    ASSERT_EQ(created.size(), 1);
    EXPECT_TRUE(created.first().contains(access ? QStringLiteral("id COUNTER,") : QStringLiteral("id int IDENTITY(1,1),")));
    EXPECT_EQ(db->columns(QStringLiteral("select * from F_PCJK")),
              QStringList({"id", "pc_id", "pc_no", "ip_no", "ip_gvge", "G_PH", "gsxu_no", "ip_gsxu", "zcsl", "ip_djjw", "pc_dhul",
                           "pc_sjcl", "pc_wwsl", "pc_jhrq", "ip_days", "ip_rjcl", "ip_syts"}));
    const wage::QueryResult reg = db->query(QStringLiteral(
        "select Field_index,grid_index,field_name,field_caption,Field_type,field_visible,field_width,field_kind,mod_parent "
        "from f_system where table_name='F_PCJK'"));
    ASSERT_EQ(reg.rows.size(), 16);
    EXPECT_EQ(reg.value(8, "field_name").toString(), QStringLiteral("ip_djjw"));
    EXPECT_EQ(reg.value(8, "Field_type").toString(), QStringLiteral("字符型"));
    EXPECT_EQ(reg.value(15, "field_caption").toString(), QStringLiteral("预估剩余天数"));
    EXPECT_EQ(reg.value(15, "Field_index").toInt(), 16);
    EXPECT_EQ(reg.value(15, "grid_index").toInt(), 16);
    EXPECT_EQ(reg.value(0, "field_kind").toString(), QStringLiteral("TMyDBEdit"));
    EXPECT_EQ(reg.value(0, "field_width").toInt(), 20);
    EXPECT_EQ(db->query(QStringLiteral("select count(*) from f_moduinfo where mod_name='订单监控' and mod_table='F_PCJK' "
                                       "and mod_parent='订单信息' and mod_show='否'"))
                  .rows[0][0]
                  .toInt(),
              1);

    // The restarted host adds the later columns, once, and shows the page by dialect.
    prompt.shown.clear();
    openMonitor(true);
    EXPECT_EQ(db->columns(QStringLiteral("select * from F_PCJK")).mid(17),
              QStringList({"WorkHours", "zhunbei", "CurMonSL", "CurSTSL"}));
    EXPECT_TRUE(prompt.saw(QStringLiteral("数据结构已更新，监控入库产量！")));
    EXPECT_TRUE(prompt.saw(QStringLiteral("数据结构已更新，订单增加入库成本。")));
    auto *pages = control<QTabWidget>("PageControl2");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->isTabVisible(2), !access);
    EXPECT_FALSE(pages->isTabVisible(1));
}

INSTANTIATE_TEST_SUITE_P(Dialects, Structure, ::testing::Values(wage::Dialect::Access, wage::Dialect::MsSql));

TEST_F(OrdmonFixture, OneMissingColumnAndAMissingRegistryRow)
{
    makeDatabase(wage::Dialect::MsSql);
    openMonitor();
    for (const host::LoadedPlugin &p : plugins.plugins())
        p.close();
    exec(QStringLiteral("alter table f_pici drop column shengchanYK"));
    exec(QStringLiteral("delete from f_system where field_name='shengchanYK' or field_name='CPP_NO'"));
    prompt.shown.clear();
    db->setTracing(true);
    openMonitor();

    EXPECT_EQ(db->trace().filter(QStringLiteral("alter table"), Qt::CaseInsensitive),
              QStringList{QStringLiteral("alter table f_pici add shengchanYK money")});
    EXPECT_EQ(prompt.texts(), QStringList({QStringLiteral("数据结构已更新，订单增加生产盈亏！"),
                                           QStringLiteral("数据结构已更新，明细显示在产标识！")}));
    const wage::QueryResult yk = db->query(QStringLiteral(
        "select table_name,field_caption,Field_index,field_visible from f_system where field_name='shengchanYK'"));
    ASSERT_EQ(yk.rows.size(), 1);
    EXPECT_EQ(yk.rows[0][0].toString(), QStringLiteral("F_PICI"));
    EXPECT_EQ(yk.rows[0][2].toInt(), 13);
    EXPECT_EQ(yk.rows[0][3].toString(), QStringLiteral("不激活"));
    const wage::QueryResult cpp = db->query(QStringLiteral(
        "select table_name,table_caption,field_caption,mod_parent,Field_index from f_system where field_name='CPP_NO'"));
    ASSERT_EQ(cpp.rows.size(), 1);
    EXPECT_EQ(cpp.rows[0][0].toString(), QStringLiteral("F_pcmx"));
    EXPECT_EQ(cpp.rows[0][1].toString(), QStringLiteral("订单明细表"));
    EXPECT_EQ(cpp.rows[0][2].toString(), QStringLiteral("在产标识"));
    EXPECT_EQ(cpp.rows[0][3].toString(), QStringLiteral("基础资料"));
    EXPECT_EQ(cpp.rows[0][4].toInt(), 24);
}

} // namespace
} // namespace wagetest
