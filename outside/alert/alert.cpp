// Alert.dll: ShowModMess shows a message without blocking its caller; SetConn keeps the
// caller's connection. With WAGE_ALERT_LOG set, every call is also appended to AlertCalls.log
// beside the DLL (UTF-8, one tab-separated line per call) so that tests can see it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringDecoder>

#include <dlfcn.h>

namespace {

void *g_connection = nullptr;

QString fromGbk(const char *text)
{
    if (!text)
        return QString();
    QStringDecoder gbk("GBK");
    if (!gbk.isValid())
        return QString::fromLocal8Bit(text);
    return gbk(QByteArray(text));
}

QString ownDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&ownDirectory), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

void logCall(const QString &line)
{
    if (qEnvironmentVariableIsEmpty("WAGE_ALERT_LOG"))
        return;
    QFile log(ownDirectory() + QStringLiteral("/AlertCalls.log"));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(line.toUtf8() + '\n');
}

} // namespace

extern "C" __attribute__((visibility("default"))) void ShowModMess(const char *caption, const char *text)
{
    const QString c = fromGbk(caption);
    const QString t = fromGbk(text);
    logCall(QStringLiteral("ShowModMess\t") + c + QLatin1Char('\t') + t);
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    auto *box = new QMessageBox(QMessageBox::Information, c, t, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

extern "C" __attribute__((visibility("default"))) void SetConn(void *connection)
{
    g_connection = connection;
    logCall(QStringLiteral("SetConn\t") + (connection ? QStringLiteral("set") : QStringLiteral("null")));
}
