#include "smtpclient.h"

#include "mailsettings.h"

#include <QSysInfo>

#include <curl/curl.h>

#include <cstring>
#include <memory>

namespace smtpnote {
namespace {

struct Conversation {
    const SmtpEvents *events = nullptr;
    SmtpStage stage = SmtpStage::Connect;
    bool ehloSent = false;
    bool loginAccepted = false;
    bool noLogin = false;       // MAIL FROM went out without a login
    QByteArray data;
    qsizetype offset = 0;
};

bool startsWith(const char *data, size_t size, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return size >= n && strncasecmp(data, prefix, n) == 0;
}

int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *c = static_cast<Conversation *>(user);
    if (type == CURLINFO_HEADER_OUT) {
        if (startsWith(data, size, "EHLO ") || startsWith(data, size, "HELO "))
            c->ehloSent = true;
        else if (startsWith(data, size, "MAIL FROM") && !c->loginAccepted) {
            c->noLogin = true;
            c->stage = SmtpStage::Authenticate;
        }
    } else if (type == CURLINFO_HEADER_IN && size >= 4) {
        // A reply's last line has a blank after the code.
        const bool lastLine = data[3] == ' ' || data[3] == '\r' || data[3] == '\n';
        if (c->stage == SmtpStage::Connect && c->ehloSent && lastLine && startsWith(data, size, "250")) {
            c->stage = SmtpStage::Authenticate;
            if (c->events->connected)
                c->events->connected();
        } else if (c->stage == SmtpStage::Authenticate && !c->noLogin && startsWith(data, size, "235")) {
            c->loginAccepted = true;
            c->stage = SmtpStage::Send;
            if (c->events->authenticated)
                c->events->authenticated();
        }
    }
    return 0;
}

size_t onRead(char *buffer, size_t size, size_t count, void *user)
{
    auto *c = static_cast<Conversation *>(user);
    if (c->noLogin)
        return CURL_READFUNC_ABORT;  // break off inside DATA: the server discards the message
    const qsizetype n = qMin<qsizetype>(static_cast<qsizetype>(size * count), c->data.size() - c->offset);
    std::memcpy(buffer, c->data.constData() + c->offset, static_cast<size_t>(n));
    c->offset += n;
    return static_cast<size_t>(n);
}

QByteArray angle(const QString &address)
{
    return '<' + address.toUtf8() + '>';
}

struct EasyDeleter { void operator()(CURL *h) const { curl_easy_cleanup(h); } };
struct UrlDeleter { void operator()(CURLU *u) const { curl_url_cleanup(u); } };
struct ListDeleter { void operator()(curl_slist *l) const { curl_slist_free_all(l); } };

} // namespace

SmtpClient::SmtpClient(const MailSettings &settings, const SmtpTimeouts &timeouts)
    : m_host(settings.host), m_port(settings.port), m_user(settings.userName.toUtf8()),
      m_password(settings.password.toUtf8()), m_timeouts(timeouts)
{
}

SmtpResult SmtpClient::send(const QString &envelopeFrom, const QStringList &envelopeTo,
                            const QByteArray &data, const SmtpEvents &events)
{
    SmtpResult result;
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!easy || !url) {
        result.error = QStringLiteral("无法初始化网络库");
        return result;
    }

    // The parts go in one by one so that a host text can never turn into another URL.
    QString host = m_host.trimmed();
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    QString ehloName = QSysInfo::machineHostName();
    if (ehloName.isEmpty())
        ehloName = QStringLiteral("localhost");
    if (curl_url_set(url.get(), CURLUPART_SCHEME, "smtp", 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_HOST, host.toUtf8().constData(), 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_PORT, QByteArray::number(m_port).constData(), 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_PATH, ehloName.toUtf8().constData(), CURLU_URLENCODE) != CURLUE_OK) {
        result.error = QStringLiteral("SMTP服务器地址“%1”无效").arg(m_host);
        return result;
    }

    std::unique_ptr<curl_slist, ListDeleter> rcpt;
    for (const QString &to : envelopeTo)
        rcpt.reset(curl_slist_append(rcpt.release(), angle(to).constData()));
    const QByteArray from = angle(envelopeFrom);

    Conversation c;
    c.events = &events;
    c.data = data;

    CURL *h = easy.get();
    curl_easy_setopt(h, CURLOPT_CURLU, url.get());
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERNAME, m_user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, m_password.constData());
    curl_easy_setopt(h, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(h, CURLOPT_READDATA, &c);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);  // feeds onDebug; nothing is printed
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &c);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>((m_timeouts.responseMs + 999) / 1000));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_timeouts.lowSpeedSeconds));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeouts.totalMs));
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode rc = curl_easy_perform(h);
    easy.reset();  // QUIT and close before the caller goes on

    if (rc == CURLE_OK && !c.noLogin) {
        result.sent = true;
        return result;
    }
    result.failedIn = c.stage;
    if (rc == CURLE_LOGIN_DENIED)
        result.failedIn = SmtpStage::Authenticate;
    if (c.noLogin)
        result.error = QStringLiteral("SMTP服务器不提供LOGIN验证");
    else
        result.error = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc));
    return result;
}

} // namespace smtpnote
