#include "platform/render/Types.h"

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
