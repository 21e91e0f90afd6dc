#include "objects/URPropProgressBar.h"

TRPropProgressBar::TRPropProgressBar() : TRPropShapeBrush(ptProgressBar) {
    FUseCheckBox = true;
    FChecked = false;
    FShapeName = QStringLiteral("Bottom LR");
}

platform::render::GeometryPtr TRPropProgressBar::ProgressGeometry(const QRectF& frame,
                                                                  float progress) {
    FRoundness = progress / 2;
    return GetGeometry(frame, -1);
}
