// A connection to the sound server with its own event thread. Every call of the layer runs
// through one: requests are sent under the connection's lock and waited for.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

namespace platform::audio {

// Raised when the sound server cannot be reached or refuses a request; the message says why.
class AudioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Connection {
public:
    // Connects to the sound server (never starts one). Throws AudioError when none answers.
    explicit Connection(const std::string& clientName = "Tavrin");
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The connection the layer's plain functions share; reconnects when the last one broke.
    // Throws AudioError when no server answers.
    static std::shared_ptr<Connection> shared();

    bool isReady() const;
    pa_context* context() const { return context_; }
    pa_threaded_mainloop* mainloop() const { return mainloop_; }

    // Runs `start` under the lock; it returns an operation whose callbacks call `signal()`.
    // Waits until the operation is done. Throws AudioError when `start` gives no operation.
    void run(const std::function<pa_operation*()>& start);
    // Wakes a thread waiting in `run` or `waitFor`; for callbacks on the event thread.
    void signal();
    // Waits, under the lock the caller holds, until `done` is true.
    void waitFor(const std::function<bool()>& done);
    // The server's last error as text.
    std::string lastError() const;

    // Holds the connection's lock for one scope (not on the event thread).
    class Lock {
    public:
        explicit Lock(const Connection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* mainloop_;
    };

private:
    void close();

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
};

} // namespace platform::audio
