// Signed manifests and verified packages: a vendor key pair made here, manifests signed with
// the vendor's tool, a loopback server that serves them, unattended runs that end with a status.
#include "lanfixture.h"
#include "updaterfixture.h"

#include "core/inifile.h"
#include "core/textcodec.h"
#include "net/fileversion.h"
#include "net/signature.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

class SignedUpdate : public UpdaterFixture {
protected:
    void SetUp() override
    {
        makeDatabase();
        installHost("4.40.2.10");
        QDir::setCurrent(dir.path());
        keys = wage::generateEd25519KeyPair();
        ASSERT_FALSE(keys.publicKeyBase64.isEmpty());
        writeVendorFile("../vendor-key.pem", keys.privatePem);
        server.setRoot(vendor.filePath("www"));
    }
    void TearDown() override { QDir::setCurrent(m_previousDir); }

    void configureKey(const QString &key)
    {
        inistring("vendor", "UpdateKey", key, "USERTEM.INI", "write");
    }
    void writeVendorFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = vendor.filePath("www/" + name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray vendorFile(const QString &name)
    {
        QFile f(vendor.filePath("www/" + name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void publishPackage(const QString &name, const QList<updatertest::ZipEntry> &entries)
    {
        const QString path = vendor.filePath("www/files/" + name);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(updatertest::makeZip(path, entries));
    }
    // Access.xml with one package, signed by the vendor's tool.
    void publishSignedUpdate(const QString &updateVer = "4.40.2.10")
    {
        QString xml = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<update>\r\n<MessStr>更新;签名的升级</MessStr>\r\n"
                      "<Ver>4.40.2.11</Ver>\r\n<UpdateVer>" + updateVer + "</UpdateVer>\r\n<UpPath>files</UpPath>\r\n"
                      "<Upcount>1</Upcount>\r\n<UpType1>基础</UpType1><UpName1>主程序</UpName1><UpTime1>2026-12-10</UpTime1>"
                      "<UpNote1>新版</UpNote1><UpFile1>pkg1.zip</UpFile1>\r\n<UpDataCount>0</UpDataCount>\r\n"
                      "<ExpCount>0</ExpCount>\r\n</update>\r\n";
        writeVendorFile("Access.xml", wage::toGbk(xml));
        publishPackage("pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
        sign();
    }
    void sign()
    {
        QProcess tool;
        tool.start(wagetest::builtAppDir() + "/../vendor/signmanifest",
                   {"sign", vendor.filePath("www/Access.xml"), "--key", vendor.filePath("vendor-key.pem")});
        ASSERT_TRUE(tool.waitForFinished(30000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    std::unique_ptr<TFrm_Main> runUnattended()
    {
        ended = false;
        exitCode = -1;
        auto w = makeWindow({"AUTO"});
        w->setUnattended(true);
        w->FormShow();
        return w;
    }
    QStringList packageRequests() const { return server.requestedPaths().filter("/files/"); }

    QTemporaryDir vendor;
    wage::Ed25519KeyPair keys;

private:
    QString m_previousDir = QDir::currentPath();
};

} // namespace

TEST_F(SignedUpdate, ASignedUpdateInstallsAndTheToolKeepsTheManifestText)
{
    publishSignedUpdate();
    configureKey(keys.publicKeyBase64);
    const QString manifest = wage::fromGbk(vendorFile("Access.xml"));
    EXPECT_TRUE(manifest.contains("<UpFile1>pkg1.zip</UpFile1><UpFile1SHA256>"
                                  + wage::sha256FileHex(vendor.filePath("www/files/pkg1.zip")) + "</UpFile1SHA256>"));
    EXPECT_TRUE(manifest.contains(QStringLiteral("<MessStr>更新;签名的升级</MessStr>")));

    auto w = runUnattended();
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 0) << errorLog().toStdString();
    EXPECT_EQ(dir.read("wagemain.exe"), "NEWHOST");
    EXPECT_TRUE(server.requestedPaths().contains("/Access.xml.sig"));
}

TEST_F(SignedUpdate, AManifestThatIsNotTheVendorsStopsBeforeAnyDownload)
{
    struct Case {
        const char *label;
        std::function<void()> tamper;
    } cases[] = {
        {"changed after signing",
         [this] {
             QByteArray bytes = vendorFile("Access.xml");
             bytes.replace("<Ver>4.40.2.11</Ver>", "<Ver>4.40.2.12</Ver>");
             writeVendorFile("Access.xml", bytes);
         }},
        {"no signature", [this] { QFile::remove(vendor.filePath("www/Access.xml.sig")); }},
        {"signed by another key",
         [this] {
             const wage::Ed25519KeyPair other = wage::generateEd25519KeyPair();
             writeVendorFile("Access.xml.sig", wage::signEd25519(other.privatePem, vendorFile("Access.xml")));
         }},
    };
    configureKey(keys.publicKeyBase64);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        publishSignedUpdate();
        c.tamper();
        server.clearLog();
        QFile::remove(dir.file("Error.Log"));
        auto w = runUnattended();
        EXPECT_TRUE(ended);
        EXPECT_EQ(exitCode, 1);
        EXPECT_TRUE(packageRequests().isEmpty()) << packageRequests().join(',').toStdString();
        EXPECT_TRUE(errorLog().contains(QStringLiteral("升级配置文件签名无效"))) << errorLog().toStdString();
        EXPECT_EQ(dir.read("wagemain.exe").left(4), QByteArray("\x7f" "ELF"));
    }

    // Interactive: the same stop, with a box that says so.
    auto w = makeWindow({});
    w->ConnectLocalAccess();
    w->btn_UpdateClick();
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().text.startsWith(QStringLiteral("升级配置文件签名无效")));
    EXPECT_TRUE(packageRequests().isEmpty());
}

TEST_F(SignedUpdate, APackageThatDoesNotMatchItsHashInstallsNothing)
{
    struct Case {
        const char *label;
        bool key;
        bool dropHash;
    } cases[] = {
        {"swapped after signing, key configured", true, false},
        {"swapped after signing, no key but a hash", false, false},
        {"no hash while a key is configured", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        writeIni();
        configureKey(c.key ? keys.publicKeyBase64 : QString());
        publishSignedUpdate();
        if (c.dropHash) {
            QByteArray bytes = vendorFile("Access.xml");
            bytes.replace(QRegularExpression("<UpFile1SHA256>[0-9a-f]+</UpFile1SHA256>").match(QString::fromLatin1(bytes)).captured(0).toLatin1(), "");
            writeVendorFile("Access.xml", bytes);
            writeVendorFile("Access.xml.sig", wage::signEd25519(keys.privatePem, bytes));
        } else {
            publishPackage("pkg1.zip", {{"wagemain.exe", "SOMEONE ELSE'S PROGRAM"}});
        }
        QFile::remove(dir.file("Error.Log"));
        auto w = runUnattended();
        EXPECT_EQ(exitCode, 1);
        EXPECT_EQ(dir.read("wagemain.exe").left(4), QByteArray("\x7f" "ELF")) << "nothing of the package installed";
        EXPECT_TRUE(started.isEmpty());
        EXPECT_TRUE(errorLog().contains(c.dropHash ? QStringLiteral("没有校验值") : QStringLiteral("校验值不符")))
            << errorLog().toStdString();
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            EXPECT_FALSE(name.endsWith(".zip")) << name.toStdString();
    }
}

TEST_F(SignedUpdate, ASelfUpdatePackageWithAWrongHashLeavesTheRunningUpdater)
{
    const QByteArray newUpdater = lantest::hostProgramWithVersion("99.0.0.0");
    publishPackage("Update.zip", {{"NewUpdate.exe", newUpdater}});
    publishSignedUpdate("99.0.0.0");
    configureKey(keys.publicKeyBase64);
    EXPECT_TRUE(wage::fromGbk(vendorFile("Access.xml")).contains("<UpdateSHA256>"));
    // Swapped on the server after signing.
    publishPackage("Update.zip", {{"NewUpdate.exe", newUpdater + "tampered"}});

    auto w = makeWindow({"AUTO"});
    EXPECT_FALSE(w->SelfUpdate());
    EXPECT_FALSE(ended);
    EXPECT_TRUE(server.requestedPaths().contains("/files/Update.zip"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("NewUpdate.exe")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("$$a$$.sh")));
    EXPECT_TRUE(errorLog().contains(QStringLiteral("校验值不符"))) << errorLog().toStdString();
}
