// The colour filters on one-pixel pictures, against values worked from their formulas:
// defaults, ranges clamped through SetValue, and known pixels.
#include "imagekit/IKFilterColorAdjustment.h"
#include "imagekit/IKFilterColorEffect.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Rgba {
    int r, g, b, a;
};

// The filter's output for one premultiplied pixel.
Rgba Filtered(TIKFilter& filter, const Rgba& in) {
    const std::uint8_t bits[4] = {std::uint8_t(in.r), std::uint8_t(in.g), std::uint8_t(in.b),
                                  std::uint8_t(in.a)};
    auto image = TIKImage::CreateWithBits(bits, pfRGBA, 1, 1);
    filter.SetValue("InputImage", TIKValue(static_cast<QObject*>(image.get())));
    std::uint8_t out[4] = {};
    filter.OutputImage()->ReadBits(out, pfRGBA);
    filter.SetValue("InputImage", TIKValue(static_cast<QObject*>(TIKFilter::EmptyImage())));
    return {out[0], out[1], out[2], out[3]};
}

int Byte(double unit) {
    return int(std::lround(std::clamp(unit, 0.0, 1.0) * 255));
}

struct Case {
    const char* filter;
    std::vector<std::pair<const char*, TIKValue>> values;
    Rgba in;
    Rgba expected;
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        auto filter = TIKFilter::CreateWithName(c.filter);
        for (const auto& [name, value] : c.values)
            filter->SetValue(name, value);
        const Rgba out = Filtered(*filter, c.in);
        const std::string label = std::string(c.filter) + " of " + std::to_string(c.in.r) + "," +
                                  std::to_string(c.in.g) + "," + std::to_string(c.in.b) + "," +
                                  std::to_string(c.in.a);
        EXPECT_NEAR(out.r, c.expected.r, 1) << label;
        EXPECT_NEAR(out.g, c.expected.g, 1) << label;
        EXPECT_NEAR(out.b, c.expected.b, 1) << label;
        EXPECT_NEAR(out.a, c.expected.a, 1) << label;
    }
}

class IKColorFilters : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        IKRegisterColorEffectFilters();
        IKRegisterColorAdjustmentFilters();
    }
};

// BT.709 grey of (200, 100, 50) in 0..1.
const double kGrey = (0.2126 * 200 + 0.7152 * 100 + 0.0722 * 50) / 255;

TEST_F(IKColorFilters, Effects) {
    const double r = 200 / 255.0, g = 100 / 255.0, b = 50 / 255.0;
    const auto sepia = [&](double a, double x, double y, double z) {
        return Byte((a * r + x * g + y * b > 1 ? 1 : a * r + x * g + y * b) * z);
    };
    Check({
        {"ColorInvert", {}, {255, 255, 255, 255}, {0, 0, 0, 255}},
        {"ColorInvert", {}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"ColorInvert", {}, {50, 100, 0, 128}, {78, 28, 128, 128}},
        {"ColorMonochrome", {}, {200, 100, 50, 255}, {Byte(kGrey), Byte(kGrey), Byte(kGrey), 255}},
        {"ColorMonochrome",
         {{"InputIntensity", TIKValue(2.0)}},
         {200, 100, 50, 255},
         {Byte(2 * kGrey), Byte(2 * kGrey), Byte(2 * kGrey), 255}},
        {"ColorMonochrome",
         {{"InputIntensity", TIKValue(2.0)}},
         {255, 255, 255, 255},
         {255, 255, 255, 255}},
        {"ColorMonochrome",
         {{"InputColor", TIKValue(TIKColorF{1, 0, 0.5f, 0.2f})}},
         {200, 100, 50, 255},
         {Byte(kGrey), 0, Byte(kGrey / 2), 255}},
        // Four levels: 0.784 -> 0.75, 0.392 -> 0.25, 0.196 -> 0.
        {"ColorPosterize",
         {{"InputLevels", TIKValue(4.0)}},
         {200, 100, 50, 255},
         {191, 64, 0, 255}},
        {"ColorPosterize", {{"InputLevels", TIKValue(0.5)}}, {200, 100, 254, 255}, {0, 0, 0, 255}},
        {"ColorPosterize", {{"InputLevels", TIKValue(0.5)}}, {255, 0, 0, 255}, {255, 0, 0, 255}},
        {"MaskToAlpha", {}, {255, 0, 0, 255}, {255, 255, 255, 255}},
        {"MaskToAlpha", {}, {0, 0, 255, 255}, {0, 0, 0, 0}},
        {"SepiaTone",
         {{"InputIntensity", TIKValue(0.5)}},
         {200, 100, 50, 255},
         {sepia(0.393, 0.769, 0.189, 0.5), sepia(0.349, 0.686, 0.168, 0.5),
          sepia(0.272, 0.534, 0.131, 0.5), 128}},
    });
}

