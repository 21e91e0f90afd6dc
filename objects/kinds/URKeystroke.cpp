#include "objects/kinds/URKeystroke.h"

#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URUtils.h"
#include "media/UAudioPlayer.h"
#include "media/UAudioReader.h"
#include "media/URAudioExporter.h"
#include "objects/URPropBackgroundFill.h"
#include "objects/URPropKeystroke.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropShape.h"
#include "platform/render/Brush.h"
#include "platform/render/ContextState.h"
#include "platform/render/Text.h"

#include <QFileInfo>
#include <algorithm>

using namespace platform::render;

namespace {

constexpr std::uint32_t ModAlt = 1, ModCtrl = 2, ModShift = 4;
constexpr float Margin = 10;
// The export mixes on a grid of 30 frames per second.
constexpr std::int64_t MixGridPS = 30;

struct TRCapFonts {
    TextFormatPtr Plus, Normal, Small;
};

TextFormatPtr CaptionFormat(int weight, float size, ParagraphAlignment paragraph) {
    const std::shared_ptr<TextFormat> format =
        TextFormat::create({QStringLiteral("Segoe UI"), weight, FontStyle::Normal, size});
    if (format) {
        format->setTextAlignment(TextAlignment::Center);
        format->setParagraphAlignment(paragraph);
        format->setWordWrapping(WordWrapping::NoWrap);
    }
    return format;
}

// The "+" sits on the row's bottom line; captions are centred.
TRCapFonts CapFonts(float unit) {
    return {CaptionFormat(700, 0.9f * unit, ParagraphAlignment::Far),
            CaptionFormat(400, 0.7f * unit, ParagraphAlignment::Center),
            CaptionFormat(400, 0.35f * unit, ParagraphAlignment::Center)};
}

void DrawCaption(DeviceContext& dc, const QString& text, const TextFormatPtr& format,
                 const RectF& box, const Brush& brush) {
    if (const TextLayoutBoxPtr layout =
            TextLayoutBox::create(text, format, box.width(), box.height()))
        dc.drawTextLayout({box.left, box.top}, *layout, brush, true);
}

ColorF Grey(std::uint32_t rgb) {
    return {float((rgb >> 16) & 0xFF) / 255, float((rgb >> 8) & 0xFF) / 255,
            float(rgb & 0xFF) / 255, 1};
}

BrushPtr GreyBrush(std::uint32_t rgb) {
    return SolidColorBrush::create(Grey(rgb));
}

BrushPtr GreyGradient(PointF from, PointF to, std::vector<std::pair<float, std::uint32_t>> stops) {
    std::vector<GradientStop> list;
    for (const auto& [position, rgb] : stops)
        list.push_back({position, Grey(rgb)});
    return LinearGradientBrush::create(from, to, GradientStopCollection::create(std::move(list)));
}

// A light key of shaded plastic with a raised face.
void DrawClassicCap(DeviceContext& dc, const RectF& c, float unit) {
    const RoundedRect cap{c, 0.05f * unit, 0.05f * unit};
    dc.fillRoundedRectangle(
        cap, *GreyGradient({c.left, c.top}, {c.left, c.bottom}, {{0, 0xD8D8D8}, {1, 0xA3A3A3}}));
    dc.drawRoundedRectangle(cap, *GreyBrush(0x8D8D8D), 1);
    const RectF f{c.left + 8, c.top + 7, c.right - 8, c.bottom - 10};
    const RoundedRect face{f, 0.07f * unit, 0.07f * unit};
    dc.fillRoundedRectangle(face, *GreyGradient({f.left, f.top}, {f.right, f.top},
                                                {{0, 0xD7D7D7}, {0.5f, 0xE7E7E7}, {1, 0xD7D7D7}}));
    dc.drawRoundedRectangle(face, *GreyBrush(0xF8F8F8), 0.8f);
}

// Draws the cap of `style` and returns the brush of its caption.
BrushPtr DrawCap(DeviceContext& dc, const QString& style, const RectF& c, float unit,
                 const BrushPtr& contrast) {
    const RoundedRect cap{c, 0.05f * unit, 0.05f * unit};
    if (style == QLatin1String("Classic")) {
        DrawClassicCap(dc, c, unit);
        return GreyBrush(0x000000);
    }
    if (style == QLatin1String("Dark")) {
        dc.fillRoundedRectangle(cap, *GreyBrush(0x1E1E1E));
        dc.drawRoundedRectangle(cap, *GreyBrush(0xE1E1E1), 1);
        return GreyBrush(0xFFFFFF);
    }
    if (style == QLatin1String("Outline"))
        dc.drawRoundedRectangle(cap, *contrast, 3);
    return contrast;
}

void DrawKeys(DeviceContext& dc, const TRPropKeystroke& k, const QRectF& r, const QColor& under) {
    const TRKeyRow row = KeystrokeRow(k.FKeys);
    const TRKeyRowPlace place = PlaceKeyRow(row.Units, r);
    const float u = place.Unit;
    if (!(u > 0))
        return;
    const TRCapFonts fonts = CapFonts(u);
    const BrushPtr contrast = SolidBrush(ContrastColor(under), 1);
    const float top = place.Top, bottom = top + u;
    float x = place.Left;
    for (std::size_t i = 0; i < row.Keys.size(); ++i) {
        if (i > 0) {
            if (fonts.Plus)
                DrawCaption(dc, QStringLiteral("+"), fonts.Plus, {x, top, x + u, bottom},
                            *contrast);
            x += u;
        }
        const TRKeyCap& key = row.Keys[i];
        const RectF c{x, top, x + u * key.Units, bottom};
        const BrushPtr caption = DrawCap(dc, k.FStyle, c, u, contrast);
        if (fonts.Normal && fonts.Small)
            DrawCaption(dc, key.Caption, key.Small ? fonts.Small : fonts.Normal,
                        {c.left, c.top, c.right, c.bottom - 0.1f * u}, *caption);
        x = c.right;
    }
}

} // namespace

