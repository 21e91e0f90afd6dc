// The filter base with a counting test kernel: lazy rendering once per change, extents and
// target sizes, the registry and kernel cache, chains, and texture channels.
#include "imagekit/IKFilter.h"

#include "imagekit/IKContext.h"
#include "imagekit/IKTextures.h"
#include "platform/kitdevice/Device.h"

#include <gtest/gtest.h>
#include <optional>

namespace kd = platform::kitdevice;

namespace {

// The input of channel 0 times "Amount".
void ScaledPixels(const kd::PixelSpan& span, kd::Color4* out) {
    span.sample(0, out);
    const auto amount = span.constant<float>(0);
    for (int i = 0; i < span.count; ++i)
        out[i] = {out[i].r * amount, out[i].g * amount, out[i].b * amount, out[i].a * amount};
}

std::unique_ptr<TIKProgram> MakeScaleKernel() {
    kd::registerProgram("FilterTestScale", {kd::flipVertex, ScaledPixels});
    auto shader = std::make_unique<TDXShader>("FilterTestScale");
    shader->DefineBuffer(ptPixel, 16);
    shader->DefineVariable(ptPixel, "Amount", 0, 4);
    return shader;
}

// Scales its input; counts its draws. The output extent is the input's unless one is forced.
class TCountingFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(double Amount MEMBER FAmount)

public:
    TCountingFilter() : FKernel(&Kernel("TCountingFilter", MakeScaleKernel)) { Defaults(); }
    static QString Category() { return "Test"; }
    void Defaults() override {
        FInputImage = EmptyImage();
        FAmount = 1;
    }
    TIKImage* GetOutputImage() override {
        const TIKRect in = InputExtent(FInputImage);
        const TIKRect out = Forced ? *Forced : in;
        return RenderKernel(
            *FKernel, IKRenderInfo(out, {in.X - out.X, in.Y - out.Y, in.Width, in.Height}, Prepare),
            {"InputImage", "Amount"});
    }
    void Draw(TIKProgram& program, const TIKRenderInfo& info) override {
        ++Draws;
        TIKFilter::Draw(program, info);
    }

    TIKImage* FInputImage = nullptr;
    double FAmount = 1;
    TIKProgram* FKernel;
    std::optional<TIKRect> Forced;
    std::function<void(TIKProgram&, int)> Prepare;
    int Draws = 0;
};

class TOtherFilter : public TCountingFilter {
    Q_OBJECT

public:
    static QString Category() { return "Other"; }
};

// Two image inputs; records the textures bound while it draws.
class TTwoInputFilter : public TIKFilter {
    Q_OBJECT
    Q_PROPERTY(TIKImage* InputImage MEMBER FInputImage)
    Q_PROPERTY(TIKImage* InputBackgroundImage MEMBER FBackground)

public:
    TTwoInputFilter() : FKernel(&Kernel("TCountingFilter", MakeScaleKernel)) {
        FInputImage = EmptyImage();
        FBackground = EmptyImage();
    }
    TIKImage* GetOutputImage() override {
        const TIKRect out{0, 0, 4, 4};
        return RenderKernel(*FKernel,
                            IKRenderInfo(out, out,
                                         [this](TIKProgram&, int) {
                                             Bound = {kd::Device::shared().texture(0).texture,
                                                      kd::Device::shared().texture(1).texture};
                                         }),
                            {"InputImage", "InputBackgroundImage"});
    }
    TIKImage* FInputImage;
    TIKImage* FBackground;
    TIKProgram* FKernel;
    std::pair<const kd::Texture*, const kd::Texture*> Bound{};
};

std::unique_ptr<TIKImage> Solid(int width, int height, QRgb color) {
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(color);
    return TIKImage::CreateWithGPBitmap(picture);
}

template <class F> std::string ErrorOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(IKFilter, OutsideAContextOnlyTheExtentIsComputed) {
    auto input = Solid(5, 3, qRgb(200, 0, 0));
    TCountingFilter filter;
    filter.SetValue("InputImage", TIKValue(static_cast<QObject*>(input.get())));
    TIKImage* output = filter.OutputImage();
    EXPECT_TRUE(IKSameRect(output->Extent(), {0, 0, 5, 3}));
    EXPECT_EQ(output->Texture(), nullptr);
    EXPECT_EQ(filter.Draws, 0);
    EXPECT_EQ(output->Filter(), &filter);
}

TEST(IKFilter, RendersOncePerChangeWithTheKernelsPixels) {
    auto input = Solid(4, 2, qRgb(200, 100, 0));
    TCountingFilter filter;
    filter.SetValue("InputImage", TIKValue(static_cast<QObject*>(input.get())));
    filter.SetValue("Amount", TIKValue(0.5));
    TIKImage* output = filter.OutputImage();
    EXPECT_EQ(output->Bitmap().pixel(1, 1), qRgba(100, 50, 0, 128));
    output->Bitmap();
    EXPECT_EQ(filter.Draws, 1);
    filter.SetValue("Amount", TIKValue(1.0));
    EXPECT_EQ(output->Bitmap().pixel(3, 0), qRgb(200, 100, 0));
    EXPECT_EQ(filter.Draws, 2);
}

