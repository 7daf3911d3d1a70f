// The one-shot routines and the settings keys on the embedded engine.
#include "db/connection.h"
#include "db/dbroutines.h"

#include "testdir.h"

#include <gtest/gtest.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;
using wagetest::ProgramDirFixture;

namespace {
struct Db {
    ProgramDirFixture dir;
    Connection c;
    explicit Db(Dialect dialect = Dialect::Access)
    {
        c.openFile(dir.file("w.db"), dialect);
        c.execute("create table tempconfig (key_name varchar(50), key_index int, gridwidth varchar(255))");
        c.execute("create table f_rfyr (ry_no varchar(20), ry_name varchar(20))");
        c.execute("insert into f_rfyr values ('001  ', 'A')");
        c.execute("insert into f_rfyr values ('002', 'B')");
    }
};
} // namespace

TEST(DbRoutines, GetSqlStrNeedsExactlyOneRow)
{
    Db db;
    EXPECT_EQ(GetSqlStr("select ry_no from f_rfyr", &db.c), "");
    EXPECT_EQ(GetSqlStr("select ry_no from f_rfyr where ry_name='A'", &db.c), "001");
    EXPECT_EQ(GetSqlStr("select ry_no from f_rfyr where ry_name='Z'", &db.c), "");
    EXPECT_THROW(GetSqlStr("select nope from f_rfyr", &db.c), DbError);
    const QString log = QString::fromLocal8Bit(db.dir.read("Error.Log"));
    EXPECT_TRUE(log.contains("\r0\rselect nope from f_rfyr\r\n"));
}

TEST(DbRoutines, GetSqliRunSqlCommandAndTableExists)
{
    Db db;
    EXPECT_EQ(GetSqli("select count(*) from f_rfyr", &db.c), 2);
    EXPECT_EQ(GetSqli("select key_index from tempconfig", &db.c), 0);
    EXPECT_THROW(GetSqli("select x from missing", &db.c), DbError);
    EXPECT_FALSE(RunSqlCommand("alter table missing add x int", &db.c));
    EXPECT_FALSE(RunSqlCommand("select", nullptr));
    EXPECT_TRUE(RunSqlCommand("insert into f_rfyr values ('003','C')", &db.c));
    EXPECT_TRUE(TableExists("F_RFYR", &db.c));
    EXPECT_FALSE(TableExists("f_rfy", &db.c));
}

TEST(DbRoutines, GetFieldExistConFindsFirstAndLaterColumnsInBothDialects)
{
    for (Dialect dialect : {Dialect::Access, Dialect::MsSql}) {
        Db db(dialect);
        EXPECT_TRUE(GetFieldExistCon("f_rfyr", "RY_NO", &db.c));
        EXPECT_TRUE(GetFieldExistCon("F_RFYR", "ry_name", &db.c));
        EXPECT_FALSE(GetFieldExistCon("f_rfyr", "dept_name", &db.c));
        EXPECT_THROW(GetFieldExistCon("missing", "x", &db.c), DbError);
        db.c.setTracing(true);
        GetFieldExistCon("f_rfyr", "ry_no", &db.c);
        EXPECT_EQ(db.c.trace(), QStringList{"select top 1 * from f_rfyr"});
    }
}

TEST(DbRoutines, SettingsKeysKeepOneRow)
{
    Db db;
    EXPECT_EQ(wage::readSwitch(&db.c, "statistics_mode"), 0);
    wage::writeSwitch(&db.c, "statistics_mode", 2);
    wage::writeSwitch(&db.c, "statistics_mode", 1);
    EXPECT_EQ(wage::readSwitch(&db.c, "statistics_mode"), 1);
    wage::writeSettingText(&db.c, "temp_gxtz", "10,20,");
    wage::writeSettingText(&db.c, "temp_gxtz", "O'Neil,");
    EXPECT_EQ(wage::readSettingText(&db.c, "temp_gxtz"), "O'Neil,");
    EXPECT_EQ(GetSqli("select count(*) from tempconfig", &db.c), 2);
    EXPECT_EQ(wage::readSettingText(&db.c, "missing"), "");
}

#include "core/prompt.h"
#include "net/netinfo.h"

TEST(DbRoutines, OperationLogRowWithQuotesInValues)
{
    Db db;
    // what-is-my-IP pages on a closed loopback port: the public address stays empty
    db.dir.write("Usertem.ini", "[vendor]\r\nIPEchoURL1=http://127.0.0.1:9/\r\nIPEchoURL2=http://127.0.0.1:9/\r\n"
                                "IPEchoURL3=http://127.0.0.1:9/\r\nIPEchoURL4=http://127.0.0.1:9/\r\n");
    wage::ScopedScriptedPrompt prompt;
    db.c.execute("create table f_moduinfo (mod_name varchar(40), mod_table varchar(40))");
    db.c.execute("insert into f_moduinfo values ('计件工资', 'f_jijm')");
    db.c.execute("create table F_OperationLog (op_time varchar(20), operation varchar(60), mod_name varchar(40), "
                 "user_name varchar(20), InternetIp varchar(20), IntranetIp varchar(20), ComputerName varchar(40))");
    WriteOperationLog("登录", "f_jijm", "O'Neil", &db.c);
    WriteOperationLog("新版本4.40", "老版本：4.30", "", &db.c);
    const wage::QueryResult r = db.c.query("select op_time, operation, mod_name, user_name, InternetIp, ComputerName from F_OperationLog");
    ASSERT_EQ(r.rows.size(), 2);
    EXPECT_EQ(r.value(0, "mod_name").toString(), "计件工资");
    EXPECT_EQ(r.value(0, "user_name").toString(), "O'Neil");
    EXPECT_EQ(r.value(0, "InternetIp").toString(), "");
    EXPECT_EQ(r.value(0, "ComputerName").toString(), GetPcName());
    EXPECT_EQ(r.value(0, "op_time").toString().size(), 19);
    EXPECT_EQ(r.value(1, "mod_name").toString(), "老版本：4.30");
}
