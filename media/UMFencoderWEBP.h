// Lossy WebP: a still picture (one VP8 key frame) or an animation whose frames are VP8 key
// frames in ANMF chunks, written in the program's own layout of the RIFF container. With
// changed rectangles only the part of the picture that changed is encoded, and one picture may
// last several frame slots.
#pragma once

#include "media/UMFencoder.h"

#include <QFile>
#include <memory>
#include <vector>

namespace platform::media {
class VideoEncoder;
}

class TMFEncoderWEBP : public TMFEncoder {
public:
    TMFEncoderWEBP();
    ~TMFEncoderWEBP() override;

    // 0 when a VP8 encoder can be opened for the set size; E_MF_NO_ENCODER when there is none.
    int32_t TestEncode() override;
    int32_t StartEncode() override;
    int32_t AddVideoFrame(const uint8_t* Frame) override;
    int32_t AddAudioFrame(const uint8_t*) override { return MF_S_OK; }
    int32_t StopEncode() override;
    int32_t AddVideoFrameFromRecording(const uint8_t* Frame, int ATime) override;
    uint64_t GetVideoCompressedSize() override { return VideoCompressedSize; }

    // A part of the picture; Right and Bottom are exclusive.
    struct TRect {
        int Left = 0;
        int Top = 0;
        int Right = 0;
        int Bottom = 0;
        int Width() const { return Right - Left; }
        int Height() const { return Bottom - Top; }
    };

protected:
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
    // The `lastrect` part of the frame, handed over without a copy.
    platform::media::PictureView ConvertFrame(const uint8_t* Source) override;
    int32_t WriteVideoSample(const uint8_t* Frame, int Slots) override;

private:
    TRect FindChangedRect(const uint8_t* Frame) const;
    // The part of the picture encoded for a change: the changed rectangle grown to the size of
    // the rectangle encoder when it is smaller, so that the encoder is only made again when a
    // change needs a larger one (making a VP8 encoder costs more than coding a larger area).
    TRect EncodedRect(const TRect& Changed) const;
    // Makes `Into` for pictures of this size.
    int32_t ConfigureVideoEncoder(std::unique_ptr<platform::media::VideoEncoder>& Into, int Width,
                                  int Height);
    int32_t WriteEncodedFrame(const std::vector<uint8_t>& payload);
    int32_t WriteHeader();
    TRect WholeFrame() const { return TRect{0, 0, FWidth, FHeight}; }

    std::unique_ptr<platform::media::VideoEncoder> WholeEncoder; // pictures of the whole canvas
    std::unique_ptr<platform::media::VideoEncoder> RectEncoder;  // changed rectangles

    std::unique_ptr<QFile> destFile;
    int64_t nrframes = 0;     // slots covered by frames in the file
    int64_t lastnrframes = 0; // slots the held frame covers so far
    int64_t framesInFile = 0;
    int VideoEncoderWidth = 0; // size of the encoder being made
    int VideoEncoderHeight = 0;
    uint64_t VideoCompressedSize = 0;
    TRect lastrect;
};
