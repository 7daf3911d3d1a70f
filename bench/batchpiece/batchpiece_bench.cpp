// The batch entry of the batch-entry module on a demonstration database, through the host
// module's buttons, the worker lookup and Alert.dll's formulas, beside a direct parameterised
// INSERT of the same rows; and the worker list's quick search by initials over its workers,
// timed per keystroke.
//   batchpiece_bench [ticked workers] [workers]   (default 500 of 2000)
#include "batchpiece/tplxzform.h"
#include "datamodule.h"
#include "demodata.h"
#include "moduleform.h"
#include "pluginhost.h"

#include "core/appdir.h"
#include "core/prompt.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "kit/lookup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double perSecond(qint64 rows, qint64 ns) { return ns > 0 ? rows * 1e9 / double(ns) : 0.0; }

int count(wage::Connection *c)
{
    return c->query(QStringLiteral("select count(*) from f_juar")).rows.first().first().toInt();
}

// The same rows as the batch made, inserted again through one prepared statement in one
// transaction on the engine's own handle.
qint64 directInsert(wage::Connection *c, int fromDjNo)
{
    const wage::QueryResult rows = c->query(
        QStringLiteral("select riqi,ry_no,ry_name,dept_name,ip_no,ip_name,ip_gvge,gsxu_no,ip_gsxu,ip_djjw,ip_uuld,jjje,bz "
                       "from f_juar where dj_no>:n order by dj_no"),
        {{QStringLiteral(":n"), fromDjNo}});
    sqlite3 *db = c->sqliteHandle();
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into f_juar (riqi,ry_no,ry_name,dept_name,ip_no,ip_name,ip_gvge,gsxu_no,ip_gsxu,ip_djjw,"
                       "ip_uuld,jjje,bz) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &ins, nullptr);
    std::vector<QByteArray> keep;
    for (const QVariantList &row : rows.rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (row[i].isNull()) {
                sqlite3_bind_null(ins, i + 1);
            } else if (i >= 9 && i <= 11) {
                sqlite3_bind_double(ins, i + 1, row[i].toDouble());
            } else {
                keep.push_back(row[i].toString().toUtf8());
                sqlite3_bind_text(ins, i + 1, keep.back().constData(), keep.back().size(), SQLITE_STATIC);
            }
        }
        sqlite3_step(ins);
        sqlite3_reset(ins);
        keep.clear();
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    return t.nsecsElapsed();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int ticked = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    const int workers = argc > 2 ? std::max(ticked, atoi(argv[2])) : 2000;

    QTemporaryDir dir;
    wage::setProgramDir(dir.path());
    const QString appDir = qEnvironmentVariable("WAGE_APP_DIR", QStringLiteral(WAGE_APP_DIR_DEFAULT));
    if (!QFile::copy(appDir + QStringLiteral("/Alert.dll"), dir.filePath(QStringLiteral("Alert.dll"))))
        std::printf("(no Alert.dll in %s: the batch runs without the formulas)\n", qPrintable(appDir));
    wage::ScriptedPrompt prompt;
    wage::setPrompt(&prompt);

    host::TDataModule1 data;
    wage::Connection *c = data.ADOConnection1;
    c->openFile(dir.filePath(QStringLiteral("f_data.mdb")), wage::Dialect::Access);
    wage::DemoSize size;
    size.workers = workers;
    size.pieceRecords = 1000;
    size.outputRecords = 200;
    QElapsedTimer t;
    t.start();
    wage::createWageDatabase(c, wage::Dialect::Access, size);
    std::printf("demonstration database: %d workers, %d records of f_juar (%.2f s)\n", workers, count(c), t.nsecsElapsed() / 1e9);

    host::PluginHost none;
    host::TModuleForm module(*host::moduleInfo(QStringLiteral("f_juar")), &data, none, QStringLiteral("系统管理员"));
    TPlxzForm form;
    form.hostWindow = &module;
    form.hostDataModule = &data;
    form.connection = c;
    form.userName = QStringLiteral("系统管理员");
    t.restart();
    form.FillWorkers();
    std::printf("worker list filled: %d workers (%.1f ms)\n\n", form.CheckListBox1->count(), t.nsecsElapsed() / 1e6);

    // Batch entry, three times (the machine is shared: the best of each side is compared).
    for (int i = 0; i < ticked && i < form.CheckListBox1->count(); ++i)
        form.CheckListBox1->item(i)->setCheckState(Qt::Checked);
    qint64 batchNs = -1, directNs = -1;
    int added = 0;
    for (int round = 0; round < 3; ++round) {
        module.master->first();
        const int before = count(c);
        const int lastNo = c->query(QStringLiteral("select max(dj_no) from f_juar")).rows.first().first().toInt();
        t.restart();
        form.SpeedButton1Click();
        const qint64 ns = t.nsecsElapsed();
        added = count(c) - before;
        const qint64 direct = directInsert(c, lastNo);
        batchNs = batchNs < 0 ? ns : std::min(batchNs, ns);
        directNs = directNs < 0 ? direct : std::min(directNs, direct);
    }
    std::printf("batch entry of %d ticked workers (%d records added a batch; best of 3)\n", ticked, added);
    std::printf("  %-40s %9.0f records/s  (%.3f s)\n", "batch entry (buttons, lookup, formulas)", perSecond(added, batchNs),
                batchNs / 1e9);
    std::printf("  %-40s %9.0f records/s  (%.3f s)\n", "direct parameterised INSERT (baseline)", perSecond(added, directNs),
                directNs / 1e9);
    std::printf("  ratio batch / direct: %.1fx the time\n\n", directNs > 0 ? double(batchNs) / double(directNs) : 0.0);

    const auto &items = form.workers();

    // The worker lookup alone, on a new record: read afresh for every record (GetKeyValue, what
    // the batch did at first) and read once and kept (what the batch does now).
    {
        wage::Dataset *d = module.master;
        d->append();
        const int n = std::min<int>(ticked, items.size());
        const QString field = QStringLiteral("ry_name"), table = QStringLiteral("f_juar");
        t.restart();
        for (int i = 0; i < n; ++i)
            GetKeyValue(field, items.at(i).number, table, c, d);
        const qint64 freshNs = t.nsecsElapsed();
        t.restart();
        wage::KeyLookup kept(field, table, c);
        for (int i = 0; i < n; ++i)
            kept.fill(items.at(i).number, d);
        const qint64 keptNs = t.nsecsElapsed();
        d->cancel();
        std::printf("worker lookup over %d workers, %d records\n", int(items.size()), n);
        std::printf("  %-40s %9.3f ms a record\n", "read afresh for every record", freshNs / 1e6 / n);
        std::printf("  %-40s %9.3f ms a record\n", "read once and kept", keptNs / 1e6 / n);
        std::printf("  ratio afresh / kept: %.0fx\n\n", keptNs > 0 ? double(freshNs) / double(keptNs) : 0.0);
    }

    // Quick search: type the initials of every tenth worker, one keystroke at a time.
    std::vector<qint64> keys;
    QElapsedTimer k;
    for (int i = 0; i < items.size(); i += 10) {
        const QString initials = items.at(i).initials.toLower();
        form.Edit1->setText(QString());
        for (int n = 1; n <= initials.size(); ++n) {
            k.start();
            form.Edit1->setText(initials.left(n));
            keys.push_back(k.nsecsElapsed());
        }
    }
    // Baseline: the same comparisons on a plain list of the initials, without the widget.
    std::vector<qint64> plain;
    for (int i = 0; i < items.size(); i += 10) {
        const QString initials = items.at(i).initials;
        for (int n = 1; n <= initials.size(); ++n) {
            const QString text = initials.left(n);
            k.start();
            int found = -1;
            for (int j = 0; j < items.size() && found < 0; ++j)
                if (items.at(j).initials == text)
                    found = j;
            plain.push_back(k.nsecsElapsed() + (found > items.size() ? 1 : 0));
        }
    }
    auto report = [](const char *what, std::vector<qint64> v) {
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (qint64 x : v)
            sum += x;
        std::printf("  %-40s mean %.3f ms, median %.3f ms, max %.3f ms (%zu keystrokes)\n", what, v.empty() ? 0 : sum / v.size() / 1e6,
                    v.empty() ? 0 : v[v.size() / 2] / 1e6, v.empty() ? 0 : v.back() / 1e6, v.size());
    };
    std::printf("quick search by initials over %d workers (goal: under 20 ms a keystroke)\n", int(items.size()));
    report("search box keystroke (list moves)", keys);
    report("initials scan alone (baseline)", plain);
    wage::setPrompt(nullptr);
    return 0;
}
