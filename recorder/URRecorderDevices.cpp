#include "recorder/URRecorderDevices.h"

#include "media/UMFAudioApi.h"
#include "media/UREncoderProbe.h"

#include <QStorageInfo>

namespace {

QStringList audioDevices(int flow) {
    QStringList names;
    if (!IsDefaultAudioDeviceUsable(flow))
        return names;
    for (const TMFDeviceInfo& device : GetAudioDevices(flow))
        names << device.DeviceName;
    return names;
}

std::optional<uint64_t> freeKB(const QString& folder) {
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady() || storage.bytesAvailable() < 0)
        return std::nullopt;
    return uint64_t(storage.bytesAvailable()) / 1024;
}

} // namespace

TRRecorderDevices TRRecorderDevices::System() {
    TRRecorderDevices devices;
    devices.Cameras = [] {
        QStringList names;
        GetWebCamList(&names);
        return names;
    };
    devices.CameraFormats = [](const QString& name) { return GetWebCamFormats(name, false); };
    devices.CameraAvailable = IsWebCamAvailable;
    devices.TestCamera = TestWebCam;
    devices.CameraSubTypes = GetWebCamSubTypes;
    devices.AudioDevices = audioDevices;
    devices.HardwareH264 = GetHardwareH264Available;
    devices.FreeKB = freeKB;
    return devices;
}
