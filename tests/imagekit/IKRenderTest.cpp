// Programs, constant buffers, render passes, rectangles and read-back of the kit's device.
#include "imagekit/IKTextures.h"
#include "platform/kitdevice/Device.h"

#include <cstring>
#include <gtest/gtest.h>

namespace kd = platform::kitdevice;

namespace {

// Adds one step of every channel: the target counts how often each pixel was drawn.
void countPixels(const kd::PixelSpan& span, kd::Color4* out) {
    for (int i = 0; i < span.count; ++i)
        out[i] = {1 / 255.0f, 1 / 255.0f, 1 / 255.0f, 1 / 255.0f};
}

void registerTestPrograms() {
    kd::registerProgram("RenderTestCount", {kd::flipVertex, countPixels});
}

// Leaves the shared device as a test found it.
class IKRender : public ::testing::Test {
protected:
    void SetUp() override {
        registerTestPrograms();
        Reset();
    }
    void TearDown() override { Reset(); }
    static void Reset() {
        kd::Device& device = *TDXRenderContext::SharedDevice();
        device.setConstantBuffer(kd::Stage::Vertex, nullptr);
        device.setConstantBuffer(kd::Stage::Pixel, nullptr);
        device.setProgram(nullptr);
        device.setRenderTarget(nullptr);
    }
};

float FloatAt(const TDXConstantBuffer& buffer, int offset) {
    float value;
    std::memcpy(&value, buffer.Buffer().data() + offset, 4);
    return value;
}

TEST_F(IKRender, ConstantBuffersAreRegistersBoundPerStage) {
    TDXShader shader("RenderTestCount");
    EXPECT_EQ(TDXConstantBuffer(ptVertex, 20).Size(), 32);
    EXPECT_EQ(TDXConstantBuffer(ptVertex, 16).Size(), 16);
    shader.DefineBuffer(ptVertex, 44);
    shader.DefineBuffer(ptPixel, 100);
    EXPECT_EQ(shader.Buffer(ptPixel)->Size(), 112);
    shader.DefineVariable(ptPixel, "Opacity", 0, 48);
    shader.DefineVariable(ptPixel, "Transform", 64, 44);
    shader.DefineVariable(ptVertex, "Transform", 0, 44);
    shader.DefineVariable(ptPixel, "opacity", 8, 4); // the first declaration stays

    kd::Device& device = *TDXRenderContext::SharedDevice();
    shader.SetValue("Nothing", 1.0f, 0);
    EXPECT_EQ(device.constantBuffer(kd::Stage::Pixel), nullptr);

    shader.SetValue("Opacity", 0.5f, 0);
    shader.SetValue("Opacity", 0.25f, 2);
    const TDXConstantBuffer& pixel = *shader.Buffer(ptPixel);
    EXPECT_EQ(device.constantBuffer(kd::Stage::Pixel), &pixel.Buffer());
    EXPECT_EQ(device.constantBuffer(kd::Stage::Vertex), nullptr);
    EXPECT_FLOAT_EQ(FloatAt(pixel, 0), 0.5f);
    EXPECT_FLOAT_EQ(FloatAt(pixel, 32), 0.25f);

    // A matrix goes column by column into three registers, in both stages that declare it.
    shader.SetValue("Transform", IKRotationMatrix(90));
    const TDXConstantBuffer& vertex = *shader.Buffer(ptVertex);
    EXPECT_EQ(device.constantBuffer(kd::Stage::Vertex), &vertex.Buffer());
    const float expected[] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 11; ++i) {
        EXPECT_NEAR(FloatAt(vertex, i * 4), expected[i], 1e-6) << i;
        EXPECT_NEAR(FloatAt(pixel, 64 + i * 4), expected[i], 1e-6) << i;
    }
}

