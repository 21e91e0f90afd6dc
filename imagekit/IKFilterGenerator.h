#pragma once
// Filters that make an image from nothing over InputRect: a checkerboard, one colour, noise.

#include "imagekit/IKFilter.h"

#include <QColor>
#include <QRectF>

// What the generators share: InputRect is their output extent, and uv runs 0..1 across it.
class TIKGeneratorBase : public TIKFilter {
    Q_OBJECT

public:
    void Defaults() override;
    TIKImage* GetOutputImage() override;

protected:
    TIKGeneratorBase(TIKProgram* kernel, QStringList inputNames);

    QRectF FInputRect;

private:
    TIKProgram* FKernel;
    QStringList FInputNames;
};

// Squares of InputWidth pixels from the output's corner, InputColor1 first.
class TIKCheckerboardGeneratorFilter : public TIKGeneratorBase {
    Q_OBJECT
    Q_PROPERTY(QRectF InputRect MEMBER FInputRect)
    Q_PROPERTY(QColor InputColor1 MEMBER FInputColor1)
    Q_PROPERTY(QColor InputColor2 MEMBER FInputColor2)
    Q_PROPERTY(float InputWidth READ InputWidth WRITE SetInputWidth)
    Q_PROPERTY(float InputWidth_Min READ InputWidthMin)
    Q_PROPERTY(float InputWidth_Max READ InputWidthMax)

public:
    TIKCheckerboardGeneratorFilter();
    static QString Category() { return QStringLiteral("Generator"); }
    void Defaults() override;
    float InputWidth() const { return FInputWidth; }
    void SetInputWidth(float value);
    float InputWidthMin() const { return FInputWidthMin; }
    float InputWidthMax() const { return FInputWidthMax; }

private:
    QColor FInputColor1;
    QColor FInputColor2;
    float FInputWidth = 10;
    float FInputWidthMin = 1;
    float FInputWidthMax = 1000;
};

// InputColor as given (already premultiplied) over the whole rectangle.
class TIKColorGeneratorFilter : public TIKGeneratorBase {
    Q_OBJECT
    Q_PROPERTY(QRectF InputRect MEMBER FInputRect)
    Q_PROPERTY(QColor InputColor MEMBER FInputColor)

public:
    TIKColorGeneratorFilter();
    static QString Category() { return QStringLiteral("Generator"); }
    void Defaults() override;

private:
    QColor FInputColor;
};

// Opaque noise that depends only on uv: the same on every rendering of the same size.
class TIKRandomGeneratorFilter : public TIKGeneratorBase {
    Q_OBJECT
    Q_PROPERTY(QRectF InputRect MEMBER FInputRect)

public:
    TIKRandomGeneratorFilter();
    static QString Category() { return QStringLiteral("Generator"); }
};

// Registers the checkerboard, colour and random generators.
void IKRegisterGeneratorFilters();
