#pragma once
// A loopback HTTP/1.1 server for tests: QTcpServer on 127.0.0.1 with a free port, running in its
// own thread so that blocking clients in the test thread are served.
//
//   wagetest::HttpServer server;                    // listening once constructed
//   server.setRoot(dir);                            // serve files of a folder (optional)
//   server.add("/Access.xml", bytes);               // or registered bodies by path
//   server.setRule("/big.zip", {HttpServer::Cut, 200, 1000});
//   server.redirect("/old", "/new");
//   client.get(server.url("Access.xml"));
//   server.requests();                              // what was asked, with headers
//
// Paths are matched after percent-decoding and without the query ("/custip\8001.xml" is what
// a client asked for with "/custip%5C8001.xml"). Registered bodies win over files. Every answer
// closes its connection.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>

class QThread;

namespace wagetest {

class HttpServer {
public:
    enum Mode {
        Normal,          // status line, Content-Length, body
        Close,           // close the connection without an answer
        Stall,           // accept the request and never answer
        StallMidBody,    // announce the full length, send `bytes` of the body, then nothing
        Cut,             // announce the full length, send `bytes` of the body, then close
        Chunked,         // Transfer-Encoding: chunked
        CloseDelimited,  // no Content-Length: the body ends when the connection closes
        Trickle,         // Content-Length, then `bytes` of the body every 10 ms (progress, Cancel)
    };
    struct Rule {
        Mode mode = Normal;
        int status = 200;        // status of the answer (a 404 etc. may carry the body as well)
        qint64 bytes = 0;        // StallMidBody / Cut: body bytes sent before stopping; Trickle: per tick
    };
    struct Request {
        QByteArray method;
        QString path;                          // decoded, without the query
        QByteArray target;                     // as sent on the request line
        QMap<QByteArray, QByteArray> headers;  // names in lower case
    };

    explicit HttpServer(const QString &rootDir = QString());
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    quint16 port() const;
    // "http://127.0.0.1:<port>/" + path (a leading "/" of path is optional)
    QString url(const QString &path = QString()) const;

    void setRoot(const QString &dir);
    void add(const QString &path, const QByteArray &body,
             const QByteArray &contentType = "application/octet-stream");
    void setRule(const QString &path, const Rule &rule);
    void redirect(const QString &from, const QString &to, int status = 302);

    QList<Request> requests() const;
    QStringList requestedPaths() const;
    // Connections accepted, including those that sent no request.
    int connectionCount() const;
    void clearLog();

private:
    struct State;
    class Worker;
    std::shared_ptr<State> m_state;
    Worker *m_worker = nullptr;
    QThread *m_thread = nullptr;
    quint16 m_port = 0;
};

} // namespace wagetest
