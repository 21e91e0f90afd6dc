// The property-frame protocol on a small frame over the project's size group, the frame
// registry, and the project size frame: presets, original size, aspect lock and Apply.
#include "FrameTestServices.h"
#include "core/IKAnimation.h"
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "objects/URObjectsRegistry.h"
#include "properties/ui/UFramePropBase.h"
#include "properties/ui/UFramePropProjectSize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A frame with one value editor bound to the size group's width.
class TFrameWidth : public TFramePropBase {
public:
    TFrameWidth() : TFramePropBase(undoPlacement) {
        edit = new TRGPEditEx(Container());
        edit->SetMinMaxValues(0, 4000);
        connect(edit, &TRGPEditEx::Changed, this, &TFrameWidth::PropertyChanged);
    }
    void LoadControls() override {
        ++loads;
        edit->SetValue(Group()->Width);
    }
    void SaveControls() override {
        ++saves;
        Group()->Width = static_cast<int>(edit->Value());
    }
    TRPropProjectSize* Group() const { return static_cast<TRPropProjectSize*>(FProperty); }

    TRGPEditEx* edit;
    int loads = 0;
    int saves = 0;
};

// The group classes are registered before the fixture's project is made.
struct RegisteredGroups {
    RegisteredGroups() {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
    }
};

class FrameTest : public ::testing::Test, private RegisteredGroups {
protected:
    void SetUp() override {
        IKSetClock([this] { return now_; });
        services_.project = &project_;
        InstallEditorServices(&services_);
        project_.History_Init();
        group_ = project_.Get<TRPropProjectSize>(ptProjectSize, true);
        ASSERT_NE(group_, nullptr);
        group_->Width = group_->OriginalWidth = 640;
        group_->Height = group_->OriginalHeight = 480;
    }
    void TearDown() override {
        Advance(1);
        Advance(0);
        InstallEditorServices(nullptr);
        IKSetClock(nullptr);
    }
    void Advance(double seconds) {
        now_ += seconds;
        IKAnimationTick();
    }
    std::size_t Records() { return project_.History().Records().size(); }

    double now_ = 50.0;
    TestServices services_;
    TRProject project_;
    TRPropProjectSize* group_ = nullptr;
};

TEST_F(FrameTest, LoadingSetsTheControlsWithoutWritingBack) {
    TFrameWidth frame;
    frame.Init();
    frame.show();
    group_->Width = 1280;
    const auto before = Records();
    frame.ShowProperties(&project_, group_);
    Advance(0.5); // the editor's slide ends
    EXPECT_EQ(frame.edit->Value(), 1280);
    EXPECT_EQ(frame.edit->TrackBar()->value(), 1280);
    EXPECT_FALSE(frame.Loading());
    EXPECT_EQ(frame.saves, 0);
    EXPECT_EQ(services_.repaints, 0);
    EXPECT_EQ(Records(), before);
    // The size group has no switch: the header hides it.
    EXPECT_FALSE(frame.Panel()->CheckBox()->isVisibleTo(frame.Panel()));
}

TEST_F(FrameTest, EachUserChangeWritesOnceWithOneUndoRecord) {
    TFrameWidth frame;
    frame.Init();
    frame.show();
    frame.ShowProperties(&project_, group_);
    Advance(0.5); // the load's slide ends
    const auto before = Records();
    frame.edit->TrackBar()->setValue(700); // a drag
    EXPECT_EQ(group_->Width, 700);
    EXPECT_EQ(frame.saves, 1);
    EXPECT_EQ(services_.repaints, 1);
    ASSERT_EQ(Records(), before + 1);
    EXPECT_EQ(project_.History().Records().back().UType, undoPlacement);
    EXPECT_TRUE(project_.History().Records().back().UMStream.contains("Width=\"700\""));
    frame.edit->TrackBar()->setValue(800);
    EXPECT_EQ(frame.saves, 2);
    EXPECT_EQ(Records(), before + 1); // consecutive changes of one object and kind merge
    EXPECT_TRUE(project_.History().Records().back().UMStream.contains("Width=\"800\""));
}

