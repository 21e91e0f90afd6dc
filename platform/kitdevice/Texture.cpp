#include "platform/kitdevice/Texture.h"

#include "platform/kitdevice/VectorClones.h"
#include "platform/render/Parallel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace platform::kitdevice {

namespace {

const std::array<float, 256>& unitTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = float(i) / 255.0f;
        return t;
    }();
    return table;
}

// The texel index for `i` under the address mode; -1 reads transparent black.
int addressIndex(int i, int size, Address address) {
    if (i >= 0 && i < size)
        return i;
    switch (address) {
    case Address::Wrap:
        return ((i % size) + size) % size;
    case Address::Clamp:
        return i < 0 ? 0 : size - 1;
    case Address::Border:
        break;
    }
    return -1;
}

Color4 texel(const Texture& texture, int x, int y, const std::array<float, 256>& unit) {
    if (x < 0 || y < 0)
        return {};
    const std::uint8_t* p = texture.row(y) + std::size_t(x) * 4;
    return {unit[p[2]], unit[p[1]], unit[p[0]], unit[p[3]]};
}

// The loop of convertTexels(), cloned per instruction set (a clone cannot be exported).
TAVRIN_VECTOR_CLONES void convertVectorised(const std::uint8_t* __restrict texels, int count,
                                            Color4* __restrict out) {
    for (int i = 0; i < count; ++i) {
        out[i].r = float(texels[4 * i + 2]) / 255.0f;
        out[i].g = float(texels[4 * i + 1]) / 255.0f;
        out[i].b = float(texels[4 * i]) / 255.0f;
        out[i].a = float(texels[4 * i + 3]) / 255.0f;
    }
}

void pointSpan(const Texture& t, Address address, float u, float v, float du, float dv, int count,
               Color4* out) {
    int x0 = 0;
    int y0 = 0;
    if (texelRun(t, {Filter::Point, address}, u, v, du, dv, count, x0, y0)) {
        convertVectorised(t.row(y0) + std::size_t(x0) * 4, count, out);
        return;
    }
    const auto& unit = unitTable();
    const auto w = float(t.width());
    const auto h = float(t.height());
    for (int i = 0; i < count; ++i) {
        const float su = u + du * float(i);
        const float sv = v + dv * float(i);
        const int x = addressIndex(int(std::floor(su * w)), t.width(), address);
        const int y = addressIndex(int(std::floor(sv * h)), t.height(), address);
        out[i] = texel(t, x, y, unit);
    }
}

Color4 mix(const Color4& a, const Color4& b, float f) {
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f,
            a.a + (b.a - a.a) * f};
}

using Bytes4 = std::uint8_t __attribute__((vector_size(4)));
using Floats4 = float __attribute__((vector_size(16)));

// The texel at `p` as four channel values, in its byte order (b, g, r, a).
Floats4 texelChannels(const std::uint8_t* p) {
    Bytes4 bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return __builtin_convertvector(bytes, Floats4) / 255.0f;
}

// A bilinear sample whose four texels all lie inside the texture, read without address modes:
// the general path's arithmetic, on the four channels at once.
Color4 interiorSample(const Texture& t, int x0, int y0, float fx, float fy) {
    const std::uint8_t* p = t.row(y0) + std::size_t(x0) * 4;
    const std::uint8_t* q = p + t.pitch();
    const Floats4 a = texelChannels(p);
    const Floats4 top = a + (texelChannels(p + 4) - a) * fx;
    const Floats4 d = texelChannels(q);
    const Floats4 bottom = d + (texelChannels(q + 4) - d) * fx;
    const Floats4 c = top + (bottom - top) * fy;
    return {c[2], c[1], c[0], c[3]};
}

