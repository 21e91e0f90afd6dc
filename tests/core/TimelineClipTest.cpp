// Clips on the timeline: the rectangles a paint leaves, the hit test of every part of a clip at
// two zoom levels, the tooltip, and a golden timeline with hand-computed key pixels.

#include "CoreTestEnvironment.h"
#include "PaintTestSupport.h"
#include "core/URPropTransition.h"
#include "core/URTimelineClip.h"
#include "platform/imaging/ImageFile.h"
#include "tests/support/SourcePaths.h"

#include <array>
#include <span>

using namespace painttest;

namespace {

TRTimelineControl& Control() {
    static TRTimelineControl control;
    return control;
}

const QColor Background(250, 250, 250), Body(40, 80, 160), Back(230, 230, 230),
    FrontColour(255, 200, 0), Selected(0, 255, 0), Stop(200, 0, 0);

// A clip that may not be resized on the timeline.
class FixedClip : public TRObject {
public:
    explicit FixedClip(TRProject* project) : TRObject(project, otShape) {
        SetFlags(true, false, true, true);
    }
};

// A clip with a text of its own.
class TextClip : public TRObject {
public:
    TextClip(TRProject* project, QString text) : TRObject(project, otShape), text_(text) {}
    QString GetText() const override { return text_; }

private:
    QString text_;
};

// A screen recording whose cursor track clicked at 500, 1500 and 2500 ms of its media.
class RecordingClip : public TRObject {
public:
    explicit RecordingClip(TRProject* project) : TRObject(project, otScreenRecorder) {}
    std::span<const std::int32_t> CursorClickTimes() const override { return clicks_; }

private:
    const std::array<std::int32_t, 3> clicks_{500, 1500, 2500};
};

class TimelineClipTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        context_ = DeviceContext::create(Factory::create());
        InstallScene(context_.get());
        TRTimelineControl& c = Control();
        c = TRTimelineControl{};
        c.LeftSpace = 10;
        c.TopSpace = 20;
        c.TrackSpace = 4;
        c.TrackHeight = 28;
        c.PixelPS = 100;
        c.m_brush_object = SolidBrush(Body, 1);
        c.m_brush_back = SolidBrush(Back, 1);
        c.m_brush_front = SolidBrush(FrontColour, 1);
        c.m_brush_selected = SolidBrush(Selected, 1);
        c.m_brush_stop = SolidBrush(Stop, 1);
        StrokeStyleProperties dashed;
        dashed.dashStyle = DashStyle::Custom;
        c.m_end_strokeStyle = StrokeStyle::create(dashed, {2.0f, 2.0f});
        TimelineControlHook = [] { return static_cast<const TRTimelineControl*>(&Control()); };
        project_ = std::make_unique<TRProject>();
    }
    void TearDown() override {
        TimelineControlHook = nullptr;
        InstallScene(nullptr);
    }

    // A clip from 1000 to 4000 on track 0 with 500 ms transitions and a keyframe animation
    // from 2000 to 2500.
    TRObject* FullClip(std::unique_ptr<TRObject> object) {
        TRObject* clip = project_->AddObject(std::move(object));
        clip->SetObjectName({});
        clip->SetTimeStartField(1000);
        clip->SetTimeEnd(4000);
        clip->SetTrack(0);
        clip->TrIn()->SetChecked(true);
        clip->TrIn()->FDuration = 500;
        clip->TrOut()->SetChecked(true);
        clip->TrOut()->FDuration = 500;
        clip->AddNewTransformation(1500);
        clip->TransformationAt(1).AnimateDuration = 500;
        return clip;
    }

    QImage PaintTimeline(int width, int height) {
        BitmapPtr target = Bitmap::create(
            SizeU{uint32_t(width), uint32_t(height)},
            BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        context_->setTarget(target);
        context_->setTransform(Matrix3x2::identity());
        context_->beginDraw();
        context_->clear(ColorF{Background.redF(), Background.greenF(), Background.blueF(), 1});
        for (const auto& object : project_->Objects())
            object->PaintOnTimeline(false);
        EXPECT_TRUE(context_->endDraw());
        return target->image();
    }

    DeviceContextPtr context_;
    std::unique_ptr<TRProject> project_;
};

