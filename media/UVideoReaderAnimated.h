// Base of the readers of animated pictures (GIF, WebP): a frame table built from the frame
// delays, a composed picture of their own (premultiplied BGRA) and the fetch by time into a
// caller's premultiplied target. Their opaque-buffer GetFrame does nothing.
#pragma once

#include "media/UVideoReader.h"

#include <vector>

struct TFrameAnimated {
    bool Keyframe = true;
    int BeginTimeMs = -1; // inclusive range; a frame of delay 0 has an empty range
    int EndTimeMs = -1;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Disposal = 0;
    int KeyFrameId = 0;
};

using TFrameGIF = TFrameAnimated;
using TFrameWEBP = TFrameAnimated;

class TVideoReaderAnimated : public TVideoReader {
public:
    void GetFrame(int timeMs, const TFrameTarget& target) override;

    std::vector<TFrameAnimated> FFrames; // entries 0..FNrFrames
    int LastFrameId = 0;

protected:
    // Sizes the table for these frame delays (ms), lays out their ranges back to back from 0,
    // sets FDurationMs to their sum and clears the composed picture. False (with FErrorText),
    // before anything is allocated, when the picture size is out of range.
    bool LayOutFrames(const std::vector<int>& delaysMs);
    // Brings the composed picture (pbuffer) to frame `index`, the held one being LastFrameId.
    virtual void Compose(int index) = 0;
    void Clear();

    std::vector<uint8_t> pbuffer; // FWidth × FHeight premultiplied BGRA, FWidth × 4 per row
};
