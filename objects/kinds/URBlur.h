#pragma once
// The video-effect region: a shape on the frame that applies its effect to whatever was painted
// beneath it, inside the shape or, inverted, everywhere outside it, and strokes its border. It
// honours only the placement's position, size, scale and Z rotation.

#include "core/URObject.h"

class TRBlur : public TRObject {
public:
    TRBlur(TRProject* project, TRObjectType type);

    // Reads back what the scene's target holds so far and draws the effect over it; nothing on
    // hover and nothing when the copy of the target cannot be made.
    void PaintOnScene(bool mouseOver, bool paintAll) override;
    // The effect's name; empty without an Effect group.
    QString GetText() const override;

private:
    void PaintEffect(platform::render::DeviceContext& dc, const platform::render::Matrix3x2& s);
    void PaintBorder(platform::render::DeviceContext& dc, const platform::render::Matrix3x2& s);
};