TEST_F(TimelineClipTest, TimeRectanglesLieOnPixelCentres) {
    TRTimelineControl c = Control();
    c.StartX = 5.5f;
    c.StartY = 3;
    // x = Trunc(10 + 1234 * 100 / 1000 - 5.5) = 127; y = Trunc(32 * 2 + 20 + 4 - 3) = 85.
    const QRectF r = TimelineTimeRect(c, 2, 1234, 2000);
    EXPECT_EQ(r, QRectF(127.5, 85.5, 76, 28));
}

TEST_F(TimelineClipTest, HitTestOfEveryPartAtTwoZoomLevels) {
    TRObject* clip = FullClip(CreateObjectOfType(project_.get(), otShape));
    TRObject* fixed = FullClip(std::make_unique<FixedClip>(project_.get()));
    fixed->SetTrack(1);
    struct Case {
        std::int32_t PixelPS;
        int X, Y;
        TRHitTimeline Expected;
    };
    // At 100 px/s the clip spans 110.5..410.5 and 24.5..52.5; the transition-in ends at 160.5,
    // the transition-out starts at 360.5, the keyframe animation spans 210.5..260.5.
    // At 200 px/s: 210.5..810.5; 310.5; 710.5; 410.5..510.5.
    const Case cases[] = {
        {100, 300, 38, htObject},         {100, 112, 38, htObject},
        {100, 108, 38, htObjectLeft},     {100, 107, 38, htNone},
        {100, 411, 38, htObjectRight},    {100, 413, 38, htObjectRight},
        {100, 414, 38, htNone},           {100, 160, 38, htTrIn},
        {100, 158, 38, htTrIn},           {100, 360, 38, htTrOut},
        {100, 211, 38, htObjTransfLeft},  {100, 259, 38, htObjTransfRight},
        {100, 235, 38, htObjTransf},      {100, 300, 53, htNone},
        {200, 400, 38, htObject},         {200, 208, 38, htObjectLeft},
        {200, 812, 38, htObjectRight},    {200, 310, 38, htTrIn},
        {200, 712, 38, htTrOut},          {200, 411, 38, htObjTransfLeft},
        {200, 509, 38, htObjTransfRight}, {200, 460, 38, htObjTransf},
        {200, 205, 38, htNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.PixelPS << " px/s at " << c.X << "," << c.Y);
        Control().PixelPS = c.PixelPS;
        PaintTimeline(900, 100);
        clip->hitTransfIndex = -1;
        EXPECT_EQ(clip->TestHitOnTimeline(c.X, c.Y), c.Expected);
        const bool keyframePart = c.Expected == htObjTransf || c.Expected == htObjTransfLeft ||
                                  c.Expected == htObjTransfRight;
        EXPECT_EQ(clip->hitTransfIndex, keyframePart ? 1 : -1);
        // The same clip that may not be resized has no edge handles (track 1 is 32 px lower).
        const TRHitTimeline fixedHit = fixed->TestHitOnTimeline(c.X, c.Y + 32);
        if (c.Expected == htObjectLeft || c.Expected == htObjectRight)
            EXPECT_EQ(fixedHit, htNone);
        else
            EXPECT_EQ(fixedHit, c.Expected);
    }
    // An unchecked transition-in is never hit where its edge was.
    Control().PixelPS = 100;
    clip->TrIn()->SetChecked(false);
    PaintTimeline(900, 100);
    EXPECT_EQ(clip->TestHitOnTimeline(160, 38), htObject);
    EXPECT_EQ(clip->rectTrIn.right(), -10000);
}

TEST_F(TimelineClipTest, HintShowsNameTextAndTimes) {
    auto* clip = static_cast<TextClip*>(project_->AddObject(std::make_unique<TextClip>(
        project_.get(), QStringLiteral("a\nbcdefghijklmnopqrstuvwxyz01234"))));
    clip->SetObjectName("Clip");
    clip->SetTimeStartField(0);
    clip->SetTimeEnd(2000);
    EXPECT_EQ(clip->HintTimeline(), "Clip\n\ra bcdefghijklmnopqrstuvwxyz012...\n\r" +
                                        FormatTimeFrames(0) + " - " + FormatTimeFrames(2000));
}

bool Near(QRgb p, const QColor& c, int tolerance = 3) {
    return std::abs(qRed(p) - c.red()) <= tolerance &&
           std::abs(qGreen(p) - c.green()) <= tolerance &&
           std::abs(qBlue(p) - c.blue()) <= tolerance;
}

