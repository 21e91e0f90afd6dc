// The canvas's picture, pixel by pixel on a 600 x 300 canvas whose centre (300, 150) is the
// frame's centre: the surrounding and the checkerboard of a 1000 x 500 frame at design scales
// 0.5 and 2, the hover outline, the handles of a plain, aspect-keeping, locked, animating and
// X-rotated object, a text box, the snap guides, and the intermediate bitmap kept while the
// size stays. Every expected pixel is worked out from the geometry: a point (x, y) of the scene
// lands on (300 + s x, 150 + s y), and pixel (i, j) covers [i, i + 1) x [j, j + 1).
#include "objects/URPropShape.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"
#include "tests/editor/SceneTestSupport.h"

#include <cmath>

namespace {

// The surrounding, RGB(32, 38, 47), under the frame's outside veil RGB(43, 51, 62) at 0.7.
const QRgb Outside = Over(qRgb(43, 51, 62), 0.7f, qRgb(32, 38, 47));
const QRgb Red80 = qRgb(232, 17, 35);

TEST_F(SceneTest, WithoutAProjectOnlyTheSurroundingShows) {
    canvas_->SetProject(nullptr);
    const QImage shot = Shot();
    for (QPoint p : {QPoint(0, 0), QPoint(300, 150), QPoint(599, 299)})
        EXPECT_TRUE(Near(shot.pixel(p), qRgb(32, 38, 47), 0));
}

TEST_F(SceneTest, DesignScaleOutsideTheRangeDrawsAtOne) {
    const struct {
        float Stored, Used;
    } cases[] = {{0, 1}, {-1, 1}, {2.5f, 1}, {2, 2}, {0.5f, 0.5f}, {0.01f, 0.01f}};
    for (const auto& c : cases) {
        SetScale(c.Stored);
        EXPECT_EQ(canvas_->GetDesignScale(), c.Used) << c.Stored;
    }
    canvas_->SetProject(nullptr);
    EXPECT_EQ(canvas_->GetDesignScale(), 1);
}

// At 0.5 the frame covers x 50..550 and y 25..275 in 8-pixel cells; 1000 = 62 x 16 + 8 and
// 500 = 31 x 16 + 4 leave a last column of 4 pixels (x 546..550) and a last row of 2 pixels
// (y 273..275). The top-left cell is light, cell (row i, column j) dark when i + j is odd.
TEST_F(SceneTest, CheckerboardAtHalfScaleEndsInNarrowCells) {
    SetScale(0.5f);
    const QImage shot = Shot();
    const struct {
        QPoint Pixel;
        QRgb Colour;
    } cases[] = {
        {{54, 29}, LightCell},   // row 0, column 0
        {{62, 29}, DarkCell},    // row 0, column 1
        {{54, 37}, DarkCell},    // row 1, column 0
        {{545, 29}, DarkCell},   // row 0, column 61
        {{548, 29}, LightCell},  // row 0, column 62 (4 pixels wide)
        {{51, 274}, DarkCell},   // row 31 (2 pixels high), column 0
        {{548, 274}, DarkCell},  // row 31, column 62: the cut corner cell
        {{548, 270}, LightCell}, // row 30, column 62
        {{553, 29}, Outside},    // right of the frame
        {{51, 278}, Outside},    // below the frame
        {{10, 10}, Outside},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(shot.pixel(c.Pixel), c.Colour)) << c.Pixel.x() << ", " << c.Pixel.y();
}

// At 2 the cells are 32 pixels: scene x 0 lies in column 31 (x -4..12, pixels 292..324) and
// scene y 0 in row 15 (y -10..6, pixels 130..162).
TEST_F(SceneTest, CheckerboardAtScaleTwoGrowsWithTheZoom) {
    SetScale(2);
    const QImage shot = Shot();
    EXPECT_TRUE(Near(shot.pixel(300, 150), LightCell)); // row 15, column 31
    EXPECT_TRUE(Near(shot.pixel(293, 131), LightCell));
    EXPECT_TRUE(Near(shot.pixel(323, 161), LightCell));
    EXPECT_TRUE(Near(shot.pixel(330, 150), DarkCell)); // column 32
    EXPECT_TRUE(Near(shot.pixel(300, 165), DarkCell)); // row 16
    EXPECT_TRUE(Near(shot.pixel(330, 165), LightCell));
}

// The hover outline lies 2 units outside the drawing, 1 unit wide: a 201 x 101 object at the
// centre has its left edge at x -100.5, the outline at -102.5, so pixel column 197 is covered.
TEST_F(SceneTest, HoveredObjectShowsItsOutline) {
    TRObject* object = AddObject(QSizeF(201, 101));
    const QImage plain = Shot();
    project_->MouseOverObject = object;
    const QImage hovered = Shot();
    EXPECT_TRUE(Near(hovered.pixel(197, 150), qRgb(0, 120, 215)));
    EXPECT_TRUE(Near(hovered.pixel(300, 97), qRgb(0, 120, 215))); // top: y -52.5
    EXPECT_TRUE(Near(plain.pixel(197, 150), DarkCell));           // row 15, column 24
    EXPECT_TRUE(Near(hovered.pixel(300, 150), plain.pixel(300, 150), 0));
}

// A 201 x 101 object at the centre, scale 1: the handles sit 8 pixels outside its corners and
// edge middles, the knob 48 pixels above the top edge. Pixels inside each handle's disc (radius
// 4 inside its ring) and off the outline that runs through the corner handles:
// top-left (-108.5, -58.5) -> pixel (193, 93); top (0, -58.5) -> (300, 94);
// right (108.5, 0) -> (405, 150); knob (0, -98.5) -> (302, 51).
struct HandlePixels {
    bool TopLeft, Top, Right, Knob;
};

void ExpectHandles(const QImage& shot, HandlePixels want, const char* what) {
    const struct {
        QPoint Pixel;
        bool Shown;
    } cases[] = {{{193, 93}, want.TopLeft},
                 {{300, 94}, want.Top},
                 {{405, 150}, want.Right},
                 {{302, 51}, want.Knob}};
    for (const auto& c : cases)
        EXPECT_EQ(Near(shot.pixel(c.Pixel), Highlight, 8), c.Shown)
            << what << " at " << c.Pixel.x() << ", " << c.Pixel.y();
}

// The outline's top edge at y -58.5 (2 pixels wide) covers pixel row 91.
void ExpectDashedOutline(const QImage& shot) {
    int white = 0, highlight = 0;
    for (int x = 210; x < 290; ++x) {
        white += Near(shot.pixel(x, 91), White, 8);
        highlight += Near(shot.pixel(x, 91), Highlight, 8);
    }
    EXPECT_GT(white, 12);
    EXPECT_GT(highlight, 12);
}

// Pixels of a colour in column `x` from row `top` to `bottom` (not included).
int CountInColumn(const QImage& shot, int x, int top, int bottom, QRgb colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        n += Near(shot.pixel(x, y), colour, 8);
    return n;
}

TEST_F(SceneTest, PlainObjectShowsAllHandlesAndADashedOutline) {
    SelectOnly(AddObject(QSizeF(201, 101)));
    const QImage shot = Shot();
    ExpectHandles(shot, {true, true, true, true}, "plain");
    ExpectDashedOutline(shot);
    EXPECT_TRUE(Near(shot.pixel(196, 91), White, 8));          // the top-left handle's ring
    EXPECT_GT(CountInColumn(shot, 300, 58, 85, Highlight), 5); // the knob's dashed stem
}

TEST_F(SceneTest, AspectRatioKeepsOnlyTheSideHandlesAndTheKnob) {
    TRObject* object = AddObject(QSizeF(201, 101));
    Placement(*object)->FAspectRatio = true;
    SelectOnly(object);
    ExpectHandles(Shot(), {false, false, true, true}, "aspect");
}

// A locked object, and one inside an animation (whose placement is always locked), show their
// outline alone, solid in the style's red at 0.8: pixel (250, 91) over a dark cell.
TEST_F(SceneTest, LockedAndAnimatingObjectsShowARedOutlineOnly) {
    TRObject* locked = AddObject(QSizeF(201, 101));
    Placement(*locked)->FLocked = true;
    SelectOnly(locked);
    QImage shot = Shot();
    ExpectHandles(shot, {false, false, false, false}, "locked");
    EXPECT_TRUE(Near(shot.pixel(250, 91), Over(Red80, 0.8f, DarkCell)));

    project_->DeleteObject(locked);
    TRObject* animating = AddObject(QSizeF(201, 101));
    animating->AddNewTransformation(2000);
    animating->TransformationAt(1).AnimateDuration = 1000;
    animating->TransformationAt(1).Properties->Get<TRPropPlacement>(ptPlacement)->FOpacity = 0.5f;
    project_->SetTimePosition(animating->TimeStart() + 1500); // keyframe 1 at 2000, 1000 long
    ASSERT_TRUE(animating->InAnimation());
    SelectOnly(animating);
    shot = Shot();
    ExpectHandles(shot, {false, false, false, false}, "animating");
    EXPECT_TRUE(Near(shot.pixel(250, 91), Over(Red80, 0.8f, DarkCell)));
}

// Turned 60 degrees about X, a point (0, y) goes to depth z = y sin 60 and to
// y cos 60 / (1 - z / 1000): the top handle (0, -58.5) to y -27.84 (pixel row 122.16), the knob
// (0, -98.5) to y -45.38 (row 104.62). Pixels inside their discs, off the outline: (300, 125)
// and (302, 104).
TEST_F(SceneTest, RotatedObjectProjectsItsHandles) {
    TRObject* object = AddObject(QSizeF(201, 101));
    Placement(*object)->FRotationX = 60;
    SelectOnly(object);
    const QImage shot = Shot();
    EXPECT_TRUE(Near(shot.pixel(300, 125), Highlight, 8));
    EXPECT_TRUE(Near(shot.pixel(302, 104), Highlight, 8));
    EXPECT_FALSE(Near(shot.pixel(302, 51), Highlight, 8));
    EXPECT_FALSE(Near(shot.pixel(300, 94), Highlight, 8));
}

// The text box is the shape's text rectangle shrunk by the text path's margins, stroked white
// under red dashes 1 pixel wide; a shape has none.
TEST_F(SceneTest, TextObjectShowsItsTextBox) {
    for (TRObjectType type : {otText, otShape}) {
        TRObject* object = AddObject(QSizeF(201, 101), {}, type);
        if (auto* text = object->Get<TRPropText>(ptText, true))
            text->FText.clear();
        auto* path = object->Get<TRPropTextPath>(ptTextPath, true);
        auto* shape = object->Get<TRPropShape>(ptShape, true);
        ASSERT_NE(shape, nullptr);
        if (path)
            path->FMLeft = path->FMTop = path->FMRight = path->FMBottom = 10;
        shape->FRoundness = 0;
        const QRectF box =
            shape->GetTextRectangle(Placement(*object)->GetBoundsRect()).adjusted(10, 10, -10, -10);
        // The box's left edge on a pixel's centre line: that pixel column is fully covered.
        ASSERT_EQ(box.left() - std::floor(box.left()), 0.5);
        SelectOnly(object);
        const QImage shot = Shot();
        const int column = int(std::floor(300 + box.left()));
        int red = 0, white = 0;
        for (int y = int(150 + box.top()) + 3; y < int(150 + box.bottom()) - 3; ++y) {
            const QRgb p = shot.pixel(column, y);
            red += qRed(p) > 150 && qGreen(p) < 110;
            white += Near(p, White, 12);
        }
        if (type == otText) {
            EXPECT_GT(red, 10);
            EXPECT_GT(white, 10);
        } else {
            EXPECT_EQ(red, 0);
        }
        project_->DeleteObject(object);
    }
}

TEST_F(SceneTest, HandlesHideWhilePlaying) {
    SelectOnly(AddObject(QSizeF(201, 101)));
    services_.PlayingNow = true;
    const QImage shot = Shot();
    ExpectHandles(shot, {false, false, false, false}, "playing");
    EXPECT_FALSE(Near(shot.pixel(250, 91), White, 8));
}

// Scale 1. A keyframe path from A (-150.5, -80.5) to B (49.5, 19.5), both offsets non-zero, so
// white: a dot at A (pixel (149, 69)), the arrowhead filled white 12 units before B along the
// line (pixel (338, 164)) and a disc at B (pixel (349, 169)). A path of (10, 5) from
// (-200.5, 100.5) has its start dot (pixel (99, 250)) but no end disc (3 units past its end:
// pixel (112, 256)). Alignment guides: red when lined up on one axis (row 270 over a light
// cell), white otherwise (row 29).
TEST_F(SceneTest, HelperLinesWithDotsAndArrowheads) {
    canvas_->AddNewHelperLine(-150.5f, -80.5f, 49.5f, 19.5f, 200, 100, true);
    canvas_->AddNewHelperLine(-200.5f, 100.5f, -190.5f, 105.5f, 10, 5, true);
    canvas_->AddNewHelperLine(-250, 120.5f, 250, 120.5f, 5, 0, false);
    canvas_->AddNewHelperLine(-250, -120.5f, 250, -120.5f, 5, 7, false);
    const QImage shot = Shot();
    EXPECT_TRUE(Near(shot.pixel(149, 69), White, 8));
    EXPECT_TRUE(Near(shot.pixel(338, 164), White, 8));
    EXPECT_TRUE(Near(shot.pixel(349, 169), White, 8));
    int dashes = 0; // red dashes over the white line from 25 to 60 units before B
    for (int t = 25; t < 60; ++t) {
        const QRgb p = shot.pixel(int(349.5 - t * 0.894), int(169.5 - t * 0.447));
        dashes += qRed(p) > 150 && qGreen(p) < 110;
    }
    EXPECT_GT(dashes, 5);
    EXPECT_TRUE(Near(shot.pixel(99, 250), White, 8));
    EXPECT_TRUE(Near(shot.pixel(112, 256), DarkCell, 10)); // row 22, column 19
    EXPECT_TRUE(Near(shot.pixel(300, 270), Over(Red80, 0.8f, LightCell)));
    EXPECT_TRUE(Near(shot.pixel(300, 29), White, 3));
    EXPECT_TRUE(canvas_->ClearHelperLines());
    EXPECT_FALSE(canvas_->ClearHelperLines());
    EXPECT_TRUE(Near(Shot().pixel(300, 29), DarkCell)); // row 8, column 31
}

TEST_F(SceneTest, IntermediateBitmapIsKeptWhileTheSizeStays) {
    Shot();
    const platform::render::BitmapPtr first = canvas_->TargetProject();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->pixelSize(), canvas_->wantedPixelSize());
    Shot();
    EXPECT_EQ(canvas_->TargetProject(), first);
    canvas_->resize(640, 300);
    Shot();
    ASSERT_NE(canvas_->TargetProject(), first);
    EXPECT_EQ(canvas_->TargetProject()->pixelSize(), canvas_->wantedPixelSize());
}

} // namespace
