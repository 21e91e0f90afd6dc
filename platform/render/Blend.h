// Pixel arithmetic on premultiplied 32-bit BGRA pixels, for kernels' inner loops.
#pragma once

#include <cstddef>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

/// Copies `count` pixels with every alpha set to 255, for pictures whose fourth byte carries
/// nothing (screens, cameras). Four pixels a step where the processor has the registers.
inline void copyOpaque(uint32_t* dst, const uint32_t* src, size_t count) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i alpha = _mm_set1_epi32(int32_t(0xff000000u));
    for (; i + 4 <= count; i += 4)
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(dst + i),
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), alpha));
#endif
    for (; i < count; ++i)
        dst[i] = src[i] | 0xff000000u;
}

} // namespace platform::render
