// The price adjustment at scale, through the window's own code on a demonstration database:
//   1. single-process adjustment of the displayed records of one process (100,000 by default)
//      beside a direct parameterised UPDATE of the same records (one prepared statement, one
//      transaction, through the sqlite3 API);
//   2. the same adjustment over 10,000 and 100,000 displayed records with the footer of sums
//      attached to the record grid (order of growth);
//   3. line-by-line execution of a 500-line price-adjustment sheet, records per second beside
//      the same direct UPDATE of the records it changes.
//   priceadj_bench [pieceRecords] [displayed]   (defaults 1000000 and 100000)
#include "core/prompt.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "db/embeddedindexes.h"
#include "demodata.h"
#include "kit/datagrid.h"
#include "kit/rights.h"
#include "kit/tchoice.h"
#include "priceadj/radiogroup.h"
#include "priceadj/tgxtzform.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace {

void exec(sqlite3 *db, const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), error ? error : "");
        sqlite3_free(error);
        std::exit(1);
    }
}

// The baseline: the record ids of one selection, then one prepared UPDATE per record.
double directUpdate(sqlite3 *db, const QString &where, double price, int *records)
{
    QElapsedTimer t;
    t.start();
    std::vector<long long> ids;
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, ("select dj_no from f_jijm where " + where).toUtf8().constData(), -1, &sel, nullptr);
    while (sqlite3_step(sel) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(sel, 0));
    sqlite3_finalize(sel);
    sqlite3_stmt *up = nullptr;
    sqlite3_prepare_v2(db, "update f_jijm set ip_djjw=?1 where dj_no=?2", -1, &up, nullptr);
    exec(db, "begin");
    for (long long id : ids) {
        sqlite3_bind_double(up, 1, price);
        sqlite3_bind_int64(up, 2, id);
        sqlite3_step(up);
        sqlite3_reset(up);
    }
    exec(db, "commit");
    sqlite3_finalize(up);
    *records = int(ids.size());
    return t.nsecsElapsed() / 1e9;
}

struct Window {
    QObject dataModule;
    QWidget hostWindow;
    wage::Dataset *host;
    Tprogress progress;
    TGxtzForm form{QStringLiteral("插件版本："), &progress};
    Window(wage::Connection *c)
    {
        c->setObjectName(QStringLiteral("adoconnection1"));
        c->setParent(&dataModule);
        host = new wage::Dataset(c, GetDataSQLStr(wage::administratorName(), QStringLiteral("f_jijm"), c), &hostWindow);
        auto *source = new wage::DataSource(host, &hostWindow);
        source->setObjectName(QStringLiteral("datasource1"));
        form.userName = wage::administratorName();
        form.hostWindow = &hostWindow;
        form.hostDataModule = &dataModule;
        form.connection = c;
        form.setUpWindow();
        form.resize(1100, 700);
        form.show();
        QCoreApplication::processEvents();
    }
    ~Window() { form.connection->setParent(nullptr); }
};

