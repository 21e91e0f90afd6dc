// Audio clips entering a project (copied, or a recorded track renamed only once it proved
// readable; the dialog and its message), the end of their analysis, and their waveform on the
// timeline.

#include "core/URSettings.h"
#include "core/URTimelineClip.h"
#include "graphics/URDX12Base.h"
#include "media/UAudioLoudness.h"
#include "media/UAudioWaveForm.h"
#include "objects/URPropAudio.h"
#include "objects/kinds/URAudio.h"
#include "objects/kinds/URMediaHooks.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace platform::render;

namespace {

QStringList& Messages() {
    static QStringList messages;
    return messages;
}

QString& Chosen() {
    static QString chosen;
    return chosen;
}

const TRTimelineControl*& Control() {
    static const TRTimelineControl* control = nullptr;
    return control;
}

class AudioClipTest : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        Messages().clear();
        Chosen().clear();
        InstallMediaErrorBox([](const QString& text) { Messages() << text; });
        InstallMediaFileChooser([](const QString&) { return Chosen(); });
        savedNormalize_ = SettingsRecord.NormalizeLoudness;
    }
    void TearDown() override {
        SettingsRecord.NormalizeLoudness = savedNormalize_;
        TimelineControlHook = nullptr;
        Control() = nullptr;
        InstallMediaErrorBox(nullptr);
        InstallMediaFileChooser(nullptr);
        KindsTest::TearDown();
    }

    static void Tone(const QString& path, double seconds = 1.0) {
        fixtures::writeTone(path, {"wav", "pcm_s16le", 44100, 2, seconds, 440, 0.5, false});
    }
    static void Junk(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4000, 'j'));
    }
    // The names in the project's folder, without the analysis caches.
    QStringList FolderFiles() const {
        return QDir(project_->TempFolder)
            .entryList({QStringLiteral("*")}, QDir::Files)
            .filter(QRegularExpression(QStringLiteral("^(?!.*\\.(waveform|loudness)$)")));
    }

    QTemporaryDir source_;
    std::uint8_t savedNormalize_ = 0;
};

} // namespace

TEST_F(AudioClipTest, AFileOutsideIsCopiedAndARecordedTrackRenamedOnceReadable) {
    const QString outside = source_.filePath(QStringLiteral("my song (1).wav"));
    Tone(outside, 1.2);
    TRAudio clip(project_.get(), otAudio);
    clip.SetTimeStartField(400);
    std::int32_t w = 7, h = 7;
    ASSERT_TRUE(clip.LoadMedia(outside, w, h, QString()));
    EXPECT_TRUE(QFile::exists(outside)); // copied
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^m%1_\\d+_mysong1\\.wav$").arg(clip.ObjectId()))
                    .match(clip.MediaName())
                    .hasMatch())
        << clip.MediaName().toStdString();
    EXPECT_EQ(clip.TimeEnd(), 1600);
    EXPECT_EQ(clip.MediaEnd(), 1200);

    // A recorded track that cannot be read keeps its name and place.
    const QString badMic = project_->TempFolder + QStringLiteral("mic.m4a");
    Junk(badMic);
    TRAudio failed(project_.get(), otAudio);
    EXPECT_FALSE(failed.LoadMedia(badMic, w, h, QString()));
    EXPECT_TRUE(QFile::exists(badMic));
    EXPECT_FALSE(failed.HasAudio());

    // A readable one is renamed (moved) under the clip's media name.
    const QString mic = project_->TempFolder + QStringLiteral("sound.wav");
    QFile::remove(badMic);
    Tone(mic);
    TRAudio recorded(project_.get(), otAudio);
    ASSERT_TRUE(recorded.LoadMedia(mic, w, h, QString()));
    EXPECT_FALSE(QFile::exists(mic));
    EXPECT_TRUE(recorded.MediaName().endsWith(QStringLiteral("_sound.wav")));
    EXPECT_TRUE(QFile::exists(project_->TempFolder + recorded.MediaName()));
    EXPECT_TRUE(Messages().isEmpty()); // a given file name never shows a message
}

TEST_F(AudioClipTest, TheDialogCopiesTheChoiceOrSaysWhyItCannot) {
    TRAudio cancelled(project_.get(), otAudio);
    std::int32_t w = 0, h = 0;
    EXPECT_FALSE(cancelled.LoadMedia(QString(), w, h, QString()));
    EXPECT_TRUE(Messages().isEmpty());

    Chosen() = source_.filePath(QStringLiteral("voice.wav"));
    Tone(Chosen());
    TRAudio chosen(project_.get(), otAudio);
    ASSERT_TRUE(chosen.LoadMedia(QString(), w, h, QString()));
    EXPECT_TRUE(QFile::exists(Chosen()));
    EXPECT_EQ(chosen.MediaEnd(), 1000);

    Chosen() = source_.filePath(QStringLiteral("broken.mp3"));
    Junk(Chosen());
    TRAudio broken(project_.get(), otAudio);
    EXPECT_FALSE(broken.LoadMedia(QString(), w, h, QString()));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Cannot open broken.mp3 file.")});
}

