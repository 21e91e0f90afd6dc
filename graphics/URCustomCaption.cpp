#include "graphics/URCustomCaption.h"

#include "graphics/URCustomText.h"
#include "platform/render/DeviceContext.h"

using namespace platform::render;

void TRCustomCaptionRenderer::drawGlyphRun(DeviceContext* context, PointF baselineOrigin,
                                           const GlyphRun& run,
                                           const GlyphRunDescription& description) {
    if (!FillBrush || !context || !run.fontFace)
        return;
    const bool outlinePass = OutlineSize > 0;
    if (outlinePass && !OutlineBrush)
        return;
    const bool leftToRight = run.bidiLevel % 2 == 0;
    float x = baselineOrigin.x;
    for (const TRGlyphCluster& letter : GlyphClusters(run, description)) {
        const float advance = LetterAdvance(run, letter);
        if (!leftToRight)
            x -= advance;
        const GeometryPtr outline =
            LetterOutline(run, letter)->transformed(Matrix3x2::translation(x, baselineOrigin.y));
        if (outlinePass)
            context->drawGeometry(*outline, *OutlineBrush, 2 * OutlineSize);
        else
            context->fillGeometry(*outline, *FillBrush);
        if (leftToRight)
            x += advance;
    }
}
