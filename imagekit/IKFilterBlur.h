#pragma once
// The box blur: sixteen samples along a cross, InputRadius pixels apart.

#include "imagekit/IKFilter.h"

class TIKBoxBlurFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputRadius_Min READ InputRadiusMin)
    Q_PROPERTY(float InputRadius_Max READ InputRadiusMax)
    Q_PROPERTY(float InputRadius READ InputRadius WRITE SetInputRadius)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKBoxBlurFilter();
    static QString Category() { return QStringLiteral("Blur"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputRadiusMin() const { return FInputRadiusMin; }
    float InputRadiusMax() const { return FInputRadiusMax; }
    float InputRadius() const { return FInputRadius; }
    void SetInputRadius(float value);

private:
    float FInputRadius = 10;
    float FInputRadiusMin = 0;
    float FInputRadiusMax = 100;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Registers the box blur.
void IKRegisterBlurFilters();
