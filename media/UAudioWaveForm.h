// The waveform (a peak per 1/60 s) and the loudness curve (a K-weighted mean square per
// 100 ms) of one media file's sound, loaded from the cache files beside the file or computed
// on a worker thread that writes those files and then hands the finished arrays to the owner.
#pragma once

#include "media/UAudioLoudness.h"
#include "media/UAudioReader.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Called on the owner's thread once computed arrays have been published.
using TAudioEndWaveFormProc = std::function<void(bool ACanChange)>;

class TAudioWaveForm {
public:
    TAudioWaveForm();
    // Stops a computation (it ends within one 1/60-s chunk); it then leaves no files.
    ~TAudioWaveForm();
    TAudioWaveForm(const TAudioWaveForm&) = delete;
    TAudioWaveForm& operator=(const TAudioWaveForm&) = delete;

    void SetOnAudioEndWaveFormProc(TAudioEndWaveFormProc AProc) {
        FAudioEndProc = std::move(AProc);
    }

    // Loads both caches when they exist with the sizes ADuration (ms) gives; otherwise
    // computes them on a worker thread. Called once per media file.
    void SetFile(const QString& AFileName, int64_t AFileOffset, int64_t AFileSize,
                 int64_t ADuration, int AIndex = FirstAudioStream);

    // The arrays change only on the owner's thread, from empty to final.
    bool Completed() const { return FCompleted; }
    bool Computing() const { return FAudioWaveFormThread.joinable() && !FCompleted; }
    // On the owner's thread: waits until the builder has ended (at most ATimeoutMs) and, when
    // it finished its arrays, publishes them at once (with the end notification) instead of
    // on the next turn of the event loop. True when the arrays are complete.
    bool WaitCompleted(int ATimeoutMs);
    const std::vector<uint8_t>& Data() const { return FData; }
    const TSingleArray& Loudness() const { return FLoudness; }

    static QString WaveFormFileName(const QString& AMediaFile);
    static QString LoudnessFileName(const QString& AMediaFile);

private:
    bool LoadCaches(const QString& AFileName, int64_t ADuration);
    void Compute(QString AFileName, int64_t AFileOffset, int64_t AFileSize, int AIndex);
    // Hands the finished arrays (none when the builder failed or was stopped) to the owner.
    void Finish(std::optional<std::pair<std::vector<uint8_t>, TSingleArray>> AResult);
    // On the owner's thread: takes the arrays the builder left, once.
    void TakeResult();

    TAudioEndWaveFormProc FAudioEndProc;
    std::thread FAudioWaveFormThread;
    std::atomic<bool> FTerminated{false};
    bool FCompleted = false;
    std::vector<uint8_t> FData;
    TSingleArray FLoudness;
    // What the builder left for the owner, and whether it has ended.
    std::mutex FResultLock;
    std::condition_variable FResultReady;
    bool FBuilderEnded = false;
    std::optional<std::pair<std::vector<uint8_t>, TSingleArray>> FResult;
    // Delivers the published arrays on the owner's thread; queued calls die with it.
    std::unique_ptr<QObject> FReceiver;
};

// Integrated loudness (LUFS) of the file's first audio stream between two times; NoLoudness
// (−70) when nothing can be measured.
float MeasureLoudness(const QString& AFileName, int AStartMs, int AEndMs);
