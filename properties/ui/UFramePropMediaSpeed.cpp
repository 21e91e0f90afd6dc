#include "properties/ui/UFramePropMediaSpeed.h"

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"

#include <QCheckBox>
#include <QLabel>
#include <cmath>

TFramePropMediaSpeed::TFramePropMediaSpeed(QWidget* parent)
    : TFramePropBase(undoMediaSpeed, parent), FSpeed(new TRGPEditEx(Container())),
      FPreserveLabel(new QLabel("Preserve Audio Pitch", Container())),
      FPreservePitch(new QCheckBox(Container())) {
    setObjectName("TFramePropMediaSpeed");
    resize(Scaled(451, this), Scaled(90, this));
    Panel()->setObjectName("panelMediaSpeed");
    Panel()->SetCaption("Media Speed");
    Panel()->SetUseCheckBox(false);
    FSpeed->setObjectName("edVideoSpeed");
    FSpeed->SetCaption("Speed");
    FPreserveLabel->setObjectName("lpreserve");
    FPreservePitch->setObjectName("edPreservePitch");
    connect(FSpeed, &TRGPEditEx::Changed, this, &TFramePropMediaSpeed::PropertyChanged);
    connect(FPreservePitch, &QCheckBox::clicked, this, &TFramePropMediaSpeed::PropertyChanged);
}

void TFramePropMediaSpeed::Init() {
    FSpeed->SetMinMaxValues(25, 400);
    FSpeed->SetUM("%");
    FSpeed->SetDefaultValue(100);
    FSpeed->SetSnapDelta(10);
    FSpeed->SetSnapValues({25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350, 400});
    FSpeed->SetAnimate(false);
    SetContainerHeight(Scaled(60, this));
    TFramePropBase::Init();
    LayoutControls();
}

TRPropMediaSpeed* TFramePropMediaSpeed::Group() const {
    return dynamic_cast<TRPropMediaSpeed*>(FProperty);
}

void TFramePropMediaSpeed::EnablePitch() {
    const bool changed = Group() && Group()->Speed() != NormalMediaSpeed;
    FPreserveLabel->setEnabled(changed);
    FPreservePitch->setEnabled(changed);
}

void TFramePropMediaSpeed::LoadControls() {
    const TRPropMediaSpeed* group = Group();
    if (!group)
        return;
    FSpeed->SetValue(group->SpeedDiv10());
    FPreservePitch->setChecked(group->PreservePitch());
    EnablePitch();
}

void TFramePropMediaSpeed::SaveControls() {
    TRPropMediaSpeed* group = Group();
    TRProject* project = ActiveProject();
    if (!group || !project)
        return;
    const auto speed = static_cast<std::int32_t>(std::trunc(FSpeed->Value() * 10));
    if (project->TestChangeSpeedObjectProperties(FObject, speed)) {
        FObject->ChangeSpeedFromProperties(speed);
        group->SetSpeed(speed);
    } else {
        FSpeed->SetValue(group->SpeedDiv10());
    }
    group->SetPreservePitch(FPreservePitch->isChecked());
    EnablePitch();
}

void TFramePropMediaSpeed::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropMediaSpeed::LayoutControls() {
    const int left = Scaled(20, this), row = Scaled(24, this), gap = Scaled(4, this);
    Container()->resize(width(), Container()->height());
    FSpeed->setGeometry(left, gap, width() - 2 * left, row);
    FPreservePitch->setGeometry(left, gap * 2 + row, row, row);
    FPreserveLabel->setGeometry(left + row + gap, gap * 2 + row, width() - 3 * left, row);
    PanelResize();
}
