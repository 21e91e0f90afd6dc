// The recorder tool bar on fake devices and recording engines: its menus (sources and docking), the
// page flow of a run, what it writes into the settings, and the stops by time limit and by full
// disk.

#include "FakeEngines.h"
#include "core/ui/URMessageBox.h"
#include "platform/system/NamedMutex.h"
#include "recorder/URRecordingRun.h"
#include "recorder/ui/URRecordWindow.h"
#include "recorder/ui/URRecorder.h"
#include "recorder/ui/URRecorderIcons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TWebCamFormat format(int fps, int w, int h, const TRGuid& subType, int stream = 0) {
    TWebCamFormat f;
    f.FPS = fps;
    f.Width = w;
    f.Height = h;
    f.SubType = subType;
    f.Stream = stream;
    return f;
}

QStringList captions(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QString("-") : a->text());
    return texts;
}

QAction* item(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

class RecorderToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = SettingsRecord;
        SetDefaultSettings(SettingsRecord);
        SettingsRecord.RecordingsFolders.Slots[1].setText(folder.path());
        recorder = std::make_unique<TRRecorder>();
        recorder->MutexName =
            QString("Tavrin_Recorder_Test_%1").arg(QCoreApplication::applicationPid());
        recorder->Devices.Cameras = [this] { return cameras; };
        recorder->Devices.CameraFormats = [this](const QString& name) {
            return name == "Cam B" ? formatsB : formatsA;
        };
        recorder->Devices.CameraAvailable = [](const QString&) { return true; };
        recorder->Devices.TestCamera = [](const QString&, const TWebCamFormat&) { return 0; };
        recorder->Devices.CameraSubTypes = [](const QString&) { return QString(); };
        recorder->Devices.AudioDevices = [this](int flow) { return flow == 1 ? mics : sinks; };
        recorder->Devices.HardwareH264 = [] { return false; };
        recorder->Devices.FreeKB = [this](const QString&) { return freeKB; };
        recorder->AskUser = [this](const QString& text, int, int) {
            messages << text;
            return answer;
        };
        recorder->SettleMs = 300;
        recorder->DirTempProject = folder.path();
        recorder->PopulateMicMenu();
        recorder->PopulateSCMenu();
    }
    void TearDown() override {
        recorder.reset();
        SettingsRecord = saved;
    }

    // Runs `steps` one after another inside the modal run, then returns Execute's result.
    bool run(bool video, std::vector<std::function<void()>> steps, const QString& name = {}) {
        auto queue = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
        // The chain holds itself weakly: it lives as long as this call, and a step still queued
        // after the run ends does nothing.
        auto next = std::make_shared<std::function<void(size_t)>>();
        const std::weak_ptr<std::function<void(size_t)>> chain = next;
        *next = [queue, chain](size_t i) {
            if (i >= queue->size())
                return;
            QTimer::singleShot(0, [queue, chain, i] {
                (*queue)[i]();
                if (const auto step = chain.lock())
                    (*step)(i + 1);
            });
        };
        (*next)(0);
        return recorder->Execute(video, screen, camera, mic, sound, name);
    }

    void touch(const QString& name) {
        QFile f(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    bool exists(const QString& name) const {
        return QFile::exists(QDir(folder.path()).filePath(name));
    }

    TSettingsRecord saved{};
    QTemporaryDir folder;
    InstalledFakeEngines engines;
    std::unique_ptr<TRRecorder> recorder;
    QStringList cameras{"Cam A", "Cam B"};
    TWebCamFormats formatsA{format(30, 1280, 720, MFVideoFormat_NV12),
                            format(30, 640, 480, MFVideoFormat_YUY2, 1),
                            format(15, 640, 360, MFVideoFormat_MJPG)};
    TWebCamFormats formatsB{format(30, 640, 480, MFVideoFormat_RGB24)};
    QStringList mics{"Mic 1", "Mic 2"};
    QStringList sinks{"Speakers"};
    std::optional<uint64_t> freeKB = uint64_t(1) << 40;
    int answer = TRMessageBox::IDOK;
    QStringList messages;
    bool screen = false, camera = false, mic = false, sound = false;
};

TEST_F(RecorderToolbarTest, CameraMenuListsFormatsAndChoosesTheFirst640WideOne) {
    recorder->PopulateCameraMenu();
    QMenu* menu = recorder->CameraMenu();
    EXPECT_EQ(captions(menu).mid(0, 2), (QStringList{"Cam A", "Cam B"}));
    QMenu* a = menu->actions()[0]->menu();
    EXPECT_EQ(captions(a), (QStringList{"30 fps, 1280 x 720, NV12", "30 fps, 640 x 480, YUY2,1",
                                        "15 fps, 640 x 360, MJPG"}));
    EXPECT_EQ(SettingsRecord.CameraName.text(), "Cam A");
    EXPECT_EQ(SettingsRecord.CameraWidth, 640);
    EXPECT_EQ(SettingsRecord.CameraStream, 1);
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    EXPECT_FALSE(a->actions()[0]->isChecked());
    EXPECT_TRUE(a->actions()[1]->isChecked());
    EXPECT_FALSE(menu->actions()[1]->isChecked());
    // Project mode adds quality and preview.
    EXPECT_EQ(captions(menu).mid(2), (QStringList{"-", "Capture Quality", "Preview Camera"}));
}

TEST_F(RecorderToolbarTest, AStoredFormatThatIsGoneIsReplacedQuietly) {
    SettingsRecord.CameraName.setText("Cam A");
    SettingsRecord.CameraWidth = 320;
    recorder->PopulateCameraMenu();
    EXPECT_EQ(SettingsRecord.CameraWidth, 1280); // the first camera's first format
    EXPECT_TRUE(recorder->CameraMenu()->actions()[0]->menu()->actions()[0]->isChecked());
    EXPECT_FALSE(engines.factory.log.calls.contains("camera.Create"));
}

TEST_F(RecorderToolbarTest, NoCameraDisablesItsButton) {
    cameras.clear();
    recorder->PopulateCameraMenu();
    EXPECT_FALSE(recorder->CameraButton()->isEnabled());
}

TEST_F(RecorderToolbarTest, AudioMenusTickTheStoredDeviceOrStoreTheFirst) {
    EXPECT_EQ(captions(recorder->MicMenu()), (QStringList{"Mic 1", "Mic 2", "-", "Mute"}));
    EXPECT_EQ(SettingsRecord.MicDevice.text(), "Mic 1");
    EXPECT_FALSE(item(recorder->MicMenu(), "Mute")->isEnabled());
    EXPECT_EQ(captions(recorder->SoundMenu()), QStringList{"Speakers"});
    SettingsRecord.MicDevice.setText("Mic 2");
    recorder->PopulateMicMenu();
    EXPECT_TRUE(item(recorder->MicMenu(), "Mic 2")->isChecked());
    EXPECT_FALSE(item(recorder->MicMenu(), "Mic 1")->isChecked());
    sinks.clear();
    recorder->PopulateSCMenu();
    EXPECT_FALSE(recorder->SoundButton()->isEnabled());
}

TEST_F(RecorderToolbarTest, ScreenMenuOffersAreasAndCaptureOptions) {
    SettingsRecord.RecentAreas[0] = {100, 50, 740, 530};
    recorder->PopulateScreenMenu();
    QMenu* menu = recorder->ScreenMenu();
    EXPECT_EQ(captions(menu),
              (QStringList{"Full Screen", "Presets", "Recent Areas", "-", "Capture Mode",
                           "Capture Rate", "Capture Quality", "Capture Method"}));
    QMenu* presets = menu->actions()[1]->menu();
    EXPECT_EQ(presets->actions().size(), 16);
    EXPECT_EQ(presets->actions()[4]->text(), "1920 x 1080  \t16:9\t  Full HD" + QString(10, ' '));
    EXPECT_EQ(captions(menu->actions()[2]->menu()), QStringList{"640 x 480   \t100,50"});
    QMenu* method = menu->actions()[7]->menu();
    EXPECT_EQ(captions(method), (QStringList{"Copy", "Shared memory (recommended)"}));
    EXPECT_TRUE(method->actions()[1]->isChecked());
    QMenu* rate = menu->actions()[5]->menu();
    Q_EMIT recorder->ScreenMenu()->triggered(rate->actions()[4]); // 24 fps
    EXPECT_EQ(SettingsRecord.CaptureRate, 24);
    EXPECT_TRUE(rate->actions()[4]->isChecked());
    EXPECT_FALSE(rate->actions()[6]->isChecked());
    // A preset ends full screen and sizes the frame.
    SettingsRecord.FullScreen = 1;
    Q_EMIT recorder->ScreenMenu()->triggered(presets->actions()[4]);
    EXPECT_EQ(SettingsRecord.FullScreen, 0);
    EXPECT_EQ(recorder->Frame()->GetCaptureRect().size(), QSize(1920, 1080));
    EXPECT_TRUE(recorder->ScreenButton()->isChecked());
}

TEST_F(RecorderToolbarTest, TheAlignmentMenuTicksAndStoresTheDockingSide) {
    QMenu* menu = recorder->AlignmentMenu();
    EXPECT_EQ(captions(menu), (QStringList{"None", "Auto", "-", "Top", "Bottom", "Left", "Right"}));
    const auto ticked = [menu] {
        QStringList on;
        for (QAction* a : menu->actions())
            if (a->isChecked())
                on << a->text();
        return on;
    };
    SettingsRecord.ToolbarAlignment = 3;
    QStringList atStart;
    run(false, {[&] {
                    atStart = ticked();
                    if (const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
                        !folder.isEmpty())
                        recorder->grab().save(folder + "/recorder_alignment_bottom.png");
                },
                [this] { QMetaObject::invokeMethod(recorder.get(), "reject"); }});
    EXPECT_EQ(atStart, QStringList{"Bottom"});
    Q_EMIT menu->triggered(item(menu, "Left"));
    EXPECT_EQ(SettingsRecord.ToolbarAlignment, 4);
    EXPECT_EQ(ticked(), QStringList{"Left"});
    EXPECT_FALSE(recorder->AlignmentButton()->icon().isNull());
}

TEST(RecorderAlignmentGlyph, TheBarShowsTheDockingSide) {
    // A 24-px glyph: the 7 x 7 outline at (8, 8), a bar 4 wide and 3 high.
    const QPoint inBar[] = {
        {13, 10}, // none: from the middle of the outline
        {10, 13}, // auto: inside along the bottom
        {9, 5},   // top: above the outline
        {9, 17},  // bottom: below it
        {4, 13},  // left: beside its lower part
        {17, 13}, // right
    };
    for (int alignment = 0; alignment < 6; ++alignment) {
        const QImage glyph = AlignmentGlyph(alignment, QSize(24, 24), Qt::white);
        EXPECT_EQ(glyph.pixel(8, 8), qRgb(255, 255, 255)) << "the outline's corner";
        EXPECT_EQ(glyph.pixel(14, 14), qRgb(255, 255, 255)) << "the opposite corner";
        for (int other = 0; other < 6; ++other)
            EXPECT_EQ(qAlpha(glyph.pixel(inBar[other])), other == alignment ? 255 : 0)
                << alignment << " probed at " << other;
    }
}

TEST_F(RecorderToolbarTest, ClosingInTheCountdownDeletesExactlyTheRunsFiles) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.RecordMic = 1;
    SettingsRecord.CountdownSeconds = 3;
    for (const char* name : {"screen.tvf", "screen.mp4", "screen.tcf", "camera.mp4", "mic.m4a",
                             "sound.m4a", "project.xml", "camera.tvf"})
        touch(name);
    QWidget* pageWhenClosed = nullptr;
    const bool ok =
        run(false, {[this] { recorder->OpenDevicesNow(); }, [this] { recorder->StartClicked(); },
                    [this, &pageWhenClosed] {
                        pageWhenClosed = recorder->Pages()->currentWidget();
                        recorder->close();
                    }});
    EXPECT_FALSE(ok);
    EXPECT_EQ(pageWhenClosed, recorder->PageCountDown());
    for (const char* gone :
         {"screen.tvf", "screen.mp4", "screen.tcf", "camera.mp4", "mic.m4a", "sound.m4a"})
        EXPECT_FALSE(exists(gone)) << gone;
    EXPECT_TRUE(exists("project.xml"));
    EXPECT_TRUE(exists("camera.tvf"));
    EXPECT_FALSE(screen);
    EXPECT_TRUE(engines.factory.log.calls.contains("mic.Stop"));
    EXPECT_FALSE(engines.factory.log.calls.contains("screen.Create")); // never recorded
    // The sources are stored also when the run is abandoned.
    EXPECT_EQ(SettingsRecord.RecordScreen, 1);
    EXPECT_EQ(SettingsRecord.RecordMic, 1);
}

