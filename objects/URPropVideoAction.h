#pragma once
// What the exported HTML player does when it reaches a video-action object.

#include "core/URPropBase.h"

class TRPropVideoAction : public TRPropBase {
public:
    TRPropVideoAction();

    std::int32_t FAction = 0;
    QString FURL = QStringLiteral("https://");
    std::int32_t FWindow = 1;
    std::int32_t FMarkerCode = 0;

    void VisitFields(TRPropFields& fields) override;
};
