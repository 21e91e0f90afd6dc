#pragma once
// Recording fakes of the capture engines: every call lands in one shared log as
// "<engine>.<call>[ value]", so a test reads the order in which the tool bar drove them.

#include "core/URRecorderEngines.h"

#include <QString>
#include <QStringList>
#include <memory>

struct FakeEngineLog {
    QStringList calls;
    int cameraResult = 0;        // what the camera's Start answers
    bool videoWritesFile = true; // what the compositor's Stop answers
    TRVideoRecorderOptions lastOptions;
    QString lastScreenFile;
    int lastScreenMode = -1;
    int lastScreenRate = -1;
    QRect lastScreenRect;

    void add(const QString& engine, const QString& call, const QString& value = {}) {
        calls << engine + "." + call + (value.isEmpty() ? QString() : " " + value);
    }
    // The calls of one kind, in order ("Recording true", "TotalPause", ...).
    QStringList of(const QString& call) const {
        QStringList found;
        for (const QString& c : calls)
            if (c.section('.', 1).startsWith(call))
                found << c;
        return found;
    }
};

template <class Interface> class FakeClocked : public Interface {
public:
    FakeClocked(FakeEngineLog& log, QString name) : log(log), name(std::move(name)) {}
    void SetStartTime(int64_t v) override { log.add(name, "StartTime", QString::number(v)); }
    void SetPauseTime(int64_t v) override { log.add(name, "PauseTime", QString::number(v)); }
    void SetTotalPause(int64_t v) override { log.add(name, "TotalPause", QString::number(v)); }
    void SetRecording(bool v) override { log.add(name, "Recording", v ? "true" : "false"); }
    void Terminate() override { log.add(name, "Terminate"); }

protected:
    FakeEngineLog& log;
    QString name;
};

class FakeScreen : public FakeClocked<TRRecorderScreenEngine> {
public:
    using FakeClocked::FakeClocked;
    void SetParams(const QRect& r, const QString& file, uint8_t mode, bool, uint8_t, int fps, int,
                   int, TRRecorderVideoEngine* compositor) override {
        log.lastScreenFile = file;
        log.lastScreenMode = mode;
        log.lastScreenRate = fps;
        log.lastScreenRect = r;
        log.add(name, "SetParams", compositor ? "compositor" : "file");
    }
    void StartRecord() override { log.add(name, "StartRecord"); }
    void StopRecord() override { log.add(name, "StopRecord"); }
};

class FakeCamera : public FakeClocked<TRRecorderCameraEngine> {
public:
    using FakeClocked::FakeClocked;
    void SetParams(const TRCameraChoice&, int, const QString&, bool) override {
        log.add(name, "SetParams");
    }
    int32_t Start(int) override {
        log.add(name, "Start");
        return log.cameraResult;
    }
    void SetQuality(int v) override { log.add(name, "Quality", QString::number(v)); }
    void SetVideoRecorder(TRRecorderVideoEngine* c) override {
        log.add(name, "VideoRecorderThread", c ? "set" : "none");
    }
    void Stop() override { log.add(name, "Stop"); }
};

class FakeAudio : public FakeClocked<TRRecorderAudioEngine> {
public:
    using FakeClocked::FakeClocked;
    void SetParams(uint32_t type, int, int bytes, int, const QString& file,
                   const QString& device) override {
        name = type == RecorderAudioMicrophone ? "mic" : "sound";
        log.add(name, "SetParams", QString::number(bytes) + " " + file + " " + device);
    }
    void Start() override { log.add(name, "Start"); }
    void FeedVideoRecorder(TRRecorderVideoEngine*, bool mic) override {
        log.add(name, "SetVRBuffer", mic ? "mic" : "sc");
    }
    void SetVolume(int v) override { log.add(name, "Volume", QString::number(v)); }
    void ToggleMute() override { log.add(name, "ToggleMute"); }
    void Stop() override { log.add(name, "Stop"); }
};

class FakeVideo : public FakeClocked<TRRecorderVideoEngine> {
public:
    using FakeClocked::FakeClocked;
    void SetParams(const TRVideoRecorderOptions& o) override {
        log.lastOptions = o;
        log.add(name, "SetParams");
    }
    void Start() override { log.add(name, "Start"); }
    void SetCursorSource(TRRecorderScreenEngine* s) override {
        log.add(name, "SetCursorRecorderThread", s ? "screen" : "none");
    }
    bool Stop() override {
        log.add(name, "Stop");
        return log.videoWritesFile;
    }
    QString FileName() const override { return log.videoWritesFile ? "out.mp4" : QString(); }
};

class FakeEngineFactory : public TRRecorderEngineFactory {
public:
    FakeEngineLog log;
    TRRecorderScreenEngine* lastScreen = nullptr;
    std::unique_ptr<TRRecorderScreenEngine> CreateScreen() override {
        log.add("screen", "Create");
        auto screen = std::make_unique<FakeScreen>(log, "screen");
        lastScreen = screen.get();
        return screen;
    }
    std::unique_ptr<TRRecorderCameraEngine> CreateCamera() override {
        log.add("camera", "Create");
        return std::make_unique<FakeCamera>(log, "camera");
    }
    std::unique_ptr<TRRecorderAudioEngine> CreateAudio() override {
        return std::make_unique<FakeAudio>(log, "audio");
    }
    std::unique_ptr<TRRecorderVideoEngine> CreateVideo() override {
        log.add("video", "Create");
        return std::make_unique<FakeVideo>(log, "video");
    }
};

// Installs a fake factory for one test and removes it again.
class InstalledFakeEngines {
public:
    InstalledFakeEngines() { InstallRecorderEngines(&factory); }
    ~InstalledFakeEngines() { InstallRecorderEngines(nullptr); }
    FakeEngineFactory factory;
};
