// The video-effect region and the video action on a 200 x 100 project over a checker of one-pixel
// cells: a blur of standard deviation 2 turns the checker into an even grey (127.5) wherever it
// acts and leaves pure black and white wherever it does not, so every key pixel is known.
#include "core/URPropTransition.h"
#include "graphics/URPropEffect.h"
#include "objects/URHTMLInteractivity.h"
#include "objects/URPropVideoAction.h"
#include "objects/kinds/URBlur.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URVideoAction.h"
#include "tests/objects/kinds/KindsTestSupport.h"

using namespace platform::render;

namespace {

QRgb Checker(int x, int y) {
    return (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
}

class VideoEffectRegion : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        project_->SetProjectSize(200, 100);
        project_->Exporting = true; // the frame alone, without the area around it
    }

    // A checker picture of w x h at `position`, shown from 0 to 3000 ms.
    TRObject& AddChecker(int w, int h, QPointF position) {
        auto image = Make<TRImage>(otImage);
        Place(*image, QSizeF(w, h), position);
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            image->GetProperty(off, true)->SetChecked(false);
        image->TrIn()->SetChecked(false); // new objects take the settings' transitions
        image->TrOut()->SetChecked(false);
        image->FMediaBitmap = Bitmap::fromImage(Picture(w, h, Checker));
        return *project_->AddObject(std::move(image));
    }

    // A "Gaussian Blur" region of w x h at `position`, turned about Z and X.
    TRBlur& AddRegion(QSizeF size, QPointF position, float rotationZ, float rotationX = 0,
                      bool invert = false) {
        auto region = Make<TRBlur>(otBlur);
        Place(*region, size, position);
        auto* placement = Own<TRPropPlacement>(*region, ptPlacement);
        placement->FRotationZ = rotationZ;
        placement->FRotationX = rotationX;
        auto* effect = Own<TRPropEffect>(*region, ptEffect);
        effect->FEffectName = "Gaussian Blur";
        effect->FIntensity = 0.1f; // standard deviation 2
        effect->FInvert = invert;
        return static_cast<TRBlur&>(*project_->AddObject(std::move(region)));
    }

    QImage Frame(std::int32_t time = 1000) { return PaintProjectFrame(*project_, time); }
};

// The pixel of the frame at scene point (x, y) (origin at the frame's centre).
QRgb At(const QImage& frame, int x, int y) {
    return frame.pixel(x + 100, y + 50);
}

::testing::AssertionResult Blurred(const QImage& frame, int x, int y) {
    return Near(At(frame, x, y), 0xFF808080u, 2) << " at " << x << ", " << y;
}

::testing::AssertionResult Sharp(const QImage& frame, int x, int y) {
    const QRgb want = Checker(x + 100, y + 50);
    if (At(frame, x, y) == want)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << At(frame, x, y) << " is not " << want
                                         << std::dec << " at " << x << ", " << y;
}

struct ScenePoint {
    int x, y;
    bool blurred;
};

struct RegionCase {
    const char* name;
    QSizeF size;
    QPointF position;
    float rotationZ, rotationX;
    bool invert;
    std::vector<ScenePoint> points;
};

} // namespace

TEST_F(VideoEffectRegion, ActsInsideItsShapeOrOutsideItWhenInverted) {
    // An 80 x 20 rectangle turned 30 degrees clockwise: (26, 15) lies on its long axis 30 px
    // from the centre (inside, though below the unturned rectangle); (35, 0) and (18, -25) lie
    // 17.5 and 30.6 px off that axis (outside, though (35, 0) is inside the unturned one). An
    // X rotation would squash the region; the region ignores it.
    const std::vector<ScenePoint> turned = {
        {0, 0, true}, {26, 15, true}, {-26, -15, true}, {35, 0, false}, {18, -25, false}};
    // Inverted, 80 x 40 at (100, 0): half of it off the frame's right edge; its inside runs
    // from x = 60 to the edge.
    const std::vector<ScenePoint> halfOff = {
        {80, 0, false}, {70, 10, false}, {50, 0, true}, {-50, 0, true}, {80, -30, true}};
    const RegionCase cases[] = {
        {"turned 30 degrees", {80, 20}, {0, 0}, 30, 0, false, turned},
        {"turned 30 degrees and 60 about X", {80, 20}, {0, 0}, 30, 60, false, turned},
        {"inverted half off the frame", {80, 40}, {100, 0}, 0, 0, true, halfOff},
    };
    for (const RegionCase& c : cases) {
        SCOPED_TRACE(c.name);
        while (!project_->Objects().empty())
            project_->DeleteObject(project_->Objects().front().get());
        AddChecker(200, 100, {0, 0});
        AddRegion(c.size, c.position, c.rotationZ, c.rotationX, c.invert);
        const QImage frame = Frame();
        for (const ScenePoint& p : c.points)
            EXPECT_TRUE(p.blurred ? Blurred(frame, p.x, p.y) : Sharp(frame, p.x, p.y));
    }
}

