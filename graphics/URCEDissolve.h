// Dissolve: a pixel of "SourceOne" shows where the noise of "SourceTwo" (its straight red
// channel, 0..1) lies below the threshold `Size`: none at 0, all from 1 on.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Dissolve_Buffer {
    float Size;
};
static_assert(sizeof(TCE_Dissolve_Buffer) == 4);
static_assert(offsetof(TCE_Dissolve_Buffer, Size) == 0);

inline const QUuid CLSID_CEDissolve =
    QUuid(0xd02f4cf1, 0x6b4b, 0x4968, 0xa5, 0x12, 0xec, 0x3e, 0xcb, 0xf4, 0x8d, 0x42);

class TRCEDissolve : public TRCustomEffectOf<TRCEDissolve, TCE_Dissolve_Buffer> {
public:
    explicit TRCEDissolve(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