TEST_F(IKRender, ActivatingAProgramBindsItsOwnZeroedConstants) {
    TDXShader first("RenderTestCount");
    first.DefineBuffer(ptPixel, 16);
    first.DefineVariable(ptPixel, "Opacity", 0, 4);
    first.SetValue("Opacity", 0.75f, 0);
    TDXShader second("RenderTestCount");
    second.DefineBuffer(ptPixel, 16);
    second.DefineVariable(ptPixel, "Opacity", 0, 4);
    TDXShader bare("RenderTestCount");

    kd::Device& device = *TDXRenderContext::SharedDevice();
    second.Activate();
    ASSERT_EQ(device.constantBuffer(kd::Stage::Pixel), &second.Buffer(ptPixel)->Buffer());
    EXPECT_FLOAT_EQ(FloatAt(*second.Buffer(ptPixel), 0), 0);
    bare.Activate();
    EXPECT_EQ(device.constantBuffer(kd::Stage::Pixel), nullptr);
    bare.Deactivate();
}

TEST_F(IKRender, ShaderCreationErrors) {
    try {
        TDXShader missing("NoSuchProgram");
        ADD_FAILURE();
    } catch (const EDXContextException& e) {
        EXPECT_STREQ(e.what(), "Can't create vertex shader");
    }
    const TIKInputElement wrong[1] = {{"POSITION", 0, 16, 0, 0, 0}};
    try {
        TDXShader shader("RenderTestCount", wrong);
        ADD_FAILURE();
    } catch (const EDXContextException& e) {
        EXPECT_STREQ(e.what(), "Can't create input layout");
    }
    try {
        TDXRenderTexture texture({}, 0, 4, pfBGRA);
        ADD_FAILURE();
    } catch (const EDXContextException& e) {
        EXPECT_STREQ(e.what(), "Can't create texture");
    }
}

// Counts per pixel of a target drawn with `rects`.
std::vector<int> Coverage(int width, int height, const std::vector<TIKRect>& rects) {
    TDXShader counter("RenderTestCount");
    TDXRenderTexture target({}, width, height, pfBGRA);
    TDXRenderHelper& render = target.Render();
    render.BeginRender();
    render.Clear();
    render.SetBlendMode(bmAdditive);
    counter.Activate();
    for (const TIKRect& r : rects)
        render.TexRect(r, {0, 0, 1, 1});
    counter.Deactivate();
    render.EndRender();
    std::vector<int> counts;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            counts.push_back(target.BaseTexture().row(y)[x * 4 + 3]);
    return counts;
}

TEST_F(IKRender, RectanglesCoverEachPixelOnce) {
    for (const int count : Coverage(13, 7, {{0, 0, 13, 7}}))
        ASSERT_EQ(count, 1);
    // Four rectangles meeting on fractional edges, some through pixel centres.
    const std::vector<TIKRect> tiles = {{0, 0, 6.5f, 3.5f},
                                        {6.5f, 0, 13.5f, 3.5f},
                                        {0, 3.5f, 6.5f, 6.5f},
                                        {6.5f, 3.5f, 13.5f, 6.5f}};
    for (const int count : Coverage(20, 10, tiles))
        ASSERT_EQ(count, 1);
    const std::vector<TIKRect> thirds = {{0, 0, 3.3f, 5}, {3.3f, 0, 3.4f, 5}, {6.7f, 0, 3.3f, 5}};
    for (const int count : Coverage(10, 5, thirds))
        ASSERT_EQ(count, 1);
    // A rectangle ending on pixel centres claims the centres of its left and top edges only.
    const std::vector<int> half = Coverage(4, 1, {{0.5f, 0, 2, 1}});
    EXPECT_EQ(half, (std::vector<int>{1, 1, 0, 0}));
}

TEST_F(IKRender, PassesNestAndRestoreTheDeviceState) {
    kd::Device& device = *TDXRenderContext::SharedDevice();
    auto outside = kd::Texture::create(3, 3);
    device.setRenderTarget(outside.get());
    device.setViewport({0, 0, 3, 3});
    TDXRenderTexture texture({}, 8, 4, pfBGRA);
    TDXRenderHelper& render = texture.Render();
    render.BeginRender();
    EXPECT_EQ(device.renderTarget(), &texture.BaseTexture());
    EXPECT_EQ(device.viewport().width, 8);
    render.BeginRender();
    render.EndRender();
    EXPECT_EQ(device.renderTarget(), &texture.BaseTexture());
    render.EndRender();
    EXPECT_EQ(device.renderTarget(), outside.get());
    EXPECT_EQ(device.viewport().width, 3);
    EXPECT_EQ(render.RenderCount(), 0);

    device.setViewport({});
    render.BeginRender();
    render.SetViewport({1.7f, 0, 2.5f, 3.6f});
    EXPECT_EQ(device.viewport().x, 1);
    EXPECT_EQ(device.viewport().width, 2);
    EXPECT_EQ(device.viewport().height, 4);
    render.EndRender();
    EXPECT_EQ(device.viewport().x, 1); // a saved empty viewport is not put back

    TDXRenderHelper orphan(nullptr, 4, 4);
    try {
        orphan.BeginRender();
        ADD_FAILURE();
    } catch (const EDXContextException& e) {
        EXPECT_STREQ(e.what(), "Invalid calling conditions");
    }
    EXPECT_EQ(orphan.RenderCount(), 0);
    device.setViewport({});
}

