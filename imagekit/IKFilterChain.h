#pragma once
// Glow and shadow: chains of the kit's blur, crop, monochrome and compositing filters that put
// a coloured, blurred copy of the image behind it.

#include "imagekit/IKFilterColorEffect.h"
#include "imagekit/IKFilterComposite.h"
#include "imagekit/IKFilterCore.h"

#include <QPointF>

// What both glows do: the blurred image, coloured by its luminance, behind the image. The
// plain glow pads the image to the blurred extent with a crop; the clamp glow has no crop
// and keeps the input's extent.
class TIKGlowBase : public TIKFilter {
    Q_OBJECT

public:
    ~TIKGlowBase() override;
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    void ValueChanged() override;

protected:
    explicit TIKGlowBase(bool clamp);

    TIKImage* FInputImage = nullptr;
    QColor FInputColor;
    float FInputRadius = 5;
    float FInputIntensity = 2;

private:
    std::unique_ptr<TIKGaussianBlurBase> FBlur;
    std::unique_ptr<TIKCropFilter> FCrop;
    std::unique_ptr<TIKSourceOverCompositingFilter> FBlend;
    std::unique_ptr<TIKColorMonochromeFilter> FMonochrome;
};

class TIKGlowFilter : public TIKGlowBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)
    Q_PROPERTY(float InputIntensity MEMBER FInputIntensity)

public:
    TIKGlowFilter() : TIKGlowBase(false) {}
    static QString Category() { return QStringLiteral("Effects"); }
};

class TIKGlowClampFilter : public TIKGlowBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)
    Q_PROPERTY(float InputIntensity MEMBER FInputIntensity)

public:
    TIKGlowClampFilter() : TIKGlowBase(true) {}
    static QString Category() { return QStringLiteral("Effects"); }
};

// What both shadows do: the blurred image, coloured and made InputOpacity opaque, moved by
// InputOffset behind the image. The plain shadow grows to hold blur and offset; the clamp
// shadow keeps the input's extent and moves its shadow inside it.
class TIKShadowBase : public TIKFilter {
    Q_OBJECT

public:
    ~TIKShadowBase() override;
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    void ValueChanged() override;
    // Takes a point value for "InputOffset" in any letter case; ignores anything else.
    void SetUndefinedValue(const QString& name, const TIKValue& value) override;

protected:
    explicit TIKShadowBase(bool clamp);

    TIKImage* FInputImage = nullptr;
    QColor FInputColor;
    QPointF FInputOffset;
    float FInputRadius = 3;
    float FInputOpacity = 0.5;

private:
    std::unique_ptr<TIKGaussianBlurBase> FBlur;
    std::unique_ptr<TIKCropFilter> FCrop;
    std::unique_ptr<TIKCropFilter> FCrop2;
    std::unique_ptr<TIKSourceOverCompositingFilter> FBlend;
    std::unique_ptr<TIKColorMonochromeFilter> FMonochrome;
};

class TIKShadowFilter : public TIKShadowBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)
    Q_PROPERTY(QPointF InputOffset MEMBER FInputOffset)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)
    Q_PROPERTY(float InputOpacity MEMBER FInputOpacity)

public:
    TIKShadowFilter() : TIKShadowBase(false) {}
    static QString Category() { return QStringLiteral("Effects"); }
};

class TIKShadowClampFilter : public TIKShadowBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)
    Q_PROPERTY(QPointF InputOffset MEMBER FInputOffset)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)
    Q_PROPERTY(float InputOpacity MEMBER FInputOpacity)

public:
    TIKShadowClampFilter() : TIKShadowBase(true) {}
    static QString Category() { return QStringLiteral("Effects"); }
};

// Registers glow, glow clamp, shadow and shadow clamp.
void IKRegisterChainFilters();
