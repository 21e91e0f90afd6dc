// Small targets and pixel probes shared by the engine's pixel tests.
#pragma once

#include "platform/render/DeviceContext.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace rendertest {

using namespace platform::render;

/// A premultiplied pixel as 0xAARRGGBB.
inline uint32_t pixel(const Bitmap& b, int x, int y) {
    return reinterpret_cast<const uint32_t*>(b.image().constScanLine(y))[x];
}

/// Whether every channel of `a` and `b` differs by at most `tolerance`.
inline bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
            return false;
    return true;
}

inline QString hex(uint32_t v) {
    return QString::number(v, 16).rightJustified(8, '0');
}

/// A context drawing into a fresh transparent target of `w` x `h` pixels.
struct Canvas {
    explicit Canvas(uint32_t w = 16, uint32_t h = 16, BitmapProperties props = {})
        : context(DeviceContext::create(Factory::create())) {
        props.options = props.options | BitmapOptions::Target;
        target = Bitmap::create({w, h}, props);
        context->setTarget(target);
    }
    DeviceContextPtr context;
    BitmapPtr target;
};

struct Probe {
    int x, y;
    uint32_t expected;
};

} // namespace rendertest
