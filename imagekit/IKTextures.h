#pragma once
// Render passes and the kit's two texture kinds: map textures the CPU fills and render
// textures that are drawn into and read back.

#include "imagekit/IKRender.h"
#include "platform/kitdevice/Texture.h"

class TDXRenderHelper;

// Pixels written by the CPU between Map and Unmap.
class TDXMapTexture : public TIKMapTexture {
public:
    // Raises "Can't create texture" for a side outside 1..8192.
    TDXMapTexture(TIKTextureAttrs attrs, int width, int height, TIKPixelFormat format);

    // Rows of 8-bit premultiplied BGRA, `pitch` bytes apart.
    void Map(std::uint8_t*& bits, int& pitch) override;
    void Unmap() override;
    void Activate(int channel) const override;
    void Deactivate(int channel) const override;
    void AssignTo(QImage& dest) const override;
    const platform::kitdevice::Texture& BaseTexture() const { return *FTexture; }

private:
    std::unique_ptr<platform::kitdevice::Texture> FTexture;
    platform::kitdevice::SamplerState FSampler;
};

// A target of render passes; its Render object draws into it.
class TDXRenderTexture : public TIKRenderTexture {
public:
    // Raises "Can't create texture" for a side outside 1..8192.
    TDXRenderTexture(TIKTextureAttrs attrs, int width, int height, TIKPixelFormat format);
    ~TDXRenderTexture() override;

    TDXRenderHelper& Render() const { return *FRender; }
    platform::kitdevice::Texture& BaseTexture() const { return *FTexture; }
    void Activate(int channel) const override;
    void Deactivate(int channel) const override;
    // Pixels in the texture's format: three-byte formats take three bytes a pixel.
    void ReadPixels(std::uint8_t* bits, const TIKIntRect& rect, bool flip) const override;
    void AssignTo(QImage& dest) const override;

private:
    std::unique_ptr<platform::kitdevice::Texture> FTexture;
    platform::kitdevice::SamplerState FSampler;
    std::unique_ptr<TDXRenderHelper> FRender;
};

// A drawing pass on one target: it binds the target and its viewport and puts the previous
// ones back when the outermost pass ends. Passes nest; only the outermost pair acts.
class TDXRenderHelper {
public:
    TDXRenderHelper(platform::kitdevice::Texture* target, int width, int height);
    TDXRenderHelper(const TDXRenderHelper&) = delete;
    TDXRenderHelper& operator=(const TDXRenderHelper&) = delete;

    // Raises "Invalid calling conditions" without a target.
    void BeginRender();
    void EndRender();
    int RenderCount() const { return FRenderCount; }

    void Clear() { Clear(IKClearColor); }
    void Clear(const TIKColorF& color);
    void SetBlendMode(TIKBlendMode mode);
    // The kit's draws are never culled.
    void SetCullMode(TIKCullMode) {}
    // There is no depth buffer; depth tests and writes have no effect.
    void SetDepthTest(TIKDepthTest) {}
    void SetWritesToDepth(bool) {}
    void SetViewport(const TIKRect& viewport);

    // Pixel to clip coordinates.
    TIKPoint Transform(const TIKPoint& p) const;
    TIKPoint Transform(float x, float y) const { return Transform(TIKPoint{x, y}); }
    // Raises "Can't upload device buffers" beyond 8000 vertices or 6000 indices or for a
    // stride below 16; triangles naming a vertex beyond the count are skipped.
    void FillTriangles(const void* vertices, const std::uint16_t* indices, int vertexCount,
                       int indexCount, int stride);
    // One textured rectangle with whatever program and textures are bound.
    void TexRect(const TIKRect& r, const TIKRect& texCoord);
    // Draws `texture` into `r` with the compose program, inside a pass.
    void ComposeRect(const TIKRect& r, const TIKTexture& texture);
    static TIKProgram& ComposeShader();

private:
    platform::kitdevice::Texture* FTarget;
    int FWidth;
    int FHeight;
    int FRenderCount = 0;
    platform::kitdevice::Texture* FSavedTarget = nullptr;
    platform::kitdevice::Viewport FSavedViewport;
};
