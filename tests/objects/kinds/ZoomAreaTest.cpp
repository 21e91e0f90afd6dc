// The zoom area on a 200 x 100 project over a ramp picture whose red is the column and whose
// green is twice the row, so the source pixel behind any magnified pixel can be read back. The
// area is 40 x 20 at (60, 25): its bitmap pixel (i, j) lands on frame pixel (140 + i, 65 + j)
// when it has no border. Expected values are worked out by hand from the source centre, zoom
// and rotation: bitmap pixel centre (i + 0.5, j + 0.5) minus (20, 10), divided by the zoom,
// turned by the source rotation, plus the truncated source centre in frame pixels.
#include "core/UREasing.h"
#include "core/URPropTransition.h"
#include "core/URTimelineClip.h"
#include "graphics/URPropEffect.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropShape.h"
#include "objects/URPropZoomSource.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URZoomArea.h"
#include "tests/objects/kinds/KindsTestSupport.h"

using namespace platform::render;

namespace {

constexpr QRgb Teal = 0xFF00A1A1; // the border's default colour

QRgb Ramp(int x, int y) {
    return qRgb(x, 2 * y, 0);
}

QRgb Checker4(int x, int y) {
    return (x / 4 + y / 4) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
}

class ZoomArea : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        project_->SetProjectSize(200, 100);
        project_->Exporting = true; // the frame alone; transitions run
    }
    void TearDown() override {
        TimelineControlHook = nullptr;
        KindsTest::TearDown();
    }

    void AddPicture(const std::function<QRgb(int, int)>& f) {
        auto image = Make<TRImage>(otImage);
        Place(*image, QSizeF(200, 100));
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            image->GetProperty(off, true)->SetChecked(false);
        image->TrIn()->SetChecked(false); // new objects take the settings' transitions
        image->TrOut()->SetChecked(false);
        image->FMediaBitmap = Bitmap::fromImage(Picture(200, 100, f));
        project_->AddObject(std::move(image));
    }

    // A 40 x 20 zoom area at `position` magnifying `zoom` times around (cx, cy), without
    // border, shadow or transitions unless asked.
    TRZoomArea& AddZoom(QPointF position, float zoom, float cx, float cy, float rotation = 0) {
        auto area = Make<TRZoomArea>(otZoomArea);
        Place(*area, QSizeF(40, 20), position);
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            area->GetProperty(off, true)->SetChecked(false);
        area->TrIn()->SetChecked(false);
        area->TrOut()->SetChecked(false);
        auto* source = Own<TRPropZoomSource>(*area, ptZoomSource);
        source->FZoom = zoom;
        source->FCenterX = cx;
        source->FCenterY = cy;
        source->FRotation = rotation;
        return static_cast<TRZoomArea&>(*project_->AddObject(std::move(area)));
    }

    QImage Frame(std::int32_t time = 1500) { return PaintProjectFrame(*project_, time); }
};

// The ramp's red and green at frame pixel (x, y), compared with worked-out source values.
::testing::AssertionResult ShowsSource(const QImage& frame, int x, int y, double red,
                                       double green) {
    const QRgb got = frame.pixel(x, y);
    if (std::abs(qRed(got) - red) <= 1.5 && std::abs(qGreen(got) - green) <= 2.5)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel " << x << ", " << y << " is (" << qRed(got) << ", " << qGreen(got)
           << "), not (" << red << ", " << green << ")";
}

} // namespace

TEST_F(ZoomArea, ANewAreaSitsNearTheTopLeftCornerWithItsZoomTransitions) {
    project_->SetProjectSize(1280, 720);
    TRObject* area = project_->AddObjectOfType(otZoomArea);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->ObjectName(), QStringLiteral("Zoom Area 1"));
    auto* source = Own<TRPropZoomSource>(*area, ptZoomSource);
    EXPECT_FLOAT_EQ(source->FCenterX, -0.9f);
    EXPECT_FLOAT_EQ(source->FCenterY, -0.9f);
    EXPECT_TRUE(Own<TRPropBackgroundBorder>(*area, ptBackgroundBorder)->Checked());
    EXPECT_EQ(Own<TRPropShape>(*area, ptShape)->FRoundness, 0);
    EXPECT_EQ(area->TrIn()->FName, QStringLiteral("Zoom In"));
    EXPECT_EQ(area->TrOut()->FName, QStringLiteral("Zoom Out"));
}

