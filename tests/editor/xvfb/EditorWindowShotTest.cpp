// The editor window in the dark style on the X server: empty, and with an image selected in the
// list and the grouped inspector layouts, at device pixel ratios 1 and 2. The pictures are kept
// with TAVRIN_GALLERY_DIR for looking at; the test checks that every part is dark and that the
// inspector shows the image's page.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "editor/ui/UEditor.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "properties/ui/UFramePropName.h"
#include "properties/ui/URPropertiesPages.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Shot(QWidget& window, qreal ratio) {
    QImage image(window.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    window.render(&image);
    return image;
}

void Keep(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(name));
}

// The share of pixels brighter than mid-grey: a dark window keeps it small.
double BrightShare(const QImage& image) {
    qint64 bright = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            bright += qGray(image.pixel(x, y)) > 128;
    return double(bright) / ((image.width() / 2) * (image.height() / 2));
}

TEST(EditorWindowShot, EmptyAndWithAnImageInBothLayouts) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    TEditor editor;
    editor.resize(1320, 780);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    for (qreal ratio : {1.0, 2.0}) {
        const QImage empty = Shot(editor, ratio);
        Keep(empty, QString("editor_empty_%1x.png").arg(int(ratio)));
        EXPECT_LT(BrightShare(empty), 0.05);
    }

    auto owned = std::make_unique<TRProject>();
    TRProject* project = owned.get();
    project->SetObjectName("Product Demo");
    project->SetProjectSize(1280, 720);
    project->SetTimeEnd(15000);
    editor.AddProject(std::move(owned));
    editor.ClickProject(1);
    TRObject* image = project->AddObject(CreateObjectOfType(project, otImage));
    image->SetObjectName("Screenshot.png");
    image->SetTimeEnd(8000);
    auto* placement = image->Get<TRPropPlacement>(ptPlacement, true);
    placement->FSize = placement->FOriginalSize = QSizeF(960, 540);
    placement->FPosition = QPointF(-40, 25);
    placement->FAspectRatio = true;
    editor.SetSelectedObject(image, true);
    for (int layout : {0, 1}) {
        SettingsRecord.PropertiesLayout = layout;
        editor.Inspector()->ArrangePropertiesPages(layout, otBase);
        editor.Inspector()->SetPropertiesPagesHeight(editor.Inspector()->height(), otBase);
        QTest::qWait(400); // the group panels finish opening
        TFramePropName* name = editor.Inspector()->Page(otImage).NameFrame;
        EXPECT_EQ(name->NameEdit()->text(), "Screenshot.png");
        EXPECT_EQ(editor.Inspector()->currentWidget(),
                  editor.Inspector()->Page(otImage).PageProperties);
        for (qreal ratio : {1.0, 2.0}) {
            const QImage shot = Shot(editor, ratio);
            Keep(shot, QString("editor_image_%1_%2x.png")
                           .arg(layout ? "grouped" : "list")
                           .arg(int(ratio)));
            EXPECT_LT(BrightShare(shot), 0.08) << layout;
        }
    }
    SettingsRecord.PropertiesLayout = 0;
}

} // namespace
