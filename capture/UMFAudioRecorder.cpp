#include "capture/UMFAudioRecorder.h"

#include "core/URSettings.h"
#include "media/UCircleBuffer.h"
#include "media/UMFAudioApi.h"
#include "media/UMFAudioResampler.h"
#include "media/UMFencoderAAC.h"
#include "platform/audio/Connection.h"
#include "platform/audio/Devices.h"
#include "platform/audio/Stream.h"
#include "platform/system/Messages.h"
#include "platform/system/ThreadPriority.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace audio = platform::audio;
namespace msg = platform::system::msg;

namespace {

constexpr int DestChannels = 2;
constexpr int DestBytesPerFrame = 4;
// The server hands over what it recorded about every 10 ms; the loop looks every 5 ms.
constexpr int FragmentMs = 10;
constexpr int PollMs = 5;
// Sound that arrives ahead of the clock (servers and devices may hand over seconds at once)
// waits in a hold of this many seconds and goes out as the clock advances.
constexpr int HoldSeconds = 4;
// Silence stands in for sound only once the source has handed over nothing for this long (it
// stalled or went away), or the track has fallen this far behind the clock although sound
// flows (a device clock slower than ours). Sound that is merely late on a loaded machine must
// not be padded for: it would then wait in the hold and play that much later than its picture.
constexpr int StallMs = 300;
constexpr int LagLimitMs = 500;

int Percent(float scalar) {
    return int(std::lround(double(scalar) * 100));
}

// The id of the device to record: a recording device, or the monitor of a playback device.
std::string ResolveDevice(uint32_t deviceType, const QString& name) {
    if (deviceType == AudioDeviceMicrophone) {
        const QString id = GetAudioDeviceId(eCapture, name);
        return id.isEmpty() ? audio::defaultDeviceId(audio::Flow::Capture) : id.toStdString();
    }
    QString sink = GetAudioDeviceId(eRender, name);
    if (sink.isEmpty())
        sink = QString::fromStdString(audio::defaultDeviceId(audio::Flow::Render));
    return GetLoopbackDeviceId(sink).toStdString();
}

} // namespace

TMFAudioRecorderThread::TMFAudioRecorderThread(uint32_t ADeviceType, int ASamplesPerSecDest,
                                               TCircleBufferThread* ACircleBuffer, QObject* AHWin,
                                               const QString& AMicName, bool)
    : FDeviceType(ADeviceType), FMicName(AMicName), FSaveBuffer(ACircleBuffer), FHWin(AHWin),
      FSamplesPerSecDest(std::max(ASamplesPerSecDest, 1)) {}

TMFAudioRecorderThread::~TMFAudioRecorderThread() {
    Terminate();
    WaitFor(60000);
}

QString TMFAudioRecorderThread::OpenError() const {
    std::lock_guard lock(FInfoLock);
    return FOpenError;
}

QString TMFAudioRecorderThread::DeviceId() const {
    std::lock_guard lock(FInfoLock);
    return FDeviceId;
}

int TMFAudioRecorderThread::Volume() const {
    const QString id = DeviceId();
    if (FDeviceType != AudioDeviceMicrophone || id.isEmpty())
        return 0;
    try {
        const auto volume = audio::deviceVolume(audio::Flow::Capture, id.toStdString());
        return volume ? Percent(volume->scalar) : 0;
    } catch (const audio::AudioError&) {
        return 0;
    }
}

void TMFAudioRecorderThread::SetVolume(int APercent) {
    const QString id = DeviceId();
    if (FDeviceType != AudioDeviceMicrophone || id.isEmpty())
        return;
    try {
        audio::setDeviceVolume(audio::Flow::Capture, id.toStdString(), float(APercent) / 100);
    } catch (const audio::AudioError&) {
    }
}

void TMFAudioRecorderThread::ToggleMute() {
    const QString id = DeviceId();
    if (FDeviceType != AudioDeviceMicrophone || id.isEmpty())
        return;
    try {
        // The mute that is read is the one that is written, so a second toggle undoes the first.
        if (const auto volume = audio::deviceVolume(audio::Flow::Capture, id.toStdString()))
            audio::setDeviceMute(audio::Flow::Capture, id.toStdString(), !volume->muted);
    } catch (const audio::AudioError&) {
    }
}