// Shows one process's records and adjusts all displayed ones; seconds of the adjustment alone.
double adjustProcess(Window &w, const QString &process, const QString &value, int *shown)
{
    w.form.ADOQuery1->locate(QStringLiteral("工序编号"), process);
    w.form.ShowProcessRecords(process);
    *shown = w.host->recordCount();
    w.form.ComboBox2->setCurrentIndex(w.form.ComboBox2->findText(QStringLiteral("单价")));
    w.form.LEdit1->setText(value);
    w.form.RadioGroup2->setItemIndex(0);
    QElapsedTimer t;
    t.start();
    w.form.BitBtn7Click();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int displayed = argc > 2 ? std::atoi(argv[2]) : 100000;
    const int small = displayed / 10;
    const int sheetLines = 500, sheetRecords = 100000;
    if (records < displayed + small + sheetRecords) {
        std::fprintf(stderr, "pieceRecords must be at least %d\n", displayed + small + sheetRecords);
        return 1;
    }
    wage::ScopedScriptedPrompt prompt;   // every question answered Yes, messages recorded
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wage.db"));
    QElapsedTimer t;
    t.start();
    {
        wage::Connection c;
        c.openFile(path, wage::Dialect::MsSql);
        wage::DemoSize size;
        size.pieceRecords = records;
        wage::createWageDatabase(&c, wage::Dialect::MsSql, size);
        wage::ensureEmbeddedIndexes(&c);
        // Processes of known size: GB01 (displayed), GB02 (a tenth of it), S0..S499 (the sheet).
        // The engine's own handle carries the text collation of the columns.
        sqlite3 *db = c.sqliteHandle();
        exec(db, "begin");
        exec(db, QStringLiteral("update f_jijm set gsxu_no='GB01', locked=null where dj_no<=%1").arg(displayed));
        exec(db, QStringLiteral("update f_jijm set gsxu_no='GB02', locked=null where dj_no>%1 and dj_no<=%2").arg(displayed).arg(displayed + small));
        exec(db, QStringLiteral("update f_jijm set gsxu_no='S' || (dj_no % %1), locked=null where dj_no>%2 and dj_no<=%3")
                     .arg(sheetLines).arg(displayed + small).arg(displayed + small + sheetRecords));
        exec(db, "insert into tempconfig (key_name,gridwidth) values ('F_jijm_TZGJ','单价,数量,')");
        exec(db, "create table F_PriceAdjust (im_no nvarchar(20), ip_no nvarchar(20),ip_name nvarchar(60),ip_gvge nvarchar(20),"
                 "gsxu_no nvarchar(20),ip_gsxu nvarchar(40),ip_djjw money,Active_state nvarchar(10))");
        for (int i = 0; i < sheetLines; ++i)
            exec(db, QStringLiteral("insert into F_PriceAdjust (gsxu_no,ip_gsxu,ip_djjw,Active_state) values ('S%1','工序%1',%2,'失效')")
                         .arg(i).arg(1 + i / 100.0));
        exec(db, "commit");
    }
    std::printf("demonstration database: %d piece records (%.1f s)\n\n", records, t.nsecsElapsed() / 1e9);

    wage::Connection c;
    c.openFile(path, wage::Dialect::MsSql);
    Window w(&c);
    // The footer sums the edited column too, so that every post reaches it.
    w.form.DBGrid2->setFooterSums(true, {QStringLiteral("ip_uuld"), QStringLiteral("ip_djjw"), QStringLiteral("jjje")});
    t.restart();
    w.form.BitBtn2Click();   // query without condition: work table of every process
    std::printf("query (work table over all records, host re-query): %.2f s, %d processes listed\n\n",
                t.nsecsElapsed() / 1e9, w.form.ADOQuery1->recordCount());

    int shownBig = 0, shownSmall = 0, direct = 0;
    const double smallRun = adjustProcess(w, QStringLiteral("GB02"), QStringLiteral("3.5"), &shownSmall);
    const double big = adjustProcess(w, QStringLiteral("GB01"), QStringLiteral("2.5"), &shownBig);
    const double directBig = directUpdate(c.sqliteHandle(), QStringLiteral("rtrim(gsxu_no)='GB01'"), 2.75, &direct);
    std::printf("1. single-process adjustment of %d displayed records (footer of sums attached)\n", shownBig);
    std::printf("   plug-in (dataset edit/post)      %8.2f s  %9.0f records/s\n", big, shownBig / big);
    std::printf("   direct parameterised UPDATE      %8.2f s  %9.0f records/s  (%d records)\n", directBig, direct / directBig, direct);
    std::printf("   ratio plug-in / direct           %8.2f x  (goal at most 3x)\n\n", big / directBig);

    std::printf("2. order of growth with the footer attached\n");
    std::printf("   %6d records                   %8.3f s\n", shownSmall, smallRun);
    std::printf("   %6d records                   %8.3f s\n", shownBig, big);
    std::printf("   ratio                            %8.2f x  (records x%.0f; goal at most 10x)\n\n", big / smallRun,
                double(shownBig) / shownSmall);

    w.form.ActivateByProcessList();
    w.form.F_PriceAdjust->first();
    prompt.shown.clear();
    t.restart();
    w.form.BitBtnTClick(13);
    const double sheet = t.nsecsElapsed() / 1e9;
    const int changed = GetSqli(QStringLiteral("select count(*) from f_jijm where gsxu_no like 'S%' and ip_djjw>=1"), &c);
    const int done = GetSqli(QStringLiteral("select count(*) from F_PriceAdjust where Active_state='已调价'"), &c);
    int directSheet = 0;
    const double directSheetS = directUpdate(c.sqliteHandle(), QStringLiteral("gsxu_no like 'S%'"), 1.5, &directSheet);
    std::printf("3. line-by-line execution of a %d-line sheet (%d lines done, %d records)\n", sheetLines, done, changed);
    std::printf("   plug-in                          %8.2f s  %9.0f records/s\n", sheet, changed / sheet);
    std::printf("   direct parameterised UPDATE      %8.2f s  %9.0f records/s  (%d records)\n", directSheetS,
                directSheet / directSheetS, directSheet);
    std::printf("   ratio plug-in / direct           %8.2f x\n", sheet / directSheetS);
    return 0;
}
