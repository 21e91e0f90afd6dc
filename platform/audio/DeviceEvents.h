// Notifications of devices that appear, change (volume, mute) or go away, delivered on the
// layer's own event thread.
#pragma once

#include "platform/audio/Devices.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>

struct pa_context;

namespace platform::audio {

class Connection;

struct DeviceEvent {
    enum class Kind { Added, Changed, Removed };
    Kind kind = Kind::Changed;
    Flow flow = Flow::Render;
    DeviceInfo device; // only the id is known for a removed device
    Volume volume;     // Added and Changed only
};

class DeviceEvents {
public:
    // Called on the layer's event thread; it must not block. It may call the functions of
    // Devices.h (they use another connection).
    using Handler = std::function<void(const DeviceEvent&)>;

    // Subscribes to the sinks and sources of the server. Throws AudioError when no server
    // answers.
    explicit DeviceEvents(Handler handler);
    ~DeviceEvents();
    DeviceEvents(const DeviceEvents&) = delete;
    DeviceEvents& operator=(const DeviceEvents&) = delete;

private:
    struct Lookup;
    void onEvent(int type, uint32_t index);
    // Answers a request for a device's record.
    template <class Info> static void answer(pa_context*, const Info* info, int eol, void* data);
    void requestInfo(Flow flow, DeviceEvent::Kind kind, uint32_t index);
    void deliver(const Lookup* lookup, DeviceEvent event);
    void finish(const Lookup* lookup);

    std::unique_ptr<Connection> connection_;
    Handler handler_;
    std::mutex mutex_;
    std::map<std::pair<Flow, uint32_t>, std::string> ids_; // for the names of removed devices
    std::list<Lookup> lookups_; // requests in flight (touched on the event thread only)
    bool closing_ = false;
};

} // namespace platform::audio
