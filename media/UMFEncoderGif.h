// Animated GIF: every frame with its own palette made from its pixels, optionally only the
// rectangle that changed and with unchanged pixels transparent, frames that last several slots
// (variable rate) and delays in hundredths of a second that never drift from the real time.
#pragma once

#include "media/UMFEncoderHeld.h"

#include <memory>
#include <vector>

namespace platform::media {
class GifWriter;
}

// Palette entries for a quality: 32 at 50, 166 at 80, 256 at 100, never fewer than 2 or more
// than 256.
int GifColoursForQuality(int quality);

class TMFEncoderGIF : public TMFEncoderHeld {
public:
    TMFEncoderGIF();
    ~TMFEncoderGIF() override;

    int32_t TestEncode() override { return MF_S_OK; }
    int32_t StartEncode() override;
    // A failure to write a frame is returned (the frame's slots still count).
    int32_t AddVideoFrame(const uint8_t* Frame) override;
    int32_t AddAudioFrame(const uint8_t*) override { return MF_S_OK; }
    int32_t StopEncode() override;
    // The size of the file written so far.
    uint64_t GetVideoCompressedSize() override;

protected:
    int32_t WriteVideoSample(const uint8_t*, int) override { return MF_S_OK; }

private:
    // The rectangle of pixels that differ from `lastdata`, and the mask of unchanged pixels in
    // `datamodificata`.
    TFrameRect FindChangedRect(const uint8_t* Frame) override;
    int32_t WriteHeldFrame(int64_t Slots) override;
    // Writes the `HeldRect` part of `APixels` lasting `ASlots` slots; `AMask` marks pixels to
    // write transparent (null: none).
    int32_t WriteFrame(const uint8_t* APixels, const uint8_t* AMask, int64_t ASlots);
    int32_t WritePieces(const uint8_t* APixels, const uint8_t* AMask, int64_t delayCs);

    std::unique_ptr<platform::media::GifWriter> encoder;
    // Unchanged pixels of the newest frame (1 each) and of the held frame: with transparency
    // they are written transparent, through a palette entry of their own.
    std::vector<uint8_t> datamodificata;
    std::vector<uint8_t> lastdatamodificata;
};
