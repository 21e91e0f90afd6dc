#include "objects/URPropBackgroundBorder.h"

#include <algorithm>

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

std::shared_ptr<platform::render::StrokeStyle> TRPropBackgroundBorder::GetStrokeStyle() const {
    using namespace platform::render;
    StrokeStyleProperties props;
    const auto cap = CapStyle(std::clamp(FCapStyle, 0, 3));
    props.startCap = props.endCap = props.dashCap = cap;
    props.dashStyle = DashStyle(std::clamp(FDashStyle, 0, 4));
    return StrokeStyle::create(props);
}
