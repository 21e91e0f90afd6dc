// The kit device: floating-point guards, sampler addressing and filtering against hand-worked
// values, and premultiplied source-over with 8-bit rounding.
#include "platform/kitdevice/Device.h"
#include "platform/kitdevice/FloatingPointGuard.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace platform::kitdevice;

namespace {

TEST(FloatingPointGuard, NestedGuardsMaskInsideAndRestoreTheCallersTraps) {
    const int before = fegetexcept();
    feenableexcept(FE_DIVBYZERO | FE_INVALID);
    {
        const FloatingPointGuard outer;
        EXPECT_EQ(fegetexcept(), 0);
        {
            const FloatingPointGuard inner;
            EXPECT_EQ(fegetexcept(), 0);
        }
        EXPECT_EQ(fegetexcept(), 0);
    }
    EXPECT_EQ(fegetexcept(), FE_DIVBYZERO | FE_INVALID);
    fedisableexcept(FE_ALL_EXCEPT);
    feenableexcept(before);
}

// A 2 x 1 texture: red 100 on the left, red 200 on the right, both opaque.
std::unique_ptr<Texture> twoTexels() {
    auto t = Texture::create(2, 1);
    std::uint8_t* p = t->bits();
    const std::uint8_t pixels[8] = {0, 0, 100, 255, 0, 0, 200, 255};
    std::copy(pixels, pixels + 8, p);
    return t;
}

struct SampleCase {
    Filter filter;
    Address address;
    float u;
    float red;   // in 0..255
    float alpha; // in 0..255
};

TEST(Sampler, PointAndLinearSamplesPerAddressMode) {
    const SampleCase cases[] = {
        {Filter::Point, Address::Clamp, 0.25f, 100, 255},
        {Filter::Point, Address::Clamp, 0.75f, 200, 255},
        {Filter::Point, Address::Wrap, 1.25f, 100, 255},
        {Filter::Point, Address::Clamp, 1.25f, 200, 255},
        {Filter::Point, Address::Border, 1.25f, 0, 0},
        {Filter::Point, Address::Border, -0.25f, 0, 0},
        // Texel centres sit at u = 0.25 and 0.75.
        {Filter::Linear, Address::Clamp, 0.25f, 100, 255},
        {Filter::Linear, Address::Clamp, 0.5f, 150, 255},
        {Filter::Linear, Address::Wrap, 0.0f, 150, 255},
        {Filter::Linear, Address::Clamp, 0.0f, 100, 255},
        {Filter::Linear, Address::Border, 0.0f, 50, 127.5f},
        {Filter::Linear, Address::Wrap, 1.0f, 150, 255},
        {Filter::Linear, Address::Clamp, 1.0f, 200, 255},
        {Filter::Linear, Address::Border, 1.0f, 100, 127.5f},
        {Filter::Linear, Address::Clamp, 0.375f, 125, 255},
    };
    const auto texture = twoTexels();
    for (const SampleCase& c : cases) {
        Color4 out;
        sampleSpan(*texture, {c.filter, c.address}, c.u, 0.5f, 0, 0, 1, &out);
        EXPECT_NEAR(out.r * 255, c.red, 1e-3) << "u " << c.u << " address " << int(c.address);
        EXPECT_NEAR(out.a * 255, c.alpha, 1e-3) << "u " << c.u;
    }
}

TEST(Sampler, SpansStepAlongTheRow) {
    const auto texture = twoTexels();
    Color4 out[3];
    sampleSpan(*texture, {Filter::Linear, Address::Clamp}, 0.25f, 0.5f, 0.25f, 0, 3, out);
    EXPECT_NEAR(out[0].r * 255, 100, 1e-3);
    EXPECT_NEAR(out[1].r * 255, 150, 1e-3);
    EXPECT_NEAR(out[2].r * 255, 200, 1e-3);
}

TEST(Texture, SidesOutsideTheDeviceLimitAreRefused) {
    EXPECT_EQ(Texture::create(0, 10), nullptr);
    EXPECT_EQ(Texture::create(8193, 1), nullptr);
    EXPECT_NE(Texture::create(8192, 1), nullptr);
}

// Writes the colour of the pixel stage's first register.
void solidPixels(const PixelSpan& span, Color4* out) {
    const auto color = span.constant<Color4>(0);
    for (int i = 0; i < span.count; ++i)
        out[i] = color;
}

struct BlendCase {
    BlendMode mode;
    Color4 source;
    std::uint8_t dst[4]; // B G R A
    std::uint8_t expected[4];
};

TEST(Device, BlendModesRoundToEightBits) {
    registerProgram("DeviceTestSolid", {flipVertex, solidPixels});
    const BlendCase cases[] = {
        // Source-over: blue 0.2 at alpha 0.2 over opaque red 201 keeps 0.8 of it (160.8).
        {BlendMode::Normal, {0, 0, 0.2f, 0.2f}, {0, 0, 201, 255}, {51, 0, 161, 255}},
        {BlendMode::Normal, {0, 0, 0.5f, 0.5f}, {0, 0, 255, 255}, {128, 0, 128, 255}},
        {BlendMode::Disable, {0, 0, 0.2f, 0.2f}, {0, 0, 200, 255}, {51, 0, 0, 51}},
        {BlendMode::Additive, {0.5f, 0, 0, 0.5f}, {0, 0, 200, 255}, {0, 0, 255, 255}},
    };
    Device& device = Device::shared();
    for (const BlendCase& c : cases) {
        auto target = Texture::create(1, 1);
        std::copy(c.dst, c.dst + 4, target->bits());
        ConstantBuffer constants(16);
        std::memcpy(constants.data(), &c.source, sizeof(Color4));
        device.setRenderTarget(target.get());
        device.setViewport({0, 0, 1, 1});
        device.setBlendMode(c.mode);
        device.setProgram(findProgram("DeviceTestSolid"));
        device.setConstantBuffer(Stage::Pixel, &constants);
        const Vertex quad[4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {1, -1, 1, 1}, {-1, -1, 0, 1}};
        const std::uint16_t indices[6] = {0, 2, 3, 0, 1, 2};
        device.drawIndexed(quad, indices, 6);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(target->bits()[i], c.expected[i]) << "mode " << int(c.mode) << " byte " << i;
    }
    device.setConstantBuffer(Stage::Pixel, nullptr);
    device.setProgram(nullptr);
    device.setRenderTarget(nullptr);
    device.setBlendMode(BlendMode::Normal);
}

TEST(Device, ByteSourceOverRoundsEveryChannelLikeTheFormula) {
    // d' = s + round(d (255 - sa) / 255) for every destination value and source alpha, with a
    // source colour at half its alpha; colour beyond its alpha saturates.
    for (int alpha = 0; alpha < 256; ++alpha) {
        std::vector<std::uint8_t> dst(256 * 4);
        std::vector<std::uint8_t> src(256 * 4);
        for (int d = 0; d < 256; ++d) {
            const auto c = std::uint8_t(alpha / 2);
            const std::uint8_t s[4] = {c, 0, c, std::uint8_t(alpha)};
            const std::uint8_t t[4] = {std::uint8_t(d), std::uint8_t(d), 255, std::uint8_t(d)};
            std::copy(s, s + 4, src.begin() + d * 4);
            std::copy(t, t + 4, dst.begin() + d * 4);
        }
        blendRowSourceOver(dst.data(), src.data(), 256);
        for (int d = 0; d < 256; ++d) {
            const int kept = int(std::lround(d * (255 - alpha) / 255.0));
            ASSERT_EQ(dst[std::size_t(d) * 4 + 1], kept) << d << " under " << alpha;
            ASSERT_EQ(dst[std::size_t(d) * 4], std::min(255, alpha / 2 + kept));
            ASSERT_EQ(dst[std::size_t(d) * 4 + 3], std::min(255, alpha + kept));
        }
    }
    std::uint8_t over[4] = {200, 0, 0, 0};
    const std::uint8_t glow[4] = {100, 0, 0, 0};
    blendRowSourceOver(over, glow, 1);
    EXPECT_EQ(over[0], 255);
    EXPECT_EQ(over[1], 0);
}

TEST(Device, ByteSourceOverBlendsEachPixelOfARowOnItsOwn) {
    // Opaque, empty, partly covering and colour-only sources side by side over the BGRA
    // destination (100, 100, 100, 200), each landing anywhere in a row of nine.
    struct Case {
        std::array<std::uint8_t, 4> source;
        std::array<std::uint8_t, 4> expected;
    };
    const std::vector<Case> cases = {
        {{10, 20, 30, 255}, {10, 20, 30, 255}}, // opaque: the source itself
        {{0, 0, 0, 0}, {100, 100, 100, 200}},   // transparent black: the destination
        {{64, 0, 32, 128}, {114, 50, 82, 228}}, // 100 * 127 / 255 = 49.8, 200 * 127 / 255 = 99.6
        {{200, 0, 0, 0}, {255, 100, 100, 200}}, // colour beyond its alpha saturates
        {{0, 0, 0, 64}, {75, 75, 75, 214}},     // 100 * 191 / 255 = 74.9, 200 * 191 / 255 = 149.8
    };
    constexpr int kRow = 9;
    for (std::size_t shift = 0; shift < cases.size(); ++shift) {
        std::vector<std::uint8_t> dst;
        std::vector<std::uint8_t> src;
        for (int i = 0; i < kRow; ++i) {
            const Case& c = cases[(std::size_t(i) + shift) % cases.size()];
            src.insert(src.end(), c.source.begin(), c.source.end());
            dst.insert(dst.end(), {100, 100, 100, 200});
        }
        blendRowSourceOver(dst.data(), src.data(), kRow);
        for (int i = 0; i < kRow; ++i) {
            const Case& c = cases[(std::size_t(i) + shift) % cases.size()];
            for (std::size_t k = 0; k < 4; ++k)
                ASSERT_EQ(dst[std::size_t(i) * 4 + k], c.expected[k])
                    << "pixel " << i << " channel " << k << " shift " << shift;
        }
    }
}

TEST(Sampler, TexelRunsOnlyWhereSamplesAreWholeTexels) {
    const auto texture = Texture::create(4, 2);
    int x = -1;
    int y = -1;
    const SamplerState linear{Filter::Linear, Address::Border};
    EXPECT_TRUE(texelRun(*texture, linear, 0.125f, 0.75f, 0.25f, 0, 4, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1);
    EXPECT_FALSE(texelRun(*texture, linear, 0.2f, 0.75f, 0.25f, 0, 2, x, y));
    EXPECT_FALSE(texelRun(*texture, linear, 0.375f, 0.75f, 0.25f, 0, 4, x, y));
    EXPECT_FALSE(texelRun(*texture, linear, 0.125f, 0.75f, 0.125f, 0, 2, x, y));
    EXPECT_TRUE(
        texelRun(*texture, {Filter::Point, Address::Clamp}, 0.35f, 0.7f, 0.25f, 0, 3, x, y));
    EXPECT_EQ(x, 1);
}

} // namespace