TRKeyRow KeystrokeRow(const TRHotkey& keys) {
    TRKeyRow row;
    if (keys.fsModifiers & ModCtrl)
        row.Keys.push_back({QStringLiteral("Ctrl"), 1.5f, false});
    if (keys.fsModifiers & ModShift)
        row.Keys.push_back({QStringLiteral("Shift"), 2, false});
    if (keys.fsModifiers & ModAlt)
        row.Keys.push_back({QStringLiteral("Alt"), 1.5f, false});
    if (IsDigitOrLetterKey(keys.vk))
        row.Keys.push_back({QString(QChar(char16_t(keys.vk))), 1, false});
    else if (const TRKeyCaption* caption = FindKeyCaption(keys.vk))
        row.Keys.push_back(
            {QString::fromLatin1(caption->Caption), caption->WidthUnits, caption->SmallCaption});
    if (row.Keys.empty())
        return row;
    row.Units = float(row.Keys.size() - 1);
    for (const TRKeyCap& key : row.Keys)
        row.Units += key.Units;
    return row;
}

TRKeyRowPlace PlaceKeyRow(float units, const QRectF& r) {
    const float w = float(r.width()), h = float(r.height());
    const float u = std::min((w - 2 * Margin) / units, h - 2 * Margin);
    return {u, float(r.left()) + (w - u * units - 2 * Margin) / 2 + Margin,
            float(r.top()) + (h - u - 2 * Margin) / 2 + Margin};
}

QColor ContrastColor(const QColor& under) {
    return (under.red() + under.green() + under.blue()) / 3.0 <= 125 ? Qt::white : Qt::black;
}

TRKeystroke::TRKeystroke(TRProject* project, TRObjectType type) : TRDrawable(project, type) {
    FObjectName = QStringLiteral("Keystroke ") + QString::number(FObjectId);
    FTimeEnd = FTimeStart + 2000;
    FMarker = false;
    FMediaName.clear();
    for (TRPropTransition* transition :
         {static_cast<TRPropTransition*>(TrIn()), static_cast<TRPropTransition*>(TrOut())})
        if (transition)
            transition->SetChecked(false);
    SetFlags(true, true, true, true);
    const QString click = CursorFolder.isEmpty() ? QString() : CursorFolder + "keystroke.wav";
    if (!click.isEmpty() && QFileInfo(click).isFile()) {
        auto player = std::make_unique<TAudioPlayer>();
        if (player->SetFile(click))
            FAudioPlayerK = std::move(player);
        auto reader = std::make_unique<TAudioReader>();
        if (reader->OpenFile(click) &&
            reader->SetFormat(TRAudioExporter::SampleRate, TRAudioExporter::Channels, 16))
            FAudioReaderK = std::move(reader);
    }
    if (auto* placement = Get<TRPropPlacement>(ptPlacement, true))
        placement->FSize = placement->FOriginalSize = QSizeF(370, 120);
    if (auto* fill = Get<TRPropBackgroundFill>(ptBackgroundFill, true)) {
        fill->SetChecked(true);
        fill->FColors.SetColor(0, 0x000000, 0, 1);
        fill->FOpacity = 0.25f;
    }
    if (TRPropBase* border = GetProperty(ptBackgroundBorder, true))
        border->SetChecked(false);
    if (auto* shape = Get<TRPropShape>(ptShape, true))
        shape->FRoundness = 0;
}

