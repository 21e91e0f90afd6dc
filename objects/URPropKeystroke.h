#pragma once
// The key combination a keystroke badge shows, its style and its sound.

#include "core/URPropBase.h"
#include "core/URSettings.h"

class TRPropKeystroke : public TRPropBase {
public:
    TRPropKeystroke();

    // Ctrl + K; whether the combination is enabled is not stored.
    TRHotkey FKeys{2, 75, 0, {}};
    QString FStyle = QStringLiteral("Outline");
    bool FSoundEffect = false;
    float FSoundVolume = 100;

    void VisitFields(TRPropFields& fields) override;
};
