#pragma once
// Shape and text objects: the outline of the Shape group filled with the Background group,
// stroked by the border, with the text of a text object laid out inside; an inverted effect or
// "Colorize" acts on the finished content clipped to the outline.

#include "objects/kinds/URDrawable.h"

class TRShape : public TRDrawable {
public:
    TRShape(TRProject* project, TRObjectType type);
    void UpdateBitmap() override;

protected:
    TRSceneFamily SceneFamily() const override { return {}; }

private:
    // Fills `outline` (and lays the text over it, or cuts the glyphs out of the fill when the
    // text erases the background) on the current target.
    void DrawContent(platform::render::DeviceContext& dc, const QRectF& r,
                     const platform::render::GeometryPtr& outline);
};

// A shape with a Text group that cannot be switched off.
class TRText : public TRShape {
public:
    TRText(TRProject* project, TRObjectType type);
};
