#include "PixelTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace platform::render;
using namespace rendertest;

namespace {

constexpr uint32_t kRed = 0xffff0000;
constexpr uint32_t kBlue = 0xff0000ff;
constexpr uint32_t kNone = 0;

BrushPtr red() {
    return SolidColorBrush::create({1, 0, 0, 1});
}

GradientStopsPtr blackToWhite() {
    return GradientStopCollection::create({{0, {0, 0, 0, 1}}, {1, {1, 1, 1, 1}}});
}

BitmapPtr solidBitmap(uint32_t w, uint32_t h, uint32_t argb, BitmapProperties props = {}) {
    std::vector<uint32_t> pixels(size_t(w) * h, argb);
    return Bitmap::create({w, h}, props, pixels.data(), int(w * 4));
}

struct DrawCase {
    const char* name;
    std::function<void(DeviceContext&)> draw;
    std::vector<Probe> probes;
    int tolerance = 0;
};

const std::vector<DrawCase>& drawCases() {
    static const std::vector<DrawCase> cases = {
        {"FillRectangle",
         [](DeviceContext& c) {
             c.fillRectangle({2, 2, 6, 6}, *red());
         },
         {{2, 2, kRed}, {5, 5, kRed}, {6, 6, kNone}, {1, 1, kNone}}},
        {"BrushOpacity",
         [](DeviceContext& c) {
             c.fillRectangle({0, 0, 16, 16}, *SolidColorBrush::create({1, 0, 0, 1}, 0.5f));
         },
         {{8, 8, 0x80800000}},
         1},
        {"DrawRectangleStrokesTheEdges",
         [](DeviceContext& c) {
             c.drawRectangle({4, 4, 12, 12}, *red(), 2);
         },
         {{3, 8, kRed}, {4, 8, kRed}, {8, 8, kNone}, {2, 8, kNone}}},
        {"RoundedRectangleCutsCorners",
         [](DeviceContext& c) {
             c.fillRoundedRectangle({{0, 0, 16, 16}, 5, 5}, *red());
         },
         {{0, 0, kNone}, {8, 8, kRed}, {8, 0, kRed}}},
        {"DrawRoundedRectangle",
         [](DeviceContext& c) {
             c.drawRoundedRectangle({{2, 2, 14, 14}, 3, 3}, *red(), 2);
         },
         {{8, 2, kRed}, {8, 8, kNone}}},
        {"FillEllipse",
         [](DeviceContext& c) {
             c.fillEllipse({{8, 8}, 4, 4}, *red());
         },
         {{8, 8, kRed}, {1, 1, kNone}, {14, 8, kNone}}},
        {"DrawEllipse",
         [](DeviceContext& c) {
             c.drawEllipse({{8, 8}, 6, 6}, *red(), 2);
         },
         {{8, 2, kRed}, {8, 8, kNone}}},
        {"DrawLine",
         [](DeviceContext& c) {
             c.drawLine({0, 8}, {16, 8}, *red(), 2);
         },
         {{5, 7, kRed}, {5, 8, kRed}, {5, 5, kNone}, {5, 10, kNone}}},
        {"FillGeometryTriangle",
         [](DeviceContext& c) {
             PathBuilder b;
             b.beginFigure({0, 0});
             b.addLine({16, 0});
             b.addLine({0, 16});
             b.endFigure(FigureEnd::Closed);
             c.fillGeometry(*b.close(), *red());
         },
         {{2, 2, kRed}, {13, 13, kNone}}},
        {"TranslatedFill",
         [](DeviceContext& c) {
             c.setTransform(Matrix3x2::translation(4, 4));
             c.fillRectangle({0, 0, 4, 4}, *red());
         },
         {{5, 5, kRed}, {1, 1, kNone}, {8, 8, kNone}}},
        {"RotatedFill",
         [](DeviceContext& c) {
             c.setTransform(Matrix3x2::rotation(90, {8, 8}));
             c.fillRectangle({8, 6, 16, 10}, *red()); // the band right of the centre goes below it
         },
         {{8, 12, kRed}, {12, 8, kNone}}},
        {"HighDpiScalesDips",
         [](DeviceContext& c) {
             c.setDpi(192, 192);
             c.fillRectangle({0, 0, 4, 4}, *red());
         },
         {{7, 7, kRed}, {8, 8, kNone}}},
        {"AxisAlignedClip",
         [](DeviceContext& c) {
             c.pushAxisAlignedClip({0, 0, 8, 16});
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.popAxisAlignedClip();
         },
         {{4, 4, kRed}, {7, 15, kRed}, {8, 4, kNone}}},
        {"ClearHonoursTheClipNotTheTransform",
         [](DeviceContext& c) {
             c.setTransform(Matrix3x2::scale(0.5f, 0.5f));
             c.pushAxisAlignedClip({0, 0, 16, 16}); // 8x8 pixels after the transform
             c.clear({0, 0, 1, 1});
             c.popAxisAlignedClip();
         },
         {{7, 7, kBlue}, {8, 8, kNone}}},
        {"LinearGradient",
         [](DeviceContext& c) {
             c.fillRectangle({0, 0, 16, 16},
                             *LinearGradientBrush::create({0, 0}, {16, 0}, blackToWhite()));
         },
         {{0, 0, 0xff040404}, {8, 8, 0xff808080}, {15, 0, 0xfff8f8f8}},
         12},
        {"RadialGradient",
         [](DeviceContext& c) {
             auto brush = RadialGradientBrush::create(
                 {8, 8}, {}, 8, 8,
                 GradientStopCollection::create({{0, {1, 1, 1, 1}}, {1, {0, 0, 0, 1}}}));
             c.fillRectangle({0, 0, 16, 16}, *brush);
         },
         {{8, 8, 0xfff0f0f0}, {0, 8, 0xff000000}},
         16},
        {"GradientStopOpacity",
         [](DeviceContext& c) {
             auto stops = GradientStopCollection::create({{0, {1, 0, 0, 0}}, {1, {1, 0, 0, 0}}});
             c.fillRectangle({0, 0, 16, 16}, *LinearGradientBrush::create({0, 0}, {16, 0}, stops));
         },
         {{8, 8, kNone}}},
        {"BitmapBrushTiles",
         [](DeviceContext& c) {
             const uint32_t checker[4] = {kRed, kBlue, kBlue, kRed};
             auto tile = Bitmap::create({2, 2}, {}, checker, 8);
             c.fillRectangle({0, 0, 16, 16}, *BitmapBrush::create(tile));
         },
         {{0, 0, kRed}, {1, 0, kBlue}, {2, 2, kRed}, {3, 2, kBlue}}},
        {"BrushTransformMovesTheGradient",
         [](DeviceContext& c) {
             auto brush = LinearGradientBrush::create({0, 0}, {8, 0}, blackToWhite());
             brush->setTransform(Matrix3x2::translation(8, 0));
             c.fillRectangle({0, 0, 16, 16}, *brush);
         },
         {{4, 0, 0xff000000}, {15, 0, 0xffffffff}},
         24},
        {"DrawBitmapScaledNearest",
         [](DeviceContext& c) {
             c.drawBitmap(*solidBitmap(4, 4, kBlue), RectF{4, 4, 12, 12}, 1,
                          Interpolation::Nearest);
         },
         {{4, 4, kBlue}, {11, 11, kBlue}, {12, 12, kNone}, {3, 3, kNone}}},
        {"DrawBitmapOpacity",
         [](DeviceContext& c) { c.drawBitmap(*solidBitmap(16, 16, kBlue), {}, 0.5f); },
         {{8, 8, 0x80000080}},
         1},
        {"DrawBitmapHonoursItsDpi",
         [](DeviceContext& c) {
             c.drawBitmap(*solidBitmap(8, 8, kBlue, {AlphaMode::Premultiplied, 192, 192}));
         },
         {{3, 3, kBlue}, {5, 5, kNone}}},
        {"DrawImageAtOffset",
         [](DeviceContext& c) {
             c.drawImage(*solidBitmap(4, 4, kBlue), {10, 10});
         },
         {{10, 10, kBlue}, {13, 13, kBlue}, {9, 9, kNone}, {14, 14, kNone}}},
        {"LayerWithGeometricMask",
         [](DeviceContext& c) {
             LayerParameters p;
             p.geometricMask = Geometry::rectangle({0, 0, 8, 16});
             p.maskAntialiasMode = AntialiasMode::Aliased;
             c.pushLayer(p);
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.popLayer();
         },
         {{4, 4, kRed}, {12, 4, kNone}}},
        {"LayerOpacityAndMaskTransform",
         [](DeviceContext& c) {
             LayerParameters p;
             p.geometricMask = Geometry::rectangle({0, 0, 8, 8});
             p.maskTransform = Matrix3x2::translation(8, 8);
             p.opacity = 0.5f;
             c.pushLayer(p);
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.popLayer();
         },
         {{12, 12, 0x80800000}, {4, 4, kNone}},
         1},
        {"NestedLayers",
         [](DeviceContext& c) {
             LayerParameters left;
             left.geometricMask = Geometry::rectangle({0, 0, 8, 16});
             LayerParameters top;
             top.geometricMask = Geometry::rectangle({0, 0, 16, 8});
             c.pushLayer(left);
             c.pushLayer(top);
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.popLayer();
             c.popLayer();
         },
         {{4, 4, kRed}, {12, 4, kNone}, {4, 12, kNone}}},
        {"DashedLine",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.dashStyle = DashStyle::Custom;
             c.drawLine({0, 8.5f}, {16, 8.5f}, *red(), 1, StrokeStyle::create(p, {2, 2}).get());
         },
         {{0, 8, kRed}, {1, 8, kRed}, {2, 8, kNone}, {3, 8, kNone}, {4, 8, kRed}}},
        {"DashOffsetShiftsThePattern",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.dashStyle = DashStyle::Custom;
             p.dashOffset = 2;
             c.drawLine({0, 8.5f}, {16, 8.5f}, *red(), 1, StrokeStyle::create(p, {2, 2}).get());
         },
         {{0, 8, kNone}, {2, 8, kRed}}},
        {"ZeroLengthDashWithSquareCapIsADot",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.dashStyle = DashStyle::Custom;
             p.dashCap = CapStyle::Square;
             c.drawLine({4, 8}, {16, 8}, *red(), 2, StrokeStyle::create(p, {0, 4}).get());
         },
         // dash lengths are in stroke widths: the next dot is 8 DIPs on
         {{4, 8, kRed}, {3, 8, kRed}, {6, 8, kNone}, {8, 8, kNone}, {12, 8, kRed}},
         2},
        {"TriangleEndCapOnceWithATranslucentBrush",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.endCap = CapStyle::Triangle;
             c.drawLine({4, 8}, {12, 8}, *SolidColorBrush::create({1, 0, 0, 1}, 0.5f), 4,
                        StrokeStyle::create(p).get());
         },
         {{3, 8, kNone},
          {11, 8, 0x80800000},
          {12, 8, 0x80800000},
          {12, 7, 0x80800000},
          {13, 6, kNone}},
         1},
        {"DifferentStartAndEndCaps",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.startCap = CapStyle::Square;
             c.drawLine({4, 8}, {12, 8}, *red(), 4, StrokeStyle::create(p).get());
         },
         {{2, 8, kRed}, {1, 8, kNone}, {12, 8, kNone}}},
        {"FixedStrokeKeepsItsPixelWidthUnderScale",
         [](DeviceContext& c) {
             StrokeStyleProperties p;
             p.transformType = StrokeTransformType::Fixed;
             c.setTransform(Matrix3x2::scale(4, 4));
             c.drawLine({0, 2}, {4, 2}, *red(), 2, StrokeStyle::create(p).get());
         },
         {{8, 7, kRed}, {8, 8, kRed}, {8, 5, kNone}, {8, 10, kNone}}},
        {"NormalStrokeScales",
         [](DeviceContext& c) {
             c.setTransform(Matrix3x2::scale(4, 4));
             c.drawLine({0, 2}, {4, 2}, *red(), 2);
         },
         {{8, 5, kRed}, {8, 10, kRed}, {8, 3, kNone}}},
        {"DrawImageScaledNearest",
         [](DeviceContext& c) {
             const uint32_t two[2] = {kRed, kBlue};
             c.setTransform(Matrix3x2::scale(4, 4));
             c.drawImage(*Bitmap::create({2, 1}, {}, two, 8), {}, {}, Interpolation::Nearest);
         },
         {{3, 3, kRed}, {4, 0, kBlue}, {7, 3, kBlue}, {8, 0, kNone}, {0, 4, kNone}}},
        {"AliasedMode",
         [](DeviceContext& c) {
             c.setAntialiasMode(AntialiasMode::Aliased);
             c.fillRectangle({0.6f, 0.6f, 4.4f, 4.4f}, *red());
         },
         {{1, 1, kRed}, {0, 0, kNone}}},
    };
    return cases;
}