TEST_F(RecorderToolbarTest, ClosingWhileRecordingAndAnsweringNoResumesAfterAPause) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.RecordMic = 0;
    SettingsRecord.CountdownSeconds = 0;
    answer = TRMessageBox::IDNO;
    bool pausedAfterNo = false, resumedLater = false, stillOnRecordPage = false;
    const bool ok =
        run(false, {[this] { recorder->OpenDevicesNow(); }, [this] { recorder->StartClicked(); },
                    [&] {
                        recorder->close();
                        pausedAfterNo = recorder->Run()->Paused();
                        stillOnRecordPage =
                            recorder->Pages()->currentWidget() == recorder->PageRecord();
                        QTest::qWait(100);
                        const bool early = recorder->Run()->Paused();
                        QTest::qWait(400);
                        resumedLater = early && !recorder->Run()->Paused();
                    },
                    [this] { recorder->StopButton()->click(); }});
    EXPECT_TRUE(ok);
    EXPECT_TRUE(pausedAfterNo);
    EXPECT_TRUE(stillOnRecordPage);
    EXPECT_TRUE(resumedLater);
    EXPECT_EQ(messages, QStringList{"Are you sure want to delete this recording and quit?"});
    EXPECT_TRUE(screen);
    EXPECT_FALSE(mic);
    // The capture area was stored at the start.
    const QRect area = recorder->Frame()->GetCaptureRect();
    const TRRectI stored = SettingsRecord.RecentAreas[0];
    EXPECT_EQ(stored, (TRRectI{area.left(), area.top(), area.left() + area.width(),
                               area.top() + area.height()}));
    const FakeEngineLog& log = engines.factory.log;
    EXPECT_EQ(log.lastScreenFile, QDir(folder.path()).filePath("screen"));
}

