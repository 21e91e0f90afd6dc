// The placement group's geometry: the rotation matrix, corners seen in perspective from 1000 px
// in front of the frame's centre, the edge-sign hit test, and the images of DrawRotations and
// DrawOpacity. Expected corners and pixels are worked out by hand from the rotation rows and
// w = 1 - z / 1000, x' = (x + Px) / w - Px.
#include "objects/URPropPlacement.h"
#include "platform/render/Image.h"
#include "tests/objects/SceneTestContext.h"

#include <gtest/gtest.h>
#include <memory>

using namespace platform::render;

namespace {

std::unique_ptr<TRPropPlacement> Placed(QPointF position, QSizeF size, float rx, float ry,
                                        float rz) {
    auto p = std::make_unique<TRPropPlacement>();
    p->FPosition = position;
    p->FSize = size;
    p->FRotationX = rx;
    p->FRotationY = ry;
    p->FRotationZ = rz;
    return p;
}

void ExpectCorners(const TRTransformedPoints& got, const std::array<QPointF, 4>& want) {
    EXPECT_EQ(got[0], QPointF(0, 0));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i + 1].x(), want[i].x(), 1e-3) << "corner " << i + 1;
        EXPECT_NEAR(got[i + 1].y(), want[i].y(), 1e-3) << "corner " << i + 1;
    }
}

} // namespace

TEST(PlacementGroup, RotationMatrixTurnsAboutXThenYThenZ) {
    const auto p = Placed({}, {100, 50}, 90, 90, 0);
    p->FIntrinsicRotations = true;
    const Matrix4x4 r = p->GetRotationsMatrix();
    EXPECT_FALSE(p->FIntrinsicRotations);
    // (0, 1, 0): about x by 90 gives (0, 0, 1); about y by 90 that gives (1, 0, 0).
    EXPECT_NEAR(r.m[1][0], 1, 1e-6);
    EXPECT_NEAR(r.m[1][1], 0, 1e-6);
    EXPECT_NEAR(r.m[1][2], 0, 1e-6);
    // (1, 0, 0): x leaves it; about y by 90 it gives (0, 0, -1).
    EXPECT_NEAR(r.m[0][2], -1, 1e-6);
    // Z only: the rows (c, s), (-s, c).
    const Matrix4x4 z = Placed({}, {100, 50}, 0, 0, 30)->GetRotationsMatrix();
    EXPECT_NEAR(z.m[0][1], 0.5, 1e-6);
    EXPECT_NEAR(z.m[1][0], -0.5, 1e-6);
}

TEST(PlacementGroup, SavesTheIntrinsicFlagOffAfterDrawingTurned) {
    SceneTestContext scene;
    const auto p = Placed({}, {10, 10}, 20, 0, 0);
    p->FIntrinsicRotations = true;
    p->DrawRotations(SolidPicture(10, 10, Qt::red), 10, 10);
    EXPECT_FALSE(p->FIntrinsicRotations);
}

