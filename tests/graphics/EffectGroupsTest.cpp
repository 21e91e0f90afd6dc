// The effect-driving property groups: their attribute names and write order, a read and write
// of every value, the easing between keyframes, and each group's picture on a small test
// picture at two settings (golden images that were looked at, with key pixels worked out by
// hand from the groups' rules).
#include "core/URScenePaint.h"
#include "core/URXmlValues.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URPropBlur.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "graphics/URPropZoomAndPan.h"
#include "platform/render/DeviceContext.h"
#include "tests/platform/render/EffectsTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <QPainter>
#include <QStringList>
#include <gtest/gtest.h>

using namespace effectstest;

namespace {

// ---- names and values ----

// Every visited field as "name=value", in visiting order.
class Listing final : public TRPropFields {
public:
    void Int(const char* name, std::int32_t& v) override { Add(name, QString::number(v)); }
    void Bool(const char* name, bool& v) override { Add(name, v ? "true" : "false"); }
    void Float(const char* name, float& v) override { Add(name, QString::number(v)); }
    void Text(const char* name, QString& v) override { Add(name, v); }
    void Color(const char* name, TColor& v) override { Add(name, QString::number(v)); }
    QStringList names, values;

private:
    void Add(const char* name, const QString& value) {
        names << name;
        values << QString("%1=%2").arg(name, value);
    }
};

Listing ListOf(TRPropBase& group) {
    Listing listing;
    group.VisitFields(listing);
    return listing;
}

struct NamesCase {
    TRPropertyType type;
    QStringList names;    // the attributes in write order
    QString attributes;   // a "Property" element's own attributes with values
    QStringList expected; // what the group holds after reading them
};

const NamesCase NamesCases[] = {
    {ptEffect,
     {"EffectName", "Intensity", "Angle", "Color", "Invert"},
     R"(EffectName="Swirl" Intensity="0.25" Angle="45" Color="255" Invert="True")",
     {"EffectName=Swirl", "Intensity=0.25", "Angle=45", "Color=255", "Invert=true"}},
    {ptReflection,
     {"Offset", "Blur", "Effect", "Opacity", "Height"},
     R"(Offset="20" Blur="7" Effect="30" Opacity="0.5" Height="25")",
     {"Offset=20", "Blur=7", "Effect=30", "Opacity=0.5", "Height=25"}},
    {ptFlipOpacity,
     {"FlipH", "FlipV", "Opacity", "Scale"},
     R"(FlipH="True" FlipV="True" Opacity="0.5" Scale="False")",
     {"FlipH=true", "FlipV=true", "Opacity=0.5", "Scale=false"}},
    {ptShadow,
     {"Color", "Offset", "Angle", "Opacity", "Blur"},
     R"(Color="16711680" Offset="30" Angle="45" Opacity="0.25" Blur="4")",
     {"Color=16711680", "Offset=30", "Angle=45", "Opacity=0.25", "Blur=4"}},
    {ptZoomAndPan,
     {"Zoom", "ZoomLeft", "ZoomTop"},
     R"(Zoom="2.5" ZoomLeft="-0.5" ZoomTop="1")",
     {"Zoom=2.5", "ZoomLeft=-0.5", "ZoomTop=1"}},
    {ptColorAdjust,
     {"Brightness", "Contrast", "Saturation"},
     R"(Brightness="-0.5" Contrast="1.5" Saturation="0")",
     {"Brightness=-0.5", "Contrast=1.5", "Saturation=0"}},
    {ptChromaKey,
     {"Color", "Tolerance", "Invert"},
     R"(Color="0" Tolerance="55" Invert="True")",
     {"Color=0", "Tolerance=55", "Invert=true"}},
    {ptBlur, {"Size", "Border"}, R"(Size="7" Border="False")", {"Size=7", "Border=false"}},
};

std::unique_ptr<TRPropBase> MakeGroup(TRPropertyType type) {
    switch (type) {
    case ptEffect:
        return std::make_unique<TRPropEffect>();
    case ptReflection:
        return std::make_unique<TRPropReflection>();
    case ptFlipOpacity:
        return std::make_unique<TRPropFlipOpacity>();
    case ptShadow:
        return std::make_unique<TRPropShadow>();
    case ptZoomAndPan:
        return std::make_unique<TRPropZoomAndPan>();
    case ptColorAdjust:
        return std::make_unique<TRPropColorAdjust>();
    case ptChromaKey:
        return std::make_unique<TRPropChromaKey>();
    default:
        return std::make_unique<TRPropBlur>();
    }
}

QDomElement ParseProperty(QDomDocument& document, const QString& attributes) {
    EXPECT_TRUE(document.setContent(QString("<Property %1/>").arg(attributes)));
    return document.documentElement();
}

TEST(EffectGroupXml, NamesInWriteOrderAndEveryValueReadAndWritten) {
    for (const NamesCase& c : NamesCases) {
        SCOPED_TRACE(PropertyCaption(c.type).toStdString());
        auto group = MakeGroup(c.type);
        EXPECT_EQ(ListOf(*group).names, c.names);
        QDomDocument source;
        group->OpenFromXML(ParseProperty(source, c.attributes), false);
        EXPECT_EQ(ListOf(*group).values, c.expected);
        // Written out and read into a fresh group, every value comes back.
        QDomDocument written = XmlNewDocument("Project");
        const QDomElement element = group->SaveToXML(written.documentElement());
        for (const QString& name : c.names)
            EXPECT_TRUE(element.hasAttribute(name)) << name.toStdString();
        auto copy = MakeGroup(c.type);
        copy->OpenFromXML(element, false);
        EXPECT_EQ(ListOf(*copy).values, c.expected);
        // An element without the group's attributes keeps the defaults.
        auto fresh = MakeGroup(c.type);
        const QStringList defaults = ListOf(*fresh).values;
        QDomDocument empty;
        fresh->OpenFromXML(ParseProperty(empty, ""), false);
        EXPECT_EQ(ListOf(*fresh).values, defaults);
    }
}

TEST(EffectGroupXml, DefaultsAndSwitches) {
    const std::pair<TRPropertyType, QStringList> cases[] = {
        {ptEffect,
         {"EffectName=Gaussian Blur", "Intensity=0.1", "Angle=0", "Color=0", "Invert=false"}},
        {ptReflection, {"Offset=10", "Blur=0", "Effect=0", "Opacity=0.75", "Height=50"}},
        {ptFlipOpacity, {"FlipH=false", "FlipV=false", "Opacity=1", "Scale=true"}},
        {ptShadow, {"Color=0", "Offset=10", "Angle=-135", "Opacity=0.5", "Blur=10"}},
        {ptZoomAndPan, {"Zoom=1", "ZoomLeft=0", "ZoomTop=0"}},
        {ptColorAdjust, {"Brightness=0", "Contrast=0", "Saturation=1"}},
        {ptChromaKey, {"Color=65280", "Tolerance=10", "Invert=false"}},
        {ptBlur, {"Size=10", "Border=true"}},
    };
    for (const auto& [type, values] : cases) {
        auto group = MakeGroup(type);
        EXPECT_EQ(ListOf(*group).values, values);
        // Only the shadow starts on; the media group has no switch and is always in force.
        EXPECT_EQ(group->Checked(), type == ptShadow || type == ptFlipOpacity);
        EXPECT_EQ(group->UseCheckBox(), type != ptFlipOpacity);
    }
}

// ---- easing ----

template <class G> struct EasePair {
    G own, next, result;
    EasePair(bool ownOn, bool nextOn) {
        own.SetChecked(ownOn);
        next.SetChecked(nextOn);
    }
};

TEST(EffectGroupEase, ShadowFadesItsOpacityAndHoldsItsColour) {
    EasePair<TRPropShadow> fading(true, false);
    fading.own.FColor = 0xFF;
    fading.own.FOffset = 30;
    fading.next.FColor = 0xFF00;
    fading.own.EaseTo(0.5f, &fading.next, &fading.result);
    EXPECT_FLOAT_EQ(fading.result.FOpacity, 0.25f);
    EXPECT_EQ(fading.result.FColor, 0xFFu);
    EXPECT_FLOAT_EQ(fading.result.FOffset, 30);
    EasePair<TRPropShadow> both(true, true);
    both.next.FColor = 0xFF00;
    both.next.FOffset = 20;
    both.own.EaseTo(0.5f, &both.next, &both.result);
    EXPECT_EQ(both.result.FColor, 0u);
    EXPECT_FLOAT_EQ(both.result.FOffset, 15);
    EasePair<TRPropShadow> neither(false, false);
    neither.result.FOffset = 99;
    neither.own.EaseTo(0.5f, &neither.next, &neither.result);
    EXPECT_FLOAT_EQ(neither.result.FOffset, 99);
}

TEST(EffectGroupEase, EffectReflectionZoomColourAndKey) {
    EasePair<TRPropEffect> effect(true, false);
    effect.own.FIntensity = 0.5f;
    effect.own.FEffectName = "Swirl";
    effect.own.EaseTo(0.5f, &effect.next, &effect.result);
    EXPECT_FLOAT_EQ(effect.result.FIntensity, 0.25f);
    EXPECT_EQ(effect.result.FEffectName, "Swirl");
    EasePair<TRPropEffect> fadeIn(false, true);
    fadeIn.next.FEffectName = "Sepia";
    fadeIn.next.FIntensity = 0.8f;
    fadeIn.own.EaseTo(0.25f, &fadeIn.next, &fadeIn.result);
    EXPECT_EQ(fadeIn.result.FEffectName, "Sepia");
    EXPECT_FLOAT_EQ(fadeIn.result.FIntensity, 0.2f);

    EasePair<TRPropReflection> reflection(true, true);
    reflection.own.FBlur = 0;
    reflection.next.FBlur = 10;
    reflection.own.FOffset = 10;
    reflection.next.FOffset = 30;
    reflection.own.EaseTo(0.5f, &reflection.next, &reflection.result);
    EXPECT_FLOAT_EQ(reflection.result.FBlur, 5);
    EXPECT_FLOAT_EQ(reflection.result.FOffset, 20);

    EasePair<TRPropZoomAndPan> zoom(true, false);
    zoom.own.FZoom = 3;
    zoom.own.FZoomLeft = 0.5f;
    zoom.own.EaseTo(0.5f, &zoom.next, &zoom.result);
    EXPECT_FLOAT_EQ(zoom.result.FZoom, 2);
    EXPECT_FLOAT_EQ(zoom.result.FZoomLeft, 0.5f);

    // Switched on at the second keyframe: the first one's picture is untouched.
    EasePair<TRPropColorAdjust> colour(false, true);
    colour.next.FBrightness = 0.5f;
    colour.next.FContrast = 1;
    colour.next.FSaturation = 0;
    colour.own.EaseTo(0, &colour.next, &colour.result);
    EXPECT_FLOAT_EQ(colour.result.FBrightness, 0);
    EXPECT_FLOAT_EQ(colour.result.FContrast, 0);
    EXPECT_FLOAT_EQ(colour.result.FSaturation, 1);
    colour.own.EaseTo(0.5f, &colour.next, &colour.result);
    EXPECT_FLOAT_EQ(colour.result.FSaturation, 0.5f);

    EasePair<TRPropChromaKey> key(false, true);
    key.next.FColor = 0xFF;
    key.next.FTolerance = 40;
    key.next.FInvert = true;
    key.own.EaseTo(0.5f, &key.next, &key.result);
    EXPECT_EQ(key.result.FColor, 0xFFu);
    EXPECT_TRUE(key.result.FInvert);
    EXPECT_FLOAT_EQ(key.result.FTolerance, 20);
}

TEST(EffectGroupEase, MediaOpacityBlendsAndScaleChangesRunBothWays) {
    struct Case {
        bool ownScale, nextScale;
        float pos, scale;
        bool result;
    };
    const Case cases[] = {
        {true, true, 0.5f, 0, true},       {false, false, 0.5f, 0, false},
        {true, false, 0.5f, 0.5f, true},   {false, true, 0.5f, -0.5f, true},
        {false, true, 0.0f, -0.01f, true},
    };
    for (const Case& c : cases) {
        TRPropFlipOpacity own, next, result;
        own.FScale = c.ownScale;
        next.FScale = c.nextScale;
        own.FOpacity = 0.5f;
        own.FFlipH = true;
        result.ScaleProcAnimation = 7;
        own.EaseTo(c.pos, &next, &result);
        EXPECT_EQ(result.FScale, c.result);
        EXPECT_FLOAT_EQ(result.ScaleProcAnimation, c.scale);
        EXPECT_FLOAT_EQ(result.FOpacity, 0.5f + c.pos * 0.5f);
        EXPECT_TRUE(result.FFlipH);
    }
}

// ---- drawing ----

DeviceContext*& Context() {
    static DeviceContext* context = nullptr;
    return context;
}

const uint32_t Red = opaque(255, 0, 0);
const uint32_t Green = opaque(0, 255, 0);
const uint32_t Grey = grey(64);
const uint32_t White = grey(255);

// 16 x 16: red top left, green top right, grey 64 bottom left, white bottom right.
BitmapPtr Quadrants() {
    return bitmapFrom(16, 16, [](int x, int y) {
        if (y < 8)
            return x < 8 ? Red : Green;
        return x < 8 ? Grey : White;
    });
}

class EffectGroupDraw : public ::testing::Test {
protected:
    void SetUp() override {
        const FactoryPtr factory = Factory::create();
        for (const TRCustomEffectRegistration& r : CustomEffectRegistrations(factory))
            r.registerEffect();
        context_ = DeviceContext::create(factory);
        Context() = context_.get();
        SceneContextHook = [] { return Context(); };
    }
    void TearDown() override {
        SceneContextHook = nullptr;
        Context() = nullptr;
    }

