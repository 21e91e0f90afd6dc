#include "imagekit/IKKernelFilter.h"

#include "platform/kitdevice/Device.h"
#include "platform/kitdevice/VectorClones.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace kd = platform::kitdevice;

std::unique_ptr<TIKProgram> IKBuildKernel(const char* programName, kd::PixelFunction pixel,
                                          int bufferSize,
                                          std::initializer_list<TIKConstantLayout> variables) {
    return IKBuildKernel(programName, {kd::flipVertex, pixel}, ptPixel, bufferSize, variables);
}

std::unique_ptr<TIKProgram> IKBuildKernel(const char* programName, kd::ProgramCode code,
                                          TIKProgramType stage, int bufferSize,
                                          std::initializer_list<TIKConstantLayout> variables) {
    kd::registerProgram(programName, code);
    auto shader = std::make_unique<TDXShader>(QString::fromLatin1(programName));
    if (bufferSize > 0) {
        shader->DefineBuffer(stage, bufferSize);
        for (const TIKConstantLayout& v : variables)
            shader->DefineVariable(stage, QString::fromLatin1(v.Name), v.Offset, v.Length);
    }
    return shader;
}

float IKRangeValue(float value, float min, float max) {
    if (min > value)
        value = min;
    if (value > max)
        value = max;
    return value;
}

namespace {

bool NearTexelCentre(float texels) {
    return std::fabs(texels - std::floor(texels) - 0.5f) < 1e-3f;
}

bool WholeTexels(float texels) {
    return texels == std::floor(texels);
}

// Adds weight x byte / 255 per channel, the weight scaled once so that the loop multiplies
// only; written plainly so that each instruction set gets its own vectorised clone.
TAVRIN_VECTOR_CLONES void AddTexels(const std::uint8_t* __restrict p, int channels, float weight,
                                    float* __restrict sum) {
    const float scaled = weight / 255.0f;
    for (int i = 0; i < channels; ++i)
        sum[i] += scaled * float(p[i]);
}

TAVRIN_VECTOR_CLONES void AddTexelPairs(const std::uint8_t* __restrict p,
                                        const std::uint8_t* __restrict q, int channels,
                                        float weight, float* __restrict sum) {
    const float scaled = weight / 255.0f;
    for (int i = 0; i < channels; ++i)
        sum[i] += scaled * (float(p[i]) + float(q[i]));
}

// The texels a span moved by (dx, dy) reads one to one from a bordered texture: the columns
// [From, To) of row Y, landing at Offset in the span; empty when none lie inside. Unset when the
// span does not read texels one to one.
struct TexelWindow {
    const kd::Texture* Texture = nullptr;
    int Y = 0;
    int From = 0;
    int To = 0;
    int Offset = 0;
};

std::optional<TexelWindow> ShiftedTexels(const kd::PixelSpan& span, int slot, float dx, float dy) {
    const kd::TextureBinding& binding = (*span.textures)[std::size_t(slot)];
    if (!binding.texture)
        return std::nullopt;
    const kd::Texture& texture = *binding.texture;
    const float fx = span.u * float(texture.width()) + dx;
    const float fy = span.v * float(texture.height()) + dy;
    if (span.dv != 0.0f || std::fabs(span.du * float(texture.width()) - 1.0f) >= 1e-6f ||
        binding.sampler.address != kd::Address::Border || !WholeTexels(dx) || !WholeTexels(dy) ||
        !NearTexelCentre(fx) || !NearTexelCentre(fy))
        return std::nullopt;
    const int x = int(std::floor(fx));
    const int y = int(std::floor(fy));
    TexelWindow window{&texture, y, std::max(x, 0), 0, 0};
    window.To =
        (y < 0 || y >= texture.height()) ? window.From : std::min(x + span.count, texture.width());
    if (window.To <= window.From)
        window.To = window.From; // Nothing to read: the offset stays 0, inside the span.
    else
        window.Offset = window.From - x;
    return window;
}

// The window's first texel; nullptr when it is empty (its row may lie outside the texture).
const std::uint8_t* WindowTexels(const TexelWindow& w) {
    return w.To > w.From ? w.Texture->row(w.Y) + std::size_t(w.From) * 4 : nullptr;
}

} // namespace

