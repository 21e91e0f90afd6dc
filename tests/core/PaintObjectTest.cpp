// Object scene painting: hit tests, the multi-selection outline, the object bitmaps, the
// transition step and the text hook.
#include "CoreTestEnvironment.h"
#include "PaintTestSupport.h"
#include "core/URPropTransition.h"
#include "objects/URPropBackgroundBorder.h"

#include <optional>

using namespace painttest;

namespace {

class PaintObject : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        context_ = DeviceContext::create(Factory::create());
        InstallScene(context_.get());
        project_ = NewProject(160, 90, 0);
        shape_ = AddShape(*project_, QPointF(20, 10), QSizeF(40, 20), 0x00FF00);
        shape_->SetTimeStartField(1000);
        shape_->SetTimeEnd(5000);
        project_->SetTimePosition(2000);
    }
    void TearDown() override {
        TransitionDrawHook = nullptr;
        ObjectTextPainter = nullptr;
        SceneContextHook = nullptr;
        InstalledContext() = nullptr;
    }

    TRPropPlacement* Placement() { return shape_->Get<TRPropPlacement>(ptPlacement, true); }

    DeviceContextPtr context_;
    std::unique_ptr<TRProject> project_;
    FilledShape* shape_ = nullptr;
};

} // namespace

TEST_F(PaintObject, SceneHitTest) {
    struct Case {
        const char* what;
        int time;
        bool visible;
        QPoint at;
        TRHitScene expected;
    } cases[] = {{"inside", 2000, true, {20, 10}, hsObject},
                 {"near the corner", 2000, true, {39, 19}, hsObject},
                 {"outside", 2000, true, {41, 10}, hsNone},
                 {"hidden", 2000, false, {20, 10}, hsNone},
                 {"before its time", 500, true, {20, 10}, hsNone},
                 {"after its time", 5001, true, {20, 10}, hsNone}};
    for (const Case& c : cases) {
        project_->SetTimePosition(c.time);
        shape_->SetVisibility(c.visible);
        EXPECT_EQ(shape_->TestHitOnScene(c.at.x(), c.at.y(), nullptr), c.expected) << c.what;
    }
}

TEST_F(PaintObject, HitTestFollowsRotationAndMatrix) {
    Placement()->FRotationZ = 90; // 40 x 20 turned upright: 20 wide, 40 high
    EXPECT_EQ(shape_->TestHitOnScene(20, 28, nullptr), hsObject);
    EXPECT_EQ(shape_->TestHitOnScene(36, 10, nullptr), hsNone);
    Placement()->FRotationZ = 0;
    const Matrix3x2 shift = Matrix3x2::translation(100, 0);
    EXPECT_EQ(shape_->TestHitOnScene(120, 10, &shift), hsObject);
    EXPECT_EQ(shape_->TestHitOnScene(20, 10, &shift), hsNone);
}

TEST_F(PaintObject, SelectionOutlineKeepsItsScreenWidthUnderZoom) {
    shape_->SetMultiSelect(true);
    for (float zoom : {1.0f, 2.0f, 4.0f}) {
        project_->InterfaceOptions.DesignScale = zoom;
        BitmapPtr target = BeginScene(*context_, 480, 270, zoom);
        ASSERT_TRUE(shape_->PaintMultiSelectOnScene());
        ASSERT_TRUE(context_->endDraw());
        // Count the inked pixels of the outline's left edge along the row through the centre.
        const int row = int(135 + 10 * zoom);
        int ink = 0;
        for (int x = 0; x < 240 + int(20 * zoom); ++x)
            ink += qAlpha(target->image().pixel(x, row)) > 64 ? 1 : 0;
        EXPECT_NEAR(ink, 2, 1) << zoom;
    }
}

