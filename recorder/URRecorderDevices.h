#pragma once
// Where the recorder tool bar asks about devices and the machine: cameras and their formats,
// recording and playback devices, the hardware encoder, free disk space. By default the media
// and system layers answer; tests put their own device lists in.

#include "media/UWebCamApi.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

struct TRRecorderDevices {
    std::function<QStringList()> Cameras;
    std::function<TWebCamFormats(const QString& name)> CameraFormats;
    std::function<bool(const QString& name)> CameraAvailable;
    // 0 when the camera opens in the format, else the camera layer's error code.
    std::function<int32_t(const QString& name, const TWebCamFormat& format)> TestCamera;
    // The subtype list of a camera, one per line; empty when it has none.
    std::function<QString(const QString& name)> CameraSubTypes;
    // Recording (flow 1) or playback (flow 0) devices by name; empty when the default device
    // of that flow cannot be used.
    std::function<QStringList(int flow)> AudioDevices;
    std::function<bool()> HardwareH264;
    // Free KB of the file system holding the folder; unset when it cannot be read.
    std::function<std::optional<uint64_t>(const QString& folder)> FreeKB;

    // The media and system layers' answers.
    static TRRecorderDevices System();
};
