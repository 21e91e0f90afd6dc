// The editor's play control: Play from the playhead to the end, the end reached and stopped
// through the end-of-play timer (a second Play in between does nothing), Stop while stopped
// touching nothing, muted playback starting no sound, the preview rate's positions snapped to
// the timeline's 30 fps grid, the speed menu ("100%" disables "Preserve Audio Pitch") and the
// services reporting playback while the clock runs.
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// An object that counts what the editor asks of its sound.
class SoundProbe : public TRObject {
public:
    explicit SoundProbe(TRProject* project) : TRObject(project, otAudio) {}
    void PrepareAudioToPlay(std::int32_t time) override { Prepared.push_back(time); }
    void PlayAudio() override { ++Played; }
    void StopAudio() override { ++Stopped; }
    std::vector<std::int32_t> Prepared;
    int Played = 0;
    int Stopped = 0;
};

class EditorPlay : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterEngineKinds(); }
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetDefaultSettings(SettingsRecord);
        editor_ = std::make_unique<TEditor>();
        auto project = std::make_unique<TRProject>();
        project->SetObjectName("Play");
        project_ = project.get();
        probe_ =
            static_cast<SoundProbe*>(project_->AddObject(std::make_unique<SoundProbe>(project_)));
        project_->SetTimeEnd(1000);
        editor_->ClickProject(editor_->AddProject(std::move(project)));
    }
    void TearDown() override { editor_.reset(); }
    // Lets the clock and the timers run until `done` or five seconds passed.
    template <typename Done> void RunUntil(Done done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QAction* Item(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TEditor> editor_;
    TRProject* project_ = nullptr;
    SoundProbe* probe_ = nullptr;
};

TEST_F(EditorPlay, PlayAtTheEndStopsThroughTheEndTimer) {
    editor_->SetPlayHead(1000);
    editor_->Play();
    EXPECT_TRUE(EditorServices().Playing());
    EXPECT_EQ(probe_->Prepared, std::vector<std::int32_t>{1000});
    EXPECT_TRUE(editor_->PlayButton()->toolTip().isEmpty()) << "no hint while playing";
    RunUntil([&] { return editor_->EndPlayTimer()->isActive(); });
    ASSERT_TRUE(editor_->EndPlayTimer()->isActive());
    EXPECT_TRUE(editor_->Player->Running()) << "the end keeps the clock until the timer";
    // A second Play before the timer fires does nothing.
    editor_->SetPlayHead(0);
    editor_->Play();
    EXPECT_EQ(editor_->GetPlayHead(), 0);
    RunUntil([&] { return !editor_->Player->Running(); });
    EXPECT_FALSE(editor_->Player->Running());
    EXPECT_FALSE(EditorServices().Playing());
    EXPECT_EQ(probe_->Stopped, 1);
    EXPECT_EQ(project_->StopPlay, 0) << "the playhead where the run was stopped";
    EXPECT_FALSE(editor_->PlayButton()->toolTip().isEmpty());
}

TEST_F(EditorPlay, PlaysToTheEndWithSoundUnlessMuted) {
    for (const bool muted : {false, true}) {
        SCOPED_TRACE(muted ? "muted" : "with sound");
        probe_->Prepared.clear();
        probe_->Played = 0;
        if (editor_->MuteButton()->isChecked() != muted)
            editor_->MuteButton()->click();
        editor_->SetPlayHead(700);
        editor_->Play();
        RunUntil([&] { return !editor_->Player->Running(); });
        EXPECT_EQ(editor_->GetPlayHead(), 1000);
        EXPECT_EQ(project_->StartPlay, 700);
        EXPECT_EQ(project_->StopPlay, 1000);
        EXPECT_EQ(probe_->Prepared.empty(), muted);
        EXPECT_EQ(probe_->Played == 0, muted) << probe_->Played;
    }
}

TEST_F(EditorPlay, StopWhileStoppedTouchesNothing) {
    const QString hint = editor_->PlayButton()->toolTip();
    editor_->Stop();
    EXPECT_EQ(probe_->Stopped, 0);
    EXPECT_EQ(editor_->PlayButton()->toolTip(), hint);
    // The mute button and the menus stop a running playback first.
    editor_->Play();
    editor_->MuteButton()->click();
    EXPECT_FALSE(editor_->Player->Running());
    EXPECT_EQ(probe_->Stopped, 1);
}

TEST_F(EditorPlay, PositionsOfEveryPreviewRateLandOnTheThirtyFpsGrid) {
    editor_->PlayerProcedure(1234);
    EXPECT_EQ(editor_->GetPlayHead(), 1233);
    project_->SetTimeEnd(2000);
    // 25 fps publishes 40, 80, 120, ...: each lands on the nearest 33⅓ ms frame.
    const struct {
        const char* Caption;
        std::int32_t Step;
    } rates[] = {{"1 fps", 1000}, {"25 fps", 1}};
    for (const auto& rate : rates) {
        SCOPED_TRACE(rate.Caption);
        Item(editor_->PlayRateMenu(), rate.Caption)->trigger();
        int checked = 0;
        for (const QAction* item : editor_->PlayRateMenu()->actions())
            checked += item->isChecked();
        EXPECT_EQ(checked, 1);
        std::vector<std::int32_t> heads;
        editor_->SetPlayHead(0);
        editor_->Play();
        RunUntil([&] {
            if (heads.empty() || heads.back() != editor_->GetPlayHead())
                heads.push_back(editor_->GetPlayHead());
            return !editor_->Player->Running();
        });
        for (const std::int32_t head : heads) {
            const double frame = head * 30 / 1000.0;
            EXPECT_NEAR(frame, std::round(frame), 0.02) << head;
            EXPECT_EQ(head % rate.Step, 0) << head;
        }
        EXPECT_EQ(heads.back(), 2000);
    }
}

TEST_F(EditorPlay, SpeedMenuSetsTheButtonAndThePitchItem) {
    QMenu* menu = editor_->PlaybackSpeedMenu();
    QAction* pitch = menu->actions().back();
    ASSERT_EQ(pitch->text(), "Preserve Audio Pitch");
    EXPECT_EQ(menu->actions().size(), 14);
    EXPECT_FALSE(pitch->isEnabled()) << "100% at start";
    const struct {
        const char* Caption;
        std::int32_t Speed;
        bool PitchEnabled;
    } speeds[] = {
        {"25%", 250, true}, {"100%", 1000, false}, {"400%", 4000, true}, {"175%", 1750, true}};
    for (const auto& speed : speeds) {
        SCOPED_TRACE(speed.Caption);
        Item(menu, speed.Caption)->trigger();
        EXPECT_EQ(editor_->PlaybackSpeed(), speed.Speed);
        EXPECT_EQ(editor_->PlaybackSpeedButton()->text(), speed.Caption);
        EXPECT_EQ(pitch->isEnabled(), speed.PitchEnabled);
        int checked = 0;
        for (const QAction* item : menu->actions())
            checked += item != pitch && item->isChecked();
        EXPECT_EQ(checked, 1);
    }
    pitch->trigger();
    EXPECT_EQ(editor_->PlaybackSpeedButton()->toolTip(),
              "Playback Speed: 175%\nPreserve Audio Pitch: OFF");
    // A speed no item has keeps the button as it was and checks nothing.
    editor_->UpdatePlaybackSpeedComponents(1100, true);
    EXPECT_EQ(editor_->PlaybackSpeed(), 1750);
    EXPECT_EQ(editor_->PlaybackSpeedButton()->text(), "175%");
    EXPECT_EQ(editor_->PlaybackSpeedButton()->toolTip(),
              "Playback Speed: 175%\nPreserve Audio Pitch: ON");
}

} // namespace
