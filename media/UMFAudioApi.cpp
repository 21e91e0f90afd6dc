#include "media/UMFAudioApi.h"

#include "media/UMFApi.h"
#include "platform/audio/Connection.h"
#include "platform/audio/DeviceEvents.h"
#include "platform/audio/Devices.h"
#include "platform/audio/Stream.h"
#include "platform/system/Messages.h"

#include <QLocale>
#include <cmath>
#include <optional>

namespace audio = platform::audio;

namespace {

audio::Flow toFlow(int AFlow) {
    return AFlow == eCapture ? audio::Flow::Capture : audio::Flow::Render;
}

// The device a routine was given, by id or else by name; nothing when none matches.
std::optional<audio::DeviceInfo> findByIdOrName(int AFlow, const QString& AName) {
    const auto devices = audio::listDevices(toFlow(AFlow), true);
    const std::string wanted = AName.toStdString();
    for (const auto& device : devices)
        if (device.id == wanted)
            return device;
    for (const auto& device : devices)
        if (device.name == wanted)
            return device;
    return std::nullopt;
}

QString number(double value) {
    return QLocale().toString(value, 'g', 15);
}

QString hex8(uint32_t value) {
    return QString::number(value, 16).toUpper().rightJustified(8, '0');
}

QString volumeLine(int AFlow, const audio::DeviceInfo& device) {
    const auto volume = audio::deviceVolume(toFlow(AFlow), device.id);
    if (!volume)
        return "IAudioEndpointVolume: " + hex8(AudioDeviceNotFound);
    const double minDb = audio::volumeToDb(0.01f);
    QString line = "IAudioEndpointVolume: " + number(audio::volumeToDb(volume->scalar));
    line += "[" + number(minDb) + "," + number(0.0) + "," + number(-minDb / 100) + "]";
    line += "," + number(volume->scalar) + "|";
    line += QString::number(volume->muted ? 1 : 0) + "|";
    line += QString::number(std::lround(volume->scalar * 100)) + "," + QString::number(101) + "|";
    line += "ch=" + QString::number(volume->channels.size()) + " :";
    for (float channel : volume->channels)
        line += number(audio::volumeToDb(channel)) + "," + number(channel) + ";";
    return line;
}

void reportFlow(int AFlow, const QString& title, QStringList& AList) {
    const TMFDeviceInfoArray devices = GetAudioDevices(AFlow);
    AList << title + QString::number(devices.size());
    for (const TMFDeviceInfo& info : devices) {
        AList << info.DeviceName + " : " + info.DeviceId + " : " + hex8(uint32_t(info.DeviceState));
        if (const auto device = audio::findDevice(toFlow(AFlow), info.DeviceId.toStdString()))
            AList << volumeLine(AFlow, *device);
    }
}

} // namespace

TMFDeviceInfoArray GetAudioDevices(int AFlow) {
    TMFDeviceInfoArray result;
    try {
        for (const auto& device : audio::listDevices(toFlow(AFlow)))
            result.push_back({QString::fromStdString(device.name),
                              QString::fromStdString(device.id), int32_t(device.state)});
    } catch (const audio::AudioError&) {
    }
    return result;
}

QString GetLoopbackDeviceId(const QString& ARenderId) {
    try {
        for (const auto& monitor : audio::listMonitors())
            if (monitor.monitorOf == ARenderId.toStdString())
                return QString::fromStdString(monitor.id);
    } catch (const audio::AudioError&) {
    }
    return {};
}

bool IsDefaultAudioDeviceUsable(int AFlow) {
    if (!MFAvailable)
        return false;
    try {
        const std::string id = audio::defaultDeviceId(toFlow(AFlow));
        const auto device = audio::findDevice(toFlow(AFlow), id);
        if (!device)
            return false;
        const audio::StreamFormat format{device->sampleRate, device->channels};
        if (AFlow == eCapture)
            audio::CaptureStream stream(format, id);
        else
            audio::PlaybackStream stream(format, id, 100);
        return true;
    } catch (const audio::AudioError&) {
        return false;
    }
}

QString GetAudioDeviceId(int AFlow, const QString& AName) {
    try {
        if (const auto device = findByIdOrName(AFlow, AName))
            return QString::fromStdString(device->id);
    } catch (const audio::AudioError&) {
    }
    return {};
}

int GetAudioDeviceVolume(int AFlow, const QString& AName, float& AVolume, int& AMute) {
    AVolume = 0;
    AMute = 0;
    try {
        const auto device = findByIdOrName(AFlow, AName);
        if (!device)
            return AudioDeviceNotFound;
        const auto volume = audio::deviceVolume(toFlow(AFlow), device->id);
        if (!volume)
            return AudioDeviceNotFound;
        AVolume = volume->scalar;
        AMute = volume->muted ? 1 : 0;
        return AudioDeviceOk;
    } catch (const audio::AudioError&) {
        return AudioDeviceFailed;
    }
}

int SetAudioDeviceVolume(int AFlow, const QString& AName, float AVolume) {
    try {
        const auto device = findByIdOrName(AFlow, AName);
        if (!device)
            return AudioDeviceNotFound;
        return audio::setDeviceVolume(toFlow(AFlow), device->id, AVolume) ? AudioDeviceOk
                                                                          : AudioDeviceFailed;
    } catch (const audio::AudioError&) {
        return AudioDeviceFailed;
    }
}

void GetAudioDevicesReport(QStringList& AList) {
    try {
        audio::Connection::shared();
    } catch (const audio::AudioError& error) {
        AList << QString("Sound server: ") + error.what();
        return;
    }
    reportFlow(eCapture, "Recording devices: ", AList);
    reportFlow(eRender, "Playback devices: ", AList);
}

TMFVolumeCallback::TMFVolumeCallback(int AFlow, const QString& ADeviceId, QObject* AHWin)
    : FHWin(AHWin) {
    const audio::Flow flow = toFlow(AFlow);
    const std::string id = ADeviceId.toStdString();
    FEvents =
        std::make_unique<audio::DeviceEvents>([this, flow, id](const audio::DeviceEvent& event) {
            if (event.kind == audio::DeviceEvent::Kind::Changed && event.flow == flow &&
                event.device.id == id)
                OnNotify(event.volume.scalar, event.volume.muted);
        });
}

TMFVolumeCallback::~TMFVolumeCallback() = default;

void TMFVolumeCallback::OnNotify(float AMasterVolume, bool AMuted) {
    if (FHWin)
        platform::system::postMessage(FHWin, platform::system::msg::EndpointVolumeChange,
                                      std::llrint(double(AMasterVolume) * 100), AMuted ? 1 : 0);
}
