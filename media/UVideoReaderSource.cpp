#include "media/UVideoReaderSource.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

using namespace platform::media;

namespace {
constexpr int Stream = SourceReader::FirstVideoStream;
} // namespace

bool TVideoReaderSource::OpenSource(const QString& fileName, const OpenOptions& options) {
    try {
        preader = std::make_unique<SourceReader>(fileName.toStdString(), options);
        int64_t duration = preader->duration(Stream);
        if (duration <= 0)
            duration = preader->duration(SourceReader::MediaSource);
        FDurationMs = int(std::min<int64_t>(duration / TicksPerMs, INT32_MAX));
        if (FDurationMs <= 0) {
            FErrorText = QStringLiteral("The video has no duration");
            preader.reset();
            return false;
        }
        const MediaType type = preader->mediaType(Stream);
        if (!type.pictureConvertible)
            throw MediaError("The video's picture layout cannot be converted");
        if (type.width <= 0 || type.height <= 0 || type.width >= MaxPictureSide ||
            type.height >= MaxPictureSide)
            throw MediaError("The video's picture size is out of range");
        FWidth = type.width;
        FHeight = type.height;
        FFrameRate = type.frameRate;
        FFramePS = type.frameRate.rounded();
        preader->setStreamSelection(Stream, true);
        PARGB.assign(size_t(FWidth) * size_t(FHeight) * 4, 0);
        return true;
    } catch (const MediaError& error) {
        FErrorText = QString::fromStdString(error.what());
        preader.reset();
        return false;
    }
}

void TVideoReaderSource::Seek(int64_t position) {
    FAhead = Sample();
    preader->seek(position + FSourceOffset);
}

std::optional<Sample> TVideoReaderSource::NextSample() {
    if (!FAhead.isEmpty())
        return std::exchange(FAhead, Sample());
    SourceReader::ReadResult result = preader->readSample(Stream);
    if (result.status != SourceReader::ReadStatus::Sample)
        return std::nullopt;
    return std::move(result.sample);
}

std::optional<TVideoReaderSource::TSampleSpan> TVideoReaderSource::ReadTo(int64_t target) {
    std::optional<TSampleSpan> span = ReadToSource(target + FSourceOffset);
    if (span)
        span->Time -= FSourceOffset;
    return span;
}

std::optional<TVideoReaderSource::TSampleSpan> TVideoReaderSource::ReadToSource(int64_t target) {
    Sample passed; // the last sample that starts at or before the target
    for (;;) {
        std::optional<Sample> sample = NextSample();
        if (!sample) {
            if (passed.isEmpty())
                return std::nullopt;
            // The last picture stays up to the end of the file.
            const int64_t end = int64_t(FDurationMs) * TicksPerMs;
            return Hold(passed, passed.duration() > 0 ? passed.duration()
                                                      : std::max<int64_t>(end - passed.time(), 0));
        }
        if (sample->time() > target) {
            if (passed.isEmpty())
                return Hold(*sample, sample->duration());
            // Containers need not store durations: a picture lasts until the next one starts.
            const int64_t span = sample->time() - passed.time();
            FAhead = std::move(*sample);
            return Hold(passed, span);
        }
        if (sample->duration() > 0 && target < sample->time() + sample->duration())
            return Hold(*sample, sample->duration());
        passed = std::move(*sample);
    }
}

std::optional<TVideoReaderSource::TSampleSpan> TVideoReaderSource::Hold(const Sample& sample,
                                                                        int64_t duration) {
    if (sample.width() != FWidth || sample.height() != FHeight)
        return std::nullopt; // a picture of another size does not fit the caller's buffer
    try {
        FConverter.convert(sample, PARGB.data(), FWidth * 4);
    } catch (const MediaError&) {
        return std::nullopt;
    }
    FHolding = true;
    return TSampleSpan{sample.time(), duration};
}

void TVideoReaderSource::CopyHeld(uint8_t* dst) const {
    std::memcpy(dst, PARGB.data(), PARGB.size());
}

