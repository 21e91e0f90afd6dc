// The editor window's slots: each project keeps its view state across switches, a stored zoom
// not in the table opens at level 14, the project tabs follow the filled slots, the caption and
// the Save button mark a modified project, the menus follow the window state, and the easing
// menu checks one item and records one undo step per choice.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class EditorWindow : public testing::Test {
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
    }
    void TearDown() override { editor_.reset(); }
    // A new project in the next slot, named `name`.
    TRProject* Open(const QString& name, int end = 20000) {
        auto project = std::make_unique<TRProject>();
        project->SetObjectName(name);
        project->SetTimeEnd(end);
        TRProject* raw = project.get();
        EXPECT_GT(editor_->AddProject(std::move(project)), 0);
        return raw;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TEditor> editor_;
};

TEST_F(EditorWindow, SwitchingProjectsRestoresEachOnesView) {
    TRProject* a = Open("A");
    TRProject* b = Open("B");
    a->InterfaceOptions.Timeline_PixelPS = 60;
    a->InterfaceOptions.Timeline_TrackHeight = 40;
    editor_->ClickProject(1);
    editor_->SetPlayHead(4500);
    editor_->Timeline.StartTime = 2000;
    editor_->UpdatePlaybackSpeedComponents(1500, false);
    const TRTimelineView aView = editor_->Timeline;
    editor_->ClickProject(2);
    EXPECT_EQ(editor_->ActiveProject, b);
    EXPECT_EQ(editor_->GetPlayHead(), 0);
    EXPECT_EQ(editor_->PlaybackSpeed(), 1000);
    EXPECT_TRUE(editor_->PreserveAudioPitch());
    editor_->SetPlayHead(900);
    editor_->ClickProject(1);
    EXPECT_EQ(editor_->ActiveProject, a);
    EXPECT_EQ(editor_->GetPlayHead(), 4500);
    EXPECT_EQ(editor_->Timeline.StartTime, 2000);
    EXPECT_EQ(editor_->Timeline.PixelPS, 60);
    EXPECT_EQ(editor_->ZoomTimeline()->value(), 12);
    EXPECT_EQ(editor_->ZoomTrack()->value(), 40);
    EXPECT_EQ(editor_->Timeline.PixelPS, aView.PixelPS);
    EXPECT_EQ(editor_->PlaybackSpeed(), 1500);
    EXPECT_FALSE(editor_->PreserveAudioPitch());
    EXPECT_EQ(b->InterfaceOptions.Timeline_PlayHead, 900);
    EXPECT_EQ(editor_->TimeLabel()->text(),
              FormatTimeFrames(4500) + " / " + FormatTimeFrames(20000));
}

TEST_F(EditorWindow, AStoredZoomOutsideTheTableOpensAtLevelFourteen) {
    TRProject* a = Open("A");
    a->InterfaceOptions.Timeline_PixelPS = 77;
    editor_->ClickProject(1);
    EXPECT_EQ(editor_->ZoomTimeline()->value(), 14);
    EXPECT_EQ(editor_->Timeline.PixelPS, 120);
    EXPECT_EQ(TimelineZoomIndex(300), 20);
    EXPECT_EQ(TimelineZoomIndex(1), 1);
}

TEST_F(EditorWindow, ActivatingTheActiveProjectAgainReappliesItsViewAndClearsTheSelection) {
    TRProject* a = Open("A");
    editor_->ClickProject(1);
    TRObject* object = a->AddObject(CreateObjectOfType(a, otImage));
    editor_->SetSelectedObject(object, true);
    EXPECT_EQ(a->SelectedObject, object);
    editor_->ZoomTrack()->setValue(33);
    editor_->SetActiveProject(a);
    EXPECT_EQ(a->SelectedObject, nullptr);
    EXPECT_EQ(a->InterfaceOptions.Timeline_TrackHeight, 33);
    EXPECT_EQ(editor_->ZoomTrack()->value(), 33);
}

