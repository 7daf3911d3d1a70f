#pragma once
// HTTP/1.1 GET through libcurl: in memory or streamed to a file, with user agent, connect and
// read time-outs, redirects, a progress callback that processes pending window messages, and
// cancellation. Blanks, backslashes and non-ASCII characters of a URL are sent percent-encoded
// (UTF-8); a backslash therefore reaches the server as %5C.
#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

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
    // Streams the body into `filePath` (truncated first); on failure or cancel the file is removed.
    // Events: begin once the first body byte of a 2xx answer arrives (or at the end of an empty
    // one), work after every block, end after the transfer when begin was reported.
    HttpResult download(const QString &url, const QString &filePath, const Events &events = {});
    // True when a connection to the host and port of `url` can be opened (no request is sent).
    bool canConnect(const QString &url);
    // Asks the running transfer to stop (from a button handler or an event during progress
    // processing); every transfer starts uncancelled.
    void cancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel; }

private:
    HttpResult perform(const QString &url, QByteArray *body, QFile *file, const Events &events,
                       bool connectOnly);

    bool m_cancel = false;
};

} // namespace wage