bool TMFAudioRecorderThread::CreateRecorder() {
    try {
        const std::string id = ResolveDevice(FDeviceType, FMicName);
        {
            std::lock_guard lock(FInfoLock);
            FDeviceId = QString::fromStdString(id);
        }
        const auto device = id.empty() ? std::nullopt : audio::findDevice(audio::Flow::Capture, id);
        if (!device)
            throw audio::AudioError("no recording device");
        SetStatus(2);
        // The server converts whatever the device records to 16-bit samples at the device's
        // own rate; more than two channels are mixed down to stereo by the server as well.
        const audio::StreamFormat format{device->sampleRate,
                                         std::clamp(device->channels, 1, DestChannels)};
        FStream = std::make_unique<audio::CaptureStream>(format, id, FragmentMs);
        FSamplesPerSecSource = format.sampleRate;
        FNumChannelsSource = format.channels;
        if (FDeviceType == AudioDeviceMicrophone && FHWin) {
            FVolumeCallback = std::make_unique<TMFVolumeCallback>(eCapture, FDeviceId, FHWin);
            if (const auto volume = audio::deviceVolume(audio::Flow::Capture, id))
                FVolumeCallback->OnNotify(volume->scalar, volume->muted);
        }
        return true;
    } catch (const audio::AudioError& error) {
        std::lock_guard lock(FInfoLock);
        FOpenError = QString::fromUtf8(error.what());
        return false;
    }
}

void TMFAudioRecorderThread::Execute() {
    SetStatus(1);
    if (!CreateRecorder()) {
        FOpenFailed = true;
        if (OnOpenFailed)
            OnOpenFailed(OpenError());
        while (!Terminated())
            SleepMs(10);
        SetStatus(9);
        return;
    }
    platform::system::raiseToMultimediaPriority();
    SetStatus(3);
    const int rate = FSamplesPerSecSource, channels = FNumChannelsSource;
    if (rate != FSamplesPerSecDest || channels != DestChannels) {
        FResampler = std::make_unique<TMFAudioResampler>();
        FResampler->SetParams(uint32_t(rate), uint32_t(FSamplesPerSecDest), uint16_t(channels),
                              DestChannels, 1000);
    }
    pBufferAudio.resize(size_t(rate) * size_t(channels));
    pBufferAudioResampled.reserve(size_t(FSamplesPerSecDest) * DestChannels);
    FSilence.assign(size_t(FSamplesPerSecDest / 10) * DestChannels, 0);
    FHold.assign(size_t(FSamplesPerSecDest) * HoldSeconds * DestChannels, 0);
    FLastClock = FLastSoundClock = CaptureClockMs();
    SetStatus(4);
    CaptureLoop();
    SetStatus(6);
    Finish();
    SetStatus(8);
    FStream.reset();
    FVolumeCallback.reset();
    SetStatus(9);
}

void TMFAudioRecorderThread::CaptureLoop() {
    const size_t frameBytes = size_t(FNumChannelsSource) * 2;
    const int64_t tolerance = int64_t(FSamplesPerSecDest) * ClockToleranceMs / 1000;
    const int64_t lagLimit = int64_t(FSamplesPerSecDest) * LagLimitMs / 1000;
    while (!Terminated()) {
        const size_t got =
            FStream->read(pBufferAudio.data(), pBufferAudio.size() * sizeof(int16_t));
        const uint32_t frames = uint32_t(got / frameBytes);
        if (frames > 0) {
            if (FLevelFlag)
                PostLevel(pBufferAudio.data(), size_t(frames) * size_t(FNumChannelsSource));
            FLevelFlag = !FLevelFlag;
        }
        const int64_t expected = ExpectedFrames();
        if (frames > 0)
            FLastSoundClock = FLastClock;
        if (FRecording && frames > 0)
            Deliver(pBufferAudio.data(), frames);
        Release(expected);
        if (FRecording && FHeldFrames == 0 && FFramesWritten < expected - tolerance &&
            (FLastClock - FLastSoundClock > StallMs || FFramesWritten < expected - lagLimit))
            PadTo(expected);
        if (frames == 0)
            SleepMs(PollMs);
    }
}

