#include "core/URPropTransition.h"

#include "core/URSettings.h"

TRPropTransition::TRPropTransition(TRPropertyType type) : TRPropBase(type) {
    FChecked = true;
    FDuration = SettingsRecord.DefaultTransitionDuration;
    // A settings record without a usable default leaves transitions off.
    if (FDuration < 100) {
        FChecked = false;
        FDuration = 500;
    }
}

void TRPropTransition::VisitFields(TRPropFields& fields) {
    fields.Int("TType", FType);
    fields.Text("Name", FName);
    fields.Int("Duration", FDuration);
    fields.Int("Ease", FEase);
    fields.Float("CenterX", FCenterX);
    fields.Float("CenterY", FCenterY);
    fields.Float("BorderSize", FBorderSize);
    fields.Int("BorderType", FBorderType);
    fields.Bool("Background", FIncludeBack);
    fields.Color("Color", FColor);
    fields.Int("Direction", FDirection);
    fields.Int("MoveDirection", FMoveDirection);
    fields.Float("Scale", FScale);
    fields.Bool("Fade", FFade);
    fields.Bool("Spin", FSpin);
}

TRPropTransitionObj::TRPropTransitionObj() : TRPropTransition(ptTransitionObj) {
    FName = QStringLiteral("Custom In");
    FUseCheckBox = false;
    FExpanded = true;
}