class DrawCases : public testing::TestWithParam<size_t> {};

TEST_P(DrawCases, ProducesTheExpectedPixels) {
    const DrawCase& c = drawCases()[GetParam()];
    Canvas canvas;
    canvas.context->beginDraw();
    c.draw(*canvas.context);
    EXPECT_TRUE(canvas.context->endDraw());
    for (const Probe& p : c.probes) {
        const uint32_t got = pixel(*canvas.target, p.x, p.y);
        EXPECT_TRUE(near(got, p.expected, c.tolerance))
            << c.name << " at (" << p.x << "," << p.y << "): got " << hex(got).toStdString()
            << ", expected " << hex(p.expected).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Primitives, DrawCases, testing::Range<size_t>(0, drawCases().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                             return std::string(drawCases()[info.param].name);
                         });

// Dash lengths are stroke widths at every width and zoom, also for strokes no wider than a
// device pixel: dashes {8, 8} with an offset of 8 put the first dash at 8 widths and the
// second at 24, so a stroke w DIPs wide at zoom z shows them from 8 w z and from 24 w z.
TEST(DeviceContext, DashesAreMeasuredInStrokeWidthsEvenWhenThin) {
    struct Case {
        float width, zoom;
        StrokeTransformType type;
    } cases[] = {
        {0.5f, 1, StrokeTransformType::Normal},  {1, 0.5f, StrokeTransformType::Normal},
        {0.25f, 2, StrokeTransformType::Normal}, {2, 0.25f, StrokeTransformType::Normal},
        {1, 1, StrokeTransformType::Normal},     {3, 1, StrokeTransformType::Normal},
        {0.5f, 4, StrokeTransformType::Fixed}, // half a pixel at any zoom
    };
    for (const Case& c : cases) {
        Canvas canvas(256, 8);
        canvas.context->beginDraw();
        canvas.context->setTransform(Matrix3x2::scale(c.zoom, c.zoom));
        StrokeStyleProperties p;
        p.dashStyle = DashStyle::Custom;
        p.dashOffset = 8;
        p.transformType = c.type;
        const float y = 4 / c.zoom;
        canvas.context->drawLine({0, y}, {256 / c.zoom, y}, *red(), c.width,
                                 StrokeStyle::create(p, {8, 8}).get());
        ASSERT_TRUE(canvas.context->endDraw());
        const float unit = c.width * (c.type == StrokeTransformType::Fixed ? 1 : c.zoom);
        auto inked = [&](int x) {
            return (pixel(*canvas.target, x, 3) >> 24) + (pixel(*canvas.target, x, 4) >> 24) > 0;
        };
        std::vector<int> starts;
        for (int x = 0; x < 256; ++x)
            if (inked(x) && (x == 0 || !inked(x - 1)))
                starts.push_back(x);
        ASSERT_GE(starts.size(), 2u) << c.width << " at zoom " << c.zoom;
        EXPECT_NEAR(starts[0], 8 * unit, 1) << c.width << " at zoom " << c.zoom;
        EXPECT_NEAR(starts[1], 24 * unit, 1) << c.width << " at zoom " << c.zoom;
    }
}

TEST(DeviceContext, AlphaIgnoringTargetClearsToOpaqueBlack) {
    Canvas canvas(4, 4, {AlphaMode::Ignore});
    canvas.context->beginDraw();
    canvas.context->clear({0, 0, 0, 0});
    EXPECT_TRUE(canvas.context->endDraw());
    EXPECT_EQ(pixel(*canvas.target, 2, 2), 0xff000000u);
}

TEST(DeviceContext, SetTargetTakesTheBitmapDpi) {
    Canvas canvas;
    auto hi = Bitmap::create({8, 8}, {AlphaMode::Premultiplied, 144, 144, BitmapOptions::Target});
    canvas.context->setTarget(hi);
    EXPECT_FLOAT_EQ(canvas.context->dpiX(), 144);
    EXPECT_FLOAT_EQ(canvas.context->pixelsPerDip(), 1.5f);
    EXPECT_NEAR(canvas.context->size().width, 8 / 1.5, 1e-4);
}

TEST(DeviceContext, PassesNestAroundAnotherTarget) {
    Canvas canvas;
    DeviceContext& c = *canvas.context;
    auto other =
        Bitmap::create({16, 16}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    c.beginDraw();
    c.setTransform(Matrix3x2::translation(2, 2));
    const BitmapPtr saved = c.target();
    const Matrix3x2 savedTransform = c.transform();
    EXPECT_TRUE(c.endDraw());
    c.setTarget(other);
    c.beginDraw();
    c.setTransform({});
    c.fillRectangle({0, 0, 4, 4}, *red());
    EXPECT_TRUE(c.endDraw());
    c.setTarget(saved);
    c.beginDraw();
    c.setTransform(savedTransform);
    c.drawBitmap(*other);
    EXPECT_TRUE(c.endDraw());
    EXPECT_EQ(pixel(*canvas.target, 2, 2), kRed);
    EXPECT_EQ(pixel(*canvas.target, 1, 1), kNone);
    EXPECT_EQ(pixel(*other, 0, 0), kRed);
}

TEST(DeviceContext, MisuseDrawsNothingAndFailsTheNextEndDraw) {
    struct Case {
        const char* name;
        std::function<void(DeviceContext&, const BitmapPtr&)> misuse;
    };
    const Case cases[] = {
        {"draw outside a pass",
         [](DeviceContext& c, const BitmapPtr&) {
             c.endDraw();
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.beginDraw();
             c.fillRectangle({0, 0, 0, 0}, *red());
             c.endDraw();
             c.fillRectangle({0, 0, 16, 16}, *red());
         }},
        {"draw without a target",
         [](DeviceContext& c, const BitmapPtr& t) {
             c.setTarget(nullptr);
             c.fillRectangle({0, 0, 16, 16}, *red());
             c.setTarget(t);
         }},
        {"layer left open", [](DeviceContext& c, const BitmapPtr&) { c.pushLayer({}); }},
        {"pop without push", [](DeviceContext& c, const BitmapPtr&) { c.popLayer(); }},
        {"clip popped as layer",
         [](DeviceContext& c, const BitmapPtr&) {
             c.pushAxisAlignedClip({0, 0, 4, 4});
             c.popLayer();
         }},
        {"cannot-draw bitmap",
         [](DeviceContext& c, const BitmapPtr&) {
             auto b = Bitmap::create({4, 4}, {AlphaMode::Premultiplied, 96, 96,
                                              BitmapOptions::CpuRead | BitmapOptions::CannotDraw});
             c.drawBitmap(*b);
         }},
        {"target drawn into itself",
         [](DeviceContext& c, const BitmapPtr& t) { c.drawBitmap(*t); }},
    };
    for (const Case& test : cases) {
        Canvas canvas;
        canvas.context->beginDraw();
        test.misuse(*canvas.context, canvas.target);
        EXPECT_FALSE(canvas.context->endDraw()) << test.name;
        EXPECT_EQ(pixel(*canvas.target, 8, 8), kNone) << test.name;
    }
}

TEST(DeviceContext, BandedPaintingMatchesOnePainter) {
    // Large primitives are painted in bands on several threads; the seams must not show. Qt's
    // edge coverage of transformed images depends slightly on the painted device's extent:
    // allow 4/255, far below a visible seam.
    const uint32_t side = 1024;
    const int n = int(side);
    Canvas canvas(side, side);
    auto source = Bitmap::create({side, side});
    QImage pattern(n, n, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            pattern.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
    source->copyFromMemory(pattern.constBits(), int(pattern.bytesPerLine()));
    const Matrix3x2 m =
        Matrix3x2::rotation(17, {512, 512}) * Matrix3x2::scale(0.9f, 0.9f, {512, 512});
    canvas.context->beginDraw();
    canvas.context->setTransform(m);
    canvas.context->drawBitmap(*source);
    canvas.context->fillEllipse({{512, 512}, 300, 200}, *SolidColorBrush::create({0, 1, 0, 0.5f}));
    EXPECT_TRUE(canvas.context->endDraw());

    QImage expected(n, n, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter p(&expected);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setTransform(m.toQTransform());
    p.drawImage(QRectF(0, 0, n, n), pattern, QRectF(0, 0, n, n));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 1, 0, 0.5f));
    p.drawEllipse(QPointF(512, 512), 300, 200);
    p.end();
    int mismatches = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            mismatches += !near(pixel(*canvas.target, x, y),
                                reinterpret_cast<const uint32_t*>(expected.constScanLine(y))[x], 4);
    EXPECT_EQ(mismatches, 0);
}

TEST(DeviceContext, CopyFromTargetTakesThePixelsDrawnSoFar) {
    Canvas canvas;
    canvas.context->beginDraw();
    canvas.context->fillRectangle({4, 4, 8, 8}, *red());
    auto copy = Bitmap::create({4, 4}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    EXPECT_TRUE(canvas.context->copyFromTarget(*copy, {0, 0}, {4, 4, 8, 8}));
    EXPECT_TRUE(canvas.context->endDraw());
    EXPECT_EQ(pixel(*copy, 0, 0), kRed);
    EXPECT_EQ(pixel(*copy, 3, 3), kRed);
}

} // namespace
