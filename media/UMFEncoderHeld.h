// The variable-rate scheme of the animated-picture encoders (GIF and WebP): a frame is held
// while the frames after it equal it, and written lasting every slot it covered once a
// different frame comes, or at the end. With changed rectangles only the part that differs
// from the frame before is written.
#pragma once

#include "media/UMFencoder.h"

// A part of the picture; Right and Bottom are exclusive.
struct TFrameRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
};

class TMFEncoderHeld : public TMFEncoder {
public:
    // Slots the recording skipped before this frame count for the held one.
    int32_t AddVideoFrameFromRecording(const uint8_t* Frame, int ATime) override;

protected:
    // Holds `Frame` (the first one, or one that differs from the held frame, which is then
    // written); counts one more slot for the held frame when `Frame` equals it.
    int32_t HoldFrame(const uint8_t* Frame);
    // Writes the frame still held at the end; the whole picture when nothing was written yet.
    int32_t WriteLastHeld();
    // Forgets any held frame before an encode starts.
    void ResetHeld();

    // The part of `Frame` that differs from the held frame (`lastdata`); empty when none.
    virtual TFrameRect FindChangedRect(const uint8_t* Frame) = 0;
    // Writes the held frame's `HeldRect` part lasting `Slots` slots.
    virtual int32_t WriteHeldFrame(int64_t Slots) = 0;
    // The part written for a change: the changed rectangle itself unless the encoder needs
    // another shape.
    virtual TFrameRect PlaceChangedRect(const TFrameRect& Changed) const { return Changed; }
    TFrameRect WholeFrame() const { return TFrameRect{0, 0, FWidth, FHeight}; }

    int64_t nrframes = 0;     // slots covered by frames in the file
    int64_t lastnrframes = 0; // slots the held frame covers so far
    TFrameRect HeldRect;      // the part of the held frame to write
};
