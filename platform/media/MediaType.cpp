#include "platform/media/MediaType.h"

#include <algorithm>

namespace platform::media {

int Rational::rounded(int fallback) const {
    if (!isValid())
        return fallback;
    return int((num + den / 2) / den);
}

void checkDecodedSize(int width, int height, int64_t totalPixels, int64_t fileBytes) {
    if (width <= 0 || height <= 0 || width > MaxCanvasSide || height > MaxCanvasSide)
        throw MediaError("The picture size " + std::to_string(width) + "x" +
                         std::to_string(height) + " is out of range");
    const int64_t allowed =
        MaxFreePixels + std::min<int64_t>(fileBytes, INT64_MAX / 8192) * MaxPixelsPerFileByte;
    if (totalPixels > allowed)
        throw MediaError("The file declares more picture than it can hold");
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
