#include "properties/ui/UFramePropReflection.h"

#include "graphics/URPropReflection.h"

namespace {

const TREditorRow ReflectionRows[] = {
    {"edReflectionOffset",
     "Offset",
     0,
     300,
     "px",
     10,
     5,
     {0, 10, 30, 50, 100, 150, 200, 250, 300},
     1,
     FieldOf<TRPropReflection, &TRPropReflection::FOffset>},
    {"edReflectionHeight",
     "Height",
     0,
     100,
     "%",
     50,
     5,
     {0, 10, 25, 50, 75, 100},
     1,
     FieldOf<TRPropReflection, &TRPropReflection::FHeight>},
    {"edReflectionBlur",
     "Blur Size",
     0,
     20,
     "px",
     10,
     2,
     {0, 10, 20},
     1,
     FieldOf<TRPropReflection, &TRPropReflection::FBlur>},
    {"edReflectionOpacity",
     "Opacity",
     0,
     100,
     "%",
     50,
     5,
     {0, 25, 50, 75, 100},
     100,
     FieldOf<TRPropReflection, &TRPropReflection::FOpacity>},
    {"edReflectionEffect",
     "Effect",
     0,
     100,
     "%",
     50,
     5,
     {0, 25, 50, 75, 100},
     1,
     FieldOf<TRPropReflection, &TRPropReflection::FEffect>},
};

} // namespace

TFramePropReflection::TFramePropReflection(QWidget* parent)
    : TFramePropRows(undoReflection, "TFramePropReflection", "panelReflection", "Reflection",
                     parent) {
    for (const TREditorRow& row : ReflectionRows)
        AddEditor(row);
}
