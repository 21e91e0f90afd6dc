// Captions: the box and the bands behind their lines on a 1280 × 720 canvas, what they draw and
// when, their speech as the clip's sound and the switch that silences it.

#include "core/URPropMediaSpeed.h"
#include "graphics/URDX12Base.h"
#include "media/URAudioExporter.h"
#include "objects/URPropCaption.h"
#include "objects/URPropClosedCaptioning.h"
#include "objects/kinds/URCaption.h"
#include "platform/render/Text.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QFile>

using namespace platform::render;

namespace {

class CaptionTest : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        project_->SetProjectSize(1280, 720);
        style_ = project_->Get<TRPropClosedCaptioning>(ptClosedCaptioning, true);
        ASSERT_NE(style_, nullptr);
        style_->SetChecked(true);
        style_->FFontName = QStringLiteral("DejaVu Sans");
        style_->FFontSize = 40;
        style_->FBackColor = 0xFF0000; // blue
        style_->FBackOpacity = 50;
        style_->FWindowOpacity = 0;
        style_->FAlignmentH = 2; // centred
    }

    TRCaption& Add(const QString& text) {
        auto* caption = static_cast<TRCaption*>(project_->AddObjectOfType(otCaption));
        caption->Get<TRPropCaption>(ptCaption, true)->FCaption = text;
        caption->SetTimeEnd(3000);
        return *caption;
    }

    // The layout the caption's text gets in its box.
    TextLayoutBoxPtr Layout(const QString& text) const {
        auto format = TextFormat::create({style_->FFontName, 400, FontStyle::Normal, 40});
        format->setParagraphAlignment(ParagraphAlignment::Far);
        format->setTextAlignment(TextAlignment::Center);
        const RectF box = CaptionBox(1280, 720);
        return TextLayoutBox::create(text, format, box.width(), box.height());
    }

    // The canvas at project time 500 (scene origin at the centre).
    QImage Frame() {
        const BitmapPtr target =
            Bitmap::create({1280, 720}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear(ColorF{0, 0, 0, 0});
        D2DContext->setTransform(Matrix3x2::translation(640, 360));
        project_->SetTimePosition(500);
        for (const auto& object : project_->Objects())
            object->PaintOnScene(false, true);
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image();
    }

    // The pixel of scene point (x, y) as 0xAARRGGBB, premultiplied.
    static QRgb At(const QImage& frame, float x, float y) {
        return frame.pixel(int(std::floor(x)) + 640, int(std::floor(y)) + 360);
    }

    TRPropClosedCaptioning* style_ = nullptr;
};

constexpr QRgb HalfBlue = 0x80000080; // the back colour at 50 %, premultiplied
constexpr QRgb Clear = 0;

} // namespace

TEST_F(CaptionTest, BoxAndWindowOnA1280x720Canvas) {
    const RectF box = CaptionBox(1280, 720);
    EXPECT_FLOAT_EQ(box.left, -448);
    EXPECT_FLOAT_EQ(box.right, 448);
    EXPECT_FLOAT_EQ(box.top, 0);
    EXPECT_FLOAT_EQ(box.bottom, 345);

    // One line: its window (and its band) end 5 pixels below the box, at 350.
    style_->FBackOpacity = 0;
    style_->FWindowOpacity = 100;
    style_->FWindowColor = 0x00FF00; // green
    Add(QStringLiteral("Hello"));
    const QImage frame = Frame();
    const TextMetrics m = Layout(QStringLiteral("Hello"))->metrics();
    const float left = box.left + m.left - 10;
    EXPECT_EQ(At(frame, left + 2, 349), 0xFF00FF00u);
    EXPECT_EQ(At(frame, left + 2, 351), Clear);
    EXPECT_EQ(At(frame, left - 2, 340), Clear);
    EXPECT_EQ(At(frame, left + 2, 345 - m.height - 4), 0xFF00FF00u);
    EXPECT_EQ(At(frame, left + 2, 345 - m.height - 6), Clear);
}

TEST_F(CaptionTest, EveryLineGetsABandOfItsOwn) {
    const QString text = QStringLiteral("WWWWWWWW\nWW");
    TRCaption& caption = Add(text);
    const TextLayoutBoxPtr layout = Layout(text);
    const RectF box = CaptionBox(1280, 720);
    const std::vector<RectF> bands = CaptionBands(*layout, box);
    ASSERT_EQ(bands.size(), 2u);
    const std::vector<LineMetrics> lines = layout->lineMetrics();
    const float firstTop = 345 - layout->metrics().height;
    // The first band reaches 5 above its line, the last 5 below the box; each is 10 wider than
    // its line on both sides (the lines are centred on x = 0).
    EXPECT_NEAR(bands[0].top, firstTop - 5, 0.01);
    EXPECT_NEAR(bands[0].bottom, firstTop + lines[0].height, 0.01);
    EXPECT_NEAR(bands[1].top, firstTop + lines[0].height, 0.01);
    EXPECT_NEAR(bands[1].bottom, 350, 0.01);
    const float wide = Layout(QStringLiteral("WWWWWWWW"))->metrics().width;
    const float narrow = Layout(QStringLiteral("WW"))->metrics().width;
    EXPECT_NEAR(bands[0].left, -wide / 2 - 10, 0.5);
    EXPECT_NEAR(bands[0].right, wide / 2 + 10, 0.5);
    EXPECT_NEAR(bands[1].left, -narrow / 2 - 10, 0.5);
    EXPECT_NEAR(bands[1].right, narrow / 2 + 10, 0.5);

    const QImage frame = Frame();
    const float y1 = firstTop + lines[0].height / 2, y2 = 347;
    EXPECT_TRUE(Near(At(frame, bands[0].left + 2, firstTop - 3), HalfBlue));
    EXPECT_EQ(At(frame, bands[0].left + 2, firstTop - 6), Clear);
    EXPECT_TRUE(Near(At(frame, bands[0].left + 2, y1), HalfBlue));
    EXPECT_EQ(At(frame, bands[0].left - 2, y1), Clear);
    // Beside the short line there is no band (one block would cover it).
    EXPECT_EQ(At(frame, bands[1].left - 5, y2), Clear);
    EXPECT_TRUE(Near(At(frame, bands[1].left + 2, y2), HalfBlue));
    EXPECT_EQ(At(frame, bands[1].left + 2, 351), Clear);
    EXPECT_EQ(caption.GetText(), text);
}

