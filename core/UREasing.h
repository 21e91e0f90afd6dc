#pragma once
// The easing curves that move keyframes, transitions and animations between two states.

// Curve identifiers as stored in project files and carried by the easing menus.
enum TREaseCurve : int {
    ecLinear = 0,
    ecBackIn,
    ecBackOut,
    ecBackInOut,
    ecBounceIn,
    ecBounceOut,
    ecCircIn,
    ecCircOut,
    ecCircInOut,
    ecCubicIn,
    ecCubicOut,
    ecCubicInOut,
    ecElasticIn,
    ecElasticOut,
    ecExpoIn,
    ecExpoOut,
    ecExpoInOut,
    ecQuadIn,
    ecQuadOut,
    ecQuadInOut,
    ecQuartIn,
    ecQuartOut,
    ecQuartInOut,
    ecQuintIn,
    ecQuintOut,
    ecQuintInOut,
    ecSineIn,
    ecSineOut,
    ecSineInOut,
};
inline constexpr int EaseCurveCount = 29;

// b + c * g(t) for the shape g of the curve; t is the elapsed fraction (0..1) of the animation.
// An identifier outside 0..28 means Linear. Pure and allocation-free: safe from any thread.
// The Circ curves clamp their square root at 0, so t slightly outside 0..1 stays finite.
double Ease(double t, int curve, double b, double c);
