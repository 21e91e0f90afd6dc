#include "objects/URPropBackgroundBorder.h"

#include "platform/render/BuiltinEffects.h"
#include "platform/render/StandardEffects.h"

#include <algorithm>

using namespace platform::render;

TRPropBackgroundBorder::TRPropBackgroundBorder()
    : TRPropBrush(ptBackgroundBorder, {{0xA1A100, 0, 1}, {0xFFFFFF, 1, 1}}) {}

float TRPropBackgroundBorder::GetDeltaBorder() const {
    return Checked() ? std::max(FThickness / 2 + FInflate, 0.0f) : 0.0f;
}

void TRPropBackgroundBorder::VisitFields(TRPropFields& fields) {
    TRPropBrush::VisitFields(fields);
    fields.Float("Thickness", FThickness);
    fields.Float("Inflate", FInflate);
    fields.Int("Dash", FDashStyle);
    fields.Int("Cap", FCapStyle);
    fields.Float("Blur", FBlur);
}

float TRPropBackgroundBorder::BorderSize() const {
    return Checked() ? FThickness + std::max(FInflate, 0.0f) : 0.0f;
}

std::shared_ptr<StrokeStyle> TRPropBackgroundBorder::GetStrokeStyle() const {
    StrokeStyleProperties props;
    const auto cap = CapStyle(std::clamp(FCapStyle, 0, 3));
    props.startCap = props.endCap = props.dashCap = cap;
    props.lineJoin = LineJoin::Miter;
    props.miterLimit = 10;
    props.dashStyle = DashStyle(std::clamp(FDashStyle, 0, 4));
    return StrokeStyle::create(props);
}

EffectPtr TRPropBackgroundBorder::BlurEffect() {
    if (!m_blureffect)
        if (DeviceContext* dc = SceneContext())
            m_blureffect = dc->createEffect(effects::GaussianBlur);
    return m_blureffect;
}

EffectPtr TRPropBackgroundBorder::CompositeEffect() {
    if (!m_compositeeffect)
        if (DeviceContext* dc = SceneContext())
            m_compositeeffect = dc->createEffect(effects::Composite);
    return m_compositeeffect;
}

ImagePtr TRPropBackgroundBorder::DrawBlur(ImagePtr input) {
    const EffectPtr blur = FBlur != 0 && input ? BlurEffect() : nullptr;
    if (!blur)
        return input;
    blur->setInput(0, std::move(input));
    blur->setValue(effects::GaussianBlurBorderMode, std::uint32_t{effects::BorderSoft});
    blur->setValue(effects::GaussianBlurStandardDeviation, FBlur);
    return blur->output();
}

ImagePtr TRPropBackgroundBorder::DrawBlurAndComposite(ImagePtr input, ImagePtr border) {
    ImagePtr drawn = DrawBlur(std::move(border));
    if (!input)
        return drawn;
    const EffectPtr composite = drawn ? CompositeEffect() : nullptr;
    if (!composite)
        return input;
    composite->setInput(0, std::move(input));
    composite->setInput(1, std::move(drawn));
    return composite->output();
}

void TRPropBackgroundBorder::CopyStrokeFrom(const TRPropBackgroundBorder& source) {
    FDashStyle = source.FDashStyle;
    FCapStyle = source.FCapStyle;
    FInflate = source.FInflate;
    FThickness = source.FThickness;
    FBlur = source.FBlur;
}

void TRPropBackgroundBorder::EaseTo(float pos, const TRPropBase* to,
                                    TRPropBase* destination) const {
    TRPropBrush::EaseTo(pos, to, destination);
    const auto* target = dynamic_cast<const TRPropBackgroundBorder*>(to);
    auto* result = dynamic_cast<TRPropBackgroundBorder*>(destination);
    if (!target || !result)
        return;
    switch (EaseCaseOf(*this, *target)) {
    case TREaseCase::Both:
        result->FDashStyle = FDashStyle;
        result->FCapStyle = FCapStyle;
        result->FInflate = EaseFloat(FInflate, target->FInflate, pos);
        result->FThickness = EaseFloat(FThickness, target->FThickness, pos);
        result->FBlur = EaseFloat(FBlur, target->FBlur, pos);
        break;
    case TREaseCase::FadeOut:
        result->CopyStrokeFrom(*this);
        break;
    case TREaseCase::FadeIn:
        result->CopyStrokeFrom(*target);
        break;
    case TREaseCase::Neither:
        break;
    }
}