// A finished analysis switches normalisation on when the settings ask for it for new clips.
TEST_F(AudioClipTest, TheEndOfTheAnalysisMayNormalise) {
    for (const std::uint8_t normalize : {0, 1}) {
        SettingsRecord.NormalizeLoudness = normalize;
        const QString name = QStringLiteral("fresh%1.wav").arg(normalize);
        Tone(project_->TempFolder + name);
        TRAudio clip(project_.get(), otAudio);
        ASSERT_TRUE(clip.LoadMediaEx(name));
        ASSERT_TRUE(clip.AudioTrack().WaveForm()->WaitCompleted(20000));
        EXPECT_EQ(clip.Get<TRPropAudio>(ptAudio)->FNormalizeLoudness, normalize != 0);
    }
}

// The waveform rises from the clip's bottom edge (3 pixels in) by volume × peak / 100 of its
// height: a 2 s clip of peaks 50, one pixel per sample at 60 pixels per second.
TEST_F(AudioClipTest, TheWaveformIsAProfileScaledByVolumeAndFades) {
    const QString name = QStringLiteral("peaks.wav");
    const QString path = project_->TempFolder + name;
    Tone(path, 2.0);
    std::vector<uint8_t> peaks(size_t(WaveFormBytes(2000)), 50);
    TSingleArray curve(size_t(LoudnessValues(2000)), 0.0f);
    curve.back() = 1.0f;
    for (const auto& [file, bytes, size] :
         {std::tuple{TAudioWaveForm::WaveFormFileName(path),
                     reinterpret_cast<const char*>(peaks.data()), qint64(peaks.size())},
          std::tuple{TAudioWaveForm::LoudnessFileName(path),
                     reinterpret_cast<const char*>(curve.data()), qint64(curve.size() * 4)}}) {
        QFile cache(file);
        ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
        cache.write(bytes, size);
    }
    TRAudio clip(project_.get(), otAudio);
    clip.SetTimeStartField(0);
    ASSERT_TRUE(clip.LoadMediaEx(name));
    ASSERT_TRUE(clip.AudioTrack().WaveForm()->Completed());

    TRTimelineControl control;
    control.PixelPS = 60;
    control.Width = 200;
    control.m_brush_wave = SolidColorBrush::create({0, 1, 0, 1});
    control.m_brush_stop = SolidColorBrush::create({1, 0, 0, 1});
    control.m_brush_back = control.m_brush_wave;
    Control() = &control;
    TimelineControlHook = [] { return Control(); };
    clip.rectTimeline = QRectF(0.5, 0.5, 180, 40); // top 3.5, bottom 37.5: 35 pixels high
    const auto paint = [&] {
        const BitmapPtr target =
            Bitmap::create({200, 40}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear(ColorF{0, 0, 0, 0});
        clip.PaintWaveForm();
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image();
    };
    const auto green = [](const QImage& image, int x, int y) {
        return qGreen(image.pixel(x, y)) == 255 && qAlpha(image.pixel(x, y)) == 255;
    };
    const auto clear = [](const QImage& image, int x, int y) { return image.pixel(x, y) == 0; };

    // Volume 1: peak 50 reaches y = 37.5 - 35 × 0.5 = 20; samples end at x = 1.5 + 117.
    QImage image = paint();
    EXPECT_NE(clip.AudioTrack().WaveFormGeometry(), nullptr);
    EXPECT_TRUE(green(image, 60, 30));
    EXPECT_TRUE(clear(image, 60, 17));
    EXPECT_TRUE(clear(image, 150, 30));
    EXPECT_TRUE(clear(image, 60, 39)); // below the bottom edge

    // Volume 2: full height (y = 2.5), but never above it.
    clip.Get<TRPropAudio>(ptAudio)->FVolume = 2.0f;
    image = paint();
    EXPECT_TRUE(green(image, 60, 5));
    EXPECT_TRUE(clear(image, 60, 1));

    // A 1 s fade-in (60 samples): sample 30 at gain 2 × 30 / 60 = 1 reaches 20 again.
    clip.Get<TRPropAudio>(ptAudio)->FFadeIN = 1000;
    image = paint();
    EXPECT_TRUE(green(image, 32, 23));
    EXPECT_TRUE(clear(image, 32, 17));
    EXPECT_TRUE(green(image, 80, 5));

    Control() = nullptr; // no timeline: nothing drawn
    clip.PaintWaveForm();
    EXPECT_EQ(clip.AudioTrack().WaveFormGeometry(), nullptr);
}
