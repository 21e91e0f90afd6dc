#pragma once
// Stylize filters: a 3 x 3 convolution and pixellation into square blocks.

#include "imagekit/IKFilter.h"

#include <QTransform>

// The weighted sum of the pixel's 3 x 3 neighbourhood plus InputBias, on all four channels.
class TIKConvolution3X3Filter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(QTransform InputWeights READ InputWeights WRITE SetInputWeights)
    Q_PROPERTY(float InputBias MEMBER FInputBias)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKConvolution3X3Filter();
    static QString Category() { return QStringLiteral("Stylize"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    QTransform InputWeights() const;
    void SetInputWeights(const QTransform& weights);

private:
    TIKMatrix FInputWeights = IKIdentityKernel;
    float FInputBias = 0;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Each InputScale x InputScale block, counted from the top-left corner, shows the colour at
// its centre.
class TIKPixellateFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputScale_Min READ InputScaleMin)
    Q_PROPERTY(float InputScale_Max READ InputScaleMax)
    Q_PROPERTY(float InputScale READ InputScale WRITE SetInputScale)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKPixellateFilter();
    static QString Category() { return QStringLiteral("Stylize"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputScaleMin() const { return FInputScaleMin; }
    float InputScaleMax() const { return FInputScaleMax; }
    float InputScale() const { return FInputScale; }
    void SetInputScale(float value);

private:
    float FInputScaleMin = 1;
    float FInputScaleMax = 100;
    float FInputScale = 8;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Registers the convolution and pixellation.
void IKRegisterStylizeFilters();
