// The project frame: background, objects, progress bar, the area around the frame, the
// multi-selection rectangle, frame export and the golden images of small scenes.
#include "CoreTestEnvironment.h"
#include "PaintTestSupport.h"
#include "platform/imaging/ImageFile.h"
#include "tests/support/SourcePaths.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace painttest;

namespace {

constexpr TColor Black = 0x000000, Green = 0x00FF00, Blue = 0xFF0000;

bool IsRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

class PaintProject : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        context_ = DeviceContext::create(Factory::create());
        InstallScene(context_.get());
    }
    // The context dies with the test: later tests must not paint through it.
    void TearDown() override {
        SetScenePlaying(false);
        InstallScene(nullptr);
    }

    // The frame at `time`, drawn into a target of the frame's own size.
    QImage Paint(TRProject& project, int time, int width, int height, float zoom = 1) {
        project.SetTimePosition(time);
        BitmapPtr target = BeginScene(*context_, width, height, zoom);
        project.PaintOnScene(false, true, true, nullptr);
        EXPECT_TRUE(context_->endDraw());
        return target->image();
    }

    // A 160 x 90 frame on black with a green square left of centre and a progress bar of
    // thickness 2 (a 4 px stroke) along the bottom.
    std::unique_ptr<TRProject> BarScene() {
        auto project = NewProject(160, 90, Black);
        AddShape(*project, QPointF(-40, 0), QSizeF(40, 40), Green);
        auto* bar = project->Get<TRPropProgressBar>(ptProgressBar, true);
        bar->SetChecked(true);
        bar->FThickness = 2;
        return project;
    }

    DeviceContextPtr context_;
};

} // namespace

TEST_F(PaintProject, ProgressBarLengthFollowsTheTime) {
    auto project = BarScene();
    project->Exporting = true;
    for (int time : {2500, 5000, 10000}) {
        const QImage frame = Paint(*project, time, 160, 90);
        int length = 0;
        for (int x = 0; x < 160; ++x)
            length += IsRed(frame.pixel(x, 89)) ? 1 : 0;
        EXPECT_NEAR(length, 160 * time / 10000, 1) << time;
        EXPECT_TRUE(IsRed(frame.pixel(0, 88))) << time; // 2 px of the 4 px stroke inside
        EXPECT_FALSE(IsRed(frame.pixel(0, 86))) << time;
    }
    const QImage start = Paint(*project, 0, 160, 90);
    EXPECT_FALSE(IsRed(start.pixel(0, 89))) << "no bar at progress 0";
}

TEST_F(PaintProject, ObjectsDrawnOnTheBackgroundInListOrder) {
    auto project = BarScene();
    AddShape(*project, QPointF(-30, 0), QSizeF(20, 20), Blue);
    const QImage frame = Paint(*project, 0, 160, 90);
    EXPECT_EQ(frame.pixel(80 - 55, 45), qRgb(0, 255, 0));
    EXPECT_EQ(frame.pixel(80 - 30, 45), qRgb(0, 0, 255)) << "the later object lies on top";
    EXPECT_EQ(frame.pixel(150, 10), qRgb(0, 0, 0));
}

TEST_F(PaintProject, HiddenObjectsAndObjectsAfterTheZoomAreaAreLeftOut) {
    auto project = NewProject(160, 90, Black);
    FilledShape* hidden = AddShape(*project, QPointF(-40, 0), QSizeF(20, 20), Green);
    hidden->SetVisibility(false);
    FilledShape* zoom = AddShape(*project, QPointF(0, 0), QSizeF(20, 20), Green);
    AddShape(*project, QPointF(40, 0), QSizeF(20, 20), Green);
    project->SetTimePosition(0);
    BitmapPtr target = BeginScene(*context_, 160, 90);
    project->PaintOnScene(false, false, false, zoom);
    ASSERT_TRUE(context_->endDraw());
    for (int x : {40, 80, 120})
        EXPECT_EQ(qAlpha(target->image().pixel(x, 45)), 0) << x;
}

TEST_F(PaintProject, AreaAroundTheFrame) {
    struct Case {
        const char* what;
        bool playing;
        bool exporting;
        int alpha; // of the area outside the frame
    } cases[] = {{"editing", false, false, 178},
                 {"playing", true, false, 255},
                 {"exporting", false, true, 0}};
    for (const Case& c : cases) {
        auto project = NewProject(160, 90, Black);
        project->Exporting = c.exporting;
        SetScenePlaying(c.playing);
        const QImage view = Paint(*project, 0, 320, 180);
        const QRgb outside = view.pixel(5, 5);
        EXPECT_NEAR(qAlpha(outside), c.alpha, 1) << c.what;
        if (c.alpha == 255) {
            EXPECT_EQ(outside, qRgb(43, 51, 62)) << c.what;
        }
        EXPECT_EQ(view.pixel(160, 90), qRgb(0, 0, 0)) << c.what << ": the frame itself";
        // The frame outline lies one device pixel outside the frame while editing only.
        const bool outline = !c.playing && !c.exporting;
        const QRgb edge = view.pixel(160, 44);
        EXPECT_EQ(qRed(edge) > 60, outline) << c.what;
    }
}