TRKeystroke::~TRKeystroke() {
    FAudioPlayerK.reset();
    FAudioReaderK.reset();
}

QColor TRKeystroke::BackgroundColor() {
    auto* fill = Get<TRPropBackgroundFill>(ptBackgroundFill);
    return fill && fill->Checked() ? StopColor(fill->FColors.GetColor(0)) : QColor(Qt::black);
}

void TRKeystroke::UpdateBitmap() {
    DeviceContext* dc = SceneContext();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!dc || !placement)
        return;
    const float bs = CreateBitmaps(false);
    if (!FBitmap)
        return;
    const ContextStateGuard guard(*dc);
    dc->setTarget(FBitmap);
    dc->beginDraw();
    dc->setTransform(Matrix3x2::translation(bs, bs));
    dc->clear({0, 0, 0, 0});
    const QRectF r = placement->GetZeroBoundsRect();
    TRPropBase* shape = GetProperty(ptShape);
    TRPropBase* fill = GetProperty(ptBackgroundFill);
    auto* outline = dynamic_cast<TRShapeSource*>(shape);
    auto* brushes = dynamic_cast<TRBrushSource*>(fill);
    if (outline && brushes && fill->Checked())
        if (const GeometryPtr g = outline->GetGeometry(r, -1))
            if (const BrushPtr brush = brushes->Brush(float(r.right()), float(r.bottom()), false))
                dc->fillGeometry(*g, *brush);
    if (auto* keys = Get<TRPropKeystroke>(ptKeystroke))
        DrawKeys(*dc, *keys, r, BackgroundColor());
    dc->endDraw();
    UpdateBitmapBorder(r, shape);
}

TRPropKeystroke* TRKeystroke::SoundingGroup() {
    auto* keys = Get<TRPropKeystroke>(ptKeystroke);
    return keys && keys->FSoundEffect ? keys : nullptr;
}

void TRKeystroke::PlayAudio() {
    TRDrawable::PlayAudio();
    TRPropKeystroke* keys = SoundingGroup();
    if (!keys || !FAudioPlayerK)
        return;
    if (FAudioPlayerK->Running()) {
        if (FTimePosition > FTimeEnd)
            FAudioPlayerK->Stop();
        return;
    }
    if (FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
        return;
    // The click sounds once the badge has finished appearing.
    if (TrIn() && TrIn()->Checked() && FTimePosition < FTimeStart + TrIn()->FDuration)
        return;
    FAudioPlayerK->Stop();
    FAudioPlayerK->SetPosition(0);
    FAudioPlayerK->SetVolume(keys->FSoundVolume / 100);
    const TRProjectInterfaceOptions options =
        FProject ? FProject->InterfaceOptions : TRProjectInterfaceOptions{};
    FAudioPlayerK->Play(options.Timeline_PlaybackSpeed, options.Timeline_PreserverPitch);
}

void TRKeystroke::StopAudio() {
    TRDrawable::StopAudio();
    if (FAudioPlayerK)
        FAudioPlayerK->Stop();
}

void TRKeystroke::AddAudioToVideoExporter(TRAudioExporter& exporter) {
    TRPropKeystroke* keys = SoundingGroup();
    if (!keys || !FAudioReaderK)
        return;
    FAudioReaderK->SetPosition(0);
    const std::int64_t delay =
        TrIn() && TrIn()->Checked() ? std::max<std::int64_t>(TrIn()->FDuration, 0) : 0;
    const std::int64_t start = std::max<std::int64_t>(FTimeStart, 0) + delay;
    const std::int64_t end = std::min<std::int64_t>(FTimeEnd, start + FAudioReaderK->Duration());
    const auto last = std::uint32_t(std::max<std::int64_t>(end, 0) * MixGridPS / 1000);
    const auto first = std::min(std::uint32_t(start * MixGridPS / 1000), last);
    exporter.AddSound(FAudioReaderK.get(), first, last, first, last, keys->FSoundVolume / 100);
}

QString TRKeystroke::GetText() const {
    // The look-up only reads the keyframes.
    auto* keys = const_cast<TRKeystroke*>(this)->Get<TRPropKeystroke>(ptKeystroke);
    return keys ? HotkeyToText(keys->FKeys) : QString();
}
