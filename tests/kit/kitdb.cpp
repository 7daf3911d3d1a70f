#include "kitdb.h"

#include "core/strutil.h"

#include <gtest/gtest.h>

namespace kittest {

KitDb::KitDb(wage::Dialect dialect) : m_conn(std::make_unique<wage::Connection>())
{
    m_conn->openFile(file(QStringLiteral("wage.db")), dialect);
    exec("create table f_system (Field_index int, grid_index int, table_name nvarchar(50), table_caption nvarchar(50),"
         " field_name nvarchar(50), field_caption nvarchar(50), Field_type nvarchar(20), field_width int,"
         " field_visible nvarchar(10), field_kind nvarchar(20), mod_parent nvarchar(20), field_attribute int,"
         " field_onkey nvarchar(255), Field_jsgs nvarchar(255))");
    exec("create table usermod (mod_table nvarchar(50), mod_func nvarchar(255), mod_type nvarchar(20), user_name nvarchar(50))");
    exec("create table f_moduinfo (mod_name nvarchar(50), mod_table nvarchar(50), mod_parent nvarchar(50),"
         " mod_show nvarchar(10), opensql nvarchar(255))");
    exec("create table f_jijm (dj_no integer primary key, riqi datetime, ry_no nvarchar(20), ry_name nvarchar(20),"
         " gsxu_no nvarchar(20), ip_gsxu nvarchar(40), ip_djjw money, ip_uuld int, jjje money, locked nvarchar(10))");
    exec("insert into f_jijm values (1, '2026-12-01', 'A01', '张三', 'G01', '裁剪', 1.5, 100, 150, null)");
    exec("insert into f_jijm values (2, '2026-12-02', 'A02', '李四', 'G02', '包装', 2, 10, 20, '')");
    exec("insert into f_jijm values (3, '2026-12-02', 'A03', 'O''Neil', 'G01', '裁剪', 1.5, 40, 60, '已审')");
    exec("insert into f_jijm values (4, '2026-12-05', 'A01', '张三', 'G03', '包装 大件', 3.25, 8, 26, '  ')");
    const QString t = QStringLiteral("f_jijm");
    reg(t, 0, "dj_no", "单号", "整型", "隐藏", 4);
    reg(t, 1, "riqi", "日期", "日期型", "显示", 10);
    reg(t, 2, "ry_no", "员工编号", "字符型");
    reg(t, 3, "ry_name", "员工姓名", "字符型");
    reg(t, 4, "gsxu_no", "工序编号", "字符型");
    reg(t, 5, "ip_gsxu", "工序名称", "字符型", "显示", 20);
    reg(t, 6, "ip_djjw", "单价", "货币型");
    reg(t, 7, "ip_uuld", "产量", "整型", "不激活");
    reg(t, 8, "jjje", "金额|计件", "货币型");
    reg(t, 9, "locked", "审核", "字符型", "无焦点", 4);
}

void KitDb::exec(const QString &sql)
{
    m_conn->execute(sql);
}

void KitDb::reg(const QString &table, int index, const QString &field, const QString &caption, const QString &type,
                const QString &visible, int width, const QString &onKey)
{
    exec(QStringLiteral("insert into f_system (Field_index,grid_index,table_name,field_name,field_caption,Field_type,"
                        "field_width,field_visible,field_onkey) values (%1,%1,'%2','%3','%4','%5',%6,'%7',%8)")
             .arg(index)
             .arg(table, field, caption, type)
             .arg(width)
             .arg(visible, onKey.isNull() ? QStringLiteral("null") : QLatin1Char('\'') + wage::sqlQuote(onKey) + QLatin1Char('\'')));
}

} // namespace kittest