void TMFAudioRecorderThread::PostLevel(const int16_t* samples, size_t count) {
    if (!FHWin)
        return;
    int peak = 0;
    for (size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    platform::system::postMessage(FHWin, msg::AudioLevel, std::lround(peak * 100.0 / 32768.0));
}

int64_t TMFAudioRecorderThread::ExpectedFrames() {
    const int64_t now = CaptureClockMs();
    if (FRecording)
        FRecordedMs += now - FLastClock;
    FLastClock = now;
    return FRecordedMs * FSamplesPerSecDest / 1000;
}

void TMFAudioRecorderThread::Deliver(const int16_t* frames, uint32_t count) {
    if (!FResampler) {
        Hold(frames, count);
        return;
    }
    pBufferAudioResampled.clear();
    const uint32_t made = FResampler->Resample(frames, count, pBufferAudioResampled);
    Hold(pBufferAudioResampled.data(), made);
}

void TMFAudioRecorderThread::Hold(const int16_t* frames, uint32_t count) {
    // What does not fit is lost, as when the server drops data; the clock pads it.
    const int64_t room = int64_t(FHold.size()) / DestChannels - FHeldFrames;
    const int64_t n = std::min<int64_t>(count, room);
    std::copy_n(frames, n * DestChannels, FHold.begin() + FHeldFrames * DestChannels);
    FHeldFrames += n;
}

void TMFAudioRecorderThread::Release(int64_t expected) {
    const int64_t n = std::clamp<int64_t>(expected - FFramesWritten, 0, FHeldFrames);
    if (n == 0)
        return;
    Write(FHold.data(), uint32_t(n));
    std::copy(FHold.begin() + n * DestChannels, FHold.begin() + FHeldFrames * DestChannels,
              FHold.begin());
    FHeldFrames -= n;
}

void TMFAudioRecorderThread::Write(const int16_t* frames, uint32_t count) {
    const int bytes = int(count) * DestBytesPerFrame;
    if (FSaveBuffer)
        FSaveBuffer->Write(frames, bytes);
    if (TCircleBufferThread* ring = FVRBuffer)
        ring->Write(frames, bytes);
    FFramesWritten += count;
}

void TMFAudioRecorderThread::PadTo(int64_t target) {
    const int64_t chunk = int64_t(FSilence.size()) / DestChannels;
    while (FFramesWritten < target)
        Write(FSilence.data(), uint32_t(std::min(chunk, target - FFramesWritten)));
}

void TMFAudioRecorderThread::Finish() {
    const int64_t expected = ExpectedFrames();
    if (FRecordedMs == 0)
        return;
    if (FResampler) {
        pBufferAudioResampled.clear();
        const uint32_t made = FResampler->Flush(pBufferAudioResampled);
        Hold(pBufferAudioResampled.data(), made);
    }
    // The track ends with the recorded time: what is held beyond it is dropped, what is
    // missing is silence.
    Release(expected);
    PadTo(expected);
}

TMFAudioSaver::TMFAudioSaver(TCircleBufferThread* AAudioBuffer, const QString& AFileName,
                             int AAudioFramePS, int AAudioBytesPS, int ABackupTimeMs,
                             bool AMp4aFile, QObject* AHWin)
    : FAudioBuffer(AAudioBuffer), FFileName(AFileName), FAudioFramePS(AAudioFramePS),
      FAudioBytesPS(AAudioBytesPS), FBackupTimeMs(ABackupTimeMs), FMp4aFile(AMp4aFile),
      FHWin(AHWin) {}

TMFAudioSaver::~TMFAudioSaver() {
    Terminate();
    WaitFor(60000);
}

QString TMFAudioSaver::GetStatus() const {
    // The writer's text has no recording digit.
    QString text =
        CaptureStatusText(Started(), Terminated(), Finished(), false, m_status(), m_hr(), m_step());
    return text.remove(3, 1);
}

int TMFAudioSaver::BlockBytes() const {
    return FEncoder ? FEncoder->AudioChunkBytes() : FAudioFramePS / 30 * DestBytesPerFrame;
}

void TMFAudioSaver::EncodeBlock(int bytes) {
    if (!FEncoder) {
        SetStatus(3);
        FEncoder = CreateEncoder ? CreateEncoder() : std::make_unique<TMFEncoderAAC>();
        FEncoder->SetParams(0, 0, 30, 0, true, FAudioFramePS, FAudioBytesPS, FFileName);
        SetResult(FEncoder->StartEncode(), 1);
    }
    const int block = BlockBytes();
    FBlock.assign(size_t(block), 0);
    SetStatus(4);
    FAudioBuffer->Read(FBlock.data(), std::min(bytes, block));
    SetStatus(6);
    SetResult(FEncoder->AddAudioFrame(FBlock.data()), 2);
    SetStatus(9);
}

void TMFAudioSaver::Execute() {
    SetStatus(2);
    auto lastSize = std::chrono::steady_clock::now();
    while (!Terminated()) {
        while (FAudioBuffer->CanReadCount() > BlockBytes() && !Terminated()) {
            EncodeBlock(BlockBytes());
            const auto now = std::chrono::steady_clock::now();
            if (FHWin && (!FSizeSent || now - lastSize > std::chrono::milliseconds(500))) {
                SetStatus(8);
                platform::system::postMessage(FHWin, msg::AudioFileSize,
                                              int64_t(FEncoder->GetAudioCompressedSize() / 1024));
                FSizeSent = true;
                lastSize = now;
            }
        }
        SleepMs(30);
    }
    SetStatus(10);
    // What the capture thread wrote before it ended goes into the file too.
    while (FAudioBuffer->CanReadCount() >= BlockBytes())
        EncodeBlock(BlockBytes());
    if (const int rest = FAudioBuffer->CanReadCount(); rest > 0)
        EncodeBlock(rest);
    if (FEncoder) {
        SetStatus(11);
        SetResult(FEncoder->StopEncode(), 3);
        SetStatus(12);
        FEncoder.reset();
        SetStatus(13);
    }
    SetStatus(15);
}

TMFAudioRecorder::TMFAudioRecorder() = default;

TMFAudioRecorder::~TMFAudioRecorder() {
    if (FAudioRecorderThread || FAudioSaver)
        Stop();
}

void TMFAudioRecorder::SetParams(uint32_t ADeviceType, int AAudioFramePS, int AAudioBytesPS,
                                 int ABackupTimeMs, const QString& AFileName, bool AMp4aFile,
                                 const QString& AMicName) {
    FDeviceType = ADeviceType;
    FAudioFramePS = AAudioFramePS;
    FAudioBytesPS = AAudioBytesPS;
    FBackupTimeMs = ABackupTimeMs;
    FFileName = AFileName;
    FMp4aFile = AMp4aFile;
    FMicName = AMicName;
}

void TMFAudioRecorder::MakeWindows() {
    using platform::system::MessageReceiver;
    // A failing event handler must not disturb the recording.
    auto guarded = [](auto&& call) {
        try {
            call();
        } catch (...) {
        }
    };
    FHWin = std::make_unique<MessageReceiver>();
    FHWin->on(msg::AudioLevel, [this, guarded](int64_t wParam, int64_t) {
        guarded([&] {
            if (OnLevel)
                OnLevel(int(wParam));
        });
    });
    FHWin->on(msg::EndpointVolumeChange, [this, guarded](int64_t wParam, int64_t lParam) {
        guarded([&] {
            if (OnVolume)
                OnVolume(int(wParam), int(lParam));
        });
    });
    if (!FFileName.isEmpty() && OnSize) {
        FHWinSize = std::make_unique<MessageReceiver>();
        FHWinSize->on(msg::AudioFileSize, [this, guarded](int64_t wParam, int64_t) {
            guarded([&] { OnSize(int(wParam)); });
        });
    }
}

void TMFAudioRecorder::Start(bool) {
    if (FAudioRecorderThread || FAudioSaver)
        Stop();
    MakeWindows();
    if (!FFileName.isEmpty()) {
        FAudioBuffer = std::make_unique<TCircleBufferThread>(40 * FAudioFramePS);
        FAudioSaver = std::make_unique<TMFAudioSaver>(FAudioBuffer.get(), FFileName, FAudioFramePS,
                                                      FAudioBytesPS, FBackupTimeMs, FMp4aFile,
                                                      FHWinSize.get());
        FAudioSaver->CreateEncoder = CreateEncoder;
        FAudioSaver->Start();
    }
    QObject* levels = OnLevel ? FHWin.get() : nullptr;
    FAudioRecorderThread = std::make_unique<TMFAudioRecorderThread>(
        FDeviceType, FAudioFramePS, FAudioBuffer.get(), levels, FMicName, false);
    QObject* receiver = FHWin.get();
    FAudioRecorderThread->OnOpenFailed = [this, receiver](const QString& error) {
        QMetaObject::invokeMethod(
            receiver,
            [this, error] {
                try {
                    if (OnError)
                        OnError(error);
                } catch (...) {
                }
            },
            Qt::QueuedConnection);
    };
    FAudioRecorderThread->Start();
}

void TMFAudioRecorder::SetRecording(bool value) {
    if (!FAudioRecorderThread)
        return;
    if (value)
        FAudioRecorderThread->StartRecording();
    else
        FAudioRecorderThread->StopRecording();
}

int TMFAudioRecorder::Volume() const {
    return FAudioRecorderThread ? FAudioRecorderThread->Volume() : 0;
}

void TMFAudioRecorder::SetVolume(int value) {
    if (FAudioRecorderThread)
        FAudioRecorderThread->SetVolume(value);
}

void TMFAudioRecorder::ToggleMute() {
    if (FAudioRecorderThread)
        FAudioRecorderThread->ToggleMute();
}

void TMFAudioRecorder::SetVRBuffer(TCircleBufferThread* ABuffer) {
    if (FAudioRecorderThread)
        FAudioRecorderThread->SetVRBuffer(ABuffer);
}

void TMFAudioRecorder::Terminate() {
    if (FAudioRecorderThread)
        FAudioRecorderThread->Terminate();
}

void TMFAudioRecorder::StopRecorderThread(const QString& prefix) {
    const QString step = prefix + QStringLiteral(":AudioRecorderThread");
    Breadcrumb(step);
    if (!FAudioRecorderThread)
        return;
    TMFAudioRecorderThread& thread = *FAudioRecorderThread;
    thread.Terminate();
    Breadcrumb(step + QStringLiteral("_wf_") + thread.GetStatus());
    if (thread.OpenFailed())
        SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_open_") +
                          thread.DeviceId() + QLatin1Char('_') + thread.OpenError());
    FinishWorker(std::move(FAudioRecorderThread), prefix, QStringLiteral(":AudioRecorderThread"),
                 Breadcrumb, StopLimitMs);
}

