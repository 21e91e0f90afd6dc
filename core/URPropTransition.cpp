#include "core/URPropTransition.h"

#include "core/URSettings.h"

const std::array<TRTransitionKind, 21> TransitionKinds = {{
    {"Zoom In", true, false, false},
    {"Zoom Out", false, true, false},
    {"Custom", true, true, false},
    {"Custom In", false, false, true},
    {"Custom Out", false, false, true},
    {"Circle Open", true, true, true},
    {"Circle Close", true, true, true},
    {"Rectangle Open", true, true, true},
    {"Rectangle Close", true, true, true},
    {"Reveal", true, false, true},
    {"Wipe", false, true, false},
    {"Slide", true, true, true},
    {"Flip", true, true, true},
    {"Radial Blur", true, true, true},
    {"Spin Blur", true, true, true},
    {"Pixelate", true, true, true},
    {"Dissolve", true, true, true},
    {"Genie", true, true, true},
    {"Swirl", true, true, true},
    {"Magnify", true, true, true},
    {"Fisheye Lens", true, true, true},
}};

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
