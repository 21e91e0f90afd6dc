// The editor's view controls: the timeline zoom keeps the playhead's x, the wheel over the
// timeline and the canvas by modifier (whole steps of 120, finer movement added up), the
// splitter's bounds, the canvas zoom that fits a project and the canvas panel's size, a
// resize that leaves the project unmodified, and the keys that text entry keeps from the
// Play, Delete and Paste shortcuts.

#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/ui/URGPEditEx.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

class EditorView : public testing::Test {
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
        project_->SetProjectSize(1280, 720);
        project_->SetTimeEnd(60000);
        editor_->AddProject(std::move(owned));
        editor_->ClickProject(1);
        project_->SetModified(false);
    }
    void TearDown() override { editor_.reset(); }

    void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
    int Bar() const { return editor_->style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

    QTemporaryDir dir_;
    std::unique_ptr<TEditor> editor_;
    TRProject* project_ = nullptr;
};

TEST_F(EditorView, ZoomingTheTimelineKeepsThePlayheadsPlace) {
    const struct {
        int Level;
        std::int32_t StartTime, PlayHead, NewStartTime;
    } cases[] = {
        // From 120 px/s with the playhead 2000 ms (240 px) into the view.
        {20, 1000, 3000, 2200},  // 300 px/s: 2000 x 120 / 300 = 800 ms before it
        {17, 1000, 3000, 1858},  // 210 px/s: Trunc(1142.86)
        {12, 1000, 3000, 0},     // 60 px/s: it would start before 0
        {20, 4000, 3000, 4000},  // playhead left of the view: StartTime stays
        {20, 1000, 20000, 1000}, // playhead right of the view
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Level);
        editor_->ZoomTimeline()->setValue(14);
        editor_->SetPlayHead(c.PlayHead);
        editor_->Timeline.StartTime = c.StartTime;
        editor_->ZoomTimeline()->setValue(c.Level);
        EXPECT_EQ(editor_->Timeline.PixelPS, TimelineZoomLevels[c.Level]);
        EXPECT_EQ(editor_->Timeline.StartTime, c.NewStartTime);
        if (c.NewStartTime != c.StartTime) {
            EXPECT_EQ(editor_->TimelineScrollBar()->value(),
                      std::lround(c.NewStartTime * 30.0 / 1000));
        }
    }
}

