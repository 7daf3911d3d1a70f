// The summary run "汇总统计" over every order through the real plug-in (hosted in-process on
// the offscreen platform) beside a set-based reference written by hand for SQLite, on the
// demonstration database scaled to 200 orders x 5 lines x 8 processes, at two sizes of the
// piece records. Both must give the same figures.
//
//   build/bench/ordmon_bench [small large]     (default 100000 1000000 piece records)
#include "benchhost.h"

#include "core/appdir.h"
#include "core/prompt.h"
#include "db/dataset.h"
#include "db/datasource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

void raw(wage::Connection *c, const QString &sql)
{
    QSqlQuery q(c->database());
    if (!q.exec(sql))
        std::fprintf(stderr, "参考语句失败：%s\n%s\n", q.lastError().text().toUtf8().constData(), sql.toUtf8().constData());
}

// The same figures in a few grouped statements (statistics mode 0, T-SQL dialect: a quotient
// of two money columns is money, rounded to four decimals).
void reference(wage::Connection *c)
{
    for (const char *t : {"ref_sum", "ref_pcjk", "ref_pcmx", "ref_pici"})
        raw(c, QStringLiteral("drop table if exists %1").arg(QLatin1String(t)));
    raw(c, QStringLiteral(
               "create table ref_sum as select rtrim(pc_no) as pc_no, rtrim(ip_no) as ip_no, rtrim(gsxu_no) as gsxu_no, "
               "sum(ip_uuld) as s, count(riqi) as c from f_jijm group by 1, 2, 3"));
    raw(c, QStringLiteral("create index ref_sum_key on ref_sum (pc_no, ip_no, gsxu_no)"));
    raw(c, QStringLiteral(
               "create table ref_pcjk as select m.pc_id, p.pc_no, m.ip_no, b.gsxu_no, b.zcsl, b.ip_djjw, b.ip_islast, "
               "b.zcsl*m.pc_dhul as pc_dhul, coalesce(s.s, 0) as pc_sjcl, coalesce(s.c, 0) as ip_days, "
               "case when coalesce(s.c, 0) <> 0 then s.s*1.0/s.c end as ip_rjcl, b.zcsl*b.haoyong as workhours "
               "from f_pcmx m join f_pici p on p.pc_id = m.pc_id join f_ijpn a on a.ip_no = m.ip_no "
               "join f_ipgx b on b.ip_id = a.ip_id "
               "left join ref_sum s on s.pc_no = rtrim(p.pc_no) and s.ip_no = rtrim(m.ip_no) and s.gsxu_no = rtrim(b.gsxu_no)"));
    raw(c, QStringLiteral("alter table ref_pcjk add column pc_wwsl"));
    raw(c, QStringLiteral("alter table ref_pcjk add column ip_syts"));
    raw(c, QStringLiteral("update ref_pcjk set pc_wwsl = pc_dhul - pc_sjcl, "
                          "ip_syts = case when pc_dhul - pc_sjcl > 0 and ip_rjcl <> 0 then round((pc_dhul - pc_sjcl)/ip_rjcl, 4) end"));
    raw(c, QStringLiteral(
               "create table ref_pcmx as select r.pc_id, r.ip_no, sum(r.ip_djjw*r.zcsl) as ip_dwsccb, "
               "sum(r.ip_djjw*r.pc_sjcl) as pc_total, max(m.pc_dhul) as pc_dhul, "
               "max(case when r.ip_islast = '是' and r.zcsl <> 0 and r.pc_sjcl <> 0 then r.pc_sjcl*1.0/r.zcsl end) as pc_uizuu "
               "from ref_pcjk r join f_pcmx m on m.pc_id = r.pc_id and m.ip_no = r.ip_no group by r.pc_id, r.ip_no"));
    raw(c, QStringLiteral(
               "create table ref_pici as select pc_id, sum(pc_total) as pc_total, sum(pc_dhul*ip_dwsccb) as ip_jhsccb "
               "from ref_pcmx group by pc_id"));
    raw(c, QStringLiteral("alter table ref_pici add column workhours"));
    raw(c, QStringLiteral("update ref_pici set workhours = (select sum(workhours*pc_dhul) from ref_pcjk r where r.pc_id = ref_pici.pc_id)"));
}

