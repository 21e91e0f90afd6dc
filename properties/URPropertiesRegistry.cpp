#include "properties/URPropertiesRegistry.h"

#include "core/URProject.h"
#include "properties/URPropAudio.h"
#include "properties/URPropAudioTTS.h"
#include "properties/URPropCaption.h"
#include "properties/URPropClosedCaptioning.h"
#include "properties/URPropCursor.h"
#include "properties/URPropDrawing.h"
#include "properties/URPropInteractivity.h"
#include "properties/URPropKeystroke.h"
#include "properties/URPropMultiSelect.h"
#include "properties/URPropPlacement.h"
#include "properties/URPropProgressBar.h"
#include "properties/URPropSketch.h"
#include "properties/URPropTextAnimation.h"
#include "properties/URPropVideoAction.h"
#include "properties/URPropZoomSource.h"

namespace {

// A new project's progress bar runs from red to white along the bottom edge (still off).
void SetProjectProgressBarDefaults(TRProject& project) {
    if (auto* bar = project.Get<TRPropProgressBar>(ptProgressBar, true)) {
        bar->FBrushStyle = brsSolid;
        bar->FColors.BeginAddColors();
        bar->FColors.AddColor(0x0000FF, 0, 1);
        bar->FColors.AddColor(0xFFFFFF, 1, 1);
        bar->FColors.EndAddColors();
        bar->FOpacity = 1;
        bar->FShapeName = QStringLiteral("Bottom LR");
    }
}

} // namespace

void RegisterPropertiesPropertyGroups() {
    RegisterPropertyGroup(ptPlacement, MakePropertyGroup<TRPropPlacement>);
    RegisterPropertyGroup(ptCursor, MakePropertyGroup<TRPropCursor>);
    RegisterPropertyGroup(ptAudio, MakePropertyGroup<TRPropAudio>);
    RegisterPropertyGroup(ptSketch, MakePropertyGroup<TRPropSketch>);
    RegisterPropertyGroup(ptZoomSource, MakePropertyGroup<TRPropZoomSource>);
    RegisterPropertyGroup(ptAudioTTS, MakePropertyGroup<TRPropAudioTTS>);
    RegisterPropertyGroup(ptTextAnimation, MakePropertyGroup<TRPropTextAnimation>);
    RegisterPropertyGroup(ptInteractivity, MakePropertyGroup<TRPropInteractivity>);
    RegisterPropertyGroup(ptVideoAction, MakePropertyGroup<TRPropVideoAction>);
    RegisterPropertyGroup(ptMultiSelect, MakePropertyGroup<TRPropMultiSelect>);
    RegisterPropertyGroup(ptAudioV, MakePropertyGroup<TRPropAudioV>);
    RegisterPropertyGroup(ptKeystroke, MakePropertyGroup<TRPropKeystroke>);
    RegisterPropertyGroup(ptClosedCaptioning, MakePropertyGroup<TRPropClosedCaptioning>);
    RegisterPropertyGroup(ptCaption, MakePropertyGroup<TRPropCaption>);
    RegisterPropertyGroup(ptProgressBar, MakePropertyGroup<TRPropProgressBar>);
    RegisterPropertyGroup(ptDrawing, MakePropertyGroup<TRPropDrawing>);
    RegisterNewProjectDefaults(SetProjectProgressBarDefaults);
}
