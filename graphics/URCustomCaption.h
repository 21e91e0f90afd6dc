#pragma once
// The text renderer of caption (subtitle) objects: letters on the baseline, either outlined or
// filled, with no path, animation or decoration.

#include "platform/render/Brush.h"
#include "platform/render/Text.h"

class TRCustomCaptionRenderer : public platform::render::TextRenderer {
public:
    platform::render::BrushPtr FillBrush;
    platform::render::BrushPtr OutlineBrush;
    // Above 0 the pass strokes outlines at twice this width (the following fill pass covers the
    // inner half); otherwise it fills.
    float OutlineSize = 0;

    void drawGlyphRun(platform::render::DeviceContext* context,
                      platform::render::PointF baselineOrigin,
                      const platform::render::GlyphRun& run,
                      const platform::render::GlyphRunDescription& description) override;
    // Captions show no lines, even for underlined or struck-through text.
    void drawUnderline(platform::render::DeviceContext*, platform::render::PointF,
                       const platform::render::TextDecoration&) override {}
    void drawStrikethrough(platform::render::DeviceContext*, platform::render::PointF,
                           const platform::render::TextDecoration&) override {}
};
