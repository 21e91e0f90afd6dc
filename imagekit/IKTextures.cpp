#include "imagekit/IKTextures.h"

#include "platform/kitdevice/Device.h"
#include "platform/kitdevice/FloatingPointGuard.h"

#include <cmath>
#include <cstring>

namespace kd = platform::kitdevice;
using kd::FloatingPointGuard;

namespace {

constexpr int kMaxVertices = 8000;
constexpr int kMaxIndices = 6000;

kd::SamplerState SamplerFor(TIKTextureAttrs attrs) {
    kd::SamplerState s;
    s.filter = attrs.Has(taAntialias) ? kd::Filter::Linear : kd::Filter::Point;
    s.address = attrs.Has(taTileRepeat)    ? kd::Address::Wrap
                : attrs.Has(taClampBorder) ? kd::Address::Border
                                           : kd::Address::Clamp;
    return s;
}

std::unique_ptr<kd::Texture> CreateTexture(int width, int height) {
    const FloatingPointGuard guard;
    auto texture = kd::Texture::create(width, height);
    if (!texture)
        throw EDXContextException("Can't create texture");
    return texture;
}

float Fraction(float value) {
    return value - std::floor(value);
}

// The compose program: the texture of channel 0 at frac(uv), times "Opacity".
void ComposePixels(const kd::PixelSpan& span, kd::Color4* out) {
    const float lastU = span.u + span.du * float(span.count - 1);
    const float lastV = span.v + span.dv * float(span.count - 1);
    const auto inUnit = [](float a, float b) { return a >= 0 && a < 1 && b >= 0 && b < 1; };
    if (inUnit(span.u, lastU) && inUnit(span.v, lastV)) {
        span.sample(0, out);
    } else {
        for (int i = 0; i < span.count; ++i) {
            kd::PixelSpan one = span;
            one.count = 1;
            one.u = Fraction(span.u + span.du * float(i));
            one.v = Fraction(span.v + span.dv * float(i));
            one.sample(0, out + i);
        }
    }
    const auto opacity = span.constant<float>(0);
    if (opacity == 1.0f)
        return;
    for (int i = 0; i < span.count; ++i)
        out[i] = {out[i].r * opacity, out[i].g * opacity, out[i].b * opacity, out[i].a * opacity};
}

// 1:1 compositing at full opacity: the texels themselves, blended as bytes.
bool ComposeRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    if (span.constant<float>(0) != 1.0f)
        return false;
    return kd::drawTexelRow(span, 0, dst, blend);
}

void CopyToImage(const TDXRenderTexture& texture, QImage& dest) {
    dest = QImage(texture.Width(), texture.Height(), QImage::Format_ARGB32_Premultiplied);
    const kd::Texture& base = texture.BaseTexture();
    for (int y = 0; y < texture.Height(); ++y)
        std::memcpy(dest.scanLine(y), base.row(y), std::size_t(base.pitch()));
}

} // namespace

TDXMapTexture::TDXMapTexture(TIKTextureAttrs attrs, int width, int height, TIKPixelFormat format)
    : TIKMapTexture(attrs, width, height, format), FTexture(CreateTexture(width, height)),
      FSampler(SamplerFor(attrs)) {}

void TDXMapTexture::Map(std::uint8_t*& bits, int& pitch) {
    const FloatingPointGuard guard;
    bits = FTexture->bits();
    pitch = FTexture->pitch();
}

void TDXMapTexture::Unmap() {}

void TDXMapTexture::Activate(int channel) const {
    const FloatingPointGuard guard;
    TDXRenderContext::SharedDevice()->setTexture(channel, FTexture.get(), FSampler);
}

void TDXMapTexture::Deactivate(int channel) const {
    const FloatingPointGuard guard;
    TDXRenderContext::SharedDevice()->setTexture(channel, nullptr, {});
}

void TDXMapTexture::AssignTo(QImage& dest) const {
    TDXRenderTexture target({taAntialias, taClampBorder}, Width(), Height(), pfBGRA);
    TDXRenderHelper& render = target.Render();
    render.BeginRender();
    try {
        render.Clear();
        render.ComposeRect({0, 0, float(Width()), float(Height())}, *this);
    } catch (...) {
        render.EndRender();
        throw;
    }
    render.EndRender();
    target.AssignTo(dest);
}

TDXRenderTexture::TDXRenderTexture(TIKTextureAttrs attrs, int width, int height,
                                   TIKPixelFormat format)
    : TIKRenderTexture(attrs, width, height, format), FTexture(CreateTexture(width, height)),
      FSampler(SamplerFor(attrs)),
      FRender(std::make_unique<TDXRenderHelper>(FTexture.get(), width, height)) {}

TDXRenderTexture::~TDXRenderTexture() = default;

void TDXRenderTexture::Activate(int channel) const {
    const FloatingPointGuard guard;
    TDXRenderContext::SharedDevice()->setTexture(channel, FTexture.get(), FSampler);
}

void TDXRenderTexture::Deactivate(int channel) const {
    const FloatingPointGuard guard;
    TDXRenderContext::SharedDevice()->setTexture(channel, nullptr, {});
}

void TDXRenderTexture::ReadPixels(std::uint8_t* bits, const TIKIntRect& rect, bool flip) const {
    const FloatingPointGuard guard;
    const TIKPixelFormat format = FPixelFormat == pfNone ? pfBGRA : FPixelFormat;
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, FWidth);
    const int bottom = std::min(rect.Bottom, FHeight);
    if (left >= right || top >= bottom)
        return;
    if (left == 0 && top == 0 && right == FWidth && bottom == FHeight && !flip &&
        format == pfBGRA) {
        std::memcpy(bits, FTexture->bits(), std::size_t(IKPixelBytes(format, FWidth)) * FHeight);
        return;
    }
    for (int y = top; y < bottom; ++y) {
        const int source = flip ? FHeight - 1 - y : y;
        IKConvertPixels(FTexture->row(source) + std::size_t(left) * 4,
                        IKPackedPixel(bits, format, FWidth, left, y), right - left, pfBGRA, format);
    }
}

