// The easing curves: values at known points for all 29 curves, the out-of-range rule, the
// start/change arguments and the symmetry between In and Out curves.

#include "core/UREasing.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct EaseCase {
    int curve;
    double quarter; // g(0.25)
    double half;    // g(0.5)
    double end;     // g(1)
};

// Reference values computed from the curve formulas independently of the code under test.
const EaseCase Cases[] = {
    {0, 0.25, 0.5, 1},
    {1, -0.0641365625, -0.0876975, 1},
    {2, 0.8174096875, 1.0876975, 1},
    {3, -0.09968184375, 0.5, 1},
    {4, 0.02734375, 0.234375, 1},
    {5, 0.47265625, 0.765625, 1},
    {6, 0.031754163448145745, 0.1339745962155614, 1},
    {7, 0.66143782776614768, 0.8660254037844386, 1},
    {8, 0.066987298107780702, 0.5, 1},
    {9, 0.015625, 0.125, 1},
    {10, 0.578125, 0.875, 1},
    {11, 0.0625, 0.5, 1},
    {12, 0.0055242717280199029, 0.03125, 1},
    {13, 0.82322330470336313, 0.96875, 1},
    {14, 0.0045242717280199029, 0.03025, 0.999},
    {15, 0.82404652800806644, 0.96971875, 1},
    {16, 0.015125, 0.50025, 1},
    {17, 0.0625, 0.25, 1},
    {18, 0.4375, 0.75, 1},
    {19, 0.125, 0.5, 1},
    {20, 0.00390625, 0.0625, 1},
    {21, 0.68359375, 0.9375, 1},
    {22, 0.03125, 0.5, 1},
    {23, 0.0009765625, 0.03125, 1},
    {24, 0.7626953125, 0.96875, 1},
    {25, 0.015625, 0.5, 1},
    {26, 0.076120467488713262, 0.29289321881345243, 1},
    {27, 0.38268343236508978, 0.70710678118654746, 1},
    {28, 0.14644660940672621, 0.5, 1},
};
static_assert(std::size(Cases) == EaseCurveCount);

constexpr double Tolerance = 1e-12;

TEST(Easing, EveryCurveAtItsEndsAndKnownPoints) {
    for (const EaseCase& c : Cases) {
        SCOPED_TRACE(c.curve);
        EXPECT_NEAR(Ease(0, c.curve, 0, 1), 0.0, Tolerance);
        EXPECT_NEAR(Ease(0.25, c.curve, 0, 1), c.quarter, Tolerance);
        EXPECT_NEAR(Ease(0.5, c.curve, 0, 1), c.half, Tolerance);
        EXPECT_NEAR(Ease(1, c.curve, 0, 1), c.end, Tolerance);
    }
}

TEST(Easing, CurvesWithAnEndPointCaseReachTheirEndsExactly) {
    for (int curve : {ecElasticIn, ecElasticOut, ecExpoInOut}) {
        EXPECT_EQ(Ease(0, curve, 0, 1), 0.0);
        EXPECT_EQ(Ease(1, curve, 0, 1), 1.0);
    }
    EXPECT_EQ(Ease(1, ecExpoOut, 0, 1), 1.0);
    EXPECT_EQ(Ease(0, ecExpoIn, 0, 1), 0.0);
}

TEST(Easing, IdentifierOutOfRangeIsLinear) {
    for (int curve : {-1, 29, 1000, -1000})
        for (double t : {0.0, 0.3, 0.5, 1.0})
            EXPECT_EQ(Ease(t, curve, 2, 3), Ease(t, ecLinear, 2, 3));
    EXPECT_EQ(Ease(0.5, ecLinear, 0, 1), 0.5);
}

TEST(Easing, StartAndChangeScaleTheShape) {
    for (const EaseCase& c : Cases) {
        SCOPED_TRACE(c.curve);
        EXPECT_NEAR(Ease(0, c.curve, 10, -4), 10.0, Tolerance);
        EXPECT_NEAR(Ease(1, c.curve, 10, -4), 10.0 - 4 * c.end, Tolerance);
        EXPECT_NEAR(Ease(0.5, c.curve, 10, 0), 10.0, Tolerance);
    }
    EXPECT_NEAR(Ease(1, ecExpoIn, 10, -4), 6.004, Tolerance);
}

TEST(Easing, OutCurvesMirrorTheirInCurves) {
    const std::pair<int, int> pairs[] = {
        {ecBackIn, ecBackOut},   {ecBounceIn, ecBounceOut},   {ecCircIn, ecCircOut},
        {ecCubicIn, ecCubicOut}, {ecElasticIn, ecElasticOut}, {ecQuadIn, ecQuadOut},
        {ecQuartIn, ecQuartOut}, {ecQuintIn, ecQuintOut},     {ecSineIn, ecSineOut}};
    for (const auto& [in, out] : pairs)
        for (double t = 0; t <= 1.0; t += 0.0625)
            EXPECT_NEAR(Ease(t, out, 0, 1), 1 - Ease(1 - t, in, 0, 1), 1e-9) << in << " " << t;
}

TEST(Easing, BounceOutAtThreeQuarters) {
    EXPECT_EQ(Ease(0.75, ecBounceOut, 0, 1), 0.97265625);
}

TEST(Easing, CircCurvesStayFiniteJustOutsideTheUnitRange) {
    EXPECT_TRUE(std::isfinite(Ease(1.0000001, ecCircIn, 0, 1)));
    EXPECT_TRUE(std::isfinite(Ease(-0.0000001, ecCircOut, 0, 1)));
}

} // namespace