TEST_F(ZoomArea, MagnifiesTheSourceRegionTurnedUpright) {
    struct Case {
        float zoom, rotation, cx, cy;
        // Bitmap pixels (30, 5) and (5, 15): frame pixels (170, 70) and (145, 80).
        double red1, green1, red2, green2;
    };
    const Case cases[] = {
        {2, 0, 0, 0, 104.75, 94.5, 92.25, 104.5},
        {2, 90, 0, 0, 101.75, 109.5, 96.75, 84.5},
        {4, 0, -0.5f, 0.5f, 52.12, 146.75, 45.88, 151.75},
        {1, 30, 0.2f, -0.4f, 130.84, 61.71, 104.19, 54.03},
        {0, 0, 0, 0, 110, 90, 85, 110}, // a zoom of 0 counts as 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " rotation " << c.rotation);
        while (!project_->Objects().empty())
            project_->DeleteObject(project_->Objects().front().get());
        AddPicture(Ramp);
        AddZoom({60, 25}, c.zoom, c.cx, c.cy, c.rotation);
        const QImage frame = Frame();
        EXPECT_TRUE(ShowsSource(frame, 170, 70, c.red1, c.green1));
        EXPECT_TRUE(ShowsSource(frame, 145, 80, c.red2, c.green2));
        EXPECT_EQ(frame.pixel(139, 70), Ramp(139, 70)); // just left of the area
    }
}

TEST_F(ZoomArea, ALaterAreaSeesTheEarlierOneButNotTheReverse) {
    AddPicture(Ramp);
    TRZoomArea& earlier = AddZoom({-60, -25}, 2, 0, 0);
    TRZoomArea& later = AddZoom({60, 25}, 2, 0, 0);
    for (TRZoomArea* area : {&earlier, &later})
        Own<TRPropBackgroundBorder>(*area, ptBackgroundBorder)->SetChecked(true);
    Frame();
    ASSERT_TRUE(earlier.FMediaBitmap && later.FMediaBitmap);
    // The left edges of their borders (5 wide): the earlier one at x = -80 (column 20), the
    // later one at x = 40 (column 140).
    EXPECT_TRUE(Near(later.FMediaBitmap->image().pixel(20, 25), Teal, 2));
    EXPECT_EQ(earlier.FMediaBitmap->image().pixel(140, 75), Ramp(140, 75));
    EXPECT_EQ(earlier.FMediaBitmap->image().pixel(20, 25), Ramp(20, 25));
}

