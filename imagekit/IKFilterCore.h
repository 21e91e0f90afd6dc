#pragma once
// The kit's core filters: where pixels lie (crop, affine transform, affine clamp, rotation)
// and the separable Gaussian blur with its two passes.

#include "imagekit/IKFilter.h"
#include "platform/kitdevice/Program.h"

#include <QRectF>
#include <QTransform>

// Cuts a rectangle out of image space; outside the input it is transparent.
class TIKCropFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(QRectF InputRect READ InputRect WRITE SetInputRect)
    Q_PROPERTY(TIKImage* InputImage READ InputImage WRITE SetInputImage)

public:
    TIKCropFilter();
    static QString Category() { return QStringLiteral("GeometryAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    QRectF InputRect() const;
    // Both setters report a change only when the value differs.
    void SetInputRect(const QRectF& rect);
    void SetRect(const TIKRect& rect);
    TIKImage* InputImage() const { return FInputImage; }
    void SetInputImage(TIKImage* image);
    const TIKRect& Rect() const { return FInputRect; }

private:
    TIKProgram* FKernel;
    TIKRect FInputRect;
    TIKImage* FInputImage = nullptr;
};

// Applies a row-vector matrix about the image's centre; the output is the bounding box of the
// result. Translations count in half-pixels and a positive angle turns counter-clockwise.
class TIKAffineTransformFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(QTransform InputTransform READ InputTransform WRITE SetInputTransform)

public:
    TIKAffineTransformFilter();
    static QString Category() { return QStringLiteral("GeometryAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    QTransform InputTransform() const;
    void SetInputTransform(const QTransform& transform);
    // Written without a change report; the owner reports changes.
    void Assign(TIKImage* image, const TIKMatrix& transform);

protected:
    explicit TIKAffineTransformFilter(const char* kernelName);
    // Renders over `outputExtent` with the matrix acting about the output's centre in units of
    // `units`; the input's centre starts at `centre`, in pixels from the output's corner.
    TIKImage* RenderAffine(const TIKRect& outputExtent, const TIKSize& units,
                           const TIKPoint& centre);

    TIKImage* FInputImage = nullptr;
    TIKProgram* FKernel;
    TIKPoint FInflateLeftTop;
    TIKPoint FInflateRightBottom;
    TIKRect FOutputExtent;
    TIKMatrix FInputTransform = IKIdentityMatrix;
};

// The affine transform within the input's extent, in units of InputRect's size.
class TIKAffineClampFilter : public TIKAffineTransformFilter {
    Q_OBJECT
    Q_PROPERTY(QRectF InputRect MEMBER FInputRect)

public:
    TIKAffineClampFilter();
    static QString Category() { return QStringLiteral("GeometryAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;

private:
    QRectF FInputRect;
};

// Turns the image about its centre by InputAngle degrees, counter-clockwise.
class TIKRotationFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(float InputAngle MEMBER FInputAngle)
    Q_PROPERTY(float InputAngle_Min READ InputAngleMin)
    Q_PROPERTY(float InputAngle_Max READ InputAngleMax)
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)

public:
    TIKRotationFilter();
    ~TIKRotationFilter() override;
    static QString Category() { return QStringLiteral("GeometryAdjustment"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    void ValueChanged() override;
    float InputAngleMin() const { return FInputAngleMin; }
    float InputAngleMax() const { return FInputAngleMax; }

private:
    std::unique_ptr<TIKAffineTransformFilter> FAffineFilter;
    float FInputAngle = 0;
    float FInputAngleMin = -180;
    float FInputAngleMax = 180;
    TIKImage* FInputImage = nullptr;
};

// One direction of the Gaussian blur; the blur filters drive it.
class TIKCustomGaussionFilter : public TIKFilter {
    Q_OBJECT

public:
    TIKImage* GetOutputImage() override;
    // Written without a change report; the owning blur reports changes.
    void Assign(TIKImage* image, float radius);
    void SetClamp(bool clamp) { FClamp = clamp; }

protected:
    TIKCustomGaussionFilter(const char* kernelName, platform::kitdevice::PixelFunction pixel,
                            bool vertical);

    TIKImage* FInputImage = nullptr;
    float FInputRadius = 0;

private:
    TIKProgram* FKernel;
    bool FClamp = false;
    bool FVertical;
};

class TIKGaussianHFilter : public TIKCustomGaussionFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)

public:
    TIKGaussianHFilter();
};

class TIKGaussianVFilter : public TIKCustomGaussionFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(float InputRadius MEMBER FInputRadius)

public:
    TIKGaussianVFilter();
};

// What both Gaussian blurs do: a horizontal then a vertical pass. The plain blur grows by the
// blur's reach on every side; the clamp blur keeps the input's extent.
class TIKGaussianBlurBase : public TIKFilter {
    Q_OBJECT

public:
    ~TIKGaussianBlurBase() override;
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    void ValueChanged() override;
    TIKImage* InputImage() const { return FInputImage; }
    float InputRadius() const { return FInputRadius; }
    float InputRadiusMin() const { return FInputRadiusMin; }
    float InputRadiusMax() const { return FInputRadiusMax; }
    // Both setters report a change only when the value differs; they do not clamp.
    void SetInputImage(TIKImage* image);
    void SetInputRadius(float radius);

protected:
    explicit TIKGaussianBlurBase(bool clamp);

    TIKImage* FInputImage = nullptr;
    float FInputRadius = 5;
    float FInputRadiusMin = 0;
    float FInputRadiusMax = 100;

private:
    std::unique_ptr<TIKGaussianVFilter> FBlurV;
    std::unique_ptr<TIKGaussianHFilter> FBlurH;
};

class TIKGaussianBlurFilter : public TIKGaussianBlurBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage READ InputImage WRITE SetInputImage)
    Q_PROPERTY(float InputRadius READ InputRadius WRITE SetInputRadius)
    Q_PROPERTY(float InputRadius_Min READ InputRadiusMin)
    Q_PROPERTY(float InputRadius_Max READ InputRadiusMax)

public:
    TIKGaussianBlurFilter() : TIKGaussianBlurBase(false) {}
    static QString Category() { return QStringLiteral("Blur"); }
};

class TIKGaussianBlurClampFilter : public TIKGaussianBlurBase {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage READ InputImage WRITE SetInputImage)
    Q_PROPERTY(float InputRadius READ InputRadius WRITE SetInputRadius)
    Q_PROPERTY(float InputRadius_Min READ InputRadiusMin)
    Q_PROPERTY(float InputRadius_Max READ InputRadiusMax)

public:
    TIKGaussianBlurClampFilter() : TIKGaussianBlurBase(true) {}
    static QString Category() { return QStringLiteral("Blur"); }
};

// Registers crop, affine transform, affine clamp, rotation and the two Gaussian blurs.
void IKRegisterCoreFilters();
