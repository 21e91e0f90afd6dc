#pragma once
// A small HTTP listener on 127.0.0.1 for the browser's return from a sign-in page. It serves on a
// thread of its own, one request at a time: the handler turns the request's path and query into
// an answer, and the listener stops after the first answer that finishes the sign-in, after its
// time-out, or when told.

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace platform::net {

struct LoopbackAnswer {
    int status = 404;
    QByteArray location;   // sent as the Location header when not empty
    bool finished = false; // the listener stops after sending this answer
};

using LoopbackHandler = std::function<LoopbackAnswer(const QByteArray& target)>;

class LoopbackListener {
public:
    LoopbackListener() = default;
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // Stops a running listener, then listens on 127.0.0.1:port (0 picks a free port). False when
    // the port cannot be bound. `timedOut` runs on the listener's thread when no request finished
    // the sign-in in time.
    bool start(quint16 port, LoopbackHandler handler, std::chrono::milliseconds timeout,
               std::function<void()> timedOut);
    void stop();
    bool running() const { return running_; }
    // The port bound by the last successful start.
    quint16 port() const { return port_; }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    quint16 port_ = 0;
};

} // namespace platform::net
