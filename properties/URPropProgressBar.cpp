#include "properties/URPropProgressBar.h"

TRPropProgressBar::TRPropProgressBar() : TRPropShapeBrush(ptProgressBar) {
    FUseCheckBox = true;
    FChecked = false;
    FShapeName = QStringLiteral("Bottom LR");
}
