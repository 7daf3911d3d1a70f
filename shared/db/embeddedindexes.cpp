#include "db/embeddedindexes.h"

#include "db/connection.h"
#include "db/sqlitefunctions.h"

#include <QSqlQuery>
#include <QStringList>

namespace wage {

namespace {

struct IndexSpec {
    const char *name;
    const char *table;
    const char *columns;   // columns that must exist, comma-separated
    const char *keys;      // the index keys as SQLite text
};

// rtrim(x) COLLATE WAGETEXT is exactly what the translator writes for Rtrim(x)='...', so the
// summing queries of the progress computation are served by these indexes.
const IndexSpec kIndexes[] = {
    {"wx_f_jijm_pc_gsxu", "f_jijm", "pc_no,gsxu_no", "rtrim(\"pc_no\") COLLATE WAGETEXT, rtrim(\"gsxu_no\") COLLATE WAGETEXT"},
    // The order monitoring's sums per order, product and process: the summed columns are
    // keys too, so that the sums read the index alone, never the rows of a large table.
    {"wx_f_jijm_pc_ip_gsxu_sum", "f_jijm", "pc_no,ip_no,gsxu_no,ip_uuld,riqi",
     "rtrim(\"pc_no\") COLLATE WAGETEXT, rtrim(\"ip_no\") COLLATE WAGETEXT, rtrim(\"gsxu_no\") COLLATE WAGETEXT, "
     "\"ip_uuld\", \"riqi\""},
    {"wx_f_jijm_gsxu", "f_jijm", "gsxu_no", "\"gsxu_no\""},
    {"wx_f_jijm_gsxu_rt", "f_jijm", "gsxu_no", "rtrim(\"gsxu_no\") COLLATE WAGETEXT"},
    {"wx_f_jijm_pc_no", "f_jijm", "pc_no", "\"pc_no\""},
    {"wx_f_jijm_gph", "f_jijm", "G_PH", "\"G_PH\""},
    {"wx_f_jijm_riqi", "f_jijm", "riqi", "\"riqi\""},
    {"wx_f_jijm_dj_no", "f_jijm", "dj_no", "\"dj_no\""},
    {"wx_f_pcmx_pc_id", "f_pcmx", "pc_id", "\"pc_id\""},
    {"wx_f_pcjk_pc_ip", "f_pcjk", "pc_id,ip_no", "\"pc_id\", \"ip_no\""},
    {"wx_f_ipgx_ip_id", "f_ipgx", "ip_id", "\"ip_id\""},
    {"wx_f_ipgx_gsxu_rt", "f_ipgx", "gsxu_no", "rtrim(\"gsxu_no\") COLLATE WAGETEXT"},
};

} // namespace

void ensureEmbeddedIndexes(Connection *connection)
{
    if (!connection || !connection->isOpen() || !connection->isEmbedded())
        return;
    const QStringList tables = connection->tableNames();
    QStringList existing;
    {
        QSqlQuery q(connection->database());
        q.exec(QStringLiteral("select name from sqlite_master where type='index'"));
        while (q.next())
            existing.append(q.value(0).toString());
    }
    bool created = false;
    for (const IndexSpec &ix : kIndexes) {
        const QString table = QLatin1String(ix.table);
        if (!tables.contains(table, Qt::CaseInsensitive) || existing.contains(QLatin1String(ix.name), Qt::CaseInsensitive))
            continue;
        QSqlDatabase db = connection->database();
        const QStringList have = connection->columns(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"));
        bool complete = true;
        for (const QString &col : QString::fromLatin1(ix.columns).split(QLatin1Char(',')))
            complete = complete && have.contains(col, Qt::CaseInsensitive);
        if (!complete)
            continue;
        // written for SQLite directly: these keys are the translator's output form
        QSqlQuery q(db);
        created = q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (%3)")
                             .arg(QLatin1String(ix.name), table, QLatin1String(ix.keys)))
                  || created;
    }
    if (created) {
        // statistics let the planner prefer these indexes over scans
        QSqlQuery analyze(connection->database());
        analyze.exec(QStringLiteral("ANALYZE"));
    }
}

} // namespace wage
