// Whole project frames with every picture format, a mask, borders, fills, text, shadow,
// reflection and a 3-D rotation: key pixels worked out from the placements, the same frame
// after a save and a reopen, and a golden image that was looked at.
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "graphics/URDX12Base.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropMask.h"
#include "objects/URPropShape.h"
#include "objects/URPropText.h"
#include "objects/kinds/URImage.h"
#include "platform/imaging/ImageFile.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <QFile>

using namespace platform::render;

namespace {

class ProjectFrame : public ::testing::Test {
protected:
    void SetUp() override {
        SetSettingsSaveEnabled(false);
        SetDefaultSettings(SettingsRecord);
        SetServerMessageSink([](const QString&, bool) { return QString(); });
        RegisterEngineKinds();
        RegisterDrawableKinds();
        TempRoot = dir_.filePath("QMBTemp/");
        scene_ = std::make_unique<SceneTestContext>();
    }
    void TearDown() override {
        scene_.reset();
        SetServerMessageSink(nullptr);
        TempRoot.clear();
    }

    QString File(const QString& name, const QImage& image) {
        const QString path = dir_.filePath(name);
        EXPECT_EQ(platform::imaging::writeImage(path, image), QString()) << name.toStdString();
        return path;
    }
    // Through Qt's own writer, for the formats the program only reads.
    QString QtFile(const QString& name, const QImage& image) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(image.save(path)) << name.toStdString();
        return path;
    }
    QString File(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // A picture at `position` shown at `size`.
    static TRObject* Add(TRProject& project, const QString& file, QPointF position, QSizeF size) {
        std::int32_t w = 0, h = 0;
        TRObject* object = project.AddMedia(otImage, file, w, h);
        EXPECT_TRUE(object) << file.toStdString();
        if (object) {
            auto* p = object->Get<TRPropPlacement>(ptPlacement, true);
            p->FPosition = position;
            p->FSize = size;
            for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
                object->GetProperty(off, true)->SetChecked(false);
        }
        return object;
    }

    void Build(TRProject& project) {
        project.TempFolder = NewProjectTempFolder();
        ASSERT_FALSE(project.TempFolder.isEmpty());
        project.SetProjectSize(240, 160);
        const auto solid = [](QRgb c) { return [c](int, int) { return c; }; };
        // Top row, centres at y = -45: PNG with alpha, ICO, SVG, HEIC, the GIF's first frame.
        Add(project, File("half.png", Picture(30, 30, solid(qRgba(255, 0, 0, 128)))), {-90, -45},
            {30, 30});
        Add(project, QtFile("icon.ico", Picture(16, 16, solid(qRgb(0, 255, 0)))), {-45, -45},
            {30, 30});
        Add(project,
            File("blue.svg", QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" )"
                                        R"(height="10"><rect width="10" height="10" )"
                                        R"(fill="#0000ff"/></svg>)")),
            {0, -45}, {30, 30});
        Add(project, File("photo.heic", Picture(32, 32, solid(qRgb(255, 255, 0)))), {45, -45},
            {30, 30});
        Add(project,
            File("first.gif",
                 QByteArray::fromHex("474946383961010001008000 00ffffff000000"
                                     "21f904000a000000 2c000000000100010000 0202440100 3b")),
            {90, -45}, {30, 30});
        // Bottom row: a masked picture with a border and a fill under its transparent half,
        TRObject* masked = Add(project,
                               File("masked.png", Picture(40, 40,
                                                          [](int x, int) {
                                                              return x < 20 ? qRgb(255, 0, 255)
                                                                            : qRgba(0, 0, 0, 0);
                                                          })),
                               {-80, 35}, {40, 40});
        masked->Get<TRPropMask>(ptMask, true)->FShapeName = "Circle";
        auto* fill = masked->Get<TRPropBackgroundFill>(ptBackgroundFill, true);
        fill->SetChecked(true);
        fill->FColors.SetColor(0, 0xFFFF00, 0, 1); // cyan
        masked->GetProperty(ptBackgroundBorder, true)->SetChecked(true);
        // a shape turned about y with shadow and reflection,
        TRObject* shape = project.AddObjectOfType(otShape);
        auto* p = shape->Get<TRPropPlacement>(ptPlacement, true);
        p->FPosition = {0, 30};
        p->FSize = {50, 30};
        p->FRotationY = 50;
        shape->GetProperty(ptShadow, true)->SetChecked(true);
        shape->GetProperty(ptReflection, true)->SetChecked(true);
        // and a text.
        TRObject* text = project.AddObjectOfType(otText);
        p = text->Get<TRPropPlacement>(ptPlacement, true);
        p->FPosition = {80, 35};
        p->FSize = {60, 40};
        text->Get<TRPropText>(ptText, true)->FText = "Ab";
        text->Get<TRPropText>(ptText, true)->FFontSize = 20;
    }

    QImage Frame(TRProject& project) {
        const BitmapPtr target =
            Bitmap::create({240, 160}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->setTransform(Matrix3x2::translation(120, 80));
        project.PaintOnVideo(500, 0);
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir_;
    std::unique_ptr<SceneTestContext> scene_;
};

// The project's background colour under the pictures.
void ExpectKeyPixels(const QImage& frame) {
    const QRgb background = frame.pixel(2, 2);
    // Half-transparent red over the background: (255 + b) / 2 in red.
    EXPECT_NEAR(qRed(frame.pixel(30, 35)), (255 + qRed(background)) / 2, 2);
    EXPECT_NEAR(qGreen(frame.pixel(30, 35)), qGreen(background) / 2, 2);
    EXPECT_EQ(frame.pixel(75, 35), qRgb(0, 255, 0));                // ICO at (-45, -45)
    EXPECT_EQ(frame.pixel(120, 35), qRgb(0, 0, 255));               // SVG at (0, -45)
    EXPECT_TRUE(Near(frame.pixel(165, 35), qRgb(255, 255, 0), 12)); // HEIC, lossy
    // The GIF's white 1 x 1 first frame stretched to 30 x 30 (its edge fades softly).
    EXPECT_TRUE(Near(frame.pixel(210, 35), qRgb(255, 255, 255), 12));
    // The masked picture centred at (40, 115): magenta left, the cyan fill through its
    // transparent right half, the background outside the circle's corner.
    EXPECT_EQ(frame.pixel(32, 115), qRgb(255, 0, 255));
    EXPECT_EQ(frame.pixel(48, 115), qRgb(0, 255, 255));
    EXPECT_EQ(frame.pixel(22, 97), background);
}

} // namespace

TEST_F(ProjectFrame, EveryFormatAndEffectAlsoAfterSaveAndReopen) {
    auto project = std::make_unique<TRProject>();
    Build(*project);
    const QImage frame = Frame(*project);
    ExpectKeyPixels(frame);
    ExpectGolden(frame, QString::fromUtf8(kTestsSourceDir) + "/objects/kinds/golden",
                 "project_frame.png");
    const QString file = dir_.filePath("frame.qmb");
    ASSERT_EQ(project->SaveToFile(file), QString());
    auto reopened = std::make_unique<TRProject>();
    ASSERT_EQ(reopened->OpenFromFile(file), QString());
    const QImage again = Frame(*reopened);
    ExpectKeyPixels(again);
    EXPECT_LE(WorstChannelDifference(again, frame), 1);
}
