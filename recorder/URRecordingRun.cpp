#include "recorder/URRecordingRun.h"

#include "platform/system/Clock.h"
#include "recorder/URRecorderOptions.h"

#include <QDir>

namespace {

constexpr int SamplesPerSecond = 44100;
constexpr int ProjectAudioBytesPS = 24000;
constexpr int MicBackupMs = 1000;
constexpr uint8_t CompositorOnly = 255;

int64_t counterMs() {
    const int64_t frequency = std::max<int64_t>(platform::system::performanceFrequency(), 1);
    return platform::system::performanceCounter() * 1000 / frequency;
}

QString digit(bool on) {
    return on ? "1" : "0";
}

} // namespace

TRRecordingRun::TRRecordingRun(TSettingsRecord& settings, TRRunSetup setup)
    : FSettings(settings), FSetup(std::move(setup)) {
    NowMs = counterMs;
    Breadcrumb = [this](const QString& text) { SaveLastStep(FSettings, nullptr, text); };
}

TRRecordingRun::~TRRecordingRun() {
    Stop();
}

TRRecorderEngineFactory* TRRecordingRun::factory() const {
    return RecorderEngines();
}

void TRRecordingRun::step(const QString& text) const {
    if (Breadcrumb)
        Breadcrumb(text);
}

void TRRecordingRun::bindSize(TRRecorderEngine& engine, TRSizeSource source) {
    engine.OnReceiveSize = [this, source](int kb) {
        FSizes[size_t(source)] = uint32_t(std::max(kb, 0));
        if (OnSize)
            OnSize(source, FSizes[size_t(source)]);
    };
}

QString TRRecordingRun::sideFile(bool wanted, const QString& name) const {
    return wanted ? QDir(FSetup.RecordingsFolder).filePath(name) : QString();
}

int32_t TRRecordingRun::OpenCamera() {
    if (FCamera)
        return 0;
    if (!factory())
        return -1;
    auto camera = factory()->CreateCamera();
    camera->OnReceiveData = [this](int w, int h, const uint8_t* buffer) {
        if (OnCameraFrame)
            OnCameraFrame(w, h, buffer);
    };
    bindSize(*camera, TRSizeSource::Camera);
    const TSettingsRecord& s = FSettings;
    TRCameraChoice choice{s.CameraName.text(), s.CameraStream,  s.CameraFPS,       s.CameraWidth,
                          s.CameraHeight,      s.CameraSubType, s.CameraFormatType};
    const QString file = FSetup.VideoMode ? sideFile(s.CameraFile != 0, FSetup.Names.Camera)
                                          : QDir(FSetup.DirTemp).filePath("camera");
    const bool hardware = !FSetup.VideoMode && FSetup.HardwareH264 && s.CameraHA != 0;
    camera->SetParams(choice, 0, file, hardware);
    const int32_t result = camera->Start(s.CameraQuality);
    if (result == 0)
        FCamera = std::move(camera);
    return result;
}

void TRRecordingRun::CloseCamera() {
    if (!FCamera)
        return;
    FCamera->OnReceiveData = nullptr;
    FCamera->Stop();
    FCamera.reset();
}

int TRRecordingRun::micBytesPerSecond() const {
    if (!FSetup.VideoMode)
        return ProjectAudioBytesPS;
    switch (FSettings.OutputAudioBitrate) {
    case 0:
        return 12000;
    case 1:
        return 16000;
    case 2:
        return 20000;
    default:
        return 24000;
    }
}

std::unique_ptr<TRRecorderAudioEngine>
TRRecordingRun::openAudio(uint32_t type, const QString& file, const QString& device, int bytesPS) {
    if (!factory())
        return nullptr;
    auto audio = factory()->CreateAudio();
    audio->SetParams(type, SamplesPerSecond, bytesPS, MicBackupMs, file, device);
    return audio;
}

bool TRRecordingRun::OpenMic() {
    if (FMic)
        return true;
    const QString file = FSetup.VideoMode ? sideFile(FSettings.MicFile != 0, FSetup.Names.Mic)
                                          : QDir(FSetup.DirTemp).filePath("mic");
    FMic =
        openAudio(RecorderAudioMicrophone, file, FSettings.MicDevice.text(), micBytesPerSecond());
    if (!FMic)
        return false;
    FMic->OnLevel = [this](int level) {
        if (OnMicLevel)
            OnMicLevel(level);
    };
    FMic->OnVolume = [this](int volume, bool mute) {
        if (OnMicVolume)
            OnMicVolume(volume, mute);
    };
    bindSize(*FMic, TRSizeSource::Mic);
    FMic->Start();
    return true;
}

void TRRecordingRun::CloseMic() {
    if (FMic)
        FMic->Stop();
    FMic.reset();
}

bool TRRecordingRun::OpenSound() {
    if (FSound)
        return true;
    const QString file = FSetup.VideoMode ? sideFile(FSettings.SoundFile != 0, FSetup.Names.Sound)
                                          : QDir(FSetup.DirTemp).filePath("sound");
    FSound = openAudio(RecorderAudioSystemSound, file, FSettings.SoundDevice.text(),
                       micBytesPerSecond());
    if (!FSound)
        return false;
    FSound->OnLevel = [this](int level) {
        if (OnSoundLevel)
            OnSoundLevel(level);
    };
    bindSize(*FSound, TRSizeSource::Sound);
    FSound->Start();
    return true;
}

void TRRecordingRun::CloseSound() {
    if (FSound)
        FSound->Stop();
    FSound.reset();
}

void TRRecordingRun::ToggleMicMute() {
    if (FMic)
        FMic->ToggleMute();
}

void TRRecordingRun::SetMicVolume(int value) {
    if (FMic)
        FMic->SetVolume(value);
}

