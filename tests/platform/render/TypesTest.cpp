#include "platform/render/Types.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace platform::render;

TEST(Matrix3x2, RotationAboutCentreKeepsTheCentreAndTurnsClockwise) {
    const Matrix3x2 m = Matrix3x2::rotation(90, {10, 10});
    const PointF c = m.transformPoint({10, 10});
    EXPECT_NEAR(c.x, 10, 1e-4);
    EXPECT_NEAR(c.y, 10, 1e-4);
    const PointF p = m.transformPoint({20, 10}); // right of the centre goes below it on screen
    EXPECT_NEAR(p.x, 10, 1e-4);
    EXPECT_NEAR(p.y, 20, 1e-4);
}

TEST(Matrix3x2, InvertAndMultiply) {
    const Matrix3x2 m =
        Matrix3x2::scale(2, 3, {1, 1}) * Matrix3x2::rotation(30) * Matrix3x2::translation(5, -7);
    Matrix3x2 inv;
    ASSERT_TRUE(m.invert(inv));
    const PointF p = (m * inv).transformPoint({3, 4});
    EXPECT_NEAR(p.x, 3, 1e-4);
    EXPECT_NEAR(p.y, 4, 1e-4);
    Matrix3x2 untouched = Matrix3x2::translation(1, 1);
    EXPECT_FALSE(Matrix3x2::scale(0, 1).invert(untouched));
    EXPECT_EQ(untouched, Matrix3x2::translation(1, 1));
}

TEST(Matrix4x4, RotationsTurnTheExpectedAxes) {
    struct Case {
        Matrix4x4 m;
        int from, to; // row `from` of the identity becomes axis `to`
    };
    const Case cases[] = {{Matrix4x4::rotationX(90), 1, 2},
                          {Matrix4x4::rotationY(90), 2, 0},
                          {Matrix4x4::rotationZ(90), 0, 1}};
    for (const Case& c : cases)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(c.m.m[c.from][j], j == c.to ? 1 : 0, 1e-6);
}

TEST(Matrix4x4, PerspectiveShrinksWhatMovesAway) {
    // Rotating about y with perspective: the half turned away from the viewer gets smaller.
    const Matrix4x4 m = Matrix4x4::rotationY(30) * Matrix4x4::perspectiveProjection(1000);
    PointF left, right;
    ASSERT_TRUE(m.projectPoint({-100, 50}, left));
    ASSERT_TRUE(m.projectPoint({100, 50}, right));
    EXPECT_LT(std::abs(right.y), std::abs(left.y)); // x > 0 turns to negative z, away
    EXPECT_EQ(Matrix4x4::perspectiveProjection(0), Matrix4x4::identity());
}

TEST(RectL, CoveringSaturatesAndInfiniteStaysInfinite) {
    EXPECT_EQ(RectL::covering({0.5f, -0.5f, 2.1f, 3}), (RectL{0, -1, 3, 3}));
    EXPECT_TRUE(RectL::covering(RectF::infinite()).isInfinite());
    EXPECT_TRUE(RectL::infinite().inflated(5).isInfinite());
    EXPECT_EQ(RectL{}.united({1, 1, 2, 2}), (RectL{1, 1, 2, 2}));
}
