#pragma once
// The drawing annotations of a picture object and how they are animated.

#include "core/URPropBase.h"
#include "platform/render/Bitmap.h"

class TRPropDrawing : public TRPropBase {
public:
    TRPropDrawing();

    bool FAnimate = false;
    std::int32_t FSpeed = 100;
    std::int32_t FEase = 0;

    void VisitFields(TRPropFields& fields) override;

    // Whether any annotation tool is set; none can be set yet.
    bool HasPoints() const { return false; }
    // `source` with the annotations drawn over it into `destination` (made as needed), as far
    // as `drawTime` ms of strokes reach (10000000: all). Nothing to draw yet.
    void DrawTo(const platform::render::BitmapPtr& source, std::int32_t drawTime,
                platform::render::BitmapPtr& destination) const;
};