void TRRecordingRun::startCompositor(bool AScreen, const QSize& input) {
    step("Recorder Start Record_VideoRecorder");
    TRVideoRunSources sources;
    sources.Screen = AScreen;
    sources.Input = input;
    sources.CameraOpen = FCamera != nullptr;
    sources.Mic = FMic != nullptr;
    sources.Sound = FSound != nullptr;
    sources.OutputFileName = QDir(FSetup.RecordingsFolder).filePath(FSetup.Names.Recording);
    FVideo = factory()->CreateVideo();
    FVideo->SetParams(BuildVideoRecorderOptions(FSettings, sources));
    bindSize(*FVideo, TRSizeSource::Recording);
    FVideo->Start();
}

void TRRecordingRun::startScreen(const QRect& AInput) {
    const TSettingsRecord& s = FSettings;
    FScreen = factory()->CreateScreen();
    if (FSetup.VideoMode)
        FScreen->SetParams(AInput, QString(), CompositorOnly, false, s.CaptureMethod,
                           s.OutputFramePS, s.OutputVideoQuality, 0, FVideo.get());
    else
        FScreen->SetParams(AInput, QDir(FSetup.DirTemp).filePath("screen"), s.CaptureMode,
                           FSetup.HardwareH264 && s.CaptureModeHA != 0, s.CaptureMethod,
                           s.CaptureRate, s.CaptureQuality, 0, nullptr);
    bindSize(*FScreen, TRSizeSource::Screen);
    FScreen->StartRecord();
    if (FVideo)
        FVideo->SetCursorSource(FScreen.get());
}

void TRRecordingRun::switchOn() {
    if (FScreen) {
        FScreen->SetStartTime(FStartTime);
        FScreen->SetRecording(true);
    }
    if (FCamera) {
        FCamera->SetStartTime(FStartTime);
        FCamera->SetQuality(FSetup.VideoMode ? FSettings.OutputVideoQuality
                                             : FSettings.CameraQuality);
        if (FVideo && !FScreen)
            FCamera->SetVideoRecorder(FVideo.get());
        FCamera->SetRecording(true);
    }
    if (FMic) {
        if (FVideo)
            FMic->FeedVideoRecorder(FVideo.get(), true);
        FMic->SetRecording(true);
    }
    if (FSound) {
        if (FVideo)
            FSound->FeedVideoRecorder(FVideo.get(), false);
        FSound->SetRecording(true);
    }
    if (FVideo) {
        FVideo->SetStartTime(FStartTime);
        FVideo->SetRecording(true);
    }
}

void TRRecordingRun::Start(bool AScreen, const QRect& AInput) {
    if (FRecording || !factory())
        return;
    FSizes.fill(0);
    if (FSetup.VideoMode)
        startCompositor(AScreen, AInput.size());
    step("Recorder Start Record_Screen");
    if (AScreen)
        startScreen(AInput);
    FStartTime = NowMs();
    FPausedTime = 0;
    FLastPauseTime = 0;
    step("Recorder Start Record_Init");
    switchOn();
    FRecording = true;
    FPaused = false;
    step("Recorder Start Record_" + digit(FSetup.VideoMode) + digit(AScreen) +
         digit(FCamera != nullptr) + digit(FMic != nullptr) + digit(FSound != nullptr) + "_End");
}

void TRRecordingRun::Pause() {
    if (!FRecording || FPaused)
        return;
    for (TRRecorderEngine* engine : std::initializer_list<TRRecorderEngine*>{
             FScreen.get(), FCamera.get(), FMic.get(), FSound.get(), FVideo.get()})
        if (engine)
            engine->SetRecording(false);
    FLastPauseTime = NowMs();
    for (TRRecorderEngine* engine :
         std::initializer_list<TRRecorderEngine*>{FScreen.get(), FCamera.get(), FVideo.get()})
        if (engine)
            engine->SetPauseTime(FLastPauseTime);
    FPaused = true;
}

void TRRecordingRun::Resume() {
    if (!FRecording || !FPaused)
        return;
    FPausedTime += NowMs() - FLastPauseTime;
    FPaused = false;
    for (TRRecorderEngine* engine : std::initializer_list<TRRecorderEngine*>{
             FScreen.get(), FCamera.get(), FMic.get(), FSound.get(), FVideo.get()}) {
        if (!engine)
            continue;
        if (engine != FMic.get() && engine != FSound.get())
            engine->SetTotalPause(FPausedTime);
        engine->SetRecording(true);
    }
}

int64_t TRRecordingRun::RecordedMs() const {
    if (!FRecording)
        return 0;
    const int64_t end = FPaused ? FLastPauseTime : NowMs();
    return end - FStartTime - FPausedTime;
}

uint32_t TRRecordingRun::WrittenKB() const {
    uint32_t sum = 0;
    for (uint32_t kb : FSizes)
        sum += kb;
    return sum;
}

bool TRRecordingRun::Stop() {
    if (FVideo)
        FVideo->SetCursorSource(nullptr);
    for (TRRecorderEngine* engine : std::initializer_list<TRRecorderEngine*>{
             FScreen.get(), FCamera.get(), FMic.get(), FSound.get(), FVideo.get()})
        if (engine)
            engine->Terminate();
    if (FScreen)
        FScreen->StopRecord();
    FScreen.reset();
    if (FCamera)
        FCamera->SetRecording(false);
    CloseCamera();
    CloseMic();
    CloseSound();
    bool written = true;
    if (FVideo) {
        written = FVideo->Stop();
        FOutputFile = written ? FVideo->FileName() : QString();
    }
    FVideo.reset();
    FRecording = false;
    FPaused = false;
    return written;
}
