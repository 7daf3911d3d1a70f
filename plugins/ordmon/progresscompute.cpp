// The arithmetic of order monitoring: process rows of one order line, the line's figures in
// f_pcmx and the order's figures in f_pici, all computed by SQL on the host's connection.
#include "ordmon/linesql.h"
#include "ordmon/pendingmessages.h"
#include "ordmon/progressshow.h"
#include "ordmon/tordmon_form.h"

#include "core/config.h"
#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/sqlroutines.h"
#include "net/alert.h"

#include <QCoreApplication>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

using ordmon::numberText;
using wage::sqlQuote;

namespace {

// Statements per statistics mode (0 product, 1 product and 规格 (size), 2 batch).
const char *const kProcessRows[] = {
    "select * from f_pcjk where pc_id=:pc_id and ip_no=:ip_no",
    "select * from f_pcjk where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "select * from f_pcjk where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kDeleteRows[] = {
    "delete from f_pcjk  where pc_id=:pc_id and ip_no=:ip_no ",
    "delete from f_pcjk  where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "delete from f_pcjk  where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kInsertHead = "Insert into f_pcjk ( pc_id,ip_no,ip_gvge, gsxu_no, ip_gsxu ,zcsl, ip_djjw,workhours) ";
const char *const kInsertSelect[] = {
    "select :pc_id,a.ip_no,a.ip_gvge, b.gsxu_no, b.ip_gsxu ,b.zcsl, b.ip_djjw,(b.zcsl*b.haoyong) as workhours from f_ijpn a,f_ipgx b where a.ip_id=b.ip_id and  a.ip_no=:ip_no ",
    "select :pc_id,a.ip_no,a.ip_gvge, b.gsxu_no, b.ip_gsxu ,b.zcsl, b.ip_djjw,(b.zcsl*b.haoyong) as workhours from f_ijpn a,f_ipgx b where a.ip_id=b.ip_id and a.ip_no=:ip_no and ip_gvge=:ip_gvge ",
};
const char *const kPlanned[] = {
    "update f_pcjk set pc_dhul=zcsl*:pc_dhul where pc_id=:pc_id and ip_no=:ip_no ",
    "update f_pcjk set pc_dhul=zcsl*:pc_dhul where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "update f_pcjk set pc_dhul=zcsl*:pc_dhul where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kOrderNoWhere[] = {
    " where pc_id=:pc_id and ip_no=:ip_no ",
    " where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    " where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kOutstanding[] = {
    "update f_pcjk set pc_wwsl=pc_dhul-pc_sjcl where pc_id=:pc_id and ip_no=:ip_no ",
    "update f_pcjk set pc_wwsl=pc_dhul-pc_sjcl where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "update f_pcjk set pc_wwsl=pc_dhul-pc_sjcl where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kUnitCost[] = {
    "select sum(ip_djjw*zcsl) From f_pcjk  where pc_id=:pc_id and ip_no=:ip_no ",
    "select sum(ip_djjw*zcsl) From f_pcjk  where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "select sum(ip_djjw*zcsl) From f_pcjk  where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};
const char *const kValue[] = {
    "select sum(ip_djjw*pc_sjcl) From f_pcjk  where pc_id=:pc_id and ip_no=:ip_no ",
    "select sum(ip_djjw*pc_sjcl) From f_pcjk where pc_id=:pc_id and ip_no=:ip_no and ip_gvge=:ip_gvge",
    "select sum(ip_djjw*pc_sjcl) From f_pcjk where pc_id=:pc_id and ip_no=:ip_no and G_PH=:G_PH",
};

bool validMode(int mode) { return mode >= 0 && mode <= 2; }

QString u8(const char *s) { return QString::fromUtf8(s); }

} // namespace

int TOrdmon_form::readStatisticsMode() const
{
    return GetSqli(QStringLiteral("select key_index from tempconfig where key_name='statistics_mode'"), connection);
}

QString TOrdmon_form::QueryLineValue(const QString &sql, wage::DataSource *source)
{
    try {
        const wage::QueryResult r = connection->queryRows(sql, 1, ordmon::paramsFromRecord(sql, source));
        if (r.rows.isEmpty() || r.rows.first().isEmpty())
            return QString();
        return ordmon::valueText(r.rows.first().first());
    } catch (const std::exception &) {
        return QString();
    }
}

bool TOrdmon_form::ExecLineSql(const QString &sql, wage::DataSource *source)
{
    try {
        connection->execute(sql, ordmon::paramsFromRecord(sql, source), 0);
        return true;
    } catch (const wage::DbError &e) {
        wage::prompt().error(e.reason() + QStringLiteral("\r0\r") + sql, QStringLiteral("提示"));
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromUtf8(e.what()) + QStringLiteral("\r0\r") + sql, QStringLiteral("提示"));
    }
    try {
        WriteErrLog(sql);
    } catch (const std::exception &) {
    }
    return false;
}

void TOrdmon_form::OpenProcessQueries()
{
    const int mode = readStatisticsMode();
    Omq_ADOQuery1->close();
    Omq_ADOQuery1->setConnection(connection);
    Omq_ADOQuery1->setMasterSource(DataSource_detail);
    Omq_ADOQuery1->setCommandText(validMode(mode) ? u8(kProcessRows[mode]) : QString());
    if (validMode(mode))
        Omq_ADOQuery1->open();
    // A database without the script table still monitors its orders.
    try {
        openScriptList();
    } catch (const std::exception &e) {
        WriteErrLog(QString::fromUtf8(e.what()));
    }
}

void TOrdmon_form::RebuildLineProcesses()
{
    const int mode = readStatisticsMode();
    if (!validMode(mode))
        return;
    ExecLineSql(u8(kDeleteRows[mode]), DataSource_detail);
    QString insert;
    if (mode == 2)
        insert = QStringLiteral("Insert into f_pcjk ( pc_id,ip_no,ip_gvge, gsxu_no, ip_gsxu ,zcsl, ip_djjw,workhours,g_ph) "
                                "select :pc_id,a.ip_no,a.ip_gvge, b.gsxu_no, b.ip_gsxu ,b.zcsl, b.ip_djjw,(b.zcsl*b.haoyong) as workhours,'")
                 + sqlQuote(lineText(QStringLiteral("G_PH")))
                 + QStringLiteral("' from f_ijpn a,f_ipgx b where a.ip_id=b.ip_id and a.ip_no=:ip_no  ");
    else
        insert = u8(kInsertHead) + u8(kInsertSelect[mode]);
    ExecLineSql(insert, DataSource_detail);
}

void TOrdmon_form::ComputeLineProgress()
{
    const int mode = readStatisticsMode();
    wage::DataSource *line = DataSource_detail;
    if (validMode(mode)) {
        ExecLineSql(u8(kPlanned[mode]), line);
        const QString P = QueryLineValue(QStringLiteral("select pc_no from f_pici where pc_id=:pc_id"), line);
        ExecLineSql(QStringLiteral("update f_pcjk set pc_no='") + sqlQuote(P) + QLatin1Char('\'') + u8(kOrderNoWhere[mode]), line);
    }

    wage::Dataset *rows = Omq_ADOQuery1;
    // disabled before the refresh, so that its close and reopen do not each reset the grids
    rows->disableControls();
    if (rows->isActive())
        SetDataSetRefresh(rows);
    ProgressBar2->setMaximum(rows->isActive() ? rows->recordCount() : 0);
    if (!rows->isActive() || rows->isEmpty()) {
        AlertMess(QStringLiteral("提示"),
                  QStringLiteral("订单：") + orderText(QStringLiteral("pc_no")) + QStringLiteral("，产品：")
                      + TrimText(lineText(QStringLiteral("ip_no"))) + TrimText(lineText(QStringLiteral("ip_name")))
                      + QStringLiteral("，工序为空，请") + QLatin1Char('"') + QStringLiteral("刷新") + QLatin1Char('"')
                      + QStringLiteral("后重试，如仍出现此提示说明您没有定义工序。"));
        stopped = true;
        rows->enableControls();
        return;
    }

    const bool access = GetConType() == QLatin1String("ACCESS");
    // What the loop never writes (the products' processes, the piece records, the line's keys
    // and unit cost) is read once per line, not once per process row.
    QHash<QString, QString> readOnce;
    const auto once = [&readOnce](const QString &sql, const auto &read) {
        auto it = readOnce.constFind(sql);
        if (it == readOnce.constEnd())
            it = readOnce.insert(sql, read(sql));
        return it.value();
    };
    const auto sqlStr = [this](const QString &sql) { return GetSqlStr(sql, connection); };
    const auto lineValue = [this, line](const QString &sql) { return QueryLineValue(sql, line); };
    rows->first();
    while (!rows->eof()) {
        ordmon::showProgress(ProgressBar2, rows->recNo());
        const QString rowIpNo = rows->value(QStringLiteral("ip_no")).toString();
        const QString rowPcNo = TrimText(rows->value(QStringLiteral("pc_no")).toString());
        const QString rowProcess = TrimText(rows->value(QStringLiteral("gsxu_no")).toString());

        // The product's last process and its composition quantity; a product number that is
        // not unique in f_ijpn has no id, hence no last process.
        const QString I = numberText(once(QStringLiteral("select ip_id from f_ijpn where ip_no='") + sqlQuote(rowIpNo)
                                              + QLatin1Char('\''),
                                          sqlStr));
        QString L, Z;
        if (!I.isEmpty()) {
            L = once(QStringLiteral("select gsxu_no from f_ipgx where ip_id=") + I + QStringLiteral(" and ip_islast='是'"), sqlStr);
            if (!L.isEmpty())
                Z = once(QStringLiteral("select zcsl from f_ipgx where ip_id=") + I + QStringLiteral(" and gsxu_no='") + sqlQuote(L)
                             + QLatin1Char('\''),
                         sqlStr);
        }

        QString K = QStringLiteral("' and Rtrim(ip_no)='") + sqlQuote(TrimText(rowIpNo));
        if (mode == 1)
            K += QStringLiteral("' and Rtrim(ip_gvge)='") + sqlQuote(TrimText(rows->value(QStringLiteral("ip_gvge")).toString()));
        else if (mode == 2)
            K += QStringLiteral("' and Rtrim(G_PH)='") + sqlQuote(TrimText(rows->value(QStringLiteral("G_PH")).toString()));
        const QString match = QStringLiteral(" from f_jijm where Rtrim(pc_no)='") + sqlQuote(rowPcNo) + K
                              + QStringLiteral("' and Rtrim(gsxu_no)='") + sqlQuote(rowProcess) + QLatin1Char('\'');
        rows->edit();
        if (validMode(mode)) {
            rows->setValue(QStringLiteral("pc_sjcl"), GetSqlFloat(QStringLiteral("select sum(ip_uuld)") + match, connection));
            rows->setValue(QStringLiteral("ip_days"), GetSqlFloat(QStringLiteral("select count(riqi)") + match, connection));
        }
        const double days = rows->value(QStringLiteral("ip_days")).toDouble();
        rows->setValue(QStringLiteral("ip_rjcl"),
                       days != 0 ? QVariant(rows->value(QStringLiteral("pc_sjcl")).toDouble() / days) : QVariant());
        try {
            rows->post();
        } catch (const wage::DbError &) {
            rows->cancel();
            AlertMess(QStringLiteral("提示"), orderText(QStringLiteral("pc_no")) + QStringLiteral("统计未完成，稍后重试！"));
            SetDataSetRefresh(rows);
        }

        if (validMode(mode)) {
            const QString C = once(QStringLiteral("select pc_id from f_pcjk where pc_id=:pc_id and ip_no=:ip_no "), lineValue);
            const QString N = once(QStringLiteral("select ip_no from f_pcjk where pc_id=:pc_id and ip_no=:ip_no "), lineValue);
            const QString V = mode == 1 ? lineText(QStringLiteral("ip_gvge")) : lineText(QStringLiteral("G_PH"));
            const QString S0 = C + QStringLiteral(" and ip_no='") + sqlQuote(N) + QLatin1Char('\'');
            const QString Sm = mode == 0 ? S0
                               : mode == 1 ? S0 + QStringLiteral(" and ip_gvge='") + sqlQuote(V) + QLatin1Char('\'')
                                           : S0 + QStringLiteral(" and G_PH='") + sqlQuote(V) + QLatin1Char('\'');
            ExecLineSql(u8(kOutstanding[mode]), line);
            if (!C.isEmpty()) {
                const QString D = once(u8(kUnitCost[mode]), lineValue);
                if (!D.isEmpty())
                    RunSqlCommand(QStringLiteral("update f_pcmx set ip_dwsccb=") + D + QStringLiteral(" where pc_id=") + Sm, connection);
                const QString T = QueryLineValue(u8(kValue[mode]), line);
                if (!T.isEmpty())
                    RunSqlCommand(QStringLiteral("update f_pcmx set pc_total=") + T + QStringLiteral(" where pc_id=") + Sm, connection);
                if (mode == 0)
                    RunSqlCommand(QStringLiteral("update f_pcmx set pc_wcl=pc_total/ip_jhsccb where (ip_jhsccb is not null and "
                                                 "ip_jhsccb<>0) and pc_id=")
                                      + S0,
                                  connection);
                if (!L.isEmpty() && !access) {
                    const QString where = mode == 0 ? QStringLiteral(" where  pc_id=") + S0 : QStringLiteral(" where pc_id=") + Sm;
                    const QString U = numberText(once(QStringLiteral("select sum(ip_uuld) from f_jijm where  Rtrim(pc_no)='")
                                                          + sqlQuote(rowPcNo) + K + QStringLiteral("' and Rtrim(gsxu_no)='")
                                                          + sqlQuote(L) + QLatin1Char('\''),
                                                      sqlStr));
                    bool zeroZ = true;
                    const double z = QLocale::c().toDouble(TrimText(Z), &zeroZ);
                    zeroZ = !zeroZ || z == 0;
                    // Without output of the last process there is no finished quantity: a value
                    // left from an earlier run must not be divided again.
                    if (U.isEmpty() || zeroZ)
                        RunSqlCommand(QStringLiteral("update f_pcmx set pc_uizuu=null") + where, connection);
                    else {
                        RunSqlCommand(QStringLiteral("update f_pcmx set pc_uizuu=") + U + where, connection);
                        RunSqlCommand(QStringLiteral("update f_pcmx set pc_uizuu=pc_uizuu/") + numberText(TrimText(Z)) + where,
                                      connection);
                    }
                }
            }
        }
        ExecLineSql(QStringLiteral("update f_pcjk set pc_wwsl=pc_dhul-pc_sjcl where pc_id=:pc_id "), line);
        ExecLineSql(QStringLiteral("update f_pcjk set ip_syts=pc_wwsl/ip_rjcl where pc_id=:pc_id and pc_wwsl>0 and ip_rjcl<>0 "), line);

        rows->next();
        Label2->setText(QStringLiteral("监控汇总中....%1/%2").arg(ProgressBar2->value()).arg(ProgressBar2->maximum()));
        ordmon::letMessagesRun();
    }
    rows->enableControls();
    ProgressBar2->setValue(0);
}

void TOrdmon_form::SummarizeOrder()
{
    const QString O = QueryLineValue(QStringLiteral("select pc_id from f_pici where pc_id=:pc_id"), DataSource_detail);
    if (O.isEmpty())
        return;
    const QString A = numberText(GetSqlStr(QStringLiteral("select sum(pc_sjcl*ip_djjw) from f_pcjk where pc_id=") + O, connection));
    if (!A.isEmpty())
        RunSqlCommand(QStringLiteral("update f_pici set pc_total=") + A + QStringLiteral(" where pc_id=") + O, connection);
    RunSqlCommand(QStringLiteral("update f_pcmx set ip_jhsccb=pc_dhul*ip_dwsccb  where pc_id=") + O, connection);
    RunSqlCommand(QStringLiteral("update f_pcmx set pc_ilwcl=null  where pc_id=") + O, connection);
    if (GetConType() != QLatin1String("ACCESS"))
        RunSqlCommand(QStringLiteral("update f_pcmx set pc_ilwcl=pc_uizuu/pc_dhul  where (pc_dhul <>0 and pc_dhul is not null) and pc_id=") + O,
                      connection);
    const QString B = numberText(GetSqlStr(QStringLiteral("select sum(ip_jhsccb) from f_pcmx where pc_id=") + O, connection));
    if (!B.isEmpty())
        RunSqlCommand(QStringLiteral("update f_pici set ip_jhsccb=") + B + QStringLiteral(" where pc_id=") + O, connection);
    RunSqlCommand(QStringLiteral("update f_pici set pc_wcl=pc_total/ip_jhsccb where ip_jhsccb<>0 and pc_id=") + O, connection);
    const double H = GetSqlFloat(QStringLiteral("select sum(workhours*pc_dhul) from f_pcjk where pc_id=") + O, connection)
                     + GetSqlFloat(QStringLiteral("select sum(zhunbei)  from f_pcjk where pc_id=") + O, connection);
    RunSqlCommand(QStringLiteral("update f_pici set WorkHours=") + ordmon::decimalText(H)
                      + QStringLiteral(",shengchanYK=ip_jhsccb-pc_total where pc_id=") + O,
                  connection);
}
