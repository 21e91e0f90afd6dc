// Mouse gestures on the editor's timeline at 120 pixels per second (x = 17 + t x 0.12,
// tracks from y = 32 every 30 pixels): clip moves and trims, the insert-time handle, a
// multi-selection drag, each undone by one undo step; the ruler beyond the end, the End
// stopping at the last clip, Ctrl+click, selections drawn from the playhead, the rubber band
// and the selection hint.

#include "TimelineTestSupport.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Span {
    std::int32_t Start, End, Track;
    friend bool operator==(const Span&, const Span&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Span& s) {
        return out << s.Start << ".." << s.End << " on " << s.Track;
    }
};

Span SpanOf(const TRObject* clip) {
    return {clip->TimeStart(), clip->TimeEnd(), clip->Track()};
}

class TimelineGesture : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetDefaultSettings(SettingsRecord);
        editor_ = std::make_unique<TEditor>();
        editor_->resize(1300, 760);
        editor_->show(); // the window lays its panels out when shown
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor_.get()));
        auto owned = std::make_unique<TRProject>();
        project_ = owned.get();
        project_->SetTimeEnd(8000);
        a_ = Clip(0, 1000, 3000);
        b_ = Clip(1, 2000, 4000);
        c_ = Clip(1, 5000, 6000);
        d_ = Clip(0, 3500, 4500);
        editor_->AddProject(std::move(owned));
        editor_->ClickProject(1);
        project_->History_Init();
        ASSERT_EQ(Timeline().PixelPS, 120);
        ASSERT_EQ(Timeline().TopSpace, 30);
        ASSERT_GT(Timeline().width(), 740);
        Paint();
    }
    void TearDown() override { editor_.reset(); }

    TRObject* Clip(std::int32_t track, std::int32_t start, std::int32_t end) {
        TRObject* clip = project_->AddObject(CreateObjectOfType(project_, otShape));
        clip->SetTrack(track);
        clip->SetTimeStartField(start);
        clip->SetTimeEnd(end);
        return clip;
    }
    TRTimeline& Timeline() { return editor_->Timeline; }
    void Paint() { PaintTimeline(Timeline()); }
    void Press(int x, int y, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(&Timeline(), Qt::LeftButton, modifiers, QPoint(x, y));
    }
    void Move(int x, int y, Qt::KeyboardModifiers modifiers = {},
              Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), Timeline().mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, buttons, modifiers);
        QApplication::sendEvent(&Timeline(), &move);
    }
    void Release(int x, int y) {
        QTest::mouseRelease(&Timeline(), Qt::LeftButton, {}, QPoint(x, y));
    }
    std::vector<Span> Spans() { return {SpanOf(a_), SpanOf(b_), SpanOf(c_), SpanOf(d_)}; }

    SceneContextScope scene_;
    QTemporaryDir dir_;
    std::unique_ptr<TEditor> editor_;
    TRProject* project_ = nullptr;
    TRObject *a_ = nullptr, *b_ = nullptr, *c_ = nullptr, *d_ = nullptr;
};

// A drag from `From` through the moves, and the spans of A, B, C, D it leaves.
struct DragCase {
    const char* Name;
    std::int32_t PlayHead;
    QPoint From;
    std::vector<QPoint> Moves;
    std::vector<Span> After;
};

