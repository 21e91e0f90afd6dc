#include "media/UVideoReaderNP.h"

#include <algorithm>

using platform::media::TicksPerMs;

namespace {
// Further ahead than this the reader seeks instead of decoding forward.
constexpr int64_t ReadAheadMs = 5000;
} // namespace

void TVideoReaderNP::OpenFile(const QString& fileName, int64_t, uint32_t) {
    FIsValid = false;
    LastFrameTime = 0;
    LastFrameDuration = -1;
    if (!OpenSource(fileName, platform::media::OpenOptions()))
        return;
    if (FFramePS <= 0)
        FFramePS = 30;
    FIsValid = true;
}

void TVideoReaderNP::GetFrame(uint32_t, int timeMs, uint8_t* dst) {
    const int64_t t = std::clamp(timeMs, 0, FDurationMs);
    const int64_t begin = LastFrameTime;
    const int64_t end = LastFrameTime + LastFrameDuration;
    if (LastFrameDuration != -1 && begin <= t && t < end) {
        CopyHeld(dst);
        return;
    }
    if (LastFrameDuration == -1 || t < end || t > end + ReadAheadMs)
        Seek((t + 1) * TicksPerMs);
    // At the very end the time itself: the last picture starts at or before it, and in a file
    // whose last block has no duration it starts exactly there.
    const int64_t target = (t >= FDurationMs ? t : t + 1) * TicksPerMs;
    if (const std::optional<TSampleSpan> span = ReadTo(target)) {
        LastFrameTime = span->Time / TicksPerMs;
        LastFrameDuration = span->Duration / TicksPerMs;
    }
    // Past the end of the stream the last picture decoded stands.
    if (FHolding)
        CopyHeld(dst);
}
