#include "db/wageschema.h"

#include "db/dbroutines.h"

#include <QDate>

namespace wage {

namespace {

struct Types {
    QString autoKey, memo;
};

Types typesOf(Dialect dialect)
{
    if (dialect == Dialect::MsSql)
        return {QStringLiteral("int IDENTITY(1,1) PRIMARY KEY"), QStringLiteral("ntext")};
    return {QStringLiteral("COUNTER PRIMARY KEY"), QStringLiteral("memo")};
}

const QString kWorkerLookupDept = QStringLiteral(
    "select ry_no as 员工编号,ry_name as 员工姓名,dept_name as 部门名称 from f_rfyr$ry_no,ry_name,dept_name@员工编号,员工姓名,部门名称@ry_no$f_rfyr");
const QString kProductLookup = QStringLiteral(
    "select ip_no as 产品编号,ip_name as 产品名称,ip_gvge as 产品规格  from f_ijpn $ip_no,ip_name,ip_gvge@产品编号,产品名称,产品规格@ip_no$f_ijpn");
const QString kProcessLookup = QStringLiteral(
    "select f_ipgx.gsxu_no as 工序编号,f_ipgx.ip_gsxu as 工序名称,f_ipgx.ip_djjw as 单价 from f_ipgx,f_ijpn where f_ipgx.ip_id=f_ijpn.ip_id ; "
    "&f_ijpn.ip_no;ip_no$gsxu_no,ip_gsxu,ip_djjw@工序编号,工序名称,单价@gsxu_no$f_ipgx");

} // namespace

QList<HostTable> hostTables(Dialect dialect, bool withDeptName)
{
    const Types t = typesOf(dialect);
    const QString dept = withDeptName ? QStringLiteral("dept_name nvarchar(30),") : QString();
    const QString piece = QStringLiteral(
        "riqi datetime,ry_no nvarchar(20),ry_name nvarchar(20),%1ip_no nvarchar(30),ip_name nvarchar(60),"
        "ip_gvge nvarchar(60),gsxu_no nvarchar(10),ip_gsxu nvarchar(40),ip_djjw money,ip_uuld float,jjje money");
    QList<HostTable> out;
    auto add = [&out](const QString &name, const QString &columns) {
        out.append({name, QStringLiteral("create table %1 (%2)").arg(name, columns)});
    };
    add(QStringLiteral("f_system"),
        QStringLiteral("Field_index int,grid_index int,table_name nvarchar(50),table_caption nvarchar(50),"
                       "field_name nvarchar(50),field_caption nvarchar(50),Field_type nvarchar(20),field_width int,"
                       "field_visible nvarchar(10),field_kind nvarchar(30),mod_parent nvarchar(30),field_attribute int,"
                       "field_onkey %1,Field_jsgs nvarchar(255)").arg(t.memo));
    add(QStringLiteral("usermod"),
        QStringLiteral("mod_table nvarchar(50),mod_func nvarchar(50),mod_type nvarchar(20),user_name nvarchar(50)"));
    add(QStringLiteral("tempconfig"), QStringLiteral("key_name nvarchar(50),key_index int,gridwidth nvarchar(255)"));
    add(QStringLiteral("gz_stat"), QStringLiteral("gz_ym nvarchar(6)"));
    add(QStringLiteral("f_moduinfo"),
        QStringLiteral("mod_name nvarchar(50),mod_table nvarchar(50),mod_parent nvarchar(50),mod_show nvarchar(4),opensql %1")
            .arg(t.memo));
    add(QStringLiteral("f_sqlcase"),
        QStringLiteral("script_type nvarchar(50),script_table nvarchar(50),table_caption nvarchar(50),script_name nvarchar(100),"
                       "Script_index int,Script_active bit,Script %1,report image,index_name nvarchar(50),notes %1")
            .arg(t.memo));
    add(QStringLiteral("userinfo"),
        QStringLiteral("user_id %1,user_name nvarchar(50),user_pass nvarchar(50)").arg(t.autoKey));
    add(QStringLiteral("F_OperationLog"),
        QStringLiteral("op_time nvarchar(30),operation nvarchar(255),mod_name nvarchar(50),user_name nvarchar(50),"
                       "InternetIp nvarchar(50),IntranetIp nvarchar(50),ComputerName nvarchar(100)"));
    add(QStringLiteral("f_rfyr"),
        QStringLiteral("ry_id %1,ry_no nvarchar(20),ry_name nvarchar(20),%2sex nvarchar(2),in_date datetime")
            .arg(t.autoKey, dept));
    add(QStringLiteral("F_Attendance"),
        QStringLiteral("ry_no nvarchar(20),ry_name nvarchar(20),%1chuqin float,riqi datetime").arg(dept));
    add(QStringLiteral("f_ijpn"),
        QStringLiteral("ip_id %1,ip_no nvarchar(30),ip_name nvarchar(60),ip_gvge nvarchar(60),locked nvarchar(10)").arg(t.autoKey));
    add(QStringLiteral("f_ipgx"),
        QStringLiteral("gx_id %1,ip_id int,gsxu_no nvarchar(10),ip_gsxu nvarchar(40),zcsl float,ip_djjw money,"
                       "haoyong float,ip_islast nvarchar(2),Locked nvarchar(10)").arg(t.autoKey));
    add(QStringLiteral("f_pici"),
        QStringLiteral("pc_id %1,pc_no nvarchar(30),pc_name nvarchar(60),pc_date datetime,pc_state nvarchar(10),"
                       "state_id int,pc_total money,ip_jhsccb money,pc_wcl float").arg(t.autoKey));
    add(QStringLiteral("f_pcmx"),
        QStringLiteral("mx_id %1,pc_id int,ip_no nvarchar(30),ip_name nvarchar(60),ip_gvge nvarchar(60),g_ph nvarchar(30),"
                       "pc_dhul float,ip_dwsccb money,ip_jhsccb money,pc_total money,pc_wcl float,pc_uizuu float,"
                       "pc_ilwcl float").arg(t.autoKey));
    add(QStringLiteral("f_jijm"),
        QStringLiteral("dj_no %1,%2,pc_no nvarchar(30),pc_name nvarchar(60),G_PH nvarchar(30),locked nvarchar(10)")
            .arg(t.autoKey, piece.arg(QString())));
    add(QStringLiteral("f_juar"),
        QStringLiteral("dj_no %1,%2,bz nvarchar(100)").arg(t.autoKey, piece.arg(dept)));
    return out;
}

QList<SystemField> hostSystemFields()
{
    const QString jijm = QStringLiteral("f_jijm"), juar = QStringLiteral("f_juar");
    const QString wageCaption = QStringLiteral("计件工资"), outputCaption = QStringLiteral("计件产量");
    const QString group = QStringLiteral("工资管理");
    const QString text = QStringLiteral("字符型"), integer = QStringLiteral("整型"), money = QStringLiteral("货币型"),
                  number = QStringLiteral("数值型"), date = QStringLiteral("日期型");
    const QString shown = QStringLiteral("显示"), hidden = QStringLiteral("隐藏"), inactive = QStringLiteral("不激活"),
                  noFocus = QStringLiteral("无焦点");
    const QString amount = QStringLiteral("数量*单价");
    QList<SystemField> f = {
        {0, jijm, wageCaption, "dj_no", "单据号", integer, 10, noFocus, group, {}, {}},
        {1, jijm, wageCaption, "riqi", "日期", date, 10, shown, group, {}, {}},
        {2, jijm, wageCaption, "ry_no", "员工编号", text, 10, inactive, group, {}, {}},
        {3, jijm, wageCaption, "ry_name", "员工姓名", text, 10, shown, group, kWorkerLookupDept, {}},
        {4, jijm, wageCaption, "ip_no", "产品编号", text, 20, inactive, group, {}, {}},
        {5, jijm, wageCaption, "ip_name", "产品名称", text, 20, shown, group, kProductLookup, {}},
        {6, jijm, wageCaption, "ip_gvge", "产品规格", text, 20, inactive, group, {}, {}},
        {7, jijm, wageCaption, "gsxu_no", "工序编号", text, 10, inactive, group, {}, {}},
        {8, jijm, wageCaption, "g_ph", "批号", text, 20, hidden, group, {}, {}},
        {9, jijm, wageCaption, "ip_gsxu", "工序名称", text, 20, shown, group, kProcessLookup, {}},
        {10, jijm, wageCaption, "ip_uuld", "数量", number, 10, shown, group, {}, {}},
        {11, jijm, wageCaption, "ip_djjw", "单价", money, 10, shown, group, {}, {}},
        {12, jijm, wageCaption, "pc_no", "订单编号", text, 20, hidden, group, {}, {}},
        {13, jijm, wageCaption, "pc_name", "订单名称", text, 20, hidden, group, {}, {}},
        {14, jijm, wageCaption, "jjje", "金额", money, 10, noFocus, group, {}, amount},
        {15, jijm, wageCaption, "locked", "审核", text, 4, inactive, group, {}, {}},
        {0, juar, outputCaption, "dj_no", "单据号", integer, 10, noFocus, group, {}, {}},
        {1, juar, outputCaption, "riqi", "日期", date, 10, shown, group, {}, {}},
        {2, juar, outputCaption, "ry_no", "员工编号", text, 10, inactive, group, {}, {}},
        {3, juar, outputCaption, "ry_name", "员工姓名", text, 10, shown, group, kWorkerLookupDept, {}},
        {4, juar, outputCaption, "dept_name", "部门名称", text, 20, inactive, group, {}, {}},
        {5, juar, outputCaption, "ip_no", "产品编号", text, 20, inactive, group, {}, {}},
        {6, juar, outputCaption, "ip_name", "产品名称", text, 20, shown, group, kProductLookup, {}},
        {7, juar, outputCaption, "ip_gvge", "产品规格", text, 20, inactive, group, {}, {}},
        {8, juar, outputCaption, "gsxu_no", "工序编号", text, 10, inactive, group, {}, {}},
        {9, juar, outputCaption, "ip_gsxu", "工序名称", text, 20, shown, group, kProcessLookup, {}},
        {10, juar, outputCaption, "ip_uuld", "数量", number, 10, shown, group, {}, {}},
        {11, juar, outputCaption, "ip_djjw", "单价", money, 10, shown, group, {}, {}},
        {12, juar, outputCaption, "jjje", "金额", money, 10, noFocus, group, {}, amount},
        {13, juar, outputCaption, "bz", "备注", text, 60, shown, group, {}, {}},
    };
    return f;
}

void createWageSchema(Connection *connection, bool withDeptName)
{
    const bool ownTransaction = !connection->inTransaction();
    if (ownTransaction)
        connection->beginTransaction();
    try {
        QStringList created;
        for (const HostTable &t : hostTables(connection->dialect(), withDeptName)) {
            if (TableExists(t.name, connection))
                continue;
            connection->execute(t.createStatement);
            created.append(t.name.toLower());
        }
        if (created.contains(QLatin1String("f_system"))) {
            const QString insert = QStringLiteral(
                "insert into f_system (Field_index,grid_index,table_name,table_caption,field_name,field_caption,Field_type,"
                "field_width,field_visible,field_kind,mod_parent,field_attribute,field_onkey,Field_jsgs) values "
                "(:i,:i,:t,:tc,:f,:fc,:ft,:w,:v,'TMyDBEdit',:mp,0,:k,:js)");
            for (const SystemField &f : hostSystemFields()) {
                if (!withDeptName && f.fieldName == QLatin1String("dept_name"))
                    continue;
                QString onKey = f.onKey;
                if (!withDeptName && onKey.contains(QLatin1String("dept_name")))
                    onKey = QStringLiteral("select ry_no as 员工编号,ry_name as 员工姓名 from f_rfyr$ry_no,ry_name@员工编号,员工姓名@ry_no$f_rfyr");
                connection->execute(insert, {{"i", f.index}, {"t", f.tableName}, {"tc", f.tableCaption},
                                             {"f", f.fieldName}, {"fc", f.fieldCaption}, {"ft", f.fieldType},
                                             {"w", f.width}, {"v", f.visible}, {"mp", f.modParent},
                                             {"k", onKey.isEmpty() ? QVariant() : QVariant(onKey)},
                                             {"js", f.formula.isEmpty() ? QVariant() : QVariant(f.formula)}});
            }
        }
        if (created.contains(QLatin1String("f_moduinfo"))) {
            const QString insert = QStringLiteral(
                "insert into f_moduinfo (mod_name,mod_table,mod_parent,mod_show,opensql) values (:n,:t,:p,:s,:q)");
            const struct {
                const char *name, *table, *parent, *sql;
            } modules[] = {
                {"计件工资", "f_jijm", "工资管理", "select * from f_jijm "},
                {"计件产量", "f_juar", "工资管理", "select * from f_juar "},
                {"人员基本信息", "f_rfyr", "人员管理", "select * from f_rfyr "},
                {"订单信息", "f_pici", "订单信息", "select * from f_pici "},
                {"产品信息", "f_ijpn", "产品信息", "select * from f_ijpn "},
            };
            for (const auto &m : modules)
                connection->execute(insert, {{"n", QString::fromUtf8(m.name)}, {"t", QString::fromUtf8(m.table)},
                                             {"p", QString::fromUtf8(m.parent)}, {"s", QStringLiteral("是")},
                                             {"q", QString::fromUtf8(m.sql)}});
        }
        if (created.contains(QLatin1String("gz_stat")))
            connection->execute(QStringLiteral("insert into gz_stat (gz_ym) values (:ym)"),
                                {{"ym", QDate::currentDate().toString(QStringLiteral("yyyyMM"))}});
        if (created.contains(QLatin1String("userinfo")))
            connection->execute(QStringLiteral("insert into userinfo (user_name,user_pass) values (:u,'')"),
                                {{"u", QStringLiteral("系统管理员")}});
        if (ownTransaction)
            connection->commit();
    } catch (...) {
        if (ownTransaction && connection->inTransaction())
            connection->rollback();
        throw;
    }
}

} // namespace wage
