// How the server's sink and source records become the layer's device descriptions; shared by
// the device queries and the device events.
#pragma once

#include "platform/audio/Devices.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

namespace platform::audio {

inline void describeMonitor(DeviceInfo&, const pa_sink_info*) {}

inline void describeMonitor(DeviceInfo& device, const pa_source_info* info) {
    if (info->monitor_of_sink != PA_INVALID_INDEX)
        device.monitorOf = info->monitor_of_sink_name ? info->monitor_of_sink_name : "sink";
}

template <class Info> DeviceInfo deviceOf(const Info* info) {
    DeviceInfo device;
    device.id = info->name ? info->name : "";
    device.name = info->description ? info->description : "";
    device.state = state::Active;
    device.index = info->index;
    device.sampleRate = int(info->sample_spec.rate);
    device.channels = int(info->sample_spec.channels);
    describeMonitor(device, info);
    return device;
}

inline float scalarOf(pa_volume_t volume) {
    return float(double(volume) / PA_VOLUME_NORM);
}

inline Volume volumeOf(const pa_cvolume& volume, bool muted) {
    Volume result;
    result.scalar = scalarOf(pa_cvolume_avg(&volume));
    result.muted = muted;
    for (unsigned c = 0; c < volume.channels; ++c)
        result.channels.push_back(scalarOf(volume.values[c]));
    return result;
}

} // namespace platform::audio