TEST_F(IKColorFilters, Adjustments) {
    const int gamma = Byte(std::pow(128 / 255.0, 0.75));
    EXPECT_EQ(gamma, 152);
    Check({
        {"ColorClamp", {}, {200, 100, 50, 255}, {200, 100, 50, 255}},
        {"ColorClamp",
         {{"InputMaxColor", TIKValue(TIKColorF{0.5f, 0.5f, 0.5f, 0.5f})}},
         {200, 100, 50, 255},
         {128, 100, 50, 128}},
        {"ColorClamp",
         {{"InputMinColor", TIKValue(TIKColorF{0, 0.6f, 0, 0})}},
         {200, 100, 50, 255},
         {200, 153, 50, 255}},
        {"GammaAdjust", {{"InputPower", TIKValue(1.0)}}, {200, 100, 50, 255}, {200, 100, 50, 255}},
        {"GammaAdjust", {}, {128, 0, 255, 255}, {gamma, 0, 255, 255}},
        {"HueAdjust", {{"InputAngle", TIKValue(180.0)}}, {255, 0, 0, 255}, {0, 255, 255, 255}},
        {"HueAdjust", {{"InputAngle", TIKValue(120.0)}}, {255, 0, 0, 255}, {0, 255, 0, 255}},
        {"HueAdjust", {}, {255, 0, 0, 255}, {255, 0, 0, 255}},
        {"HueAdjust", {{"InputAngle", TIKValue(90.0)}}, {255, 255, 255, 255}, {255, 255, 255, 255}},
        {"HueAdjust", {{"InputAngle", TIKValue(90.0)}}, {0, 0, 0, 255}, {0, 0, 0, 255}},
    });
}

TEST_F(IKColorFilters, RangesDefaultsAndNames) {
    struct Range {
        const char* filter;
        const char* input;
        double set;
        double stored;
        double min;
        double max;
    };
    const Range ranges[] = {
        {"ColorMonochrome", "InputIntensity", 5, 4, 0, 4},
        {"ColorPosterize", "InputLevels", 0.5, 1, 1, 100},
        {"SepiaTone", "InputIntensity", -1, 0, 0, 1},
        {"GammaAdjust", "InputPower", 0.1, 0.25, 0.25, 4},
        {"HueAdjust", "InputAngle", 200, 180, -180, 180},
    };
    for (const Range& r : ranges) {
        auto filter = TIKFilter::CreateWithName(r.filter);
        const QString input = QString::fromLatin1(r.input);
        EXPECT_DOUBLE_EQ(filter->GetValue(input + "_Min").AsFloat(), r.min) << r.filter;
        EXPECT_DOUBLE_EQ(filter->GetValue(input + "_Max").AsFloat(), r.max) << r.filter;
        filter->SetValue(input, TIKValue(r.set));
        EXPECT_NEAR(filter->GetValue(input).AsFloat(), r.stored, 1e-6) << r.filter;
    }
    TIKColorMonochromeFilter monochrome;
    EXPECT_EQ(monochrome.PropertyNames(),
              QStringList({"InputColor", "InputIntensity_Min", "InputIntensity_Max",
                           "InputIntensity", "InputImage"}));
    EXPECT_DOUBLE_EQ(monochrome.GetValue("InputIntensity").AsFloat(), 1);
    EXPECT_EQ(TIKColorClampFilter().PropertyNames(),
              QStringList({"InputMinColor", "InputMaxColor", "InputImage"}));
    EXPECT_EQ(TIKFilter::FilterNamesInCategory("coloradjustment"),
              QStringList({"ColorClamp", "GammaAdjust", "HueAdjust"}));
    // Without a picture the output has no area and nothing renders.
    TIKColorInvertFilter invert;
    EXPECT_TRUE(invert.OutputImage()->Bitmap().isNull());
}

} // namespace
