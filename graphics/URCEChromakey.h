// Chroma-Key: pixels whose straight colour lies within `Tolerance` of the key colour (`Red`,
// `Green`, `Blue`; all on the 0..255 scale, distance = the largest channel difference) become
// transparent; `Invert` 1 keys out every other pixel instead.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Chromakey_Buffer {
    float Tolerance;
    float Red;
    float Green;
    float Blue;
    float Invert;
};
static_assert(sizeof(TCE_Chromakey_Buffer) == 20);
static_assert(offsetof(TCE_Chromakey_Buffer, Tolerance) == 0);
static_assert(offsetof(TCE_Chromakey_Buffer, Red) == 4);
static_assert(offsetof(TCE_Chromakey_Buffer, Green) == 8);
static_assert(offsetof(TCE_Chromakey_Buffer, Blue) == 12);
static_assert(offsetof(TCE_Chromakey_Buffer, Invert) == 16);

inline const QUuid CLSID_CEChromakey =
    QUuid(0x19689703, 0x6e29, 0x4dd7, 0xbd, 0x2a, 0xea, 0xe1, 0xab, 0xe8, 0xbb, 0xca);

class TRCEChromakey : public TRCustomEffectOf<TRCEChromakey, TCE_Chromakey_Buffer> {
public:
    explicit TRCEChromakey(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
