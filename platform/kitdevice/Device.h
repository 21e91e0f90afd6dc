// The kit's CPU device: the pipeline state of one process and the triangle rasteriser.
#pragma once

#include "platform/kitdevice/Program.h"

#include <array>
#include <cstdint>

namespace platform::kitdevice {

enum class Stage : std::uint8_t { Vertex, Pixel };
/// Disable writes the source; Normal is premultiplied source-over; Additive adds, saturated.
enum class BlendMode : std::uint8_t { Disable, Normal, Additive };

/// Premultiplied source-over of 8-bit pixels, each channel rounded: d = s + d (255 - sa) / 255.
/// The same bytes as blending the colours in floating point and rounding.
void blendRowSourceOver(std::uint8_t* dst, const std::uint8_t* src, int count);

/// A row function's work for a program that shows the texture at `slot` as it is: when the
/// span reads its texels one to one, draws them into `dst` with the blend (copied, or
/// source-over) and returns true; false leaves the run to the pixel function.
bool drawTexelRow(const PixelSpan& span, int slot, std::uint8_t* dst, BlendMode blend);

struct Viewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// What draws read: target, viewport, blend, program, textures and constant blocks. Draws
/// rasterise with Direct3D's rules (a pixel is covered when its centre is inside; centres on an
/// edge belong to top and left edges only) and blend each row span in parallel.
class Device {
public:
    /// The one device of the process.
    static Device& shared();

    void setRenderTarget(Texture* target) { target_ = target; }
    Texture* renderTarget() const { return target_; }
    void setViewport(const Viewport& viewport) { viewport_ = viewport; }
    const Viewport& viewport() const { return viewport_; }
    void setBlendMode(BlendMode mode) { blend_ = mode; }
    BlendMode blendMode() const { return blend_; }
    void setProgram(const ProgramCode* program) { program_ = program; }
    const ProgramCode* program() const { return program_; }
    void setConstantBuffer(Stage stage, const ConstantBuffer* buffer) {
        constants_[std::size_t(stage)] = buffer;
    }
    const ConstantBuffer* constantBuffer(Stage stage) const {
        return constants_[std::size_t(stage)];
    }
    void setTexture(int slot, const Texture* texture, SamplerState sampler) {
        textures_[std::size_t(slot)] = {texture, sampler};
    }
    const TextureBinding& texture(int slot) const { return textures_[std::size_t(slot)]; }

    /// Draws the triangle list `indices` (three per triangle) over `vertices` with the bound
    /// program into the bound target. Nothing happens without a target or a program.
    void drawIndexed(const Vertex* vertices, const std::uint16_t* indices, int indexCount);

private:
    Device() = default;

    Texture* target_ = nullptr;
    Viewport viewport_;
    BlendMode blend_ = BlendMode::Normal;
    const ProgramCode* program_ = nullptr;
    std::array<const ConstantBuffer*, 2> constants_{};
    std::array<TextureBinding, kTextureSlots> textures_{};
};

} // namespace platform::kitdevice
