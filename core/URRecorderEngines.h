#pragma once
// The capture engines as the recorder tool bar drives them: the screen, camera, audio and live
// video engines behind small interfaces, made by one factory the capture folder installs
// (InstallCaptureEngines) and tests replace with recording fakes. Every engine is a facade on
// the UI thread; its events arrive on that thread. Times are milliseconds of the shared clock.

#include "core/URSettings.h"
#include "core/URVideoRecorderOptions.h"

#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// What every recording engine shares: the clock and the switch.
class TRRecorderEngine {
public:
    virtual ~TRRecorderEngine() = default;
    virtual void SetStartTime(int64_t value) = 0;
    virtual void SetPauseTime(int64_t value) = 0;
    virtual void SetTotalPause(int64_t value) = 0;
    virtual void SetRecording(bool value) = 0;
    // Asks the workers to end, without waiting.
    virtual void Terminate() = 0;

    std::function<void(int sizeKB)> OnReceiveSize;
};

class TRRecorderVideoEngine;

class TRRecorderScreenEngine : public TRRecorderEngine {
public:
    // AFileBase empty: no file (the pictures go to ACompositor). ACompressMode 0 screen video,
    // 1 H.264, 255 the compositor only; ACaptureMethod 0 plain copy, 1 shared memory.
    virtual void SetParams(const QRect& AInputRect, const QString& AFileBase, uint8_t ACompressMode,
                           bool AHardware, uint8_t ACaptureMethod, int AFramePS, int AQuality,
                           int ABackupMs, TRRecorderVideoEngine* ACompositor) = 0;
    virtual void StartRecord() = 0;
    // Waits for the workers and finishes the track files.
    virtual void StopRecord() = 0;
};

// One camera format as the settings keep it.
struct TRCameraChoice {
    QString Name;
    int Stream = 0;
    int FPS = 0;
    int Width = 0;
    int Height = 0;
    TRGuid SubType{};
    TRGuid FormatType{};
};

class TRRecorderCameraEngine : public TRRecorderEngine {
public:
    virtual void SetParams(const TRCameraChoice& ACamera, int ABackupMs, const QString& AFileBase,
                           bool AHardware) = 0;
    // Opens the camera (preview frames flow, nothing written); 0 on success, else the
    // camera layer's error code.
    virtual int32_t Start(int AQuality) = 0;
    virtual void SetQuality(int value) = 0;
    // Camera frames go straight to the compositor (camera-only video); null detaches.
    virtual void SetVideoRecorder(TRRecorderVideoEngine* ACompositor) = 0;
    virtual void Stop() = 0;

    std::function<void(int width, int height, const uint8_t* buffer)> OnReceiveData;
};

// Device types of the audio engine.
inline constexpr uint32_t RecorderAudioSystemSound = 0; // a playback device's monitor
inline constexpr uint32_t RecorderAudioMicrophone = 1;  // a recording device

class TRRecorderAudioEngine : public TRRecorderEngine {
public:
    virtual void SetParams(uint32_t ADeviceType, int ASamplesPerSec, int ABytesPerSec,
                           int ABackupMs, const QString& AFileBase, const QString& ADevice) = 0;
    virtual void Start() = 0;
    // Feeds the compositor's microphone (AMicrophone) or system-sound ring.
    virtual void FeedVideoRecorder(TRRecorderVideoEngine* ACompositor, bool AMicrophone) = 0;
    virtual void SetVolume(int value) = 0;
    virtual void ToggleMute() = 0;
    virtual void Stop() = 0;

    std::function<void(int level)> OnLevel;              // peak 0..100
    std::function<void(int volume, bool mute)> OnVolume; // microphone volume 0..100
};

class TRRecorderVideoEngine : public TRRecorderEngine {
public:
    virtual void SetParams(const TRVideoRecorderOptions& AOptions) = 0;
    virtual void Start() = 0;
    // The pointer comes from the screen engine's cursor worker; null detaches.
    virtual void SetCursorSource(TRRecorderScreenEngine* AScreen) = 0;
    // Waits and writes the output; false when no file was written.
    virtual bool Stop() = 0;
    virtual QString FileName() const = 0;
};

class TRRecorderEngineFactory {
public:
    virtual ~TRRecorderEngineFactory() = default;
    virtual std::unique_ptr<TRRecorderScreenEngine> CreateScreen() = 0;
    virtual std::unique_ptr<TRRecorderCameraEngine> CreateCamera() = 0;
    virtual std::unique_ptr<TRRecorderAudioEngine> CreateAudio() = 0;
    virtual std::unique_ptr<TRRecorderVideoEngine> CreateVideo() = 0;
};

// The factory the tool bar uses; null (no engines: no source opens) until one is installed.
// The caller keeps the factory alive while installed; installing null removes it.
void InstallRecorderEngines(TRRecorderEngineFactory* factory);
TRRecorderEngineFactory* RecorderEngines();