TEST_F(PaintProject, ThumbnailSizeRule) {
    struct Case {
        int w, h;
        bool thumb;
        QSize expected;
    } cases[] = {{1920, 1080, true, {240, 135}},
                 {1080, 1920, true, {75, 135}},
                 {200, 100, true, {200, 100}},
                 {1920, 1080, false, {1920, 1080}},
                 // k = 0.24 held in single precision: 1000 k falls just short of 240
                 {1000, 135, true, {239, 32}}};
    for (const Case& c : cases)
        EXPECT_EQ(TRProject::ExportFrameSize(c.w, c.h, c.thumb), c.expected) << c.w << "x" << c.h;
}

TEST_F(PaintProject, ExportFrameWritesTheFrameWithoutProgressBar) {
    auto project = BarScene();
    project->SetTimePosition(5000);
    QTemporaryDir dir;
    const QString file = dir.filePath("frame.PNG");
    ASSERT_EQ(project->ExportFrame(file, false), QString());
    const QImage frame = platform::imaging::readImage(file);
    ASSERT_EQ(frame.size(), QSize(160, 90));
    EXPECT_EQ(frame.pixel(40, 45), qRgb(0, 255, 0));
    EXPECT_FALSE(IsRed(frame.pixel(10, 89)));
    EXPECT_FALSE(project->Exporting);
    EXPECT_FLOAT_EQ(project->Progress, 0.5f);

    const QString thumb = dir.filePath("project_thumbnail.jpg");
    ASSERT_EQ(project->ExportFrame(thumb, true), QString());
    EXPECT_EQ(platform::imaging::readImage(thumb).size(), QSize(160, 90));
}

// The frame is scaled by k = 135 / 1920 (0.0703125), which makes it 135 rows high, centred on
// (37, 67): it ends at 67 + 67.5 = 134.5, so the bitmap's last row is half covered. Scaled by
// 75 / 1080 it would end at row 133. Its right edge lies at 37 + 1080 k / 2 = 74.97.
TEST_F(PaintProject, PortraitThumbnailCoversItsBottomRow) {
    auto project = NewProject(1080, 1920, Green);
    QTemporaryDir dir;
    const QString file = dir.filePath("thumb.png");
    ASSERT_EQ(project->ExportFrame(file, true), QString());
    const QImage thumb = platform::imaging::readImage(file);
    ASSERT_EQ(thumb.size(), QSize(75, 135));
    const double right = 0.96875; // of column 74
    for (int x : {0, 37, 74}) {
        const double across = x == 74 ? right : 1;
        EXPECT_NEAR(qAlpha(thumb.pixel(x, 0)), 255 * across, 1.5) << x;
        EXPECT_NEAR(qAlpha(thumb.pixel(x, 133)), 255 * across, 1.5) << x;
        EXPECT_NEAR(qAlpha(thumb.pixel(x, 134)), 127.5 * across, 2) << x;
    }
}

// On the editor's window, which ignores alpha, the target is first cleared to the background's
// first colour, and the area around the frame is the outside colour $3E332B at 0.7 over it.
TEST_F(PaintProject, AreaAroundTheFrameIsTintedFromTheFirstColour) {
    auto project = NewProject(160, 90, Green);
    project->SetTimePosition(0);
    BitmapPtr window = Bitmap::create(
        SizeU{320, 180}, BitmapProperties{AlphaMode::Ignore, 96, 96, BitmapOptions::Target});
    context_->setTarget(window);
    context_->setTransform(Matrix3x2::translation(160, 90));
    context_->beginDraw();
    project->PaintOnScene(false, true, true, nullptr);
    ASSERT_TRUE(context_->endDraw());
    const QRgb outside = window->image().pixel(5, 5);
    EXPECT_NEAR(qRed(outside), 0.7 * 0x2B, 1.5);
    EXPECT_NEAR(qGreen(outside), 0.7 * 0x33 + 0.3 * 255, 1.5);
    EXPECT_NEAR(qBlue(outside), 0.7 * 0x3E, 1.5);
}