TEST_F(PaintObject, MultiSelectOutlineOnlyForASelectedObjectInItsTime) {
    BitmapPtr target = BeginScene(*context_, 160, 90);
    EXPECT_FALSE(shape_->PaintMultiSelectOnScene());
    shape_->SetMultiSelect(true);
    project_->SelectedObject = shape_;
    EXPECT_FALSE(shape_->PaintMultiSelectOnScene());
    project_->SelectedObject = nullptr;
    project_->SetTimePosition(6000);
    EXPECT_FALSE(shape_->PaintMultiSelectOnScene());
    context_->endDraw();
}

TEST_F(PaintObject, BitmapsReusedUntilTheirPixelSizeChanges) {
    auto* border = shape_->Get<TRPropBackgroundBorder>(ptBackgroundBorder, true);
    ASSERT_NE(border, nullptr);
    struct Case {
        QSizeF size;
        bool border;
        SizeU expected;
    } cases[] = {{{0.5, 0.5}, false, {1, 1}},
                 {{0.5, 0.5}, true, {9, 9}},
                 {{40, 20}, true, {48, 28}},
                 {{40.6, 20.2}, false, {40, 20}}};
    for (const Case& c : cases) {
        Placement()->FSize = c.size;
        border->SetChecked(c.border);
        border->FThickness = 4;
        EXPECT_EQ(shape_->CreateBitmaps(true), c.border ? 4.0f : 0.0f);
        ASSERT_TRUE(shape_->FBitmap);
        EXPECT_EQ(shape_->FBitmap->pixelSize(), c.expected);
        EXPECT_EQ(bool(shape_->FBitmapBorder), c.border);
        EXPECT_EQ(shape_->FMediaBitmap->pixelSize(), c.expected);
    }
    const BitmapPtr kept = shape_->FBitmap;
    Placement()->FSize = QSizeF(40.9, 20.9);
    shape_->CreateBitmaps(false);
    EXPECT_EQ(shape_->FBitmap, kept) << "same pixel size: the bitmap is reused";
    Placement()->FScale = 2;
    shape_->CreateBitmaps(false);
    EXPECT_NE(shape_->FBitmap, kept);
    EXPECT_EQ(shape_->FBitmap->pixelSize(), (SizeU{81, 41}));
}

TEST_F(PaintObject, ObjectWithoutPlacementGetsHundredPixelBitmaps) {
    TRObject sound(project_.get(), otAudio);
    sound.CreateBitmaps(false);
    ASSERT_TRUE(sound.FBitmap);
    EXPECT_EQ(sound.FBitmap->pixelSize(), (SizeU{100, 100}));
    EXPECT_EQ(sound.GetTransformedPoints()[2], QPointF(0, 0));
}

TEST_F(PaintObject, TransitionPositionsInAndOut) {
    static std::optional<std::pair<TRPropertyType, float>> seen;
    TransitionDrawHook = [](const TRPropTransition&, TRPropertyType type, float position,
                            const TRTransitionInput&, TRTransitionStep& step) {
        seen = {type, position};
        step.Opacity = 0.5f;
    };
    shape_->TrIn()->SetChecked(true);
    shape_->TrIn()->FDuration = 500;
    shape_->TrOut()->SetChecked(true);
    shape_->TrOut()->FDuration = 500;
    struct Case {
        int time;
        std::optional<std::pair<TRPropertyType, float>> expected;
    } cases[] = {{1000, {{ptTrIn, 0.0f}}},
                 {1250, {{ptTrIn, 0.5f}}},
                 {1500, std::nullopt},
                 {4500, std::nullopt},
                 {4750, {{ptTrOut, 0.5f}}}};
    const auto image = Bitmap::create(SizeU{4, 4});
    for (const Case& c : cases) {
        seen.reset();
        project_->SetTimePosition(c.time);
        const TRTransitionStep step = shape_->ApplyTransitionInOut({image});
        EXPECT_EQ(seen, c.expected) << c.time;
        EXPECT_EQ(step.Output, image) << c.time;
        EXPECT_FLOAT_EQ(step.Opacity, c.expected ? 0.5f : 1.0f) << c.time;
    }
    TransitionDrawHook = nullptr;
    project_->SetTimePosition(1250);
    EXPECT_FLOAT_EQ(shape_->ApplyTransitionInOut({image}).Opacity, 1.0f)
        << "without effect chains the image passes unchanged";
}

