// The kit device's programs: C++ vertex and pixel functions registered by name, and the
// constant blocks they read.
#pragma once

#include "platform/kitdevice/Texture.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::kitdevice {

/// A vertex: position and texture coordinate.
struct Vertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
};

constexpr int kTextureSlots = 8;

struct TextureBinding {
    const Texture* texture = nullptr;
    SamplerState sampler;
};

/// One run of pixels of a row handed to a pixel function: `count` pixels from (x, y), with the
/// interpolated texture coordinate (u, v) at the first and its step (du, dv) per pixel.
struct PixelSpan {
    const std::array<TextureBinding, kTextureSlots>* textures = nullptr;
    /// The pixel stage's constant block (all zero when none is bound).
    const std::uint8_t* constants = nullptr;
    int x = 0;
    int y = 0;
    int count = 0;
    float u = 0;
    float v = 0;
    float du = 0;
    float dv = 0;

    /// Samples the texture bound at `slot` along the span (transparent black when none).
    void sample(int slot, Color4* out) const;
    /// The `count` texels the span reads one to one along a row of the texture at `slot`, as
    /// the sampler would (see texelRun()); nullptr when there is no such run.
    const std::uint8_t* texels(int slot) const;
    template <class T> T constant(int offset) const;
};

/// Maps a vertex to clip coordinates (-1..1, y up).
using VertexFunction = Vertex (*)(const Vertex& in, const std::uint8_t* constants);
/// Writes `span.count` premultiplied colours.
using PixelFunction = void (*)(const PixelSpan& span, Color4* out);

enum class BlendMode : std::uint8_t;

/// Optionally draws a row's covered run (whole, or a tile's part of it) straight into the target
/// row `dst` (8-bit BGRA) with the blend mode, giving the same bytes as the pixel function and the
/// blend would; returns false to leave the run to the pixel function.
using RowFunction = bool (*)(const PixelSpan& span, std::uint8_t* dst, BlendMode blend);

struct ProgramCode {
    VertexFunction vertex = nullptr;
    PixelFunction pixel = nullptr;
    RowFunction row = nullptr;
};

/// Adds a program under `name`; a name already present keeps its first program.
void registerProgram(const std::string& name, ProgramCode code);
/// The program registered under `name`, or nullptr.
const ProgramCode* findProgram(const std::string& name);

/// The kit's vertex function: positions pass through with y turned upside down, so that a
/// pixel row 0 lands at the top of the target.
Vertex flipVertex(const Vertex& in, const std::uint8_t* constants);

/// A constant block: `size` bytes rounded up to whole 16-byte registers, all zero at first.
class ConstantBuffer {
public:
    explicit ConstantBuffer(int size);
    int size() const { return int(bytes_.size()); }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }

private:
    std::vector<std::uint8_t> bytes_;
};

template <class T> T PixelSpan::constant(int offset) const {
    T value;
    const std::uint8_t* from = constants + offset;
    auto* to = reinterpret_cast<std::uint8_t*>(&value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        to[i] = from[i];
    return value;
}

} // namespace platform::kitdevice
