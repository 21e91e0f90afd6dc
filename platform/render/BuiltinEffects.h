// The built-in effect classes every Factory registers, with their class ids and property
// indices. Each kernel passes pixels through or composites them; none allocates at creation.
#pragma once

#include "platform/render/Effect.h"

#include <QUuid>
#include <vector>

namespace platform::render::effects {

/// Crop: input 0 limited to a rectangle. Property 0 "Rect" (Vector4 left, top, right, bottom
/// in image pixels; unbounded by default).
inline constexpr QUuid Crop{0x5c2b7a10, 0x3f41, 0x4d8e, 0x9a, 0x1c, 0x2e,
                            0x71,       0x40,   0x6b,   0x88, 0x01};
enum CropProperty { CropRect = 0 };

/// Offset: input 0 moved by whole pixels. Property 0 "Offset" (Vector2, rounded to pixels).
inline constexpr QUuid Offset{0x5c2b7a10, 0x3f41, 0x4d8e, 0x9a, 0x1c, 0x2e,
                              0x71,       0x40,   0x6b,   0x88, 0x02};
enum OffsetProperty { OffsetAmount = 0 };

/// Composite: input 1 drawn source-over on input 0.
inline constexpr QUuid Composite{0x5c2b7a10, 0x3f41, 0x4d8e, 0x9a, 0x1c, 0x2e,
                                 0x71,       0x40,   0x6b,   0x88, 0x03};

/// 2D affine transform: input 0 mapped through a 3x2 matrix. Property 0 "InterpolationMode"
/// (Enum, an Interpolation value: 0 nearest, 1 linear (default), 2 cubic), property 1
/// "TransformMatrix" (Matrix3x2).
inline constexpr QUuid AffineTransform2D{0x5c2b7a10, 0x3f41, 0x4d8e, 0x9a, 0x1c, 0x2e,
                                         0x71,       0x40,   0x6b,   0x88, 0x04};
enum AffineTransformProperty { AffineInterpolation = 0, AffineMatrix = 1 };

/// The classes above, for Factory to register.
std::vector<EffectClass> builtinClasses();

} // namespace platform::render::effects
