#include "properties/ui/UFramePropShadow.h"

#include "core/ui/URColorButton.h"
#include "graphics/URPropShadow.h"

namespace {

const TREditorRow ShadowRows[] = {
    {"edShadowBlur",
     "Blur Size",
     0,
     50,
     "px",
     10,
     2,
     {0, 10, 20, 30, 40, 50},
     1,
     FieldOf<TRPropShadow, &TRPropShadow::FBlur>},
    {"edShadowOffset",
     "Offset",
     0,
     300,
     "px",
     10,
     5,
     {0, 10, 30, 50, 100, 150, 200, 250, 300},
     1,
     FieldOf<TRPropShadow, &TRPropShadow::FOffset>},
    {"edShadowAngle",
     "Angle",
     -180,
     180,
     "º",
     -135,
     5,
     {-180, -135, -90, -45, 0, 45, 90, 135, 180},
     1,
     FieldOf<TRPropShadow, &TRPropShadow::FAngle>},
    {"edShadowOpacity",
     "Opacity",
     0,
     100,
     "%",
     100,
     5,
     {0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropShadow, &TRPropShadow::FOpacity>},
};

} // namespace

TFramePropShadow::TFramePropShadow(QWidget* parent)
    : TFramePropRows(undoShadow, "TFramePropShadow", "panelShadow", "Drop Shadow", parent),
      FColor(new TRColorButton) {
    FColor->setObjectName("btnColor");
    FColor->setToolTip("Color");
    AddRow("Color", {FColor});
    for (const TREditorRow& row : ShadowRows)
        AddEditor(row);
    connect(FColor, &TRColorButton::Changed, this, &TFramePropShadow::PropertyChanged);
}

void TFramePropShadow::LoadOthers() {
    FColor->SetColor(ToQColor(static_cast<TRPropShadow*>(FProperty)->FColor));
}

void TFramePropShadow::SaveOthers() {
    static_cast<TRPropShadow*>(FProperty)->FColor = ToTColor(FColor->Color());
}