TEST_F(ZoomArea, ZoomInGrowsOutOfTheSourceRegion) {
    // An 8-pixel border marks the area's outline. Zooming in from 1000 ms for 1000 ms, linear.
    struct Case {
        const char* name;
        std::int32_t time;
        float rotation;
        std::vector<std::pair<QPoint, bool>> border; // frame pixel, on the border
    };
    const Case cases[] = {
        // q = 0: over the source region, its size halved and turned 90 degrees: 10 x 20 around
        // the centre, the border 4 pixels wide around x = +-5 and y = +-10.
        {"q = 0",
         1000,
         90,
         {{{100, 40}, true}, {{104, 50}, true}, {{91, 50}, false}, {{100, 50}, false}}},
        // q = 0.5: three quarters of its size, halfway from the source centre to (60, 25):
        // 30 x 15 around (30, 12.5), the border 6 wide around x = 15 and x = 45.
        {"q = 0.5",
         1500,
         0,
         {{{115, 62}, true}, {{145, 62}, true}, {{160, 75}, false}, {{108, 62}, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        while (!project_->Objects().empty())
            project_->DeleteObject(project_->Objects().front().get());
        AddPicture(Ramp);
        TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0, c.rotation);
        area.SetTimeStartField(1000);
        auto* border = Own<TRPropBackgroundBorder>(area, ptBackgroundBorder);
        border->SetChecked(true);
        border->FThickness = 8;
        area.TrIn()->SetChecked(true);
        area.TrIn()->FDuration = 1000;
        area.TrIn()->FEase = ecLinear;
        const QImage frame = Frame(c.time);
        for (const auto& [p, onBorder] : c.border) {
            const QRgb got = frame.pixel(p);
            if (onBorder)
                EXPECT_TRUE(Near(got, Teal, 3)) << p.x() << ", " << p.y();
            else
                EXPECT_FALSE(Near(got, Teal, 40)) << p.x() << ", " << p.y();
        }
    }
}

TEST_F(ZoomArea, TheEffectFadesWithTheZoomTransitionsOnly) {
    struct Case {
        const char* inName;
        const char* outName;
        std::int32_t ease;
        std::int32_t time;
        float factor;
    };
    // Shown 1000..3000 ms, both transitions 1000 ms long: the in-zone runs to 2000, the
    // out-zone from 2000.
    const Case cases[] = {
        {"Zoom In", "Zoom Out", ecLinear, 1500, 0.5f},
        {"Zoom In", "Zoom Out", ecQuadIn, 1250, 0.0625f},
        {"Zoom In", "Zoom Out", ecLinear, 2000, 1},
        {"Zoom In", "Zoom Out", ecLinear, 2750, 0.25f},
        {"Fade", "Zoom Out", ecLinear, 1500, 1},
        {"Zoom In", "Zoom In", ecLinear, 2500, 1},
    };
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    area.SetTimeStartField(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inName << " / " << c.outName << " at " << c.time);
        for (TRPropTransition* group : {static_cast<TRPropTransition*>(area.TrIn()),
                                        static_cast<TRPropTransition*>(area.TrOut())}) {
            group->SetChecked(true);
            group->FDuration = 1000;
            group->FEase = c.ease;
        }
        area.TrIn()->FName = c.inName;
        area.TrOut()->FName = c.outName;
        area.SetTimePosition(c.time);
        EXPECT_FLOAT_EQ(area.EffectProgress(), c.factor);
    }
    area.TrIn()->SetChecked(false);
    area.TrOut()->SetChecked(false);
    area.SetTimePosition(1500);
    EXPECT_EQ(area.EffectProgress(), 1);
}

TEST_F(ZoomArea, ColorizeIsLaidOverTheFrameFadedByTheZoom) {
    AddPicture([](int, int) { return qRgb(255, 0, 0); });
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    area.SetTimeStartField(1000);
    auto* effect = Own<TRPropEffect>(area, ptEffect);
    effect->SetChecked(true);
    effect->FEffectName = "Colorize";
    effect->FColor = 0xFF0000; // blue
    effect->FIntensity = 0.5f;
    // Half blue over red: (127.5, 0, 127.5).
    EXPECT_TRUE(Near(Frame(2500).pixel(20, 20), qRgb(128, 0, 128), 2));
    // Halfway through "Zoom In" a quarter: (191.25, 0, 63.75).
    area.TrIn()->SetChecked(true);
    area.TrIn()->FDuration = 1000;
    EXPECT_TRUE(Near(Frame(1500).pixel(20, 20), qRgb(191, 0, 64), 2));
    EXPECT_EQ(effect->FIntensity, 0.5f);
}

TEST_F(ZoomArea, ABlurBehindLeavesTheMagnifiedRegionSharp) {
    // 4-pixel cells, blurred with a standard deviation of 10: an even grey far from the area.
    // The bitmap pixel (23, 9) magnifies source (101.75, 49.75), inside cell (25, 12) with all
    // the interpolation's taps: white, exactly.
    AddPicture(Checker4);
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    auto* effect = Own<TRPropEffect>(area, ptEffect);
    effect->SetChecked(true);
    effect->FEffectName = "Gaussian Blur";
    effect->FIntensity = 0.5f;
    const QImage frame = Frame();
    EXPECT_TRUE(Near(frame.pixel(60, 50), 0xFF808080u, 4));
    EXPECT_EQ(frame.pixel(163, 74), qRgb(255, 255, 255));
    EXPECT_EQ(frame.pixel(163, 66), qRgb(0, 0, 0)); // source row 45.75: cell (25, 11)
}

TEST_F(ZoomArea, TheFramesBackgroundSurvivesTheBackgroundEffect) {
    auto* fill = project_->Get<TRPropBackgroundFill>(ptBackgroundFill, true);
    fill->SetChecked(true);
    fill->FBrushStyle = brsSolid;
    fill->FColors.BeginAddColors();
    fill->FColors.AddColor(0xFFFFFF, 0, 1);
    fill->FColors.AddColor(0xFFFFFF, 1, 1);
    fill->FColors.EndAddColors();
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    auto* effect = Own<TRPropEffect>(area, ptEffect);
    effect->SetChecked(true);
    effect->FEffectName = "Grayscale";
    const QImage frame = Frame();
    EXPECT_EQ(frame.pixel(20, 20), qRgb(255, 255, 255));
    EXPECT_EQ(frame.pixel(160, 75), qRgb(255, 255, 255)); // the magnified white
}

TEST_F(ZoomArea, DraggingTheSourceStaysOnTheCanvasAndWaitsForAnimations) {
    struct Case {
        float cx, cy, dx, dy, wantX, wantY;
    };
    const Case cases[] = {
        {0, 0, 50, -25, 0.5f, -0.5f}, // scene pixels to -1 .. 1 units
        {0, 0, -1000, -1000, -1, -1}, // into the top-left corner
        {0.9f, 0.9f, 20, 10, 1, 1},   // past the bottom-right corner
    };
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    auto* source = Own<TRPropZoomSource>(area, ptZoomSource);
    for (const Case& c : cases) {
        source->FCenterX = c.cx;
        source->FCenterY = c.cy;
        area.MoveZoomSource(c.dx, c.dy);
        EXPECT_FLOAT_EQ(source->FCenterX, c.wantX);
        EXPECT_FLOAT_EQ(source->FCenterY, c.wantY);
    }
    // Inside the animation into a second keyframe nothing moves.
    area.AddNewTransformation(2000);
    area.TransformationAt(1).AnimateDuration = 1000;
    area.SetTimePosition(1500);
    ASSERT_TRUE(area.InAnimation());
    auto* animated = Own<TRPropZoomSource>(area, ptZoomSource);
    const float x = animated->FCenterX, y = animated->FCenterY;
    area.MoveZoomSource(-1000, -1000);
    EXPECT_EQ(animated->FCenterX, x);
    EXPECT_EQ(animated->FCenterY, y);
}

TEST_F(ZoomArea, HitsItsOwnOutlineFirstThenTheTurnedSourceRegion) {
    struct Case {
        const char* name;
        float cx, cy, rotation;
        QPoint control; // frame pixels: scene plus (100, 50)
        TRHitScene want;
    };
    // Zoom 1 around (-50, 0): the source is the area's 40 x 20, turned 90 degrees a 20 x 40
    // upright rectangle.
    const Case cases[] = {
        {"on the area", -0.5f, 0, 90, {160, 75}, hsObject},
        {"turned source, below the unturned one", -0.5f, 0, 90, {50, 35}, hsZoomSource},
        {"unturned source only", -0.5f, 0, 90, {33, 50}, hsNone},
        {"unturned source", -0.5f, 0, 0, {33, 50}, hsZoomSource},
        {"source under the area", 0.6f, 0.5f, 0, {160, 75}, hsObject},
    };
    TRZoomArea& area = AddZoom({60, 25}, 1, 0, 0);
    area.SetTimePosition(1500);
    const Matrix3x2 toControl = Matrix3x2::translation(100, 50);
    auto* source = Own<TRPropZoomSource>(area, ptZoomSource);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        source->FCenterX = c.cx;
        source->FCenterY = c.cy;
        source->FRotation = c.rotation;
        EXPECT_EQ(area.TestHitOnScene(c.control.x(), c.control.y(), &toControl), c.want);
    }
    area.SetTimePosition(3001);
    EXPECT_EQ(area.TestHitOnScene(50, 35, &toControl), hsNone);
}

