#include "properties/ui/UFramePropColorAdjust.h"

#include "graphics/URPropColorAdjust.h"

namespace {

const TREditorRow ColorAdjustRows[] = {
    {"edBrightness",
     "Brightness",
     -100,
     100,
     "%",
     0,
     5,
     {-100, -75, -50, -25, 0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropColorAdjust, &TRPropColorAdjust::FBrightness>},
    {"edContrast",
     "Contrast",
     -25,
     200,
     "%",
     0,
     5,
     {-25, 0, 25, 50, 75, 100, 150, 200},
     100,
     FieldOf<TRPropColorAdjust, &TRPropColorAdjust::FContrast>},
    {"edSaturation",
     "Saturation",
     0,
     100,
     "%",
     100,
     5,
     {0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropColorAdjust, &TRPropColorAdjust::FSaturation>},
};

} // namespace

TFramePropColorAdjust::TFramePropColorAdjust(QWidget* parent)
    : TFramePropRows(undoColorAdjust, "TFramePropColorAdjust", "panelColorAdjustment",
                     "Color Adjustment", parent) {
    for (const TREditorRow& row : ColorAdjustRows)
        AddEditor(row);
}