void TDXRenderTexture::AssignTo(QImage& dest) const {
    const FloatingPointGuard guard;
    CopyToImage(*this, dest);
}

TDXRenderHelper::TDXRenderHelper(kd::Texture* target, int width, int height)
    : FTarget(target), FWidth(width), FHeight(height) {}

void TDXRenderHelper::BeginRender() {
    if (FRenderCount++ > 0)
        return;
    if (!FTarget) {
        --FRenderCount;
        throw EDXContextException("Invalid calling conditions");
    }
    kd::Device* device = TDXRenderContext::SharedDevice();
    {
        const FloatingPointGuard guard;
        FSavedTarget = device->renderTarget();
        device->setRenderTarget(FTarget);
    }
    {
        const FloatingPointGuard guard;
        FSavedViewport = device->viewport();
        device->setViewport({0, 0, FWidth, FHeight});
    }
    SetBlendMode(bmNormal);
    SetCullMode(cmNone);
    SetDepthTest(dtDisabled);
}

void TDXRenderHelper::EndRender() {
    if (FRenderCount == 1) {
        kd::Device* device = TDXRenderContext::SharedDevice();
        const FloatingPointGuard guard;
        if (FSavedViewport.width != 0 && FSavedViewport.height != 0)
            device->setViewport(FSavedViewport);
        device->setRenderTarget(FSavedTarget);
        FSavedTarget = nullptr;
    }
    if (FRenderCount > 0)
        --FRenderCount;
}

void TDXRenderHelper::Clear(const TIKColorF& color) {
    const FloatingPointGuard guard;
    FTarget->clear({color.R, color.G, color.B, color.A});
}

void TDXRenderHelper::SetBlendMode(TIKBlendMode mode) {
    static constexpr kd::BlendMode modes[] = {kd::BlendMode::Disable, kd::BlendMode::Normal,
                                              kd::BlendMode::Additive};
    TDXRenderContext::SharedDevice()->setBlendMode(modes[mode]);
}

void TDXRenderHelper::SetViewport(const TIKRect& viewport) {
    TDXRenderContext::SharedDevice()->setViewport({int(viewport.X), int(viewport.Y),
                                                   int(std::nearbyint(viewport.Width)),
                                                   int(std::nearbyint(viewport.Height))});
}

TIKPoint TDXRenderHelper::Transform(const TIKPoint& p) const {
    return {p.X / float(FWidth) * 2 - 1, p.Y / float(FHeight) * 2 - 1};
}

void TDXRenderHelper::FillTriangles(const void* vertices, const std::uint16_t* indices,
                                    int vertexCount, int indexCount, int stride) {
    if (vertexCount < 0 || vertexCount > kMaxVertices || indexCount < 0 ||
        indexCount > kMaxIndices || stride < int(sizeof(TIKVertex)))
        throw EDXContextException("Can't upload device buffers");
    std::vector<kd::Vertex> copied(static_cast<std::size_t>(vertexCount));
    for (int i = 0; i < vertexCount; ++i)
        std::memcpy(&copied[std::size_t(i)],
                    static_cast<const std::uint8_t*>(vertices) + i * stride, sizeof(kd::Vertex));
    std::vector<std::uint16_t> safe;
    safe.reserve(std::size_t(indexCount));
    for (int i = 0; i + 2 < indexCount; i += 3)
        if (indices[i] < vertexCount && indices[i + 1] < vertexCount &&
            indices[i + 2] < vertexCount)
            safe.insert(safe.end(), {indices[i], indices[i + 1], indices[i + 2]});
    TDXRenderContext::SharedDevice()->drawIndexed(copied.data(), safe.data(), int(safe.size()));
}

void TDXRenderHelper::TexRect(const TIKRect& r, const TIKRect& t) {
    const auto vertex = [&](float x, float y, float u, float v) {
        return TIKVertex{Transform(x, y), {u, v}};
    };
    const TIKVertex quad[4] = {
        vertex(r.X, r.Y, t.X, t.Y),
        vertex(r.X + r.Width, r.Y, t.X + t.Width, t.Y),
        vertex(r.X + r.Width, r.Y + r.Height, t.X + t.Width, t.Y + t.Height),
        vertex(r.X, r.Y + r.Height, t.X, t.Y + t.Height),
    };
    static constexpr std::uint16_t indices[6] = {0, 2, 3, 0, 1, 2};
    FillTriangles(quad, indices, 4, 6, sizeof(TIKVertex));
}

void TDXRenderHelper::ComposeRect(const TIKRect& r, const TIKTexture& texture) {
    TIKProgram& compose = ComposeShader();
    compose.Activate();
    compose.SetValue("Opacity", 1.0f, 0);
    texture.Activate(0);
    TexRect(r, {0, 0, 1, 1});
    texture.Deactivate(0);
    compose.Deactivate();
}

TIKProgram& TDXRenderHelper::ComposeShader() {
    static const std::unique_ptr<TDXShader> shader = [] {
        kd::registerProgram("Compose", {kd::flipVertex, ComposePixels, ComposeRow});
        auto s = std::make_unique<TDXShader>("Compose");
        s->DefineBuffer(ptPixel, 16);
        s->DefineVariable(ptPixel, "Opacity", 0, 4);
        return s;
    }();
    return *shader;
}
