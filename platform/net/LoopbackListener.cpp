#include "platform/net/LoopbackListener.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <future>
#include <memory>

namespace platform::net {

namespace {

constexpr int PollMs = 50;
constexpr int ReadMs = 2000;
constexpr qsizetype MaxHead = 16 * 1024;

QByteArray reasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    default:
        return "Not Found";
    }
}

// The request line's target; empty when the head did not arrive whole and well-formed.
QByteArray readTarget(QTcpSocket& socket) {
    QByteArray head;
    while (!head.contains("\r\n\r\n") && head.size() < MaxHead) {
        if (!socket.waitForReadyRead(ReadMs))
            return {};
        head += socket.readAll();
    }
    const QList<QByteArray> parts = head.left(head.indexOf("\r\n")).split(' ');
    if (parts.size() != 3 || parts[0] != "GET" || !parts[1].startsWith('/'))
        return {};
    return parts[1];
}

void answer(QTcpSocket& socket, const LoopbackAnswer& reply) {
    QByteArray text = "HTTP/1.1 " + QByteArray::number(reply.status) + " " +
                      reasonOf(reply.status) + "\r\nContent-Length: 0\r\nConnection: close\r\n";
    if (!reply.location.isEmpty())
        text += "Location: " + reply.location + "\r\n";
    socket.write(text + "\r\n");
    socket.waitForBytesWritten(ReadMs);
    socket.disconnectFromHost();
}

// Serves one connection; true when its answer finished the sign-in.
bool serve(QTcpSocket& socket, const LoopbackHandler& handler) {
    const QByteArray target = readTarget(socket);
    const LoopbackAnswer reply =
        target.isEmpty() ? LoopbackAnswer{400, {}, false} : handler(target);
    answer(socket, reply);
    return reply.finished;
}

} // namespace

LoopbackListener::~LoopbackListener() {
    stop();
}

bool LoopbackListener::start(quint16 port, LoopbackHandler handler,
                             std::chrono::milliseconds timeout, std::function<void()> timedOut) {
    stop();
    stop_ = false;
    std::promise<quint16> bound;
    std::future<quint16> boundPort = bound.get_future();
    thread_ = std::thread([this, port, handler = std::move(handler), timeout,
                           timedOut = std::move(timedOut), &bound] {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, port)) {
            bound.set_value(0);
            return;
        }
        running_ = true;
        bound.set_value(server.serverPort());
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        bool finished = false;
        while (!finished && !stop_) {
            if (std::chrono::steady_clock::now() >= deadline) {
                if (timedOut)
                    timedOut();
                break;
            }
            if (!server.waitForNewConnection(PollMs))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            finished = serve(*socket, handler);
        }
        running_ = false;
    });
    port_ = boundPort.get();
    if (port_ == 0)
        stop();
    return port_ != 0;
}

void LoopbackListener::stop() {
    stop_ = true;
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

} // namespace platform::net