TEST_F(FrameTest, AProgramSlideDuringAChangeDoesNotWriteAgain) {
    TFrameWidth frame;
    frame.Init();
    frame.show();
    frame.ShowProperties(&project_, group_);
    Advance(0.5);
    frame.edit->TrackBar()->setValue(700);
    group_->Width = 100;
    frame.ShowProperties(&project_, group_); // slides back to 100
    Advance(0.1);
    group_->Width = 300;
    frame.ShowProperties(&project_, group_); // a second slide while the first runs
    for (int i = 0; i < 40; ++i)
        Advance(0.016);
    EXPECT_EQ(frame.saves, 1);
    EXPECT_EQ(group_->Width, 300);
}

TEST_F(FrameTest, HeaderChangesWriteTheExpandedState) {
    TFrameWidth frame;
    frame.Init();
    frame.show();
    group_->SetExpanded(true);
    frame.ShowProperties(&project_, group_);
    const auto before = Records();
    QTest::mouseClick(frame.Panel()->ExpandButton(), Qt::LeftButton);
    EXPECT_FALSE(group_->Expanded());
    EXPECT_EQ(Records(), before + 1);
    Advance(0.5);
    EXPECT_EQ(frame.height(), frame.Panel()->HeightCompact());
}

TEST_F(FrameTest, NothingIsWrittenWithoutProjectOrGroup) {
    TFrameWidth frame;
    frame.Init();
    frame.show();
    frame.ShowProperties(nullptr, group_);
    frame.ShowProperties(&project_, nullptr);
    EXPECT_EQ(frame.loads, 0);
    frame.edit->TrackBar()->setValue(700); // nothing shown yet
    EXPECT_EQ(frame.saves, 0);
    frame.ShowProperties(&project_, group_);
    InstallEditorServices(nullptr); // no active project
    frame.edit->TrackBar()->setValue(900);
    EXPECT_EQ(frame.saves, 0);
    EXPECT_NE(group_->Width, 900);
}

TEST_F(FrameTest, FramesAreCreatedByPropertyType) {
    RegisterPropertyFrames();
    QWidget page;
    TFramePropBase* frame = CreatePropertyFrame(ptProjectSize, &page);
    ASSERT_NE(dynamic_cast<TFramePropProjectSize*>(frame), nullptr);
    EXPECT_EQ(frame->parentWidget(), &page);
    EXPECT_EQ(CreatePropertyFrame(ptBase, &page), nullptr);
    EXPECT_EQ(CreatePropertyFrame(ptEnd, &page), nullptr);
    RegisterPropertyFrame(ptProjectSize, nullptr);
    EXPECT_EQ(CreatePropertyFrame(ptProjectSize, &page), nullptr);
}

// ---- the project size frame ----

class ProjectSizeFrameTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        frame_.Init();
        frame_.show();
    }
    void Choose(int row) { frame_.Presets()->setCurrentIndex(row); }

    TFramePropProjectSize frame_;
};

TEST_F(ProjectSizeFrameTest, ANewFrameShowsCustomSizeWithTheFieldsDisabled) {
    EXPECT_EQ(frame_.Presets()->currentText(), "Custom Size");
    EXPECT_FALSE(frame_.WidthEdit()->isEnabled());
    EXPECT_FALSE(frame_.HeightEdit()->isEnabled());
    ASSERT_EQ(frame_.Presets()->count(), 18);
    EXPECT_EQ(frame_.Presets()->itemText(1), "Original Size");
    EXPECT_EQ(frame_.Presets()->itemText(6), "1920 x 1080  [16:9]  Full HD");
    EXPECT_EQ(frame_.Presets()->itemText(17), "1080 x 1920  [9:16]  Large");
    EXPECT_EQ(frame_.Panel()->Caption()->text(), "Project Size");
    EXPECT_EQ(frame_.WidthEdit()->suffix(), " px");
}

