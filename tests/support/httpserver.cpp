#include "httpserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace wagetest {

namespace {
QString normalPath(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}
} // namespace

struct HttpServer::State {
    mutable QMutex mutex;
    QString root;
    struct Entry { QByteArray body; QByteArray type; };
    QMap<QString, Entry> bodies;
    QMap<QString, Rule> rules;
    QMap<QString, QPair<QString, int>> redirects;
    QList<Request> log;
    int connections = 0;
};

class HttpServer::Worker : public QObject {
public:
    explicit Worker(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        m_server->listen(QHostAddress::LocalHost, 0);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                {
                    QMutexLocker lock(&m_state->mutex);
                    ++m_state->connections;
                }
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRead(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return m_server->serverPort();
    }

    void stop()
    {
        const auto sockets = findChildren<QTcpSocket *>();
        for (QTcpSocket *s : sockets)
            s->abort();
        qDeleteAll(sockets);
        delete m_server;
        m_server = nullptr;
    }

private:
    void onRead(QTcpSocket *socket)
    {
        QByteArray &buffer = m_pending[socket];
        buffer += socket->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        m_pending.remove(socket);
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

        Request request;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        QByteArray rawPath = request.target;
        if (rawPath.startsWith("http://")) {
            const int slash = rawPath.indexOf('/', 7);
            rawPath = slash < 0 ? QByteArray("/") : rawPath.mid(slash);
        }
        const int query = rawPath.indexOf('?');
        if (query >= 0)
            rawPath.truncate(query);
        request.path = QUrl::fromPercentEncoding(rawPath);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines.at(i).indexOf(':');
            if (colon > 0)
                request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                       lines.at(i).mid(colon + 1).trimmed());
        }
        answer(socket, request);
    }

    void answer(QTcpSocket *socket, const Request &request)
    {
        Rule rule;
        QByteArray body, type = "application/octet-stream";
        bool found = false;
        QPair<QString, int> redirect;
        {
            QMutexLocker lock(&m_state->mutex);
            m_state->log << request;
            rule = m_state->rules.value(request.path, Rule());
            redirect = m_state->redirects.value(request.path, qMakePair(QString(), 0));
            auto it = m_state->bodies.constFind(request.path);
            if (it != m_state->bodies.constEnd()) {
                body = it->body;
                type = it->type;
                found = true;
            } else if (!m_state->root.isEmpty() && !request.path.contains(QLatin1String(".."))) {
                QFile file(m_state->root + request.path);
                if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
                    body = file.readAll();
                    found = true;
                }
            }
        }
        if (rule.mode == Close) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        if (rule.mode == Stall)
            return;

        int status = rule.status;
        QByteArray extra;
        if (redirect.second) {
            status = redirect.second;
            extra = "Location: " + redirect.first.toUtf8() + "\r\n";
            body = "moved";
        } else if (!found && status == 200) {
            status = 404;
            body = "not found";
        }
        const bool head = request.method == "HEAD";
        QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n"
            + "Content-Type: " + type + "\r\nConnection: close\r\n" + extra;
        if (rule.mode == Chunked) {
            out += "Transfer-Encoding: chunked\r\n\r\n";
            if (!head) {
                for (qsizetype at = 0; at < body.size(); at += 4096) {
                    const QByteArray piece = body.mid(at, 4096);
                    out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
                }
                out += "0\r\n\r\n";
            }
        } else if (rule.mode == CloseDelimited) {
            out += "\r\n";
            if (!head)
                out += body;
        } else if (rule.mode == Trickle && !head) {
            out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
            socket->write(out);
            trickle(socket, body, qMax<qint64>(1, rule.bytes));
            return;
        } else {
            out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
            if (!head)
                out += (rule.mode == Cut || rule.mode == StallMidBody) ? body.left(rule.bytes) : body;
        }
        socket->write(out);
        if (rule.mode != StallMidBody)
            socket->disconnectFromHost();
    }

    void trickle(QTcpSocket *socket, const QByteArray &body, qint64 step)
    {
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<qint64>(0);
        QPointer<QTcpSocket> guard(socket);
        connect(timer, &QTimer::timeout, socket, [guard, timer, body, step, sent] {
            if (!guard || guard->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            guard->write(body.mid(*sent, step));
            *sent += step;
            if (*sent >= body.size()) {
                timer->stop();
                guard->disconnectFromHost();
            }
        });
        timer->start(10);
    }

    std::shared_ptr<State> m_state;
    QTcpServer *m_server = nullptr;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

HttpServer::HttpServer(const QString &rootDir) : m_state(std::make_shared<State>())
{
    m_state->root = rootDir;
    m_thread = new QThread;
    m_worker = new Worker(m_state);
    m_worker->moveToThread(m_thread);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

HttpServer::~HttpServer()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->stop(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

quint16 HttpServer::port() const { return m_port; }

QString HttpServer::url(const QString &path) const
{
    QString p = path;
    if (p.startsWith(QLatin1Char('/')))
        p.remove(0, 1);
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port) + p;
}

void HttpServer::setRoot(const QString &dir)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->root = QDir::cleanPath(dir);
}

void HttpServer::add(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->bodies.insert(normalPath(path), {body, contentType});
}

void HttpServer::setRule(const QString &path, const Rule &rule)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->rules.insert(normalPath(path), rule);
}

void HttpServer::redirect(const QString &from, const QString &to, int status)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->redirects.insert(normalPath(from), qMakePair(to, status));
}

QList<HttpServer::Request> HttpServer::requests() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->log;
}

QStringList HttpServer::requestedPaths() const
{
    QStringList out;
    for (const Request &r : requests())
        out << r.path;
    return out;
}

int HttpServer::connectionCount() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->connections;
}

void HttpServer::clearLog()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->log.clear();
    m_state->connections = 0;
}

} // namespace wagetest
