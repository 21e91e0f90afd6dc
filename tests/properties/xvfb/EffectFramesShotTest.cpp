// The frames of the effect groups in the dark style on the X server, expanded with values set,
// compared with golden images that were looked at.
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "objects/URObjectsRegistry.h"
#include "properties/ui/UFramePropBase.h"
#include "properties/ui/UFramePropBlur.h"
#include "properties/ui/UFramePropEffect.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"
#include "tests/support/StyleScope.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(EffectFramesShotTest, EveryFrameExpanded) {
    SetDefaultSettings(SettingsRecord);
    RegisterEngineKinds();
    RegisterPropertyFrames();
    StyleScope style;
    TRProject project;
    std::unique_ptr<TRObject> image = CreateObjectOfType(&project, otImage);
    const std::pair<TRPropertyType, const char*> frames[] = {
        {ptEffect, "effect"},        {ptReflection, "reflection"},
        {ptFlipOpacity, "media"},    {ptShadow, "shadow"},
        {ptZoomAndPan, "zoom_pan"},  {ptColorAdjust, "colour_adjust"},
        {ptChromaKey, "chroma_key"}, {ptBlur, "blur"},
        {ptTrIn, "transition_in"},   {ptTransitionObj, "transition_object"},
    };
    const QString folder = QString::fromUtf8(kTestsSourceDir) + "/properties/golden";
    for (const auto& [type, name] : frames) {
        SCOPED_TRACE(name);
        std::unique_ptr<TRPropBase> group = CreatePropertyGroup(type);
        group->SetChecked(true);
        if (auto* transition = dynamic_cast<TRPropTransition*>(group.get()))
            transition->FName = type == ptTrIn ? "Circle Open" : "Custom In";
        group->SetExpanded(true);
        std::unique_ptr<TFramePropBase> frame(CreatePropertyFrame(type, nullptr));
        ASSERT_TRUE(frame);
        if (auto* effect = dynamic_cast<TFramePropEffect*>(frame.get()))
            effect->SetObjectType(otShape);
        frame->ShowProperties(image.get(), group.get());
        // Shown without taking the keyboard, so later tests start from the same state.
        frame->setAttribute(Qt::WA_ShowWithoutActivating);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        QTest::qWait(500); // the editors' slides to their values end
        // Keyboard focus depends on the window manager's activation: leave it out of the shot.
        for (QWidget* child : frame->findChildren<QWidget*>())
            child->clearFocus();
        ExpectGolden(RenderWidget(*frame, 1.0), folder, QString("%1_frame.png").arg(name));
    }
}

} // namespace
