// The placement frame and the name header of an image in the dark style on the X server at
// device pixel ratios 1 and 2, compared with golden images that were looked at.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "properties/ui/UFramePropName.h"
#include "properties/ui/UFramePropPlacement.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(PlacementNameFramesShotTest, TheFramesOfAnImageInTheDarkStyle) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    TRProject project;
    TRObject* image = project.AddObject(CreateObjectOfType(&project, otImage));
    image->SetObjectName("Screenshot.png");
    image->SetTimeEnd(8000);
    auto* placement = image->Get<TRPropPlacement>(ptPlacement, true);
    ASSERT_NE(placement, nullptr);
    placement->FSize = placement->FOriginalSize = QSizeF(960, 540);
    placement->FPosition = QPointF(-40, 25);
    placement->FRotationZ = 45;
    placement->FOpacity = 0.8f;
    placement->FAspectRatio = true;

    TFramePropPlacement frame;
    frame.Init();
    frame.ShowProperties(image, placement);
    TFramePropName name;
    name.resize(frame.width(), name.height());
    name.Init(otImage);
    name.SetLayout(1, 0);
    name.ShowProperties(image);
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/properties/golden";
    for (QWidget* widget : {static_cast<QWidget*>(&frame), static_cast<QWidget*>(&name)}) {
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    }
    QTest::qWait(600); // the value editors slide to their values
    for (qreal ratio : {1.0, 2.0}) {
        ExpectGolden(RenderWidget(frame, ratio), folder,
                     QString("placement_frame_%1x.png").arg(int(ratio)));
        ExpectGolden(RenderWidget(name, ratio), folder,
                     QString("name_header_%1x.png").arg(int(ratio)));
    }
}

} // namespace
