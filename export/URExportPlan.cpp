#include "export/URExportPlan.h"

#include "core/URPropProjectSize.h"

#include <algorithm>

namespace {

std::int64_t FrameAt(std::int64_t ms, int framePS) {
    return ms * framePS / 1000;
}

std::int32_t EffectiveSpeed(std::int32_t speed) {
    return speed > 0 ? speed : 1000;
}

std::int64_t FramesAtSpeed(std::int64_t span, std::int32_t speed) {
    return std::max<std::int64_t>(1, span * 1000 / EffectiveSpeed(speed));
}

int RoundUpTo(int value, int multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

TRExportRange ComputeExportRange(const TRProjectExportOptions& options, std::int32_t projectEnd,
                                 int framePS) {
    TRExportRange range;
    range.RangeEnd = projectEnd;
    if (options.Selection) {
        range.RangeStart = options.SelTimeStart;
        range.RangeEnd = options.SelTimeEnd;
    }
    range.RangeStart = std::max(range.RangeStart, 0);
    range.RangeEnd = std::max(std::min(range.RangeEnd, projectEnd), range.RangeStart);
    range.FirstFrame = FrameAt(range.RangeStart, framePS);
    range.EndFrame = FrameAt(range.RangeEnd, framePS);
    return range;
}

std::vector<TRExportPass> ExportPasses(const TRExportRange& range, std::int32_t mode,
                                       std::int32_t mediaSpeed, std::int32_t reversedSpeed) {
    const std::int64_t whole = range.EndFrame - range.FirstFrame;
    std::vector<TRExportPass> passes;
    if (mode == 2) {
        // The turning frame belongs to the backward pass.
        const std::int64_t turn = std::max<std::int64_t>(whole - 1, 0);
        const std::int64_t back = FramesAtSpeed(turn, reversedSpeed);
        passes.push_back(
            {false, EffectiveSpeed(mediaSpeed), FramesAtSpeed(turn, mediaSpeed), 0, 1});
        passes.push_back({true, EffectiveSpeed(reversedSpeed), back, back, -1});
    } else if (mode == 1) {
        const std::int64_t frames = FramesAtSpeed(whole, reversedSpeed);
        passes.push_back({true, EffectiveSpeed(reversedSpeed), frames, frames - 1, -1});
    } else {
        passes.push_back(
            {false, EffectiveSpeed(mediaSpeed), FramesAtSpeed(whole, mediaSpeed), 0, 1});
    }
    return passes;
}

std::int64_t ExportFrameTime(const TRExportRange& range, const TRExportPass& pass,
                             std::int64_t index, int framePS) {
    return std::int64_t(pass.Speed) * index / framePS + range.RangeStart;
}

std::int64_t CountExportFrames(const std::vector<TRExportPass>& passes) {
    std::int64_t total = 0;
    for (const TRExportPass& pass : passes)
        total += pass.Frames;
    return total;
}

QSize ComputeExportOutputSize(const TRProjectExportOptions& options, QSize projectSize) {
    QSize size = projectSize;
    if (options.VideoSize == 1) {
        size = QSize(options.Width, options.Height);
    } else if (options.VideoSize != 0) {
        const int row = options.VideoSize - 2;
        const TRProjectSizePreset& preset =
            ProjectSizePresets[row >= 0 && row < ProjectSizePresetCount ? row : 3];
        size = QSize(preset.Width, preset.Height);
    }
    const int format = options.Format;
    if ((format >= 1 && format <= 5) || format == 7)
        size = QSize(RoundUpTo(size.width(), 2), RoundUpTo(size.height(), 2));
    if (format == 3 || format == 4)
        size = QSize(RoundUpTo(size.width(), 16), RoundUpTo(size.height(), 16));
    return size;
}
