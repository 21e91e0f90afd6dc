// Audio frames per video frame at any frame rate. Rates such as 44,100 Hz at 24 or 48 fps do
// not divide into whole frames, so each video frame takes its share with the remainder
// carried: the first k video frames always hold exactly floor(k × rate / fps) audio frames,
// and sound never drifts against the picture.
#pragma once

#include <cstdint>

class TAudioFrameGrid {
public:
    // `fpsNum / fpsDen` video frames per second (both positive).
    TAudioFrameGrid(int sampleRate, int fpsNum, int fpsDen = 1);

    // The first audio frame of video frame `index`.
    int64_t FrameStart(int64_t index) const;
    // Audio frames of video frame `index`.
    int64_t FrameLength(int64_t index) const { return FrameStart(index + 1) - FrameStart(index); }
    // The video frame that holds audio frame `audioFrame`.
    int64_t FrameOf(int64_t audioFrame) const;

private:
    int64_t FRate;
    int64_t FNum;
    int64_t FDen;
};
