#include "capture/URCaptureEngines.h"

#include "capture/UMFAudioRecorder.h"
#include "capture/UMFScreenRecorder.h"
#include "capture/UMFWebCamRecorder.h"
#include "capture/URVideoRecorder.h"
#include "core/URRecorderEngines.h"
#include "media/UWebCamApi.h"

#include <algorithm>

namespace {

class CaptureVideoEngine;

// Forwards the shared clock and switch to an engine with the same calls.
template <class Interface, class Engine> class ClockedEngine : public Interface {
public:
    void SetStartTime(int64_t value) override { engine.SetStartTime(value); }
    void SetPauseTime(int64_t value) override { engine.SetPauseTime(value); }
    void SetTotalPause(int64_t value) override { engine.SetTotalPause(value); }
    void SetRecording(bool value) override { engine.SetRecording(value); }
    void Terminate() override { engine.Terminate(); }

    Engine engine;

protected:
    void forwardSize() {
        engine.OnReceiveSize = [this](int sizeKB) {
            if (this->OnReceiveSize)
                this->OnReceiveSize(sizeKB);
        };
    }
};

class CaptureScreenEngine : public ClockedEngine<TRRecorderScreenEngine, TMFScreenRecorder> {
public:
    CaptureScreenEngine() { forwardSize(); }
    void SetParams(const QRect& AInputRect, const QString& AFileBase, uint8_t ACompressMode,
                   bool AHardware, uint8_t ACaptureMethod, int AFramePS, int AQuality,
                   int ABackupMs, TRRecorderVideoEngine* ACompositor) override;
    void StartRecord() override { engine.StartRecord(); }
    void StopRecord() override { engine.StopRecord(); }
};

class CaptureVideoEngine : public ClockedEngine<TRRecorderVideoEngine, TRVideoRecorder> {
public:
    CaptureVideoEngine() { forwardSize(); }
    void SetParams(const TRVideoRecorderOptions& AOptions) override { engine.SetParams(AOptions); }
    void Start() override { engine.Start(false); }
    void SetCursorSource(TRRecorderScreenEngine* AScreen) override {
        auto* screen = dynamic_cast<CaptureScreenEngine*>(AScreen);
        engine.SetCursorRecorderThread(screen ? screen->engine.CursorRecorderThread() : nullptr);
    }
    bool Stop() override { return engine.Stop(); }
    QString FileName() const override { return engine.FileName(); }
};

TRVideoRecorder* videoOf(TRRecorderVideoEngine* compositor) {
    auto* video = dynamic_cast<CaptureVideoEngine*>(compositor);
    return video ? &video->engine : nullptr;
}

void CaptureScreenEngine::SetParams(const QRect& AInputRect, const QString& AFileBase,
                                    uint8_t ACompressMode, bool AHardware, uint8_t ACaptureMethod,
                                    int AFramePS, int AQuality, int ABackupMs,
                                    TRRecorderVideoEngine* ACompositor) {
    TRVideoRecorder* video = videoOf(ACompositor);
    engine.SetParams(AInputRect, AFileBase, ACompressMode, AHardware, ACaptureMethod, AFramePS,
                     AQuality, ABackupMs, video ? video->VideoRecorderThread() : nullptr);
}

// The camera's own format of the stored choice, with its exact rate; the stored values when
// the camera no longer offers it.
TWebCamFormat formatOf(const TRCameraChoice& choice) {
    TWebCamFormat format;
    format.Stream = choice.Stream;
    format.Width = choice.Width;
    format.Height = choice.Height;
    format.FPS = choice.FPS;
    format.SubType = choice.SubType;
    format.FormatType = choice.FormatType;
    format.RateNum = uint32_t(std::max(choice.FPS, 1));
    for (const TWebCamFormat& offered : GetWebCamFormats(choice.Name, false))
        if (offered.SameAs(format))
            return offered;
    return format;
}

class CaptureCameraEngine : public ClockedEngine<TRRecorderCameraEngine, TMFWebCamRecorder> {
public:
    CaptureCameraEngine() {
        forwardSize();
        engine.OnReceiveData = [this](int width, int height, const uint8_t* buffer) {
            if (OnReceiveData)
                OnReceiveData(width, height, buffer);
        };
    }
    void SetParams(const TRCameraChoice& ACamera, int ABackupMs, const QString& AFileBase,
                   bool AHardware) override {
        engine.SetParams(ACamera.Name, formatOf(ACamera), ABackupMs, AFileBase, AHardware);
    }
    int32_t Start(int AQuality) override { return engine.Start(AQuality, false); }
    void SetQuality(int value) override { engine.SetQuality(value); }
    void SetVideoRecorder(TRRecorderVideoEngine* ACompositor) override {
        TRVideoRecorder* video = videoOf(ACompositor);
        engine.SetVideoRecorderThread(video ? video->VideoRecorderThread() : nullptr);
    }
    void Stop() override { engine.Stop(); }
};

class CaptureAudioEngine : public TRRecorderAudioEngine {
public:
    CaptureAudioEngine() {
        engine.OnSize = [this](int sizeKB) {
            if (OnReceiveSize)
                OnReceiveSize(sizeKB);
        };
        engine.OnLevel = [this](int level) {
            if (OnLevel)
                OnLevel(level);
        };
        engine.OnVolume = [this](int volume, int mute) {
            if (OnVolume)
                OnVolume(volume, mute != 0);
        };
    }
    void SetStartTime(int64_t) override {}
    void SetPauseTime(int64_t) override {}
    void SetTotalPause(int64_t) override {}
    void SetRecording(bool value) override { engine.SetRecording(value); }
    void Terminate() override { engine.Terminate(); }
    void SetParams(uint32_t ADeviceType, int ASamplesPerSec, int ABytesPerSec, int ABackupMs,
                   const QString& AFileBase, const QString& ADevice) override {
        engine.SetParams(ADeviceType, ASamplesPerSec, ABytesPerSec, ABackupMs, AFileBase, true,
                         ADevice);
    }
    void Start() override { engine.Start(false); }
    void FeedVideoRecorder(TRRecorderVideoEngine* ACompositor, bool AMicrophone) override {
        TRVideoRecorder* video = videoOf(ACompositor);
        if (video)
            engine.SetVRBuffer(AMicrophone ? video->GetMicBuffer() : video->GetSCBuffer());
    }
    void SetVolume(int value) override { engine.SetVolume(value); }
    void ToggleMute() override { engine.ToggleMute(); }
    void Stop() override { engine.Stop(); }

private:
    TMFAudioRecorder engine;
};

class CaptureEngineFactory : public TRRecorderEngineFactory {
public:
    std::unique_ptr<TRRecorderScreenEngine> CreateScreen() override {
        return std::make_unique<CaptureScreenEngine>();
    }
    std::unique_ptr<TRRecorderCameraEngine> CreateCamera() override {
        return std::make_unique<CaptureCameraEngine>();
    }
    std::unique_ptr<TRRecorderAudioEngine> CreateAudio() override {
        return std::make_unique<CaptureAudioEngine>();
    }
    std::unique_ptr<TRRecorderVideoEngine> CreateVideo() override {
        return std::make_unique<CaptureVideoEngine>();
    }
};

CaptureEngineFactory captureFactory;

} // namespace

void InstallCaptureEngines() {
    InstallRecorderEngines(&captureFactory);
}

void RemoveCaptureEngines() {
    if (RecorderEngines() == &captureFactory)
        InstallRecorderEngines(nullptr);
}
