#include "objects/URPropText.h"

#include "core/URProject.h"
#include "core/URXmlValues.h"

using namespace platform::render;

namespace {

BrushPtr OpaqueBrush(TColor color) {
    return SolidBrush(StopColor({color, 0, 1}), 1);
}

} // namespace

TRPropText::TRPropText() : TRPropBrush(ptText, {{0, 0, 1}, {0xFFFFFF, 1, 1}}) {}

void TRPropText::SetMediaSource(TRObjectType type, std::int32_t id) {
    FBitmapType = type;
    FBitmapID = id;
    FBitmapCode = std::int32_t{type} * 1000 + id;
}

void TRPropText::VisitFields(TRPropFields& fields) {
    TRPropBrush::VisitFields(fields);
    fields.Int("BitmapCode", FBitmapCode);
    fields.Enum("BitmapType", FBitmapType, otEnd);
    fields.Int("BitmapID", FBitmapID);
    fields.Text("FontName", FFontName);
    fields.Float("FontSize", FFontSize);
    fields.Enum("AlignmentH", FAlignmentH, std::uint8_t{255});
    fields.Enum("AlignmentV", FAlignmentV, std::uint8_t{255});
    fields.Bool("Bold", FBold);
    fields.Bool("Italic", FItalic);
    fields.Bool("Underline", FUnderline);
    fields.Bool("UnderlineTC", FUnderlineTC);
    fields.Color("UnderlineColor", FUnderlineColor);
    fields.Bool("Strike", FStrike);
    fields.Bool("StrikeTC", FStrikeTC);
    fields.Color("StrikeColor", FStrikeColor);
    fields.Bool("WordWrap", FWordWrap);
    fields.Color("OutlineColor", FOutlineColor);
    fields.Float("OutlineSize", FOutlineSize);
    if (!fields.Pasting())
        fields.Text("Text", FText);
}

void TRPropText::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBrush::OpenFromXML(element, paste);
    std::int32_t alignment = 0;
    if (XmlReadInt(element, QStringLiteral("Alignment"), alignment) && alignment >= 0 &&
        alignment <= 255)
        FAlignmentH = static_cast<std::uint8_t>(alignment);
    const bool typed = element.hasAttribute(QStringLiteral("BitmapType")) &&
                       element.hasAttribute(QStringLiteral("BitmapID"));
    if (!typed && element.hasAttribute(QStringLiteral("BitmapCode"))) {
        FBitmapType = static_cast<TRObjectType>(static_cast<std::uint8_t>(FBitmapCode / 1000));
        FBitmapID = FBitmapCode % 1000;
    }
    if (!FText.contains(QChar('\r')))
        FText.replace(QChar('\n'), QStringLiteral("\r\n"));
}

BrushPtr TRPropText::SolidTextBrush() const {
    const TRColor first = FColors.GetColor(0);
    return SolidBrush(StopColor(first), first.Opacity * FOpacity);
}

BrushPtr TRPropText::Brush(float width, float height, bool translate,
                           const TRProject* project) const {
    switch (FBrushStyle) {
    case brsGradientLinear:
    case brsGradientRadial:
        return ColorStopsBrush(FColors, FBrushStyle, FRotation, FOpacity, width, height, translate);
    case brsMediaLibrary:
        if (project)
            if (BrushPtr picture =
                    BitmapBrush::create(project->GetMediaObjectBitmap(FBitmapType, FBitmapID)))
                return picture;
        break;
    case brsSolid:
    case brsEraseBackGround:
        break;
    }
    return SolidTextBrush();
}

BrushPtr TRPropText::Brush(float width, float height, bool translate) const {
    return Brush(width, height, translate, nullptr);
}

BrushPtr TRPropText::OutlineBrush() const {
    return OpaqueBrush(FOutlineColor);
}

BrushPtr TRPropText::UnderlineBrush() const {
    return OpaqueBrush(FUnderlineColor);
}

BrushPtr TRPropText::StrikeBrush() const {
    return OpaqueBrush(FStrikeColor);
}

void TRPropText::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* target = dynamic_cast<const TRPropText*>(to);
    auto* result = dynamic_cast<TRPropText*>(destination);
    if (!target || !result)
        return;
    result->FRotation = EaseFloat(FRotation, target->FRotation, pos);
    result->FFontSize = EaseFloat(FFontSize, target->FFontSize, pos);
    result->FOutlineSize = EaseFloat(FOutlineSize, target->FOutlineSize, pos);
    result->FColors.EaseFirstTwo(FColors, target->FColors, pos);
    result->FBrushStyle = FBrushStyle;
    result->FOpacity = FOpacity;
    result->FBitmapCode = FBitmapCode;
    result->FBitmapType = FBitmapType;
    result->FBitmapID = FBitmapID;
    result->FFontName = FFontName;
    result->FAlignmentH = FAlignmentH;
    result->FAlignmentV = FAlignmentV;
    result->FBold = FBold;
    result->FItalic = FItalic;
    result->FUnderline = FUnderline;
    result->FUnderlineTC = FUnderlineTC;
    result->FUnderlineColor = FUnderlineColor;
    result->FStrike = FStrike;
    result->FStrikeTC = FStrikeTC;
    result->FStrikeColor = FStrikeColor;
    result->FWordWrap = FWordWrap;
    result->FOutlineColor = FOutlineColor;
    result->FText = FText;
}
