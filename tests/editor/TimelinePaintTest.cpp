// The timeline's picture: the ruler's ticks and labels at every kind of zoom (hand-computed
// columns), the tracks, clips, selection band, rubber band, playhead with "|||", End tab and
// snap lines at 120 pixels per second (hand-computed colours), the picture while playing, the
// parts left of the view that leave nothing to grab, and golden pictures of each zoom.

#include "TimelineTestSupport.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

QString GoldenFolder() {
    return QString::fromUtf8(kTestsSourceDir) + "/editor/golden";
}

// The editor's side, with the player running or not.
class StillHost : public TRTimelineHost {
public:
    bool Running = false;
    void SetPlayHead(std::int32_t) override {}
    void Stop() override {}
    bool PlayerRunning() const override { return Running; }
    void SetSelectedObject(TRObject*, bool) override {}
    void SetMouseOverObject(TRObject*) override {}
    void UpdateMAXTimelineHScrollbar() override {}
    void UpdateLabelTime() override {}
    void UpdateObjectTimes() override {}
};

// Colours of the style: the highlight, the clip body (button face) and the track.
const QColor Highlight(0x00, 0xA1, 0xA1), Background(0x2B, 0x33, 0x3E), Track(0x20, 0x26, 0x2F);

QColor Over(const QColor& top, double alpha, const QColor& under) {
    const auto mix = [alpha](int a, int b) {
        return int(std::lround(a * alpha + b * (1 - alpha)));
    };
    return QColor(mix(top.red(), under.red()), mix(top.green(), under.green()),
                  mix(top.blue(), under.blue()));
}

void ExpectColour(const QImage& image, int x, int y, const QColor& expected, const char* what) {
    const QColor got = image.pixelColor(x, y);
    EXPECT_NEAR(got.red(), expected.red(), 4) << what << " at " << x << "," << y;
    EXPECT_NEAR(got.green(), expected.green(), 4) << what << " at " << x << "," << y;
    EXPECT_NEAR(got.blue(), expected.blue(), 4) << what << " at " << x << "," << y;
}

class TimelinePaint : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
    void SetUp() override {
        panel_.resize(800, 160);
        timeline_ = new TRTimeline(&panel_);
        timeline_->setGeometry(0, 0, 800, 630);
        timeline_->SetHost(&host_);
        ASSERT_EQ(timeline_->TopSpace, 30) << "the pictures are computed at 96 dots per inch";
        ASSERT_EQ(timeline_->LeftSpace, 17);
        ASSERT_EQ(timeline_->TrackHeight, 28);
    }
    void TearDown() override { delete timeline_; }

    TRObject* Clip(std::int32_t track, std::int32_t start, std::int32_t end, const QString& name) {
        TRObject* clip = project_.AddObject(CreateObjectOfType(&project_, otShape));
        clip->SetObjectName(name);
        clip->SetTrack(track);
        clip->SetTimeStartField(start);
        clip->SetTimeEnd(end);
        return clip;
    }

    // Clips on three tracks, the project ending at 3000 ms, the playhead at 2000 ms, a
    // selection from 500 to 800 ms, a rubber band over track 2 and a snap line at 1500 ms.
    void FullScene() {
        Clip(0, 1000, 2500, "Title");
        TRObject* logo = Clip(1, 500, 2000, "Logo");
        logo->TrIn()->SetChecked(true);
        logo->TrIn()->FDuration = 300;
        Clip(2, 2000, 2900, "Arrow");
        project_.SetTimeEnd(3000);
        timeline_->SetProject(&project_);
        timeline_->PlayHead = 2000;
        timeline_->SelectionStart = 500;
        timeline_->SelectionEnd = 800;
        timeline_->dragmscreate = true;
        timeline_->MultiSelectStart = QPointF(300, 95);
        timeline_->MultiSelectEnd = QPointF(380, 120);
        timeline_->AddNewHelperLine(1500);
    }

    QImage Visible() { return PaintTimeline(*timeline_).copy(0, 0, 800, 160); }

    SceneContextScope scene_;
    StillHost host_;
    QWidget panel_;
    TRTimeline* timeline_ = nullptr;
    TRProject project_;
};

