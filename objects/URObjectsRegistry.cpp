#include "objects/URObjectsRegistry.h"

#include "core/URProject.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropMask.h"
#include "objects/URPropText.h"
#include "objects/URPropTextPath.h"

namespace {

// A new project's frame is filled with solid black.
void SetProjectFillDefaults(TRProject& project) {
    if (auto* fill = project.Get<TRPropBackgroundFill>(ptBackgroundFill, true)) {
        fill->FBrushStyle = brsSolid;
        fill->FColors.BeginAddColors();
        fill->FColors.AddColor(0x000000, 0, 1);
        fill->FColors.AddColor(0xFFFFFF, 1, 1);
        fill->FColors.EndAddColors();
    }
}

} // namespace

void RegisterObjectsPropertyGroups() {
    RegisterPropertyGroup(ptShape, MakePropertyGroup<TRPropShape>);
    RegisterPropertyGroup(ptBackgroundFill, MakePropertyGroup<TRPropBackgroundFill>);
    RegisterPropertyGroup(ptBackgroundBorder, MakePropertyGroup<TRPropBackgroundBorder>);
    RegisterPropertyGroup(ptMask, MakePropertyGroup<TRPropMask>);
    RegisterPropertyGroup(ptText, MakePropertyGroup<TRPropText>);
    RegisterPropertyGroup(ptTextPath, MakePropertyGroup<TRPropTextPath>);
    RegisterNewProjectDefaults(SetProjectFillDefaults);
}
