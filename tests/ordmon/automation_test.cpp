// The host program run unattended: clicks by name, boxes answered and printed, the restart
// after the monitoring table was made, exit statuses; no display needed.
#include "ordmonfixture.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace wagetest {
namespace {

struct HostRun {
    int exitCode = -1;
    QString output;
};

class Unattended : public OrdmonFixture {
protected:
    HostRun runHost(const QStringList &args)
    {
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        host.setProcessEnvironment(env);
        host.setProcessChannelMode(QProcess::SeparateChannels);
        host.setWorkingDirectory(dir.path());
        host.start(builtAppDir() + QStringLiteral("/wagemain.exe"), QStringList{QStringLiteral("--program-dir"), dir.path()} + args);
        EXPECT_TRUE(host.waitForFinished(120000));
        return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1, QString::fromUtf8(host.readAllStandardOutput())};
    }
};

TEST_F(Unattended, FirstOpeningRestartsAndTheClicksGoOn)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    db->close();
    const HostRun run = runHost({QStringLiteral("系统管理员"), QStringLiteral("f_pici"), QStringLiteral("订单监控"),
                                 QStringLiteral("--do"), QStringLiteral("RadioButton1,ToolButton1"), QStringLiteral("--answer"),
                                 QStringLiteral("yes"), QStringLiteral("--quit")});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("系统检测到您当前环境不具备运行条件")));
    EXPECT_TRUE(run.output.contains(QStringLiteral("数据结构已更新，监控增加耗用工时！")));
    EXPECT_TRUE(run.output.contains(QStringLiteral("单击 ToolButton1 (刷新)")));
    db->openFile(dir.file(QStringLiteral("f_data.mdb")), wage::Dialect::MsSql);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select pc_sjcl from f_pcjk where gsxu_no='02'")), 50);
    EXPECT_NEAR(number(QStringLiteral("select shengchanYK from f_pici")), 80, 1e-9);
}

TEST_F(Unattended, ExitStatusNamesWhatWentWrong)
{
    makeDatabase(wage::Dialect::Access, 0);
    seedWorkedExample();
    db->close();
    const QStringList open{QStringLiteral("系统管理员"), QStringLiteral("f_pici"), QStringLiteral("订单监控")};
    HostRun run = runHost(open + QStringList{QStringLiteral("--do"), QStringLiteral("NoSuchButton"), QStringLiteral("--quit")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.output.contains(QStringLiteral("没有找到“NoSuchButton”")));
    // The pause button is disabled while no run is going.
    run = runHost(open + QStringList{QStringLiteral("--do"), QStringLiteral("ToolButton5"), QStringLiteral("--quit")});
    EXPECT_EQ(run.exitCode, 2);
    run = runHost({QStringLiteral("--list-plugins")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("订单监控,f_pici")));
}

} // namespace
} // namespace wagetest