// Rows whose figures differ between the plug-in and the reference.
int differences(wage::Connection *c)
{
    auto count = [c](const QString &sql) {
        QSqlQuery q(c->database());
        if (!q.exec(sql) || !q.next()) {
            std::fprintf(stderr, "%s\n", q.lastError().text().toUtf8().constData());
            return -1;
        }
        return q.value(0).toInt();
    };
    auto differ = [](const char *a, const char *b) {
        return QStringLiteral("(abs(coalesce(%1,-1e9) - coalesce(%2,-1e9)) > 1e-6 * (1 + abs(coalesce(%2,0))))")
            .arg(QLatin1String(a), QLatin1String(b));
    };
    const int pcjk = count(QStringLiteral("select count(*) from ref_pcjk r left join f_pcjk k on k.pc_id = r.pc_id "
                                          "and k.ip_no = r.ip_no and k.gsxu_no = r.gsxu_no where k.id is null or ")
                           + QStringList{differ("k.pc_dhul", "r.pc_dhul"), differ("k.pc_sjcl", "r.pc_sjcl"),
                                         differ("k.ip_days", "r.ip_days"), differ("k.ip_rjcl", "r.ip_rjcl"),
                                         differ("k.pc_wwsl", "r.pc_wwsl"), differ("k.ip_syts", "r.ip_syts")}
                                 .join(QStringLiteral(" or ")));
    const int pcmx = count(QStringLiteral("select count(*) from ref_pcmx r join f_pcmx m on m.pc_id = r.pc_id and m.ip_no = r.ip_no where ")
                           + QStringList{differ("m.ip_dwsccb", "r.ip_dwsccb"), differ("m.pc_total", "r.pc_total"),
                                         differ("m.pc_uizuu", "r.pc_uizuu"), differ("m.ip_jhsccb", "r.pc_dhul*r.ip_dwsccb")}
                                 .join(QStringLiteral(" or ")));
    const int pici = count(QStringLiteral("select count(*) from ref_pici r join f_pici p on p.pc_id = r.pc_id where ")
                           + QStringList{differ("p.pc_total", "r.pc_total"), differ("p.ip_jhsccb", "r.ip_jhsccb"),
                                         differ("p.WorkHours", "r.workhours"),
                                         differ("p.pc_wcl", "round(r.pc_total*1.0/r.ip_jhsccb, 4)")}
                                 .join(QStringLiteral(" or ")));
    const int rows = count(QStringLiteral("select count(*) from ref_pcjk"));
    std::printf("  对比：工序行 %d 行，不一致 工序 %d / 明细 %d / 订单 %d\n", rows, pcjk, pcmx, pici);
    return pcjk < 0 || pcmx < 0 || pici < 0 ? -1 : pcjk + pcmx + pici;
}

struct Figures {
    double plugin = 0, reference = 0;
    int differing = 0;
};

Figures runOnce(int records)
{
    BenchHost bench;
    bench.dir.setAutoRemove(qEnvironmentVariableIsEmpty("ORDMON_BENCH_KEEP"));
    if (!bench.dir.autoRemove())
        std::printf("  数据库目录 %s\n", bench.dir.path().toUtf8().constData());
    if (!bench.build(records)) {
        std::fprintf(stderr, "程序目录无法写入\n");
        return {};
    }
    std::printf("计件记录 %d 条：数据库 %lld ms\n", records, bench.databaseMs);
    wage::Connection *c = bench.connection();
    host::TModuleForm *orders = nullptr;
    QWidget *monitor = bench.openMonitor(&orders);
    if (!monitor) {
        std::fprintf(stderr, "订单监控窗口没有打开\n");
        return {};
    }
    QElapsedTimer t;
    monitor->findChild<QRadioButton *>(QStringLiteral("RadioButton2"))->click();
    t.restart();
    monitor->findChild<QAbstractButton *>(QStringLiteral("ToolButton1"))->click();
    std::printf("  刷新（重建工序行）%lld ms\n", t.elapsed());
    orders->datasource1->dataSet()->first();
    t.restart();
    monitor->findChild<QAbstractButton *>(QStringLiteral("ToolButton2"))->click();
    Figures f;
    f.plugin = t.elapsed();
    t.restart();
    reference(c);
    f.reference = t.elapsed();
    f.differing = differences(c);
    std::printf("  汇总统计（插件）%.0f ms   手写 SQLite 参考 %.0f ms   比值 %.2f\n", f.plugin, f.reference,
                f.reference > 0 ? f.plugin / f.reference : 0.0);
    bench.mainForm->closeModules();
    QApplication::processEvents();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    wage::ScopedScriptedPrompt prompt;
    keepBenchRunning();
    const int small = argc > 1 ? atoi(argv[1]) : 100000;
    const int large = argc > 2 ? atoi(argv[2]) : 1000000;
    std::printf("订单监控汇总统计：200 个订单 x 5 条明细 x 8 道工序\n");
    const Figures a = runOnce(small);
    const Figures b = runOnce(large);
    std::printf("\n%-12s %14s %14s %8s\n", "计件记录", "插件 ms", "参考 ms", "比值");
    std::printf("%-12d %14.0f %14.0f %8.2f\n", small, a.plugin, a.reference, a.reference > 0 ? a.plugin / a.reference : 0.0);
    std::printf("%-12d %14.0f %14.0f %8.2f\n", large, b.plugin, b.reference, b.reference > 0 ? b.plugin / b.reference : 0.0);
    std::printf("增长（插件 %d → %d 条）：%.2f 倍；参考：%.2f 倍\n", small, large, a.plugin > 0 ? b.plugin / a.plugin : 0.0,
                a.reference > 0 ? b.reference / a.reference : 0.0);
    std::printf("结果一致：%s\n", a.differing == 0 && b.differing == 0 ? "是" : "否");
    return a.differing == 0 && b.differing == 0 ? 0 : 1;
}
