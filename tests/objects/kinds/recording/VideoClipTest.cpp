// The video clip: media times by project time (speed per mille, trim, loop), the frame shown at
// a time through a real decoder, animated pictures that loop, the file import with its error
// message, and the camera overlay of a recording with its scale rule and its tracks, which keep
// their recorder names when the camera cannot be opened.
#include "core/URPropMediaSpeed.h"
#include "objects/kinds/URMediaHooks.h"
#include "objects/kinds/URVideo.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/objects/kinds/recording/RecordingFiles.h"
#include "tests/support/audio/AudioFixtures.h"
#include "tests/support/media/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

TEST(MediaTime, ProjectTimesMapThroughSpeedTrimAndLoop) {
    struct Case {
        std::int32_t time, start, mediaStart, mediaEnd, speed;
        bool loop;
        std::int32_t want;
        const char* why;
    };
    const Case cases[] = {
        {9000, 10000, 2000, 5000, 1000, false, 2000, "before the clip: its media start"},
        {11000, 10000, 2000, 5000, 1000, false, 3000, "1 s in at normal speed"},
        {14000, 10000, 2000, 5000, 1000, false, 5000, "past the media end: held"},
        {11000, 10000, 2000, 5000, 2000, false, 4000, "twice as fast"},
        {11000, 10000, 2000, 5000, 2000, true, 4000, "looping, still in the first pass"},
        {11600, 10000, 2000, 5000, 2000, true, 2200, "loop period 1500 ms: 100 ms into pass 2"},
        {11600, 10000, 2000, 2000, 2000, true, 2000, "start = end: the end"},
        // Per mille, not whole percent: 125.5 % would be 1250 ms at 125 %.
        {11000, 10000, 0, 5000, 1255, false, 1255, "a speed whole percent would round"},
        {10010, 10000, 100, 101, 4000, true, 100, "loop under 1 ms: the media start"},
        // Far into a long project: t x speed passes 32 bits.
        {500000000, 0, 0, 1900000000, 4000, false, 1900000000, "no overflow"},
    };
    for (const Case& c : cases) {
        TRVideo video(nullptr, otVideo);
        video.SetTimeStartField(c.start);
        video.SetMediaStart(c.mediaStart);
        video.SetMediaEnd(c.mediaEnd);
        video.MediaSpeed()->SetSpeed(c.speed);
        video.LoopAnimation = c.loop;
        EXPECT_EQ(video.GetMediaTime(c.time), c.want) << c.why;
    }
}

TEST(CameraOverlay, TheSmallestScaleThatShowsAtLeast240Lines) {
    const std::pair<int, float> cases[] = {{1080, 0.25f}, {720, 0.5f}, {480, 0.5f},
                                           {360, 0.75f},  {240, 1.0f}, {200, 1.0f}};
    for (const auto& [lines, scale] : cases)
        EXPECT_EQ(CameraOverlayScale(lines), scale) << lines;
}

QStringList& Messages() {
    static QStringList messages;
    return messages;
}

class VideoClip : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        Messages().clear();
        InstallMediaErrorBox([](const QString& text) { Messages() << text; });
    }
    void TearDown() override {
        InstallMediaErrorBox(nullptr);
        KindsTest::TearDown();
    }

    QString Outside(const QString& name) const { return source_.filePath(name); }
    QString Inside(const QString& name) const { return project_->TempFolder + name; }
    // The media files of the folder, without the sound's analysis caches.
    QStringList FolderFiles() const {
        QStringList files = QDir(project_->TempFolder).entryList(QDir::Files, QDir::Name);
        files.removeIf([](const QString& name) {
            return name.endsWith(".waveform") || name.endsWith(".loudness");
        });
        return files;
    }

    // The number stamped on the frame the clip shows at project time `time`.
    static int ShownStamp(TRVideo& video, std::int32_t time) {
        video.SetTimePosition(time);
        video.UpdateMediaFrame();
        const QImage& pixels = video.FMediaBitmap->image();
        return fixtures::readStamp(pixels.constBits(), pixels.width(), pixels.height(),
                                   int(pixels.bytesPerLine()));
    }

    QTemporaryDir source_;
};

TEST_F(VideoClip, AnImportedVideoShowsTheFrameOfItsMediaTime) {
    fixtures::writeVideo(Outside("my clip.mp4"), {});
    auto video = Make<TRVideo>(otVideo);
    video->SetTimeStartField(1000);
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(video->LoadMedia(Outside("my clip.mp4"), w, h, QString()));
    EXPECT_EQ(QSize(w, h), QSize(fixtures::StampWidth, fixtures::StampHeight));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^m%1_\\d+_myclip\\.mp4$").arg(video->ObjectId()))
                    .match(video->MediaName())
                    .hasMatch())
        << video->MediaName().toStdString();
    EXPECT_TRUE(QFile::exists(Outside("my clip.mp4"))) << "an import copies";
    // 30 frames at 30 fps: the clip lasts 1 s from its start, on the frame grid.
    EXPECT_EQ(video->TimeEnd(), 2000);
    EXPECT_EQ(video->MediaStart(), 0);
    EXPECT_EQ(video->MediaEnd(), 1000);
    EXPECT_EQ(video->ObjectName(), QStringLiteral("Video %1").arg(video->ObjectId()));
    EXPECT_FALSE(video->LoopAnimation);

    EXPECT_EQ(ShownStamp(*video, 500), 0) << "before the clip";
    EXPECT_EQ(ShownStamp(*video, 1500), 15);
    EXPECT_EQ(ShownStamp(*video, 1200), 6) << "backwards";
    video->MediaSpeed()->SetSpeed(2000);
    EXPECT_EQ(ShownStamp(*video, 1300), 18) << "600 ms of media at 200 %";
    EXPECT_EQ(ShownStamp(*video, 1900), 29) << "the last frame holds";
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(VideoClip, AnAnimatedPictureLoopsWhateverTheCaseOfItsExtension) {
    fixtures::writeGif(Outside("spin.GIF"), {{10, 10, 10, 10}, {}, {}});
    auto video = Make<TRVideo>(otVideo);
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(video->LoadMedia(Outside("spin.GIF"), w, h, QString()));
    EXPECT_TRUE(video->LoopAnimation);
    EXPECT_EQ(video->MediaEnd(), 400);
    // The GIF's frames are numbered from 1.
    EXPECT_EQ(ShownStamp(*video, 150), 2);
    // Past the end the media time wraps: 950 ms is 150 ms into the third pass of 400 ms.
    EXPECT_EQ(video->GetMediaTime(950), 150);
    EXPECT_EQ(ShownStamp(*video, 950), 2);
    EXPECT_EQ(ShownStamp(*video, 1130), 4);
    EXPECT_EQ(ShownStamp(*video, 1210), 1) << "a new pass starts at the first frame";
}

