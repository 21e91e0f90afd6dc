// H.264 and HEVC in MP4. TMFEncoderH264 carries the H.264 settings: High profile, no B frames,
// the base's bit rate; pictures are converted to 4:2:0 with BT.709 limited range and the stream
// is tagged so. TMFEncoderH264Ex (and TMFEncoderH265) take BGRA frames; the three camera
// classes take frames already in the camera's layout and are used at a constant rate.
#pragma once

#include "media/UMFencoder.h"

class TMFEncoderH264 : public TMFEncoder {
protected:
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
    platform::media::EncoderOptions GetEncodingParameters() override;
};

class TMFEncoderH264Ex : public TMFEncoderH264 {};

class TMFEncoderH265 : public TMFEncoderH264Ex {
public:
    TMFEncoderH265();

protected:
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
    platform::media::EncoderOptions GetEncodingParameters() override;
};

// Camera frames in their own layout, RawBufferSizeInput bytes without row gaps. Cameras
// deliver BT.601 pictures; the stream is tagged with that.
class TMFEncoderH264Camera : public TMFEncoderH264 {
public:
    void SetParams(int AWidth, int AHeight, int AVideoFramePS, int AQuality, bool AAudio,
                   int AAudioFramePS, int AAudioBytesPS, const QString& AFileName) override;

protected:
    explicit TMFEncoderH264Camera(platform::media::PixelFormat input);
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
};

class TMFEncoderH264_YUY2 : public TMFEncoderH264Camera {
public:
    TMFEncoderH264_YUY2() : TMFEncoderH264Camera(platform::media::PixelFormat::Yuy2) {}
};

class TMFEncoderH264_NV12 : public TMFEncoderH264Camera {
public:
    TMFEncoderH264_NV12() : TMFEncoderH264Camera(platform::media::PixelFormat::Nv12) {}
};

class TMFEncoderH264_I420 : public TMFEncoderH264Camera {
public:
    TMFEncoderH264_I420() : TMFEncoderH264Camera(platform::media::PixelFormat::I420) {}
};
