#pragma once
// The progress bar a project draws along an edge of its frame.

#include "objects/URPropShapeBrush.h"

class TRPropProgressBar : public TRPropShapeBrush, public TRProgressBarSource {
public:
    TRPropProgressBar();
    // Stores progress / 2 as the roundness, which tells the edge shapes how much to draw.
    platform::render::GeometryPtr ProgressGeometry(const QRectF& frame, float progress) override;
};
