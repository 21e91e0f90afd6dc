// Shape and text objects: their defaults, the erase-background text without a fill, the glyphs
// cut out of the fill, Pixelate inside the bitmap (inverted) or on the scene, and Colorize
// clipped to the outline.
#include "graphics/URPropEffect.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropShape.h"
#include "objects/URPropText.h"
#include "objects/kinds/URShape.h"
#include "tests/objects/kinds/KindsTestSupport.h"

using namespace platform::render;

namespace {

class ShapeText : public KindsTest {
protected:
    // A shape of 100 x 60 without border, shadow or reflection, its outline not adjusted.
    template <class Kind> std::unique_ptr<Kind> Plain(TRObjectType type, const char* outline) {
        auto shape = Make<Kind>(type);
        Place(*shape, {100, 60});
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            if (TRPropBase* group = shape->GetProperty(off, true))
                group->SetChecked(false);
        auto* group = Own<TRPropShape>(*shape, ptShape);
        group->FShapeName = outline;
        group->FRoundness = 0; // an ellipse without a hole

        return shape;
    }

    static void SetEffect(TRObject& object, const char* name, bool invert) {
        auto* effect = Own<TRPropEffect>(object, ptEffect);
        effect->SetChecked(true);
        effect->FEffectName = name;
        effect->FInvert = invert;
        effect->FIntensity = 0.5f; // Pixelate: blocks of 10 pixels
        effect->FColor = 0x00FF00;
    }

    // A fill from black at the left to white at the right.
    static void Gradient(TRObject& object) {
        auto* fill = Own<TRPropBackgroundFill>(object, ptBackgroundFill);
        fill->FBrushStyle = brsGradientLinear;
        fill->FRotation = 90;
        fill->FColors.SetColor(0, 0x000000, 0, 1);
        fill->FColors.SetColor(1, 0xFFFFFF, 1, 1);
    }
};

} // namespace

TEST_F(ShapeText, NewShapesAndTexts) {
    auto shape = Make<TRShape>(otShape);
    auto text = Make<TRText>(otText);
    EXPECT_EQ(shape->ObjectName(), "Shape " + QString::number(shape->ObjectId()));
    EXPECT_EQ(text->ObjectName(), "Text " + QString::number(text->ObjectId()));
    for (TRObject* object :
         {static_cast<TRObject*>(shape.get()), static_cast<TRObject*>(text.get())}) {
        EXPECT_TRUE(object->GetProperty(ptBackgroundFill, true)->Checked());
        EXPECT_TRUE(object->GetProperty(ptBackgroundBorder, true)->Checked());
        EXPECT_FLOAT_EQ(Own<TRPropShape>(*object, ptShape)->FRoundness, 0.1f);
    }
    EXPECT_EQ(shape->GetProperty(ptText, true), nullptr);
    TRPropBase* group = text->GetProperty(ptText, true);
    EXPECT_FALSE(group->UseCheckBox());
    group->SetChecked(false); // cannot be switched off
    EXPECT_TRUE(group->Checked());
    EXPECT_TRUE(group->Expanded());
}

TEST_F(ShapeText, ErasingTextWithoutAFillShowsOnlyTheBorder) {
    auto text = Plain<TRText>(otText, "Rectangle");
    auto* border = text->GetProperty(ptBackgroundBorder, true);
    border->SetChecked(true);
    Own<TRPropText>(*text, ptText)->FBrushStyle = brsEraseBackGround;
    Own<TRPropText>(*text, ptText)->FText = "WWW";
    text->GetProperty(ptBackgroundFill, true)->SetChecked(false);
    text->UpdateBitmap();
    for (int y = 0; y < int(text->FBitmap->pixelSize().height); ++y)
        for (int x = 0; x < int(text->FBitmap->pixelSize().width); ++x)
            ASSERT_EQ(PixelOf(*text->FBitmap, x, y), 0u) << x << ", " << y;
    ASSERT_TRUE(text->FBitmapBorder);
    // The border (5 wide, its centre on the rectangle's edge, 5 px margin) in its own bitmap.
    EXPECT_EQ(qAlpha(PixelOf(*text->FBitmapBorder, 5, 35)), 255);
    EXPECT_EQ(qAlpha(PixelOf(*text->FBitmapBorder, 55, 35)), 0);
}

TEST_F(ShapeText, ErasingTextCutsItsGlyphsOutOfTheFill) {
    auto text = Plain<TRText>(otText, "Rectangle");
    auto* group = Own<TRPropText>(*text, ptText);
    group->FBrushStyle = brsEraseBackGround;
    group->FText = "IIIII";
    group->FFontSize = 40;
    text->UpdateBitmap();
    int open = 0, filled = 0;
    for (int x = 0; x < 100; ++x) {
        const int a = qAlpha(PixelOf(*text->FBitmap, x, 30));
        open += a == 0;
        filled += a == 255;
    }
    EXPECT_GT(open, 5);    // the strokes of the letters
    EXPECT_GT(filled, 30); // the fill around them
}

TEST_F(ShapeText, PixelateInvertedActsInsideTheOutlineOtherwiseOnTheScene) {
    for (const bool invert : {false, true}) {
        SCOPED_TRACE(invert ? "inverted" : "plain");
        auto shape = Plain<TRShape>(otShape, "Ellipse");
        Gradient(*shape);
        SetEffect(*shape, "Pixelate", invert);
        shape->UpdateBitmap();
        const uint32_t a = PixelOf(*shape->FBitmap, 41, 30);
        const uint32_t b = PixelOf(*shape->FBitmap, 48, 30);
        // Inside one 10-pixel block (40..49) the inverted pixelation shows one colour; the plain
        // gradient grows lighter (x = 41 is 41.5 % of the way from black: 0x6a).
        EXPECT_EQ(a == b, invert);
        if (!invert) {
            EXPECT_TRUE(Near(a, 0xFF6A6A6Au, 2));
        }
        // The corner stays outside the ellipse either way.
        EXPECT_EQ(PixelOf(*shape->FBitmap, 1, 1), 0u);
        EXPECT_EQ(shape->FMediaBitmap != nullptr, invert);
    }
}

TEST_F(ShapeText, ColorizeIsClippedToTheOutlineAndNotRepeatedOnTheScene) {
    auto shape = Plain<TRShape>(otShape, "Ellipse");
    auto plain = Plain<TRShape>(otShape, "Ellipse");
    SetEffect(*shape, "Colorize", false);
    shape->UpdateBitmap();
    plain->UpdateBitmap();
    EXPECT_EQ(PixelOf(*shape->FBitmap, 1, 1), 0u);
    EXPECT_NE(PixelOf(*shape->FBitmap, 50, 30), PixelOf(*plain->FBitmap, 50, 30));
    EXPECT_EQ(qAlpha(PixelOf(*shape->FBitmap, 50, 30)), 255);
    // On the scene the bitmap is laid down as it is.
    const BitmapPtr target =
        Bitmap::create({100, 60}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    DeviceContext* dc = SceneContext();
    dc->setTarget(target);
    dc->beginDraw();
    dc->clear({0, 0, 0, 0});
    dc->setTransform(Matrix3x2::translation(50, 30));
    shape->PaintOnScene(false, true);
    ASSERT_TRUE(dc->endDraw());
    EXPECT_TRUE(Near(target->image().pixel(50, 30), PixelOf(*shape->FBitmap, 50, 30), 1));
}
