// The standard image effects every Factory registers beside the pass-through pieces of
// BuiltinEffects.h: blurs, shadow, 3-D and scale transforms, noise, displacement, flood and
// colour effects. Each class keeps the property indices, types and default values that the
// common desktop effect set documents for the effect of that kind, so code written against
// that documentation sets the same index to the same meaning. Defaults are given beside each
// property; enums are uint32_t values (booleans too: 0 false, 1 true).
#pragma once

#include "platform/render/Effect.h"

#include <QUuid>
#include <functional>
#include <memory>
#include <vector>

namespace platform::render::effects {

namespace detail {
constexpr QUuid standardId(uchar n) {
    return QUuid(0x5c2b7a10, 0x3f41, 0x4d8e, 0x9a, 0x1c, 0x2e, 0x71, 0x40, 0x6b, 0x88, n);
}
} // namespace detail

/// Soft: pixels beyond the input are transparent, the result fades out past the input's edge
/// and grows by the filter's reach. Hard: the input is mirrored at its edges and the result
/// keeps the input's bounds.
enum BorderMode : uint32_t { BorderSoft = 0, BorderHard = 1 };

/// Gaussian blur. 0 "StandardDeviation" (Float, 3; capped at 250), 1 "Optimization" (Enum,
/// 1; accepted, every setting gives the same result), 2 "BorderMode" (Enum, BorderSoft).
inline constexpr QUuid GaussianBlur = detail::standardId(0x10);
enum GaussianBlurProperty {
    GaussianBlurStandardDeviation = 0,
    GaussianBlurOptimization = 1,
    GaussianBlurBorderMode = 2
};

/// Directional blur: a one-dimensional Gaussian along a direction. 0 "StandardDeviation"
/// (Float, 3; capped at 250), 1 "Angle" (Float degrees counter-clockwise from the x axis, 0),
/// 2 "Optimization" (Enum, 1; accepted), 3 "BorderMode" (Enum, BorderSoft).
inline constexpr QUuid DirectionalBlur = detail::standardId(0x11);
enum DirectionalBlurProperty {
    DirectionalBlurStandardDeviation = 0,
    DirectionalBlurAngle = 1,
    DirectionalBlurOptimization = 2,
    DirectionalBlurBorderMode = 3
};

/// Shadow: input 0's alpha blurred (soft border) and filled with a colour.
/// 0 "BlurStandardDeviation" (Float, 3), 1 "Color" (Vector4 straight r, g, b, a; (0, 0, 0, 1)),
/// 2 "Optimization" (Enum, 1; accepted).
inline constexpr QUuid Shadow = detail::standardId(0x12);
enum ShadowProperty { ShadowBlurStandardDeviation = 0, ShadowColor = 1, ShadowOptimization = 2 };

/// 3D perspective transform: input 0 rotated in 3-D and seen in perspective. 0
/// "InterpolationMode" (Enum Interpolation, Linear), 1 "BorderMode" (Enum, BorderSoft;
/// accepted), 2 "Depth" (Float, 1000), 3 "PerspectiveOrigin" (Vector2, (0, 0)), 4 "LocalOffset"
/// (Vector3, 0), 5 "GlobalOffset" (Vector3, 0), 6 "RotationOrigin" (Vector3, 0), 7 "Rotation"
/// (Vector3 degrees about x, y, z, applied in that order; 0).
inline constexpr QUuid PerspectiveTransform3D = detail::standardId(0x13);
enum PerspectiveTransformProperty {
    PerspectiveInterpolation = 0,
    PerspectiveBorderMode = 1,
    PerspectiveDepth = 2,
    PerspectiveOrigin = 3,
    PerspectiveLocalOffset = 4,
    PerspectiveGlobalOffset = 5,
    PerspectiveRotationOrigin = 6,
    PerspectiveRotation = 7
};

/// 3D transform: input 0 (the z = 0 plane) mapped through a 4x4 matrix (row vectors) with
/// the perspective divide. 0 "InterpolationMode" (Enum Interpolation, Linear), 1
/// "BorderMode" (Enum, BorderSoft; accepted), 2 "TransformMatrix" (Matrix4x4, identity).
inline constexpr QUuid Transform3D = detail::standardId(0x14);
enum Transform3DProperty {
    Transform3DInterpolation = 0,
    Transform3DBorderMode = 1,
    Transform3DMatrix = 2
};

/// Scale: input 0 scaled about a centre point. 0 "Scale" (Vector2, (1, 1)), 1 "CenterPoint"
/// (Vector2, (0, 0)), 2 "InterpolationMode" (Enum Interpolation, Linear; values above
/// Cubic sample as Cubic), 3 "BorderMode" (Enum, BorderSoft; accepted), 4 "Sharpness" (Float,
/// 0; accepted).
inline constexpr QUuid Scale = detail::standardId(0x15);
enum ScaleProperty {
    ScaleAmount = 0,
    ScaleCenterPoint = 1,
    ScaleInterpolation = 2,
    ScaleBorderMode = 3,
    ScaleSharpness = 4
};

/// Turbulence: Perlin noise (the classic lattice-gradient turbulence of vector graphics
/// filters), reproducible for the same properties and independent of the region drawn. No
/// input. 0 "Offset" (Vector2, (0, 0)), 1 "Size" (Vector2 pixels, (0, 0): nothing drawn until
/// set), 2 "BaseFrequency" (Vector2, (0.01, 0.01)), 3 "NumOctaves" (Enum, 1), 4 "Seed" (Enum,
/// 0), 5 "Noise" (Enum TurbulenceNoise, FractalSum), 6 "Stitchable" (Enum 0/1, 0).
inline constexpr QUuid Turbulence = detail::standardId(0x16);
enum TurbulenceProperty {
    TurbulenceOffset = 0,
    TurbulenceSize = 1,
    TurbulenceBaseFrequency = 2,
    TurbulenceOctaves = 3,
    TurbulenceSeed = 4,
    TurbulenceNoise = 5,
    TurbulenceStitchable = 6
};
enum TurbulenceNoiseKind : uint32_t { NoiseFractalSum = 0, NoiseTurbulence = 1 };

/// Displacement map: input 0 sampled at (x + s * (X - 0.5), y + s * (Y - 0.5)) where X and Y
/// are channels of input 1 (straight colour) at (x, y). 0 "Scale" (Float s, 0), 1
/// "XChannelSelect" (Enum Channel, ChannelA), 2 "YChannelSelect" (Enum Channel, ChannelA).
inline constexpr QUuid DisplacementMap = detail::standardId(0x17);
enum DisplacementMapProperty {
    DisplacementScale = 0,
    DisplacementXChannel = 1,
    DisplacementYChannel = 2
};
enum Channel : uint32_t { ChannelR = 0, ChannelG = 1, ChannelB = 2, ChannelA = 3 };

/// Flood: an unbounded plane of one colour. No input. 0 "Color" (Vector4 r, g, b, a taken as
/// premultiplied, each clamped to 0..1 and the colour to its alpha; (0, 0, 0, 1)).
inline constexpr QUuid Flood = detail::standardId(0x18);
enum FloodProperty { FloodColor = 0 };

/// Sepia tone. 0 "Intensity" (Float 0..1, 0.5), 1 "AlphaMode" (Enum, 1 premultiplied;
/// accepted).
inline constexpr QUuid Sepia = detail::standardId(0x19);
enum SepiaProperty { SepiaIntensity = 0, SepiaAlphaMode = 1 };

/// Emboss: a grey relief of the luminance, lit along a direction; alpha kept. 0 "Height"
/// (Float 0..10, 1), 1 "Direction" (Float degrees counter-clockwise from the x axis, 0).
inline constexpr QUuid Emboss = detail::standardId(0x1a);
enum EmbossProperty { EmbossHeight = 0, EmbossDirection = 1 };

/// Vignette: the image's edges fade towards a colour. 0 "Color" (Vector4 straight, (0, 0, 0,
/// 1)), 1 "TransitionSize" (Float 0..1, 0.1), 2 "Strength" (Float 0..1, 0.5).
inline constexpr QUuid Vignette = detail::standardId(0x1b);
enum VignetteProperty { VignetteColor = 0, VignetteTransitionSize = 1, VignetteStrength = 2 };

/// Saturation: 0 grey .. 1 unchanged (the standard luminance-preserving saturation matrix).
/// 0 "Saturation" (Float, 0.5).
inline constexpr QUuid Saturation = detail::standardId(0x1c);
enum SaturationProperty { SaturationAmount = 0 };

/// Makes kernels of type `Kernel` for an EffectClass.
template <class Kernel> std::function<std::unique_ptr<EffectKernel>()> kernelMaker() {
    return [] { return std::make_unique<Kernel>(); };
}

/// The classes above, for the built-in registration.
std::vector<EffectClass> standardClasses();

/// Each file of kernels contributes its classes.
std::vector<EffectClass> blurClasses();
std::vector<EffectClass> transformClasses();
std::vector<EffectClass> noiseClasses();
std::vector<EffectClass> colorClasses();

} // namespace platform::render::effects