    // The output over (-16, -16)..(48, 48): the picture's surroundings, where shadows and
    // reflections fall, compared with its golden image; returns the tile for key pixels.
    static ImageTile Shot(const ImagePtr& output, const QString& name) {
        EXPECT_TRUE(output);
        ImageTile tile = output->render(RectL{-16, -16, 48, 48});
        // Over a checkerboard, so what is transparent shows in the picture.
        QImage shot(tile.pixels.size(), QImage::Format_RGB32);
        QPainter painter(&shot);
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                painter.fillRect(x, y, 4, 4,
                                 (x + y) % 8 ? QColor(90, 90, 90) : QColor(150, 150, 150));
        painter.drawImage(0, 0, tile.pixels);
        painter.end();
        ExpectGolden(shot, QString::fromUtf8(kTestsSourceDir) + "/graphics/golden", name + ".png");
        return tile;
    }

    DeviceContextPtr context_;
    BitmapPtr picture_ = Quadrants();
};

::testing::AssertionResult PixelNear(const ImageTile& tile, int x, int y, uint32_t expected,
                                     int tolerance = 2) {
    const uint32_t got = tile.pixelAt(x, y);
    if (near(got, expected, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << x << ", " << y << ") is " << hex(got).toStdString() << ", expected "
           << hex(expected).toStdString();
}

TEST_F(EffectGroupDraw, WithoutADeviceContextEveryGroupReturnsItsInput) {
    SceneContextHook = nullptr;
    const ImagePtr in = picture_;
    TRZoomAndPanPlace place;
    TRPropZoomAndPan zoom;
    zoom.FZoom = 2;
    TRPropFlipOpacity media;
    media.FFlipH = true;
    media.FOpacity = 0.5f;
    EXPECT_EQ(TRPropBlur().Draw(in), in);
    EXPECT_EQ(TRPropShadow().ComputeShadow(in, 0, 1), in);
    EXPECT_EQ(zoom.Draw(in, 16, 16, 16, 16, place), in);
    EXPECT_EQ(TRPropColorAdjust().Draw(in), in);
    EXPECT_EQ(TRPropChromaKey().Draw(in), in);
    EXPECT_EQ(media.DrawFlip(in, 16, 16), in);
    EXPECT_EQ(media.DrawOpacity(in), in);
    EXPECT_EQ(TRPropReflection().ComputeReflection(in, 0, 1, 16, 16, {}), in);
    EXPECT_EQ(TRPropEffect().Draw(in, {8, 8}), in);
}

TEST_F(EffectGroupDraw, BlurSoftAndHardBorder) {
    TRPropBlur blur;
    blur.FSize = 2;
    // Soft: beyond the picture the blur fades out; the middle of the red quadrant's side far
    // from every other colour keeps... the corner pixel is averaged with transparency.
    const ImageTile soft = Shot(blur.Draw(picture_), "blur_soft");
    EXPECT_NE(soft.pixelAt(-2, 4), 0u);
    EXPECT_EQ(soft.pixelAt(-12, 4), 0u);
    blur.FBorder = false;
    const ImageTile hard = Shot(blur.Draw(picture_), "blur_hard");
    // Hard: the edges stay sharp: nothing outside, and the edge row is as opaque as inside.
    EXPECT_EQ(hard.pixelAt(-1, 4), 0u);
    EXPECT_EQ(hard.pixelAt(0, 4) >> 24, 255u);
}

TEST_F(EffectGroupDraw, ShadowFallsAtItsAngleWithItsOpacity) {
    TRPropShadow shadow;
    shadow.FBlur = 0;
    // -135 degrees: a = 45, so 7.07 px right and down; alpha 0.5 x 0.5 of a black shadow.
    const ImageTile dflt = Shot(shadow.ComputeShadow(picture_, 0, 0.5f), "shadow_default");
    EXPECT_TRUE(PixelNear(dflt, 20, 20, straight(64, 0, 0, 0)));
    EXPECT_EQ(dflt.pixelAt(2, 2), 0u);
    // 90 degrees: a = -180, 10 px to the left; red at full opacity.
    shadow.FAngle = 90;
    shadow.FColor = 0x0000FF;
    shadow.FOpacity = 1;
    const ImageTile left = Shot(shadow.ComputeShadow(picture_, 0, 1), "shadow_left");
    EXPECT_TRUE(PixelNear(left, -6, 4, Red));
    EXPECT_EQ(left.pixelAt(10, 4), 0u);
}

TEST_F(EffectGroupDraw, ZoomAndPanAboutTheCentreAndTheRightEdge) {
    TRPropZoomAndPan zoom;
    TRZoomAndPanPlace place;
    EXPECT_EQ(zoom.Draw(picture_, 16, 16, 16, 16, place), ImagePtr(picture_));
    EXPECT_EQ(place.cx + place.cy + place.dx + place.dy, 0);
    zoom.FZoom = 2;
    // About (8, 8): output (2, 2) shows source (5, 5), output (13, 2) source (10.5, 5).
    const ImageTile centre = Shot(zoom.Draw(picture_, 16, 16, 16, 16, place), "zoom_centre");
    EXPECT_TRUE(PixelNear(centre, 2, 2, Red));
    EXPECT_TRUE(PixelNear(centre, 13, 2, Green));
    zoom.FZoomLeft = 1;
    // About (16, 8): output (2, 2) shows source (9, 5): green.
    const ImageTile right = Shot(zoom.Draw(picture_, 16, 16, 16, 16, place), "zoom_right");
    EXPECT_FLOAT_EQ(place.cx, 16);
    EXPECT_FLOAT_EQ(place.cy, 8);
    EXPECT_TRUE(PixelNear(right, 2, 2, Green));
    // A shown area 200 px narrower than the media pans by half the difference.
    zoom.FZoomLeft = -1;
    zoom.Draw(picture_, 1720, 16, 1920, 16, place);
    EXPECT_FLOAT_EQ(place.dx, 100);
    zoom.FZoomLeft = -0.3f;
    zoom.Draw(picture_, 1715, 16, 1720, 16, place);
    EXPECT_FLOAT_EQ(place.dx, 0); // 0.75 truncated toward zero
}

TEST_F(EffectGroupDraw, ColourAdjustContrastBrightnessAndSaturation) {
    TRPropColorAdjust adjust;
    // Contrast 1: (c - 0.5) x 2 + 0.5: grey 64 goes to 0, white stays white.
    adjust.FContrast = 1;
    const ImageTile contrast = Shot(adjust.Draw(picture_), "colour_contrast");
    EXPECT_TRUE(PixelNear(contrast, 2, 12, grey(0)));
    EXPECT_TRUE(PixelNear(contrast, 12, 12, White));
    // Saturation 0 makes every colour grey; brightness 0.25 lifts grey 64 to 128.
    adjust.FContrast = 0;
    adjust.FBrightness = 0.25f;
    adjust.FSaturation = 0;
    const ImageTile grey0 = Shot(adjust.Draw(picture_), "colour_grey");
    EXPECT_TRUE(PixelNear(grey0, 2, 12, grey(128)));
    const uint32_t red = grey0.pixelAt(2, 2);
    EXPECT_EQ(channel(red, 16), channel(red, 8));
    EXPECT_EQ(channel(red, 8), channel(red, 0));
    // The lowest contrast the frame offers still passes through the effect.
    adjust.FBrightness = 0;
    adjust.FSaturation = 1;
    adjust.FContrast = -0.25f;
    const uint32_t flat = adjust.Draw(picture_)->render(RectL{12, 12, 13, 13}).pixelAt(12, 12);
    EXPECT_TRUE(near(flat, grey(223), 2)) << hex(flat).toStdString(); // 0.5 x 0.75 + 0.5
}

TEST_F(EffectGroupDraw, ChromaKeyTakesOutTheKeyOrEverythingElse) {
    TRPropChromaKey key;
    const ImageTile keyed = Shot(key.Draw(picture_), "chroma_key");
    EXPECT_EQ(keyed.pixelAt(12, 2), 0u);
    EXPECT_EQ(keyed.pixelAt(2, 2), Red);
    key.FInvert = true;
    key.FColor = 0x0000FF; // red
    const ImageTile inverted = Shot(key.Draw(picture_), "chroma_key_inverted");
    EXPECT_EQ(inverted.pixelAt(2, 2), Red);
    EXPECT_EQ(inverted.pixelAt(12, 2), 0u);
}

TEST_F(EffectGroupDraw, FlipsMirrorWithinThePictureAndOpacityFades) {
    TRPropFlipOpacity media;
    EXPECT_EQ(media.DrawFlip(picture_, 16, 16), ImagePtr(picture_));
    EXPECT_EQ(media.DrawOpacity(picture_), ImagePtr(picture_));
    media.FFlipH = true;
    const ImageTile h = Shot(media.DrawFlip(picture_, 16, 16), "flip_h");
    EXPECT_TRUE(PixelNear(h, 2, 2, Green));
    EXPECT_TRUE(PixelNear(h, 13, 13, Grey));
    media.FFlipV = true;
    media.FOpacity = 0.5f;
    const ImageTile both = Shot(media.DrawOpacity(media.DrawFlip(picture_, 16, 16)), "flip_hv");
    // The top-left pixel goes to the bottom-right corner; the rectangle stays 0..16.
    EXPECT_TRUE(PixelNear(both, 15, 15, straight(128, 255, 0, 0)));
    EXPECT_TRUE(PixelNear(both, 0, 0, straight(128, 255, 255, 255)));
    EXPECT_EQ(both.pixelAt(16, 8), 0u);
    EXPECT_EQ(both.pixelAt(-1, 8), 0u);
}

TEST_F(EffectGroupDraw, ReflectionUnderThePictureFadingUpwards) {
    TRPropReflection reflection;
    // Row y lands at row 2H + Offset - y: the bottom row 15 at row 26. The band of half the
    // height fades from the bottom: row 15 keeps (15.5 - 8) / 8 x 0.75 of its opacity.
    const ImageTile plain =
        Shot(reflection.ComputeReflection(picture_, 0, 1, 16, 16, {}), "reflection_default");
    const float kept = (15.5f - 8) / 8 * 0.75f;
    EXPECT_TRUE(PixelNear(plain, 12, 26, straight(int(255 * kept + 0.5f), 255, 255, 255), 3));
    EXPECT_EQ(plain.pixelAt(4, 20), 0u); // the gap
    EXPECT_EQ(plain.pixelAt(4, 38), 0u); // the top half is not reflected
    EXPECT_EQ(plain.pixelAt(4, 4), 0u);  // nothing over the picture
    // Blur and ripple on, drawn at half the object's opacity.
    reflection.FBlur = 2;
    reflection.FEffect = 20;
    reflection.FOffset = 0;
    const ImageTile rippled =
        Shot(reflection.ComputeReflection(picture_, 0, 0.5f, 16, 16, {}), "reflection_rippled");
    EXPECT_EQ(rippled.pixelAt(4, 4), 0u);
    EXPECT_LT(rippled.pixelAt(12, 16) >> 24, 255u * 0.5f * 0.75f);
}

TEST_F(EffectGroupDraw, ImageEffectKinds) {
    TRPropEffect effect;
    const TREffectPlace centre{8, 8};
    // Grayscale at 1: red becomes its luminance 0.299 x 255 = 76.
    effect.FEffectName = "Grayscale";
    effect.FIntensity = 1;
    const ImageTile grey1 = Shot(effect.Draw(picture_, centre), "effect_grayscale");
    EXPECT_TRUE(PixelNear(grey1, 2, 2, grey(76)));
    // Colorize blue at 0.5 over the picture: red halves and blue comes to 128.
    effect.FEffectName = "Colorize";
    effect.FIntensity = 0.5f;
    effect.FColor = 0xFF0000;
    const ImageTile colour = Shot(effect.Draw(picture_, centre), "effect_colorize");
    EXPECT_TRUE(PixelNear(colour, 2, 2, opaque(128, 0, 128)));
    // Without the picture: the colour layer alone.
    const ImagePtr layer = effect.Draw(picture_, {8, 8, false});
    EXPECT_TRUE(
        near(layer->render(RectL{40, 40, 41, 41}).pixelAt(40, 40), straight(128, 0, 0, 255), 2));
    effect.FEffectName = "No such kind";
    EXPECT_EQ(effect.Draw(picture_, centre), ImagePtr(picture_));
}

TEST_F(EffectGroupDraw, ImageEffectSettingsFromTheIntensity) {
    TRPropEffect effect;
    auto drawn = [&](const char* name, float intensity, const TREffectPlace& place,
                     const BitmapPtr& input) {
        effect.FEffectName = name;
        effect.FIntensity = intensity;
        return std::dynamic_pointer_cast<Effect>(effect.Draw(input, place));
    };
    const EffectPtr blur = drawn("Gaussian Blur", 0.1f, {8, 8}, picture_);
    ASSERT_TRUE(blur);
    EXPECT_FLOAT_EQ(blur->valueAs<float>(0), 2);
    effect.FAngle = 90;
    EXPECT_FLOAT_EQ(drawn("Directional Blur", 0.1f, {8, 8}, picture_)->valueAs<float>(1), 0);
    EXPECT_FLOAT_EQ(drawn("Magnify", 1, {8, 8}, picture_)->valueAs<float>(0), 1.0f / 6);
    const BitmapPtr hd = Bitmap::create({1920, 1080});
    EXPECT_NEAR(drawn("Swirl", 0.5f, {960, 540}, hd)->valueAs<float>(2), 1101.4f, 0.1f);
    const BitmapPtr big = Bitmap::create({4000, 3000});
    EXPECT_FLOAT_EQ(drawn("Swirl", 0.5f, {2000, 1500}, big)->valueAs<float>(2), 4000);
    const BitmapPtr wide = Bitmap::create({4000, 2000});
    const EffectPtr dissolve = drawn("Dissolve", 0.5f, {2000, 1000}, wide);
    auto noise = std::dynamic_pointer_cast<Effect>(dissolve->input(1));
    ASSERT_TRUE(noise);
    EXPECT_EQ(noise->valueAs<Vector2>(1), (Vector2{8000, 8000}));
    // However large the noise is declared, a small region costs only that region.
    const ImageTile corner = dissolve->render(RectL{0, 0, 8, 8});
    EXPECT_EQ(corner.region, (RectL{0, 0, 8, 8}));
}

} // namespace
