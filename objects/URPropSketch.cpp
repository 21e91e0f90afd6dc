#include "objects/URPropSketch.h"

#include "core/URSettings.h"
#include "graphics/URImageEffects.h"

TRPropSketch::TRPropSketch()
    : TRPropShapeBrush(ptSketch),
      FDrawTime(static_cast<float>(SettingsRecord.DefaultAnimationDuration)),
      FPauseTime(static_cast<float>(SettingsRecord.DefaultAnimationDuration)) {
    FShapeName = QStringLiteral("Check");
}

void TRPropSketch::VisitFields(TRPropFields& fields) {
    TRPropShapeBrush::VisitFields(fields);
    fields.Float("Blur", FBlur);
    fields.Bool("FlipH", FFlipH);
    fields.Bool("FlipV", FFlipV);
    fields.Float("DrawTime", FDrawTime);
    fields.Bool("Parallel", FParallel);
    fields.Bool("Loop", FLoop);
    fields.Bool("Revert", FRevert);
    fields.Int("Ease", FEase);
    fields.Float("PauseTime", FPauseTime);
}

platform::render::ImagePtr TRPropSketch::DrawFlip(const platform::render::ImagePtr& input,
                                                  float width, float height) const {
    return MirrorImage(FFlipEffect, input, FFlipH, FFlipV, width, height);
}

platform::render::ImagePtr TRPropSketch::DrawBlur(const platform::render::ImagePtr& input) const {
    return FBlur == 0 ? input : BlurImage(FBlurEffect, input, FBlur, true);
}
