// Circular: the masks of the transitions and the reflection. `WType` (nearest whole number)
// picks the shape that stays visible: 0 inside the circle of `Radius` about `Center`; 1 inside
// `Rectangle` (left, top, right, bottom); 2..5 wipes whose moving edge is the right, left,
// bottom or top edge of `Rectangle`; 6 the reflection band: the `BorderWidh` rows above row
// `Green` (the picture's height), fading from opacity `Red` at the bottom to 0; any other
// type leaves the picture. `Invert` 1 shows the outside instead. Along the edge, outside the
// shape (on the hidden side, or the visible one when inverted), a band of `BorderWidh` pixels,
// never wider than the shape, is drawn by `BorderType`: 0 the picture fading out towards the
// hidden area, 1 the colour (`Red`, `Green`, `Blue`), 2 the colour blending into the picture.
// So a shape covering the picture shows all of it (or, inverted, none) whatever the border.
// Edges are anti-aliased over one pixel. `Size` is not used.
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
