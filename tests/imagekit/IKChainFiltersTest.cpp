// Source-over compositing, glows and shadows: extents from the blur's reach and the offset,
// halo colours against the blur's own output, and the chains' rendering once per change.
#include "imagekit/IKFilterChain.h"
#include "imagekit/IKTextures.h"
#include "tests/imagekit/IKFilterPictures.h"

#include <QPointF>
#include <gtest/gtest.h>
#include <set>

using namespace ikfilters;

namespace {

const QRgb kWhite = qRgba(255, 255, 255, 255);
const QRgb kRed = qRgba(255, 0, 0, 255);
const QRgb kGreen = qRgba(0, 255, 0, 255);
const QRgb kClear = qRgba(0, 0, 0, 0);

TEST(IKChainFilters, SourceOver) {
    auto opaque = Solid(4, 4, kWhite);
    auto clear = Solid(4, 4, kClear);
    auto half = Solid(4, 4, qRgba(0, 0, 128, 128));
    auto red = Solid(4, 4, kRed);
    auto small = Solid(2, 2, kGreen);
    TIKSourceOverCompositingFilter blend;
    EXPECT_EQ(blend.PropertyNames(), QStringList({"InputImage", "InputBackgroundImage"}));
    struct Case {
        TIKImage* front;
        TIKImage* back;
        QPoint at;
        QRgb expected;
    };
    const Case cases[] = {
        {opaque.get(), red.get(), {1, 2}, kWhite},
        // The background is stretched over the foreground's extent.
        {clear.get(), small.get(), {1, 1}, kGreen},
        {clear.get(), small.get(), {2, 2}, kGreen},
        // (0, 0, 128, 128) over red: red keeps 127/255.
        {half.get(), red.get(), {3, 3}, qRgba(127, 0, 128, 255)},
    };
    for (const Case& c : cases) {
        blend.SetValue("InputImage", ImageValue(c.front));
        blend.SetValue("InputBackgroundImage", ImageValue(c.back));
        const QImage out = Rendered(blend);
        ASSERT_EQ(out.size(), QSize(4, 4));
        const QRgb p = out.pixel(c.at);
        EXPECT_NEAR(qRed(p), qRed(c.expected), 1);
        EXPECT_NEAR(qGreen(p), qGreen(c.expected), 1);
        EXPECT_NEAR(qBlue(p), qBlue(c.expected), 1);
        EXPECT_NEAR(qAlpha(p), qAlpha(c.expected), 1);
    }
}

TEST(IKChainFilters, ExtentsAndInputs) {
    auto input = Solid(100, 100, kWhite);
    struct Case {
        std::unique_ptr<TIKFilter> filter;
        TIKRect extent;
    };
    Case cases[] = {
        {std::make_unique<TIKGlowFilter>(), {-15, -15, 130, 130}},
        {std::make_unique<TIKGlowClampFilter>(), {0, 0, 100, 100}},
        {std::make_unique<TIKShadowFilter>(), {-9, -9, 118, 121}},
        {std::make_unique<TIKShadowClampFilter>(), {0, 0, 100, 100}},
    };
    for (Case& c : cases) {
        c.filter->SetValue("InputImage", ImageValue(input.get()));
        const QImage out = Rendered(*c.filter);
        EXPECT_TRUE(SameRect(c.filter->OutputImage()->Extent(), c.extent))
            << Text(c.filter->OutputImage()->Extent());
        EXPECT_EQ(out.size(), QSize(int(c.extent.Width), int(c.extent.Height)));
    }
    EXPECT_EQ(cases[0].filter->PropertyNames(),
              QStringList({"InputImage", "InputColor", "InputRadius", "InputIntensity"}));
    EXPECT_EQ(cases[1].filter->PropertyNames(), cases[0].filter->PropertyNames());
    EXPECT_EQ(
        cases[2].filter->PropertyNames(),
        QStringList({"InputImage", "InputColor", "InputOffset", "InputRadius", "InputOpacity"}));
    EXPECT_EQ(cases[3].filter->PropertyNames(), cases[2].filter->PropertyNames());
    EXPECT_EQ(cases[0].filter->GetValue("InputIntensity").AsFloat(), 2);
    EXPECT_EQ(cases[2].filter->GetValue("InputOpacity").AsFloat(), 0.5);

    // An offset of (0, 0) leaves the blurred extent.
    TIKFilter& shadow = *cases[2].filter;
    shadow.SetValue("InputOffset", TIKValue(TIKPoint{0, 0}));
    Rendered(shadow);
    EXPECT_TRUE(SameRect(shadow.OutputImage()->Extent(), {-9, -9, 118, 118}));
    // The offset by a name in any case, only as a point.
    shadow.SetValue("inputoffset", TIKValue(TIKPoint{2, -4}));
    EXPECT_EQ(shadow.GetValue("InputOffset").AsPoint().Y, -4);
    shadow.SetValue("INPUTOFFSET", TIKValue(7.0));
    EXPECT_EQ(shadow.GetValue("InputOffset").AsPoint().X, 2);
}

// The glow's halo is the blurred image's luminance times the intensity (at most 4) times the
// colour, with the blurred alpha.
TEST(IKChainFilters, GlowHaloColours) {
    auto input = Solid(20, 20, kWhite);
    TIKGaussianBlurFilter blur;
    blur.SetValue("InputImage", ImageValue(input.get()));
    const QImage blurred = Rendered(blur);
    // Three pixels left of the image, in the blurred extent (-15, -15, 50, 50).
    const QPoint outside(12, 25);
    const int alpha = qAlpha(blurred.pixel(outside));
    ASSERT_GT(alpha, 20);
    ASSERT_LT(alpha, 100);
    TIKGlowFilter glow;
    glow.SetValue("InputImage", ImageValue(input.get()));
    for (const auto& [intensity, factor] : {std::pair{2.0, 2}, {10.0, 4}, {0.0, 0}}) {
        glow.SetValue("InputIntensity", TIKValue(intensity));
        const QRgb p = Rendered(glow).pixel(outside);
        EXPECT_NEAR(qRed(p), std::min(255, factor * alpha), 2) << intensity;
        EXPECT_EQ(qGreen(p), 0);
        EXPECT_NEAR(qAlpha(p), alpha, 1) << intensity;
    }
    // Inside, the opaque image covers its halo.
    EXPECT_EQ(Rendered(glow).pixel(25, 25), kWhite);
}

// Radius 0 keeps edges sharp: the shadow is the image in black, three pixels lower, behind the
// image. The monochrome filter scales colour, not alpha, so a black shadow keeps the image's
// coverage whatever its opacity.
TEST(IKChainFilters, ShadowsLieMovedByTheOffset) {
    auto input = Picture(20, 20, [](int x, int y) {
        return x >= 7 && x < 13 && y >= 7 && y < 13 ? kWhite : kClear;
    });
    TIKShadowFilter shadow;
    TIKShadowClampFilter clamp;
    for (TIKFilter* filter : std::initializer_list<TIKFilter*>{&shadow, &clamp}) {
        filter->SetValue("InputImage", ImageValue(input.get()));
        filter->SetValue("InputRadius", TIKValue(0.0));
        const QImage out = Rendered(*filter);
        const TIKRect e = filter->OutputImage()->Extent();
        const auto at = [&](int x, int y) { return out.pixel(x - int(e.X), y - int(e.Y)); };
        EXPECT_EQ(at(9, 8), kWhite);
        EXPECT_EQ(at(9, 14), qRgba(0, 0, 0, 255));
        EXPECT_EQ(at(9, 6), kClear);
        EXPECT_EQ(at(9, 16), kClear);
    }
}

// Every filter that renders for the chain, found through the image inputs of the graph.
std::set<TIKFilter*> Members(TIKImage* output) {
    std::set<TIKFilter*> found;
    std::vector<TIKImage*> open{output};
    while (!open.empty()) {
        TIKImage* image = open.back();
        open.pop_back();
        TIKFilter* filter = image ? image->Filter() : nullptr;
        if (!filter || !found.insert(filter).second)
            continue;
        for (const char* name : {"InputImage", "InputBackgroundImage"})
            if (filter->PropertyExists(name))
                open.push_back(qobject_cast<TIKImage*>(filter->GetValue(name).AsObject()));
    }
    return found;
}

// Marks a member's rendered pixels, so that a new rendering shows.
void Mark(TIKFilter& member) {
    auto* texture = dynamic_cast<TDXRenderTexture*>(member.OutputImage()->Texture());
    ASSERT_NE(texture, nullptr);
    texture->BaseTexture().bits()[0] = 77;
}

bool Marked(TIKFilter& member) {
    auto* texture = dynamic_cast<TDXRenderTexture*>(member.OutputImage()->Texture());
    return texture && texture->BaseTexture().bits()[0] == 77;
}

TEST(IKChainFilters, ChainsRenderOncePerChangeAndCacheAfterwards) {
    auto input = Solid(12, 12, kWhite);
    TIKGlowFilter glow;
    TIKShadowFilter shadow;
    for (TIKFilter* chain : std::initializer_list<TIKFilter*>{&glow, &shadow}) {
        chain->SetValue("InputImage", ImageValue(input.get()));
        chain->SetValue("InputRadius", TIKValue(1.0));
        Rendered(*chain);
        const std::set<TIKFilter*> members = Members(chain->OutputImage());
        // Blend, crop(s), monochrome and both blur passes.
        EXPECT_EQ(members.size(), chain == &glow ? 5u : 6u);
        for (TIKFilter* member : members)
            Mark(*member);
        Rendered(*chain);
        for (TIKFilter* member : members)
            EXPECT_TRUE(Marked(*member)) << member->metaObject()->className();
        chain->SetValue("InputColor", TIKValue(TIKColorF{0, 0, 1, 1}));
        Rendered(*chain);
        for (TIKFilter* member : members)
            EXPECT_FALSE(Marked(*member)) << member->metaObject()->className();
    }
}

} // namespace
