#pragma once
// Small pictures for the filter tests, and reading a filter's output back.

#include "imagekit/IKFilter.h"

#include <QImage>
#include <functional>

namespace ikfilters {

// A width x height picture whose premultiplied pixels `pixel(x, y)` gives.
inline std::unique_ptr<TIKImage> Picture(int width, int height,
                                         const std::function<QRgb(int, int)>& pixel) {
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, pixel(x, y));
    return TIKImage::CreateWithGPBitmap(picture);
}

inline std::unique_ptr<TIKImage> Solid(int width, int height, QRgb color) {
    return Picture(width, height, [color](int, int) { return color; });
}

inline TIKValue ImageValue(TIKImage* image) {
    return TIKValue(static_cast<QObject*>(image));
}

// The filter's rendered output, upright.
inline QImage Rendered(TIKFilter& filter) {
    return filter.OutputImage()->Bitmap();
}

inline bool SameRect(const TIKRect& a, const TIKRect& b, float tolerance = 1e-3f) {
    return std::fabs(a.X - b.X) <= tolerance && std::fabs(a.Y - b.Y) <= tolerance &&
           std::fabs(a.Width - b.Width) <= tolerance && std::fabs(a.Height - b.Height) <= tolerance;
}

inline std::string Text(const TIKRect& r) {
    return "(" + std::to_string(r.X) + ", " + std::to_string(r.Y) + ", " + std::to_string(r.Width) +
           ", " + std::to_string(r.Height) + ")";
}

// The error text `f` raises, or "no error".
template <class F> std::string ErrorOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace ikfilters
