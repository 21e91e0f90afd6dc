#include "objects/URPropText.h"

TRPropText::TRPropText() : TRPropBrush(ptText, {{0, 0, 1}, {0xFFFFFF, 1, 1}}) {}

void TRPropText::VisitFields(TRPropFields& fields) {
    TRPropBrush::VisitFields(fields);
    fields.Int("BitmapCode", FBitmapCode);
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