TEST_F(RecorderToolbarTest, ClosingWhileRecordingAndAnsweringYesDropsTheRecording) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.CountdownSeconds = 0;
    answer = TRMessageBox::IDYES;
    recorder->SettleMs = 0;
    const bool ok = run(false, {[this] { recorder->OpenDevicesNow(); },
                                [this] {
                                    recorder->StartClicked();
                                    touch("screen.mp4");
                                    touch("screen.tcf");
                                },
                                [this] { recorder->close(); }});
    EXPECT_FALSE(ok);
    EXPECT_FALSE(exists("screen.mp4"));
    EXPECT_FALSE(exists("screen.tcf"));
}

TEST_F(RecorderToolbarTest, TheTimeLimitStopsTheRecording) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.CountdownSeconds = 0;
    SettingsRecord.UnlimitedTime = 0;
    SettingsRecord.TimeLimit = 600;
    SettingsRecord.CaptureMode = 1;
    const int before = SettingsRecord.RecordedSeconds[1];
    bool stoppedEarly = true;
    const bool ok =
        run(false, {[this] { recorder->OpenDevicesNow(); }, [this] { recorder->StartClicked(); },
                    [&] {
                        const int64_t start = recorder->Run()->StartTime();
                        recorder->Run()->NowMs = [start] { return start + 599400; };
                        recorder->TimerRecTick();
                        stoppedEarly = !recorder->isVisible();
                        recorder->Run()->NowMs = [start] { return start + 599600; };
                        recorder->TimerRecTick();
                    }});
    EXPECT_TRUE(ok);
    EXPECT_FALSE(stoppedEarly);
    EXPECT_EQ(SettingsRecord.RecordedSeconds[1], before + 600);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RecorderToolbarTest, AFullDiskStopsTheRecordingAndSaysSo) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.CountdownSeconds = 0;
    struct Case {
        std::optional<uint64_t> free;
        bool stops;
    };
    for (const Case c : {Case{20000u, true}, Case{std::nullopt, false}}) {
        freeKB = c.free;
        messages.clear();
        bool visibleAfterTick = false;
        const bool ok = run(false, {[this] { recorder->OpenDevicesNow(); },
                                    [this] { recorder->StartClicked(); },
                                    [&] {
                                        engines.factory.lastScreen->OnReceiveSize(10000);
                                        const int64_t start = recorder->Run()->StartTime();
                                        recorder->Run()->NowMs = [start] { return start + 10000; };
                                        recorder->TimerRecTick();
                                        visibleAfterTick = recorder->isVisible();
                                        if (visibleAfterTick)
                                            recorder->StopButton()->click();
                                    }});
        EXPECT_TRUE(ok);
        EXPECT_EQ(visibleAfterTick, !c.stops);
        EXPECT_EQ(messages.contains("There is not sufficient disk space to continue recording."),
                  c.stops);
        if (c.free) {
            EXPECT_EQ(recorder->SizeAlpha(), 200);
        }
    }
}

TEST_F(RecorderToolbarTest, AVideoRunWhoseCompositorWroteNothingFails) {
    SettingsRecord.RecordScreen = 1;
    SettingsRecord.CountdownSeconds = 0;
    engines.factory.log.videoWritesFile = false;
    const bool ok =
        run(true,
            {[this] { recorder->OpenDevicesNow(); }, [this] { recorder->StartClicked(); },
             [this] { recorder->StopButton()->click(); }},
            "Demo");
    EXPECT_FALSE(ok);
    EXPECT_EQ(recorder->filename_recording, "Demo");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("The video recorder could not write the recording."));
}

TEST_F(RecorderToolbarTest, ASecondRunWhileOneHoldsTheMutexIsRefused) {
    platform::system::NamedMutex other(recorder->MutexName);
    ASSERT_TRUE(other.owned());
    EXPECT_FALSE(recorder->Execute(false, screen, camera, mic, sound));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("The Screen Recorder is already running."));
}

TEST_F(RecorderToolbarTest, AFolderInTheVideoNameIsRefused) {
    EXPECT_FALSE(recorder->Execute(true, screen, camera, mic, sound, "../x"));
    EXPECT_EQ(messages.size(), 1);
}

} // namespace
