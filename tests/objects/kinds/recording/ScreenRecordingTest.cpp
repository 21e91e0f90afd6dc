// The screen recording: which click the preview sounds at a media time, which clicks an export
// mixes at which frames and volumes, the pointer bitmap's reuse, and the take-over of the
// recorder's tracks, which keep their names when the screen track cannot be opened.
#include "core/URPropMediaSpeed.h"
#include "core/URSettings.h"
#include "media/UCursorReader.h"
#include "objects/URPropCursor.h"
#include "objects/kinds/URScreenRecorder.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/objects/kinds/recording/RecordingFiles.h"
#include "tests/support/audio/AudioFixtures.h"
#include "tests/support/media/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

using recording::Sample;

constexpr std::uint32_t Left = 2, Right = 8, LeftDown = 1, RightDown = 4;

std::unique_ptr<TCursorReader> Track(const std::vector<Sample>& samples) {
    auto reader = std::make_unique<TCursorReader>();
    EXPECT_TRUE(reader->Load(recording::CursorTrack({recording::Shape{}}, samples)));
    return reader;
}

TEST(PreviewClick, TheReleaseWithinAFrameOfTheSampleInForceSounds) {
    const std::vector<Sample> four{
        {1000, 0, 0, 0, 0}, {1016, 0, 0, 0, 0}, {1040, 0, 0, Left, 0}, {1056, 0, 0, 0, 0}};
    struct Case {
        std::vector<Sample> samples;
        std::int32_t time;
        TRClick want;
        const char* why;
    };
    const Case cases[] = {
        {four, 1005, TRClick::Left, "k = 1000; 1016 continues the scan; 1040 is found"},
        {four, 1020, TRClick::Left, "k = 1016; the release is the next sample"},
        {four, 1056, TRClick::None, "the last sample is never examined"},
        {{{1000, 0, 0, 0, 0}, {1040, 0, 0, Left, 0}},
         1040,
         TRClick::None,
         "a release that is the track's last sample"},
        {{{1000, 0, 0, 0, 0}, {1100, 0, 0, Right, 0}, {1200, 0, 0, 0, 0}},
         1000,
         TRClick::Right,
         "the button test comes before the 34 ms test"},
        {{{1000, 0, 0, 0, 0}, {1050, 0, 0, 0, 0}, {1100, 0, 0, Left, 0}, {1200, 0, 0, 0, 0}},
         1000,
         TRClick::None,
         "the scan ends more than 34 ms after the sample in force"},
        {{{1000, 0, 0, Left | RightDown, 0}, {1100, 0, 0, 0, 0}},
         1000,
         TRClick::Left,
         "a release beside another button's press"},
        {{{1000, 0, 0, Left | Right, 0}, {1100, 0, 0, 0, 0}},
         1000,
         TRClick::Left,
         "both releases at once count as left"},
        {{{1000, 0, 0, Right | LeftDown, 0}, {1100, 0, 0, 0, 0}},
         1000,
         TRClick::Right,
         "a right release beside a left press"},
        {{{1000, 0, 0, LeftDown, 0}, {1100, 0, 0, 0, 0}}, 1000, TRClick::None, "a press"},
        {{{500, 0, 0, Left, 0}, {600, 0, 0, 0, 0}},
         100,
         TRClick::Left,
         "before the first sample the scan starts at sample 0"},
        {{}, 100, TRClick::None, "an empty track"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewClickAt(*Track(c.samples), c.time).Kind, c.want) << c.why;
    EXPECT_EQ(PreviewClickAt(*Track(four), 1005).Sample, 2) << "the release at 1040";
}

class ScreenRecording : public KindsTest {
protected:
    // The breadcrumbs go to the settings record, which is not written.
    void SetUp() override {
        KindsTest::SetUp();
        SetSettingsSaveEnabled(false);
    }
    void TearDown() override {
        SetSettingsSaveEnabled(true);
        KindsTest::TearDown();
    }
    std::unique_ptr<TRScreenRecorder> Recording(const std::vector<Sample>& samples) {
        auto object = Make<TRScreenRecorder>(otScreenRecorder);
        object->CursorReader = Track(samples);
        return object;
    }
    static TRPropCursor& Cursor(TRObject& object) { return *Own<TRPropCursor>(object, ptCursor); }
    static void SoundsOn(TRPropCursor& cursor) {
        cursor.SetChecked(true);
        cursor.FLSChecked = cursor.FRSChecked = true;
    }
    QString Inside(const QString& name) const { return project_->TempFolder + name; }
    // The media files of the folder, without the sound's analysis caches.
    QStringList FolderFiles() const {
        QStringList files = QDir(project_->TempFolder).entryList(QDir::Files, QDir::Name);
        files.removeIf([](const QString& name) {
            return name.endsWith(".waveform") || name.endsWith(".loudness");
        });
        return files;
    }
};

// (frame, volume) pairs.
std::vector<std::pair<std::uint32_t, float>> Mixed(TRScreenRecorder& object) {
    std::vector<std::pair<std::uint32_t, float>> mixed;
    for (const TRClickSound& click : object.ExportClicks())
        mixed.emplace_back(click.Frame, click.Volume);
    return mixed;
}

TEST_F(ScreenRecording, ExportedClicksLandOnTheFrameOfTheirProjectTime) {
    auto object = Recording({{100, 0, 0, 0, 0}, {3000, 0, 0, Left, 0}, {3500, 0, 0, Right, 0}});
    SoundsOn(Cursor(*object));
    Cursor(*object).FRSVolume = 40;
    object->SetTimeStartField(10000);
    object->SetTimeEnd(13000);
    object->SetMediaEnd(5000);
    object->MediaSpeed()->SetSpeed(2000);
    // 3000 ms of media at 200 % is 1500 ms into the clip: project time 11500, frame 345; the
    // right click at 3500 lands at 11750, frame 352.
    using Mix = std::vector<std::pair<std::uint32_t, float>>;
    EXPECT_EQ(Mixed(*object), (Mix{{345, 1.0f}, {352, 0.4f}}));

    object->SetMediaStart(3200);
    EXPECT_EQ(Mixed(*object), (Mix{{304, 0.4f}}))
        << "before the media start: skipped; 300 ms at 200 % is 10150 ms, frame 304";
    object->SetMediaStart(0);
    object->SetMediaEnd(3200);
    EXPECT_EQ(Mixed(*object), (Mix{{345, 1.0f}})) << "past the media end: neither it nor later";
    object->SetMediaEnd(5000);
    object->SetTimeEnd(11600);
    EXPECT_EQ(Mixed(*object), (Mix{{345, 1.0f}})) << "mapped past the clip's end";
    object->SetTimeEnd(13000);

    Cursor(*object).FLSChecked = false;
    EXPECT_EQ(Mixed(*object), (Mix{{352, 0.4f}})) << "left sound off";
    Cursor(*object).SetChecked(false);
    EXPECT_EQ(Mixed(*object), Mix{}) << "cursor group unchecked";
}

TEST_F(ScreenRecording, EachExportedClickTakesTheCursorGroupOfItsKeyframe) {
    auto object = Recording({{500, 0, 0, Left, 0}, {1500, 0, 0, Left, 0}, {1600, 0, 0, 0, 0}});
    SoundsOn(Cursor(*object));
    object->SetTimeStartField(4000);
    object->SetTimeEnd(6000);
    object->SetMediaEnd(2000);
    // A second keyframe 1 s into the clip with the left sound off.
    object->AddNewTransformation(1000);
    object->SetTimePosition(5000);
    Cursor(*object).FLSChecked = false;
    object->SetTimePosition(4000);
    using Mix = std::vector<std::pair<std::uint32_t, float>>;
    EXPECT_EQ(Mixed(*object), (Mix{{135, 1.0f}}));
}

TEST_F(ScreenRecording, ThePointerBitmapIsReusedWhileItsSizeStays) {
    auto object = Make<TRScreenRecorder>(otScreenRecorder);
    object->CreateCursorBitmap(32, 32);
    ASSERT_TRUE(object->FCursorBitmap);
    const auto* first = object->FCursorBitmap.get();
    object->CreateCursorBitmap(32, 32);
    EXPECT_EQ(object->FCursorBitmap.get(), first);
    object->CreateCursorBitmap(48, 32);
    EXPECT_EQ(object->FCursorBitmap->pixelSize(), (platform::render::SizeU{48, 32}));
    object->CreateCursorBitmap(0, 32);
    EXPECT_FALSE(object->FCursorBitmap);
}

TEST_F(ScreenRecording, TheRecorderTracksAreTakenUnderTheObjectsNames) {
    fixtures::writeVideo(Inside("screen.mp4"), {"mp4", "libx264", 160, 96, 30, 1, 15, 10});
    recording::WriteBytes(Inside("screen.tcf"),
                          recording::CursorTrack({{16, 16, {}, 0xFFFF00FF}},
                                                 {{0, 5, 5, 0, 0}, {200, 9, 9, Left, 0}}));
    fixtures::writeTone(Inside("sound.m4a"), {"ipod", "aac", 44100, 2, 0.5, 440, 0.5, false});
    auto object = Make<TRScreenRecorder>(otScreenRecorder);
    EXPECT_EQ(object->ObjectName(), QStringLiteral("Screen Recording %1").arg(object->ObjectId()));
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(object->LoadMedia(QStringLiteral("ignored.mp4"), w, h, Inside("sound.m4a")));
    EXPECT_EQ(QSize(w, h), QSize(160, 96));
    EXPECT_EQ(object->MediaEnd(), 500);
    const QString prefix = object->MediaName().chopped(QStringLiteral("screen.mp4").size());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^m%1_\\d+_$").arg(object->ObjectId()))
                    .match(prefix)
                    .hasMatch())
        << prefix.toStdString();
    EXPECT_EQ(object->CursorName(), prefix + "screen.tcf");
    EXPECT_EQ(object->AudioName(), prefix + "sound.m4a");
    EXPECT_EQ(FolderFiles(),
              (QStringList{prefix + "screen.mp4", prefix + "screen.tcf", prefix + "sound.m4a"}));
    ASSERT_TRUE(object->CursorReader);
    EXPECT_EQ(object->CursorClickTimes().size(), 1u);
    EXPECT_EQ(object->FCursorBitmap->pixelSize(), (platform::render::SizeU{16, 16}));
    EXPECT_EQ(SettingsRecord.LastStep.text(), "OpenMedia_" + object->MediaName() + "_End1");
}

