#include "media/UVideoReaderAnimated.h"

#include "media/UTimeSearch.h"

#include <algorithm>
#include <climits>
#include <cstring>

bool TVideoReaderAnimated::LayOutFrames(const std::vector<int>& delaysMs) {
    if (FWidth <= 0 || FHeight <= 0 || FWidth >= MaxPictureSide || FHeight >= MaxPictureSide) {
        FErrorText = QStringLiteral("The picture size is out of range");
        return false;
    }
    FNrFrames = int(delaysMs.size());
    FFrames.assign(delaysMs.size() + 1, TFrameAnimated{});
    int64_t begin = 0;
    for (int i = 1; i <= FNrFrames; ++i) {
        TFrameAnimated& frame = FFrames[size_t(i)];
        const int64_t end = begin + std::max(0, delaysMs[size_t(i) - 1]) - 1;
        frame.BeginTimeMs = int(std::min<int64_t>(begin, INT_MAX / 2));
        frame.EndTimeMs = int(std::min<int64_t>(end, INT_MAX / 2));
        frame.KeyFrameId = i;
        begin = end + 1;
    }
    if (FNrFrames > 0) {
        FFrames.back().EndTimeMs += 1;
        FDurationMs = FFrames.back().EndTimeMs;
    }
    FFrames[0].KeyFrameId = -1;
    LastFrameId = 0;
    pbuffer.assign(size_t(FWidth) * size_t(FHeight) * 4, 0);
    return true;
}

void TVideoReaderAnimated::Clear() {
    std::fill(pbuffer.begin(), pbuffer.end(), 0);
}

void TVideoReaderAnimated::GetFrame(int timeMs, const TFrameTarget& target) {
    if (!FIsValid || FNrFrames <= 0 || !target.Bits)
        return;
    const int t = ClampTime(timeMs, FFrames[1].BeginTimeMs, FFrames.back().EndTimeMs);
    const TFrameAnimated& held = FFrames[size_t(LastFrameId)];
    if (!(held.BeginTimeMs <= t && t <= held.EndTimeMs)) {
        const int c = std::max(1, FindFrameIndex(FFrames, FNrFrames, t));
        Compose(c);
        LastFrameId = c;
    }
    const size_t rowBytes = size_t(FWidth) * 4;
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(target.Bits + int64_t(y) * target.Pitch, pbuffer.data() + y * rowBytes,
                    rowBytes);
}
