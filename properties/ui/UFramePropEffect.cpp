#include "properties/ui/UFramePropEffect.h"

#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "graphics/URPropEffect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace {

const TREditorRow IntensityRow = {"edintensity",
                                  "Intensity",
                                  0,
                                  100,
                                  "%",
                                  10,
                                  5,
                                  {0, 10, 20, 30, 50, 70, 90, 100},
                                  100,
                                  FieldOf<TRPropEffect, &TRPropEffect::FIntensity>};

TRPropEffect& Group(TRPropBase* group) {
    return static_cast<TRPropEffect&>(*group);
}

} // namespace

TFramePropEffect::TFramePropEffect(QWidget* parent)
    : TFramePropRows(undoEffect, "TFramePropEffect", "panelEffect", "Effect", parent),
      FName(new QComboBox), FColor(new TRColorButton), FAngle(new TRDial), FInvert(new QCheckBox) {
    FName->setObjectName("cbName");
    FName->setMinimumWidth(Scaled(160, this));
    FColor->setObjectName("btnColor");
    FColor->setToolTip("Color");
    FAngle->setObjectName("edAngle");
    FAngle->setToolTip("Angle");
    FAngle->SetRange(0, 360);
    FAngle->SetPresets({0, 45, 90, 135, 180, 225, 270, 315});
    FAngle->setFixedSize(Scaled(22, this), Scaled(22, this));
    FInvert->setObjectName("edInvert");
    AddRow("Name", {FName, FColor, FAngle});
    AddEditor(IntensityRow);
    FInvertRow = AddRow("Invert", {FInvert});
    FInvertLabel = FInvertRow->findChild<QLabel*>();
    connect(FName, &QComboBox::activated, this, &TFramePropEffect::NameChange);
    connect(FColor, &TRColorButton::Changed, this, &TFramePropEffect::PropertyChanged);
    connect(FAngle, &TRDial::Changed, this, &TFramePropEffect::PropertyChanged);
    connect(FInvert, &QCheckBox::toggled, this, &TFramePropEffect::PropertyChanged);
}

void TFramePropEffect::Init() {
    SetObjectType(otImage);
    TFramePropRows::Init();
}

void TFramePropEffect::SetObjectType(TRObjectType objectType) {
    FName->clear();
    for (const TREffectKind& kind : EffectKinds)
        if (kind.AllowedFor[objectType])
            FName->addItem(kind.Name);
    // The video-effect region always carries its effect.
    Panel()->SetUseCheckBox(objectType != otBlur);
    const bool border = objectType == otShape || objectType == otImage || objectType == otVideo ||
                        objectType == otScreenRecorder || objectType == otText;
    FInvertLabel->setText(border ? "Border" : "Invert");
    FInvertRow->setHidden(objectType == otZoomArea);
    ShowKindControls();
    LayoutRows();
}

void TFramePropEffect::ShowKindControls() {
    const QString name = FName->currentText();
    FColor->setVisible(name == "Colorize" || name == "Vignette");
    FAngle->setVisible(name == "Directional Blur" || name == "Emboss");
}

void TFramePropEffect::NameChange() {
    FUnlisted.clear();
    ShowKindControls();
    PropertyChanged();
}

void TFramePropEffect::LoadOthers() {
    const TRPropEffect& group = Group(FProperty);
    const int index = FName->findText(group.FEffectName);
    FUnlisted = index < 0 ? group.FEffectName : QString();
    FName->setCurrentIndex(qMax(0, index));
    FColor->SetColor(ToQColor(group.FColor));
    FAngle->SetValue(int(group.FAngle));
    FInvert->setChecked(group.FInvert);
    ShowKindControls();
}

void TFramePropEffect::SaveOthers() {
    TRPropEffect& group = Group(FProperty);
    group.FEffectName = FUnlisted.isEmpty() ? FName->currentText() : FUnlisted;
    group.FColor = ToTColor(FColor->Color());
    group.FAngle = float(FAngle->Value());
    group.FInvert = FInvert->isChecked();
}
