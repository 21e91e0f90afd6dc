// The audio devices as the recorder and the editor see them: the active playback and
// recording devices with their names and ids, the default device's usability, the master
// volume of a device, a text report of every device, and volume-change notifications posted
// to a window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::audio {
class DeviceEvents;
}

// Data flows of the device routines.
inline constexpr int eRender = 0;  // playback
inline constexpr int eCapture = 1; // recording

struct TMFDeviceInfo {
    QString DeviceName; // shown to the user
    QString DeviceId;   // unique; what the routines below are best given
    int32_t DeviceState = 0;
};
using TMFDeviceInfoArray = std::vector<TMFDeviceInfo>;

// Results of the volume routines.
inline constexpr int AudioDeviceOk = 0;
inline constexpr int AudioDeviceFailed = 1;   // no sound server, or it refused
inline constexpr int AudioDeviceNotFound = 2; // no device has that id or name

// The active devices of a flow in the server's order; recording devices only (no monitors).
// Empty when no sound server answers.
TMFDeviceInfoArray GetAudioDevices(int AFlow);
// The monitor source that records what the playback device `ARenderId` plays (loopback);
// empty when there is none.
QString GetLoopbackDeviceId(const QString& ARenderId);
// True when the media layer is available (LoadMF), the flow's default device exists and a
// stream can be opened on it.
bool IsDefaultAudioDeviceUsable(int AFlow);
// The id of the device whose id or else whose name is AName (the first in the server's
// order); empty when none.
QString GetAudioDeviceId(int AFlow, const QString& AName);
// The master volume (0..1) and mute flag of the device named by id or name. A device that is
// not found is reported (AudioDeviceNotFound), never replaced by the default device.
int GetAudioDeviceVolume(int AFlow, const QString& AName, float& AVolume, int& AMute);
int SetAudioDeviceVolume(int AFlow, const QString& AName, float AVolume);
// Appends the device report: the recording devices, then the playback devices, each with its
// volume line.
void GetAudioDevicesReport(QStringList& AList);

// Posts platform::system::msg::EndpointVolumeChange to HWin whenever the volume or mute of
// one device changes: wParam = the volume × 100 rounded half to even, lParam = the mute flag.
class TMFVolumeCallback {
public:
    // Throws platform::audio::AudioError when no sound server answers.
    TMFVolumeCallback(int AFlow, const QString& ADeviceId, QObject* AHWin);
    ~TMFVolumeCallback();
    TMFVolumeCallback(const TMFVolumeCallback&) = delete;
    TMFVolumeCallback& operator=(const TMFVolumeCallback&) = delete;

    // Posts the message for one notification (called on the sound server's thread).
    void OnNotify(float AMasterVolume, bool AMuted);

private:
    QObject* FHWin; // must outlive the callback
    std::unique_ptr<platform::audio::DeviceEvents> FEvents;
};
