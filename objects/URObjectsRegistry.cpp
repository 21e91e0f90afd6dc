#include "objects/URObjectsRegistry.h"

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropProjectSize.h"
#include "core/URPropTransition.h"
#include "graphics/URPropBlur.h"
#include "graphics/URPropChromaKey.h"
#include "graphics/URPropColorAdjust.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "graphics/URPropReflection.h"
#include "graphics/URPropShadow.h"
#include "graphics/URPropZoomAndPan.h"
#include "graphics/URTransitionDraw.h"
#include "objects/URPropAudio.h"
#include "objects/URPropAudioTTS.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropCaption.h"
#include "objects/URPropClosedCaptioning.h"
#include "objects/URPropCursor.h"
#include "objects/URPropDrawing.h"
#include "objects/URPropInteractivity.h"
#include "objects/URPropKeystroke.h"
#include "objects/URPropMask.h"
#include "objects/URPropMultiSelect.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropProgressBar.h"
#include "objects/URPropSketch.h"
#include "objects/URPropText.h"
#include "objects/URPropTextAnimation.h"
#include "objects/URPropTextPath.h"
#include "objects/URPropVideoAction.h"
#include "objects/URPropZoomSource.h"
#include "objects/URTransition.h"

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

void RegisterEngineKinds() {
    InstallTransitionDraw();
    RegisterPropertyGroup(ptProjectSize, MakePropertyGroup<TRPropProjectSize>);
    RegisterPropertyGroup(ptShadow, MakePropertyGroup<TRPropShadow>);
    RegisterPropertyGroup(ptZoomAndPan, MakePropertyGroup<TRPropZoomAndPan>);
    RegisterPropertyGroup(ptColorAdjust, MakePropertyGroup<TRPropColorAdjust>);
    RegisterPropertyGroup(ptTrIn, MakePropertyGroup<TRPropTransitionIn>);
    RegisterPropertyGroup(ptTrOut, MakePropertyGroup<TRPropTransitionOut>);
    RegisterPropertyGroup(ptChromaKey, MakePropertyGroup<TRPropChromaKey>);
    RegisterPropertyGroup(ptEffect, MakePropertyGroup<TRPropEffect>);
    RegisterPropertyGroup(ptFlipOpacity, MakePropertyGroup<TRPropFlipOpacity>);
    RegisterPropertyGroup(ptTransitionObj, MakePropertyGroup<TRPropTransitionObj>);
    RegisterPropertyGroup(ptMediaSpeed, MakePropertyGroup<TRPropMediaSpeed>);
    RegisterPropertyGroup(ptReflection, MakePropertyGroup<TRPropReflection>);
    RegisterPropertyGroup(ptBlur, MakePropertyGroup<TRPropBlur>);
    RegisterPropertyGroup(ptShape, MakePropertyGroup<TRPropShape>);
    RegisterPropertyGroup(ptBackgroundFill, MakePropertyGroup<TRPropBackgroundFill>);
    RegisterPropertyGroup(ptBackgroundBorder, MakePropertyGroup<TRPropBackgroundBorder>);
    RegisterPropertyGroup(ptMask, MakePropertyGroup<TRPropMask>);
    RegisterPropertyGroup(ptText, MakePropertyGroup<TRPropText>);
    RegisterPropertyGroup(ptTextPath, MakePropertyGroup<TRPropTextPath>);
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
    RegisterTransitionKind();
    RegisterNewProjectDefaults(SetProjectFillDefaults);
    RegisterNewProjectDefaults(SetProjectProgressBarDefaults);
}
