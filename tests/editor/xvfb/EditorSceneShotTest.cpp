// The editor on the X server with a project of a picture, a shape and a text on several
// tracks, the picture turned in the frame and selected: the canvas shows the frame fitted in
// its box with the picture's handles around it, and a press on the shape selects the shape.
// The picture is kept with TAVRIN_GALLERY_DIR for looking at.
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/URScene.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropText.h"
#include "objects/kinds/URKindsRegistry.h"
#include "tests/objects/SceneTestContext.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A landscape photo stand-in: a sky gradient over a green hill.
QImage Landscape() {
    QImage image(640, 360, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 360);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(200, 225, 245));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(60, 140, 70));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(320, 420), 420, 170);
    painter.setBrush(QColor(250, 220, 90));
    painter.drawEllipse(QPointF(500, 90), 40, 40);
    return image;
}

TRObject* Place(TRObject* object, QPointF at, QSizeF size, int track) {
    auto* p = object->Get<TRPropPlacement>(ptPlacement, true);
    p->FPosition = at;
    p->FSize = p->FOriginalSize = size;
    object->SetTrack(track);
    return object;
}

TEST(EditorSceneShot, RotatedPictureSelectedOnTheCanvas) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    SetSettingsSaveEnabled(false);
    SetDefaultSettings(SettingsRecord);
    SetServerMessageSink([](const QString&, bool) { return QString(); });
    TempRoot = dir.filePath("QMBTemp/");
    RegisterEngineKinds();
    RegisterDrawableKinds();
    SceneTestContext context;
    StyleScope style;
    {
        TEditor editor;
        editor.resize(1320, 780);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));

        auto owned = std::make_unique<TRProject>();
        TRProject* project = owned.get();
        project->SetObjectName("Product Demo");
        project->TempFolder = NewProjectTempFolder();
        project->SetProjectSize(1280, 720);
        project->SetTimeEnd(15000);
        project->InterfaceOptions.DesignScale = 0.5f;
        editor.AddProject(std::move(owned));
        editor.ClickProject(1);

        const QString photo = dir.filePath("landscape.png");
        ASSERT_TRUE(Landscape().save(photo));
        std::int32_t w = 0, h = 0;
        TRObject* image = project->AddMedia(otImage, photo, w, h);
        ASSERT_NE(image, nullptr);
        Place(image, {-120, -20}, {640, 360}, 0)
            ->Get<TRPropPlacement>(ptPlacement, true)
            ->FRotationZ = 12;
        TRObject* shape = Place(project->AddObjectOfType(otShape), {380, 200}, {260, 150}, 1);
        TRObject* text = Place(project->AddObjectOfType(otText), {330, -250}, {420, 110}, 2);
        text->Get<TRPropText>(ptText, true)->FText = "Welcome!";
        text->Get<TRPropText>(ptText, true)->FFontSize = 48;
        editor.SetPlayHead(1000);
        editor.SetSelectedObject(image, true);
        QTest::qWait(400);

        QImage shot(editor.size(), QImage::Format_RGB32);
        editor.render(&shot);
        if (const QString keep = qEnvironmentVariable("TAVRIN_GALLERY_DIR"); !keep.isEmpty())
            shot.save(QDir(keep).filePath("editor_scene_rotated_image.png"));

        // The handles' highlight shows inside the canvas.
        const QRect canvas(editor.Scene->mapTo(&editor, QPoint()), editor.Scene->size());
        int highlight = 0;
        for (int y = canvas.top(); y <= canvas.bottom(); ++y)
            for (int x = canvas.left(); x <= canvas.right(); ++x)
                highlight += shot.pixel(x, y) == qRgb(0, 0xA1, 0xA1);
        EXPECT_GT(highlight, 200);

        // The shape's centre on the canvas, through the canvas's own view matrix.
        const platform::render::PointF at = editor.Scene->ViewMatrix().transformPoint({380, 200});
        QTest::mouseClick(editor.Scene, Qt::LeftButton, {}, QPoint(int(at.x), int(at.y)));
        EXPECT_EQ(project->SelectedObject, shape);
        EXPECT_EQ(editor.Scene->SelectionTool().ActiveObject(), shape);
    }
    TempRoot.clear();
    SetServerMessageSink(nullptr);
}

} // namespace
