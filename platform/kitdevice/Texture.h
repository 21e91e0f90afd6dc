// Textures of the kit device and how its samplers read them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::kitdevice {

/// The largest width or height of a texture.
constexpr int kMaxTextureSize = 8192;

/// A premultiplied colour, 0..1 per channel.
struct Color4 {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 0;
};

enum class Filter : std::uint8_t { Point, Linear };
/// Outside 0..1 a coordinate repeats (Wrap), reads transparent black (Border) or the nearest
/// edge texel (Clamp).
enum class Address : std::uint8_t { Wrap, Border, Clamp };

struct SamplerState {
    Filter filter = Filter::Point;
    Address address = Address::Clamp;
};

/// Width x height pixels of 8-bit premultiplied BGRA, rows top first, `pitch` bytes apart.
class Texture {
public:
    /// Nullptr when a side is outside 1..kMaxTextureSize. The pixels start transparent black.
    static std::unique_ptr<Texture> create(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int pitch() const { return width_ * 4; }
    std::uint8_t* bits() { return bits_.data(); }
    const std::uint8_t* bits() const { return bits_.data(); }
    std::uint8_t* row(int y) { return bits_.data() + std::size_t(y) * std::size_t(pitch()); }
    const std::uint8_t* row(int y) const {
        return bits_.data() + std::size_t(y) * std::size_t(pitch());
    }
    /// Every pixel to `color`, rounded to 8 bits.
    void clear(const Color4& color);

private:
    Texture(int width, int height);

    int width_;
    int height_;
    std::vector<std::uint8_t> bits_;
};

/// Samples `count` points starting at texture coordinate (u, v), stepping (du, dv), the way a
/// Direct3D sampler does: texel centres lie at (i + 0.5) / size.
void sampleSpan(const Texture& texture, SamplerState sampler, float u, float v, float du, float dv,
                int count, Color4* out);

/// When the `count` samples of a span read whole texels one after another along one row, the
/// way the sampler would (texel centres for linear filtering), sets the first texel's column
/// and row and returns true; false when the samples fall between texels, step otherwise or
/// leave the texture.
bool texelRun(const Texture& texture, SamplerState sampler, float u, float v, float du, float dv,
              int count, int& x, int& y);

/// `count` texels (8-bit BGRA) as colours, each channel byte / 255, as the samplers read them.
void convertTexels(const std::uint8_t* texels, int count, Color4* out);

/// An 8-bit channel value rounded from 0..1, clamped (NaN gives 0). Written without branches so
/// that loops over it vectorise.
inline std::uint8_t quantize(float value) {
    const float scaled = value * 255.0f + 0.5f;
    const float low = 0.0f < scaled ? scaled : 0.0f;
    return std::uint8_t(int(low < 255.0f ? low : 255.0f));
}

} // namespace platform::kitdevice
