// The tables and columns order monitoring needs, made and registered when they are missing.
#include "contract/hostrestart.h"
#include "ordmon/tordmon_form.h"

#include "core/config.h"
#include "core/prompt.h"
#include "db/dbroutines.h"
#include "db/embeddedindexes.h"
#include "kit/sqlroutines.h"
#include "kit/sysfield.h"
#include "net/alert.h"
#include "progress/tprogress.h"

namespace {

struct RegistryRow {
    int index;
    const char *table;
    const char *tableCaption;
    const char *field;
    const char *caption;
    const char *type;
    const char *visible;
    const char *parent;
};

void writeRegistryRow(const RegistryRow &r, wage::Connection *connection)
{
    SetSysField(r.index, r.index, QString::fromUtf8(r.table), QString::fromUtf8(r.tableCaption),
                QString::fromUtf8(r.field), QString::fromUtf8(r.caption), QString::fromUtf8(r.type), 20,
                QString::fromUtf8(r.visible), QStringLiteral("TMyDBEdit"), QString::fromUtf8(r.parent), 0, connection);
}

// The rows written when F_PCJK is made (index 7 unused, pc_no and ip_no share 2, ip_djjw is
// registered as text although the column is money: the host relies on these exact rows).
const RegistryRow kPcjkRows[] = {
    {1, "F_PCJK", "订单监控", "pc_id", "pc_id", "整型", "隐藏", "订单信息"},
    {2, "F_PCJK", "订单监控", "pc_no", "订单编号", "字符型", "隐藏", "订单信息"},
    {2, "F_PCJK", "订单监控", "ip_no", "产品编号", "字符型", "隐藏", "订单信息"},
    {3, "F_PCJK", "订单监控", "ip_gvge", "产品规格", "字符型", "隐藏", "订单信息"},
    {4, "F_PCJK", "订单监控", "G_PH", "批号", "字符型", "隐藏", "订单信息"},
    {5, "F_PCJK", "订单监控", "gsxu_no", "工序编号", "字符型", "显示", "订单信息"},
    {6, "F_PCJK", "订单监控", "ip_gsxu", "工序名称", "字符型", "显示", "订单信息"},
    {8, "F_PCJK", "订单监控", "zcsl", "组成数量", "货币型", "显示", "订单信息"},
    {9, "F_PCJK", "订单监控", "ip_djjw", "工序单价", "字符型", "显示", "订单信息"},
    {10, "F_PCJK", "订单监控", "pc_dhul", "订单数量", "货币型", "显示", "订单信息"},
    {11, "F_PCJK", "订单监控", "pc_sjcl", "实际产量", "货币型", "显示", "订单信息"},
    {12, "F_PCJK", "订单监控", "pc_wwsl", "未完数量", "货币型", "显示", "订单信息"},
    {13, "F_PCJK", "订单监控", "pc_jhrq", "交货日期", "日期时间型", "显示", "订单信息"},
    {14, "F_PCJK", "订单监控", "ip_days", "生产天数", "货币型", "显示", "订单信息"},
    {15, "F_PCJK", "订单监控", "ip_rjcl", "日均产量", "货币型", "显示", "订单信息"},
    {16, "F_PCJK", "订单监控", "ip_syts", "预估剩余天数", "货币型", "显示", "订单信息"},
};

struct ColumnAddition {
    const char *table;
    const char *column;
    const char *type;
    const char *progressText;
    const char *message;
    RegistryRow registry;
};

const ColumnAddition kColumns[] = {
    {"f_pici", "WorkHours", "money", "订单增加耗用工时！", "数据结构已更新，订单增加耗用工时！",
     {12, "F_PICI", "订单信息", "WorkHours", "耗用工时", "货币型", "不激活", "订单信息"}},
    {"f_pici", "shengchanYK", "money", "订单增加生产盈亏！", "数据结构已更新，订单增加生产盈亏！",
     {13, "F_PICI", "订单信息", "shengchanYK", "生产盈亏", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "CurMonCB", "money", "订单增加本月入库成本！", "数据结构已更新，订单增加本月入库成本！",
     {11, "F_PICI", "订单信息", "CurMonCB", "本月入库成本", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "CurSTCB", "money", "订单增加入库成本！", "数据结构已更新，订单增加入库成本。",
     {10, "F_PICI", "订单信息", "CurSTCB", "入库成本", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "CurMonFS", "money", "订单增加本月发生！", "数据结构已更新，订单增加本月发生！",
     {12, "F_PICI", "订单信息", "CurMonFS", "本月发生", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "PriMonFS", "money", "订单增加入库往月发生！", "数据结构已更新，订单增加入库往月发生！",
     {12, "F_PICI", "订单信息", "PriMonFS", "入库往月发生", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "histotal", "money", "订单增加入库总量！", "数据结构已更新，订单增加入库总量！",
     {6, "F_PICI", "订单信息", "histotal", "入库总量", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "CurMonSL", "money", "订单增加本月入库数量！", "数据结构已更新，订单增加本月入库数量！",
     {7, "F_PICI", "订单信息", "CurMonSL", "本月入库数量", "货币型", "不激活", "订单信息"}},
    {"F_PICI", "CurDaySL", "money", "订单增加今日入库数量！", "数据结构已更新，订单增加今日入库数量！",
     {7, "F_PICI", "订单信息", "CurDaySL", "今日入库数量", "货币型", "不激活", "订单信息"}},
    {"F_PCMX", "CPP_NO", "nvarchar(20)", "明细增加在产标识！", "数据结构已更新，明细增加在产标识！",
     {24, "F_PCMX", "订单明细", "CPP_NO", "在产标识", "字符型", "不激活", "订单信息"}},
    {"F_PCMX", "CurMonSL", "money", "明细增加本月入库产量！", "数据结构已更新，明细增加本月入库产量！",
     {18, "F_PCMX", "订单明细", "CurMonSL", "本月入库产量", "货币型", "不激活", "订单信息"}},
    {"F_PCMX", "CurMonCB", "money", "明细增加本月入库成本！", "数据结构已更新，明细增加本月入库成本！",
     {18, "F_PCMX", "订单明细", "CurMonCB", "本月入库成本", "货币型", "不激活", "订单信息"}},
    {"F_PCMX", "CurSTCB", "money", "明细增加入库成本！", "数据结构已更新，明细增加入库成本！",
     {18, "F_PCMX", "订单明细", "CurSTCB", "入库成本", "货币型", "不激活", "订单信息"}},
    {"F_PCJK", "WorkHours", "money", "监控增加耗用工时！", "数据结构已更新，监控增加耗用工时！",
     {17, "F_PCJK", "订单监控", "WorkHours", "耗用工时", "货币型", "不激活", "订单信息"}},
    {"F_PCJK", "zhunbei", "money", "监控增加准备工时！", "数据结构已更新，监控增加准备工时！",
     {18, "F_PCJK", "订单监控", "zhunbei", "准备工时", "货币型", "不激活", "订单信息"}},
    {"F_PCJK", "CurMonSL", "money", "监控本月入库产量！", "数据结构已更新，监控本月入库产量！",
     {18, "F_PCJK", "订单监控", "CurMonSL", "本月入库产量", "货币型", "不激活", "订单信息"}},
    {"F_PCJK", "CurSTSL", "money", "监控入库产量！", "数据结构已更新，监控入库产量！",
     {18, "F_PCJK", "订单监控", "CurSTSL", "入库产量", "货币型", "不激活", "订单信息"}},
};

const RegistryRow kCppNoRepair = {24, "F_pcmx", "订单明细表", "CPP_NO", "在产标识", "字符型", "不激活", "基础资料"};

} // namespace

// The statement that makes F_PCJK in the dialect of the installation.
QString pcjkCreateStatement(const QString &conType)
{
    const QString head = conType == QLatin1String("ACCESS")
                             ? QStringLiteral("create table F_PCJK (id COUNTER,pc_id int,pc_no nvarchar(20),ip_no nvarchar(20),"
                                              "ip_gvge nvarchar(20),G_PH nvarchar(20),gsxu_no nvarchar(20),")
                             : QStringLiteral("create table F_PCJK (id int IDENTITY(1,1),pc_id int,pc_no nvarchar(20),ip_no nvarchar(20),"
                                              "ip_gvge nvarchar(20),G_PH nvarchar(20),gsxu_no nvarchar(20),");
    return head
        + QStringLiteral("ip_gsxu nvarchar(40),zcsl money,ip_djjw money,pc_dhul money,pc_sjcl money,pc_wwsl money,pc_jhrq datetime,")
        + QStringLiteral("ip_days money,ip_rjcl money,ip_syts money )");
}

void TOrdmon_form::CheckMonitorStructure()
{
    auto step = [this](const QString &text) {
        if (progress)
            progress->showpress(2, 5, text);
    };
    if (!TableExists(QStringLiteral("F_PCJK"), connection)) {
        wage::prompt().warning(QStringLiteral("系统检测到您当前环境不具备运行条件，系统将自动为您分配运行参数。\r订单监控可用。"),
                               QStringLiteral("提示"));
        RunSqlCommand(pcjkCreateStatement(GetConType()), connection);
        for (const RegistryRow &r : kPcjkRows)
            writeRegistryRow(r, connection);
        RunSqlCommand(QStringLiteral("insert into f_moduinfo (mod_name,mod_table,mod_parent,mod_show) values "
                                     "('订单监控','F_PCJK','订单信息','否')"),
                      connection);
        restartRequested = true;
        wage::restartHost();
        return;   // only where the host's restart hook returns (tests)
    }

    for (const ColumnAddition &c : kColumns) {
        const QString table = QString::fromUtf8(c.table);
        const QString column = QString::fromUtf8(c.column);
        if (GetFieldExistCon(table, column, connection))
            continue;
        step(QStringLiteral("正在检查数据结构 ....\r") + QString::fromUtf8(c.progressText));
        RunSqlCommand(QStringLiteral("alter table %1 add %2 %3").arg(table, column, QString::fromUtf8(c.type)), connection);
        writeRegistryRow(c.registry, connection);
        AlertMess(QStringLiteral("提醒"), QString::fromUtf8(c.message));
    }

    if (GetSqli(QStringLiteral("select count(*) From f_system where table_name='f_pcmx' and field_name='CPP_NO'"), connection) == 0) {
        step(QStringLiteral("正在检查数据结构 ....\r明细显示在产标识！"));
        writeRegistryRow(kCppNoRepair, connection);
        AlertMess(QStringLiteral("提醒"), QStringLiteral("数据结构已更新，明细显示在产标识！"));
    }

    // The lookups of the progress computation on F_PCJK are index-served on the embedded engine.
    wage::ensureEmbeddedIndexes(connection);

    scratchTable = TableNameRand(connection);
    RunSqlCommand(QStringLiteral("select * into ") + scratchTable + QStringLiteral(" from f_jijm where 1=2"), connection);
}
