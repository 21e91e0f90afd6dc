#include "graphics/URPropBlur.h"

#include "graphics/URImageEffects.h"

using namespace platform::render;

TRPropBlur::TRPropBlur() : TRPropBase(ptBlur) {}

void TRPropBlur::VisitFields(TRPropFields& fields) {
    fields.Float("Size", FSize);
    fields.Bool("Border", FBorder);
}

ImagePtr TRPropBlur::Draw(const ImagePtr& input) const {
    return BlurImage(FBlurEffect, input, FSize, FBorder);
}
