#pragma once
// Camera frames of one format to BGRA: YUY2 by the codec kernels (BT.709 video range) in whole
// 16-pixel blocks, NV12, I420 and UYVY by the colour converter, RGB layouts row by row as the
// driver gives them (top row first); MJPEG frames are decoded to I420 first.

#include "core/URSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TMFColorConverter;
namespace platform::camera {
class MjpegDecoder;
}

class TWebCamFrameConverter {
public:
    TWebCamFrameConverter();
    ~TWebCamFrameConverter();
    TWebCamFrameConverter(const TWebCamFrameConverter&) = delete;
    TWebCamFrameConverter& operator=(const TWebCamFrameConverter&) = delete;

    // Prepares for frames of a subtype and size whose first plane has `stride` bytes per row.
    void Setup(const TRGuid& subType, int width, int height, int stride);
    // The layout frames have after Decode: the camera's own, or I420 for MJPEG.
    const TRGuid& DecodedType() const { return FDecodedType; }
    // Bytes per row of the first plane after Decode.
    int DecodedStride() const;
    // MJPEG: decodes the frame and points `data` and `bytes` at the I420 picture; false when
    // the frame cannot be decoded. Other layouts: true, nothing changes.
    bool Decode(const uint8_t*& data, size_t& bytes);
    // Converts a decoded frame into `out` (width × height × 4 bytes); false when the frame is
    // too short or its layout unknown.
    bool ToBgra(const uint8_t* data, size_t bytes, uint8_t* out);

private:
    void Yuy2ToBgra(uint8_t* out);
    void RgbToBgra(const uint8_t* data, int bytesPerPixel, uint8_t* out) const;

    TRGuid FSubType{}, FDecodedType{};
    int W = 0, H = 0, S = 0, FStride = 0;
    std::unique_ptr<platform::camera::MjpegDecoder> FMjpeg;
    std::unique_ptr<TMFColorConverter> FConverter;
    std::vector<uint8_t> FDecoded;                       // an MJPEG frame as I420
    std::vector<uint8_t> FYuy2Work, FBgraWork, FScratch; // the kernels' 16-pixel blocks
};

// Copies `rows` rows of `width` bytes between pictures of other row steps; false when the
// source holds fewer bytes than that.
bool CopyPictureRows(const uint8_t* from, size_t fromBytes, int fromStride, uint8_t* to,
                     int toStride, int width, int rows);