// Columns of ticks and labels at one zoom. Ticks are 0.25 pixels wide on x + 0.5: a quarter of
// white over the ruler's background. Tall ticks (seconds, minutes) reach row 15, tenth frames
// row 20, every tick row 25; labels fill rows 0..10 right of their tick.
struct RulerCase {
    int PixelPS;
    int StartTime;
    std::vector<int> Tall, Medium, Short, Empty, Labelled, Unlabelled;
};

bool Tick(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).red() > 70;
}

bool LabelRight(const QImage& image, int x, int width) {
    for (int y = 0; y <= 10; ++y)
        for (int i = x + 1; i <= x + width; ++i)
            if (image.pixelColor(i, y).red() > 120)
                return true;
    return false;
}

TEST_F(TimelinePaint, RulerTicksAndLabelsAtEveryKindOfZoom) {
    const RulerCase cases[] = {
        // A tick per frame (10 px), a tall one per second, a label per second.
        {300, 0, {17, 317, 617}, {117, 217}, {27}, {22}, {17, 317}, {117}},
        // 4 px per frame.
        {120, 0, {17, 137, 257, 377}, {57, 97}, {21}, {19}, {137, 257}, {57}},
        // One pixel per frame: only tenth frames and seconds, a label every 2 seconds.
        {30, 0, {17, 47, 77}, {27, 37}, {}, {18, 19}, {17, 77}, {47}},
        // A tick per second, shifted by the 500 ms of StartTime: 3 s at 25, 4 s at 41; a
        // label every 4 seconds; the tick before the left margin is skipped.
        {16, 2500, {}, {}, {25, 41, 57, 73}, {9, 33}, {41, 105}, {25, 73}},
        // A tick per 4 seconds (28 px), the minute rule at 0, a label every 12 seconds.
        {7, 0, {17}, {}, {45, 73}, {31}, {17, 101}, {45}},
        // A tick per 4 seconds (8 px), tall and labelled at each minute (120 px).
        {2, 0, {17, 137, 257}, {}, {25, 33}, {21}, {17, 137}, {33}},
    };
    for (const RulerCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.PixelPS << " px/s from " << c.StartTime << " ms");
        timeline_->PixelPS = c.PixelPS;
        timeline_->StartTime = c.StartTime;
        timeline_->PlayHead = 600000; // far right: nothing covers the ruler
        const QImage image = PaintTimeline(*timeline_);
        for (int x : c.Tall)
            EXPECT_TRUE(Tick(image, x, 15) && Tick(image, x, 25)) << "tall tick at " << x;
        for (int x : c.Medium)
            EXPECT_TRUE(!Tick(image, x, 15) && Tick(image, x, 20)) << "tenth-frame tick at " << x;
        for (int x : c.Short)
            EXPECT_TRUE(!Tick(image, x, 20) && Tick(image, x, 25)) << "short tick at " << x;
        for (int x : c.Empty)
            EXPECT_FALSE(Tick(image, x, 25)) << "no tick at " << x;
        for (int x : c.Labelled)
            EXPECT_TRUE(LabelRight(image, x, 24)) << "label at " << x;
        for (int x : c.Unlabelled)
            EXPECT_FALSE(LabelRight(image, x, 11)) << "no label at " << x;
    }
}

