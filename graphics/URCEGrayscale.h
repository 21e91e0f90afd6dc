// Grayscale: the colour moved towards its luminance (0.299, 0.587, 0.114) by the amount
// (property "Grayscale", field `Amount`): 0 unchanged, 1 fully grey.
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Grayscale_Buffer {
    float Amount;
};
static_assert(sizeof(TCE_Grayscale_Buffer) == 4);
static_assert(offsetof(TCE_Grayscale_Buffer, Amount) == 0);

inline const QUuid CLSID_CEGrayscale =
    QUuid(0xbd705559, 0xa36e, 0x4e18, 0xa9, 0x83, 0x70, 0x6c, 0x68, 0xb6, 0x3c, 0x2b);

class TRCEGrayscale : public TRCustomEffectOf<TRCEGrayscale, TCE_Grayscale_Buffer> {
public:
    explicit TRCEGrayscale(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
