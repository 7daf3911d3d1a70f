#pragma once
// A small wage database with known products, processes and piece records, a stand-in for the
// host's piece-record module (its window with "datasource1", its data module with
// "adoconnection1") and the adjustment window on them, answered by a scripted prompt.
#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "core/prompt.h"
#include "priceadj/tgxtzform.h"
#include "progress/tprogress.h"
#include "testdir.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace pricetest {

// Piece records (dj_no: process, price, locked):
//   1 G01 1.00 -      2 G01 1.00 审     3 G01 1.00 ''    4 G02 2.00 (process audited)
//   5 G03 3.00 (product audited)        6 G04 NULL ip_name 'somewhere'   7 G'9 1.00
// f_ipgx: G01 1.00, G02 2.00 Locked 审, G03 3.00 (of audited product P2), G04 0, G'9 1.00.
class PriceDb {
public:
    explicit PriceDb(wage::Dialect dialect = wage::Dialect::MsSql);
    wage::Connection *conn() { return m_conn.get(); }
    void exec(const QString &sql);
    double price(int djNo);
    QString text(const QString &sql);
    int count(const QString &sql);
    wagetest::ProgramDirFixture dir;

private:
    std::unique_ptr<wage::Connection> m_conn;
};

class PriceWindow {
public:
    explicit PriceWindow(PriceDb &db, const QString &user = QStringLiteral("系统管理员"));
    ~PriceWindow();
    wage::Dataset *host() { return hostDataset; }
    // Condition builder row, then 查询 on the current page.
    void query(const QString &caption = {}, const QString &op = {}, const QString &value = {});
    // Makes the process row of that number current in the process list.
    void selectProcess(const QString &processNo);
    void chooseItem(const QString &caption = QStringLiteral("单价"));
    // Ticks the host rows whose dj_no are given.
    void tick(const QList<int> &djNos);

    PriceDb &db;
    QObject dataModule;
    QWidget hostWindow;
    wage::Dataset *hostDataset;
    wage::DataSource *datasource1;
    Tprogress progress;
    std::unique_ptr<TGxtzForm> form;
};

class PriceTest : public ::testing::Test {
protected:
    wage::ScopedScriptedPrompt prompt;
};

} // namespace pricetest
