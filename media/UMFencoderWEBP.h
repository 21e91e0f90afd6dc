// Lossy WebP: a still picture (one VP8 key frame) or an animation whose frames are VP8 key
// frames in ANMF chunks, written in the program's own layout of the RIFF container. With
// changed rectangles only the part of the picture that changed is encoded, and one picture may
// last several frame slots.
#pragma once

#include "media/UMFEncoderHeld.h"

#include <QFile>
#include <memory>
#include <vector>

namespace platform::media {
class VideoEncoder;
}

class TMFEncoderWEBP : public TMFEncoderHeld {
public:
    TMFEncoderWEBP();
    ~TMFEncoderWEBP() override;

    // 0 when a VP8 encoder can be opened for the set size; E_MF_NO_ENCODER when there is none.
    int32_t TestEncode() override;
    int32_t StartEncode() override;
    int32_t AddVideoFrame(const uint8_t* Frame) override;
    int32_t AddAudioFrame(const uint8_t*) override { return MF_S_OK; }
    int32_t StopEncode() override;
    uint64_t GetVideoCompressedSize() override { return VideoCompressedSize; }

protected:
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
    // The `HeldRect` part of the frame, handed over without a copy.
    platform::media::PictureView ConvertFrame(const uint8_t* Source) override;
    int32_t WriteVideoSample(const uint8_t* Frame, int Slots) override;

private:
    // Even offsets and sides, at least MinSide, inside the canvas.
    TFrameRect FindChangedRect(const uint8_t* Frame) override;
    int32_t WriteHeldFrame(int64_t Slots) override;
    // The changed rectangle grown to the size of the rectangle encoder when it is smaller, so
    // that the encoder is only made again when a change needs a larger one (making a VP8
    // encoder costs more than coding a larger area).
    TFrameRect PlaceChangedRect(const TFrameRect& Changed) const override;
    // Makes `Into` for pictures of this size.
    int32_t ConfigureVideoEncoder(std::unique_ptr<platform::media::VideoEncoder>& Into, int Width,
                                  int Height);
    int32_t WriteEncodedFrame(const std::vector<uint8_t>& payload);
    int32_t WriteHeader();

    std::unique_ptr<platform::media::VideoEncoder> WholeEncoder; // pictures of the whole canvas
    std::unique_ptr<platform::media::VideoEncoder> RectEncoder;  // changed rectangles

    std::unique_ptr<QFile> destFile;
    int64_t framesInFile = 0;
    int VideoEncoderWidth = 0; // size of the encoder being made
    int VideoEncoderHeight = 0;
    uint64_t VideoCompressedSize = 0;
};
