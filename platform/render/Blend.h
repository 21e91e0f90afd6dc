// Pixel arithmetic on premultiplied 32-bit BGRA pixels, for kernels' inner loops.
#pragma once

#include <cstdint>

namespace platform::render {

/// x / 255 rounded, for x in 0..255*255.
inline uint32_t div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

/// Every channel of `p` multiplied by a / 255.
inline uint32_t scalePixel(uint32_t p, uint32_t a) {
    const uint32_t rb = (p & 0x00ff00ffu) * a + 0x00800080u;
    const uint32_t ag = ((p >> 8) & 0x00ff00ffu) * a + 0x00800080u;
    return (((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu) |
           ((ag + ((ag >> 8) & 0x00ff00ffu)) & 0xff00ff00u);
}

/// `src` over `dst`.
inline uint32_t sourceOver(uint32_t src, uint32_t dst) {
    const uint32_t sa = src >> 24;
    if (sa == 255)
        return src;
    if (sa == 0 && src == 0)
        return dst;
    return src + scalePixel(dst, 255 - sa);
}

} // namespace platform::render
