#include "properties/ui/UFramePropFlipOpacity.h"

#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "graphics/URPropFlipOpacity.h"

#include <QCheckBox>
#include <QToolButton>

namespace {

const TREditorRow OpacityRow = {
    "edOpacity", "Opacity",
    0,           100,
    "%",         100,
    5,           {0, 25, 50, 75, 100},
    100,         FieldOf<TRPropFlipOpacity, &TRPropFlipOpacity::FOpacity>};

TRPropFlipOpacity& Group(TRPropBase* group) {
    return static_cast<TRPropFlipOpacity&>(*group);
}

} // namespace

QToolButton* MakeToggle(const char* name, const QString& caption, const QString& hint) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setCheckable(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setMinimumWidth(Scaled(28, button));
    return button;
}

TFramePropFlipOpacity::TFramePropFlipOpacity(QWidget* parent)
    : TFramePropRows(undoFlipOpacity, "TFramePropFlipOpacity", "panelFlipOpacity", "Media", parent),
      FScale(new QCheckBox), FFlipH(MakeToggle("btnFlipH", "H", "Flip Horizontally")),
      FFlipV(MakeToggle("btnFlipV", "V", "Flip Vertically")) {
    Panel()->SetUseCheckBox(false);
    FScale->setObjectName("edScale");
    AddRow("Scale", {FScale});
    AddRow("Flip", {FFlipH, FFlipV});
    AddEditor(OpacityRow);
    connect(FScale, &QCheckBox::toggled, this, &TFramePropFlipOpacity::PropertyChanged);
    connect(FFlipH, &QToolButton::toggled, this, &TFramePropFlipOpacity::PropertyChanged);
    connect(FFlipV, &QToolButton::toggled, this, &TFramePropFlipOpacity::PropertyChanged);
}

void TFramePropFlipOpacity::LoadOthers() {
    FScale->setChecked(Group(FProperty).FScale);
    FFlipH->setChecked(Group(FProperty).FFlipH);
    FFlipV->setChecked(Group(FProperty).FFlipV);
}

void TFramePropFlipOpacity::SaveOthers() {
    Group(FProperty).FScale = FScale->isChecked();
    Group(FProperty).FFlipH = FFlipH->isChecked();
    Group(FProperty).FFlipV = FFlipV->isChecked();
}
