#include "properties/ui/UFramePropChromaKey.h"

#include "core/ui/URColorButton.h"
#include "graphics/URPropChromaKey.h"
#include "properties/ui/UFramePropFlipOpacity.h"

#include <QToolButton>

namespace {

const TREditorRow ToleranceRow = {"edTolerance",
                                  "Tolerance",
                                  0,
                                  100,
                                  "%",
                                  10,
                                  2,
                                  {0, 5, 10, 25, 50, 75, 100},
                                  1,
                                  FieldOf<TRPropChromaKey, &TRPropChromaKey::FTolerance>};

TRColorPick& ColorPick() {
    static TRColorPick pick;
    return pick;
}

TRPropChromaKey& Group(TRPropBase* group) {
    return static_cast<TRPropChromaKey&>(*group);
}

} // namespace

void InstallColorPick(TRColorPick pick) {
    ColorPick() = std::move(pick);
}

TFramePropChromaKey::TFramePropChromaKey(QWidget* parent)
    : TFramePropRows(undoChromaKey, "TFramePropChromaKey", "panelChromaKey", "Chroma-Key", parent),
      FColor(new TRColorButton), FPicker(MakeToggle("btnPicker", "Pick", "Color Picker")),
      FInvert(MakeToggle("btnInvert", "Invert", "Invert")) {
    FColor->setObjectName("btnColor");
    FColor->SetAutomaticColor(QColor(0, 255, 0));
    AddRow("Color", {FColor, FPicker, FInvert});
    AddEditor(ToleranceRow);
    connect(FColor, &TRColorButton::Changed, this, &TFramePropChromaKey::PropertyChanged);
    connect(FInvert, &QToolButton::toggled, this, &TFramePropChromaKey::PropertyChanged);
    connect(FPicker, &QToolButton::clicked, this, &TFramePropChromaKey::PickerClick);
}

void TFramePropChromaKey::PickerClick() {
    const std::int64_t picked = ColorPick() ? ColorPick()(this) : -1;
    FPicker->setChecked(false);
    // Any pick counts, black included; -1 is none.
    if (picked >= 0)
        FColor->SetColor(ToQColor(TColor(picked)));
}

void TFramePropChromaKey::LoadOthers() {
    FColor->SetColor(ToQColor(Group(FProperty).FColor));
    FInvert->setChecked(Group(FProperty).FInvert);
}

void TFramePropChromaKey::SaveOthers() {
    Group(FProperty).FColor = ToTColor(FColor->Color());
    Group(FProperty).FInvert = FInvert->isChecked();
}