void TVideoReaderTable::GetFrame(uint32_t, int timeMs, uint8_t* dst) {
    const int last = FNrFrames;
    int t = ClampTime(timeMs, FFrames[1].BeginTimeMs, FFrames[size_t(last)].EndTimeMs);
    const TFrameMF& held = FFrames[size_t(LastFrameId)];
    if (held.BeginTimeMs <= t && t <= held.EndTimeMs) {
        CopyHeld(dst);
        return;
    }
    int c = FindFrameIndex(FFrames, last, t);
    if (c == LastFrameId) {
        CopyHeld(dst);
        return;
    }
    const int endMs = FFrames[size_t(last)].EndTimeMs;
    // Going back, or jumping into another group of pictures more than about a second ahead,
    // needs a seek; anything else decodes forward from where the decoder is.
    if (c <= LastFrameId ||
        (FFrames[size_t(c)].KeyFrameId != held.KeyFrameId && c > LastFrameId + FFramePS))
        Seek((t == endMs ? int64_t(endMs) : int64_t(t) + 1) * TicksPerMs);
    const int64_t target =
        (int64_t(t) + 1 >= endMs ? int64_t(endMs) - 1 : int64_t(t) + 1) * TicksPerMs;
    if (const std::optional<TSampleSpan> span = ReadTo(target))
        c = std::max(1, FindFrameIndex(FFrames, last,
                                       int(std::lround(double(span->Time) / double(TicksPerMs)))));
    // Past the end of the stream the last picture decoded stands.
    if (FHolding)
        CopyHeld(dst);
    LastFrameId = c;
}

int TVideoReaderTable::GetBeginTime(int index) const {
    return index >= 1 && index <= FNrFrames ? FFrames[size_t(index)].BeginTimeMs : 0;
}

void TVideoReaderTable::OpenEvenTable(
    const QString& fileName,
    const std::function<std::optional<std::vector<int>>(QIODevice&)>& readKeyFrames) {
    FIsValid = false;
    if (!OpenSource(fileName, OpenOptions()))
        return;
    if (!FFrameRate.isValid()) {
        FErrorText = QStringLiteral("The video states no frame rate");
        return;
    }
    QFile file(fileName);
    // Each frame takes at least a chunk header in the file; a stream that claims more frames
    // than that lies about its length or rate, and its table would not fit in memory.
    if (EvenFrameCount() > file.size() / MinFrameBytes + 1) {
        FErrorText = QStringLiteral("The video claims more frames than the file holds");
        return;
    }
    std::optional<std::vector<int>> keys;
    if (file.open(QIODevice::ReadOnly))
        keys = readKeyFrames(file);
    LayOutEvenTable(keys);
    FIsValid = true;
}

int64_t TVideoReaderTable::EvenFrameCount() const {
    // Whole frames inside the duration, counted at the exact rate (29.97 fps stays 30000/1001);
    // the duration is truncated to whole milliseconds, so a frame that ends within the next
    // millisecond still counts.
    return (int64_t(FDurationMs) + 1) * FFrameRate.num / (FFrameRate.den * 1000);
}

void TVideoReaderTable::LayOutEvenTable(const std::optional<std::vector<int>>& keyFrames) {
    const Rational rate = FFrameRate;
    FNrFrames = int(std::clamp<int64_t>(EvenFrameCount(), 1, INT32_MAX / 2));
    FFrames.assign(size_t(FNrFrames) + 1, TFrameMF{});
    for (int i = 1; i <= FNrFrames; ++i) {
        TFrameMF& frame = FFrames[size_t(i)];
        frame.Time = (int64_t(i) - 1) * TicksPerSecond * rate.den / rate.num;
        frame.BeginTimeMs = int(frame.Time / TicksPerMs);
        frame.Keyframe = !keyFrames;
        if (i > 1)
            FFrames[size_t(i) - 1].EndTimeMs = frame.BeginTimeMs - 1;
    }
    // The last frame shows until the end of the file.
    FFrames[size_t(FNrFrames)].EndTimeMs =
        std::max(FDurationMs, FFrames[size_t(FNrFrames)].BeginTimeMs);
    for (int number : keyFrames.value_or(std::vector<int>()))
        if (number >= 1 && number <= FNrFrames)
            FFrames[size_t(number)].Keyframe = true;
    FinishTable();
}

void TVideoReaderTable::FinishTable() {
    int key = 1;
    for (int i = 1; i <= FNrFrames; ++i) {
        if (FFrames[size_t(i)].Keyframe)
            key = i;
        FFrames[size_t(i)].KeyFrameId = key;
    }
    FFrames[0] = TFrameMF{};
    LastFrameId = 0;
}
