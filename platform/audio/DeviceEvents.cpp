#include "platform/audio/DeviceEvents.h"

#include "platform/audio/Connection.h"
#include "platform/audio/ServerRecords.h"

#include <pulse/introspect.h>
#include <pulse/subscribe.h>

namespace platform::audio {

struct DeviceEvents::Lookup {
    DeviceEvents* owner;
    DeviceEvent::Kind kind;
    Flow flow;
    uint32_t index;
};

DeviceEvents::DeviceEvents(Handler handler)
    : connection_(std::make_unique<Connection>("Tavrin device events")),
      handler_(std::move(handler)) {
    for (Flow flow : {Flow::Render, Flow::Capture})
        for (const DeviceInfo& device : listDevices(flow, true))
            ids_[{flow, device.index}] = device.id;
    {
        Connection::Lock lock(*connection_);
        pa_context_set_subscribe_callback(
            connection_->context(),
            [](pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self) {
                static_cast<DeviceEvents*>(self)->onEvent(int(type), index);
            },
            this);
    }
    // Waits for the server to take the subscription: a change made right after construction
    // must be reported, not lost to a subscription still on its way.
    try {
        connection_->run([this] {
            return pa_context_subscribe(
                connection_->context(),
                pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE),
                [](pa_context*, int, void* connection) {
                    static_cast<Connection*>(connection)->signal();
                },
                connection_.get());
        });
    } catch (const AudioError& error) {
        throw AudioError(std::string("cannot subscribe to device events: ") + error.what());
    }
}

DeviceEvents::~DeviceEvents() {
    {
        Connection::Lock lock(*connection_);
        closing_ = true;
        pa_context_set_subscribe_callback(connection_->context(), nullptr, nullptr);
    }
    // Stops the event thread; requests still in flight are never answered.
    connection_.reset();
}

void DeviceEvents::onEvent(int type, uint32_t index) {
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int what = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    const Flow flow = facility == PA_SUBSCRIPTION_EVENT_SINK ? Flow::Render : Flow::Capture;
    if (what == PA_SUBSCRIPTION_EVENT_REMOVE) {
        DeviceEvent event;
        event.kind = DeviceEvent::Kind::Removed;
        event.flow = flow;
        {
            std::lock_guard guard(mutex_);
            const auto it = ids_.find({flow, index});
            if (it != ids_.end()) {
                event.device.id = it->second;
                ids_.erase(it);
            }
        }
        handler_(event);
        return;
    }
    requestInfo(flow,
                what == PA_SUBSCRIPTION_EVENT_NEW ? DeviceEvent::Kind::Added
                                                  : DeviceEvent::Kind::Changed,
                index);
}

template <class Info>
void DeviceEvents::answer(pa_context*, const Info* info, int eol, void* data) {
    auto* lookup = static_cast<Lookup*>(data);
    if (eol != 0 || !info) {
        lookup->owner->finish(lookup);
        return;
    }
    DeviceEvent event{lookup->kind, lookup->flow, deviceOf(info),
                      volumeOf(info->volume, info->mute != 0)};
    lookup->owner->deliver(lookup, std::move(event));
}

void DeviceEvents::requestInfo(Flow flow, DeviceEvent::Kind kind, uint32_t index) {
    Lookup* lookup = &lookups_.emplace_back(Lookup{this, kind, flow, index});
    pa_operation* operation =
        flow == Flow::Render ? pa_context_get_sink_info_by_index(connection_->context(), index,
                                                                 answer<pa_sink_info>, lookup)
                             : pa_context_get_source_info_by_index(connection_->context(), index,
                                                                   answer<pa_source_info>, lookup);
    if (operation)
        pa_operation_unref(operation);
    else
        finish(lookup);
}

void DeviceEvents::deliver(const Lookup* lookup, DeviceEvent event) {
    if (closing_)
        return;
    {
        std::lock_guard guard(mutex_);
        ids_[{event.flow, lookup->index}] = event.device.id;
    }
    handler_(event);
}

void DeviceEvents::finish(const Lookup* lookup) {
    lookups_.remove_if([lookup](const Lookup& l) { return &l == lookup; });
}

} // namespace platform::audio
