#include "platform/audio/Connection.h"

#include <mutex>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

namespace platform::audio {

namespace {

void signalOnStateChange(pa_context*, void* userdata) {
    static_cast<Connection*>(userdata)->signal();
}

bool isFinal(pa_context_state_t state) {
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

} // namespace

Connection::Connection(const std::string& clientName) {
    mainloop_ = pa_threaded_mainloop_new();
    if (!mainloop_)
        throw AudioError("cannot create the sound event loop");
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), clientName.c_str());
    if (!context_) {
        pa_threaded_mainloop_free(mainloop_);
        throw AudioError("cannot create a sound server context");
    }
    pa_context_set_state_callback(context_, signalOnStateChange, this);
    bool connected = false;
    std::string error = "the event loop did not start";
    if (pa_threaded_mainloop_start(mainloop_) == 0) {
        Lock lock(*this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) == 0)
            waitFor([this] { return isFinal(pa_context_get_state(context_)); });
        connected = pa_context_get_state(context_) == PA_CONTEXT_READY;
        error = lastError();
    }
    if (!connected) {
        close();
        throw AudioError("no sound server: " + error);
    }
}

Connection::~Connection() {
    close();
}

void Connection::close() {
    if (!mainloop_)
        return;
    pa_threaded_mainloop_lock(mainloop_);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_threaded_mainloop_unlock(mainloop_);
    pa_threaded_mainloop_stop(mainloop_);
    pa_context_unref(context_);
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
}

std::shared_ptr<Connection> Connection::shared() {
    static std::mutex mutex;
    static std::shared_ptr<Connection> connection;
    std::lock_guard guard(mutex);
    if (!connection || !connection->isReady())
        connection = std::make_shared<Connection>();
    return connection;
}

bool Connection::isReady() const {
    Lock lock(*this);
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

void Connection::run(const std::function<pa_operation*()>& start) {
    Lock lock(*this);
    pa_operation* operation = start();
    if (!operation)
        throw AudioError("sound server request refused: " + lastError());
    waitFor([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    pa_operation_unref(operation);
}

void Connection::signal() {
    pa_threaded_mainloop_signal(mainloop_, 0);
}

void Connection::waitFor(const std::function<bool()>& done) {
    while (!done()) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
            return;
        pa_threaded_mainloop_wait(mainloop_);
    }
}

std::string Connection::lastError() const {
    return pa_strerror(pa_context_errno(context_));
}

Connection::Lock::Lock(const Connection& connection) : mainloop_(connection.mainloop_) {
    pa_threaded_mainloop_lock(mainloop_);
}

Connection::Lock::~Lock() {
    pa_threaded_mainloop_unlock(mainloop_);
}

} // namespace platform::audio
