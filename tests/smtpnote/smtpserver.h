#pragma once
// The loopback SMTP server of smtp_server.py (aiosmtpd) in a child process, for one test.
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

namespace smtptest {

class SmtpServer {
public:
    enum Mode { Smtp, NoAuth, Silent };
    static constexpr const char *kUser = "notice@factory.test";
    static constexpr const char *kPassword = "s3cret";

    explicit SmtpServer(Mode mode = Smtp);
    ~SmtpServer();

    bool running() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }
    // Messages stored so far, oldest first (what the server's own e-mail parser decoded).
    QVector<QJsonObject> messages() const;
    // Why the server did not start.
    QString failure() const { return m_failure; }

private:
    QProcess m_process;
    QTemporaryDir m_store;
    quint16 m_port = 0;
    QString m_failure;
};

// A port on 127.0.0.1 that nothing listens on.
quint16 closedPort();

} // namespace smtptest
