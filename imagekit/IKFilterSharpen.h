#pragma once
// Sharpening by the difference of the upper-left and lower-right neighbours.

#include "imagekit/IKFilter.h"

class TIKSharpenFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputAmount_Min READ InputAmountMin)
    Q_PROPERTY(float InputAmount_Max READ InputAmountMax)
    Q_PROPERTY(float InputAmount READ InputAmount WRITE SetInputAmount)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKSharpenFilter();
    static QString Category() { return QStringLiteral("Sharpen"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputAmountMin() const { return FInputAmountMin; }
    float InputAmountMax() const { return FInputAmountMax; }
    float InputAmount() const { return FInputAmount; }
    void SetInputAmount(float value);

private:
    float FInputAmountMin = 0;
    float FInputAmountMax = 2;
    float FInputAmount = 1;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Registers the sharpen filter.
void IKRegisterSharpenFilters();
