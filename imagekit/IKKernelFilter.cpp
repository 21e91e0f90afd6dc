#include "imagekit/IKKernelFilter.h"

#include "platform/kitdevice/Device.h"

#include <cmath>
#include <cstring>

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

// `count` texels of row `y` from column `x`, transparent black outside the texture.
void ReadTexels(const kd::Texture& texture, int x, int y, int count, kd::Color4* out) {
    const int from = std::max(x, 0);
    const int to = (y < 0 || y >= texture.height()) ? from : std::min(x + count, texture.width());
    for (int i = 0; i < count; ++i)
        out[i] = {};
    if (from >= to)
        return;
    constexpr float unit = 1.0f / 255.0f;
    const std::uint8_t* p = texture.row(y) + std::size_t(from) * 4;
    kd::Color4* o = out + (from - x);
    for (int i = 0; i < to - from; ++i, p += 4)
        o[i] = {p[2] * unit, p[1] * unit, p[0] * unit, p[3] * unit};
}

} // namespace

void IKSampleShifted(const kd::PixelSpan& span, int slot, float dx, float dy, kd::Color4* out) {
    const kd::TextureBinding& binding = (*span.textures)[std::size_t(slot)];
    if (binding.texture) {
        const kd::Texture& texture = *binding.texture;
        const float fx = span.u * float(texture.width()) + dx;
        const float fy = span.v * float(texture.height()) + dy;
        if (span.dv == 0.0f && std::fabs(span.du * float(texture.width()) - 1.0f) < 1e-6f &&
            binding.sampler.address == kd::Address::Border && WholeTexels(dx) && WholeTexels(dy) &&
            NearTexelCentre(fx) && NearTexelCentre(fy)) {
            ReadTexels(texture, int(std::floor(fx)), int(std::floor(fy)), span.count, out);
            return;
        }
    }
    kd::PixelSpan moved = span;
    if (binding.texture) {
        moved.u += dx / float(binding.texture->width());
        moved.v += dy / float(binding.texture->height());
    }
    moved.sample(slot, out);
}

bool IKPassThroughRow(const kd::PixelSpan& span, std::uint8_t* dst, kd::BlendMode blend) {
    const kd::TextureBinding& binding = (*span.textures)[0];
    int x = 0;
    int y = 0;
    if (!binding.texture || blend == kd::BlendMode::Additive ||
        !kd::texelRun(*binding.texture, binding.sampler, span.u, span.v, span.du, span.dv,
                      span.count, x, y))
        return false;
    const std::uint8_t* src = binding.texture->row(y) + std::size_t(x) * 4;
    if (blend == kd::BlendMode::Disable)
        std::memcpy(dst, src, std::size_t(span.count) * 4);
    else
        kd::blendRowSourceOver(dst, src, span.count);
    return true;
}

void IKPassThroughPixels(const kd::PixelSpan& span, kd::Color4* out) {
    IKSampleShifted(span, 0, 0, 0, out);
}
