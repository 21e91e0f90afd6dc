// Small inputs and pixel comparisons shared by the effect tests (built-in and custom).
#pragma once

#include "platform/render/Bitmap.h"
#include "platform/render/Effect.h"
#include "platform/render/Factory.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace effectstest {

using namespace platform::render;

/// A premultiplied pixel from straight components 0..255.
inline uint32_t straight(int a, int r, int g, int b) {
    auto pre = [a](int c) { return uint32_t((c * a + 127) / 255); };
    return (uint32_t(a) << 24) | (pre(r) << 16) | (pre(g) << 8) | pre(b);
}
inline uint32_t opaque(int r, int g, int b) {
    return straight(255, r, g, b);
}
inline uint32_t grey(int v) {
    return opaque(v, v, v);
}

inline int channel(uint32_t p, int shift) {
    return int((p >> shift) & 0xff);
}

inline bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(channel(a, shift) - channel(b, shift)) > tolerance)
            return false;
    return true;
}

inline QString hex(uint32_t v) {
    return QString::number(v, 16).rightJustified(8, '0');
}

/// A w x h bitmap whose pixel (x, y) is f(x, y) (premultiplied 0xAARRGGBB).
inline BitmapPtr bitmapFrom(int w, int h, const std::function<uint32_t(int, int)>& f) {
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y * w + x)] = f(x, y);
    return Bitmap::create({uint32_t(w), uint32_t(h)}, {}, pixels.data(), w * 4);
}

/// Reproducible, varied pixels (opaque and translucent) for comparisons between renders.
inline BitmapPtr noiseBitmap(int w, int h) {
    return bitmapFrom(w, h, [](int x, int y) {
        uint32_t v = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
        v ^= v >> 13;
        v *= 0x5bd1e995u;
        return straight(int(v >> 24) | 0x40, int(v & 0xff), int((v >> 8) & 0xff),
                        int((v >> 16) & 0xff));
    });
}

/// Whether `a` and `b` agree within `tolerance` on every pixel of `area`.
inline ::testing::AssertionResult tilesNear(const ImageTile& a, const ImageTile& b,
                                            const RectL& area, int tolerance) {
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            if (!near(a.pixelAt(x, y), b.pixelAt(x, y), tolerance))
                return ::testing::AssertionFailure()
                       << "at (" << x << ", " << y << "): " << hex(a.pixelAt(x, y)).toStdString()
                       << " vs " << hex(b.pixelAt(x, y)).toStdString();
    return ::testing::AssertionSuccess();
}

/// An input that remembers every region it was asked to render.
class CountingImage : public Image {
public:
    explicit CountingImage(BitmapPtr bitmap) : bitmap_(std::move(bitmap)) {}
    RectL bounds() const override { return bitmap_->bounds(); }
    ImageTile render(const RectL& region) const override {
        requested.push_back(region);
        return bitmap_->render(region);
    }
    mutable std::vector<RectL> requested;

private:
    BitmapPtr bitmap_;
};

/// An effect of `id` from a fresh factory with `input` as input 0.
inline EffectPtr effectOn(const FactoryPtr& factory, const QUuid& id, ImagePtr input) {
    EffectPtr e = factory->createEffect(id);
    if (e && input)
        e->setInput(0, std::move(input));
    return e;
}

} // namespace effectstest