TEST_F(ZoomArea, TheSelectedAreaOutlinesItsSourceWhileTheEditorStandsStill) {
    static TRTimelineControl control;
    TimelineControlHook = [] { return static_cast<const TRTimelineControl*>(&control); };
    project_->Exporting = false;
    AddPicture(Ramp);
    TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
    project_->SelectedObject = &area;
    // The source rectangle 20 x 10 around the centre, one pixel outside: its left side at
    // x = -11, stroked 3 wide in red at 0.7 over the ramp at column 89.
    const QRgb outline = qRgb(int(0.7 * 255 + 0.3 * 89 + 0.5), int(0.3 * 100 + 0.5), 0);
    EXPECT_TRUE(Near(Frame().pixel(89, 50), outline, 3));
    SetScenePlaying(true);
    EXPECT_EQ(Frame().pixel(89, 50), Ramp(89, 50));
}

// The area's shadow keeps its direction on screen when the area turns, and lies on the same
// whole pixels as the area. A hard red shadow 15 px to the right; the frame's background shows
// at (5, 5), far from everything.
TEST_F(ZoomArea, ItsShadowNeitherTurnsNorLeavesTheWholePixels) {
    const struct {
        QSizeF size;
        float rotation;
        QPoint shadowed, clear;
    } cases[] = {
        // Upright 20 x 40 over x 150..170, y 55..95: the shadow covers x 165..185; nothing
        // falls below it.
        {{40, 20}, 90, {180, 75}, {160, 97}},
        // 41 x 21 drawn from (140, 65): the shadow's last column is 195, whole.
        {{41, 21}, 0, {195, 75}, {196, 75}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation);
        while (!project_->Objects().empty())
            project_->DeleteObject(project_->Objects().front().get());
        TRZoomArea& area = AddZoom({60, 25}, 2, 0, 0);
        Place(area, c.size, {60, 25});
        Own<TRPropPlacement>(area, ptPlacement)->FRotationZ = c.rotation;
        HardShadow(area, 0x0000FF, 15, -90);
        const QImage frame = Frame();
        EXPECT_TRUE(Near(frame.pixel(c.shadowed.x(), c.shadowed.y()), 0xFFFF0000));
        EXPECT_EQ(frame.pixel(c.clear.x(), c.clear.y()), frame.pixel(5, 5));
    }
}
