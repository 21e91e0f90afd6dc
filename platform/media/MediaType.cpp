#include "platform/media/MediaType.h"

namespace platform::media {

int Rational::rounded(int fallback) const {
    if (!isValid())
        return fallback;
    return int((num + den / 2) / den);
}

int64_t pictureBytes(PixelFormat format, int width, int height) {
    const int64_t pixels = int64_t(width) * height;
    const int64_t chroma = int64_t((width + 1) / 2) * ((height + 1) / 2);
    switch (format) {
    case PixelFormat::Bgra:
        return pixels * 4;
    case PixelFormat::Bgr24:
        return pixels * 3;
    case PixelFormat::Yuy2:
    case PixelFormat::Uyvy:
        return int64_t((width + 1) / 2) * 4 * height;
    case PixelFormat::Nv12:
    case PixelFormat::I420:
        return pixels + 2 * chroma;
    case PixelFormat::Unknown:
        break;
    }
    return 0;
}

} // namespace platform::media
