// The ffmpeg program doing the same job as one of our kernels, for benchmarks that show both
// on the same pixels: it reads copies of a raw BGRA picture through a filter graph into nothing.
#pragma once

#include <QStringList>

class QImage;
namespace benchmark {
class State;
}

// Times one ffmpeg run per iteration as manual time over `frames` copies of `picture` (32-bit,
// rows without padding) passed through `filterArgs` (e.g. {"-vf", "negate"}). Returns false,
// with the reason set on `state`, when ffmpeg is missing or fails.
bool RunFfmpegOnRawFrames(benchmark::State& state, const QImage& picture,
                          const QStringList& filterArgs, int frames = 30);
