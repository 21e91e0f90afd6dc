#pragma once
// The engine side of one recording run: the source engines opened for the meters and the
// preview, and at REC all engines started on one clock. The compositor (video mode) is made
// and started first, then the screen engine with the compositor; every engine gets one start
// time; recording is switched on, paused and stopped in the order screen, camera, microphone,
// system sound, compositor, and a stop terminates all five before it stops and frees them.

#include "core/URRecorderEngines.h"
#include "core/URSettings.h"
#include "recorder/URRecorderCaption.h"

#include <QRect>
#include <array>
#include <functional>
#include <memory>

struct TRRunSetup {
    bool VideoMode = false;
    QString DirTemp;          // project mode: where the tracks go
    QString RecordingsFolder; // video mode: where the output and side files go
    TRRunNames Names;
    bool HardwareH264 = false;
};

// The engines whose written size the run adds up.
enum class TRSizeSource { Screen, Camera, Mic, Sound, Recording };

class TRRecordingRun {
public:
    TRRecordingRun(TSettingsRecord& settings, TRRunSetup setup);
    ~TRRecordingRun();
    TRRecordingRun(const TRRecordingRun&) = delete;
    TRRecordingRun& operator=(const TRRecordingRun&) = delete;

    // Opening and closing the sources before and during a recording. A camera that cannot be
    // opened gives its error code (no engine is kept).
    int32_t OpenCamera();
    void CloseCamera();
    bool OpenMic();
    void CloseMic();
    bool OpenSound();
    void CloseSound();
    bool CameraOpen() const { return FCamera != nullptr; }
    bool MicOpen() const { return FMic != nullptr; }
    bool SoundOpen() const { return FSound != nullptr; }

    // The engine protocol. AScreen: record the rectangle AInput.
    void Start(bool AScreen, const QRect& AInput);
    void Pause();
    void Resume();
    // Stops and frees every engine (also when nothing records). False when the compositor
    // ran and wrote no file.
    bool Stop();

    bool Recording() const { return FRecording; }
    bool Paused() const { return FPaused; }
    // Recording time without the pauses, up to now or to the running pause.
    int64_t RecordedMs() const;
    int64_t StartTime() const { return FStartTime; }
    int64_t TotalPause() const { return FPausedTime; }
    uint32_t WrittenKB() const;
    uint32_t SizeOf(TRSizeSource source) const { return FSizes[size_t(source)]; }
    QString OutputFile() const { return FOutputFile; }

    void ToggleMicMute();
    void SetMicVolume(int value);

    // Events of the engines, on the UI thread.
    std::function<void(TRSizeSource, uint32_t kb)> OnSize;
    std::function<void(int level)> OnMicLevel, OnSoundLevel;
    std::function<void(int volume, bool mute)> OnMicVolume;
    std::function<void(int width, int height, const uint8_t* buffer)> OnCameraFrame;
    // Breadcrumbs; by default the step is recorded in the settings.
    std::function<void(const QString& step)> Breadcrumb;
    // The shared clock in ms; by default the performance counter.
    std::function<int64_t()> NowMs;

private:
    TRRecorderEngineFactory* factory() const;
    void step(const QString& text) const;
    void bindSize(TRRecorderEngine& engine, TRSizeSource source);
    std::unique_ptr<TRRecorderAudioEngine> openAudio(uint32_t type, const QString& file,
                                                     const QString& device, int bytesPS);
    void startCompositor(bool AScreen, const QSize& input);
    void startScreen(const QRect& AInput);
    void switchOn();
    int micBytesPerSecond() const;
    QString sideFile(bool wanted, const QString& name) const;

    TSettingsRecord& FSettings;
    TRRunSetup FSetup;
    std::unique_ptr<TRRecorderVideoEngine> FVideo;
    std::unique_ptr<TRRecorderScreenEngine> FScreen;
    std::unique_ptr<TRRecorderCameraEngine> FCamera;
    std::unique_ptr<TRRecorderAudioEngine> FMic, FSound;
    std::array<uint32_t, 5> FSizes{};
    int64_t FStartTime = 0, FPausedTime = 0, FLastPauseTime = 0;
    bool FRecording = false, FPaused = false;
    QString FOutputFile;
};
