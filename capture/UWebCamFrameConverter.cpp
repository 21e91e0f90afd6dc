#include "capture/UWebCamFrameConverter.h"

#include "media/UMFColorConverter.h"
#include "media/UVideoCodec_obj.h"
#include "media/UWebCamApi.h"
#include "platform/camera/Mjpeg.h"

#include <cstring>

using platform::media::PixelFormat;

namespace {

// The converter's layout for the subtypes it converts (Unknown for the others).
PixelFormat ConverterInput(const TRGuid& subType) {
    if (SameGuid(subType, MFVideoFormat_NV12))
        return PixelFormat::Nv12;
    if (SameGuid(subType, MFVideoFormat_I420) || SameGuid(subType, MFVideoFormat_MJPG))
        return PixelFormat::I420;
    if (SameGuid(subType, MFVideoFormat_UYVY))
        return PixelFormat::Uyvy;
    return PixelFormat::Unknown;
}

} // namespace

bool CopyPictureRows(const uint8_t* from, size_t fromBytes, int fromStride, uint8_t* to,
                     int toStride, int width, int rows) {
    if (rows <= 0)
        return true;
    if (size_t(fromStride) * size_t(rows - 1) + size_t(width) > fromBytes)
        return false;
    for (int r = 0; r < rows; ++r)
        std::memcpy(to + size_t(r) * size_t(toStride), from + size_t(r) * size_t(fromStride),
                    size_t(width));
    return true;
}

TWebCamFrameConverter::TWebCamFrameConverter() = default;
TWebCamFrameConverter::~TWebCamFrameConverter() = default;

void TWebCamFrameConverter::Setup(const TRGuid& subType, int width, int height, int stride) {
    FSubType = subType;
    W = width;
    H = height;
    S = (W + 15) / 16 * 16;
    FStride = stride;
    const bool mjpeg = SameGuid(subType, MFVideoFormat_MJPG);
    FDecodedType = mjpeg ? MFVideoFormat_I420 : subType;
    FMjpeg.reset();
    FConverter.reset();
    if (SameGuid(subType, MFVideoFormat_YUY2)) {
        FYuy2Work.assign(size_t(S) * size_t(H) * 2, 0);
        FBgraWork.assign(size_t(S) * size_t(H) * 4, 0);
        FScratch.assign(48, 0);
    }
    if (mjpeg) {
        FMjpeg = std::make_unique<platform::camera::MjpegDecoder>();
        FDecoded.assign(size_t(W) * size_t(H) * 3 / 2, 0);
    }
    if (const PixelFormat input = ConverterInput(subType); input != PixelFormat::Unknown) {
        FConverter = std::make_unique<TMFColorConverter>();
        FConverter->SetParams(input, PixelFormat::Bgra, W, H);
        FConverter->StartEncode();
    }
}

int TWebCamFrameConverter::DecodedStride() const {
    return FMjpeg ? W : FStride;
}

bool TWebCamFrameConverter::Decode(const uint8_t*& data, size_t& bytes) {
    if (!FMjpeg)
        return true;
    if (!FMjpeg->decodeToI420(data, bytes, W, H, FDecoded.data()))
        return false;
    data = FDecoded.data();
    bytes = FDecoded.size();
    return true;
}

bool TWebCamFrameConverter::ToBgra(const uint8_t* data, size_t bytes, uint8_t* out) {
    if (SameGuid(FSubType, MFVideoFormat_YUY2)) {
        if (!CopyPictureRows(data, bytes, FStride, FYuy2Work.data(), S * 2, W * 2, H))
            return false;
        Yuy2ToBgra(out);
        return true;
    }
    if (FConverter) {
        const int64_t whole = platform::media::pictureBytes(ConverterInput(FSubType), W, H);
        return int64_t(bytes) >= whole && FConverter->ConvertVideoFrame(data, out, int(whole)) == 0;
    }
    const bool rgb32 =
        SameGuid(FSubType, MFVideoFormat_RGB32) || SameGuid(FSubType, MFVideoFormat_ARGB32);
    const int pixelBytes = rgb32 ? 4 : SameGuid(FSubType, MFVideoFormat_RGB24) ? 3 : 0;
    if (pixelBytes == 0 || size_t(FStride) * size_t(H - 1) + size_t(W) * pixelBytes > bytes)
        return false;
    RgbToBgra(data, pixelBytes, out);
    return true;
}

void TWebCamFrameConverter::Yuy2ToBgra(uint8_t* out) {
    // Whole 16-pixel blocks at the 16-pixel stride, then the picture's own width.
    const int blocks = S * H / 16;
    for (int b = 0; b < blocks; ++b) {
        Yuy2ToYuv444(FYuy2Work.data() + size_t(b) * 32, FScratch.data(), 16);
        Yuv444ToBgra(FScratch.data(), FBgraWork.data() + size_t(b) * 64, 16);
    }
    CopyPictureRows(FBgraWork.data(), FBgraWork.size(), S * 4, out, W * 4, W * 4, H);
}

void TWebCamFrameConverter::RgbToBgra(const uint8_t* data, int bytesPerPixel, uint8_t* out) const {
    // The driver's rows come top row first, as the frame is shown.
    for (int r = 0; r < H; ++r) {
        const uint8_t* from = data + size_t(r) * size_t(FStride);
        uint8_t* to = out + size_t(r) * size_t(W) * 4;
        for (int x = 0; x < W; ++x, from += bytesPerPixel, to += 4) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = 255;
        }
    }
}