TEST_F(TimelineGesture, EachEditingDragIsUndoneByOneUndo) {
    const std::vector<Span> before{
        {1000, 3000, 0}, {2000, 4000, 1}, {5000, 6000, 1}, {3500, 4500, 0}};
    const DragCase cases[] = {
        // A's body (clear of its 500 ms transition zones) from 1767 ms to 2267 ms and down
        // onto track 1, where B is: A keeps its track and still moves by 500 ms (up to D,
        // which it then touches).
        {"blocked track",
         0,
         {230, 45},
         {{290, 75}},
         {{1500, 3500, 0}, {2000, 4000, 1}, {5000, 6000, 1}, {3500, 4500, 0}}},
        // A's body straight down to the free track 2, in two steps.
        {"free track",
         0,
         {230, 45},
         {{230, 75}, {230, 105}},
         {{1000, 3000, 2}, {2000, 4000, 1}, {5000, 6000, 1}, {3500, 4500, 0}}},
        // A's left edge (x 137.5, grabbed just outside) to x = 196: 1492 ms, snapped to 1500.
        {"left edge",
         0,
         {136, 45},
         {{166, 45}, {196, 45}},
         {{1500, 3000, 0}, {2000, 4000, 1}, {5000, 6000, 1}, {3500, 4500, 0}}},
        // A's right edge (x 377.5) to x = 319: 2517 ms, on the frame grid 2533 (frame 76).
        {"right edge",
         0,
         {379, 45},
         {{349, 45}, {319, 45}},
         {{1000, 2533, 0}, {2000, 4000, 1}, {5000, 6000, 1}, {3500, 4500, 0}}},
        // "|||" at the playhead 3200 ms (x 401.5, rows 193..210) dragged 120 px left in two
        // steps: everything starting after the playhead moves back one second; D then
        // overlaps A and goes to the first free track for its span (2).
        {"insert time",
         3200,
         {405, 200},
         {{345, 200}, {285, 200}},
         {{1000, 3000, 0}, {2000, 4000, 1}, {4000, 5000, 1}, {2500, 3500, 2}}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.Name);
        editor_->SetPlayHead(c.PlayHead);
        Paint();
        Press(c.From.x(), c.From.y());
        for (const QPoint& p : c.Moves)
            Move(p.x(), p.y());
        Release(c.Moves.back().x(), c.Moves.back().y());
        EXPECT_EQ(Spans(), c.After);
        project_->History_Undo();
        EXPECT_EQ(Spans(), before);
        project_->History_Redo();
        EXPECT_EQ(Spans(), c.After);
        project_->History_Undo();
    }
}

TEST_F(TimelineGesture, CtrlClickCollectsClipsAndAPlainClickDragsThemTogether) {
    Press(230, 45, Qt::ControlModifier);
    Release(230, 45);
    EXPECT_EQ(project_->SelectedObject, a_) << "the only clip collected is the selected one";
    Press(300, 75, Qt::ControlModifier);
    Release(300, 75);
    EXPECT_TRUE(a_->MultiSelect() && b_->MultiSelect());
    EXPECT_NE(project_->SelectedObject, b_) << "Ctrl+click does not select the clip alone";
    // A plain press on A drags both: 500 ms right, then two tracks down.
    Press(230, 45);
    Move(290, 45);
    Move(290, 105);
    Release(290, 105);
    EXPECT_EQ(SpanOf(a_), (Span{1500, 3500, 2}));
    EXPECT_EQ(SpanOf(b_), (Span{2500, 4500, 3}));
    EXPECT_TRUE(a_->MultiSelect() && b_->MultiSelect());
    project_->History_Undo();
    EXPECT_EQ(SpanOf(a_), (Span{1000, 3000, 0}));
    EXPECT_EQ(SpanOf(b_), (Span{2000, 4000, 1}));
    // Ctrl+click on a collected clip takes it out again.
    Paint();
    Press(230, 45, Qt::ControlModifier);
    Release(230, 45);
    EXPECT_FALSE(a_->MultiSelect());
    EXPECT_EQ(project_->SelectedObject, b_);
}

TEST_F(TimelineGesture, RulerClicksMoveThePlayheadOnlyUpToTheEnd) {
    Timeline().StartTime = 6000; // x 17 is 6000 ms; the project ends at 8000
    Paint();
    const struct {
        int X;
        std::int32_t PlayHead;
    } clicks[] = {{137, 7000}, {317, 7000}, {257, 8000}, {258, 8000}};
    for (const auto& click : clicks) {
        Press(click.X, 10);
        Release(click.X, 10);
        EXPECT_EQ(editor_->GetPlayHead(), click.PlayHead) << click.X;
    }
}