void TMFAudioRecorder::StopSaver(const QString& prefix) {
    if (!FAudioSaver)
        return;
    const QString step = prefix + QStringLiteral(":AudioSaverThread");
    FAudioSaver->Terminate();
    const QString status = FAudioSaver->GetStatus();
    Breadcrumb(step + QStringLiteral("_wf_") + status);
    if (status.size() > 6)
        SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_wf_") + status);
    // The writer's own text names its free step with a capital letter.
    if (FinishWorker(
            std::move(FAudioSaver), prefix, QStringLiteral(":AudioSaverThread"),
            [this, step](const QString& crumb) {
                Breadcrumb(crumb == step + QStringLiteral("_free") ? step + QStringLiteral("_Free")
                                                                   : crumb);
            },
            StopLimitMs))
        return;
    // A writer that did not end still reads the ring: keep the ring alive with it.
    (void)FAudioBuffer.release();
}

void TMFAudioRecorder::Stop() {
    const QString prefix = SettingsRecord.LastStep.text();
    // The capture thread ends first, so the writer takes everything it wrote.
    StopRecorderThread(prefix);
    StopSaver(prefix);
    Breadcrumb(prefix + QStringLiteral(":AudioRecorder_free"));
    FAudioBuffer.reset();
    FHWin.reset();
    FHWinSize.reset();
    Breadcrumb(prefix + QStringLiteral(":AudioRecorder_End"));
}
