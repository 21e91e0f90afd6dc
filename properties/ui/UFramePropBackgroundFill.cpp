#include "properties/ui/UFramePropBackgroundFill.h"

#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "objects/URPropBrush.h"
#include "properties/ui/URBrushControls.h"

#include <QLabel>

TFramePropBackgroundFill::TFramePropBackgroundFill(QWidget* parent)
    : TFramePropBackgroundFill(undoBackgroundFill, "Background", 60, parent) {
    setObjectName("TFramePropBackgroundFill");
    Panel()->setObjectName("panelBackgroundFill");
}

TFramePropBackgroundFill::TFramePropBackgroundFill(TUndoType undoType, const QString& caption,
                                                   int bodyHeight, QWidget* parent)
    : TFramePropBase(undoType, parent),
      FBrush(new TRBrushControls(Container(), {brsSolid, brsGradientLinear, brsGradientRadial})),
      FOpacity(new TRGPEditEx(Container())), FBodyHeight(bodyHeight) {
    resize(Scaled(451, this), Scaled(25 + bodyHeight, this));
    Panel()->SetCaption(caption);
    auto* label = new QLabel("Fill", Container());
    label->setObjectName("lbcolor");
    label->move(Scaled(20, this), Scaled(6, this));
    FOpacity->setObjectName("edBackgroundOpacity");
    FOpacity->SetCaption("Opacity");
    connect(FBrush, &TRBrushControls::Changed, this, &TFramePropBackgroundFill::PropertyChanged);
    connect(FOpacity, &TRGPEditEx::Changed, this, &TFramePropBackgroundFill::PropertyChanged);
}

void TFramePropBackgroundFill::Init() {
    FOpacity->SetMinMaxValues(0, 100);
    FOpacity->SetUM("%");
    FOpacity->SetDefaultValue(100);
    FOpacity->SetSnapValues({0, 25, 50, 75, 100});
    FOpacity->SetSnapDelta(5);
    FBrush->SetStyle(brsSolid);
    SetContainerHeight(Scaled(FBodyHeight, this));
    TFramePropBase::Init();
    Panel()->SetExpanded(false);
    PanelResize();
    LayoutControls();
}

TRPropBrush* TFramePropBackgroundFill::Group() const {
    return dynamic_cast<TRPropBrush*>(FProperty);
}

void TFramePropBackgroundFill::LoadControls() {
    const TRPropBrush* group = Group();
    if (!group)
        return;
    FBrush->SetStyle(group->FBrushStyle);
    FBrush->UpdateInterface();
    FBrush->Load(group->FRotation, group->FColors);
    FOpacity->SetValue(double(group->FOpacity) * 100);
}

void TFramePropBackgroundFill::SaveControls() {
    TRPropBrush* group = Group();
    if (!group)
        return;
    group->FBrushStyle = FBrush->Style();
    group->FRotation = FBrush->Rotation();
    group->FOpacity = static_cast<float>(FOpacity->Value() / 100);
    FBrush->Save(group->FColors);
}

int TFramePropBackgroundFill::Left() const {
    return Scaled(20, this);
}

int TFramePropBackgroundFill::RowWidth() const {
    return width() - 2 * Left();
}

int TFramePropBackgroundFill::RowHeight() const {
    return Scaled(26, this);
}

void TFramePropBackgroundFill::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropBackgroundFill::LayoutControls() {
    Container()->resize(width(), Container()->height());
    FBrush->Layout(Left() + Scaled(70, this), Scaled(4, this), width() - Left());
    FOpacity->setGeometry(Left(), Scaled(4, this) + RowHeight(), RowWidth(), Scaled(24, this));
    PanelResize();
}
