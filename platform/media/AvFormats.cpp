#include "platform/media/AvFormats.h"

namespace platform::media::detail {

AVPixelFormat toAvPixelFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bgra:
        return AV_PIX_FMT_BGRA;
    case PixelFormat::Bgr24:
        return AV_PIX_FMT_BGR24;
    case PixelFormat::Yuy2:
        return AV_PIX_FMT_YUYV422;
    case PixelFormat::Uyvy:
        return AV_PIX_FMT_UYVY422;
    case PixelFormat::Nv12:
        return AV_PIX_FMT_NV12;
    case PixelFormat::I420:
        return AV_PIX_FMT_YUV420P;
    case PixelFormat::Unknown:
        break;
    }
    return AV_PIX_FMT_NONE;
}

} // namespace platform::media::detail
