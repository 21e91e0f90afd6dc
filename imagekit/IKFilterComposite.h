#pragma once
// Source-over compositing of two premultiplied images.

#include "imagekit/IKFilter.h"

// Lays InputImage over InputBackgroundImage. Both are read at the same texture coordinate, so
// the background is stretched over the foreground's extent.
class TIKSourceOverCompositingFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(TIKImage* InputBackgroundImage MEMBER FInputBackgroundImage)

public:
    TIKSourceOverCompositingFilter();
    static QString Category() { return QStringLiteral("Composite"); }
    void Defaults() override;
    TIKImage* GetOutputImage() override;
    // Written without a change report; the owning chain reports changes.
    void Assign(TIKImage* image, TIKImage* background);

private:
    TIKImage* FInputImage = nullptr;
    TIKImage* FInputBackgroundImage = nullptr;
    TIKProgram* FKernel;
};

// Registers source-over compositing.
void IKRegisterCompositeFilters();
