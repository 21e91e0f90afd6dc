// Converts one raw camera or decoder picture (NV12, UYVY, I420) to top-down RGB32 (BGRA).
#pragma once

#include "platform/media/MediaType.h"
#include "platform/media/VideoConverter.h"

#include <cstdint>

class TMFColorConverter {
public:
    TMFColorConverter() = default;
    ~TMFColorConverter() { StopEncode(); }

    // Stores the layouts and the size; the converter must be started again afterwards.
    void SetParams(platform::media::PixelFormat input, platform::media::PixelFormat output,
                   int width, int height);
    // 0 on success, 1 when the conversion cannot be set up.
    int StartEncode();
    // Converts a picture of `length` bytes into `out` (width × height × 4 bytes, top row first).
    // 0 on success; 1 when not started or `length` is not a whole picture of the input layout
    // (nothing is written).
    int ConvertVideoFrame(const uint8_t* in, uint8_t* out, int length, bool dataYuy2 = false);
    void StopEncode();

    bool IsValid() const { return m_valid; }
    int BufferSizeIn() const { return m_buffersizein; }

    int FVideoFramePS = 30;
    int FWidth = 0;
    int FHeight = 0;
    platform::media::PixelFormat FInputGuid = platform::media::PixelFormat::Nv12;
    platform::media::PixelFormat FOutputGuid = platform::media::PixelFormat::Bgra;

private:
    bool m_valid = false;
    int m_buffersizein = 0;
    int m_buffersizeout = 0;
    platform::media::VideoConverter m_converter;
};
