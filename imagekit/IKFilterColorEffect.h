#pragma once
// Colour effects that change each pixel on its own: invert, monochrome, posterize, mask to
// alpha and sepia. Colours stay premultiplied; nothing divides by alpha.

#include "imagekit/IKFilter.h"

#include <QColor>

class TIKColorInvertFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKColorInvertFilter();
    static QString Category() { return QStringLiteral("ColorEffect"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;

private:
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKColorMonochromeFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)
    Q_PROPERTY(float InputIntensity_Min READ InputIntensityMin)
    Q_PROPERTY(float InputIntensity_Max READ InputIntensityMax)
    Q_PROPERTY(float InputIntensity READ InputIntensity WRITE SetInputIntensity)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKColorMonochromeFilter();
    static QString Category() { return QStringLiteral("ColorEffect"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputIntensityMin() const { return FInputIntensityMin; }
    float InputIntensityMax() const { return FInputIntensityMax; }
    float InputIntensity() const { return FInputIntensity; }
    void SetInputIntensity(float value);
    // Written without a change report; the owning chain reports changes.
    void Assign(TIKImage* image, const QColor& color);

private:
    QColor FInputColor;
    float FInputIntensityMin = 0;
    float FInputIntensityMax = 4;
    float FInputIntensity = 1;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKColorPosterizeFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputLevels_Min READ InputLevelsMin)
    Q_PROPERTY(float InputLevels_Max READ InputLevelsMax)
    Q_PROPERTY(float InputLevels READ InputLevels WRITE SetInputLevels)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKColorPosterizeFilter();
    static QString Category() { return QStringLiteral("ColorEffect"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputLevelsMin() const { return FInputLevelsMin; }
    float InputLevelsMax() const { return FInputLevelsMax; }
    float InputLevels() const { return FInputLevels; }
    void SetInputLevels(float value);

private:
    float FInputLevelsMin = 1;
    float FInputLevelsMax = 100;
    float FInputLevels = 10;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKMaskToAlphaFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKMaskToAlphaFilter();
    static QString Category() { return QStringLiteral("ColorEffect"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;

private:
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

class TIKSepiaToneFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputIntensity_Min READ InputIntensityMin)
    Q_PROPERTY(float InputIntensity_Max READ InputIntensityMax)
    Q_PROPERTY(float InputIntensity READ InputIntensity WRITE SetInputIntensity)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKSepiaToneFilter();
    static QString Category() { return QStringLiteral("ColorEffect"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    float InputIntensityMin() const { return FInputIntensityMin; }
    float InputIntensityMax() const { return FInputIntensityMax; }
    float InputIntensity() const { return FInputIntensity; }
    void SetInputIntensity(float value);

private:
    float FInputIntensityMin = 0;
    float FInputIntensityMax = 1;
    float FInputIntensity = 1;
    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
};

// Registers the five filters in catalogue order.
void IKRegisterColorEffectFilters();
