#include "imagekit/IKContext.h"

#include "imagekit/IKFilter.h"
#include "imagekit/IKImage.h"
#include "imagekit/IKTextures.h"

#include <cmath>

namespace {

TIKContext* gCurrentContext = nullptr;

// Runs `draw` between BeginDraw and EndDraw of `context`, ending also by an exception.
template <class Draw> void Drawing(TIKContext& context, Draw draw) {
    context.BeginDraw();
    try {
        draw();
    } catch (...) {
        context.EndDraw();
        throw;
    }
    context.EndDraw();
}

} // namespace

std::unique_ptr<TIKContext> TIKContext::CreateWithDC(QPainter* painter) {
    return std::make_unique<TIKDCContext>(painter);
}

std::unique_ptr<TIKContext> TIKContext::CreateWithRender(TDXRenderHelper* render) {
    return std::make_unique<TIKRenderContext>(render);
}

std::unique_ptr<TIKContext> TIKContext::CreateWithTexture(TDXRenderTexture* texture) {
    return std::make_unique<TIKTextureContext>(texture);
}

TIKContext* TIKContext::CurrentContext() {
    return gCurrentContext;
}

void TIKContext::BeginDraw() {
    if (FRenderCount++ == 0)
        Activate();
}

void TIKContext::EndDraw() {
    if (FRenderCount == 1)
        Deactivate();
    if (FRenderCount > 0)
        --FRenderCount;
}

void TIKContext::Activate() {
    if (FRender)
        FRender->BeginRender();
    FSavedContext = gCurrentContext;
    gCurrentContext = this;
}

void TIKContext::Deactivate() {
    gCurrentContext = FSavedContext;
    if (FRender)
        FRender->EndRender();
}

TIKImage* TIKContext::Drawable(TIKImage* image) {
    return image->Filter() ? image->Filter()->GetOutputImage() : image;
}

void TIKContext::DrawImage(TIKImage* image, const TIKRect& dest) {
    if (!FRender || !image)
        return;
    Drawing(*this, [&] {
        const TIKImage* drawable = Drawable(image);
        if (drawable->Texture())
            FRender->ComposeRect(dest, *drawable->Texture());
    });
}

TIKTextureContext::TIKTextureContext(TDXRenderTexture* texture)
    : TIKContext(&texture->Render()), FTexture(texture) {}

void TIKDCContext::DrawImage(TIKImage* image, const TIKRect& dest) {
    if (!image)
        return;
    Drawing(*this, [&] {
        const TIKImage* drawable = Drawable(image);
        const TIKTexture* texture = drawable->Texture();
        if (!texture)
            return;
        auto* rendered = dynamic_cast<const TDXRenderTexture*>(texture);
        std::unique_ptr<TDXRenderTexture> temporary;
        if (!rendered) {
            const TIKRect& extent = drawable->Extent();
            temporary = std::make_unique<TDXRenderTexture>(
                TIKTextureAttrs{taAntialias, taClampBorder}, int(std::nearbyint(extent.Width)),
                int(std::nearbyint(extent.Height)), pfBGRA);
            TDXRenderHelper& render = temporary->Render();
            render.BeginRender();
            render.Clear();
            render.ComposeRect({0, 0, float(temporary->Width()), float(temporary->Height())},
                               *texture);
            render.EndRender();
            rendered = temporary.get();
        }
        QImage pixels;
        rendered->AssignTo(pixels);
        FPainter->drawImage(QRectF(dest.X, dest.Y, dest.Width, dest.Height), pixels);
    });
}
