// The sound server's devices: playback sinks, recording sources and the sinks' monitor
// sources (what a sink plays, for loopback recording), their default, their volume.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::audio {

// The direction of a device: playback (render) or recording (capture).
enum class Flow { Render = 0, Capture = 1 };

// Device states as flags, after the states the program tells apart.
namespace state {
inline constexpr uint32_t Active = 0x1;
inline constexpr uint32_t Disabled = 0x2;
} // namespace state

struct DeviceInfo {
    std::string id;   // the server's unique name of the device
    std::string name; // the description shown to the user
    uint32_t state = 0;
    uint32_t index = 0; // the server's number of the device while it exists
    int sampleRate = 0;
    int channels = 0;
    // Capture only: the sink this source monitors (empty for a real recording device).
    std::string monitorOf;
    bool isMonitor() const { return !monitorOf.empty(); }
};

struct Volume {
    float scalar = 0; // the average channel volume, 1.0 = the device's nominal full volume
    bool muted = false;
    std::vector<float> channels; // per channel, same scale
};

// Decibels of a volume scalar on the server's scale (minus infinity for 0).
double volumeToDb(float scalar);

// The devices of a flow in the server's order. Capture lists real recording devices only,
// unless `withMonitors`. Throws AudioError when no server answers.
std::vector<DeviceInfo> listDevices(Flow flow, bool withMonitors = false);
// The monitor sources of the sinks (for recording what is played).
std::vector<DeviceInfo> listMonitors();
// The id of the flow's default device; empty when the server has none.
std::string defaultDeviceId(Flow flow);
// The device with this id (monitors included); nothing when there is none.
std::optional<DeviceInfo> findDevice(Flow flow, const std::string& id);

// The volume of a device; nothing when the device does not exist.
std::optional<Volume> deviceVolume(Flow flow, const std::string& id);
// Sets every channel of a device to `scalar` (clamped to 0..1). False when the device does
// not exist or the server refuses.
bool setDeviceVolume(Flow flow, const std::string& id, float scalar);
// Mutes or unmutes a device. False when the device does not exist or the server refuses.
bool setDeviceMute(Flow flow, const std::string& id, bool muted);

} // namespace platform::audio
