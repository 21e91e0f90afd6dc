// The Gaussian blurs, their passes and the box blur: extents, tap spacing, limits, and pixels
// worked out from the Gaussian weights and the box blur's sixteen samples.
#include "imagekit/IKFilterBlur.h"
#include "imagekit/IKFilterCore.h"
#include "tests/imagekit/IKFilterPictures.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace ikfilters;

namespace {

const QRgb kWhite = qRgba(255, 255, 255, 255);
const QRgb kClear = qRgba(0, 0, 0, 0);

int Byte(double unit) {
    return int(std::lround(std::clamp(unit, 0.0, 1.0) * 255));
}

TEST(IKBlurFilters, Extents) {
    struct Case {
        bool clamp;
        double radius;
        TIKRect extent;
    };
    const Case cases[] = {
        {false, 5, {-15, -15, 130, 130}},     {true, 5, {0, 0, 100, 100}},
        {false, 0, {0, 0, 100, 100}},         {false, 1e-5, {0, 0, 100, 100}},
        {false, 19.99, {-60, -60, 220, 220}}, {false, -2, {6, 6, 88, 88}},
    };
    auto input = Solid(100, 100, kWhite);
    for (const Case& c : cases) {
        std::unique_ptr<TIKGaussianBlurBase> blur;
        if (c.clamp)
            blur = std::make_unique<TIKGaussianBlurClampFilter>();
        else
            blur = std::make_unique<TIKGaussianBlurFilter>();
        blur->SetValue("InputImage", ImageValue(input.get()));
        blur->SetValue("InputRadius", TIKValue(c.radius));
        const QImage out = Rendered(*blur);
        EXPECT_TRUE(SameRect(blur->OutputImage()->Extent(), c.extent))
            << c.radius << " " << Text(blur->OutputImage()->Extent());
        EXPECT_EQ(out.size(), QSize(int(c.extent.Width), int(c.extent.Height))) << c.radius;
    }
    // A negative radius larger than a third of the picture leaves no area: nothing renders.
    TIKGaussianBlurFilter blur;
    blur.SetValue("InputImage", ImageValue(input.get()));
    blur.SetValue("InputRadius", TIKValue(-20.0));
    EXPECT_TRUE(Rendered(blur).isNull());
}

TEST(IKBlurFilters, RadiusZeroCopiesTheInput) {
    auto input = Picture(5, 4, [](int x, int y) { return qRgba(40 * x, 50 * y, 7, 255); });
    const QImage original = input->Bitmap();
    for (const double radius : {0.0, 1e-5}) {
        TIKGaussianBlurFilter blur;
        blur.SetValue("InputImage", ImageValue(input.get()));
        blur.SetValue("InputRadius", TIKValue(radius));
        EXPECT_EQ(Rendered(blur), original) << radius;
    }
    TIKBoxBlurFilter box;
    box.SetValue("InputImage", ImageValue(input.get()));
    box.SetValue("InputRadius", TIKValue(0.0));
    EXPECT_EQ(Rendered(box), original);
}

// A white pixel through one horizontal pass shows the weights: taps lie q pixels apart, with
// q = 1 below radius 20, 2 below 50 and 3 from there on, and the weights those of radius / q.
TEST(IKBlurFilters, TapsLieQualityPixelsApart) {
    const int width = 41;
    auto dot = Picture(width, 1, [](int x, int) { return x == width / 2 ? kWhite : kClear; });
    for (const auto& [radius, q] : {std::pair{19.99f, 1}, {20.0f, 2}, {50.0f, 3}}) {
        TIKGaussianHFilter pass;
        pass.Assign(dot.get(), radius);
        const QImage out = Rendered(pass);
        const int margin = int(std::ceil(radius * 3));
        ASSERT_EQ(out.width(), width + 2 * margin);
        TIKGaussianKernel kernel;
        IKGaussianKernel(kernel, radius / float(q));
        const int centre = margin + width / 2;
        for (int d = 0; d <= 3; ++d) {
            const int expected = d % q == 0 ? Byte(kernel.Weight(d / q)) : 0;
            EXPECT_NEAR(qAlpha(out.pixel(centre + d, 0)), expected, 1) << radius << " at " << d;
            EXPECT_NEAR(qAlpha(out.pixel(centre - d, 0)), expected, 1) << radius << " at " << -d;
        }
    }
}

// A flat opaque picture stays opaque inside and fades at its edges: the corner keeps the
// share S = w0 + w1 + ... + wn of each pass.
TEST(IKBlurFilters, FlatPicturesFadeAtTheirEdges) {
    auto input = Solid(30, 30, kWhite);
    TIKGaussianKernel kernel;
    IKGaussianKernel(kernel, 2);
    double share = 0;
    for (int i = 0; i <= kernel.Radius; ++i)
        share += kernel.Weight(i);
    const int edge = Byte(share);
    for (const bool clamp : {false, true}) {
        std::unique_ptr<TIKGaussianBlurBase> blur;
        if (clamp)
            blur = std::make_unique<TIKGaussianBlurClampFilter>();
        else
            blur = std::make_unique<TIKGaussianBlurFilter>();
        blur->SetValue("InputImage", ImageValue(input.get()));
        blur->SetValue("InputRadius", TIKValue(2.0));
        const QImage out = Rendered(*blur);
        const int margin = clamp ? 0 : 6;
        EXPECT_EQ(qAlpha(out.pixel(margin + 15, margin + 15)), 255);
        EXPECT_NEAR(qAlpha(out.pixel(margin + 15, margin)), edge, 1);
        EXPECT_NEAR(qAlpha(out.pixel(margin, margin)), Byte(edge / 255.0 * share), 1);
        if (!clamp) {
            EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
        }
    }
}

TEST(IKBlurFilters, OnlyTheGrowingBlurFailsPastTheLargestTexture) {
    auto wide = Solid(8180, 1, kWhite);
    TIKGaussianBlurFilter blur;
    blur.SetValue("InputImage", ImageValue(wide.get()));
    EXPECT_EQ(ErrorOf([&] { Rendered(blur); }), "Invalid output extent size");
    TIKGaussianBlurClampFilter clamp;
    clamp.SetValue("InputImage", ImageValue(wide.get()));
    EXPECT_EQ(Rendered(clamp).width(), 8180);
}

TEST(IKBlurFilters, DefaultsRangesAndSetters) {
    TIKGaussianBlurFilter gaussian;
    EXPECT_EQ(gaussian.PropertyNames(),
              QStringList({"InputImage", "InputRadius", "InputRadius_Min", "InputRadius_Max"}));
    EXPECT_EQ(TIKGaussianBlurClampFilter().PropertyNames(), gaussian.PropertyNames());
    EXPECT_EQ(gaussian.GetValue("InputRadius").AsFloat(), 5);
    EXPECT_EQ(gaussian.GetValue("InputRadius_Max").AsFloat(), 100);
    // The Gaussian blur does not clamp its radius.
    gaussian.SetValue("InputRadius", TIKValue(150.0));
    EXPECT_EQ(gaussian.GetValue("InputRadius").AsFloat(), 150);

    TIKBoxBlurFilter box;
    EXPECT_EQ(box.PropertyNames(),
              QStringList({"InputRadius_Min", "InputRadius_Max", "InputRadius", "InputImage"}));
    EXPECT_EQ(box.GetValue("InputRadius").AsFloat(), 10);
    for (const auto& [set, stored] : {std::pair{150.0, 100.0}, {-3.0, 0.0}, {7.5, 7.5}}) {
        box.SetValue("InputRadius", TIKValue(set));
        EXPECT_EQ(box.GetValue("InputRadius").AsFloat(), stored) << set;
    }
}

// The box blur's sixteen samples around a white pixel: the pixel itself four times, then one
// sample at each of 1, 2 and 3 radii to either side and above and below.
TEST(IKBlurFilters, BoxBlurAveragesSixteenSamples) {
    auto dot = Picture(21, 21, [](int x, int y) { return x == 10 && y == 10 ? kWhite : kClear; });
    TIKBoxBlurFilter box;
    box.SetValue("InputImage", ImageValue(dot.get()));
    box.SetValue("InputRadius", TIKValue(2.0));
    const QImage out = Rendered(box);
    EXPECT_EQ(qAlpha(out.pixel(10, 10)), 64);
    for (const int d : {2, 4, 6}) {
        EXPECT_EQ(qAlpha(out.pixel(10 + d, 10)), 16) << d;
        EXPECT_EQ(qAlpha(out.pixel(10, 10 - d)), 16) << d;
    }
    for (const int d : {1, 3, 8})
        EXPECT_EQ(qAlpha(out.pixel(10 + d, 10)), 0) << d;
    EXPECT_EQ(qAlpha(out.pixel(12, 12)), 0);
}

} // namespace