// Three tracks: the full clip; a clip with a thumbnail and a caption; a video whose media ends
// half-way (end line and freeze-frame sign). Made once with TAVRIN_UPDATE_GOLDEN=1 and looked at.
TEST_F(TimelineClipTest, GoldenTimeline) {
    FullClip(CreateObjectOfType(project_.get(), otShape));
    auto* captioned =
        project_->AddObject(std::make_unique<TextClip>(project_.get(), QStringLiteral("one\ntwo")));
    captioned->SetObjectName("Clip");
    captioned->SetTimeStartField(1000);
    captioned->SetTimeEnd(3000);
    captioned->SetTrack(1);
    captioned->TrIn()->SetChecked(false);
    captioned->TrOut()->SetChecked(false);
    QImage red(44, 22, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(255, 0, 0));
    captioned->FBitmap = Bitmap::fromImage(red);
    TRObject* video = project_->AddObject(std::make_unique<RecordingClip>(project_.get()));
    video->SetObjectName({});
    video->SetTimeStartField(0);
    video->SetTimeEnd(4000);
    video->SetMediaEnd(2000);
    video->SetTrack(2);
    video->TrIn()->SetChecked(false);
    video->TrOut()->SetChecked(false);
    Control().m_ruler_textFormat =
        TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, 11});
    Control().m_object_textFormat =
        TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, 11});
    Control().m_object_textFormat->setParagraphAlignment(ParagraphAlignment::Center);
    Control().Width = 440;
    const QImage timeline = PaintTimeline(440, 130);

    // Hand-computed pixels (track 0: 24.5..52.5, track 1: 56.5..84.5, track 2: 88.5..116.5).
    EXPECT_TRUE(Near(timeline.pixel(50, 40), Background));
    EXPECT_TRUE(Near(timeline.pixel(300, 45), Body));
    EXPECT_TRUE(Near(timeline.pixel(159, 40), Back)); // transition-in ramp near its top end
    EXPECT_TRUE(Near(timeline.pixel(112, 28), Body)); // above the ramp's start
    EXPECT_TRUE(Near(timeline.pixel(362, 40), Back)); // transition-out ramp
    EXPECT_TRUE(Near(timeline.pixel(210, 30), Back)); // keyframe bracket at 210.5
    EXPECT_TRUE(Near(timeline.pixel(230, 38), Back)); // left wing of the bow-tie
    EXPECT_TRUE(Near(timeline.pixel(235, 33), Body)); // above the bow-tie's waist
    // Thumbnail at 113.5..157.5 x 59.5..81.5, drawn at 0.75 over the body.
    EXPECT_TRUE(Near(timeline.pixel(130, 70), QColor(201, 20, 40)));
    EXPECT_TRUE(Near(timeline.pixel(108, 70), Background));
    // Freeze-frame sign centred at (310.5, 102.5): its left bar covers columns 307 and 308.
    EXPECT_TRUE(Near(timeline.pixel(308, 102), Back));
    EXPECT_TRUE(Near(timeline.pixel(310, 102), Body));
    // Click dots of radius 4 at 60.5 and 160.5 on the track's middle; the click at 2500 lies
    // after the media window (it ends at 2000) and has none.
    EXPECT_TRUE(Near(timeline.pixel(60, 102), Back));
    EXPECT_TRUE(Near(timeline.pixel(62, 100), Back));
    EXPECT_TRUE(Near(timeline.pixel(160, 104), Back));
    EXPECT_TRUE(Near(timeline.pixel(60, 96), Body));
    EXPECT_TRUE(Near(timeline.pixel(260, 100), Body));

    const QString path = QString::fromUtf8(kTestsSourceDir) + "/core/golden/timeline_clips.png";
    if (qEnvironmentVariableIsSet("TAVRIN_UPDATE_GOLDEN")) {
        ASSERT_EQ(platform::imaging::writeImage(path, timeline), QString());
        return;
    }
    const QImage golden = platform::imaging::readImage(path);
    ASSERT_EQ(golden.size(), timeline.size());
    int worst = 0;
    for (int y = 0; y < timeline.height(); ++y)
        for (int x = 0; x < timeline.width(); ++x) {
            const QRgb p = timeline.pixel(x, y), q = golden.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    EXPECT_LE(worst, 8);
}

} // namespace