void IKSampleShifted(const kd::PixelSpan& span, int slot, float dx, float dy, kd::Color4* out) {
    if (const auto window = ShiftedTexels(span, slot, dx, dy)) {
        // Transparent black outside the texture.
        std::fill_n(out, span.count, kd::Color4{});
        kd::convertTexels(WindowTexels(*window), window->To - window->From, out + window->Offset);
        return;
    }
    const kd::TextureBinding& binding = (*span.textures)[std::size_t(slot)];
    kd::PixelSpan moved = span;
    if (binding.texture) {
        moved.u += dx / float(binding.texture->width());
        moved.v += dy / float(binding.texture->height());
    }
    moved.sample(slot, out);
}

void TIKTapSum::Fill(int count, float value) {
    std::fill_n(Channels, 4 * count, value);
}

void TIKTapSum::AddShifted(const kd::PixelSpan& span, int slot, float dx, float dy, float weight) {
    if (const auto window = ShiftedTexels(span, slot, dx, dy)) {
        AddTexels(WindowTexels(*window), 4 * (window->To - window->From), weight,
                  Channels + 4 * window->Offset);
        return;
    }
    kd::Color4 taps[256];
    IKSampleShifted(span, slot, dx, dy, taps);
    for (int k = 0; k < span.count; ++k) {
        Channels[4 * k] += weight * taps[k].b;
        Channels[4 * k + 1] += weight * taps[k].g;
        Channels[4 * k + 2] += weight * taps[k].r;
        Channels[4 * k + 3] += weight * taps[k].a;
    }
}

void TIKTapSum::AddMirrored(const kd::PixelSpan& span, int slot, float dx, float dy, float weight) {
    const auto ahead = ShiftedTexels(span, slot, dx, dy);
    const auto behind = ShiftedTexels(span, slot, -dx, -dy);
    if (!ahead || !behind || ahead->To - ahead->From != span.count ||
        behind->To - behind->From != span.count) {
        AddShifted(span, slot, dx, dy, weight);
        AddShifted(span, slot, -dx, -dy, weight);
        return;
    }
    AddTexelPairs(WindowTexels(*ahead), WindowTexels(*behind), 4 * span.count, weight, Channels);
}

void TIKTapSum::Colors(int count, float scale, kd::Color4* out) const {
    for (int k = 0; k < count; ++k)
        out[k] = {Channels[4 * k + 2] * scale, Channels[4 * k + 1] * scale, Channels[4 * k] * scale,
                  Channels[4 * k + 3] * scale};
}

bool IKClearRun(const std::uint8_t* dst, int count) {
    std::uint32_t any = 0;
    for (int i = 0; i < count * 4; ++i)
        any |= dst[i];
    return any == 0;
}

bool IKStoresAsBytes(std::initializer_list<kd::Color4> colors, const std::uint8_t* dst, int count,
                     kd::BlendMode blend) {
    if (blend == kd::BlendMode::Disable)
        return true;
    if (blend == kd::BlendMode::Additive)
        return false;
    const bool opaque =
        std::all_of(colors.begin(), colors.end(), [](const kd::Color4& c) { return c.a == 1.0f; });
    return opaque || IKClearRun(dst, count);
}

std::uint32_t IKPixelBytes(const kd::Color4& color) {
    const std::uint8_t bytes[4] = {kd::quantize(color.b), kd::quantize(color.g),
                                   kd::quantize(color.r), kd::quantize(color.a)};
    std::uint32_t pixel;
    std::memcpy(&pixel, bytes, sizeof pixel);
    return pixel;
}

bool IKPassThroughRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    if (kd::drawTexelRow(span, 0, dst, blend))
        return true;
    // A run reaching past a bordered texture (a picture padded by a crop): outside it reads
    // transparent black, which source-over leaves as it is and a copy writes as zeros.
    const auto window = ShiftedTexels(span, 0, 0, 0);
    if (!window || blend == kd::BlendMode::Additive)
        return false;
    if (blend == kd::BlendMode::Disable)
        std::memset(dst, 0, std::size_t(span.count) * 4);
    if (const std::uint8_t* texels = WindowTexels(*window)) {
        std::uint8_t* into = dst + std::size_t(window->Offset) * 4;
        const int count = window->To - window->From;
        if (blend == kd::BlendMode::Disable)
            std::memcpy(into, texels, std::size_t(count) * 4);
        else
            kd::blendRowSourceOver(into, texels, count);
    }
    return true;
}

void IKPassThroughPixels(const kd::PixelSpan& span, kd::Color4* out) {
    IKSampleShifted(span, 0, 0, 0, out);
}
