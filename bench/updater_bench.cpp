// Download and extraction of a large update package by the updater, against curl followed by
// unzip on the same package from the same loopback server. Prints both times, their ratio and
// the updater's peak memory.
//
//   updater_bench [size-in-MB]         (default 200)
#include "frm_main.h"
#include "net/signature.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/textcodec.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <list>

namespace {

// A package like the vendor's: program files that compress well and data that does not.
bool makePackage(const QString &path, qint64 totalBytes)
{
    int err = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!zip)
        return false;
    std::list<QByteArray> keep;
    const qint64 fileSize = 20 << 20;
    QRandomGenerator gen(7);
    for (int i = 0; qint64(i) * fileSize < totalBytes; ++i) {
        QByteArray data(int(fileSize), Qt::Uninitialized);
        if (i % 2 == 0) {
            for (int k = 0; k < data.size(); k += 4) {
                const quint32 v = gen.generate();
                memcpy(data.data() + k, &v, 4);
            }
        } else {
            const QByteArray line = "insert into f_jijm (ry_no, ip_no, ip_uuld) values ('0001', 'P-1002', 12);\r\n";
            for (int k = 0; k < data.size(); ++k)
                data[k] = line.at((k + k / 997) % line.size());
        }
        keep.push_back(data);
        zip_source_t *src = zip_source_buffer(zip, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        const QByteArray name = QStringLiteral("程序/part%1.dat").arg(i).toUtf8();
        const zip_int64_t index = zip_file_add(zip, name.constData(), src, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(zip, zip_uint64_t(index), i % 2 == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    return zip_close(zip) == 0;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The updater's part, in a process of its own so that its peak memory is its own.
int runChild(const QString &baseUrl, const QString &target)
{
    wage::setProgramDir(target);
    QFile ini(target + "/Usertem.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write(wage::toGbk("[main Position]\r\nconnectionstr=ACCESS\r\n[vendor]\r\nBaseURL=" + baseUrl + "\r\n"));
    ini.close();
    TFrm_Main window({});
    window.Timer2->stop();
    QString archive;
    try {
        archive = window.DownloadFile(window.BuildDownloadUrl("big.zip", ""), "big.zip");
    } catch (...) {
        return 2;
    }
    QString error;
    if (!updater::ExtractPackage(archive, target, &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 3;
    }
    QFile::remove(archive);
    return 0;
}

double runTimed(const QString &program, const QStringList &args, long *peakKb)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        QList<QByteArray> bytes;
        std::vector<char *> argv;
        bytes << QFile::encodeName(program);
        for (const QString &a : args)
            bytes << a.toUtf8();
        for (QByteArray &b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (peakKb)
        *peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (%d)\n", qPrintable(program), WEXITSTATUS(status));
        return -1;
    }
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--child") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return runChild(QString::fromUtf8(argv[2]), QString::fromUtf8(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? atoi(argv[1]) : 200;
    QTemporaryDir work;
    const QString served = work.filePath("served");
    QDir().mkpath(served);
    std::printf("preparing a %d MB package...\n", megabytes);
    std::fflush(stdout);
    if (!makePackage(served + "/big.zip", qint64(megabytes) << 20))
        return 1;
    const qint64 packageSize = QFileInfo(served + "/big.zip").size();

    const quint16 port = freePort();
    QProcess server;
    server.setProgram("python3");
    server.setArguments({"-m", "http.server", QString::number(port), "--bind", "127.0.0.1", "--directory", served});
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start();
    server.waitForStarted();
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    for (int i = 0; i < 100; ++i) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", port);
        if (s.waitForConnected(100))
            break;
        QThread::msleep(50);
    }

    const QString baseline = work.filePath("baseline");
    const QString ours = work.filePath("updater");
    QDir().mkpath(baseline);
    QDir().mkpath(ours);
    const double curlTime = runTimed("curl", {"-s", "-o", baseline + "/big.zip", base + "big.zip"}, nullptr);
    const double unzipTime = runTimed("unzip", {"-o", "-q", baseline + "/big.zip", "-d", baseline}, nullptr);
    long peakKb = 0;
    const double updaterTime = runTimed(QCoreApplication::applicationFilePath(), {"--child", base, ours}, &peakKb);
    server.terminate();
    server.waitForFinished(3000);
    if (curlTime < 0 || unzipTime < 0 || updaterTime < 0)
        return 1;
    // The check of a signed package: its SHA-256, against the system's sha256sum.
    const double sumTime = runTimed("sha256sum", {served + "/big.zip"}, nullptr);
    QElapsedTimer hashClock;
    hashClock.start();
    const QString digest = wage::sha256FileHex(served + "/big.zip");
    const double hashTime = hashClock.elapsed() / 1000.0;

    const double baselineTime = curlTime + unzipTime;
    std::printf("package: %.1f MB\n", packageSize / 1048576.0);
    std::printf("curl -o + unzip -o : %6.2f s  (curl %.2f s, unzip %.2f s)\n", baselineTime, curlTime, unzipTime);
    std::printf("updater            : %6.2f s\n", updaterTime);
    std::printf("ratio              : %6.2f  (target <= 1.2)\n", updaterTime / baselineTime);
    std::printf("updater peak memory: %6.1f MB  (target < 100 MB)\n", peakKb / 1024.0);
    std::printf("SHA-256 check      : %6.2f s  (sha256sum %.2f s)%s\n", hashTime, sumTime,
                digest.size() == 64 ? "" : "  FAILED");
    return 0;
}