TEST_F(PaintProject, ExportFrameFailuresAreReported) {
    auto project = BarScene();
    QTemporaryDir dir;
    struct Case {
        QString file;
        const char* expected;
    } cases[] = {{dir.filePath("frame.xyz"), "unknown image type"},
                 {dir.filePath("missing/frame.png"), "Cannot write"}};
    for (const Case& c : cases) {
        const QString error = project->ExportFrame(c.file, false);
        EXPECT_TRUE(error.contains(c.expected)) << error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(c.file));
        EXPECT_FALSE(project->Exporting);
    }
    InstallScene(nullptr);
    EXPECT_TRUE(project->ExportFrame(dir.filePath("a.png"), false).contains("no drawing context"));
}

TEST_F(PaintProject, MultiSelectionRectangleGrowsSixScreenPixels) {
    auto project = NewProject(160, 90, Black);
    FilledShape* a = AddShape(*project, QPointF(0, 0), QSizeF(20, 20), Green);
    a->SetMultiSelect(true);
    for (float zoom : {1.0f, 0.5f}) {
        project->InterfaceOptions.DesignScale = zoom;
        project->SetTimePosition(0);
        BitmapPtr target = BeginScene(*context_, 160, 90, zoom);
        context_->clear(ColorF{0, 0, 0, 0});
        project->PaintMultiSelectOnScene();
        ASSERT_TRUE(context_->endDraw());
        // The object (10 px half-width in the scene) plus 6 screen pixels on each side.
        const int half = int(10 * zoom) + 6;
        EXPECT_GT(qAlpha(target->image().pixel(80 - half + 1, 45)), 0) << zoom;
        EXPECT_EQ(qAlpha(target->image().pixel(80 - half - 2, 45)), 0) << zoom;
    }
}

// Golden images of small scenes, made once with TAVRIN_UPDATE_GOLDEN=1 and looked at. Key
// pixels worked out by hand are checked in both the golden and the frame: the black background,
// the green square about (-40, 0) at (80 - 40 zoom, 45 zoom), the blue one about (60, -30), and
// the area around the frame, $3E332B at 0.7 (pixels are premultiplied: 0.7 x (43, 51, 62)).
TEST_F(PaintProject, GoldenScenes) {
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/core/golden/";
    struct KeyPixel {
        int x, y;
        QRgb expected;
    };
    struct Scene {
        const char* name;
        int time;
        int width, height;
        float zoom;
        bool mixed;
        std::vector<KeyPixel> keys;
    } scenes[] = {{"frame_progress.png",
                   6000,
                   160,
                   90,
                   1,
                   false,
                   {{150, 10, qRgb(0, 0, 0)}, {40, 45, qRgb(0, 255, 0)}, {120, 89, qRgb(0, 0, 0)}}},
                  {"frame_outside_zoom.png",
                   3000,
                   320,
                   180,
                   1.5f,
                   true,
                   {{100, 90, qRgb(0, 255, 0)},
                    {160 + 90, 90 - 45, qRgb(0, 0, 255)},
                    {2, 2, qRgba(30, 36, 43, 178)},
                    {317, 177, qRgba(30, 36, 43, 178)}}}};
    auto matches = [](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) <= 2 && std::abs(qGreen(p) - qGreen(q)) <= 2 &&
               std::abs(qBlue(p) - qBlue(q)) <= 2 && std::abs(qAlpha(p) - qAlpha(q)) <= 2;
    };
    for (const Scene& s : scenes) {
        auto project = BarScene();
        if (s.mixed) {
            auto* fill = project->Get<TRPropBackgroundFill>(ptBackgroundFill, true);
            fill->FBrushStyle = brsGradientLinear;
            fill->FColors.BeginAddColors();
            fill->FColors.AddColor(0x402000, 0, 1);
            fill->FColors.AddColor(0xFFC080, 1, 1);
            AddShape(*project, QPointF(60, -30), QSizeF(60, 40), Blue);
        }
        const QImage frame = Paint(*project, s.time, s.width, s.height, s.zoom);
        const QString path = folder + QLatin1String(s.name);
        if (qEnvironmentVariableIsSet("TAVRIN_UPDATE_GOLDEN")) {
            ASSERT_EQ(platform::imaging::writeImage(path, frame), QString());
            continue;
        }
        const QImage golden = platform::imaging::readImage(path);
        ASSERT_EQ(golden.size(), frame.size()) << s.name;
        for (const KeyPixel& k : s.keys) {
            EXPECT_TRUE(matches(golden.pixel(k.x, k.y), k.expected))
                << s.name << " golden at " << k.x << ", " << k.y << ": " << std::hex
                << golden.pixel(k.x, k.y);
            EXPECT_TRUE(matches(frame.pixel(k.x, k.y), k.expected))
                << s.name << " at " << k.x << ", " << k.y << ": " << std::hex
                << frame.pixel(k.x, k.y);
        }
        int worst = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const QRgb p = frame.pixel(x, y), q = golden.pixel(x, y);
                worst =
                    std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            }
        EXPECT_LE(worst, 8) << s.name;
    }
}
