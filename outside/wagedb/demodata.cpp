#include "demodata.h"

#include "db/wageschema.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <random>

namespace wage {

namespace {

const char *const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const char *const kGivenNames[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇",
                                   "艳", "杰", "娟", "涛", "明", "超", "秀兰", "霞", "平", "刚", "桂英", "建华"};
const char *const kDepartments[] = {"印刷车间", "成型车间", "包装车间"};
const struct {
    const char *name, *gvge;
} kProducts[] = {
    {"五层瓦楞纸箱", "600x400x400"}, {"三层瓦楞纸箱", "400x300x250"}, {"彩印礼品盒", "300x200x80"},
    {"飞机盒", "250x180x60"},       {"牛皮纸手提袋", "320x110x250"}, {"天地盖", "350x250x100"},
    {"抽屉盒", "200x120x50"},       {"展示盒", "450x300x120"},
};
const char *const kProcesses[] = {"分纸", "印刷", "过油", "覆膜", "模切", "开槽", "粘箱", "钉箱"};
const char *const kCustomers[] = {"华联超市", "永辉食品", "蓝天电器", "顺丰物流", "美凯配件", "康力饮品", "海川家电", "良品铺子"};

QString u(const char *s) { return QString::fromUtf8(s); }

struct Process {
    QString no, name;
    double price;
};
struct Product {
    int id;
    QString no, name, gvge;
    QList<Process> processes;
};
struct Line {
    QString pcNo, pcName, ipNo, batch;
    int product;
    double ordered = 0;
};
struct Worker {
    QString no, name, dept;
};

double money(double v) { return std::round(v * 100.0) / 100.0; }

QVariant dateValue(Connection *c, const QDate &d)
{
    return c->isEmbedded() ? QVariant(d.toString(Qt::ISODate)) : QVariant(d);
}

// What the tables already hold, to build piece records from.
struct Catalogue {
    QList<Product> products;
    QList<Line> lines;
    QList<Worker> workers;

