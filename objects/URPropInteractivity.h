#pragma once
// What a click on an object does in the exported HTML player.

#include "core/URPropBase.h"

class TRPropInteractivity : public TRPropBase {
public:
    TRPropInteractivity();

    std::int32_t FHandCursor = 1;
    std::int32_t FEvent = 0;
    std::int32_t FAction = 1;
    QString FURL = QStringLiteral("https://");
    std::int32_t FWindow = 1;
    std::int32_t FMarkerCode = 0;

    void VisitFields(TRPropFields& fields) override;
};
