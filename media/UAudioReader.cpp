#include "media/UAudioReader.h"

#include "platform/media/Resampler.h"
#include "platform/media/SourceReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace media = platform::media;

namespace {

constexpr int VolumeLimit = 32700;
constexpr uint32_t MaxChannels = 8;

} // namespace

TAudioReader::TAudioReader() = default;

TAudioReader::~TAudioReader() = default;

void TAudioReader::Close() {
    preader.reset();
    presampler.reset();
    pResamplerSpeed.reset();
    FIsValid = FFormatted = FEnded = false;
    FDuration = FPosition = 0;
    FDestinationSpeed = 1000;
    FDestinationPreservePitch = true;
    FDestinationVolume = 1.0f;
    FBlock.clear();
    numFramesUsed = numFramesAvailable = 0;
}

bool TAudioReader::OpenFile(const QString& AFileName, int64_t AFileOffset, int64_t AFileSize,
                            int AIndex) {
    Close();
    FFileName = AFileName;
    FFileOffset = AFileOffset;
    FFileSize = AFileSize;
    FIndex = AIndex;
    try {
        preader = std::make_unique<media::SourceReader>(AFileName.toStdString());
        if (preader->streamIndex(AIndex) < 0)
            throw media::MediaError("no such stream");
        const media::MediaType type = preader->mediaType(AIndex);
        if (type.kind != media::MediaKind::Audio)
            throw media::MediaError("not a sound stream");
        int64_t duration = preader->duration(AIndex);
        if (duration <= 0)
            duration = preader->duration(media::SourceReader::MediaSource);
        FDuration = duration / media::TicksPerMs;
        if (FDuration <= 0)
            throw media::MediaError("no duration");
        FSourceSamplesPerSecond = uint32_t(type.sampleRate);
        FSourceNumChannels = uint32_t(type.channels);
    } catch (const media::MediaError&) {
        Close();
        return false;
    }
    FIsValid = true;
    return true;
}

bool TAudioReader::SetFormat(uint32_t ASamplesPerSecond, uint32_t ANumChannels,
                             uint32_t ABitsPerSample) {
    if (!FIsValid || ABitsPerSample != 16 || ANumChannels == 0 || ANumChannels > MaxChannels)
        return false;
    try {
        presampler = std::make_unique<media::Resampler>(
            media::AudioFormat{int(ASamplesPerSecond), int(ANumChannels)});
        preader->setStreamSelection(FIndex, true);
    } catch (const media::MediaError&) {
        presampler.reset();
        return false;
    }
    FDestinationSamplesPerSecond = ASamplesPerSecond;
    FDestinationNumChannels = ANumChannels;
    FBlock.clear();
    numFramesUsed = numFramesAvailable = 0;
    FFormatted = true;
    SetSpeed(FDestinationSpeed, FDestinationPreservePitch);
    return true;
}

void TAudioReader::SetSpeed(int ASpeed, bool APreservePitch) {
    FDestinationSpeed = ASpeed > 0 ? ASpeed : 1000;
    FDestinationPreservePitch = APreservePitch;
    pResamplerSpeed.reset();
    if (!FFormatted || FDestinationSpeed == 1000)
        return;
    pResamplerSpeed = std::make_unique<TMFAudioResampler>();
    pResamplerSpeed->SetParams(
        FDestinationSamplesPerSecond,
        uint32_t(int64_t(FDestinationSamplesPerSecond) * 1000 / FDestinationSpeed),
        uint16_t(FDestinationNumChannels), uint16_t(FDestinationNumChannels), FDestinationSpeed);
}

void TAudioReader::Convert(const media::Sample* sample) {
    std::vector<int16_t> decoded;
    try {
        if (sample)
            presampler->convert(*sample, decoded);
        else
            presampler->flush(decoded);
    } catch (const media::MediaError&) {
        decoded.clear();
    }
    const auto frames = uint32_t(decoded.size() / FDestinationNumChannels);
    if (!pResamplerSpeed) {
        FBlock = std::move(decoded);
    } else {
        FBlock.clear();
        if (FDestinationPreservePitch)
            pResamplerSpeed->ResamplePreservePitch(decoded.data(), frames, FBlock);
        else
            pResamplerSpeed->Resample(decoded.data(), frames, FBlock);
        if (!sample)
            pResamplerSpeed->Flush(FBlock);
    }
    numFramesUsed = 0;
    numFramesAvailable = FBlock.size() / FDestinationNumChannels;
}