TEST_F(ProjectSizeFrameTest, AProjectAtItsCreationSizeOpensOnOriginalSize) {
    frame_.ShowProperties(&project_, group_);
    EXPECT_EQ(frame_.Presets()->currentText(), "Original Size");
    group_->Width = 800;
    frame_.ShowProperties(&project_, group_);
    EXPECT_EQ(frame_.Presets()->currentText(), "Custom Size");
    EXPECT_TRUE(frame_.WidthEdit()->isEnabled());
    EXPECT_EQ(frame_.WidthEdit()->value(), 800);
}

TEST_F(ProjectSizeFrameTest, APresetFillsTheFieldsAndApplyStoresThem) {
    frame_.ShowProperties(&project_, group_);
    const auto before = Records();
    Choose(17);
    EXPECT_EQ(frame_.WidthEdit()->value(), 1080);
    EXPECT_EQ(frame_.HeightEdit()->value(), 1920);
    EXPECT_FALSE(frame_.WidthEdit()->isEnabled());
    EXPECT_EQ(group_->Width, 640); // only Apply changes the canvas
    QTest::mouseClick(frame_.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(group_->Width, 1080);
    EXPECT_EQ(group_->Height, 1920);
    EXPECT_TRUE(project_.Modified());
    EXPECT_EQ(services_.repaints, 1);
    EXPECT_EQ(Records(), before); // no undo step
    Choose(TFramePropProjectSize::OriginalSizeRow);
    EXPECT_EQ(frame_.WidthEdit()->value(), 640);
    Choose(TFramePropProjectSize::CustomSizeRow);
    EXPECT_EQ(frame_.WidthEdit()->value(), 1080);
}

TEST_F(ProjectSizeFrameTest, TypedSizesAreHeldToTheFieldsRange) {
    group_->Width = 800;
    frame_.ShowProperties(&project_, group_);
    frame_.WidthEdit()->setValue(5000);
    frame_.HeightEdit()->setValue(10);
    QTest::mouseClick(frame_.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(group_->Width, 3840);
    EXPECT_EQ(group_->Height, 100);
}

TEST_F(ProjectSizeFrameTest, TheAspectLockKeepsTheOriginalProportions) {
    group_->Width = 800;
    frame_.ShowProperties(&project_, group_);
    QTest::mouseClick(frame_.AspectLock(), Qt::LeftButton);
    ASSERT_TRUE(frame_.AspectLock()->isChecked());
    frame_.WidthEdit()->setValue(1280);
    EXPECT_EQ(frame_.HeightEdit()->value(), 960); // 640 x 480
    frame_.HeightEdit()->setValue(300);
    EXPECT_EQ(frame_.WidthEdit()->value(), 400);
    // A project without an original size has no proportions to keep, and nothing divides.
    group_->OriginalWidth = 0;
    group_->OriginalHeight = 0;
    frame_.ShowProperties(&project_, group_);
    frame_.WidthEdit()->setValue(1000);
    EXPECT_EQ(frame_.HeightEdit()->value(), 480);
}

TEST_F(ProjectSizeFrameTest, ThePanelStoresOnlyItsExpandedState) {
    frame_.ShowProperties(&project_, group_);
    const auto before = Records();
    frame_.WidthEdit()->setValue(999);
    QTest::mouseClick(frame_.Panel()->ExpandButton(), Qt::LeftButton);
    EXPECT_FALSE(group_->Expanded());
    EXPECT_EQ(group_->Width, 640);
    EXPECT_EQ(Records(), before);
}

TEST_F(ProjectSizeFrameTest, TheFrameFollowsTheHeadersHeight) {
    frame_.ShowProperties(&project_, group_);
    EXPECT_EQ(frame_.height(), frame_.Panel()->HeightExpanded());
    const QRect container = frame_.Container()->geometry();
    EXPECT_LE(container.bottom(), frame_.Panel()->height());
    EXPECT_GE(container.top(), frame_.Panel()->Header()->height() - 1);
}

} // namespace
