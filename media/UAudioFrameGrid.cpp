#include "media/UAudioFrameGrid.h"

#include <algorithm>

TAudioFrameGrid::TAudioFrameGrid(int sampleRate, int fpsNum, int fpsDen)
    : FRate(std::max(sampleRate, 1)), FNum(std::max(fpsNum, 1)), FDen(std::max(fpsDen, 1)) {}

int64_t TAudioFrameGrid::FrameStart(int64_t index) const {
    return index * FRate * FDen / FNum;
}

int64_t TAudioFrameGrid::FrameOf(int64_t audioFrame) const {
    // The last video frame whose start is not after the audio frame.
    int64_t index = audioFrame * FNum / (FRate * FDen);
    while (FrameStart(index + 1) <= audioFrame)
        ++index;
    while (index > 0 && FrameStart(index) > audioFrame)
        --index;
    return index;
}
