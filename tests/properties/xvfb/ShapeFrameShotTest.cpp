// The shape frame in the dark style on the X server, with its gallery of shape kinds open:
// compared with golden images that were looked at.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropShape.h"
#include "properties/ui/UFramePropShape.h"
#include "properties/ui/URGalleryMenu.h"
#include "properties/ui/URShapeImageLists.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(ShapeFrameShotTest, TheFrameWithItsGalleryOpen) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    InitDX();
    StyleScope style;
    CreateShapeIcons();
    TRProject project;
    TRPropShape group;
    group.FShapeName = "Star";
    group.FRoundness = 0.2f;
    group.SetExpanded(true);
    TFramePropShape frame;
    frame.Init(otShape);
    frame.ShowProperties(&project, &group);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::mouseClick(frame.ShapeButton(), Qt::LeftButton);
    TRGalleryMenu* gallery = frame.Gallery();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(gallery));
    EXPECT_EQ(gallery->Hint(gallery->SelectedIndex()), "Star");
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/properties/golden";
    ExpectGolden(RenderWidget(frame, 1), folder, "shape_frame.png");
    ExpectGolden(RenderWidget(*gallery, 1), folder, "shape_gallery.png");
    const QString keep = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!keep.isEmpty()) // the screen as the user sees it
        frame.screen()->grabWindow(0, 0, 0, 500, 300).save(keep + "/shape_frame_screen.png");
    gallery->hide();
    ShapeImageLists() = {};
}

} // namespace
