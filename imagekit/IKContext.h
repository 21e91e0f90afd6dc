#pragma once
// Where images are drawn. While a context draws it is the current context of the process, and
// filters render their outputs only while one is current.

#include "imagekit/IKTypes.h"

#include <QPainter>

class TDXRenderHelper;
class TDXRenderTexture;
class TIKImage;

class TIKContext {
public:
    virtual ~TIKContext() = default;
    TIKContext(const TIKContext&) = delete;
    TIKContext& operator=(const TIKContext&) = delete;

    static std::unique_ptr<TIKContext> CreateWithDC(QPainter* painter);
    static std::unique_ptr<TIKContext> CreateWithRender(TDXRenderHelper* render);
    static std::unique_ptr<TIKContext> CreateWithTexture(TDXRenderTexture* texture);
    static TIKContext* CurrentContext();

    // Nested pairs only count; the outermost activates and deactivates.
    void BeginDraw();
    void EndDraw();
    // Makes this context current, remembering the one it replaces, and begins its pass.
    virtual void Activate();
    virtual void Deactivate();
    // Draws the image (a filter's output is rendered first) into `dest`, in pixels.
    virtual void DrawImage(TIKImage* image, const TIKRect& dest);

protected:
    explicit TIKContext(TDXRenderHelper* render) : FRender(render) {}
    // The image that shows `image`: a filter's rendered output, or the image itself.
    static TIKImage* Drawable(TIKImage* image);

private:
    TDXRenderHelper* FRender;
    TIKContext* FSavedContext = nullptr;
    int FRenderCount = 0;
};

// Draws nothing; made current, it lets filters render.
class TIKNullContext : public TIKContext {
public:
    TIKNullContext() : TIKContext(nullptr) {}
};

class TIKRenderContext : public TIKContext {
public:
    explicit TIKRenderContext(TDXRenderHelper* render) : TIKContext(render) {}
};

class TIKTextureContext : public TIKContext {
public:
    explicit TIKTextureContext(TDXRenderTexture* texture);

private:
    TDXRenderTexture* FTexture;
};

// Draws through a painter, scaling the read-back pixels into the destination.
class TIKDCContext : public TIKNullContext {
public:
    explicit TIKDCContext(QPainter* painter) : FPainter(painter) {}
    void DrawImage(TIKImage* image, const TIKRect& dest) override;

private:
    QPainter* FPainter;
};
