#include "objects/kinds/URCaption.h"

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URScenePaint.h"
#include "graphics/URCursorEffects.h"
#include "graphics/URCustomCaption.h"
#include "media/UAudioReader.h"
#include "objects/URObjectText.h"
#include "objects/URPropCaption.h"
#include "objects/URPropClosedCaptioning.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Text.h"

#include <QFile>
#include <QFileInfo>

using namespace platform::render;

namespace {

constexpr float PadX = 10; // the bands' padding beside the text
constexpr float PadY = 5;  // and above and below it

// The padded rectangle behind the whole text.
RectF WholeTextRect(const TextMetrics& m, const RectF& box) {
    const float left = box.left + m.left - PadX;
    return {left, box.bottom - m.height - PadY,
            left + m.widthIncludingTrailingWhitespace + 2 * PadX, box.bottom + PadY};
}

} // namespace

RectF CaptionBox(std::int32_t width, std::int32_t height) {
    return {-0.35f * float(width), 0, 0.35f * float(width), float(height) / 2 - 15};
}

std::vector<RectF> CaptionBands(const TextLayoutBox& layout, const RectF& box) {
    const TextMetrics metrics = layout.metrics();
    if (metrics.lineCount == 1)
        return {WholeTextRect(metrics, box)};
    const std::vector<LineMetrics> lines = layout.lineMetrics();
    std::vector<RectF> bands;
    int position = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineMetrics& line = lines[i];
        const int visible = line.length - line.trailingWhitespaceLength;
        if (visible > 0) {
            const TextPositionHit first = layout.hitTestTextPosition(position);
            const TextPositionHit last = layout.hitTestTextPosition(position + visible - 1);
            const bool firstRtl = first.bidiLevel % 2 != 0, lastRtl = last.bidiLevel % 2 != 0;
            RectF band;
            band.left = box.left + first.point.x + (firstRtl ? PadX : -PadX);
            band.top = box.top + first.point.y - (i == 0 ? PadY : 0);
            band.bottom =
                box.top + first.point.y + line.height + (i + 1 == lines.size() ? PadY : 0);
            band.right = lastRtl ? box.left + last.point.x - last.width - PadX
                                 : box.left + last.point.x + last.width + PadX;
            bands.push_back(band);
        }
        position += line.length;
    }
    return bands;
}

TRCaption::TRCaption(TRProject* project, TRObjectType type) : TRAudio(project, type) {
    FObjectName = QStringLiteral("Caption ") + QString::number(FObjectId);
    SetFlags(false, FCanResizeTimeline, false, false);
    FTrIn->SetChecked(false);
    FTrOut->SetChecked(false);
}

QString TRCaption::GetText() const {
    // The look-up only reads the keyframes (and refreshes the interpolated cache).
    const auto* caption =
        dynamic_cast<const TRPropCaption*>(const_cast<TRCaption*>(this)->GetProperty(ptCaption));
    return caption ? caption->FCaption : QString();
}

bool TRCaption::SpeechOn() {
    const auto* caption = Get<TRPropCaption>(ptCaption);
    return !caption || (caption->FTTS && caption->FTTSAudioOk);
}

void TRCaption::PaintWaveForm() {
    if (SpeechOn())
        TRAudio::PaintWaveForm();
}

void TRCaption::PlayAudio() {
    if (SpeechOn())
        TRAudio::PlayAudio();
}

void TRCaption::AddAudioToVideoExporter(TRAudioExporter& exporter) {
    if (SpeechOn())
        TRAudio::AddAudioToVideoExporter(exporter);
}

void TRCaption::PaintOnScene(bool, bool) {
    DeviceContext* dc = SceneContext();
    if (!dc || !FProject || FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
        return;
    const auto* style =
        dynamic_cast<const TRPropClosedCaptioning*>(FProject->GetProperty(ptClosedCaptioning));
    const auto* caption = Get<TRPropCaption>(ptCaption);
    if (!style || !style->Checked() || !caption || caption->FCaption.isEmpty())
        return;
    std::int32_t width = 0, height = 0;
    FProject->GetProjectSize(width, height);
    const RectF box = CaptionBox(width, height);
    auto format = TextFormat::create({style->FFontName, caption->FBold ? 700 : 400,
                                      caption->FItalic ? FontStyle::Italic : FontStyle::Normal,
                                      style->FFontSize});
    if (!format)
        return;
    format->setParagraphAlignment(ParagraphAlignment::Far);
    format->setTextAlignment(textAlignmentFromByte(style->FAlignmentH));
    format->setWordWrapping(WordWrapping::Wrap);
    const TextLayoutBoxPtr layout = TextLayoutBox::create(
        ExpandTimeVariables(*this, caption->FCaption), format, box.width(), box.height());
    if (!layout)
        return;
    if (style->FWindowOpacity > 0)
        dc->fillRectangle(WholeTextRect(layout->metrics(), box),
                          *SolidColorBrush::create(ColorFromTColor(style->FWindowColor),
                                                   style->FWindowOpacity / 100));
    if (style->FBackOpacity > 0) {
        const auto back =
            SolidColorBrush::create(ColorFromTColor(style->FBackColor), style->FBackOpacity / 100);
        for (const RectF& band : CaptionBands(*layout, box))
            dc->fillRectangle(band, *back);
    }
    TRCustomCaptionRenderer renderer;
    renderer.FillBrush = SolidColorBrush::create(ColorFromTColor(style->FFontColor));
    renderer.OutlineBrush = SolidColorBrush::create(ColorFromTColor(style->FOutlineColor));
    if (style->FOutlineSize > 0) {
        renderer.OutlineSize = style->FOutlineSize;
        layout->draw(renderer, dc, {box.left, box.top});
    }
    renderer.OutlineSize = 0;
    layout->draw(renderer, dc, {box.left, box.top});
}

void TRCaption::UpdateMedia(const QString& fileName) {
    if (fileName.trimmed().isEmpty() || !FProject || FProject->TempFolder.isEmpty())
        return;
    try {
        FMediaName = ProjectMediaName(FObjectId, QFileInfo(fileName).fileName());
        QFile::rename(fileName, FProject->TempFolder + FMediaName);
        if (OpenMedia() && AudioTrack().Reader()) {
            const auto duration = std::int32_t(AudioTrack().Reader()->Duration());
            FTimeEnd = FTimeStart + FMediaSpeed->ScaleDuration(duration);
            FMediaEnd = duration;
            FProject->UpdateTimeEnd();
        }
    } catch (...) {
        // The caption keeps its text and whatever sound it could open.
    }
}
