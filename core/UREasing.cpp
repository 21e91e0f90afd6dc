#include "core/UREasing.h"

#include <cmath>

namespace {

constexpr double BackOvershoot = 1.70158;
constexpr double BackInOutOvershoot = 2.5949095;
constexpr double BounceFactor = 7.5625;
constexpr double ElasticPeriod = 0.25;
constexpr double ElasticShift = ElasticPeriod / 4;
constexpr double HalfPi = 1.5707963267948966;
constexpr double Pi = 3.141592653589793;
constexpr double TwoPi = 6.283185307179586;

double Root(double x) {
    return std::sqrt(x > 0 ? x : 0);
}

double BounceOut(double t) {
    if (t < 1 / 2.75)
        return BounceFactor * t * t;
    if (t < 2 / 2.75) {
        const double u = t - 1.5 / 2.75;
        return BounceFactor * u * u + 0.75;
    }
    if (t < 2.5 / 2.75) {
        const double u = t - 2.25 / 2.75;
        return BounceFactor * u * u + 0.9375;
    }
    const double u = t - 2.625 / 2.75;
    return BounceFactor * u * u + 0.984375;
}

double BackInOut(double t) {
    const double u = t / 0.5;
    if (u < 1)
        return 0.5 * u * u * ((BackInOutOvershoot + 1) * u - BackInOutOvershoot);
    const double v = u - 2;
    return 0.5 * (v * v * ((BackInOutOvershoot + 1) * v + BackInOutOvershoot) + 2);
}

double CircInOut(double t) {
    const double u = t / 0.5;
    if (u < 1)
        return 0.5 * (1 - Root(1 - u * u));
    const double v = u - 2;
    return 0.5 * (Root(1 - v * v) + 1);
}

// The InOut shape of the power curves t^n: half an In curve, then half an Out curve.
double PowerInOut(double t, int n) {
    const double u = t / 0.5;
    if (u < 1)
        return 0.5 * std::pow(u, n);
    const double v = u - 2;
    return n % 2 ? 0.5 * (std::pow(v, n) + 2) : -0.5 * (std::pow(v, n) - 2);
}

double PowerOut(double t, int n) {
    const double u = t - 1;
    return n % 2 ? std::pow(u, n) + 1 : -(std::pow(u, n) - 1);
}

double ElasticIn(double t) {
    if (t == 0 || t == 1)
        return t;
    const double u = t - 1;
    return -std::exp2(10 * u) * std::sin((u - ElasticShift) * TwoPi / ElasticPeriod);
}

double ElasticOut(double t) {
    if (t == 0 || t == 1)
        return t;
    return std::exp2(-10 * t) * std::sin((t - ElasticShift) * TwoPi / ElasticPeriod) + 1;
}

double ExpoInOut(double t) {
    if (t == 0 || t == 1)
        return t;
    const double u = t / 0.5;
    if (u < 1)
        return 0.5 * std::exp2(10 * (u - 1)) - 0.0005;
    return 0.5 * 1.0005 * (2 - std::exp2(-10 * (u - 1)));
}

double QuadInOut(double t) {
    const double u = t / 0.5;
    if (u < 1)
        return 0.5 * u * u;
    const double v = u - 1;
    return -0.5 * (v * (v - 2) - 1);
}

double Shape(double t, int curve) {
    switch (curve) {
    case ecBackIn:
        return t * t * ((BackOvershoot + 1) * t - BackOvershoot);
    case ecBackOut: {
        const double u = t - 1;
        return u * u * ((BackOvershoot + 1) * u + BackOvershoot) + 1;
    }
    case ecBackInOut:
        return BackInOut(t);
    case ecBounceIn:
        return 1 - BounceOut(1 - t);
    case ecBounceOut:
        return BounceOut(t);
    case ecCircIn:
        return 1 - Root(1 - t * t);
    case ecCircOut:
        return Root(1 - (t - 1) * (t - 1));
    case ecCircInOut:
        return CircInOut(t);
    case ecCubicIn:
        return t * t * t;
    case ecCubicOut:
        return PowerOut(t, 3);
    case ecCubicInOut:
        return PowerInOut(t, 3);
    case ecElasticIn:
        return ElasticIn(t);
    case ecElasticOut:
        return ElasticOut(t);
    case ecExpoIn:
        return t == 0 ? 0 : std::exp2(10 * (t - 1)) - 0.001;
    case ecExpoOut:
        return t == 1 ? 1 : 1.001 * (1 - std::exp2(-10 * t));
    case ecExpoInOut:
        return ExpoInOut(t);
    case ecQuadIn:
        return t * t;
    case ecQuadOut:
        return -t * (t - 2);
    case ecQuadInOut:
        return QuadInOut(t);
    case ecQuartIn:
        return t * t * t * t;
    case ecQuartOut:
        return PowerOut(t, 4);
    case ecQuartInOut:
        return PowerInOut(t, 4);
    case ecQuintIn:
        return t * t * t * t * t;
    case ecQuintOut:
        return PowerOut(t, 5);
    case ecQuintInOut:
        return PowerInOut(t, 5);
    case ecSineIn:
        return 1 - std::cos(t * HalfPi);
    case ecSineOut:
        return std::sin(t * HalfPi);
    case ecSineInOut:
        return 0.5 * (1 - std::cos(Pi * t));
    default:
        return t;
    }
}

} // namespace

double Ease(double t, int curve, double b, double c) {
    return b + c * Shape(t, curve);
}