TEST_F(EditorView, TheWheelOverTheTimelineByModifier) {
    TRTimeline& timeline = editor_->Timeline;
    const struct {
        const char* Name;
        Qt::KeyboardModifiers Modifiers;
        int Delta;
        int Zoom, Track, VScroll, StartTime;
    } cases[] = {
        {"plain down", {}, -120, 14, 28, 8, 0},
        {"plain up", {}, 120, 14, 28, 0, 0},
        {"Shift down", Qt::ShiftModifier, -120, 13, 28, 0, 0},
        {"Shift up", Qt::ShiftModifier, 120, 14, 28, 0, 0},
        {"Ctrl up", Qt::ControlModifier, 120, 14, 29, 0, 0},
        {"Ctrl down", Qt::ControlModifier, -120, 14, 28, 0, 0},
        {"Ctrl+Shift down", Qt::ControlModifier | Qt::ShiftModifier, -120, 14, 28, 0, 1000},
        {"Alt down", Qt::AltModifier, -120, 14, 28, 0, 2000},
        {"Alt up", Qt::AltModifier, 120, 14, 28, 0, 1000},
        {"two half steps down", {}, -60, 14, 28, 8, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Wheel(&timeline, c.Delta, c.Modifiers);
        if (c.Delta == -60)
            Wheel(&timeline, c.Delta, c.Modifiers);
        EXPECT_EQ(editor_->ZoomTimeline()->value(), c.Zoom);
        EXPECT_EQ(editor_->ZoomTrack()->value(), c.Track);
        EXPECT_EQ(editor_->TimelineVScrollBar()->value(), c.VScroll);
        EXPECT_EQ(timeline.StartY, c.VScroll);
        EXPECT_EQ(timeline.StartTime, c.StartTime);
    }
}

TEST_F(EditorView, TheWheelOverTheCanvasZoomsAndScrolls) {
    QWidget* viewport = editor_->SceneBox()->viewport();
    Wheel(viewport, 120, {});
    EXPECT_DOUBLE_EQ(editor_->ZoomCanvas()->Value(), 110);
    EXPECT_FLOAT_EQ(project_->InterfaceOptions.DesignScale, 1.1f);
    EXPECT_TRUE(project_->Modified()) << "a user's zoom change";
    editor_->ZoomCanvas()->SetValue(127);
    Wheel(viewport, -120, {});
    EXPECT_DOUBLE_EQ(editor_->ZoomCanvas()->Value(), 110) << "down to the tens, then 10 less";
    // At 200 % the canvas is larger than its box and scrolls by 8 pixels a step.
    editor_->ZoomCanvas()->SetValue(200);
    Wheel(viewport, 120, {});
    QScrollBar* h = editor_->SceneBox()->horizontalScrollBar();
    QScrollBar* v = editor_->SceneBox()->verticalScrollBar();
    ASSERT_GT(h->maximum(), 16);
    ASSERT_GT(v->maximum(), 16);
    Wheel(viewport, -120, Qt::ShiftModifier);
    Wheel(viewport, -120, Qt::ControlModifier);
    Wheel(viewport, -120, Qt::ControlModifier);
    EXPECT_EQ(h->value(), 8);
    EXPECT_EQ(v->value(), 16);
    EXPECT_DOUBLE_EQ(editor_->ZoomCanvas()->Value(), 200);
}

TEST_F(EditorView, TheSplitterKeepsTheTimelineBetweenTwoAndElevenRows) {
    QWidget* panel = editor_->TimelinePanel();
    // A row is 28 + 2 pixels; the ruler and the first gap add 32.
    const struct {
        int Height;
        bool Taken;
    } cases[] = {{362, true}, {363, false}, {92, true}, {91, false}, {230, true}};
    for (const auto& c : cases) {
        const int before = panel->height();
        editor_->SplitterMove(before - c.Height);
        EXPECT_EQ(panel->height(), c.Taken ? c.Height : before) << c.Height;
    }
    // The layout follows: the splitter sits on top of the timeline panel.
    EXPECT_EQ(editor_->Splitter()->geometry().bottom() + 1, panel->y());
    EXPECT_FALSE(project_->Modified());
}

TEST_F(EditorView, DesignScaleFitsTheProjectIntoTheCanvasBox) {
    const int aw = editor_->SceneBox()->width() - Bar() - 4;
    const int ah = editor_->SceneBox()->height() - Bar() - 4;
    ASSERT_GT(aw, 200);
    const struct {
        int Width, Height;
        float Scale;
    } cases[] = {
        {aw, ah, 1.0f},             // fits
        {0, ah, 1.0f},              // no size
        {2 * aw, ah, 0.5f},         // half
        {aw * 100 / 37, ah, 0.3f},  // 0.37 down to the tenth
        {aw, ah * 4, 0.2f},         // the height decides
        {aw * 20, ah, 0.1f},        // 0.05: never 0, the smallest zoom
        {aw * 200, ah * 200, 0.1f}, // 0.005
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(editor_->ComputeDesignScale(c.Width, c.Height), c.Scale)
            << c.Width << " x " << c.Height;
}

TEST_F(EditorView, TheCanvasPanelFillsTheBoxOrTakesTheScaledProject) {
    QScrollArea* box = editor_->SceneBox();
    const int bar = Bar();
    const struct {
        int Width, Height;
        float Scale, StoredScale;
        QSize Panel;
    } cases[] = {
        {320, 180, 1.0f, 1.0f, box->size()},
        {320, 180, 0.05f, 1.0f, box->size()}, // an invalid zoom goes back to 100 %
        {4000, 200, 0.5f, 0.5f, QSize(2004, box->height() - bar)},
        {200, 4000, 0.5f, 0.5f, QSize(box->width() - bar, 2004)},
        {4000, 4000, 2.0f, 2.0f, QSize(8004, 8004)},
        {6000, 100, 2.0f, 2.0f, QSize(100, box->height() - bar)}, // too wide: 100 pixels
    };
    for (const auto& c : cases) {
        project_->SetProjectSize(c.Width, c.Height);
        project_->InterfaceOptions.DesignScale = c.Scale;
        editor_->SetPSceneSize();
        EXPECT_EQ(editor_->ScenePanel()->size(), c.Panel) << c.Width << " x " << c.Height;
        EXPECT_FLOAT_EQ(project_->InterfaceOptions.DesignScale, c.StoredScale);
    }
}

TEST_F(EditorView, ResizingTheWindowLeavesTheProjectUnmodified) {
    editor_->resize(1400, 800);
    editor_->FormResize();
    EXPECT_FALSE(project_->Modified());
}

// Actions on Space, Delete and Ctrl+V, each counting its runs.
class EditorKeys : public EditorView {
protected:
    void SetUp() override {
        EditorView::SetUp();
        for (auto& [name, key] : std::initializer_list<std::pair<const char*, QKeySequence>>{
                 {"actPlay", Qt::Key_Space},
                 {"actDelete", Qt::Key_Delete},
                 {"actPaste", QKeySequence(Qt::CTRL | Qt::Key_V)}}) {
            auto* action = new QAction(editor_.get());
            action->setObjectName(name);
            action->setShortcut(key);
            editor_->addAction(action);
            QObject::connect(action, &QAction::triggered,
                             [this, n = QString(name)] { ++runs_[n]; });
        }
        edit_ = new QLineEdit(editor_->centralWidget());
        memo_ = new QPlainTextEdit(editor_->centralWidget());
        spin_ = new QSpinBox(editor_->centralWidget());
        spin_->setRange(0, 999);
        plain_ = new QWidget(editor_->centralWidget());
        plain_->setFocusPolicy(Qt::StrongFocus);
        editor_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor_.get()));
    }
    void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = {}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    std::map<QString, int> runs_;
    QLineEdit* edit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QSpinBox* spin_ = nullptr;
    QWidget* plain_ = nullptr;
};

