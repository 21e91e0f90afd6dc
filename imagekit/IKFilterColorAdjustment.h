#pragma once
// Colour adjustments of each pixel on its own: clamp, gamma and hue. They work on the
// premultiplied colour as it stands.

#include "imagekit/IKFilter.h"

#include <QColor>

class TIKColorClampFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(QColor InputMinColor MEMBER FInputMinColor)
    Q_PROPERTY(QColor InputMaxColor MEMBER FInputMaxColor)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKColorClampFilter();
    static QString Category() { return QStringLiteral("ColorAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;

private:
    QColor FInputMinColor;
    QColor FInputMaxColor;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKGammaAdjustFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputPower_Min READ InputPowerMin)
    Q_PROPERTY(float InputPower_Max READ InputPowerMax)
    Q_PROPERTY(float InputPower READ InputPower WRITE SetInputPower)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKGammaAdjustFilter();
    static QString Category() { return QStringLiteral("ColorAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputPowerMin() const { return FInputPowerMin; }
    float InputPowerMax() const { return FInputPowerMax; }
    float InputPower() const { return FInputPower; }
    void SetInputPower(float value);

private:
    float FInputPowerMin = 0.25f;
    float FInputPowerMax = 4;
    float FInputPower = 0.75f;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKHueAdjustFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputAngle_Min READ InputAngleMin)
    Q_PROPERTY(float InputAngle_Max READ InputAngleMax)
    Q_PROPERTY(float InputAngle READ InputAngle WRITE SetInputAngle)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKHueAdjustFilter();
    static QString Category() { return QStringLiteral("ColorAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputAngleMin() const { return FInputAngleMin; }
    float InputAngleMax() const { return FInputAngleMax; }
    float InputAngle() const { return FInputAngle; }
    void SetInputAngle(float value);

private:
    float FInputAngleMin = -180;
    float FInputAngleMax = 180;
    float FInputAngle = 0;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Registers the three filters in catalogue order.
void IKRegisterColorAdjustmentFilters();