TEST_F(PaintObject, TextGoesThroughTheInstalledPainter) {
    shape_->PaintText(RectF{0, 0, 10, 10}); // nothing installed: nothing happens
    static RectF painted;
    static TRObject* who = nullptr;
    ObjectTextPainter = [](TRObject& object, const RectF& rect) {
        who = &object;
        painted = rect;
    };
    shape_->PaintText(RectF{1, 2, 30, 40});
    EXPECT_EQ(who, shape_);
    EXPECT_EQ(painted, (RectF{1, 2, 30, 40}));
}

TEST_F(PaintObject, DeltaBorderFromTheBorderOrTheSketchStroke) {
    auto* border = shape_->Get<TRPropBackgroundBorder>(ptBackgroundBorder, true);
    border->SetChecked(true);
    border->FThickness = 6;
    border->FInflate = 1;
    EXPECT_FLOAT_EQ(shape_->GetDeltaBorder(), 4.0f);
    EXPECT_EQ(shape_->GetTransformedPoints()[1], QPointF(20 - 20 - 4, 10 - 10 - 4));
    EXPECT_EQ(shape_->TestHitOnScene(42, 10, nullptr), hsObject) << "the border is hit";

    TRObject sketch(project_.get(), otSketch);
    auto* stroke = dynamic_cast<TRStrokeSource*>(sketch.GetProperty(ptSketch, true));
    ASSERT_NE(stroke, nullptr);
    EXPECT_FLOAT_EQ(sketch.GetDeltaBorder(), stroke->Thickness() / 2);
}

TEST_F(PaintObject, HoverOutlineLiesTwoPixelsOutsideTheObject) {
    const auto brush = SolidColorBrush::create(ColorF{1, 0, 0, 1});
    struct Case {
        const char* what;
        bool selected;
        bool drawn;
    } cases[] = {{"hovered", false, true}, {"selected", true, false}};
    for (const Case& c : cases) {
        project_->SelectedObject = c.selected ? shape_ : nullptr;
        BitmapPtr target = BeginScene(*context_, 160, 90);
        shape_->PaintMouseOverRectangle(*brush, 1);
        ASSERT_TRUE(context_->endDraw());
        // The 40 x 20 object centred on the origin: its left edge at -20, the outline at -22.
        EXPECT_EQ(qAlpha(target->image().pixel(80 - 23, 45)) > 0, c.drawn) << c.what;
        EXPECT_EQ(qAlpha(target->image().pixel(80 - 20, 45)), 0) << c.what;
    }
}

TEST_F(PaintObject, BorderBitmapDrawnInTheMiddleOfAPass) {
    auto* border = shape_->Get<TRPropBackgroundBorder>(ptBackgroundBorder, true);
    border->SetChecked(true);
    border->FThickness = 4;
    SetSolid(border->FColors, 0x0000FF);
    BitmapPtr scene = BeginScene(*context_, 160, 90);
    shape_->CreateAndUpdateBitmapBorder();
    EXPECT_TRUE(context_->isDrawing());
    EXPECT_EQ(context_->target(), scene);
    EXPECT_EQ(context_->transform().dx, 80.0f);
    ASSERT_TRUE(context_->endDraw());
    ASSERT_TRUE(shape_->FBitmapBorder);
    const QImage ink = shape_->FBitmapBorder->image();
    ASSERT_EQ(ink.size(), QSize(48, 28));
    // The 40 x 20 outline starts 4 pixels in; its 4-pixel stroke covers 2..6.
    EXPECT_EQ(ink.pixel(3, 14), qRgb(255, 0, 0));
    EXPECT_EQ(ink.pixel(5, 14), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(ink.pixel(24, 14)), 0);
    EXPECT_EQ(qAlpha(ink.pixel(0, 14)), 0);

    border->SetChecked(false);
    shape_->CreateAndUpdateBitmapBorder();
    EXPECT_FALSE(shape_->FBitmapBorder);
}
