#include "export/URExportAudio.h"

#include "core/URProject.h"
#include "core/URUtils.h"
#include "media/UAudioLoudness.h"
#include "media/UAudioReader.h"
#include "media/UAudioWaveForm.h"
#include "media/UMFAudioResampler.h"
#include "media/UMFencoder.h"
#include "media/URAudioExporter.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int SampleRate = TRAudioExporter::SampleRate;
constexpr int FrameBytes = 4;                 // one stereo frame of 16-bit samples
constexpr int MixGridPS = 30;                 // the mix-down's grid of frames per second
constexpr std::int64_t ChunkFrames = 1 << 18; // frames reversed at a time

// The stereo frame at `index` frames of `speed` per mille after the range start: the exact
// sample of that time, rounded down.
std::int64_t SampleAt(const TRExportRange& range, std::int32_t speed, std::int64_t index,
                      int framePS) {
    // The time in ms is RangeStart + speed × index / framePS; scaled by framePS it is whole.
    const std::int64_t scaledMs =
        std::int64_t(range.RangeStart) * framePS + std::int64_t(speed) * index;
    return scaledMs * SampleRate / (std::int64_t(1000) * framePS);
}

std::int64_t WavFrames(const QString& file) {
    return std::max<std::int64_t>(0, (QFileInfo(file).size() - WavHeaderSize) / FrameBytes);
}

const TWaveFormat& StereoFormat() {
    static const TWaveFormat format = TWaveFormat::Pcm16(SampleRate, 2);
    return format;
}

} // namespace

bool MixDownProjectAudio(TRProject& project) {
    TRAudioExporter exporter(CursorFolder.isEmpty() ? QString() : CursorFolder + "click.wav",
                             MixGridPS);
    exporter.TempPath = project.TempFolder;
    exporter.FrameEnd =
        std::uint32_t(std::int64_t(std::max(project.TimeEnd(), 0)) * MixGridPS / 1000);
    project.AddAudioToVideoExporter(exporter);
    return exporter.Save();
}

bool ReverseWavFile(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile::remove(destination);
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly) || !WriteWavHeader(StereoFormat(), out))
        return false;
    std::vector<std::uint32_t> frames;
    for (std::int64_t end = WavFrames(source); end > 0;) {
        const std::int64_t first = std::max<std::int64_t>(0, end - ChunkFrames);
        frames.resize(size_t(end - first));
        const qint64 bytes = qint64(frames.size()) * FrameBytes;
        if (!in.seek(WavHeaderSize + first * FrameBytes) ||
            in.read(reinterpret_cast<char*>(frames.data()), bytes) != bytes)
            return false;
        std::reverse(frames.begin(), frames.end());
        if (out.write(reinterpret_cast<const char*>(frames.data()), bytes) != bytes)
            return false;
        end = first;
    }
    return WriteWavHeader(StereoFormat(), out);
}

std::int64_t ExportPassAudioStart(const TRExportRange& range, const TRExportPass& pass, int framePS,
                                  std::int64_t mixFrames) {
    if (!pass.Reversed)
        return SampleAt(range, pass.Speed, pass.FirstIndex, framePS);
    return std::max<std::int64_t>(0, mixFrames -
                                         SampleAt(range, pass.Speed, pass.FirstIndex + 1, framePS));
}

TRExportAudio::TRExportAudio(TRProject& project, const TRProjectExportOptions& options)
    : FProject(project), FOptions(options) {}

TRExportAudio::~TRExportAudio() {
    FPassFile.close();
    for (const char* name : {"ntmp.wav", "nrtmp.wav", "nstmp.wav", "nrstmp.wav"})
        QFile::remove(WorkFile(name));
}

QString TRExportAudio::WorkFile(const char* name) const {
    return FProject.TempFolder + QLatin1String(name);
}

bool TRExportAudio::Prepare(bool withBackwardPass) {
    if (!MixDownProjectAudio(FProject))
        return false;
    FMixFrames = WavFrames(WorkFile("ntmp.wav"));
    if (withBackwardPass && !ReverseWavFile(WorkFile("ntmp.wav"), WorkFile("nrtmp.wav")))
        return false;
    // A frame interval holds the rate's share of a second, rounded up.
    const int framePS = std::max(FOptions.FramePS, 1);
    FSamples.resize(size_t(SampleRate / framePS + 1) * 2);
    return true;
}

float TRExportAudio::PassGain(const QString& file, std::int64_t startFrame,
                              std::int64_t frames) const {
    if (!FOptions.AudioNormalizeLoudness)
        return FOptions.AudioVolume;
    const std::int64_t startMs = startFrame * 1000 / SampleRate;
    const std::int64_t endMs = startMs + frames * 1000 / std::max(FOptions.FramePS, 1);
    const float loudness = MeasureLoudness(file, int(std::min<std::int64_t>(startMs, INT32_MAX)),
                                           int(std::min<std::int64_t>(endMs, INT32_MAX)));
    if (loudness <= NoLoudness)
        return 1.0f;
    return float(std::pow(10.0, (double(FOptions.AudioLoudness) - loudness) / 20));
}

bool TRExportAudio::StartPass(const TRExportRange& range, const TRExportPass& pass) {
    FPassFile.close();
    QString file = WorkFile(pass.Reversed ? "nrtmp.wav" : "ntmp.wav");
    std::int64_t start = ExportPassAudioStart(range, pass, FOptions.FramePS, FMixFrames);
    if (pass.Speed != 1000) {
        const QString converted = WorkFile(pass.Reversed ? "nrstmp.wav" : "nstmp.wav");
        const bool pitch = pass.Reversed ? FOptions.AudioPitchReversed : FOptions.AudioPitch;
        if (!ChangeWavSpeed(file, converted, start * FrameBytes, pass.Speed, pitch))
            return false;
        file = converted;
        start = 0;
    }
    FGain = PassGain(file, start, pass.Frames);
    FPassFile.setFileName(file);
    return FPassFile.open(QIODevice::ReadOnly) &&
           FPassFile.seek(WavHeaderSize + start * FrameBytes);
}

std::int32_t TRExportAudio::AddFrame(TMFEncoder& encoder) {
    const size_t bytes = size_t(encoder.AudioChunkBytes());
    if (FSamples.size() * 2 < bytes)
        FSamples.resize(bytes / 2);
    auto* data = reinterpret_cast<char*>(FSamples.data());
    const qint64 read = std::max<qint64>(FPassFile.read(data, qint64(bytes)), 0);
    std::memset(data + read, 0, bytes - size_t(read));
    ApplyAudioGain(FSamples.data(), bytes / 2, FGain);
    return encoder.AddAudioFrame(reinterpret_cast<const std::uint8_t*>(data));
}
