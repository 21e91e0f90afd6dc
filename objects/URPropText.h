#pragma once
// The text of an object with its font, decorations, outline and glyph brush.

#include "objects/URPropBrush.h"

class TRProject;

class TRPropText : public TRPropBrush, public TRTextSource {
public:
    TRPropText();

    // The glyph fill for a text rectangle reaching to (width, height):
    // - solid and erase background: stop 0's colour at stop 0's opacity times the group's;
    // - gradients: those of the fill group;
    // - media library: the current media picture of the chosen object, repeating from the
    //   drawing's origin at its own pixel size (no group opacity); the solid brush when
    //   `project` has no such object or it has no picture.
    platform::render::BrushPtr Brush(float width, float height, bool translate,
                                     const TRProject* project) const;
    // The glyph fill without a project (the media library paints solid).
    platform::render::BrushPtr Brush(float width, float height, bool translate) const override;
    // Solid brushes of the outline, underline and strikethrough colours, fully opaque.
    platform::render::BrushPtr OutlineBrush() const;
    platform::render::BrushPtr UnderlineBrush() const;
    platform::render::BrushPtr StrikeBrush() const;

    // The media-library choice: the source object's type and id. SetMediaSource also keeps
    // the legacy code (type x 1000 + id) that is written beside them.
    TRObjectType MediaType() const { return FBitmapType; }
    std::int32_t MediaId() const { return FBitmapID; }
    void SetMediaSource(TRObjectType type, std::int32_t id);

    // Font size, outline width, angle and the positions and opacities of stops 0 and 1 move
    // between the keyframes; the text, font, styles, colours and brush switch at the later one.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;
    // Besides the attributes: "Alignment" of older files sets the horizontal alignment, a
    // media choice without "BitmapType" and "BitmapID" is decoded from "BitmapCode", and a text
    // without any CR has its LF line breaks made CR LF.
    void OpenFromXML(const QDomElement& element, bool paste) override;

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

private:
    platform::render::BrushPtr SolidTextBrush() const;

    TRObjectType FBitmapType = otBase;
    std::int32_t FBitmapID = 0;
};
