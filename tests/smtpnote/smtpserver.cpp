#include "smtpserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>

namespace smtptest {

SmtpServer::SmtpServer(Mode mode)
{
    const char *modeName = mode == Silent ? "silent" : mode == NoAuth ? "noauth" : "smtp";
    m_process.setProgram(QStringLiteral(WAGE_PYTHON3));
    m_process.setArguments({QStringLiteral(SMTP_SERVER_SCRIPT), QStringLiteral("--mode"),
                            QLatin1String(modeName), QStringLiteral("--store"), m_store.path(),
                            QStringLiteral("--user"), QLatin1String(kUser), QStringLiteral("--password"),
                            QLatin1String(kPassword)});
    m_process.start();
    if (!m_process.waitForStarted(10000)) {
        m_failure = m_process.errorString();
        return;
    }
    QByteArray line;
    while (!line.contains('\n') && m_process.waitForReadyRead(15000))
        line += m_process.readAllStandardOutput();
    m_port = static_cast<quint16>(line.trimmed().toUInt());
    if (m_port == 0)
        m_failure = QString::fromUtf8(line + m_process.readAllStandardError());
}

SmtpServer::~SmtpServer()
{
    m_process.closeWriteChannel();  // the server ends when its input closes
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QVector<QJsonObject> SmtpServer::messages() const
{
    QVector<QJsonObject> out;
    const QStringList names = QDir(m_store.path()).entryList({QStringLiteral("message*.json")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile f(m_store.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out << QJsonDocument::fromJson(f.readAll()).object();
    }
    return out;
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace smtptest