TEST_F(CaptionTest, ALineOfBlanksGetsNoBand) {
    const QString text = QStringLiteral("AB\n   \nCD");
    const TextLayoutBoxPtr layout = Layout(text);
    const std::vector<RectF> bands = CaptionBands(*layout, CaptionBox(1280, 720));
    ASSERT_EQ(bands.size(), 2u);
    const std::vector<LineMetrics> lines = layout->lineMetrics();
    EXPECT_NEAR(bands[1].top - bands[0].bottom, lines[1].height, 0.01); // the gap of the blanks
    for (const RectF& band : bands)
        EXPECT_LT(band.width(), 200);
}

TEST_F(CaptionTest, DrawsOnlyWhileShownAndSwitchedOn) {
    const struct {
        const char* name;
        bool styleOn;
        const char* text;
        std::int32_t start;
    } cases[] = {
        {"shown", true, "Hello", 0},
        {"captions switched off", false, "Hello", 0},
        {"empty text", true, "", 0},
        {"before its start", true, "Hello", 1000},
    };
    const TextMetrics m = Layout(QStringLiteral("Hello"))->metrics();
    const float x = CaptionBox(1280, 720).left + m.left - 8, y = 348;
    for (const auto& c : cases) {
        style_->SetChecked(c.styleOn);
        TRCaption& caption = Add(QString::fromLatin1(c.text));
        caption.SetTimeStartField(c.start);
        const bool shown = std::string(c.name) == "shown";
        EXPECT_TRUE(Near(At(Frame(), x, y), shown ? HalfBlue : Clear)) << c.name;
        project_->DeleteObject(&caption);
    }
}

// The speech is the clip's sound: it sets the clip's length at the clip's speed, and it sounds
// and mixes only while switched on; the export of the sound alone is not switched.
TEST_F(CaptionTest, SpeechIsTheSoundWhileSwitchedOn) {
    for (const int speed : {1000, 2000}) {
        const QString speech = folder_.path() + QStringLiteral("/speech.wav");
        fixtures::writeTone(speech, {"wav", "pcm_s16le", 44100, 2, 2.0, 440, 0.5, false});
        TRCaption& caption = Add(QStringLiteral("Said"));
        caption.MediaSpeed()->SetSpeed(speed);
        caption.UpdateMedia(speech);
        EXPECT_FALSE(QFile::exists(speech)); // moved into the project's folder
        ASSERT_TRUE(caption.HasAudio());
        EXPECT_EQ(caption.TimeEnd() - caption.TimeStart(), 2000 * 1000 / speed);
        EXPECT_EQ(caption.MediaEnd(), 2000);
        project_->DeleteObject(&caption);
    }

    const QString speech = folder_.path() + QStringLiteral("/speech.wav");
    fixtures::writeTone(speech, {"wav", "pcm_s16le", 44100, 2, 1.0, 440, 0.5, false});
    TRCaption& caption = Add(QStringLiteral("Said"));
    caption.UpdateMedia(speech);
    auto* group = caption.Get<TRPropCaption>(ptCaption, true);
    const auto mixed = [&] {
        TRAudioExporter exporter;
        exporter.TempPath = project_->TempFolder;
        exporter.FrameEnd = 30;
        caption.AddAudioToVideoExporter(exporter);
        EXPECT_TRUE(exporter.Save());
        QFile file(exporter.FileName());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll().mid(46, 20000 * 4);
        return signals::rms(reinterpret_cast<const int16_t*>(bytes.data()), 20000, 2);
    };
    group->FTTS = false;
    group->FTTSAudioOk = true;
    EXPECT_EQ(mixed(), 0.0);
    EXPECT_TRUE(caption.ExportAudio(project_->TempFolder + QStringLiteral("said.wav")));
    group->FTTS = true;
    EXPECT_NEAR(mixed(), 0.5 / std::sqrt(2.0), 0.01);

    caption.UpdateMedia(QStringLiteral("   ")); // nothing happens
    EXPECT_TRUE(caption.HasAudio());
}
