// Circular: masks of the transitions and the reflection (kinds by `WType`, see the program).
#pragma once

#include "graphics/URCustomEffect.h"

#include <cstddef>

struct TCE_Circular_Buffer {
    float WType;
    TD2D_VECTOR_2F Size;
    float Invert;
    TD2D_VECTOR_2F Center;
    float Radius;
    float BorderWidh;
    TD2D_VECTOR_4F Rectangle;
    float BorderType;
    float Red;
    float Green;
    float Blue;
};
static_assert(sizeof(TCE_Circular_Buffer) == 64);
static_assert(offsetof(TCE_Circular_Buffer, WType) == 0);
static_assert(offsetof(TCE_Circular_Buffer, Size) == 4);
static_assert(offsetof(TCE_Circular_Buffer, Invert) == 12);
static_assert(offsetof(TCE_Circular_Buffer, Center) == 16);
static_assert(offsetof(TCE_Circular_Buffer, Radius) == 24);
static_assert(offsetof(TCE_Circular_Buffer, BorderWidh) == 28);
static_assert(offsetof(TCE_Circular_Buffer, Rectangle) == 32);
static_assert(offsetof(TCE_Circular_Buffer, BorderType) == 48);
static_assert(offsetof(TCE_Circular_Buffer, Red) == 52);
static_assert(offsetof(TCE_Circular_Buffer, Green) == 56);
static_assert(offsetof(TCE_Circular_Buffer, Blue) == 60);

inline const QUuid CLSID_CECircular =
    QUuid(0xfd3b30e0, 0x11ee, 0x435f, 0x80, 0x07, 0x49, 0x53, 0x74, 0x16, 0x36, 0xb8);

class TRCECircular : public TRCustomEffectOf<TRCECircular, TCE_Circular_Buffer> {
public:
    explicit TRCECircular(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {}
    static const TRCustomEffectInfo& Info();
    /// The pixel program, found by the shader identifier of the class.
    static TRPixelShader Shader();
};
