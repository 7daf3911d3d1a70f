#pragma once
// One SMTP conversation through libcurl: connect, AUTH LOGIN, MAIL/RCPT/DATA, QUIT. libcurl
// runs it as one transfer; the client follows the dialogue through curl's debug stream to
// tell the caller when the connection stands and when the login is accepted, and to know in
// which stage a failure happened.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace smtpnote {

struct MailSettings;

// Every wait is bounded: a server that accepts and never answers ends the call.
struct SmtpTimeouts {
    int connectMs = 15000;        // TCP connect, greeting, EHLO and the login together
    int responseMs = 30000;       // each later server reply
    int lowSpeedSeconds = 30;     // upload below 1 byte/s for this long
    int totalMs = 120000;         // the whole conversation
};

enum class SmtpStage { Connect, Authenticate, Send };

struct SmtpResult {
    bool sent = false;
    SmtpStage failedIn = SmtpStage::Connect;  // when !sent
    QString error;                            // readable reason when !sent
};

struct SmtpEvents {
    std::function<void()> connected;      // greeting and EHLO answered
    std::function<void()> authenticated;  // login accepted, the message goes next
};

class SmtpClient {
public:
    SmtpClient(const MailSettings &settings, const SmtpTimeouts &timeouts);

    // The connection is closed again whatever happens. A server that offers no AUTH is a
    // refused login: nothing is sent without one.
    SmtpResult send(const QString &envelopeFrom, const QStringList &envelopeTo,
                    const QByteArray &data, const SmtpEvents &events);

private:
    QString m_host;
    int m_port;
    QByteArray m_user;
    QByteArray m_password;
    SmtpTimeouts m_timeouts;
};

} // namespace smtpnote
