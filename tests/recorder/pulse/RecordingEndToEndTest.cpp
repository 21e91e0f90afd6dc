// One whole project-mode recording run: the tool bar opens the screen, a sine source as the
// microphone and the null sink's monitor as the system sound, records 3 s and stops; the
// tracks are in the project's folder, and once the recording import is installed they load as
// a screen recording of the capture size and length.

#include "capture/URCaptureEngines.h"
#include "core/URProject.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "objects/kinds/URKindsRegistry.h"
#include "recorder/ui/URRecordWindow.h"
#include "recorder/ui/URRecorder.h"
#include "tests/platform/audio/SoundServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class RecordingEndToEndTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        saved = SettingsRecord;
        SetDefaultSettings(SettingsRecord);
        InstallCaptureEngines();
    }
    void TearDown() override {
        RemoveCaptureEngines();
        SettingsRecord = saved;
    }
    TSettingsRecord saved{};
};

qint64 sizeOf(const QDir& dir, const char* name) {
    return QFileInfo(dir.filePath(name)).size();
}

TEST_P(RecordingEndToEndTest, ProjectModeRunLeavesItsTracks) {
    SKIP_WITHOUT_SOUND_SERVER();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X server scripts/test starts";
    const QString sineName = "tavrin_e2e_sine_" + QString::number(GetParam());
    const QString module =
        soundserver::pactl({"load-module", "module-sine-source", "source_name=" + sineName,
                            "rate=48000", "frequency=440"});
    ASSERT_FALSE(module.isEmpty());

    QTemporaryDir folder;
    TSettingsRecord& s = SettingsRecord;
    s.CaptureMode = uint8_t(GetParam());
    s.CaptureRate = 10;
    s.RecordScreen = s.RecordMic = s.RecordSound = 1;
    s.RecordCamera = 0;
    s.CountdownSeconds = 0;
    s.RecentAreas[0] = {40, 30, 466, 270}; // a 426 x 240 capture area, wider than the frame's panel

    {
        TRRecorder recorder;
        recorder.MutexName =
            QString("Tavrin_Recorder_Test_%1").arg(QCoreApplication::applicationPid());
        recorder.Devices.Cameras = [] { return QStringList(); };
        recorder.Devices.AudioDevices = [sineName](int flow) {
            return flow == 1 ? QStringList{sineName} : QStringList{"tavrin_null"};
        };
        recorder.AskUser = [](const QString& text, int, int) {
            ADD_FAILURE() << text.toStdString();
            return 1;
        };
        recorder.PopulateMicMenu();
        recorder.PopulateSCMenu();
        recorder.DirTempProject = folder.path() + "/";
        QTimer::singleShot(0, &recorder, [&recorder] {
            recorder.OpenDevicesNow();
            recorder.StartClicked();
            QTimer::singleShot(3000, &recorder, [&recorder] { recorder.StopButton()->click(); });
        });
        bool screen = false, camera = false, mic = false, sound = false;
        ASSERT_TRUE(recorder.Execute(false, screen, camera, mic, sound));
        EXPECT_TRUE(screen);
        EXPECT_FALSE(camera);
        EXPECT_TRUE(mic);
        EXPECT_TRUE(sound);
    }
    soundserver::pactl({"unload-module", module});

    const QDir dir(folder.path());
    EXPECT_GT(sizeOf(dir, GetParam() == 0 ? "screen.tvf" : "screen.mp4"), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(GetParam() == 0 ? "screen.mp4" : "screen.tvf")));
    EXPECT_GT(sizeOf(dir, "screen.tcf"), 0);
    EXPECT_GT(sizeOf(dir, "mic.m4a"), 0);
    EXPECT_GT(sizeOf(dir, "sound.m4a"), 0);

    // The recorded tracks as the editor recovers them, once the recording import is there.
    RegisterEngineKinds();
    RegisterDrawableKinds();
    if (!RecordedTracksLoader)
        return;
    TRProject project;
    EXPECT_EQ(project.OpenFromFile(folder.path()), QString());
    int32_t width = 0, height = 0;
    project.GetProjectSize(width, height);
    EXPECT_EQ(width, 426);
    EXPECT_EQ(height, 240);
    EXPECT_NEAR(project.GetMaxMediaTime(), 3000, 700);
}

INSTANTIATE_TEST_SUITE_P(CaptureModes, RecordingEndToEndTest, ::testing::Values(0, 1));

} // namespace
