#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (an ephemeral port) for the network tests. It runs its
// own thread, so the requests under test may block the test's thread. Each path answers with a
// fixed route; every request line and header block is kept for the test to inspect.

#include <QByteArray>
#include <QEventLoop>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

struct HttpRoute {
    int status = 200;
    QByteArray body;
    bool declareLength = true;  // without it the body ends when the connection closes
    qint64 declaredLength = -1; // a length other than the body's (a truncated reply)
    bool neverAnswer = false;   // accept the request and stay silent
    QByteArray location;        // a Location header (redirects)
};

class LocalHttpServer {
public:
    explicit LocalHttpServer(std::map<QByteArray, HttpRoute> routes) : routes_(std::move(routes)) {
        std::promise<quint16> ready;
        auto port = ready.get_future();
        thread_ = std::thread([this, &ready] { run(ready); });
        port_ = port.get();
    }
    ~LocalHttpServer() {
        {
            std::lock_guard lock(mutex_);
            if (loop_)
                QMetaObject::invokeMethod(loop_, "quit", Qt::QueuedConnection);
        }
        thread_.join();
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    QString base() const { return "http://127.0.0.1:" + QString::number(port_); }
    QString url(const QString& path) const { return base() + path; }
    quint16 port() const { return port_; }
    std::vector<QByteArray> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void run(std::promise<quint16>& ready) {
        QEventLoop loop;
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                serve(socket);
        });
        {
            std::lock_guard lock(mutex_);
            loop_ = &loop;
        }
        ready.set_value(server.serverPort());
        loop.exec();
        std::lock_guard lock(mutex_);
        loop_ = nullptr;
    }

    // Sockets belong to the server (deleted with it); their pending bytes are kept here.
    void serve(QTcpSocket* socket) {
        QObject::connect(socket, &QObject::destroyed, [this, socket] { pending_.erase(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray& buffer = pending_[socket];
            buffer.append(socket->readAll());
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer.left(end);
            buffer.remove(0, end + 4);
            answer(socket, head);
        });
    }

    void answer(QTcpSocket* socket, const QByteArray& head) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(head);
        }
        const QByteArray target = head.split(' ').value(1);
        const QByteArray path =
            target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        const auto found = routes_.find(path);
        const HttpRoute route = found != routes_.end() ? found->second : HttpRoute{404, "missing"};
        if (route.neverAnswer)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(route.status) + " Status\r\n";
        if (!route.location.isEmpty())
            reply += "Location: " + route.location + "\r\n";
        if (route.declareLength) {
            const qint64 length =
                route.declaredLength >= 0 ? route.declaredLength : route.body.size();
            reply += "Content-Length: " + QByteArray::number(length) + "\r\n";
        }
        reply += "Connection: close\r\n\r\n" + route.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    std::map<QByteArray, HttpRoute> routes_;
    std::map<QTcpSocket*, QByteArray> pending_;
    mutable std::mutex mutex_;
    std::vector<QByteArray> requests_;
    QEventLoop* loop_ = nullptr;
    std::thread thread_;
    quint16 port_ = 0;
};
