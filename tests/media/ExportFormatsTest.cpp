// The export formats by code, their audio bit rates and encoders, the frame-rate lists, and the
// probe that decides which formats this machine can write.
#include "core/URFrameRates.h"
#include "core/URUtils.h"
#include "media/UMFEncoderGif.h"
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderAAC.h"
#include "media/UMFencoderWEBP.h"
#include "media/UMFencoderWMV.h"
#include "media/UREncoderProbe.h"
#include "media/URExportFormats.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::media::EncodedFormat;
using platform::media::EncoderCatalog;

namespace {

TEST(ExportFormats, TableRowsByCode) {
    struct Row {
        const char* name;
        const char* ext;
        bool enabled, video, audio;
        const char* filter;
    };
    const char* mp4 = "Moving Pictures Experts Group (*.mp4)|*.mp4";
    const Row rows[] = {
        {"MP4 - H.264 Software Encoder", ".mp4", true, true, true, mp4},
        {"MP4 - H.264 Hardware Encoder", ".mp4", false, true, true, mp4},
        {"MP4 - HEVC Software Encoder", ".mp4", false, true, true, mp4},
        {"MP4 - HEVC Hardware Encoder", ".mp4", false, true, true, mp4},
        {"WMV - Windows Media Video", ".wmv", false, true, true,
         "Windows Media Video (*.wmv)|*.wmv"},
        {"GIF - Animated GIF", ".gif", false, true, false, "Animated GIF (*.gif)|*.gif"},
        {"WebP - Animated WebP", ".webp", false, true, false, "Animated WebP (*.webp)|*.webp"},
        {"M4A - Audio only [AAC]", ".m4a", true, false, true, "MPEG-4 File (*.m4a)|*.m4a"},
        {"WAV - Audio only [PCM]", ".wav", true, false, true, "WAV File (*.wav)|*.wav"},
        {"MP3 - Audio only [MP3]", ".mp3", false, false, true, "MP3 File (*.mp3)|*.mp3"},
    };
    const auto table = InitialExportFormatTable();
    for (int code = 1; code <= 10; ++code) {
        const Row& want = rows[code - 1];
        const TRExportFormat& row = table[size_t(code - 1)];
        EXPECT_EQ(row.Name, want.name) << code;
        EXPECT_EQ(row.Ext, want.ext) << code;
        EXPECT_EQ(row.Enabled, want.enabled) << code;
        EXPECT_EQ(row.HasVideo, want.video) << code;
        EXPECT_EQ(row.HasAudio, want.audio) << code;
        EXPECT_FALSE(row.ShowWhenUnavailable) << code;
        EXPECT_EQ(row.Filter, want.filter) << code;
        EXPECT_EQ(ExportFormat(code), &ExportFormatTable[size_t(code - 1)]);
    }
    EXPECT_EQ(ExportFormat(0), nullptr);
    EXPECT_EQ(ExportFormat(11), nullptr);
}

TEST(ExportFormats, FrameRateLists) {
    EXPECT_EQ(VideoFrameRates, (std::array<int, 10>{1, 5, 10, 20, 24, 25, 30, 48, 50, 60}));
    EXPECT_EQ(GifFrameRates, (std::array<int, 9>{1, 2, 4, 5, 10, 15, 20, 25, 30}));
}

TEST(ExportFormats, AudioBitRatesAndTheirFallbacks) {
    struct Case {
        int format, aac, mp3, bytesPS;
    };
    const Case cases[] = {
        {1, 3, 4, 24000},  {1, 0, 4, 12000},  {8, 1, 0, 16000},  {5, 2, 0, 20000},
        {8, 7, 0, 12000},  {1, -1, 0, 12000}, {10, 0, 0, 12000}, {10, 0, 1, 14000},
        {10, 0, 4, 24000}, {10, 0, 7, 40000}, {10, 2, 9, 20000}, {10, 9, -1, 12000},
        {9, 3, 7, 24000},
    };
    for (const Case& c : cases) {
        TRProjectExportOptions options;
        options.Format = c.format;
        options.AudioBitrate = c.aac;
        options.AudioBitrateMP3 = c.mp3;
        EXPECT_EQ(ExportAudioBytesPS(options), c.bytesPS)
            << "format " << c.format << ", indexes " << c.aac << "/" << c.mp3;
    }
}

TEST(ExportFormats, NewProjectExportsSoftwareH264WithSound) {
    const TRProjectExportOptions options;
    EXPECT_EQ(ExportFormat(options.Format)->Name, "MP4 - H.264 Software Encoder");
    EXPECT_EQ(options.FramePS, 30);
    EXPECT_EQ(options.Quality, 80);
    EXPECT_EQ(options.VideoSize, 0);
    EXPECT_EQ(options.ExportMode, 0);
    EXPECT_FALSE(options.Html);
    EXPECT_TRUE(options.Audio);
    EXPECT_EQ(ExportAudioBytesPS(options), 24000);
}

TEST(ExportFormats, GifKeyColourFromTheStoredColour) {
    EXPECT_EQ(GifTransparentColor(0xFF00FF00u), 0xFF00FF00u); // green
    EXPECT_EQ(GifTransparentColor(0x000000FFu), 0xFFFF0000u); // red
    EXPECT_EQ(GifTransparentColor(0x00FF0000u), 0xFF0000FFu); // blue
    EXPECT_EQ(GifTransparentColor(0x00123456u), 0xFF563412u);
}

template <typename Kind> bool Is(const std::unique_ptr<TMFEncoder>& encoder) {
    return dynamic_cast<Kind*>(encoder.get()) != nullptr;
}

TEST(ExportFormats, EncoderOfEachCodeWithItsOptions) {
    QTemporaryDir dir;
    for (int code = 1; code <= 10; ++code) {
        for (int mode : {0, 1}) {
            TRProjectExportOptions options;
            options.Format = code;
            options.FrameMode = mode;
            const auto encoder = CreateExportEncoder(options);
            ASSERT_NE(encoder, nullptr) << code;
            EXPECT_EQ(encoder->UseHardware, code == 2 || code == 4) << code;
            EXPECT_EQ(encoder->UseVFR, mode == 1 && code <= 7) << code;
            encoder->SetParams(64, 48, 30, 80, true, 44100, 24000, dir.filePath("out"));
            EXPECT_TRUE(encoder->FileName().endsWith(ExportFormat(code)->Ext))
                << code << " writes " << encoder->FileName().toStdString();
        }
    }
    const auto kind = [](int code) {
        TRProjectExportOptions options;
        options.Format = code;
        return CreateExportEncoder(options);
    };
    EXPECT_TRUE(Is<TMFEncoderH264Ex>(kind(1)) && !Is<TMFEncoderH265>(kind(1)));
    EXPECT_TRUE(Is<TMFEncoderH265>(kind(3)) && Is<TMFEncoderH265>(kind(4)));
    EXPECT_TRUE(Is<TMFEncoderWMV>(kind(5)));
    EXPECT_TRUE(Is<TMFEncoderGIF>(kind(6)));
    EXPECT_TRUE(Is<TMFEncoderWEBP>(kind(7)));
    EXPECT_TRUE(Is<TMFEncoderAAC>(kind(8)));
    EXPECT_TRUE(Is<TMFEncoderPCM>(kind(9)));
    EXPECT_TRUE(Is<TMFEncoderMP3>(kind(10)));
    EXPECT_EQ(kind(0), nullptr);
    EXPECT_EQ(kind(11), nullptr);
}

TEST(ExportFormats, GifAndWebPOptions) {
    struct Case {
        int format, optimize;
        bool changes, transparency;
    };
    const Case cases[] = {{6, 0, false, false}, {6, 1, true, false},  {6, 2, false, true},
                          {6, 3, true, true},   {7, 0, false, false}, {7, 1, true, false}};
    for (const Case& c : cases) {
        TRProjectExportOptions options;
        options.Format = c.format;
        options.GifOptimize = options.WebPOptimize = c.optimize;
        options.GifColor = 0x000000FF;
        const auto encoder = CreateExportEncoder(options);
        EXPECT_EQ(encoder->UseChanges, c.changes) << c.format << "/" << c.optimize;
        EXPECT_EQ(encoder->UseTransparency, c.transparency) << c.format << "/" << c.optimize;
        EXPECT_EQ(encoder->Animation, c.format == 7);
        EXPECT_EQ(encoder->TransparentColor, c.format == 6 ? 0xFFFF0000u : 0u);
    }
}

// The probe writes its test files below the temporary root and leaves the table as it found it.
class FormatProbe : public ::testing::Test {
protected:
    void SetUp() override {
        savedRoot_ = std::exchange(TempRoot, dir_.path() + '/');
        ResetEncoderProbe();
    }
    void TearDown() override {
        ResetEncoderProbe();
        TempRoot = savedRoot_;
        EXPECT_TRUE(QDir(dir_.path()).isEmpty()) << "a test file was left behind";
    }

