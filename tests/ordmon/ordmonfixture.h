#pragma once
// The order-monitoring plug-in in the real host parts: a program directory whose Plugins/
// holds the built libraries, a wage database of the dialect under test with a small order, the
// host's main window with the order module, and a scripted prompt. The host's restart request
// is recorded instead of ending the test process.
#include "datamodule.h"
#include "mainform.h"
#include "moduleform.h"
#include "pluginhost.h"
#include "testdir.h"

#include "core/prompt.h"

#include <gtest/gtest.h>
#include <memory>

namespace wagetest {

class OrdmonFixture : public ::testing::Test {
public:
    // Restart requests of the plug-in since the database was made.
    static int restarts;

protected:
    void TearDown() override;

    // Program directory, Usertem.ini of the dialect, the host tables and statistics mode.
    void makeDatabase(wage::Dialect dialect, int statisticsMode = 0);
    // The product of the worked example: processes 01 (zcsl 1, price 0.5, hours 0.1) and 02
    // (zcsl 2, price 0.3, hours 0.05, the last); order `pcNo` with one line of 100 units in
    // batch PH1; piece records 3 x 10 of 01 and 2 x 25 of 02.
    void seedWorkedExample(const QString &pcNo = QStringLiteral("D1"));
    int addProduct(const QString &ipNo, const QString &gvge);
    void addProcess(int ipId, const QString &gsxuNo, double zcsl, double price, double hours, bool last);
    int addOrder(const QString &pcNo);
    void addLine(int pcId, const QString &ipNo, const QString &gvge, const QString &batch, double qty);
    void addPieces(const QString &pcNo, const QString &ipNo, const QString &gvge, const QString &batch,
                   const QString &gsxuNo, double qty, int records);

    // Starts the host (plug-ins loaded, order module open) and opens 订单监控; with `settle`
    // a first opening that makes F_PCJK (and restarts) is followed by a second one.
    void openMonitor(bool settle = true);
    QWidget *monitor() const;
    template <typename T>
    T *control(const char *name) const { return monitor() ? monitor()->findChild<T *>(QString::fromLatin1(name)) : nullptr; }
    void click(const char *name);

    void exec(const QString &sql);
    QVariant value(const QString &sql);
    double number(const QString &sql) { return value(sql).toDouble(); }

    ProgramDirFixture dir;
    wage::ScopedScriptedPrompt prompt;
    host::TDataModule1 dataModule;
    host::PluginHost plugins;
    std::unique_ptr<host::TMainForm> mainForm;
    host::TModuleForm *orders = nullptr;
    wage::Connection *db = dataModule.ADOConnection1;
    QString user = QStringLiteral("系统管理员");
};

} // namespace wagetest