TEST_F(EditorWindow, TabsCaptionAndMenusFollowTheSlots) {
    EXPECT_EQ(editor_->windowTitle(), "Tavrin");
    for (int menu : {2, 3, 4, 5})
        EXPECT_FALSE(editor_->Menu(menu)->isEnabled()) << menu;
    EXPECT_FALSE(editor_->Menu(6)->isEnabled()) << "no slot filled";
    EXPECT_FALSE(editor_->IntroPanel()->isHidden());

    TRProject* a = Open("Alpha");
    editor_->ClickProject(1);
    EXPECT_EQ(editor_->windowTitle(), "Tavrin - Alpha");
    EXPECT_EQ(editor_->SaveButton()->text(), "Save");
    EXPECT_TRUE(editor_->Tabs()->isHidden()) << "one project: no tabs";
    EXPECT_FALSE(editor_->CloseButton()->isHidden());
    EXPECT_TRUE(editor_->IntroPanel()->isHidden());
    for (int menu : {2, 3, 4, 5})
        EXPECT_TRUE(editor_->Menu(menu)->isEnabled()) << menu;
    a->SetModified(true);
    EXPECT_EQ(editor_->windowTitle(), "Tavrin - Alpha*");
    EXPECT_EQ(editor_->SaveButton()->text(), "Save*");

    Open("Beta");
    Open("Gamma");
    editor_->ClickProject(3);
    EXPECT_FALSE(editor_->Tabs()->isHidden());
    EXPECT_EQ(editor_->Tabs()->currentIndex(), 2);
    EXPECT_TRUE(editor_->Tabs()->isTabVisible(0));
    EXPECT_TRUE(editor_->Tabs()->isTabVisible(2));
    EXPECT_FALSE(editor_->Tabs()->isTabVisible(3)) << "empty slots have no tab";
    EXPECT_EQ(editor_->Tabs()->tabText(1), "Beta");
    EXPECT_TRUE(editor_->ProjectAction(3)->isChecked());
    EXPECT_FALSE(editor_->ProjectAction(4)->isVisible());
    EXPECT_EQ(editor_->windowTitle(), "Tavrin - Gamma");
    editor_->TabClick(0);
    EXPECT_EQ(editor_->ActiveProject, a);
    EXPECT_TRUE(editor_->ProjectAction(1)->isChecked());
    editor_->TabClick(4); // an empty slot
    EXPECT_EQ(editor_->ActiveProject, a);
}

TEST_F(EditorWindow, TheEasingMenuChecksOneItemAndItsGroup) {
    auto checked = [&] {
        std::vector<QString> names;
        for (QAction* action : editor_->EaseMenu()->actions()) {
            if (action->isChecked())
                names.push_back(action->text());
            if (QMenu* group = action->menu())
                for (QAction* item : group->actions())
                    if (item->isChecked())
                        names.push_back(item->text());
        }
        return names;
    };
    const struct {
        int value;
        std::vector<QString> checked;
    } cases[] = {{-1, {"Linear"}},
                 {0, {"Linear"}},
                 {28, {"Sine", "InOut"}},
                 {29, {"Linear"}},
                 {4, {"Bounce", "In"}}};
    for (const auto& c : cases) {
        editor_->SetCheckMenuItemAnimation(c.value);
        EXPECT_EQ(checked(), c.checked) << c.value;
    }
}

TEST_F(EditorWindow, AnEasingChoiceOnAnAnimatedObjectIsOneUndoStep) {
    TRProject* a = Open("A");
    editor_->ClickProject(1);
    TRObject* object = a->AddObject(CreateObjectOfType(a, otImage));
    object->SetTimeEnd(6000);
    object->AddNewTransformation(3000);
    a->History_Init();
    editor_->SetSelectedObject(object, true);
    const auto records = a->History().Records().size();
    editor_->SetPlayHead(500); // outside the animation: nothing happens
    editor_->EaseItemClick(9);
    EXPECT_EQ(a->History().Records().size(), records);
    editor_->SetPlayHead(2967); // a frame of the grid, inside the animation
    ASSERT_TRUE(object->InAnimation());
    editor_->EaseItemClick(9);
    EXPECT_EQ(object->GetCurrentTransformationEase(), 9);
    ASSERT_EQ(a->History().Records().size(), records + 1);
    EXPECT_EQ(a->History().Records().back().UType, undoAnimationEase);
}

TEST_F(EditorWindow, DeletingAllCaptionsClearsTheirSelectionFirstInOneStep) {
    TRProject* a = Open("A");
    editor_->ClickProject(1);
    TRObject* image = a->AddObject(CreateObjectOfType(a, otImage));
    TRObject* caption = a->AddObject(CreateObjectOfType(a, otCaption));
    a->AddObject(CreateObjectOfType(a, otCaption));
    a->History_Init();
    editor_->SetSelectedObject(caption, true);
    a->MouseOverObject = caption;
    SettingsRecord.ConfirmDelete = 0; // the user switched the question off: Yes at once
    editor_->DeleteCaptions();
    ASSERT_EQ(a->Objects().size(), 1u);
    EXPECT_EQ(a->Objects().front().get(), image);
    EXPECT_EQ(a->SelectedObject, nullptr);
    EXPECT_EQ(a->MouseOverObject, nullptr);
    a->History_Undo();
    EXPECT_EQ(a->Objects().size(), 3u) << "one undo step brings both back";
}

} // namespace