    QTemporaryDir dir_;
    QString savedRoot_;
};

TEST_F(FormatProbe, RowsFollowTheEncodersOfThisMachine) {
    const EncoderCatalog& catalog = EncoderCatalog::instance();
    const bool hardwareH264 = GetHardwareH264Available();
    ASSERT_TRUE(EncoderProbeDone());
    const auto enabled = [](int code) { return ExportFormat(code)->Enabled; };
    EXPECT_EQ(hardwareH264, enabled(2));
    for (int code : {1, 6, 8, 9})
        EXPECT_TRUE(enabled(code)) << code;
    EXPECT_EQ(enabled(3), catalog.find(EncodedFormat::Hevc, false).has_value());
    EXPECT_EQ(enabled(5), catalog.find(EncodedFormat::Wmv, false).has_value());
    EXPECT_EQ(enabled(7), catalog.find(EncodedFormat::Vp8, false).has_value());
    const auto mp3 = catalog.find(EncodedFormat::Mp3, false);
    EXPECT_EQ(enabled(10), mp3 && mp3->encoder == "libmp3lame");
    EXPECT_FALSE(ExportFormat(3)->ShowWhenUnavailable);
    if (!catalog.hasHardwareDevice()) {
        EXPECT_FALSE(enabled(2));
        EXPECT_FALSE(enabled(4));
    }
}

TEST_F(FormatProbe, SynchronousCallDuringTheBackgroundProbeTestsOnce) {
    const int runs = EncoderProbeRuns();
    TestEncodersASync();
    GetHardwareH264Available();
    EXPECT_TRUE(EncoderProbeDone());
    TestEncodersASync();
    GetHardwareH264Available();
    QCoreApplication::processEvents();
    EXPECT_EQ(EncoderProbeRuns(), runs + 1);
}

TEST_F(FormatProbe, BackgroundProbePublishesThroughTheEventQueue) {
    const int runs = EncoderProbeRuns();
    TestEncodersASync();
    EXPECT_FALSE(EncoderProbeDone()) << "published before the UI thread took the results";
    QDeadlineTimer deadline(60000);
    while (!EncoderProbeDone() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(EncoderProbeDone());
    EXPECT_EQ(EncoderProbeRuns(), runs + 1);
    EXPECT_TRUE(ExportFormat(1)->Enabled);
}

TEST_F(FormatProbe, ResetRestoresTheStartValues) {
    GetHardwareH264Available();
    ResetEncoderProbe();
    EXPECT_FALSE(EncoderProbeDone());
    for (int code = 1; code <= 10; ++code)
        EXPECT_EQ(ExportFormat(code)->Enabled, code == 1 || code == 8 || code == 9) << code;
}

} // namespace
