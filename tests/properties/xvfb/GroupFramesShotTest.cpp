// The fill, border, text, text-layout and media-speed frames in the dark style on the X server,
// opened, compared with golden images that were looked at.
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"
#include "properties/ui/UFramePropBackgroundBorder.h"
#include "properties/ui/UFramePropMediaSpeed.h"
#include "properties/ui/UFramePropText.h"
#include "properties/ui/UFramePropTextPath.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

void Shoot(TFramePropBase& frame, TRObject* object, TRPropBase* group, const char* name) {
    frame.Init();
    group->SetExpanded(true);
    frame.ShowProperties(object, group);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(600); // the value editors slide to their values
    ExpectGolden(RenderWidget(frame, 1.0),
                 QString::fromUtf8(kTestsSourceDir) + "/properties/golden",
                 QString::fromLatin1(name));
}

TEST(GroupFramesShotTest, TheFramesInTheDarkStyle) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    StyleScope style;
    TRProject project;
    TRObject* image = project.AddObjectOfType(otImage);
    ASSERT_NE(image, nullptr);
    image->SetObjectName("Screenshot 1");
    TRObject* text = project.AddObjectOfType(otText);
    TRObject* video = project.AddObjectOfType(otVideo);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(video, nullptr);

    auto* fill = text->Get<TRPropBackgroundFill>(ptBackgroundFill);
    fill->SetChecked(true);
    fill->FBrushStyle = brsGradientLinear;
    fill->FRotation = -30;
    TFramePropBackgroundFill fillFrame;
    Shoot(fillFrame, text, fill, "fill_frame.png");

    auto* border = text->Get<TRPropBackgroundBorder>(ptBackgroundBorder);
    border->SetChecked(true);
    border->FDashStyle = 1;
    TFramePropBackgroundBorder borderFrame;
    Shoot(borderFrame, text, border, "border_frame.png");

    auto* group = text->Get<TRPropText>(ptText);
    group->SetChecked(true);
    group->FText = "Sample text\r\nwith <$te>";
    group->FUnderline = true;
    group->FOutlineSize = 3;
    TFramePropText textFrame;
    textFrame.InitForObjectType(otText);
    Shoot(textFrame, text, group, "text_frame.png");

    auto* path = text->Get<TRPropTextPath>(ptTextPath);
    path->FPathType = 2;
    path->FAdjust = 0.2f;
    TFramePropTextPath pathFrame;
    Shoot(pathFrame, text, path, "text_path_frame.png");

    TFramePropMediaSpeed speedFrame;
    Shoot(speedFrame, video, video->MediaSpeed(), "media_speed_frame.png");
}

} // namespace