    void read(Connection *c)
    {
        const QueryResult p = c->query(QStringLiteral("select ip_id, ip_no, ip_name, ip_gvge from f_ijpn order by ip_id"));
        for (const QVariantList &r : p.rows)
            products.append({r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString(), {}});
        const QueryResult g = c->query(QStringLiteral("select ip_id, gsxu_no, ip_gsxu, ip_djjw from f_ipgx order by ip_id, gsxu_no"));
        for (const QVariantList &r : g.rows)
            for (Product &pr : products)
                if (pr.id == r[0].toInt())
                    pr.processes.append({r[1].toString(), r[2].toString(), r[3].toDouble()});
        const QueryResult l = c->query(QStringLiteral(
            "select f_pici.pc_no, f_pici.pc_name, f_pcmx.ip_no, f_pcmx.g_ph, f_pcmx.pc_dhul from f_pici, f_pcmx "
            "where f_pici.pc_id=f_pcmx.pc_id order by f_pcmx.pc_id, f_pcmx.ip_no"));
        for (const QVariantList &r : l.rows) {
            Line line{r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(), -1, r[4].toDouble()};
            for (int i = 0; i < products.size(); ++i)
                if (products[i].no == line.ipNo)
                    line.product = i;
            if (line.product >= 0 && !products[line.product].processes.isEmpty())
                lines.append(line);
        }
        const bool dept = !c->columns(QStringLiteral("select * from f_rfyr where 1=0")).filter(QStringLiteral("dept_name"), Qt::CaseInsensitive).isEmpty();
        const QueryResult w = c->query(dept ? QStringLiteral("select ry_no, ry_name, dept_name from f_rfyr order by ry_no")
                                            : QStringLiteral("select ry_no, ry_name from f_rfyr order by ry_no"));
        for (const QVariantList &r : w.rows)
            workers.append({r[0].toString(), r[1].toString(), r.value(2).toString()});
    }
};

void insertMasterData(Connection *c, const DemoSize &size, std::mt19937 &rng)
{
    auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    auto range = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    const QDate first = size.lastDay.addMonths(-size.months);

    // Workers with Chinese names, unique within the list.
    QStringList names;
    for (int i = 0; i < size.workers; ++i) {
        QString name;
        do {
            name = u(kSurnames[pick(std::size(kSurnames))]) + u(kGivenNames[pick(std::size(kGivenNames))]);
            if (names.contains(name))
                name += u(kGivenNames[pick(std::size(kGivenNames))]);
        } while (names.contains(name));
        names.append(name);
        const QString no = QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        const QString dept = u(kDepartments[i % std::size(kDepartments)]);
        if (size.withDeptName)
            c->execute(QStringLiteral("insert into f_rfyr (ry_no,ry_name,dept_name,sex,in_date) values (:no,:name,:dept,:sex,:d)"),
                       {{"no", no}, {"name", name}, {"dept", dept}, {"sex", pick(2) ? u("男") : u("女")},
                        {"d", dateValue(c, first.addDays(-pick(900)))}});
        else
            c->execute(QStringLiteral("insert into f_rfyr (ry_no,ry_name,sex,in_date) values (:no,:name,:sex,:d)"),
                       {{"no", no}, {"name", name}, {"sex", pick(2) ? u("男") : u("女")},
                        {"d", dateValue(c, first.addDays(-pick(900)))}});
    }

    // Products with their process chains; the last process is packing, marked "是".
    for (int i = 0; i < size.products; ++i) {
        const auto &t = kProducts[i % std::size(kProducts)];
        const QString name = i < int(std::size(kProducts)) ? u(t.name) : u(t.name) + QString::number(i / std::size(kProducts) + 1);
        c->execute(QStringLiteral("insert into f_ijpn (ip_no,ip_name,ip_gvge) values (:no,:name,:gvge)"),
                   {{"no", QStringLiteral("CP%1").arg(i + 1, 3, 10, QLatin1Char('0'))}, {"name", name}, {"gvge", u(t.gvge)}});
        const int id = c->query(QStringLiteral("select max(ip_id) from f_ijpn")).rows[0][0].toInt();
        QStringList chain;
        const int steps = size.processesPerProduct > 0 ? std::clamp(size.processesPerProduct - 1, 1, int(std::size(kProcesses)))
                                                       : 3 + pick(3);
        int from = pick(std::size(kProcesses) - steps + 1);
        for (int s = 0; s < steps; ++s)
            chain.append(u(kProcesses[from + s]));
        chain.append(u("包装"));
        for (int s = 0; s < chain.size(); ++s) {
            const bool last = s == chain.size() - 1;
            c->execute(QStringLiteral("insert into f_ipgx (ip_id,gsxu_no,ip_gsxu,zcsl,ip_djjw,haoyong,ip_islast) "
                                      "values (:id,:no,:name,1,:price,:hours,:last)"),
                       {{"id", id}, {"no", QStringLiteral("%1").arg(s + 1, 2, 10, QLatin1Char('0'))}, {"name", chain[s]},
                        {"price", money(range(0.02, 0.30))}, {"hours", std::round(range(0.005, 0.05) * 1000) / 1000},
                        {"last", last ? u("是") : u("否")}});
        }
    }

    // Orders with lines; the oldest order is closed.
    for (int i = 0; i < size.orders; ++i) {
        const QDate made = first.addDays(i * std::max<qint64>(1, first.daysTo(size.lastDay) / std::max(1, size.orders)));
        const QString no = QStringLiteral("DD%1%2").arg(made.toString(QStringLiteral("yyyyMM"))).arg(i + 1, 3, 10, QLatin1Char('0'));
        c->execute(QStringLiteral("insert into f_pici (pc_no,pc_name,pc_date,pc_state,state_id) values (:no,:name,:d,:state,0)"),
                   {{"no", no}, {"name", u(kCustomers[i % std::size(kCustomers)]) + u("订单")}, {"d", dateValue(c, made)},
                    {"state", i == 0 ? u("结案") : u("生产")}});
        const int pcId = c->query(QStringLiteral("select max(pc_id) from f_pici")).rows[0][0].toInt();
        const int lines = size.linesPerOrder > 0 ? size.linesPerOrder : 1 + pick(3);
        for (int l = 0; l < lines && size.products > 0; ++l) {
            const int p = (i + l) % size.products;
            const QueryResult prod = c->query(QStringLiteral("select ip_no, ip_name, ip_gvge, ip_id from f_ijpn where ip_id=:id"),
                                              {{"id", p + 1}});
            if (prod.rows.isEmpty())
                continue;
            const double unit = c->query(QStringLiteral("select sum(ip_djjw) from f_ipgx where ip_id=:id"), {{"id", prod.rows[0][3]}})
                                    .rows[0][0].toDouble();
            const double qty = 100.0 * (5 + pick(196));
            c->execute(QStringLiteral("insert into f_pcmx (pc_id,ip_no,ip_name,ip_gvge,g_ph,pc_dhul,ip_dwsccb,ip_jhsccb) "
                                      "values (:pc,:no,:name,:gvge,:ph,:qty,:unit,:plan)"),
                       {{"pc", pcId}, {"no", prod.rows[0][0]}, {"name", prod.rows[0][1]}, {"gvge", prod.rows[0][2]},
                        {"ph", QStringLiteral("PH%1%2").arg(made.toString(QStringLiteral("yyMMdd"))).arg(l + 1, 2, 10, QLatin1Char('0'))},
                        {"qty", qty}, {"unit", money(unit)}, {"plan", money(unit * qty)}});
        }
    }
}

void insertSystemData(Connection *c, const DemoSize &size, std::mt19937 &rng)
{
    const QString clerk = u("张会计"), typist = u("李文员");
    for (const QString &user : {clerk, typist})
        c->execute(QStringLiteral("insert into userinfo (user_name,user_pass) values (:u,'')"), {{"u", user}});
    const struct {
        const char *table, *func, *type;
        bool typist;
    } rights[] = {
        {"f_pici", "订单监控", "拓展", false}, {"f_jijm", "调整工价", "拓展", false}, {"f_jijm", "选项设置", "拓展", false},
        {"f_ijpn", "预估工价", "拓展", false}, {"f_juar", "批量新增", "拓展", true},  {"f_jijm", "修改", "功能", false},
    };
    for (const auto &r : rights) {
        const QStringList users = r.typist ? QStringList{clerk, typist} : QStringList{clerk};
        for (const QString &user : users)
            c->execute(QStringLiteral("insert into usermod (mod_table,mod_func,mod_type,user_name) values (:t,:f,:k,:u)"),
                       {{"t", u(r.table)}, {"f", u(r.func)}, {"k", u(r.type)}, {"u", user}});
    }
    // The order module's own columns in the field registry, as the host shows them.
    const struct {
        const char *table, *caption, *field, *fieldCaption, *type, *visible;
        int width;
    } orderFields[] = {
        {"f_pici", "订单信息", "pc_no", "订单编号", "字符型", "显示", 14},
        {"f_pici", "订单信息", "pc_name", "订单名称", "字符型", "显示", 14},
        {"f_pici", "订单信息", "pc_date", "下单日期", "日期型", "显示", 10},
        {"f_pici", "订单信息", "pc_state", "状态", "字符型", "显示", 6},
        {"f_pici", "订单信息", "pc_wcl", "完成率", "数值型", "不激活", 8},
        {"f_pici", "订单信息", "ip_jhsccb", "计划成本", "货币型", "不激活", 10},
        {"f_pici", "订单信息", "pc_total", "生产产值", "货币型", "不激活", 10},
        {"f_pcmx", "订单明细", "ip_no", "产品编号", "字符型", "显示", 8},
        {"f_pcmx", "订单明细", "ip_name", "产品名称", "字符型", "显示", 14},
        {"f_pcmx", "订单明细", "ip_gvge", "产品规格", "字符型", "显示", 12},
        {"f_pcmx", "订单明细", "g_ph", "批号", "字符型", "显示", 10},
        {"f_pcmx", "订单明细", "pc_dhul", "订单数量", "数值型", "显示", 8},
        {"f_pcmx", "订单明细", "ip_dwsccb", "单位成本", "货币型", "不激活", 8},
        {"f_pcmx", "订单明细", "ip_jhsccb", "计划成本", "货币型", "不激活", 10},
        {"f_pcmx", "订单明细", "pc_total", "生产产值", "货币型", "不激活", 10},
        {"f_pcmx", "订单明细", "pc_wcl", "完成率", "数值型", "不激活", 8},
        {"f_pcmx", "订单明细", "pc_uizuu", "完工数量", "数值型", "不激活", 8},
        {"f_pcmx", "订单明细", "pc_ilwcl", "数量完成率", "数值型", "不激活", 8},
    };
    int fieldIndex = 0;
    QString lastTable;
    for (const auto &f : orderFields) {
        fieldIndex = lastTable == u(f.table) ? fieldIndex + 1 : 1;
        lastTable = u(f.table);
        c->execute(QStringLiteral("insert into f_system (Field_index,grid_index,table_name,table_caption,field_name,field_caption,"
                                  "Field_type,field_width,field_visible,field_kind,mod_parent,field_attribute) "
                                  "values (:i,:i,:t,:tc,:f,:fc,:ft,:w,:v,'TMyDBEdit','订单信息',0)"),
                   {{"i", fieldIndex}, {"t", u(f.table)}, {"tc", u(f.caption)}, {"f", u(f.field)}, {"fc", u(f.fieldCaption)},
                    {"ft", u(f.type)}, {"w", f.width}, {"v", u(f.visible)}});
    }

    const struct {
        const char *key;
        int value;
    } switches[] = {{"jijmopen_mode", 2}, {"jijmopen_day", 30}, {"dingdan_mode", 1}, {"statistics_mode", 0}};
    for (const auto &s : switches)
        c->execute(QStringLiteral("insert into tempconfig (key_name,key_index) values (:k,:v)"), {{"k", u(s.key)}, {"v", s.value}});
    c->execute(QStringLiteral("insert into f_sqlcase (script_type,script_table,table_caption,script_name,Script_index,Script_active,Script) "
                              "values (:ty,'f_jijm',:cap,:name,1,1,:sql)"),
               {{"ty", u("报表脚本")}, {"cap", u("计件工资")}, {"name", u("员工计件汇总")},
                {"sql", u("select ry_no,ry_name,sum(ip_uuld) as 数量,sum(jjje) as 金额 from f_jijm group by ry_no,ry_name")}});

    // Attendance of the last thirty days and a few output records of f_juar.
    Catalogue cat;
    cat.read(c);
    auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    for (int day = 0; day < 30; ++day) {
        const QDate d = size.lastDay.addDays(-day);
        for (const Worker &w : cat.workers) {
            const double present = pick(10) == 0 ? 0.0 : 1.0;
            if (size.withDeptName)
                c->execute(QStringLiteral("insert into F_Attendance (ry_no,ry_name,dept_name,chuqin,riqi) values (:n,:m,:d,:c,:r)"),
                           {{"n", w.no}, {"m", w.name}, {"d", w.dept}, {"c", present}, {"r", dateValue(c, d)}});
            else
                c->execute(QStringLiteral("insert into F_Attendance (ry_no,ry_name,chuqin,riqi) values (:n,:m,:c,:r)"),
                           {{"n", w.no}, {"m", w.name}, {"c", present}, {"r", dateValue(c, d)}});
        }
    }
    for (int i = 0; i < size.outputRecords && !cat.lines.isEmpty() && !cat.workers.isEmpty(); ++i) {
        const Line &line = cat.lines[pick(cat.lines.size())];
        const Product &p = cat.products[line.product];
        const Process &g = p.processes[pick(p.processes.size())];
        const Worker &w = cat.workers[pick(cat.workers.size())];
        const double qty = 10.0 * (5 + pick(80));
        SqlParams params{{"d", dateValue(c, size.lastDay.addDays(-pick(20)))}, {"no", w.no}, {"name", w.name},
                         {"ip", p.no}, {"ipn", p.name}, {"gvge", p.gvge}, {"gno", g.no}, {"gname", g.name},
                         {"q", qty}, {"price", g.price}, {"amount", money(qty * g.price)}};
        QString cols = QStringLiteral("riqi,ry_no,ry_name,ip_no,ip_name,ip_gvge,gsxu_no,ip_gsxu,ip_uuld,ip_djjw,jjje");
        QString vals = QStringLiteral(":d,:no,:name,:ip,:ipn,:gvge,:gno,:gname,:q,:price,:amount");
        if (size.withDeptName) {
            cols += QStringLiteral(",dept_name");
            vals += QStringLiteral(",:dept");
            params.append({"dept", w.dept});
        }
        c->execute(QStringLiteral("insert into f_juar (%1) values (%2)").arg(cols, vals), params);
    }
}

} // namespace

int addPieceRecords(Connection *connection, int count, quint32 seed, const QDate &lastDay, int months)
{
    Catalogue cat;
    cat.read(connection);
    if (cat.lines.isEmpty() || cat.workers.isEmpty() || count <= 0)
        return 0;
    std::mt19937 rng(seed);
    auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    const QDate first = lastDay.addMonths(-std::max(1, months));
    const int span = int(first.daysTo(lastDay)) + 1;

    // One prepared statement for every row: the text needs no translation on either engine.
    QSqlQuery q(connection->database());
    if (!q.prepare(QStringLiteral("insert into f_jijm (riqi,ry_no,ry_name,pc_no,pc_name,ip_no,ip_name,ip_gvge,G_PH,"
                                  "gsxu_no,ip_gsxu,ip_djjw,ip_uuld,jjje,locked) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")))
        throw DbError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()), QStringLiteral("insert into f_jijm"));
    const bool ownTransaction = !connection->inTransaction();
    if (ownTransaction)
        connection->beginTransaction();
    const QVariant noLock(QMetaType::fromType<QString>());
    const QString audited = u("审核");
    try {
        for (int i = 0; i < count; ++i) {
            QDate d = first.addDays(pick(span));
            if (d.dayOfWeek() == 7)
                d = d.addDays(-1);
            const Line &line = cat.lines[pick(cat.lines.size())];
            const Product &p = cat.products[line.product];
            const Process &g = p.processes[pick(p.processes.size())];
            const Worker &w = cat.workers[pick(cat.workers.size())];
            // Each line is produced to its own share of the ordered quantity (35 % to 105 %), so
            // that the orders stand at different, believable stages.
            const double share = 0.35 + 0.7 * double(qHash(line.pcNo + line.ipNo) % 101) / 100.0;
            const double mean = line.ordered > 0
                ? line.ordered * share * double(cat.lines.size()) * double(p.processes.size()) / double(count)
                : 400.0;
            const double qty = std::max(1.0, std::round(mean * (0.5 + pick(101) / 100.0)));
            q.bindValue(0, dateValue(connection, d));
            q.bindValue(1, w.no);
            q.bindValue(2, w.name);
            q.bindValue(3, line.pcNo);
            q.bindValue(4, line.pcName);
            q.bindValue(5, p.no);
            q.bindValue(6, p.name);
            q.bindValue(7, p.gvge);
            q.bindValue(8, line.batch);
            q.bindValue(9, g.no);
            q.bindValue(10, g.name);
            q.bindValue(11, g.price);
            q.bindValue(12, qty);
            q.bindValue(13, money(qty * g.price));
            q.bindValue(14, d.daysTo(lastDay) > 45 ? QVariant(audited) : noLock);
            if (!q.exec())
                throw DbError(QStringLiteral("数据库错误：%1").arg(q.lastError().text()), QStringLiteral("insert into f_jijm"));
        }
        q.finish();
        if (ownTransaction)
            connection->commit();
    } catch (...) {
        q.finish();
        if (ownTransaction && connection->inTransaction())
            connection->rollback();
        throw;
    }
    return count;
}

void createWageDatabase(Connection *connection, Dialect dialect, const DemoSize &size)
{
    if (connection->dialect() != dialect)
        throw DbError(QStringLiteral("连接的数据库类型是 %1，不是 %2").arg(dialectName(connection->dialect()), dialectName(dialect)),
                      QString());
    std::mt19937 rng(size.seed);
    connection->beginTransaction();
    try {
        createWageSchema(connection, size.withDeptName);
        insertMasterData(connection, size, rng);
        insertSystemData(connection, size, rng);
        connection->commit();
    } catch (...) {
        if (connection->inTransaction())
            connection->rollback();
        throw;
    }
    int records = size.pieceRecords;
    if (records < 0) {
        int workingDays = 0;
        for (QDate d = size.lastDay.addMonths(-size.months); d <= size.lastDay; d = d.addDays(1))
            workingDays += d.dayOfWeek() == 7 ? 0 : 1;
        records = 2 * size.workers * workingDays;
    }
    addPieceRecords(connection, records, size.seed + 1, size.lastDay, size.months);
}

} // namespace wage
