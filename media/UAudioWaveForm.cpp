#include "media/UAudioWaveForm.h"

#include "platform/media/MediaPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <chrono>

namespace {

constexpr int AnalysisRate = 48000;

QString besideMedia(const QString& media, const char* extension) {
    const QFileInfo info(media);
    return info.dir().filePath(info.completeBaseName() + extension);
}

// Reads a whole cache file when it has exactly `bytes` bytes.
bool readExactly(const QString& name, int64_t bytes, void* target) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() != bytes)
        return false;
    return file.read(static_cast<char*>(target), bytes) == bytes;
}

bool writeFile(const QString& name, const void* data, int64_t bytes) {
    QFile::remove(name);
    QFile file(name);
    return file.open(QIODevice::WriteOnly) &&
           file.write(static_cast<const char*>(data), bytes) == bytes;
}

bool openForAnalysis(TAudioReader& reader, const QString& name, int64_t offset, int64_t size,
                     int index) {
    return reader.OpenFile(name, offset, size, index) && reader.SetFormat(AnalysisRate, 2, 16);
}

} // namespace

TAudioWaveForm::TAudioWaveForm() : FReceiver(std::make_unique<QObject>()) {}

TAudioWaveForm::~TAudioWaveForm() {
    FTerminated = true;
    if (FAudioWaveFormThread.joinable())
        FAudioWaveFormThread.join();
}

QString TAudioWaveForm::WaveFormFileName(const QString& AMediaFile) {
    return besideMedia(AMediaFile, ".waveform");
}

QString TAudioWaveForm::LoudnessFileName(const QString& AMediaFile) {
    return besideMedia(AMediaFile, ".loudness");
}

bool TAudioWaveForm::LoadCaches(const QString& AFileName, int64_t ADuration) {
    std::vector<uint8_t> data(size_t(WaveFormBytes(ADuration)));
    TSingleArray loudness(size_t(LoudnessValues(ADuration)));
    if (!readExactly(WaveFormFileName(AFileName), int64_t(data.size()), data.data()) ||
        !readExactly(LoudnessFileName(AFileName), int64_t(loudness.size() * 4), loudness.data()))
        return false;
    FData = std::move(data);
    FLoudness = std::move(loudness);
    FCompleted = true;
    return true;
}

void TAudioWaveForm::SetFile(const QString& AFileName, int64_t AFileOffset, int64_t AFileSize,
                             int64_t ADuration, int AIndex) {
    if (FAudioWaveFormThread.joinable() || LoadCaches(AFileName, ADuration))
        return;
    // A missing cache, or one of the wrong size, is computed anew.
    FAudioWaveFormThread =
        std::thread(&TAudioWaveForm::Compute, this, AFileName, AFileOffset, AFileSize, AIndex);
}

void TAudioWaveForm::Compute(QString AFileName, int64_t AFileOffset, int64_t AFileSize,
                             int AIndex) {
    platform::media::ThreadScope media;
    TAudioReader reader;
    if (!openForAnalysis(reader, AFileName, AFileOffset, AFileSize, AIndex))
        return Finish(std::nullopt);
    TAudioAnalysis analysis(reader.Duration());
    std::vector<int16_t> chunk(size_t(WaveFormChunkFrames) * 2);
    for (int64_t i = 0; i < analysis.ChunkCount(); ++i) {
        uint32_t flags = 0;
        reader.LoadData(WaveFormChunkFrames, reinterpret_cast<uint8_t*>(chunk.data()), flags);
        analysis.AddChunk(i, chunk.data());
        if (FTerminated) // no files: a later run must not take half a computation as complete
            return Finish(std::nullopt);
    }
    analysis.Finish();
    const auto& data = analysis.Data();
    const auto& loudness = analysis.Loudness();
    if (!writeFile(WaveFormFileName(AFileName), data.data(), int64_t(data.size())) ||
        !writeFile(LoudnessFileName(AFileName), loudness.data(), int64_t(loudness.size() * 4)))
        QFile::remove(WaveFormFileName(AFileName));
    Finish(std::make_pair(std::move(analysis.Data()), std::move(analysis.Loudness())));
}

void TAudioWaveForm::Finish(std::optional<std::pair<std::vector<uint8_t>, TSingleArray>> AResult) {
    const bool publish = AResult.has_value();
    {
        const std::lock_guard lock(FResultLock);
        FResult = std::move(AResult);
        FBuilderEnded = true;
    }
    FResultReady.notify_all();
    if (publish)
        QMetaObject::invokeMethod(
            FReceiver.get(), [this] { TakeResult(); }, Qt::QueuedConnection);
}

void TAudioWaveForm::TakeResult() {
    std::optional<std::pair<std::vector<uint8_t>, TSingleArray>> result;
    {
        const std::lock_guard lock(FResultLock);
        result.swap(FResult);
    }
    if (!result || FCompleted)
        return;
    FData = std::move(result->first);
    FLoudness = std::move(result->second);
    FCompleted = true;
    if (FAudioEndProc)
        FAudioEndProc(true);
}

bool TAudioWaveForm::WaitCompleted(int ATimeoutMs) {
    if (!FCompleted && FAudioWaveFormThread.joinable()) {
        std::unique_lock lock(FResultLock);
        FResultReady.wait_for(lock, std::chrono::milliseconds(ATimeoutMs),
                              [this] { return FBuilderEnded; });
        lock.unlock();
        TakeResult();
    }
    return FCompleted;
}

float MeasureLoudness(const QString& AFileName, int AStartMs, int AEndMs) {
    TAudioReader reader;
    if (!openForAnalysis(reader, AFileName, 0, 0, FirstAudioStream))
        return NoLoudness;
    const int64_t segments = reader.Duration() / 100;
    reader.SetPosition(0);
    TLoudnessMeter meter;
    std::vector<int16_t> segment(size_t(LoudnessSegmentFrames) * 2);
    for (int64_t j = 0; j < segments; ++j) {
        uint32_t flags = 0;
        reader.LoadData(LoudnessSegmentFrames, reinterpret_cast<uint8_t*>(segment.data()), flags);
        meter.AddSegment(segment.data());
    }
    return GatedLoudness(meter.Segments(), AStartMs, AEndMs);
}
