#include "net/http.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <curl/curl.h>

#include <mutex>

namespace wage {
namespace {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Bytes that are not valid in a URL as sent (blanks, backslashes, non-ASCII) are percent-encoded;
// everything else, including existing %XX escapes, goes out unchanged. A backslash thus reaches
// the server as %5C: a Windows server takes it as a folder separator, a static server on a
// case-preserving file system finds a file whose name contains it.
QByteArray encodeUrl(const QString &url)
{
    const QByteArray utf8 = url.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    static const char hex[] = "0123456789ABCDEF";
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '\\' || c == '"' || c == '<' || c == '>') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

struct Transfer {
    HttpClient *client = nullptr;
    const HttpOptions *options = nullptr;
    const HttpClient::Events *events = nullptr;
    CURL *curl = nullptr;
    QByteArray *body = nullptr;   // get()
    QFile *file = nullptr;        // download()
    bool begun = false;
    bool writeFailed = false;
    bool readTimedOut = false;
    qint64 received = 0;
    QElapsedTimer sinceActivity;

    long status() const
    {
        long code = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }
    void begin()
    {
        if (begun)
            return;
        begun = true;
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (events && events->begin)
            events->begin(length >= 0 ? qint64(length) : qint64(-1));
    }
};

size_t onHeader(char *, size_t size, size_t count, void *user)
{
    static_cast<Transfer *>(user)->sinceActivity.restart();
    return size * count;
}

size_t onWrite(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    t->sinceActivity.restart();
    const long code = t->status();
    // Bodies of redirects being followed and of error answers are not content.
    if (code < 200 || code > 299)
        return n;
    t->begin();
    if (t->file) {
        if (t->file->write(data, qint64(n)) != qint64(n)) {
            t->writeFailed = true;
            return 0;
        }
    } else if (t->body) {
        t->body->append(data, int(n));
    }
    t->received += qint64(n);
    if (t->events && t->events->work)
        t->events->work(t->received);
    return n;
}

int onProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *t = static_cast<Transfer *>(user);
    if (t->options->processEvents && QCoreApplication::instance()
        && QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
    if (t->client->cancelRequested())
        return 1;
    // The read time-out counts from the moment the connection stands.
    curl_off_t connected = 0;
    curl_easy_getinfo(t->curl, CURLINFO_CONNECT_TIME_T, &connected);
    if (connected <= 0) {
        t->sinceActivity.restart();
        return 0;
    }
    if (t->options->readTimeoutMs > 0 && t->sinceActivity.elapsed() > t->options->readTimeoutMs) {
        t->readTimedOut = true;
        return 1;
    }
    return 0;
}

QString describe(CURLcode code, bool answered)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: return QStringLiteral("无法解析服务器地址");
    case CURLE_COULDNT_CONNECT: return QStringLiteral("无法连接服务器");
    case CURLE_OPERATION_TIMEDOUT:
        return answered ? QStringLiteral("读取数据超时") : QStringLiteral("连接服务器超时");
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING: return QStringLiteral("数据传输中断");
    case CURLE_TOO_MANY_REDIRECTS: return QStringLiteral("重定向次数过多");
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return QStringLiteral("地址无效");
    default: return QStringLiteral("网络错误");
    }
}

} // namespace

HttpResult HttpClient::perform(const QString &url, QByteArray *body, QFile *file, const Events &events,
                               bool connectOnly)
{
    globalInit();
    m_cancel = false;
    HttpResult result;
    CURL *curl = curl_easy_init();
    if (!curl) {
        result.error = QStringLiteral("无法初始化网络连接");
        return result;
    }
    Transfer t;
    t.client = this;
    t.options = &options;
    t.events = &events;
    t.curl = curl;
    t.body = body;
    t.file = file;
    t.sinceActivity.start();

    const QByteArray encodedUrl = encodeUrl(url);
    const QByteArray agent = options.userAgent.toUtf8();
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(curl, CURLOPT_URL, encodedUrl.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Addresses come from manifests and configuration: only web addresses, also on redirects.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (!agent.isEmpty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.constData());
    if (options.connectTimeoutMs > 0)
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeoutMs));
    if (connectOnly) {
        curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onWrite);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
        if (options.readTimeoutMs > 0) {
            // Backstop in whole seconds; the progress callback enforces the exact limit.
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long((options.readTimeoutMs + 999) / 1000 + 1));
        }
    }

    const CURLcode code = curl_easy_perform(curl);
    result.status = connectOnly ? 0 : int(t.status());
    result.received = t.received;
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    result.announcedSize = length >= 0 ? qint64(length) : -1;

    if (code == CURLE_OK) {
        if (connectOnly || (result.status >= 200 && result.status <= 299)) {
            result.ok = true;
            if (!connectOnly)
                t.begin();   // an empty body still begins and ends
        } else {
            result.error = QStringLiteral("服务器返回错误：HTTP %1").arg(result.status);
        }
    } else if (code == CURLE_ABORTED_BY_CALLBACK && t.readTimedOut) {
        result.error = QStringLiteral("读取数据超时");
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.cancelled = true;
        result.error = QStringLiteral("已取消");
    } else if (t.writeFailed) {
        result.error = QStringLiteral("无法写入文件：%1").arg(file ? file->errorString() : QString());
    } else {
        result.error = describe(code, t.received > 0 || result.status > 0)
            + QStringLiteral("（%1）").arg(QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code)));
    }
    curl_easy_cleanup(curl);
    if (t.begun && events.end)
        events.end();
    return result;
}

HttpResult HttpClient::get(const QString &url)
{
    QByteArray body;
    HttpResult result = perform(url, &body, nullptr, Events(), false);
    if (result.ok)
        result.body = body;
    return result;
}

HttpResult HttpClient::download(const QString &url, const QString &filePath, const Events &events)
{
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        HttpResult result;
        result.error = QStringLiteral("无法写入文件 %1：%2").arg(filePath, file.errorString());
        return result;
    }
    HttpResult result = perform(url, nullptr, &file, events, false);
    if (result.ok && !file.flush()) {
        result.ok = false;
        result.error = QStringLiteral("无法写入文件 %1：%2").arg(filePath, file.errorString());
    }
    file.close();
    if (!result.ok)
        file.remove();
    return result;
}

bool HttpClient::canConnect(const QString &url)
{
    return perform(url, nullptr, nullptr, Events(), true).ok;
}

} // namespace wage
