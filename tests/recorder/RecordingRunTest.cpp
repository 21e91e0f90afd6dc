// The engine protocol of a recording run on recording fakes: which engines are made, and in
// which order they are told their parameters, the shared start time, recording, pauses and the
// stop.

#include "FakeEngines.h"
#include "recorder/URRecordingRun.h"

#include <gtest/gtest.h>

namespace {

class RecordingRunTest : public ::testing::Test {
protected:
    void SetUp() override { SetDefaultSettings(settings); }

    std::unique_ptr<TRRecordingRun> makeRun(bool video) {
        TRRunSetup setup;
        setup.VideoMode = video;
        setup.DirTemp = "/tmp/project";
        setup.RecordingsFolder = "/tmp/recordings";
        setup.Names = {"Recording x", "Camera x", "Voice x", "Sound x"};
        auto run = std::make_unique<TRRecordingRun>(settings, setup);
        run->Breadcrumb = [this](const QString& step) { steps << step; };
        run->NowMs = [this] { return now; };
        return run;
    }

    // The log from the first call of `from` on.
    QStringList logFrom(const QString& from) const {
        const QStringList& calls = engines.factory.log.calls;
        return calls.mid(calls.indexOf(from));
    }

    TSettingsRecord settings{};
    InstalledFakeEngines engines;
    QStringList steps;
    int64_t now = 1000;
};

TEST_F(RecordingRunTest, VideoModeStartsTheCompositorFirstAndSwitchesOnInTheFixedOrder) {
    auto run = makeRun(true);
    ASSERT_EQ(run->OpenCamera(), 0);
    ASSERT_TRUE(run->OpenMic());
    ASSERT_TRUE(run->OpenSound());
    now = 5000;
    run->Start(true, QRect(10, 20, 640, 360));
    const QStringList expected{"video.Create",
                               "video.SetParams",
                               "video.Start",
                               "screen.Create",
                               "screen.SetParams compositor",
                               "screen.StartRecord",
                               "video.SetCursorRecorderThread screen",
                               "screen.StartTime 5000",
                               "screen.Recording true",
                               "camera.StartTime 5000",
                               "camera.Quality 80",
                               "camera.Recording true",
                               "mic.SetVRBuffer mic",
                               "mic.Recording true",
                               "sound.SetVRBuffer sc",
                               "sound.Recording true",
                               "video.StartTime 5000",
                               "video.Recording true"};
    EXPECT_EQ(logFrom("video.Create"), expected);
    EXPECT_EQ(steps.last(), "Recorder Start Record_11111_End");

    const FakeEngineLog& log = engines.factory.log;
    EXPECT_TRUE(log.lastOptions.RecordScreen);
    EXPECT_FALSE(log.lastOptions.RecordCamera); // over the screen the camera is an overlay
    EXPECT_TRUE(log.lastOptions.RecordMic);
    EXPECT_EQ(log.lastOptions.ScreenWidth, 640);
    EXPECT_EQ(log.lastOptions.OutputFileName, "/tmp/recordings/Recording x");
    EXPECT_EQ(log.lastScreenMode, 255);
    EXPECT_EQ(log.lastScreenRate, settings.OutputFramePS);

    EXPECT_TRUE(run->Stop());
    const QStringList stopping{"video.SetCursorRecorderThread none",
                               "screen.Terminate",
                               "camera.Terminate",
                               "mic.Terminate",
                               "sound.Terminate",
                               "video.Terminate",
                               "screen.StopRecord",
                               "camera.Recording false",
                               "camera.Stop",
                               "mic.Stop",
                               "sound.Stop",
                               "video.Stop"};
    EXPECT_EQ(logFrom("video.SetCursorRecorderThread none"), stopping);
}

TEST_F(RecordingRunTest, ACameraAloneInVideoModeFeedsTheCompositorDirectly) {
    auto run = makeRun(true);
    ASSERT_EQ(run->OpenCamera(), 0);
    run->Start(false, QRect(0, 0, 100, 100));
    const FakeEngineLog& log = engines.factory.log;
    EXPECT_TRUE(log.lastOptions.RecordCamera);
    EXPECT_FALSE(log.lastOptions.RecordScreen);
    EXPECT_TRUE(log.calls.contains("camera.VideoRecorderThread set"));
    EXPECT_FALSE(log.calls.contains("screen.Create"));
}

TEST_F(RecordingRunTest, ProjectModeWritesTracksIntoTheProjectFolderWithoutACompositor) {
    settings.CaptureMode = 0;
    settings.CaptureRate = 24;
    auto run = makeRun(false);
    ASSERT_TRUE(run->OpenMic());
    run->Start(true, QRect(0, 0, 320, 200));
    const FakeEngineLog& log = engines.factory.log;
    EXPECT_FALSE(log.calls.contains("video.Create"));
    EXPECT_EQ(log.lastScreenFile, "/tmp/project/screen");
    EXPECT_EQ(log.lastScreenMode, 0);
    EXPECT_EQ(log.lastScreenRate, 24);
    EXPECT_TRUE(log.calls.contains("mic.SetParams 24000 /tmp/project/mic "));
    EXPECT_TRUE(log.of("SetVRBuffer").isEmpty());
}

TEST_F(RecordingRunTest, VideoModeMicrophoneRateFollowsTheAudioBitRate) {
    const struct {
        int index;
        int bytes;
    } cases[] = {{0, 12000}, {1, 16000}, {2, 20000}, {3, 24000}, {7, 24000}};
    for (const auto& c : cases) {
        settings.OutputAudioBitrate = c.index;
        settings.MicFile = 0;
        auto run = makeRun(true);
        engines.factory.log.calls.clear();
        ASSERT_TRUE(run->OpenMic());
        EXPECT_EQ(engines.factory.log.calls.first(),
                  "mic.SetParams " + QString::number(c.bytes) + "  ")
            << c.index;
    }
}

TEST_F(RecordingRunTest, TwoPausesGiveEveryEngineTheirSumAsTotalPause) {
    auto run = makeRun(true);
    ASSERT_EQ(run->OpenCamera(), 0);
    run->Start(true, QRect(0, 0, 64, 64));
    now = 11000;
    run->Pause();
    now = 14000;
    run->Resume();
    now = 20000;
    run->Pause();
    EXPECT_EQ(run->RecordedMs(), 20000 - 1000 - 3000);
    now = 25000;
    run->Resume();
    EXPECT_EQ(run->TotalPause(), 8000);
    now = 31000;
    EXPECT_EQ(run->RecordedMs(), 31000 - 1000 - 8000);
    const QStringList last = engines.factory.log.of("TotalPause").mid(3);
    EXPECT_EQ(last, (QStringList{"screen.TotalPause 8000", "camera.TotalPause 8000",
                                 "video.TotalPause 8000"}));
    const QStringList pauses = engines.factory.log.of("PauseTime");
    EXPECT_EQ(pauses.mid(3), (QStringList{"screen.PauseTime 20000", "camera.PauseTime 20000",
                                          "video.PauseTime 20000"}));
}

TEST_F(RecordingRunTest, ACompositorThatWroteNoFileFailsTheStop) {
    engines.factory.log.videoWritesFile = false;
    auto run = makeRun(true);
    run->Start(true, QRect(0, 0, 64, 64));
    EXPECT_FALSE(run->Stop());
    EXPECT_TRUE(run->OutputFile().isEmpty());
}

TEST_F(RecordingRunTest, ACameraThatDoesNotStartIsNotKept) {
    engines.factory.log.cameraResult = 5;
    auto run = makeRun(false);
    EXPECT_EQ(run->OpenCamera(), 5);
    EXPECT_FALSE(run->CameraOpen());
}

} // namespace
