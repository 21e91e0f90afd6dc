// Crop, affine transform, affine clamp and rotation on small pictures: extents worked out from
// the filters' rules, and where known pixels end up.
#include "imagekit/IKFilterCore.h"
#include "tests/imagekit/IKFilterPictures.h"

#include <QTransform>
#include <cmath>
#include <gtest/gtest.h>

using namespace ikfilters;

namespace {

const QRgb kRed = qRgba(255, 0, 0, 255);
const QRgb kBlue = qRgba(0, 0, 255, 255);
const QRgb kClear = qRgba(0, 0, 0, 0);

// Every pixel differs from its neighbours, so that any move shows.
QRgb Pattern(int x, int y) {
    return qRgba(10 + 20 * x, 10 + 20 * y, 100 + 5 * (x + y), 255);
}

void ExpectSamePixels(const QImage& a, const QImage& b) {
    ASSERT_EQ(a.size(), b.size());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << "," << y;
}

TEST(IKGeometryFilters, CropShowsTheInputAtTheSamePlace) {
    auto input = Picture(640, 480, Pattern);
    TIKCropFilter crop;
    EXPECT_EQ(crop.PropertyNames(), QStringList({"InputRect", "InputImage"}));
    EXPECT_EQ(crop.GetValue("InputRect").AsRect().Width, 100);
    crop.SetValue("InputImage", ImageValue(input.get()));
    QImage out = Rendered(crop);
    EXPECT_TRUE(SameRect(crop.OutputImage()->Extent(), {0, 0, 100, 100}));
    ASSERT_EQ(out.size(), QSize(100, 100));
    EXPECT_EQ(out.pixel(7, 9), Pattern(7, 9));

    crop.SetValue("InputRect", TIKValue(TIKRect{-10, -10, 50, 50}));
    out = Rendered(crop);
    EXPECT_TRUE(SameRect(crop.OutputImage()->Extent(), {-10, -10, 50, 50}));
    EXPECT_EQ(out.pixel(9, 30), kClear);
    EXPECT_EQ(out.pixel(30, 9), kClear);
    EXPECT_EQ(out.pixel(10, 10), Pattern(0, 0));
    EXPECT_EQ(out.pixel(49, 49), Pattern(39, 39));
}

TEST(IKGeometryFilters, IdentityAndClampLeaveThePictureAsItIs) {
    auto input = Picture(6, 4, Pattern);
    const QImage original = input->Bitmap();
    TIKAffineTransformFilter affine;
    affine.SetValue("InputImage", ImageValue(input.get()));
    ExpectSamePixels(Rendered(affine), original);
    EXPECT_TRUE(SameRect(affine.OutputImage()->Extent(), {0, 0, 6, 4}));

    TIKAffineClampFilter clamp;
    EXPECT_EQ(clamp.PropertyNames(), QStringList({"InputRect"}));
    clamp.SetValue("InputImage", ImageValue(input.get()));
    for (const TIKRect& units : {TIKRect{0, 0, 100, 100}, TIKRect{5, 5, 3, 17}}) {
        clamp.SetValue("InputRect", TIKValue(units));
        ExpectSamePixels(Rendered(clamp), original);
        EXPECT_TRUE(SameRect(clamp.OutputImage()->Extent(), {0, 0, 6, 4}));
    }
}

TEST(IKGeometryFilters, RotationTurnsCounterClockwiseAboutTheCentre) {
    // Left half red, right half blue.
    auto input = Picture(200, 100, [](int x, int) { return x < 100 ? kRed : kBlue; });
    TIKRotationFilter rotation;
    EXPECT_EQ(rotation.PropertyNames(),
              QStringList({"InputAngle", "InputAngle_Min", "InputAngle_Max", "InputImage"}));
    EXPECT_EQ(rotation.GetValue("InputAngle_Min").AsFloat(), -180);
    EXPECT_EQ(rotation.GetValue("InputAngle_Max").AsFloat(), 180);
    rotation.SetValue("InputImage", ImageValue(input.get()));
    QImage out = Rendered(rotation);
    EXPECT_EQ(out.pixel(20, 50), kRed);

    // Changing the angle after a first rendering renders the affine member again.
    rotation.SetValue("InputAngle", TIKValue(90.0));
    out = Rendered(rotation);
    EXPECT_TRUE(SameRect(rotation.OutputImage()->Extent(), {50, -50, 100, 200}))
        << Text(rotation.OutputImage()->Extent());
    ASSERT_EQ(out.size(), QSize(100, 200));
    // A quarter turn to the left puts the left half at the bottom.
    // Columns on both sides of x = 64 as well: a turned picture is drawn in column tiles.
    for (const int x : {1, 50, 63, 64, 98}) {
        EXPECT_EQ(out.pixel(x, 150), kRed) << x;
        EXPECT_EQ(out.pixel(x, 50), kBlue) << x;
    }

    auto square = Solid(100, 100, kRed);
    rotation.SetValue("InputImage", ImageValue(square.get()));
    rotation.SetValue("InputAngle", TIKValue(45.0));
    out = Rendered(rotation);
    const float half = 50 * std::sqrt(2.0f);
    EXPECT_TRUE(SameRect(rotation.OutputImage()->Extent(),
                         {50 - half, 50 - half, 2 * half, 2 * half}, 0.01f))
        << Text(rotation.OutputImage()->Extent());
    EXPECT_EQ(out.size(), QSize(141, 141));
    EXPECT_EQ(out.pixel(70, 70), kRed);
    EXPECT_EQ(out.pixel(3, 3), kClear);
    // Angles are not clamped.
    rotation.SetValue("InputAngle", TIKValue(200.0));
    EXPECT_EQ(rotation.GetValue("InputAngle").AsFloat(), 200);
}

TEST(IKGeometryFilters, TranslationsCountInHalfPixels) {
    auto input = Picture(4, 4, Pattern);
    const QImage original = input->Bitmap();
    TIKAffineTransformFilter affine;
    affine.SetValue("InputImage", ImageValue(input.get()));
    // m31 = 2 moves one pixel to the right; the pixels keep their place in the output.
    affine.SetValue("InputTransform", TIKValue(IKTranslateMatrix(2, 0)));
    ExpectSamePixels(Rendered(affine), original);
    EXPECT_TRUE(SameRect(affine.OutputImage()->Extent(), {1, 0, 4, 4}))
        << Text(affine.OutputImage()->Extent());
}

// The affine filters draw with Y pointing up: a positive m32 moves the picture up, and the
// extent follows it.
TEST(IKGeometryFilters, ExtentAndImageAgreeForVerticalMovesAndShears) {
    auto input = Picture(4, 4, Pattern);
    const QImage original = input->Bitmap();
    TIKAffineTransformFilter affine;
    affine.SetValue("InputImage", ImageValue(input.get()));
    affine.SetValue("InputTransform", TIKValue(IKTranslateMatrix(4, 2)));
    ExpectSamePixels(Rendered(affine), original);
    EXPECT_TRUE(SameRect(affine.OutputImage()->Extent(), {2, -1, 4, 4}))
        << Text(affine.OutputImage()->Extent());

    // Twice as wide, moved right by one pixel: left half red, right half blue.
    auto halves = Picture(4, 4, [](int x, int) { return x < 2 ? kRed : kBlue; });
    affine.SetValue("InputImage", ImageValue(halves.get()));
    TIKMatrix wide = IKScaleMatrix(2, 1);
    wide.M[6] = 2;
    affine.SetValue("InputTransform", TIKValue(wide));
    const QImage out = Rendered(affine);
    EXPECT_TRUE(SameRect(affine.OutputImage()->Extent(), {-1, 0, 8, 4}))
        << Text(affine.OutputImage()->Extent());
    ASSERT_EQ(out.size(), QSize(8, 4));
    EXPECT_EQ(out.pixel(1, 2), kRed);
    EXPECT_EQ(out.pixel(2, 2), kRed);
    EXPECT_EQ(out.pixel(5, 1), kBlue);
    EXPECT_EQ(out.pixel(6, 1), kBlue);
}

// Without area there is nothing to transform: the output is empty and nothing renders.
TEST(IKGeometryFilters, NoAreaGivesAnEmptyOutput) {
    TIKAffineTransformFilter affine;
    TIKAffineClampFilter clamp;
    TIKRotationFilter rotation;
    rotation.SetValue("InputAngle", TIKValue(30.0));
    for (TIKFilter* filter : std::initializer_list<TIKFilter*>{&affine, &clamp, &rotation}) {
        EXPECT_TRUE(Rendered(*filter).isNull());
        const TIKRect e = filter->OutputImage()->Extent();
        EXPECT_TRUE(SameRect(e, {0, 0, 0, 0})) << Text(e);
    }
    auto input = Picture(4, 4, Pattern);
    clamp.SetValue("InputImage", ImageValue(input.get()));
    EXPECT_FALSE(Rendered(clamp).isNull());
    clamp.SetValue("InputRect", TIKValue(TIKRect{0, 0, 0, 10}));
    EXPECT_TRUE(Rendered(clamp).isNull());
    EXPECT_EQ(clamp.OutputImage()->Extent().Width, 0);
}

TEST(IKGeometryFilters, LargeExtentsFail) {
    auto input = Solid(10, 10, kRed);
    TIKCropFilter crop;
    crop.SetValue("InputImage", ImageValue(input.get()));
    crop.SetValue("InputRect", TIKValue(TIKRect{0, 0, 9000, 10}));
    EXPECT_EQ(ErrorOf([&] { Rendered(crop); }), "Invalid output extent size");
}

} // namespace
