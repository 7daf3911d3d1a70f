// Workstations that take a stored version over from the shared database at their start.
#include "lanfixture.h"
#include "lansync.h"

#include "core/appdir.h"
#include "core/textcodec.h"
#include "db/dbroutines.h"
#include "httpserver.h"
#include "net/fileversion.h"
#include "net/netinfo.h"
#include "testdir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct LanSync : ::testing::Test {
    QTemporaryDir shared;
    wage::Connection db;
    QString previousDir = QDir::currentPath();
    QStringList started;
    int ended = 0;

    void SetUp() override
    {
        db.openDescription(QStringLiteral("MSSQL#file:") + shared.filePath("wage.db"), QString());
        lantest::createUpdateTables(&db);
    }
    void TearDown() override
    {
        QDir::setCurrent(previousDir);
        wage::setProgramDir(QString());
    }
    // What an online update on another workstation left in the database.
    int storeVersion(const QString &version, const QList<QByteArray> &packages)
    {
        const int id = updater::RegisterVersion(&db, "MSSQL", version);
        for (int i = 0; i < packages.size(); ++i) {
            const QString file = shared.filePath(QStringLiteral("pack%1.zip").arg(i + 1));
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(packages[i]);
            f.close();
            updater::StorePackageFile(&db, "MSSQL", id, file, QStringLiteral("说明"));
        }
        updater::EnableVersion(&db, "MSSQL", id);
        return id;
    }
    bool syncAt(lantest::Workstation &ws, const QStringList &parameters)
    {
        wage::setProgramDir(ws.path());
        QDir::setCurrent(ws.path());
        updater::SyncContext context;
        context.connection = &db;
        context.parameters = parameters;
        context.startProgram = [this](const QString &name) { started << name; return true; };
        context.endProcess = [this] { ++ended; };
        return updater::ClientSync(context);
    }
    QByteArray hostPackage(const QString &version)
    {
        return lantest::zipOf({{"wagemain.exe", lantest::hostProgramWithVersion(version)}, {"Plugins/新功能.dll", "plugin"}});
    }
};

const char *kNoInternet = "http://127.0.0.1:1/ip";

} // namespace

TEST_F(LanSync, WorkstationsTakeTheStoredVersionOverOncePerProgramDirectory)
{
    const int id = storeVersion("4.40.3.1", {hostPackage("4.40.3.1")});

    lantest::Workstation b;
    b.install(shared.filePath("wage.db"), "4.40.2.9", kNoInternet);
    ASSERT_TRUE(syncAt(b, {}));
    EXPECT_EQ(wage::readFileVersion(b.file("wagemain.exe")), QStringLiteral("4.40.3.1"));
    EXPECT_TRUE(QFileInfo::exists(b.file("Plugins/新功能.dll")));
    EXPECT_EQ(started, QStringList{"wagemain.exe"});
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(QDir(b.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".dbupdate").size(), 0);

    auto row = db.query("select U_IP,U_Computer,U_name,U_state,U_PubIP,F_ID,U_Path,U_OldVer from F_UpdateUsers");
    ASSERT_EQ(row.rows.size(), 1);
    EXPECT_EQ(row.value(0, "U_state").toString(), QStringLiteral("已更新")) << "no Internet: no public address";
    EXPECT_TRUE(row.value(0, "U_PubIP").isNull());
    EXPECT_TRUE(row.value(0, "U_name").isNull());
    EXPECT_EQ(row.value(0, "F_ID").toInt(), id);
    EXPECT_EQ(row.value(0, "U_Path").toString(), b.path() + "/");
    EXPECT_EQ(row.value(0, "U_OldVer").toString(), QStringLiteral("4.40.2.9"));
    EXPECT_EQ(row.value(0, "U_Computer").toString(), GetPcName());
    EXPECT_EQ(GetSqlStr("select operation from F_OperationLog", &db), QStringLiteral("新版本4.40.3.1"));
    EXPECT_EQ(GetSqlStr("select mod_name from F_OperationLog", &db), QStringLiteral("老版本：4.40"));

    // Up to date now: nothing more.
    started.clear();
    EXPECT_FALSE(syncAt(b, {}));
    EXPECT_TRUE(started.isEmpty());

    // A second program directory of the same computer, started by the host, with Internet.
    wagetest::HttpServer echo;
    echo.add("/ip", "Your address: 203.0.113.7\n", "text/plain");
    lantest::Workstation c;
    c.install(shared.filePath("wage.db"), "4.40.2.9", echo.url("ip"));
    ASSERT_TRUE(syncAt(c, {QStringLiteral("张三"), QStringLiteral("1")}));
    row = db.query("select U_name,U_state,U_PubIP,U_Path from F_UpdateUsers order by U_id");
    ASSERT_EQ(row.rows.size(), 2) << "one row per program directory";
    EXPECT_EQ(row.value(1, "U_name").toString(), QStringLiteral("张三"));
    EXPECT_EQ(row.value(1, "U_PubIP").toString(), QStringLiteral("203.0.113.7"));
    EXPECT_TRUE(row.value(1, "U_state").toString().isEmpty());
    EXPECT_EQ(row.value(1, "U_Path").toString(), c.path() + "/");
    EXPECT_EQ(GetSqlStr("select user_name from F_OperationLog where user_name<>''", &db), QStringLiteral("张三"));
}

TEST_F(LanSync, VersionsCompareByNumberAndBrokenPackagesInstallNothing)
{
    lantest::Workstation b;
    b.install(shared.filePath("wage.db"), "4.40.2.9", kNoInternet);

    // A good package and one whose bytes are no archive: nothing of the version is installed.
    storeVersion("4.40.3.1", {hostPackage("4.40.3.1"), QByteArray("this is not a zip archive")});
    EXPECT_FALSE(syncAt(b, {}));
    EXPECT_EQ(wage::readFileVersion(b.file("wagemain.exe")), QStringLiteral("4.40.2.9"));
    EXPECT_FALSE(QFileInfo::exists(b.file("Plugins/新功能.dll")));
    EXPECT_EQ(GetSqli("select count(*) from F_UpdateUsers", &db), 0);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(started.isEmpty());
    QFile log(b.file("Error.Log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(wage::fromGbk(log.readAll()).contains(QStringLiteral("pack2.zip")));
    EXPECT_EQ(QDir(b.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(".dbupdate").size(), 0);

    // 4.40.2.10 is newer than 4.40.2.9 by number (not as text).
    storeVersion("4.40.2.10", {hostPackage("4.40.2.10")});
    EXPECT_TRUE(syncAt(b, {}));
    EXPECT_EQ(wage::readFileVersion(b.file("wagemain.exe")), QStringLiteral("4.40.2.10"));

    // A version registered but not enabled yet (its packages still being stored) is not taken.
    const int pending = updater::RegisterVersion(&db, "MSSQL", "4.40.4.0");
    ASSERT_GT(pending, 0);
    updater::StorePackageFile(&db, "MSSQL", pending, shared.filePath("pack1.zip"), QString());
    started.clear();
    EXPECT_FALSE(syncAt(b, {}));
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(LanSync, WithoutTheUpdateTablesThereIsNothingToTakeOver)
{
    storeVersion("4.40.3.1", {hostPackage("4.40.3.1")});
    db.execute("drop table F_UpdateUsers");
    lantest::Workstation b;
    b.install(shared.filePath("wage.db"), "4.40.2.9", kNoInternet);
    EXPECT_FALSE(syncAt(b, {}));
    EXPECT_EQ(wage::readFileVersion(b.file("wagemain.exe")), QStringLiteral("4.40.2.9"));
}
