#include "updaterfixture.h"

#include "core/textcodec.h"
#include "db/connection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtEndian>

bool setFileVersion(const QString &path, const QString &version)
{
    QByteArray section("WFVR");
    for (const QString &part : version.split('.')) {
        const quint32 v = qToLittleEndian(part.toUInt());
        section.append(reinterpret_cast<const char *>(&v), 4);
    }
    QTemporaryFile file;
    if (!file.open())
        return false;
    file.write(section);
    file.flush();
    return QProcess::execute("objcopy", {"--update-section", ".wage_fileversion=" + file.fileName(), path}) == 0;
}

UpdaterFixture::UpdaterFixture()
{
    writeIni();
}

void UpdaterFixture::writeIni(const QMap<QString, QString> &mainKeys)
{
    QString text = "[main Position]\r\n";
    QMap<QString, QString> keys{{"connectionstr", "ACCESS"}, {"Version", "4.40"}};
    for (auto it = mainKeys.begin(); it != mainKeys.end(); ++it)
        keys[it.key()] = it.value();
    for (auto it = keys.begin(); it != keys.end(); ++it)
        text += it.key() + "=" + it.value() + "\r\n";
    text += "[vendor]\r\nBaseURL=" + server.url() + "\r\nCustomerName=测试工厂\r\nSupportContact=技术支持\r\n";
    dir.write("Usertem.ini", wage::toGbk(text));
}

void UpdaterFixture::makeDatabase(const QString &path, bool mssql)
{
    wage::Connection c;
    c.openFile(path.isEmpty() ? dir.file("f_data.mdb") : path, mssql ? wage::Dialect::MsSql : wage::Dialect::Access);
    c.execute("create table tempconfig (key_name nvarchar(50), key_index int, gridwidth nvarchar(255))");
    c.execute("create table f_sqlcase (script_name nvarchar(50), script_type nvarchar(50))");
    c.execute("create table userinfo (user_id int, user_name nvarchar(50))");
    c.execute("insert into userinfo (user_id, user_name) values (7, '张三')");
    c.close();
}

void UpdaterFixture::installHost(const QString &version)
{
    const QString target = dir.file("wagemain.exe");
    QFile::remove(target);
    ASSERT_TRUE(QFile::copy(wagetest::builtAppDir() + "/wagemain.exe", target));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    ASSERT_TRUE(setFileVersion(target, version));
}

void UpdaterFixture::installLinkcfg()
{
    ASSERT_TRUE(QFile::copy(wagetest::builtAppDir() + "/Linkcfg.dll", dir.file("Linkcfg.dll")));
}

void UpdaterFixture::serveManifest(const QMap<QString, QString> &keys, const QString &name)
{
    QString xml = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<update>\r\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        xml += "  <" + it.key() + ">" + it.value() + "</" + it.key() + ">\r\n";
    xml += "</update>\r\n";
    server.add("/" + name, wage::toGbk(xml), "text/xml");
}

void UpdaterFixture::servePackage(const QString &path, const QList<updatertest::ZipEntry> &entries)
{
    QTemporaryFile tmp;
    ASSERT_TRUE(tmp.open());
    tmp.close();
    ASSERT_TRUE(updatertest::makeZip(tmp.fileName(), entries));
    QFile f(tmp.fileName());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    server.add(path, f.readAll());
}

std::unique_ptr<TFrm_Main> UpdaterFixture::makeWindow(const QStringList &parameters)
{
    auto window = std::make_unique<TFrm_Main>(parameters);
    window->killApplication = [this](int code) {
        ended = true;
        exitCode = code;
    };
    window->startProgram = [this](const QString &name) {
        started << name;
        return true;
    };
    window->killTask = [this](const QString &name, bool kill) {
        if (kill)
            killed << name;
        return 0;
    };
    return window;
}

QString UpdaterFixture::errorLog() const
{
    return wage::decodeLocalText(dir.read("Error.Log"));
}

void UpdaterFixture::shot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("WAGE_UPDATER_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window->grab().save(folder + "/" + name);
}
