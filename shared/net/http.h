#pragma once
// HTTP/1.1 GET through libcurl: in memory or streamed to a file, with user agent, connect and
// read time-outs, redirects, a progress callback that processes pending window messages, and
// cancellation.
#include <QByteArray>
#include <QString>

#include <functional>

namespace wage {

struct HttpOptions {
    QString userAgent = QStringLiteral("Mozilla/5.0");
    int connectTimeoutMs = 10000;
    int readTimeoutMs = 30000;   // no byte for this long ends the transfer; 0 = no limit
    bool followRedirects = true;
    bool processEvents = true;   // process pending window messages while waiting
};

struct HttpResult {
    bool ok = false;             // transfer complete and status 2xx
    bool cancelled = false;
    int status = 0;              // HTTP status, 0 when no answer came
    qint64 announcedSize = -1;   // Content-Length, -1 when not announced
    qint64 received = 0;
    QString error;               // readable reason when !ok
    QByteArray body;             // get() only
};

class HttpClient {
public:
    // begin(total or -1), work(done), end(): the three events a download reports.
    struct Events {
        std::function<void(qint64 total)> begin;
        std::function<void(qint64 done)> work;
        std::function<void()> end;
    };

    HttpOptions options;

    HttpResult get(const QString &url);
    // Streams the body into `filePath`; on failure or cancel the partial file is removed.
    HttpResult download(const QString &url, const QString &filePath, const Events &events = {});
    // Asks a running transfer to stop (from a button handler during progress processing).
    void cancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel; }

private:
    bool m_cancel = false;
};

} // namespace wage
