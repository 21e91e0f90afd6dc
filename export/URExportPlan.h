#pragma once
// The arithmetic of an export run: the time range and its frames on the frame grid, the passes
// (forwards, backwards, or forwards then backwards) with the time of every frame, and the size
// of the encoded pictures. Products of times and rates are 64-bit.

#include "core/URProject.h"

#include <QSize>
#include <cstdint>

struct TRExportRange {
    std::int32_t RangeStart = 0; // ms
    std::int32_t RangeEnd = 0;   // ms
    std::int64_t FirstFrame = 0; // the frame at RangeStart
    std::int64_t EndFrame = 0;   // the frame at RangeEnd (one past the last whole frame)
};

// The range of the settings (the whole project, or the selection held inside it) on the grid
// of `framePS` frames per second.
TRExportRange ComputeExportRange(const TRProjectExportOptions& options, std::int32_t projectEnd,
                                 int framePS);

// One pass over the range: `Frames` frames whose indexes run from `FirstIndex` by `Step`.
struct TRExportPass {
    bool Reversed = false;
    std::int32_t Speed = 1000; // per mille
    std::int64_t Frames = 0;
    std::int64_t FirstIndex = 0;
    int Step = 1;
    // The index of the pass's `n`-th frame.
    std::int64_t Index(std::int64_t n) const { return FirstIndex + n * Step; }
};

// The passes of `mode` (0 forwards, 1 backwards, 2 forwards then backwards). A pass on its own
// covers the range with both ends, so 10 s at 30 fps are 300 frames (0..9967 ms) and backwards
// the same frames last to first. Forwards then backwards turns at the range end without showing
// the turning frame twice: 0..298 forwards, then 299 down to 1. Every pass has at least one
// frame; a speed that is not positive counts as 1000.
std::vector<TRExportPass> ExportPasses(const TRExportRange& range, std::int32_t mode,
                                       std::int32_t mediaSpeed, std::int32_t reversedSpeed);

// The project time of frame `index` of a pass: speed × index / fps ms after the range start.
std::int64_t ExportFrameTime(const TRExportRange& range, const TRExportPass& pass,
                             std::int64_t index, int framePS);

// Frames of all passes together.
std::int64_t CountExportFrames(const std::vector<TRExportPass>& passes);

// The encoded picture size: the project size, the custom size or a preset row (row 3, 1280 ×
// 720, for an unknown choice); even for the video formats but GIF; for HEVC (codes 3 and 4)
// rounded up to a multiple of 16.
QSize ComputeExportOutputSize(const TRProjectExportOptions& options, QSize projectSize);