TEST(PlacementGroup, CornersAreProjectedAboutTheFrameCentre) {
    struct Case {
        const char* what;
        QPointF position;
        float rx, ry, rz;
        std::array<QPointF, 4> corners; // TL, TR, BR, BL of a 100 x 50 object
    };
    const Case cases[] = {
        {"no rotation", {200, 100}, 0, 0, 0, {{{-50, -25}, {50, -25}, {50, 25}, {-50, 25}}}},
        // Z only: w stays 1, corners merely turned: (x, y) -> (-y, x) for 90 degrees.
        {"z only", {300, 0}, 0, 0, 90, {{{25, -50}, {25, 50}, {-25, 50}, {-25, -50}}}},
        // About y by 60 at (200, 100): the left edge comes 43.30 px nearer (w 0.95670), the
        // right one goes away (w 1.04330); x' = (-25 + 200) / 0.95670 - 200 = -17.0793.
        {"y 60 off centre",
         {200, 100},
         0,
         60,
         0,
         {{{-17.0793, -21.6054}, {15.6616, -28.1128}, {15.6616, 19.8120}, {-17.0793, 30.6576}}}},
        // About x by 45 at (200, 100): the top edge recedes (w 1.01768), the bottom one nears.
        {"x 45 off centre",
         {200, 100},
         45,
         0,
         0,
         {{{-52.6056, -19.1077}, {45.6574, -19.1077}, {54.4989, 19.7954}, {-47.3006, 19.7954}}}},
        {"x 30 then y 40",
         {-300, -50},
         30,
         40,
         0,
         {{{-54.3322, -23.3047}, {41.0687, -18.7814}, {51.9344, 22.2762}, {-44.6442, 20.4166}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectCorners(Placed(c.position, {100, 50}, c.rx, c.ry, c.rz)->GetTransformedPoints(0),
                      c.corners);
    }
}

TEST(PlacementGroup, CornersGrowByTheBorderAndTheScale) {
    const auto p = Placed({}, {100, 50}, 0, 0, 0);
    p->FScale = 2;
    ExpectCorners(p->GetTransformedPoints(3), {{{-103, -53}, {103, -53}, {103, 53}, {-103, 53}}});
}

TEST(PlacementGroup, ACornerAtOrBehindTheEyeIsHeldJustInFront) {
    // 3000 px high, turned 90 degrees about x: the bottom edge reaches z = 1500, behind the eye
    // (w = -0.5); it is held at w = 0.01, so its x is 100 times its own, not mirrored.
    const TRTransformedPoints p = Placed({}, {240, 3000}, 90, 0, 0)->GetTransformedPoints(0);
    EXPECT_NEAR(p[3].x(), 120 / TRPropPlacement::MinProjectedW, 1e-2);
    EXPECT_NEAR(p[4].x(), -120 / TRPropPlacement::MinProjectedW, 1e-2);
    // The top edge is in front (z = -1500, w = 2.5).
    EXPECT_NEAR(p[1].x(), -120 / 2.5, 1e-3);
}

TEST(PlacementGroup, HitTestCountsEdgeSigns) {
    struct Case {
        const char* what;
        float ry;
        int x, y;
        TRHitScene expected;
    };
    // A 100 x 50 object at (10, 20); the view matrix shifts by (5, 5).
    const Case cases[] = {
        {"centre", 0, 15, 25, hsObject},
        {"on the top edge", 0, 15, 0, hsObject},
        {"on the left edge", 0, -35, 25, hsObject},
        {"a pixel above", 0, 15, -1, hsNone},
        {"beyond the right edge", 0, 66, 25, hsNone},
        {"mirrored: centre", 180, 15, 25, hsObject},
        {"mirrored: on the top edge", 180, 15, 0, hsNone},
    };
    const Matrix3x2 view = Matrix3x2::translation(5, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Placed({10, 20}, {100, 50}, 0, c.ry, 0)->TestHitOnScene(c.x, c.y, &view, 0),
                  c.expected);
    }
    // The border margin widens the outline; no matrix is the identity.
    const auto p = Placed({10, 20}, {100, 50}, 0, 0, 0);
    EXPECT_EQ(p->TestHitOnScene(62, 20, nullptr, 0), hsNone);
    EXPECT_EQ(p->TestHitOnScene(62, 20, nullptr, 3), hsObject);
}

TEST(PlacementGroup, TransformMatrices) {
    const auto p = Placed({30, -20}, {100, 50}, 0, 0, 90);
    EXPECT_EQ(p->GetTransformMatrix(), Matrix3x2::translation(30, -20));
    const PointF turned = p->GetTransformMatrixWithRZ().transformPoint({10, 0});
    EXPECT_NEAR(turned.x, 30, 1e-4);
    EXPECT_NEAR(turned.y, -10, 1e-4);
}

namespace {

uint8_t AlphaAt(const ImageTile& tile, int x, int y) {
    return uint8_t(tile.pixelAt(x, y) >> 24);
}

} // namespace

TEST(PlacementGroup, DrawRotationsLeavesAnUnturnedImageAlone) {
    SceneTestContext scene;
    const ImagePtr in = SolidPicture(20, 10, Qt::red);
    EXPECT_EQ(Placed({}, {20, 10}, 0, 0, 0)->DrawRotations(in, 20, 10), in);
}

TEST(PlacementGroup, DrawRotationsTurnsInTheImageFrame) {
    SceneTestContext scene;
    // Left half red, right half blue, 20 x 10, turned 90 degrees about z: a pixel (x, y) goes
    // to (15 - y, x - 5), so red lands in rows -5..5 and blue in 5..15, in columns 5..15.
    QImage halves(20, 10, QImage::Format_ARGB32_Premultiplied);
    halves.fill(Qt::red);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x)
            halves.setPixel(x, y, qRgb(0, 0, 255));
    const ImagePtr out =
        Placed({}, {20, 10}, 0, 0, 90)->DrawRotations(Bitmap::fromImage(halves), 20, 10);
    const ImageTile tile = out->render(RectL{-10, -10, 30, 30});
    EXPECT_EQ(tile.pixelAt(10, 0), 0xFFFF0000u);
    EXPECT_EQ(tile.pixelAt(10, 10), 0xFF0000FFu);
    EXPECT_EQ(AlphaAt(tile, 2, 5), 0);
    EXPECT_EQ(tile.pixelAt(10, -4), 0xFFFF0000u);
    EXPECT_EQ(AlphaAt(tile, 10, -7), 0);
}

TEST(PlacementGroup, DrawRotationsSeesTheImageFromTheFrameCentre) {
    SceneTestContext scene;
    // 100 x 50 at (200, 100) about y by 60: the corners above, moved by (50, 25) into the
    // image frame: TL (32.92, 3.39), TR (65.66, -3.11), BR (65.66, 44.81), BL (32.92, 55.66).
    const ImagePtr out = Placed({200, 100}, {100, 50}, 0, 60, 0)
                             ->DrawRotations(SolidPicture(100, 50, Qt::red), 100, 50);
    const ImageTile tile = out->render(RectL{0, -10, 100, 70});
    struct Key {
        int x, y;
        bool inside;
    };
    const Key keys[] = {{30, 30, false}, {34, 30, true}, {64, 30, true}, {67, 30, false},
                        {34, 1, false},  {34, 5, true},  {64, -2, true}, {64, -5, false},
                        {34, 54, true},  {34, 58, false}};
    for (const Key& k : keys)
        EXPECT_EQ(AlphaAt(tile, k.x, k.y), k.inside ? 255 : 0) << k.x << ", " << k.y;
}

TEST(PlacementGroup, DrawOpacityAppliesTheProductEvenWhenItIsOne) {
    SceneTestContext scene;
    TRPropPlacement p;
    const ImagePtr in = SolidPicture(4, 4, Qt::red);
    const ImagePtr same = p.DrawOpacity(in, 1);
    EXPECT_NE(same, in);
    EXPECT_EQ(same->render(RectL{0, 0, 4, 4}).pixelAt(1, 1), 0xFFFF0000u);
    p.FOpacity = 0.5f;
    // 0.5 x 0.5 of 255, premultiplied: 63.75.
    const uint32_t quarter = p.DrawOpacity(in, 0.5f)->render(RectL{0, 0, 4, 4}).pixelAt(1, 1);
    EXPECT_NEAR(int(quarter >> 24), 64, 1);
    EXPECT_NEAR(int((quarter >> 16) & 0xFF), 64, 1);
    EXPECT_EQ(quarter & 0xFFFF, 0u);
}