TAVRIN_VECTOR_CLONES void linearSpan(const Texture& t, Address address, float u, float v, float du,
                                     float dv, int count, Color4* out) {
    const auto& unit = unitTable();
    const auto w = float(t.width());
    const auto h = float(t.height());
    for (int i = 0; i < count; ++i) {
        const float x = (u + du * float(i)) * w - 0.5f;
        const float y = (v + dv * float(i)) * h - 0.5f;
        const float fx0 = std::floor(x);
        const float fy0 = std::floor(y);
        const int x0 = int(fx0);
        const int y0 = int(fy0);
        if (x0 >= 0 && y0 >= 0 && x0 < t.width() - 1 && y0 < t.height() - 1) {
            out[i] = interiorSample(t, x0, y0, x - fx0, y - fy0);
            continue;
        }
        const int xa = addressIndex(x0, t.width(), address);
        const int xb = addressIndex(x0 + 1, t.width(), address);
        const int ya = addressIndex(y0, t.height(), address);
        const int yb = addressIndex(y0 + 1, t.height(), address);
        const float fx = x - fx0;
        const Color4 top = mix(texel(t, xa, ya, unit), texel(t, xb, ya, unit), fx);
        const Color4 bottom = mix(texel(t, xa, yb, unit), texel(t, xb, yb, unit), fx);
        out[i] = mix(top, bottom, y - fy0);
    }
}

// A linear span whose every sample falls on a texel centre, one texel apart along a row: the
// samples are the texels themselves.
bool onTexelCentres(const Texture& t, float u, float v, float du, float dv) {
    constexpr float tolerance = 1e-3f;
    const float x = u * float(t.width()) - 0.5f;
    const float y = v * float(t.height()) - 0.5f;
    return dv == 0.0f && std::fabs(du * float(t.width()) - 1.0f) < 1e-6f &&
           std::fabs(x - std::round(x)) < tolerance && std::fabs(y - std::round(y)) < tolerance;
}

} // namespace

bool texelRun(const Texture& texture, SamplerState sampler, float u, float v, float du, float dv,
              int count, int& x, int& y) {
    const float fx = u * float(texture.width());
    const float fy = v * float(texture.height());
    // Linear filtering reads one texel only at its centre; a point sampler anywhere inside it,
    // and away from the texel's edges every step lands in the next one.
    const float tolerance = sampler.filter == Filter::Linear ? 1e-3f : 0.25f;
    const auto nearCentre = [tolerance](float f) {
        return std::fabs(f - std::floor(f) - 0.5f) < tolerance;
    };
    if (dv != 0.0f || std::fabs(du * float(texture.width()) - 1.0f) > 1e-6f || !nearCentre(fx) ||
        !nearCentre(fy))
        return false;
    x = int(std::floor(fx));
    y = int(std::floor(fy));
    return x >= 0 && y >= 0 && y < texture.height() && x + count <= texture.width();
}

std::unique_ptr<Texture> Texture::create(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxTextureSize || height > kMaxTextureSize)
        return nullptr;
    return std::unique_ptr<Texture>(new Texture(width, height));
}

Texture::Texture(int width, int height)
    : width_(width), height_(height), bits_(std::size_t(width) * std::size_t(height) * 4) {}

void Texture::clear(const Color4& color) {
    const std::uint8_t bytes[4] = {quantize(color.b), quantize(color.g), quantize(color.r),
                                   quantize(color.a)};
    std::uint32_t pixel;
    std::memcpy(&pixel, bytes, 4);
    const std::size_t rowPixels = std::size_t(width_);
    // One row filled pixel by pixel, the rest of the band copied from it at memcpy's speed.
    platform::render::parallelRows(height_, width_, [&](int first, int last) {
        std::fill_n(reinterpret_cast<std::uint32_t*>(row(first)), rowPixels, pixel);
        for (int y = first + 1; y < last; ++y)
            std::memcpy(row(y), row(first), rowPixels * 4);
    });
}

void convertTexels(const std::uint8_t* texels, int count, Color4* out) {
    convertVectorised(texels, count, out);
}

void sampleSpan(const Texture& texture, SamplerState sampler, float u, float v, float du, float dv,
                int count, Color4* out) {
    if (sampler.filter == Filter::Point) {
        pointSpan(texture, sampler.address, u, v, du, dv, count, out);
        return;
    }
    if (onTexelCentres(texture, u, v, du, dv)) {
        // Near a centre the point sampler picks that same texel.
        pointSpan(texture, sampler.address, u, v, du, dv, count, out);
        return;
    }
    linearSpan(texture, sampler.address, u, v, du, dv, count, out);
}

} // namespace platform::kitdevice