TEST_F(EditorKeys, TextEntryKeepsItsKeysFromTheShortcuts) {
    Key(edit_, Qt::Key_Space);
    EXPECT_EQ(edit_->text(), " ");
    EXPECT_EQ(runs_["actPlay"], 0);
    Key(memo_, Qt::Key_Space);
    EXPECT_EQ(memo_->toPlainText(), " ");
    EXPECT_EQ(runs_["actPlay"], 0);
    // In a memo Play moves to Alt+Space.
    Key(memo_, Qt::Key_Space, Qt::AltModifier);
    EXPECT_EQ(runs_["actPlay"], 1);
    Key(plain_, Qt::Key_Space);
    EXPECT_EQ(runs_["actPlay"], 2);

    spin_->setValue(125);
    spin_->setFocus();
    spin_->findChild<QLineEdit*>()->setCursorPosition(0);
    Key(spin_, Qt::Key_Delete);
    EXPECT_EQ(spin_->value(), 25);
    EXPECT_EQ(runs_["actDelete"], 0);
    Key(spin_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(runs_["actPaste"], 0);
    Key(plain_, Qt::Key_Delete);
    EXPECT_EQ(runs_["actDelete"], 1);
    Key(plain_, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(runs_["actPaste"], 1);
}

TEST_F(EditorKeys, TheKeyCaptureEditTakesEveryKey) {
    edit_->setObjectName("edKeys");
    Key(edit_, Qt::Key_Delete);
    Key(edit_, Qt::Key_V, Qt::ControlModifier);
    Key(edit_, Qt::Key_Space);
    int runs = 0;
    for (const auto& [name, count] : runs_)
        runs += count;
    EXPECT_EQ(runs, 0);
}

} // namespace
