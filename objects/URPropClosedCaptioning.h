#pragma once
// The style in which a project shows its captions.

#include "core/URPropBase.h"

class TRPropClosedCaptioning : public TRPropBase {
public:
    TRPropClosedCaptioning();

    QString FFontName = QStringLiteral("Arial");
    TColor FFontColor = 0xFFFFFF;
    float FFontSize = 32;
    TColor FOutlineColor = 0;
    float FOutlineSize = 0;
    TColor FBackColor = 0;
    float FBackOpacity = 75;
    TColor FWindowColor = 0;
    float FWindowOpacity = 0;
    std::uint8_t FAlignmentH = 2;

    void VisitFields(TRPropFields& fields) override;
};
