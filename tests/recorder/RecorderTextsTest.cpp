// The tool bar's texts and arithmetic: the caption, sizes, the run's names and files, the
// widths by DPI, the disk check and the time limit, and the live compositor's options.

#include "recorder/URRecorderCaption.h"
#include "recorder/URRecorderOptions.h"

#include <gtest/gtest.h>

namespace {

TSettingsRecord defaults() {
    TSettingsRecord s{};
    SetDefaultSettings(s);
    return s;
}

TEST(RecorderCaptionTest, CaptionsOfSourcesAndModes) {
    TSettingsRecord s = defaults(); // capture mode Video, 30 fps, 80 %, shared memory
    s.CameraWidth = 1280;
    s.CameraHeight = 720;
    s.CameraFPS = 30;
    const QSize fullHd(1920, 1080);
    struct Case {
        TRCaptionState state;
        bool hardwareOn;
        const char* caption;
    };
    const Case cases[] = {
        {{false, false, true, false, false, false, fullHd, false},
         true,
         "Screen [1920x1080,Video,30fps,80%,SHM]"},
        {{false, false, true, false, false, false, fullHd, true},
         true,
         "Screen [1920x1080,VideoH,30fps,80%,SHM]"},
        {{true, false, true, false, false, false, fullHd, true}, true, "Screen [1920x1080]"},
        {{false, false, true, true, true, true, fullHd, false},
         true,
         "Screen [1920x1080,Video,30fps,80%,SHM] - Camera [1280x720,30fps,60%] - Voice - Sound"},
        {{true, false, false, true, false, false, {}, false}, true, "Camera [1280x720,30fps]"},
        {{true, true, true, false, false, false, fullHd, false},
         true,
         "Video [1920x1080, 30fps, vfr, 80%]-[H.264S]"},
        {{true, true, false, false, true, false, {}, false},
         true,
         "Audio [44.1KHz, 192Kbps]-[M4A]"},
        {{false, false, false, false, false, false, {}, false}, true, "Screen Recorder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecorderCaption(s, c.state), c.caption);

    s.CaptureMode = 0;
    s.CaptureMethod = 0;
    EXPECT_EQ(RecorderCaption(s, {false, false, true, false, false, false, {800, 600}, true}),
              "Screen [800x600,App,30fps,80%,Copy]");
    // A video of the screen and the microphone, constant rate, GIF output at its own rate.
    s.OutputFrameMode = 1;
    s.OutputFormat = 6;
    s.OutputAudioBitrate = 1;
    EXPECT_EQ(RecorderCaption(s, {true, true, true, false, true, false, fullHd, false}),
              "Video [1920x1080, 10fps, cfr, 80%] - Audio [44.1KHz, 128Kbps]-[GIF]");
    // The camera alone at scale 4 (50 %), as a circle: the smaller side both ways.
    s.OutputFormat = 1;
    s.CameraMask = 3;
    EXPECT_EQ(RecorderCaption(s, {true, true, false, true, false, false, {}, false}),
              "Video [360x360, 30fps, cfr, 80%]-[H.264S]");
}

TEST(RecorderCaptionTest, WidthsAt144Dpi) {
    EXPECT_EQ(RecorderStartWidth(1.5), 1028);
    EXPECT_EQ(RecorderRecordWidth(1.5), 788);
    EXPECT_EQ(RecorderStartWidth(1.0), 686);
}

TEST(RecorderCaptionTest, SizesAndTimes) {
    const struct {
        uint64_t kb;
        bool whole;
        const char* text;
    } cases[] = {{0, false, "0 KB"},
                 {1023, false, "1023 KB"},
                 {1536, false, "1.50 MB"},
                 {1048575, false, "1024.00 MB"},
                 {1048576, false, "1.00 GB"},
                 {3 * 1048576 + 524288, true, "3 GB"},
                 {1073741824, false, "1.00 TB"},
                 {2560, true, "2 MB"}};
    for (const auto& c : cases)
        EXPECT_EQ(RecorderSizeText(c.kb, c.whole), c.text) << c.kb;
    EXPECT_EQ(RecorderTimeText(3725), "01:02:05");
    EXPECT_EQ(RecorderTimeStamp(QDateTime(QDate(2024, 5, 7), QTime(14, 3, 9, 5))),
              "24-05-07 14-03-09-5");
}

TEST(RecorderCaptionTest, RunNamesAndTheFilesOfAnAbandonedRun) {
    const QDateTime t(QDate(2024, 5, 7), QTime(14, 3, 9, 5));
    TRRunNames names;
    QString error;
    ASSERT_TRUE(RecorderRunNames(t, true, "   ", names, error));
    EXPECT_EQ(names.Recording, "Recording 24-05-07 14-03-09-5");
    EXPECT_EQ(names.Mic, "Voice 24-05-07 14-03-09-5");
    ASSERT_TRUE(RecorderRunNames(t, true, "Demo: part 1?", names, error));
    EXPECT_EQ(names.Recording, "Demo part 1");
    ASSERT_TRUE(RecorderRunNames(t, false, "Ignored", names, error));
    EXPECT_EQ(names.Recording, "Recording 24-05-07 14-03-09-5");
    for (const char* bad : {"../evil", "a/b", "a\\b", ".."}) {
        EXPECT_FALSE(RecorderRunNames(t, true, bad, names, error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(RecorderRunFiles(false, "/p", names),
              (QStringList{"/p/screen.tvf", "/p/screen.mp4", "/p/screen.tcf", "/p/camera.mp4",
                           "/p/mic.m4a", "/p/sound.m4a"}));
    names = {"R", "C", "V", "S"};
    EXPECT_EQ(RecorderRunFiles(true, "/r", names),
              (QStringList{"/r/R.mp4", "/r/C.mp4", "/r/V.m4a", "/r/S.m4a", "/r/R.m4a", "/r/R.gif",
                           "/r/R.webp"}));
}

TEST(RecorderCaptionTest, DiskCheck) {
    // 10,000 KB after 10 s: 290,000 KB free in project mode leave less than a minute.
    TRDiskVerdict v = RecorderDiskCheck(290000u, 10000, 10, false);
    EXPECT_FALSE(v.Stop);
    EXPECT_EQ(v.SizeAlpha, 0); // blinking: off on even seconds
    EXPECT_EQ(RecorderDiskCheck(290000u, 10000, 11, false).SizeAlpha, 200);
    // Plenty left: the label keeps its colour.
    EXPECT_EQ(RecorderDiskCheck(100000000u, 10000, 10, false).SizeAlpha, -1);
    v = RecorderDiskCheck(20000u, 10000, 10, false);
    EXPECT_TRUE(v.Stop);
    EXPECT_EQ(v.SizeAlpha, 200);
    // Video mode needs half as much: 20,000 div 2 is not below 10,000.
    EXPECT_FALSE(RecorderDiskCheck(20000u, 10000, 10, true).Stop);
    // Free space that cannot be read skips the check.
    EXPECT_FALSE(RecorderDiskCheck(std::nullopt, 10000, 10, false).Stop);
    // Past 1 GB written the label turns red.
    EXPECT_EQ(RecorderDiskCheck(std::nullopt, 1048577, 1, false).SizeAlpha, 200);
}

TEST(RecorderCaptionTest, TimeLimit) {
    TSettingsRecord s = defaults();
    EXPECT_FALSE(RecorderTimeLimitReached(s, 100000)); // unlimited by default
    s.UnlimitedTime = 0;
    EXPECT_FALSE(RecorderTimeLimitReached(s, 599));
    EXPECT_TRUE(RecorderTimeLimitReached(s, 600));
    s.TimeLimit = 0;
    EXPECT_FALSE(RecorderTimeLimitReached(s, 600));
}

TEST(VideoRecorderOptionsTest, FilledFromTheSettingsAndTheRun) {
    TSettingsRecord s = defaults();
    s.CEOpacity = 40;
    s.ScaleCursor = 150;
    s.OutputFormat = 7;
    s.OutputFramePS = 25;
    s.OutputFrameMode = 1;
    s.OutputVideoQuality = 90;
    s.OutputBkColor = 0x123456;
    s.OutputAudioBitrate = 2;
    s.OutputFrameGIF = 15;
    s.OutputGifOptimize = 3;
    s.OutputWebOptimize = 0;
    s.Logo = 1;
    s.LogoFileName.setText("/logo.png");
    s.LogoPosition = 4;
    s.LogoScale = 12;
    s.CameraBackFile.setText("/back.jpg");
    TRVideoRunSources run{true, QSize(1280, 720), true, true, false, "/rec/Recording x"};
    const TRVideoRecorderOptions o = BuildVideoRecorderOptions(s, run);
    EXPECT_TRUE(o.RecordScreen);
    EXPECT_EQ(o.ScreenWidth, 1280);
    EXPECT_EQ(o.ScreenHeight, 720);
    EXPECT_FLOAT_EQ(o.ScaleCursor, 150.0f);
    EXPECT_FLOAT_EQ(o.CEOpacity, 0.4f);
    EXPECT_FLOAT_EQ(o.CEZoom, 2.0f);
    EXPECT_EQ(o.CEColor, 0xA0FFFFu);
    EXPECT_FLOAT_EQ(o.LEOpacity, 1.0f);
    EXPECT_FLOAT_EQ(o.REThickness, 2.0f);
    EXPECT_FLOAT_EQ(o.LEDuration, 300.0f);
    EXPECT_FLOAT_EQ(o.RESize, 30.0f);
    EXPECT_EQ(o.LEColor, 0xFF0000u);
    EXPECT_FALSE(o.RecordCamera);
    EXPECT_EQ(o.CameraScale, 4);
    EXPECT_EQ(o.CameraBackFile, "/back.jpg");
    EXPECT_TRUE(o.RecordMic);
    EXPECT_FALSE(o.RecordSC);
    EXPECT_EQ(o.OutputFileName, "/rec/Recording x");
    EXPECT_EQ(o.OutputFormat, 7);
    EXPECT_EQ(o.OutputFramePS, 25);
    EXPECT_EQ(o.OutputFrameMode, 1);
    EXPECT_EQ(o.OutputVideoQuality, 90);
    EXPECT_EQ(o.OutputBkColor, 0x123456u);
    EXPECT_EQ(o.OutputAudioBitrate, 2);
    EXPECT_EQ(o.OutputFrameGIF, 15);
    EXPECT_EQ(o.OutputGifOptimize, 3);
    EXPECT_EQ(o.OutputGifColor, 0xFF00FF00u);
    EXPECT_EQ(o.OutputWebOptimize, 0);
    EXPECT_TRUE(o.Logo);
    EXPECT_EQ(o.LogoFileName, "/logo.png");
    EXPECT_EQ(o.LogoPosition, 4);
    EXPECT_EQ(o.LogoMarginsX, 10);
    EXPECT_EQ(o.LogoOpacity, 9);
    EXPECT_EQ(o.LogoScale, 12);

    run.Screen = false;
    EXPECT_TRUE(BuildVideoRecorderOptions(s, run).RecordCamera);
    run.CameraOpen = false;
    EXPECT_FALSE(BuildVideoRecorderOptions(s, run).RecordCamera);
}

} // namespace