void TAudioReader::ReadNextBlock(uint32_t& flags) {
    flags = ReaderEndOfStream;
    numFramesUsed = numFramesAvailable = 0;
    if (!FIsValid || FEnded)
        return;
    flags = 0;
    media::SourceReader::ReadResult result = preader->readSample(FIndex);
    if (result.status == media::SourceReader::ReadStatus::Sample) {
        FPosition = std::max<int64_t>(result.sample.time() / media::TicksPerMs, 0);
        Convert(&result.sample);
        return;
    }
    // The end (or a broken stream): what the filters still hold is the last block.
    FEnded = true;
    FPosition = FDuration;
    Convert(nullptr);
    if (numFramesAvailable == 0)
        flags = ReaderEndOfStream;
}

void ApplyAudioGain(int16_t* samples, size_t count, float gain) {
    if (gain == 1.0f)
        return;
    for (size_t i = 0; i < count; ++i)
        samples[i] = int16_t(std::clamp(std::trunc(double(samples[i]) * gain), double(-VolumeLimit),
                                        double(VolumeLimit)));
}

void TAudioReader::ApplyVolume(int16_t* samples, size_t count) const {
    ApplyAudioGain(samples, count, FDestinationVolume.load());
}

void TAudioReader::LoadData(uint32_t numFrames, uint8_t* pData, uint32_t& flags) {
    if (!FIsValid || !FFormatted || !pData)
        return;
    flags = 0;
    auto* out = reinterpret_cast<int16_t*>(pData);
    const size_t channels = FDestinationNumChannels;
    size_t wanted = numFrames;
    while (wanted > 0 && flags == 0) {
        if (numFramesAvailable == 0)
            ReadNextBlock(flags);
        if (flags != 0) {
            std::memset(out, 0, wanted * channels * 2);
            break;
        }
        if (numFramesAvailable == 0)
            continue; // the filters held this block back
        const size_t n = std::min(wanted, numFramesAvailable);
        std::memcpy(out, FBlock.data() + numFramesUsed * channels, n * channels * 2);
        ApplyVolume(out, n * channels);
        out += n * channels;
        wanted -= n;
        numFramesUsed += n;
        numFramesAvailable -= n;
    }
}

void TAudioReader::SetPosition(int64_t AMs) {
    if (!preader || !FFormatted)
        return;
    presampler->reset();
    SetSpeed(FDestinationSpeed, FDestinationPreservePitch);
    FEnded = false;
    numFramesUsed = numFramesAvailable = 0;
    AMs = std::max<int64_t>(AMs, 0);
    if (!preader->seek(AMs * media::TicksPerMs)) {
        GoToEnd();
        return;
    }
    for (;;) {
        media::SourceReader::ReadResult result = preader->readSample(FIndex);
        if (result.status != media::SourceReader::ReadStatus::Sample) {
            GoToEnd();
            return;
        }
        const int64_t t = result.sample.time() / media::TicksPerMs;
        const int64_t d = result.sample.duration() / media::TicksPerMs;
        // A sample that holds the time, or the first one after it (a gap in the stream).
        if (AMs <= t + d) {
            FPosition = std::max<int64_t>(t, 0);
            Convert(&result.sample);
            const auto skip =
                std::min<size_t>(size_t(std::trunc(std::max<int64_t>(AMs - t, 0) *
                                                   FDestinationSamplesPerSecond / 1000.0)),
                                 numFramesAvailable);
            numFramesUsed = skip;
            numFramesAvailable -= skip;
            return;
        }
    }
}

void TAudioReader::GoToEnd() {
    FEnded = true;
    FPosition = FDuration;
    FBlock.clear();
    numFramesUsed = numFramesAvailable = 0;
}