TEST_F(ScreenRecording, WithoutACursorTrackTheRecordingHasNoPointer) {
    fixtures::writeVideo(Inside("screen.mp4"), {"mp4", "libx264", 160, 96, 30, 1, 3, 10});
    auto object = Make<TRScreenRecorder>(otScreenRecorder);
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(object->LoadMedia(QString(), w, h, QString()));
    EXPECT_FALSE(object->CursorReader);
    EXPECT_TRUE(object->CursorName().isEmpty());
    EXPECT_TRUE(object->CursorClickTimes().empty());
    EXPECT_EQ(FolderFiles(), QStringList{object->MediaName()});
}

TEST_F(ScreenRecording, AScreenTrackThatCannotBeOpenedKeepsEveryTrackName) {
    recording::WriteBytes(Inside("screen.tvf"), "damaged");
    recording::WriteBytes(Inside("screen.tcf"), recording::CursorTrack({}, {{0, 1, 1, 0, 0}}));
    fixtures::writeTone(Inside("sound.m4a"), {"ipod", "aac", 44100, 2, 0.2, 440, 0.5, false});
    auto object = Make<TRScreenRecorder>(otScreenRecorder);
    std::int32_t w = 0, h = 0;
    EXPECT_FALSE(object->LoadMedia(QString(), w, h, Inside("sound.m4a")));
    EXPECT_EQ(FolderFiles(), (QStringList{"screen.tcf", "screen.tvf", "sound.m4a"}));
    EXPECT_TRUE(object->MediaName().isEmpty());
    EXPECT_TRUE(object->CursorName().isEmpty());
    EXPECT_TRUE(object->AudioName().isEmpty());
    EXPECT_FALSE(object->CursorReader);
    EXPECT_EQ(SettingsRecord.LastStep.text(), "OpenMedia__End0");
    QFile::remove(Inside("screen.tvf"));
    EXPECT_FALSE(object->LoadMedia(QString(), w, h, QString()));
    EXPECT_EQ(SettingsRecord.LastStep.text(), "LoadMedia_screen.mp4") << "no screen track";
}

} // namespace