TEST_F(VideoEffectRegion, ObjectsListedAfterTheRegionStaySharp) {
    AddChecker(200, 100, {0, 0});
    AddRegion({80, 20}, {0, 0}, 30);
    AddChecker(10, 10, {0, 0}); // its cells fall on the frame's cells: (x + y) even is black
    const QImage frame = Frame();
    EXPECT_TRUE(Blurred(frame, 26, 15));
    for (int y = -4; y < 4; ++y)
        for (int x = -4; x < 4; ++x)
            EXPECT_TRUE(Sharp(frame, x, y));
}

TEST_F(VideoEffectRegion, DrawsNothingOutsideItsTimeAndOnHover) {
    AddChecker(200, 100, {0, 0});
    TRBlur& region = AddRegion({80, 20}, {0, 0}, 0);
    region.SetTimeStartField(1000);
    EXPECT_TRUE(Sharp(Frame(999), 0, 0));
    EXPECT_TRUE(Blurred(Frame(1000), 0, 0));
    const QImage frame = Frame(3000);
    EXPECT_TRUE(Blurred(frame, 0, 0));
    // A hover pass leaves the frame as it is.
    const BitmapPtr target =
        Bitmap::fromImage(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const BitmapPtr canvas =
        Bitmap::create({200, 100}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    ASSERT_TRUE(canvas->copyFromBitmap({0, 0}, *target));
    D2DContext->setTarget(canvas);
    D2DContext->setTransform(Matrix3x2::translation(100, 50));
    D2DContext->beginDraw();
    region.PaintOnScene(true, false);
    EXPECT_TRUE(D2DContext->endDraw());
    D2DContext->setTarget(nullptr);
    EXPECT_EQ(canvas->image(), frame);
}

TEST_F(VideoEffectRegion, ANewRegionNamesItsEffectAndAlwaysAppliesIt) {
    TRObject* region = project_->AddObjectOfType(otBlur);
    ASSERT_TRUE(region);
    EXPECT_EQ(region->ObjectName(), QStringLiteral("Video Effect 1"));
    EXPECT_FALSE(region->TrIn()->Checked());
    EXPECT_FALSE(region->TrOut()->Checked());
    auto* effect = Own<TRPropEffect>(*region, ptEffect);
    EXPECT_FALSE(effect->UseCheckBox());
    EXPECT_TRUE(effect->Checked());
    effect->FEffectName = "Pixelate";
    EXPECT_EQ(region->GetText(), QStringLiteral("Pixelate"));
}

TEST_F(VideoEffectRegion, AVideoActionDrawsNothingAndGivesItsActionToThePage) {
    project_->SetTimePosition(5000);
    TRObject* object = project_->AddObjectOfType(otVideoAction);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->ObjectName(), QStringLiteral("Video Action 1"));
    EXPECT_EQ(object->TimeStart(), 5000);
    EXPECT_EQ(object->TimeEnd(), 5400);
    EXPECT_TRUE(object->Marker());
    EXPECT_TRUE(object->MediaName().isEmpty());
    EXPECT_FALSE(object->HasPlacement() || object->CanResizeTimeline() ||
                 object->CanAddAnimation() || object->CanSplit());
    EXPECT_FALSE(object->TrIn()->Checked() || object->TrOut()->Checked());
    EXPECT_EQ(object->GetVideoAction(), 0);
    Own<TRPropVideoAction>(*object, ptVideoAction)->FAction = 2;
    EXPECT_EQ(object->GetVideoAction(), 2);

    const QImage frame = Frame(5200);
    EXPECT_EQ(frame, Frame(4000)); // the same empty frame with the action shown or not
    EXPECT_FALSE(object->FBitmap);
    // The page's data has the action at the middle of the marker.
    const QByteArray data = GetHTMLDataInteractivity(*project_, 0, 10000, Matrix3x2{});
    EXPECT_TRUE(data.contains("\"time\":5200,\"action\":2")) << data.toStdString();
}
