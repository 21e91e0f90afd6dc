#include "objects/URObjectText.h"

#include "core/URObject.h"
#include "core/URUtils.h"
#include "graphics/URCustomText.h"
#include "graphics/URDX12Base.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropText.h"
#include "objects/URPropTextAnimation.h"
#include "objects/URPropTextPath.h"
#include "platform/render/Brush.h"
#include "platform/render/Text.h"

#include <algorithm>

using namespace platform::render;

std::function<bool()> TextAnimationRunning;

namespace {

bool LaidAlongCurve(int pathType) {
    return pathType == tpCircle || pathType == tpEllipse || pathType == tpSpiral;
}

TextFormatPtr ObjectTextFormat(const TRPropText& text, int pathType, float scale) {
    auto format = TextFormat::create({text.FFontName, text.FBold ? 700 : 400,
                                      text.FItalic ? FontStyle::Italic : FontStyle::Normal,
                                      text.FFontSize * scale});
    if (!format)
        return nullptr;
    format->setTextAlignment(textAlignmentFromByte(text.FAlignmentH));
    const bool curve = LaidAlongCurve(pathType);
    format->setParagraphAlignment(curve ? ParagraphAlignment::Near
                                        : paragraphAlignmentFromByte(text.FAlignmentV));
    format->setWordWrapping(curve ? WordWrapping::NoWrap : WordWrapping::Wrap);
    return format;
}

RectF MarginRect(const RectF& rect, const TRPropTextPath& path) {
    RectF r{rect.left + path.FMLeft, rect.top + path.FMTop, rect.right - path.FMRight,
            rect.bottom - path.FMBottom};
    if (r.right <= r.left)
        r.right = r.left + 1;
    if (r.bottom <= r.top)
        r.bottom = r.top + 1;
    return r;
}

} // namespace

QString ExpandTimeVariables(const TRObject& object, const QString& text) {
    const std::int32_t elapsed = std::max(0, object.TimePosition() - object.TimeStart());
    const std::int32_t remaining = std::max(0, object.TimeEnd() - object.TimePosition());
    QString result = text;
    result.replace(QLatin1String("<$te>"), FormatTimeMS(elapsed));
    result.replace(QLatin1String("<$tems>"), FormatTimeMillis(elapsed));
    result.replace(QLatin1String("<$teh>"), FormatTimeHMS(elapsed));
    result.replace(QLatin1String("<$tr>"), FormatTimeMS(remaining));
    result.replace(QLatin1String("<$trms>"), FormatTimeMillis(remaining));
    result.replace(QLatin1String("<$trh>"), FormatTimeHMS(remaining));
    return result;
}

GeometryPtr DrawObjectText(TRObject& object, const RectF& rect) {
    auto* text = object.Get<TRPropText>(ptText);
    auto* path = object.Get<TRPropTextPath>(ptTextPath);
    auto* animation = object.Get<TRPropTextAnimation>(ptTextAnimation);
    if (!D2DContext || !text || !path || !animation || !text->Checked() ||
        text->FText.trimmed().isEmpty())
        return nullptr;
    const auto* placement = object.Get<TRPropPlacement>(ptPlacement);
    const TextFormatPtr format =
        ObjectTextFormat(*text, path->FPathType, placement ? placement->FScale : 1);
    if (!format)
        return nullptr;
    const RectF box = MarginRect(rect, *path);
    const TextLayoutBoxPtr layout = TextLayoutBox::create(ExpandTimeVariables(object, text->FText),
                                                          format, box.width(), box.height());
    layout->setUnderline(text->FUnderline);
    layout->setStrikethrough(text->FStrike);

    TRCustomTextRenderer renderer;
    renderer.m_Erase = text->FBrushStyle == brsEraseBackGround;
    renderer.FillBrush = text->Brush(rect.right, rect.bottom, false, object.Project());
    renderer.OffsetOnPath = path->FOffset;
    renderer.PathRect = renderer.destRect = box;
    renderer.PathType = path->FPathType;
    renderer.PathAdjust = path->FAdjust;
    renderer.m_Underline = text->FUnderline;
    renderer.m_UnderlineBrush = text->FUnderlineTC ? renderer.FillBrush : text->UnderlineBrush();
    renderer.m_Strike = text->FStrike;
    renderer.m_StrikeBrush = text->FStrikeTC ? renderer.FillBrush : text->StrikeBrush();
    renderer.letter_height = text->FFontSize;
    renderer.Current_Time = object.TimePosition() - object.GetCurrentTransfTimeStart();
    renderer.propTextAnimation =
        TextAnimationRunning && TextAnimationRunning() ? animation : nullptr;

    const PointF origin{0, box.top};
    if (text->FOutlineSize != 0) {
        renderer.OutlineSize = text->FOutlineSize;
        renderer.OutlineBrush = text->OutlineBrush();
        layout->draw(renderer, D2DContext.get(), origin);
        renderer.ResetCounters();
        renderer.OutlineSize = 0;
        renderer.OutlineBrush.reset();
    }
    layout->draw(renderer, D2DContext.get(), origin);
    return renderer.m_Geometry;
}

void PaintObjectText(TRObject& object, const RectF& layoutRect) {
    DrawObjectText(object, layoutRect);
}

void InstallObjectTextPainter() {
    ObjectTextPainter = PaintObjectText;
}
