#pragma once
// The text of an object with its font, decorations, outline and glyph brush.

#include "objects/URPropBrush.h"

class TRPropText : public TRPropBrush, public TRTextSource {
public:
    TRPropText();

    std::int32_t FBitmapCode = 0;
    QString FFontName = QStringLiteral("Segoe UI");
    float FFontSize = 32;
    bool FBold = false;
    bool FItalic = false;
    bool FUnderline = false;
    bool FUnderlineTC = true;
    TColor FUnderlineColor = 0;
    bool FStrike = false;
    bool FStrikeTC = true;
    TColor FStrikeColor = 0x0000FF;
    TColor FOutlineColor = 0;
    float FOutlineSize = 0;
    QString FText = QStringLiteral("Sample text");
    std::uint8_t FAlignmentH = 2;
    std::uint8_t FAlignmentV = 2;
    bool FWordWrap = true;

    QString Text() const override { return FText; }
    // A paste keeps the target's own text.
    void VisitFields(TRPropFields& fields) override;
};