TEST(IKFilter, OutputSizesAndLimits) {
    auto input = Solid(2, 2, qRgb(0, 0, 255));
    TCountingFilter filter;
    filter.FInputImage = input.get();
    TIKNullContext context;
    context.BeginDraw();
    filter.Forced = TIKRect{0, 0, 100.4f, 50.6f};
    filter.ValueChanged();
    filter.OutputImage();
    ASSERT_NE(filter.OutputImage()->Texture(), nullptr);
    EXPECT_EQ(filter.OutputImage()->Texture()->Width(), 100);
    EXPECT_EQ(filter.OutputImage()->Texture()->Height(), 51);

    filter.Forced = TIKRect{0, 0, 8192, 10};
    filter.ValueChanged();
    EXPECT_EQ(filter.OutputImage()->Texture()->Width(), 8192);
    filter.Forced = TIKRect{0, 0, 8192.5f, 10};
    filter.ValueChanged();
    EXPECT_EQ(ErrorOf([&] { filter.OutputImage(); }), "Invalid output extent size");

    const int draws = filter.Draws;
    filter.Forced = TIKRect{0, 0, 0, 10};
    filter.ValueChanged();
    filter.OutputImage();
    EXPECT_EQ(filter.Draws, draws);
    // The output without area shows nothing of the earlier one.
    EXPECT_TRUE(IKSameRect(filter.OutputImage()->Extent(), {0, 0, 0, 10}));
    EXPECT_EQ(filter.OutputImage()->Texture(), nullptr);
    context.EndDraw();
}

TEST(IKFilter, AFailedTargetReplacementLeavesNoFreedTexture) {
    auto input = Solid(10, 10, qRgb(0, 255, 0));
    TCountingFilter filter;
    filter.FInputImage = input.get();
    ASSERT_FALSE(filter.OutputImage()->Bitmap().isNull());
    // 0.3 pixels round to a target without pixels: its creation fails.
    filter.Forced = TIKRect{0, 0, 0.3f, 10};
    filter.ValueChanged();
    EXPECT_EQ(ErrorOf([&] { filter.OutputImage()->Bitmap(); }), "Can't create texture");
    EXPECT_EQ(filter.OutputImage()->Texture(), nullptr);
    filter.Forced.reset();
    filter.ValueChanged();
    EXPECT_EQ(filter.OutputImage()->Bitmap().size(), QSize(10, 10));
}

TEST(IKFilter, AnEmptyExtentGivesAnEmptyBitmap) {
    TCountingFilter filter;
    EXPECT_TRUE(filter.OutputImage()->Bitmap().isNull());
    std::uint8_t pixel[4];
    EXPECT_EQ(ErrorOf([&] { filter.OutputImage()->ReadBits(pixel, pfBGRA); }), "Nothing to read");
}

TEST(IKFilter, ChangesUpstreamRenderDownstreamAtFreshExtents) {
    auto small = Solid(4, 4, qRgb(200, 0, 0));
    TCountingFilter first;
    first.SetValue("InputImage", TIKValue(static_cast<QObject*>(small.get())));
    TCountingFilter second;
    second.SetValue("InputImage", TIKValue(static_cast<QObject*>(first.OutputImage())));
    EXPECT_EQ(second.OutputImage()->Bitmap().pixel(0, 0), qRgb(200, 0, 0));

    first.SetValue("Amount", TIKValue(0.5));
    EXPECT_EQ(second.OutputImage()->Bitmap().pixel(0, 0), qRgba(100, 0, 0, 128));
    EXPECT_EQ(second.Draws, 2);

    auto large = Solid(8, 6, qRgb(0, 0, 200));
    first.SetValue("InputImage", TIKValue(static_cast<QObject*>(large.get())));
    const QImage& bitmap = second.OutputImage()->Bitmap();
    EXPECT_EQ(bitmap.size(), QSize(8, 6));
    EXPECT_EQ(bitmap.pixel(7, 5), qRgba(0, 0, 100, 128));

    second.OutputImage()->Bitmap();
    EXPECT_EQ(first.Draws, 3);
    EXPECT_EQ(second.Draws, 3);
}

TEST(IKFilter, ImageInputsTakeChannelsInOrder) {
    auto background = Solid(4, 4, qRgb(1, 2, 3));
    TTwoInputFilter filter;
    filter.FBackground = background.get();
    filter.OutputImage()->Bitmap();
    EXPECT_EQ(filter.Bound.first, nullptr);
    ASSERT_NE(filter.Bound.second, nullptr);
    EXPECT_EQ(filter.Bound.second->width(), 4);
}

TEST(IKFilterRegistry, ByNameFirstWinsAndCategoriesOfTheirOwn) {
    TIKFilter::RegisterFilter<TCountingFilter>("TestCounting");
    TIKFilter::RegisterFilter<TOtherFilter>("testcounting");
    TIKFilter::RegisterFilter<TOtherFilter>("TestOther");
    auto made = TIKFilter::CreateWithName("TESTCOUNTING");
    EXPECT_EQ(made->metaObject(), &TCountingFilter::staticMetaObject);
    EXPECT_EQ(ErrorOf([] { TIKFilter::CreateWithName("Nothing"); }), "Filter Nothing not found");

    const QStringList names = TIKFilter::FilterNamesInCategory("test");
    const QStringList categories = TIKFilter::FilterCategories();
    EXPECT_EQ(names, QStringList({"TestCounting"}));
    EXPECT_TRUE(categories.contains("Test"));
    EXPECT_TRUE(categories.contains("Other"));
    EXPECT_TRUE(TIKFilter::FilterNames().contains("TestOther"));
}

TEST(IKFilterRegistry, InstancesOfAClassShareOneKernel) {
    TIKProgram* kernel = nullptr;
    {
        TCountingFilter one;
        TCountingFilter two;
        EXPECT_EQ(one.FKernel, two.FKernel);
        kernel = one.FKernel;
    }
    TCountingFilter later;
    EXPECT_EQ(later.FKernel, kernel);
    EXPECT_EQ(later.PropertyNames(), QStringList({"InputImage", "Amount"}));
}

} // namespace

#include "IKFilterTest.moc"