TEST_F(VideoClip, AFileThatIsNoVideoIsReportedOnce) {
    QFile bad(Outside("notes.mp4"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not a video");
    bad.close();
    auto video = Make<TRVideo>(otVideo);
    std::int32_t w = -1, h = -1;
    EXPECT_FALSE(video->LoadMedia(Outside("notes.mp4"), w, h, QString()));
    EXPECT_EQ(Messages(), QStringList{"Cannot open notes.mp4 file."});
    EXPECT_EQ(QSize(w, h), QSize(0, 0));
    EXPECT_FALSE(video->FMediaBitmap);
    video->UpdateMediaFrame(); // nothing to fetch
    // Without a chooser no file is picked: no message.
    EXPECT_FALSE(video->LoadMedia(QString(), w, h, QString()));
    EXPECT_EQ(Messages().size(), 1);
}

TEST_F(VideoClip, ACameraSitsInTheBottomRightCornerOfTheScreen) {
    fixtures::writeVideo(Inside("camera.mp4"), {"mp4", "libx264", 1280, 720, 30, 1, 3, 10});
    fixtures::writeTone(Inside("mic.m4a"), {"ipod", "aac", 44100, 2, 0.2, 440, 0.5, false});
    auto camera = Make<TRVideo>(otVideo);
    std::int32_t w = 1920, h = 1080;
    ASSERT_TRUE(camera->LoadCamera(w, h, 1920, 1080, Inside("mic.m4a")));
    EXPECT_EQ(QSize(w, h), QSize(1280, 720));
    const auto* placement = Own<TRPropPlacement>(*camera, ptPlacement);
    EXPECT_EQ(placement->FScale, 0.5f);
    EXPECT_EQ(placement->FPosition, QPointF(640, 360));
    EXPECT_EQ(placement->FSize, QSizeF(1280, 720));
    EXPECT_EQ(placement->FOriginalSize, QSizeF(1280, 720));
    EXPECT_TRUE(placement->FAspectRatio);
    EXPECT_EQ(camera->MediaEnd(), 100);
    // Both tracks moved under the object's names, with one prefix.
    const QString prefix = camera->MediaName().chopped(QStringLiteral("camera.mp4").size());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^m%1_\\d+_$").arg(camera->ObjectId()))
                    .match(prefix)
                    .hasMatch());
    EXPECT_EQ(camera->AudioName(), prefix + "mic.m4a");
    EXPECT_EQ(FolderFiles(), (QStringList{prefix + "camera.mp4", prefix + "mic.m4a"}));
}

TEST_F(VideoClip, ACameraTrackInTheScreenFormatIsTakenWithoutAScreen) {
    recording::WriteScreenTrack(Inside("camera"), 64, 48, 3, 100, [](int) { return 0x00FF00u; });
    auto camera = Make<TRVideo>(otVideo);
    std::int32_t w = 0, h = 0;
    ASSERT_TRUE(camera->LoadCamera(w, h, 0, 0, QString()));
    EXPECT_EQ(QSize(w, h), QSize(64, 48));
    EXPECT_TRUE(camera->MediaName().endsWith("_camera.tvf"));
    const auto* placement = Own<TRPropPlacement>(*camera, ptPlacement);
    EXPECT_EQ(placement->FScale, 1.0f) << "no screen: no overlay placement";
    EXPECT_EQ(placement->FPosition, QPointF(0, 0));
}

TEST_F(VideoClip, ACameraThatCannotBeOpenedKeepsEveryTrackName) {
    recording::WriteBytes(Inside("camera.mp4"), "damaged");
    fixtures::writeTone(Inside("mic.m4a"), {"ipod", "aac", 44100, 2, 0.2, 440, 0.5, false});
    auto camera = Make<TRVideo>(otVideo);
    std::int32_t w = 0, h = 0;
    EXPECT_FALSE(camera->LoadCamera(w, h, 0, 0, Inside("mic.m4a")));
    EXPECT_EQ(FolderFiles(), (QStringList{"camera.mp4", "mic.m4a"}));
    EXPECT_TRUE(camera->MediaName().isEmpty());
    EXPECT_TRUE(camera->AudioName().isEmpty());
    EXPECT_FALSE(camera->LoadCamera(w, h, 0, 0, QString())) << "damaged again";
    QFile::remove(Inside("camera.mp4"));
    EXPECT_FALSE(camera->LoadCamera(w, h, 0, 0, QString())) << "no camera track";
}

} // namespace
