// The brushes of the fill, border and text groups painted into small bitmaps and read back
// at pixels worked out by hand; their animation between keyframes; the border's blur and
// composite; the text group's reading rules and media-library choice; text-path easing.

#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"

#include <gtest/gtest.h>

using namespace platform::render;

namespace {

class BrushGroups : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
    }
    void TearDown() override { D2DContext->setTarget(nullptr); }

    // The pixels of a width x height box filled with `brush` on transparent black.
    QImage Fill(const BrushPtr& brush, int width, int height) {
        EXPECT_TRUE(brush);
        target = Bitmap::create({std::uint32_t(width), std::uint32_t(height)},
                                {.options = BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear({0, 0, 0, 0});
        if (brush)
            D2DContext->fillRectangle(RectF::fromXYWH(0, 0, float(width), float(height)), *brush);
        EXPECT_TRUE(D2DContext->endDraw());
        return target->image();
    }
    BitmapPtr target;
};

// Black at 0, white at 1, both opaque: a pixel's grey level is its gradient position.
void BlackToWhite(TRColorStops& stops, float from = 0, float to = 1) {
    stops.BeginAddColors();
    stops.AddColor(0x000000, from, 1);
    stops.AddColor(0xFFFFFF, to, 1);
    stops.EndAddColors();
}

int Grey(const QImage& image, int x, int y) {
    return qRed(image.pixel(x, y));
}

TEST_F(BrushGroups, LinearGradientRunsAlongTheTopEdgeTurnedAboutTheCentre) {
    TRPropBackgroundFill fill;
    fill.FBrushStyle = brsGradientLinear;
    BlackToWhite(fill.FColors);
    // Rotation 0 turns the top edge by 90 degrees: the 400 px long gradient runs downwards
    // from y = -150 to y = 250, so the box shows positions 0.375 (top) to 0.625 (bottom).
    const QImage down = Fill(fill.Brush(400, 100, false), 400, 100);
    EXPECT_NEAR(Grey(down, 200, 0), 0.375 * 255, 2);
    EXPECT_NEAR(Grey(down, 200, 99), 0.625 * 255, 2);
    EXPECT_NEAR(Grey(down, 0, 50), Grey(down, 399, 50), 1) << "no change across the box";
    // Rotation 90 keeps the top edge: left to right; 180 runs upwards.
    fill.FRotation = 90;
    const QImage across = Fill(fill.Brush(400, 100, false), 400, 100);
    EXPECT_NEAR(Grey(across, 0, 50), 0, 2);
    EXPECT_NEAR(Grey(across, 399, 50), 255, 2);
    fill.FRotation = 180;
    const QImage up = Fill(fill.Brush(400, 100, false), 400, 100);
    EXPECT_NEAR(Grey(up, 200, 0), 0.625 * 255, 2);
    // Centred on the origin the same box gives the same ramp.
    fill.FRotation = 0;
    BrushPtr centred = fill.Brush(400, 100, true);
    centred->setTransform(centred->transform() * Matrix3x2::translation(200, 50));
    const QImage moved = Fill(centred, 400, 100);
    EXPECT_NEAR(Grey(moved, 200, 0), 0.375 * 255, 2);
}

TEST_F(BrushGroups, RadialGradientHasTheBoxSizeAsRadii) {
    TRPropBackgroundFill fill;
    fill.FBrushStyle = brsGradientRadial;
    BlackToWhite(fill.FColors);
    const QImage image = Fill(fill.Brush(200, 100, false), 200, 100);
    EXPECT_NEAR(Grey(image, 100, 50), 0, 2);
    EXPECT_NEAR(Grey(image, 199, 50), 0.5 * 255, 2);
    EXPECT_NEAR(Grey(image, 100, 0), 0.5 * 255, 2);
    EXPECT_NEAR(Grey(image, 0, 0), 0.7071 * 255, 3);
    EXPECT_NEAR(Grey(image, 199, 99), 0.7071 * 255, 3);
}

TEST_F(BrushGroups, AddedEndStopsKeepTheEndsFlatAndInterpolationIsPremultiplied) {
    TRPropBackgroundFill fill;
    fill.FBrushStyle = brsGradientLinear;
    fill.FRotation = 90;
    BlackToWhite(fill.FColors, 0.3f, 0.6f);
    const QImage image = Fill(fill.Brush(100, 10, false), 100, 10);
    EXPECT_NEAR(Grey(image, 5, 5), 0, 1);
    EXPECT_NEAR(Grey(image, 28, 5), 0, 2);
    EXPECT_NEAR(Grey(image, 45, 5), 255 * (0.455 - 0.3) / 0.3, 3);
    EXPECT_NEAR(Grey(image, 62, 5), 255, 2);
    EXPECT_NEAR(Grey(image, 95, 5), 255, 1);

    // A transparent black stop beside an opaque white one fades the white out: half way the
    // pixel is white at half alpha (premultiplied 128, 128), never a dark grey.
    fill.FColors.BeginAddColors();
    fill.FColors.AddColor(0x000000, 0, 0);
    fill.FColors.AddColor(0xFFFFFF, 1, 1);
    const QImage fade = Fill(fill.Brush(100, 10, false), 100, 10);
    const QRgb half = fade.pixel(50, 5);
    EXPECT_NEAR(qAlpha(half), 128, 3);
    EXPECT_NEAR(qRed(half), qAlpha(half), 2) << std::hex << half;
}

TEST_F(BrushGroups, SolidFillIgnoresTheStopOpacityWhileSolidTextAppliesIt) {
    TRPropBackgroundFill fill;
    fill.FColors.SetColor(0, 0x0000FF, 0, 0.2f);
    const QImage filled = Fill(fill.Brush(10, 10, false), 10, 10);
    EXPECT_EQ(filled.pixel(5, 5), qRgba(255, 0, 0, 255));
    fill.FOpacity = 0.5f;
    EXPECT_NEAR(qAlpha(Fill(fill.Brush(10, 10, false), 10, 10).pixel(5, 5)), 128, 1);

    TRPropText text;
    text.FColors.SetColor(0, 0x0000FF, 0, 0.5f);
    for (TRBrushStyle style : {brsSolid, brsEraseBackGround, brsMediaLibrary}) {
        text.FBrushStyle = style;
        const QRgb pixel = Fill(text.Brush(10, 10, false), 10, 10).pixel(5, 5);
        EXPECT_NEAR(qAlpha(pixel), 128, 1) << int(style);
        EXPECT_NEAR(qRed(pixel), 128, 1) << int(style);
    }
    // Outline, underline and strikethrough are opaque whatever the group's opacity.
    text.FOpacity = 0.25f;
    text.FOutlineColor = 0x00FF00;
    EXPECT_EQ(Fill(text.OutlineBrush(), 4, 4).pixel(1, 1), qRgba(0, 255, 0, 255));
    EXPECT_EQ(Fill(text.StrikeBrush(), 4, 4).pixel(1, 1), qRgba(255, 0, 0, 255));
    EXPECT_EQ(Fill(text.UnderlineBrush(), 4, 4).pixel(1, 1), qRgba(0, 0, 0, 255));
}

TEST_F(BrushGroups, TheFillBuildsNoBrushForMediaOrErasing) {
    TRPropBackgroundFill fill;
    for (TRBrushStyle style : {brsMediaLibrary, brsEraseBackGround}) {
        fill.FBrushStyle = style;
        EXPECT_FALSE(fill.Brush(10, 10, false)) << int(style);
    }
}

TEST_F(BrushGroups, MediaLibraryTextWrapsTheChosenObjectsPicture) {
    TRProject project;
    TRObject* image = project.AddObjectOfType(otImage);
    ASSERT_NE(image, nullptr);
    image->FMediaBitmap = Bitmap::create({2, 1}, {});
    const std::uint32_t pixels[2] = {0xFFFF0000, 0xFF0000FF};
    image->FMediaBitmap->copyFromMemory(pixels, 8);
    TRPropText text;
    text.FBrushStyle = brsMediaLibrary;
    text.FOpacity = 0.5f; // not applied to pictures
    text.SetMediaSource(otImage, image->ObjectId());
    const QImage tiled = Fill(text.Brush(10, 10, false, &project), 5, 2);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(tiled.pixel(x, 1), x % 2 ? 0xFF0000FFu : 0xFFFF0000u) << x;
    // A choice that names no object paints with stop 0.
    text.SetMediaSource(otImage, image->ObjectId() + 1);
    EXPECT_EQ(qGreen(Fill(text.Brush(10, 10, false, &project), 2, 2).pixel(0, 0)), 0);
    EXPECT_NEAR(qAlpha(Fill(text.Brush(10, 10, false, &project), 2, 2).pixel(0, 0)), 128, 1);
}

// ---- easing ----

struct FillCase {
    bool fromOn, toOn;
    TRBrushStyle style;
    float opacity, position1, opacity0;
    TColor color0;
};

TEST_F(BrushGroups, FillEasesInFourCasesOfTheSwitches) {
    TRPropBackgroundFill from, to;
    from.FBrushStyle = brsGradientLinear;
    from.FRotation = 0;
    from.FOpacity = 0.8f;
    from.FColors.BeginAddColors();
    from.FColors.AddColor(0x111111, 0, 1);
    from.FColors.AddColor(0x222222, 0.5f, 1);
    to.FBrushStyle = brsGradientRadial;
    to.FRotation = 100;
    to.FOpacity = 0.4f;
    to.FColors.BeginAddColors();
    to.FColors.AddColor(0x333333, 0, 0);
    to.FColors.AddColor(0x444444, 1, 1);
    const FillCase cases[] = {
        {true, true, brsGradientLinear, 0.8f + 0.25f * (0.4f - 0.8f), 0.625f, 0.75f, 0x111111},
        {true, false, brsGradientLinear, 0.75f * 0.8f, 0.5f, 1, 0x111111},
        {false, true, brsGradientRadial, 0.25f * 0.4f, 1, 0, 0x333333},
    };
    for (const FillCase& c : cases) {
        from.SetChecked(c.fromOn);
        to.SetChecked(c.toOn);
        TRPropBackgroundFill result;
        from.EaseTo(0.25f, &to, &result);
        EXPECT_EQ(result.FBrushStyle, c.style) << c.fromOn << c.toOn;
        EXPECT_NEAR(result.FOpacity, c.opacity, 1e-6) << c.fromOn << c.toOn;
        EXPECT_NEAR(result.FColors.GetColor(1).Position, c.position1, 1e-6) << c.fromOn << c.toOn;
        EXPECT_NEAR(result.FColors.GetColor(0).Opacity, c.opacity0, 1e-6) << c.fromOn << c.toOn;
        EXPECT_EQ(result.FColors.GetColor(0).Color, c.color0) << c.fromOn << c.toOn;
    }
    from.SetChecked(false);
    to.SetChecked(false);
    TRPropBackgroundFill untouched;
    untouched.FOpacity = 0.3f;
    from.EaseTo(0.5f, &to, &untouched);
    EXPECT_EQ(untouched.FOpacity, 0.3f);
    EXPECT_EQ(untouched.FColors.GetColor(0).Color, 0xFFFFFFu);
}

TEST_F(BrushGroups, BorderWidthMovesWhileDashAndCapSwitchLater) {
    TRPropBackgroundBorder from, to, result;
    from.SetChecked(true);
    to.SetChecked(true);
    from.FThickness = 2;
    to.FThickness = 10;
    from.FDashStyle = 1;
    to.FDashStyle = 3;
    to.FCapStyle = 2;
    to.FBlur = 4;
    from.EaseTo(0.5f, &to, &result);
    EXPECT_EQ(result.FThickness, 6.0f);
    EXPECT_EQ(result.FBlur, 2.0f);
    EXPECT_EQ(result.FDashStyle, 1);
    EXPECT_EQ(result.FCapStyle, 0);
    from.SetChecked(false);
    from.EaseTo(0.5f, &to, &result);
    EXPECT_EQ(result.FThickness, 10.0f) << "fading in takes the later border's stroke";
    EXPECT_EQ(result.FDashStyle, 3);
    EXPECT_EQ(result.FOpacity, 0.5f);
}

TEST_F(BrushGroups, TextSizeMovesWhileTextAndColoursSwitchAtTheLaterKeyframe) {
    TRPropText from, to, result;
    from.FFontSize = 20;
    to.FFontSize = 40;
    from.FText = "early";
    to.FText = "late";
    to.FColors.SetColor(0, 0x00FF00, 0.5f, 0);
    to.FOutlineSize = 4;
    to.FBold = true;
    from.EaseTo(0.5f, &to, &result);
    EXPECT_EQ(result.FFontSize, 30.0f);
    EXPECT_EQ(result.FOutlineSize, 2.0f);
    EXPECT_EQ(result.FText, "early");
    EXPECT_FALSE(result.FBold);
    EXPECT_EQ(result.FColors.GetColor(0).Color, 0u);
    EXPECT_EQ(result.FColors.GetColor(0).Position, 0.25f);
    EXPECT_EQ(result.FColors.GetColor(0).Opacity, 0.5f);
}

TEST_F(BrushGroups, TextPathKindSwitchesAtTheNextKeyframe) {
    TRPropTextPath from, to, result;
    from.FPathType = 2;
    to.FPathType = 4;
    to.FOffset = 1;
    to.FAdjust = -0.5f;
    to.FMLeft = 40;
    to.FMBottom = -20;
    from.EaseTo(0.25f, &to, &result);
    EXPECT_EQ(result.FPathType, 2);
    EXPECT_EQ(result.FOffset, 0.25f);
    EXPECT_EQ(result.FAdjust, -0.125f);
    EXPECT_EQ(result.FMLeft, 10.0f);
    EXPECT_EQ(result.FMBottom, -5.0f);
}

// ---- reading ----

std::unique_ptr<TRPropText> ReadText(const QByteArray& xml, bool paste = false) {
    QDomDocument document;
    EXPECT_TRUE(document.setContent(xml));
    auto text = std::make_unique<TRPropText>();
    text->OpenFromXML(document.documentElement(), paste);
    return text;
}

TEST_F(BrushGroups, TextReadingRules) {
    // "Alignment" of older files wins over "AlignmentH".
    EXPECT_EQ(ReadText(R"(<Property Type="19" AlignmentH="2" Alignment="1"/>)")->FAlignmentH, 1);
    EXPECT_EQ(ReadText(R"(<Property Type="19" AlignmentH="3"/>)")->FAlignmentH, 3);
    // LF line breaks become CR LF unless the text holds a CR.
    EXPECT_EQ(ReadText("<Property Type=\"19\" Text=\"a&#10;b&#10;c\"/>")->FText, "a\r\nb\r\nc");
    EXPECT_EQ(ReadText("<Property Type=\"19\" Text=\"a&#13;&#10;b&#10;c\"/>")->FText, "a\r\nb\nc");
    // A paste keeps the target's text but takes the rest.
    const auto pasted =
        ReadText(R"(<Property Type="19" Text="other" FontSize="50" Bold="true"/>)", true);
    EXPECT_EQ(pasted->FText, "Sample text");
    EXPECT_EQ(pasted->FFontSize, 50.0f);
}

TEST_F(BrushGroups, OneStopIsPaddedToTwo) {
    const auto text =
        ReadText(R"(<Property Type="19" Style="1"><Color Color="255" Opacity="0.5"/></Property>)");
    ASSERT_EQ(text->FColors.GetNrColors(), 2);
    EXPECT_EQ(text->FColors.GetColor(1).Color, 255u);
    EXPECT_EQ(text->FColors.GetColor(1).Opacity, 0.5f);
    EXPECT_TRUE(text->Brush(10, 10, false));
    TRPropText result;
    text->EaseTo(0.5f, text.get(), &result);
    EXPECT_EQ(result.FColors.GetColor(1).Color, 255u);
}

TEST_F(BrushGroups, MediaChoiceByTypeAndIdWithTheLegacyCodeAsFallback) {
    const auto legacy = ReadText(R"(<Property Type="19" BitmapCode="3002"/>)");
    EXPECT_EQ(legacy->MediaType(), otImage);
    EXPECT_EQ(legacy->MediaId(), 2);
    // An id of 1000 or more is kept apart from the type.
    const auto typed =
        ReadText(R"(<Property Type="19" BitmapCode="4500" BitmapType="3" BitmapID="1500"/>)");
    EXPECT_EQ(typed->MediaType(), otImage);
    EXPECT_EQ(typed->MediaId(), 1500);

    TRPropText source;
    source.SetMediaSource(otVideo, 1234);
    QDomDocument document = XmlNewDocument("Transformation");
    const QDomElement element = source.SaveToXML(document.documentElement());
    EXPECT_EQ(element.attribute("BitmapCode"), "5234");
    EXPECT_EQ(element.attribute("BitmapType"), "4");
    EXPECT_EQ(element.attribute("BitmapID"), "1234");
    TRPropText copy;
    copy.OpenFromXML(element, false);
    EXPECT_EQ(copy.MediaType(), otVideo);
    EXPECT_EQ(copy.MediaId(), 1234);
}

// ---- the border's stroke, blur and composite ----

TEST_F(BrushGroups, BorderStrokeStyleUsesCapsForEveryDash) {
    TRPropBackgroundBorder border;
    border.FDashStyle = 2;
    border.FCapStyle = 2;
    const auto style = border.GetStrokeStyle();
    ASSERT_TRUE(style);
    EXPECT_EQ(style->properties().dashCap, CapStyle::Round);
    EXPECT_EQ(style->properties().startCap, CapStyle::Round);
    EXPECT_EQ(style->properties().dashStyle, DashStyle::Dot);
    EXPECT_EQ(style->properties().miterLimit, 10.0f);
}

TEST_F(BrushGroups, BorderIsBlurredAndLaidOverTheObject) {
    // A 20 x 20 object of opaque blue; its border image a 2 px red frame inside 20 x 20.
    const auto image = [](QRgb fill, bool frame) {
        BitmapPtr bitmap = Bitmap::create({20, 20}, {});
        std::vector<std::uint32_t> pixels(400, 0);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (!frame || x < 2 || y < 2 || x > 17 || y > 17)
                    pixels[std::size_t(y * 20 + x)] = fill;
        bitmap->copyFromMemory(pixels.data(), 80);
        return bitmap;
    };
    const BitmapPtr object = image(0xFF0000FF, false), border = image(0xFFFF0000, true);
    const auto draw = [this](const ImagePtr& drawn) {
        target = Bitmap::create({20, 20}, {.options = BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear({0, 0, 0, 0});
        if (drawn)
            D2DContext->drawImage(*drawn);
        EXPECT_TRUE(D2DContext->endDraw());
        return target->image();
    };
    TRPropBackgroundBorder group;
    const QImage sharp = draw(group.DrawBlurAndComposite(object, border));
    EXPECT_EQ(sharp.pixel(0, 10), 0xFFFF0000u) << "the border lies on top";
    EXPECT_EQ(sharp.pixel(10, 10), 0xFF0000FFu);
    EXPECT_EQ(group.DrawBlurAndComposite(nullptr, border), ImagePtr(border));
    EXPECT_EQ(group.DrawBlurAndComposite(object, nullptr), ImagePtr(object));
    EXPECT_EQ(group.DrawBlur(object), ImagePtr(object));

    group.FBlur = 4;
    const QImage blurred = draw(group.DrawBlurAndComposite(nullptr, border));
    const QRgb edge = blurred.pixel(0, 10), inside = blurred.pixel(10, 10);
    EXPECT_LT(qAlpha(edge), 200) << "the soft edge fades the outer border";
    EXPECT_GT(qAlpha(inside), 0) << "the blur spreads the frame inwards";
    EXPECT_LT(qAlpha(inside), 128);
    const QImage over = draw(group.DrawBlurAndComposite(object, border));
    EXPECT_EQ(qBlue(over.pixel(10, 10)) + qRed(over.pixel(10, 10)) >= 250, true);
}

} // namespace