// A 4 x 3 texture whose pixel (x, y) is B = x, G = y, R = 10 x + y, A = 255.
std::unique_ptr<TDXMapTexture> Numbered() {
    auto texture = std::make_unique<TDXMapTexture>(TIKTextureAttrs{}, 4, 3, pfBGRA);
    std::uint8_t* bits = nullptr;
    int pitch = 0;
    texture->Map(bits, pitch);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = bits + y * pitch + x * 4;
            p[0] = std::uint8_t(x);
            p[1] = std::uint8_t(y);
            p[2] = std::uint8_t(10 * x + y);
            p[3] = 255;
        }
    texture->Unmap();
    return texture;
}

TEST_F(IKRender, ComposedTexturesReadBackWholeFlippedAndInPart) {
    const auto numbered = Numbered();
    const TDXMapTexture& source = *numbered;
    TDXRenderTexture target({taAntialias, taClampBorder}, 4, 3, pfBGRA);
    target.Render().BeginRender();
    target.Render().Clear();
    target.Render().ComposeRect({0, 0, 4, 3}, source);
    target.Render().EndRender();

    std::vector<std::uint8_t> whole(4 * 3 * 4);
    target.ReadPixels(whole.data(), {0, 0, 4, 3}, false);
    EXPECT_EQ(whole[(2 * 4 + 3) * 4 + 2], 32); // R of (3, 2)
    std::vector<std::uint8_t> flipped(whole.size());
    target.ReadPixels(flipped.data(), {0, 0, 4, 3}, true);
    EXPECT_EQ(0, std::memcmp(flipped.data(), whole.data() + 2 * 16, 16));

    std::vector<std::uint8_t> part(whole.size(), 0xEE);
    target.ReadPixels(part.data(), {1, 1, 3, 2}, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = y == 1 && (x == 1 || x == 2);
            const std::uint8_t r = part[std::size_t((y * 4 + x) * 4 + 2)];
            EXPECT_EQ(r, inside ? 10 * x + y : 0xEE) << x << "," << y;
        }

    TDXRenderTexture rgb({}, 4, 3, pfRGB);
    rgb.Render().BeginRender();
    rgb.Render().ComposeRect({0, 0, 4, 3}, source);
    rgb.Render().EndRender();
    std::vector<std::uint8_t> three(4 * 3 * 3);
    rgb.ReadPixels(three.data(), {0, 0, 4, 3}, false);
    EXPECT_EQ(three[(1 * 4 + 2) * 3 + 0], 21); // R of (2, 1) first
    EXPECT_EQ(three[(1 * 4 + 2) * 3 + 2], 2);

    QImage image;
    source.AssignTo(image);
    ASSERT_EQ(image.size(), QSize(4, 3));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(image.pixel(3, 0), qRgba(30, 0, 3, 255));
}

TEST_F(IKRender, SamplersFollowTheTextureAttributes) {
    TDXMapTexture repeat({taTileRepeat, taClampBorder, taAntialias}, 2, 2, pfBGRA);
    repeat.Activate(3);
    const kd::TextureBinding& bound = TDXRenderContext::SharedDevice()->texture(3);
    EXPECT_EQ(bound.sampler.address, kd::Address::Wrap);
    EXPECT_EQ(bound.sampler.filter, kd::Filter::Linear);
    repeat.Deactivate(3);
    EXPECT_EQ(TDXRenderContext::SharedDevice()->texture(3).texture, nullptr);
}

} // namespace