TEST_F(TimelinePaint, PartsAndTheirHitAreasAtOneHundredTwentyPixelsPerSecond) {
    FullScene();
    const QImage image = Visible();
    // Tracks from y = 32 every 30 pixels, from x = 17; the ruler's foot strip at rows 28, 29.
    ExpectColour(image, 125, 45, Track, "empty track 0");
    ExpectColour(image, 10, 45, Background, "left margin");
    ExpectColour(image, 100, 29, Track, "ruler foot");
    ExpectColour(image, 125, 61, Background, "gap between tracks");
    // "Title" on track 0 from 1000 ms: x = 17 + 120 + 0.5, 180 pixels long.
    ExpectColour(image, 300, 45, Background, "clip body");
    ExpectColour(image, 320, 45, Track, "after the clip");
    // The selection 500..800 ms: x 77.5..113.5, highlight at 0.2 over the empty track 3.
    ExpectColour(image, 95, 130, Over(Highlight, 0.2, Track), "selection band");
    ExpectColour(image, 120, 130, Track, "right of the selection");
    EXPECT_DOUBLE_EQ(timeline_->rectHitSelection.left(), 77.5);
    EXPECT_DOUBLE_EQ(timeline_->rectHitSelection.right(), 113.5);
    // The rubber band (300,95)..(380,120): white at 0.2 over track 2 right of "Arrow".
    ExpectColour(image, 372, 110, Over(Qt::white, 0.2, Track), "rubber band");
    // The playhead at 2000 ms: x = 257.5; handle to row 20, line below.
    ExpectColour(image, 257, 5, Over(Highlight, 0.9, Background), "playhead handle");
    ExpectColour(image, 257, 145, Over(Highlight, 0.9, Track), "playhead line");
    EXPECT_EQ(timeline_->rectHitPlayhead, QRectF(QPointF(252.5, 0), QPointF(262.5, 20)));
    EXPECT_EQ(timeline_->rectHitLinePlayhead, QRectF(QPointF(254.5, 30), QPointF(260.5, 630)));
    // "|||" right of the line, 17 px above the visible bottom (160): rows 123..140.
    EXPECT_EQ(timeline_->rectHitPlusMinus, QRectF(QPointF(257.5, 123), QPointF(277.5, 140)));
    ExpectColour(image, 260, 131, Over(Highlight, 0.9, Track), "insert-time handle");
    // End at 3000 ms: x = 377 (no half pixel), tab at half the visible height.
    EXPECT_EQ(timeline_->rectHitEnd, QRectF(QPointF(377, 80), QPointF(407, 100)));
    ExpectColour(image, 379, 90, Over(Highlight, 0.9, Background), "End tab");
    // Its dashes, 5 on and 5 off from row 31, half on column 377.
    ExpectColour(image, 377, 33, Over(Highlight, 0.45, Track), "End dash");
    ExpectColour(image, 377, 38, Track, "End gap");
    // The snap line at 1500 ms: x = 197.5, two pixels of red at 0.8, from row 13.
    ExpectColour(image, 197, 15, Over(Qt::red, 0.8, Background), "snap line");
    ExpectColour(image, 197, 11, Background, "above the snap line");
}

TEST_F(TimelinePaint, WhilePlayingTheInsertTimeHandleIsNeitherDrawnNorGrabbed) {
    FullScene();
    host_.Running = true;
    const QImage image = Visible();
    ExpectColour(image, 260, 131, Track, "no insert-time handle");
    EXPECT_TRUE(timeline_->rectHitPlusMinus.isEmpty());
    timeline_->HitTest({}, 265, 131);
    EXPECT_NE(timeline_->hit, htPlusMinus);
    ExpectGolden(image, GoldenFolder(), "timeline_playing.png");
}

TEST_F(TimelinePaint, PartsLeftOfTheViewLeaveNothingToGrab) {
    FullScene();
    PaintTimeline(*timeline_);
    ASSERT_FALSE(timeline_->rectHitPlayhead.isEmpty());
    // The view starts after the playhead (2000) and after the End (3000).
    timeline_->StartTime = 3500;
    PaintTimeline(*timeline_);
    for (const QRectF& r : {timeline_->rectHitPlayhead, timeline_->rectHitLinePlayhead,
                            timeline_->rectHitPlusMinus, timeline_->rectHitEnd})
        EXPECT_TRUE(r.isEmpty());
    // Where the handle, the End tab and "|||" were: the ruler, then empty track.
    timeline_->HitTest({}, 257, 10);
    EXPECT_EQ(timeline_->hit, htRuler);
    for (const QPointF& p : {QPointF(390, 90), QPointF(265, 131)}) {
        timeline_->HitTest({}, p.x(), p.y());
        EXPECT_EQ(timeline_->hit, htNone);
    }
}

TEST_F(TimelinePaint, GoldenPicturesOfEachZoom) {
    FullScene();
    const struct {
        int PixelPS, StartTime;
    } zooms[] = {{300, 0}, {120, 0}, {30, 0}, {16, 2500}, {7, 0}, {2, 0}};
    for (const auto& zoom : zooms) {
        timeline_->PixelPS = zoom.PixelPS;
        timeline_->StartTime = zoom.StartTime;
        ExpectGolden(Visible(), GoldenFolder(), QString("timeline_%1pps.png").arg(zoom.PixelPS));
    }
}

} // namespace
