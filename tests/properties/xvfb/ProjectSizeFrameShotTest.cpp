// The project size frame in the dark style on the X server at device pixel ratios 1 and 2,
// compared with golden images that were looked at.
#include "core/URProject.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "properties/ui/UFramePropProjectSize.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ProjectSizeFrameShotTest, TheFrameInTheDarkStyle) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    TRProject project;
    auto* group = project.Get<TRPropProjectSize>(ptProjectSize, true);
    ASSERT_NE(group, nullptr);
    group->Width = 1280;
    group->Height = 720;
    TFramePropProjectSize frame;
    frame.Init();
    frame.ShowProperties(&project, group);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/properties/golden";
    for (qreal ratio : {1.0, 2.0})
        ExpectGolden(RenderWidget(frame, ratio), folder,
                     QString("project_size_frame_%1x.png").arg(int(ratio)));
}

} // namespace