TEST_F(TimelineGesture, TheEndStopsAtTheLastClip) {
    Timeline().StartTime = 5000; // End at x = 377, its tab at rows 115..135
    const struct {
        int X;
        std::int32_t End;
    } drags[] = {
        {197, 6500}, // 6500 ms
        {77, 6000},  // 5500 ms is inside C (ending 6000): 5999 ms, on the frame grid 6000
        {-50, 8000}, // left of the view: nothing
    };
    for (const auto& step : drags) {
        project_->SetTimeEnd(8000);
        Paint();
        Press(390, 125);
        ASSERT_EQ(Timeline().hit, htEnd);
        Move(step.X, 125);
        EXPECT_EQ(project_->TimeEnd(), step.End) << step.X;
        if (step.End == 6000) {
            EXPECT_EQ(Timeline().HelperLines, std::vector<std::int32_t>{6000});
        }
        Release(step.X, 125);
    }
    EXPECT_TRUE(project_->Modified());
}

TEST_F(TimelineGesture, DraggingFromThePlayheadDrawsASelection) {
    const struct {
        const char* Name;
        QPoint From;
        Qt::KeyboardModifiers Modifiers;
    } cases[] = {
        {"the line, without a selection", {258, 160}, {}},
        {"the handle with Ctrl", {257, 10}, Qt::ControlModifier},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Timeline().ClearSelection();
        editor_->SetPlayHead(2000); // x = 257.5
        Paint();
        Press(c.From.x(), c.From.y(), c.Modifiers);
        Move(317, c.From.y(), c.Modifiers); // 2500 ms
        Release(317, c.From.y());
        EXPECT_EQ(Timeline().SelectionStart, 2000);
        EXPECT_EQ(Timeline().SelectionEnd, 2500);
        EXPECT_EQ(editor_->GetPlayHead(), 2500);
    }
    // With a selection the line is no longer grabbed: a press there starts a rubber band.
    editor_->SetPlayHead(3000); // x = 377.5
    Paint();
    Press(378, 160);
    EXPECT_EQ(Timeline().hit, htNone);
    EXPECT_TRUE(Timeline().dragmscreate);
    Release(378, 160);
}

TEST_F(TimelineGesture, TheRubberBandSelectsTheClipsItMeets) {
    Press(150, 160);
    Move(400, 40, {});
    EXPECT_TRUE(a_->MultiSelect());
    EXPECT_TRUE(b_->MultiSelect());
    EXPECT_FALSE(c_->MultiSelect());
    EXPECT_FALSE(d_->MultiSelect());
    Release(400, 40);
    EXPECT_TRUE(Timeline().GetRectMultiSelect().isEmpty());
}

TEST_F(TimelineGesture, TheSelectionHintNeedsASelectionOfSomeLength) {
    const struct {
        std::int32_t Start, End;
        int X;
        QString Hint;
    } cases[] = {
        {3000, 3000, 378, QString()},
        {3000, 3500, 400,
         "Timeline Selection\n\r" + FormatTimeFrames(3000) + " - " + FormatTimeFrames(3500)},
        {3500, 3000, 400,
         "Timeline Selection\n\r" + FormatTimeFrames(3000) + " - " + FormatTimeFrames(3500)},
    };
    for (const auto& c : cases) {
        Timeline().SelectionStart = c.Start;
        Timeline().SelectionEnd = c.End;
        Paint();
        Move(c.X, 190, {}, Qt::NoButton);
        EXPECT_EQ(Timeline().CurrentHint(), c.Hint) << c.Start << ".." << c.End;
        Move(700, 190, {}, Qt::NoButton); // away: no hint
        EXPECT_TRUE(Timeline().CurrentHint().isEmpty());
    }
}

TEST_F(TimelineGesture, ThePlaybackTestAnswersTrueOnlyWhileThePlayheadIsDragged) {
    editor_->SetPlayHead(2000);
    Paint();
    EXPECT_FALSE(EditorServices().Playing());
    Press(257, 10);
    Move(317, 10);
    EXPECT_TRUE(EditorServices().Playing());
    EXPECT_TRUE(Timeline().MovingPlayhead());
    Release(317, 10);
    EXPECT_FALSE(EditorServices().Playing());
    EXPECT_EQ(editor_->GetPlayHead(), 2500);
}

} // namespace
