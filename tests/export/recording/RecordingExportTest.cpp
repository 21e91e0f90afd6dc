// A recording from its raw tracks to an exported MP4: the recovery of a recording folder builds
// the screen recording, the canvas shows the picture with the pointer (also after a save and a
// reopen), and the export carries the picture, the pointer and a click at the frame of each
// release. A folder without a cursor track gives a recording without a pointer; a screen track
// that cannot be opened leaves every track under its recorder name.
#include "export/URExportRun.h"
#include "objects/kinds/URScreenRecorder.h"
#include "tests/export/ExportTestProject.h"
#include "tests/export/recording/RecordingFolder.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/AudioSignals.h"

#include <QDir>
#include <QFileInfo>

namespace {

using namespace recordingtest;

constexpr QRgb Rgb(std::uint32_t rgb) {
    return 0xFF000000u | rgb;
}

// Picture and pointer at 100 ms (first half, pointer at (10, 10)) and 600 ms (second half,
// pointer at (40, 30)); the pointer's 8 x 8 square starts at its hot spot, its top-left corner.
void ExpectPictureAndPointer(const QImage& early, const QImage& late, bool pointer) {
    const QRgb shown = pointer ? Rgb(PointerArgb) : Rgb(FirstHalf);
    EXPECT_TRUE(Near(early.pixel(13, 13), shown, 10));
    EXPECT_TRUE(Near(early.pixel(17, 17), shown, 10));
    EXPECT_TRUE(Near(early.pixel(19, 19), Rgb(FirstHalf), 10)) << "past the pointer";
    EXPECT_TRUE(Near(early.pixel(50, 40), Rgb(FirstHalf), 10));
    EXPECT_TRUE(Near(late.pixel(43, 33), pointer ? Rgb(PointerArgb) : Rgb(SecondHalf), 10));
    EXPECT_TRUE(Near(late.pixel(13, 13), Rgb(SecondHalf), 10)) << "the pointer moved on";
}

TRObject* OnlyRecording(TRProject& project) {
    TRObject* found = nullptr;
    for (const auto& object : project.Objects())
        if (object->ObjectType() == otScreenRecorder)
            found = object.get();
    return found;
}

// The grid frames (30 per second) in which a click starts: where the power at the click's main
// tone first rises above a quarter of its strongest frame.
std::vector<int> ClickFrames(const std::vector<int16_t>& sound) {
    constexpr int Window = 1470;
    std::vector<double> power;
    for (std::size_t at = 0; at + Window <= sound.size(); at += Window) {
        const double k = 2 * std::cos(2 * std::numbers::pi * 2600 / 44100);
        double s1 = 0, s2 = 0;
        for (int i = 0; i < Window; ++i) {
            const double s0 = sound[at + std::size_t(i)] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        power.push_back(s1 * s1 + s2 * s2 - k * s1 * s2);
    }
    const double loud = *std::max_element(power.begin(), power.end()) / 4;
    std::vector<int> frames;
    for (std::size_t f = 0; f < power.size(); ++f)
        if (power[f] > loud && (f == 0 || power[f - 1] <= loud))
            frames.push_back(int(f));
    return frames;
}

class RecordingExport : public RecordingFolderTest {};

TEST_F(RecordingExport, ARecoveredRecordingShowsItsPointerAndExportsItsClicks) {
    auto project = Recovered(RecordingFolder(true));
    std::int32_t w = 0, h = 0;
    project->GetProjectSize(w, h);
    EXPECT_EQ(QSize(w, h), QSize(Width, Height)) << "the project takes the recording's size";
    TRObject* recording = OnlyRecording(*project);
    ASSERT_TRUE(recording);
    EXPECT_EQ(project->Objects().size(), 1u) << "the recording took the system sound";
    EXPECT_TRUE(recording->HasAudio());
    EXPECT_EQ(recording->TimeEnd(), Frames * FrameMs);
    EXPECT_TRUE(recording->CursorName().endsWith("_screen.tcf"));
    EXPECT_TRUE(recording->AudioName().endsWith("_sound.m4a"));
    ExpectPictureAndPointer(Frame(*project, 100), Frame(*project, 600), true);

    const QString file = dir_.filePath("recording.qmb");
    ASSERT_EQ(project->SaveToFile(file), QString());
    auto reopened = std::make_unique<TRProject>();
    ASSERT_EQ(reopened->OpenFromFile(file), QString());
    ASSERT_TRUE(OnlyRecording(*reopened));
    ExpectPictureAndPointer(Frame(*reopened, 100), Frame(*reopened, 600), true);

    ASSERT_TRUE(QDir(dir_.path()).mkpath("out"));
    TRProjectExportOptions& options = project->ExportOptions();
    options.FilePath = dir_.filePath("out") + '/';
    options.FileName = QStringLiteral("recording.mp4");
    exporttest::RecordingReporter reporter;
    const TRExportOutcome outcome = ExportProjectToFile(project.get(), reporter);
    ASSERT_TRUE(outcome.Delivered) << ExportError.toStdString();
    EXPECT_EQ(exporttest::Probe(outcome.File, {"stream=width", "height"}), "64,48");
    // Pictures in grey: the pointer (yellow, about 226) over the dark first half (about 22)
    // and the green second half (about 127).
    const QList<QByteArray> pictures = exporttest::DecodePictures(outcome.File, Width, Height, 30);
    ASSERT_GE(pictures.size(), 22);
    const auto grey = [&](int frame, int x, int y) {
        return int(uint8_t(pictures[frame][y * Width + x]));
    };
    EXPECT_GT(grey(3, 14, 14), 180);
    EXPECT_LT(grey(3, 50, 40), 60);
    EXPECT_GT(grey(18, 43, 33), 180);
    EXPECT_NEAR(grey(18, 14, 14), 127, 25);
    // A click at 400 ms (frame 12) and 700 ms (frame 21) over the recording's own 300 Hz tone.
    const std::vector<int16_t> sound = exporttest::DecodeSound(outcome.File);
    EXPECT_EQ(ClickFrames(sound), (std::vector<int>{12, 21}));
    ASSERT_GT(sound.size(), 10u * 1470);
    EXPECT_NEAR(signals::dominantFrequency(sound.data() + 2 * 1470, 8 * 1470, 1, 44100, 100, 1000),
                300, 3);
}

TEST_F(RecordingExport, WithoutACursorTrackTheRecordingHasNoPointer) {
    auto project = Recovered(RecordingFolder(false));
    TRObject* recording = OnlyRecording(*project);
    ASSERT_TRUE(recording);
    EXPECT_TRUE(recording->CursorName().isEmpty());
    ExpectPictureAndPointer(Frame(*project, 100), Frame(*project, 600), false);
}

TEST_F(RecordingExport, AScreenTrackThatCannotBeOpenedKeepsItsTracksForALaterRecovery) {
    const QString folder = RecordingFolder(true);
    recording::WriteBytes(folder + "screen.tvf", "damaged");
    auto project = std::make_unique<TRProject>();
    EXPECT_EQ(project->OpenFromFile(folder), QStringLiteral("Recovering error!"));
    EXPECT_TRUE(QFileInfo::exists(folder + "screen.tvf"));
    EXPECT_TRUE(QFileInfo::exists(folder + "screen.tcf"));
    EXPECT_TRUE(QDir(folder).entryList({"*screen*"}, QDir::Files).size() == 2)
        << QDir(folder).entryList(QDir::Files).join(' ').toStdString();
}

} // namespace
