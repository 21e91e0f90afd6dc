// The pixel programs of the custom effects on small images: identity settings, extremes and
// pixels worked out by hand or by a formula written here.
#include "graphics/URCEChromakey.h"
#include "graphics/URCECircular.h"
#include "graphics/URCEContrast.h"
#include "graphics/URCEDissolve.h"
#include "graphics/URCEFisheyelens.h"
#include "graphics/URCEGenie.h"
#include "graphics/URCEGrayscale.h"
#include "graphics/URCEMagnify.h"
#include "graphics/URCEOpacity.h"
#include "graphics/URCEPixelate.h"
#include "graphics/URCERadialblur.h"
#include "graphics/URCERipple.h"
#include "graphics/URCESpinBlur.h"
#include "graphics/URCESwirl.h"
#include "graphics/URCustomEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace effectstest;

namespace {

using Values = std::vector<std::pair<int, PropertyValue>>;

struct Probe {
    int x, y;
    uint32_t expected;
};

struct KernelCase {
    const char* what;
    QUuid id;
    BitmapPtr input;
    Values values;
    std::vector<Probe> probes;
    int tolerance = 1;
    BitmapPtr second = nullptr;
};

// Red, green / blue, white.
BitmapPtr quad() {
    return bitmapFrom(2, 2, [](int x, int y) {
        const uint32_t p[4] = {opaque(255, 0, 0), opaque(0, 255, 0), opaque(0, 0, 255), grey(255)};
        return p[y * 2 + x];
    });
}
BitmapPtr flat(int w, int h, uint32_t p) {
    return bitmapFrom(w, h, [p](int, int) { return p; });
}
// Red rising by 20 a pixel from 20: at continuous x (pixel centres at i + 0.5) the bilinear
// value is 20 (x - 0.5) + 20 between the first and last centre.
BitmapPtr ramp(int w) {
    return bitmapFrom(w, 1, [](int x, int) { return opaque(20 * x + 20, 0, 0); });
}
uint32_t rampAt(double x) {
    return opaque(int(std::lround(20 * (x - 0.5) + 20)), 0, 0);
}
// A 4 x 4 of distinct colours.
BitmapPtr tiles() {
    return bitmapFrom(4, 4,
                      [](int x, int y) { return opaque(60 * x, 60 * y, 200 - 30 * (x + y)); });
}

std::vector<KernelCase> cases() {
    const float pi = std::numbers::pi_v<float>;
    const uint32_t white = grey(255);
    std::vector<KernelCase> c = {
        // Opacity
        {"opacity 1", CLSID_CEOpacity, quad(), {}, {{0, 0, opaque(255, 0, 0)}, {1, 1, white}}},
        {"opacity 0", CLSID_CEOpacity, quad(), {{0, 0.0f}}, {{0, 0, 0}, {1, 1, 0}}},
        {"opacity quarter", CLSID_CEOpacity, quad(), {{0, 0.25f}}, {{1, 1, 0x40404040u}}},
        // Contrast: (c - 0.5) x (1 + contrast) + 0.5 + brightness
        {"contrast neutral", CLSID_CEContrast, flat(1, 1, grey(64)), {}, {{0, 0, grey(64)}}},
        {"contrast 1", CLSID_CEContrast, flat(1, 1, grey(64)), {{0, 1.0f}}, {{0, 0, grey(0)}}},
        {"contrast 2 (top of the range)",
         CLSID_CEContrast,
         flat(1, 1, grey(160)),
         {{0, 2.0f}},
         {{0, 0, grey(225)}}},
        {"contrast -0.25 (bottom of the range)",
         CLSID_CEContrast,
         flat(1, 1, grey(64)),
         {{0, -0.25f}},
         {{0, 0, grey(80)}}},
        {"contrast -1 flattens",
         CLSID_CEContrast,
         quad(),
         {{0, -1.0f}},
         {{0, 0, grey(128)}, {1, 1, grey(128)}}},
        {"brightness 1", CLSID_CEContrast, flat(1, 1, grey(0)), {{1, 1.0f}}, {{0, 0, white}}},
        {"brightness -0.5", CLSID_CEContrast, flat(1, 1, white), {{1, -0.5f}}, {{0, 0, grey(128)}}},
        {"brightness keeps alpha",
         CLSID_CEContrast,
         flat(1, 1, straight(128, 255, 0, 0)),
         {{1, 0.2f}},
         {{0, 0, 0x80801a1au}}},
        // Chroma-Key (0..255 scale)
        {"chroma-key initial values key all but black",
         CLSID_CEChromakey,
         quad(),
         {},
         {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
        {"chroma-key green",
         CLSID_CEChromakey,
         quad(),
         {{0, 10.0f}, {2, 255.0f}, {4, 0.0f}},
         {{0, 0, opaque(255, 0, 0)}, {1, 0, 0}, {1, 1, white}}},
        {"chroma-key near green",
         CLSID_CEChromakey,
         flat(1, 1, opaque(10, 250, 5)),
         {{0, 10.0f}, {2, 255.0f}, {4, 0.0f}},
         {{0, 0, 0}}},
        {"chroma-key inverted",
         CLSID_CEChromakey,
         quad(),
         {{0, 10.0f}, {2, 255.0f}, {4, 1.0f}},
         {{0, 0, 0}, {1, 0, opaque(0, 255, 0)}}},
        {"chroma-key tolerance 255",
         CLSID_CEChromakey,
         quad(),
         {{0, 255.0f}, {4, 0.0f}},
         {{0, 0, 0}, {1, 1, 0}}},
        // Pixelate on grey(16 x + 64 y)
        {"pixelate 2",
         CLSID_CEPixelate,
         bitmapFrom(4, 4, [](int x, int y) { return grey(16 * x + 64 * y); }),
         {{0, 2.0f}},
         {{0, 0, grey(40)}, {1, 1, grey(40)}, {2, 0, grey(72)}, {3, 3, grey(200)}}},
        {"pixelate 0",
         CLSID_CEPixelate,
         bitmapFrom(4, 4, [](int x, int y) { return grey(16 * x + 64 * y); }),
         {},
         {{1, 1, grey(80)}}},
        {"pixelate 3, partial last block",
         CLSID_CEPixelate,
         bitmapFrom(4, 4, [](int x, int y) { return grey(16 * x + 64 * y); }),
         {{0, 3.0f}},
         {{0, 0, grey(80)}, {3, 3, grey(240)}, {3, 0, grey(112)}}},
        {"pixelate inside MaxWidth x MaxHeight",
         CLSID_CEPixelate,
         bitmapFrom(4, 4, [](int x, int y) { return grey(16 * x + 64 * y); }),
         {{0, 2.0f}, {1, 2.0f}, {2, 2.0f}},
         {{0, 0, grey(40)}, {2, 0, grey(32)}}},
        // Magnify about (2, 0.5) on the ramp
        {"magnify twice",
         CLSID_CEMagnify,
         ramp(4),
         {{0, 0.5f}, {1, Vector2{2, 0.5f}}},
         {{0, 0, rampAt(1.25)}, {3, 0, rampAt(2.75)}}},
        {"magnify inside the lens only",
         CLSID_CEMagnify,
         ramp(4),
         {{0, 0.5f}, {1, Vector2{2, 0.5f}}, {2, 1.0f}},
         {{0, 0, rampAt(0.5)}, {1, 0, rampAt(1.75)}}},
        {"magnify unset", CLSID_CEMagnify, ramp(4), {}, {{1, 0, rampAt(1.5)}}},
        // Swirl of half a turn everywhere inside the inner radius: a point reflection
        {"swirl half turn",
         CLSID_CESwirl,
         tiles(),
         {{0, pi}, {1, Vector2{2, 2}}, {2, 100.0f}, {3, 100.0f}},
         {{0, 0, opaque(180, 180, 20)}, {3, 0, opaque(0, 180, 110)}, {1, 2, opaque(120, 60, 110)}},
         2},
        {"swirl without radius",
         CLSID_CESwirl,
         tiles(),
         {{0, pi}, {1, Vector2{2, 2}}},
         {{0, 0, opaque(0, 0, 200)}}},
        // Fisheye: d x (d / R) ^ size
        {"fisheye",
         CLSID_CEFisheyelens,
         ramp(8),
         {{0, 1.0f}, {1, Vector2{4, 0.5f}}, {2, 4.0f}},
         {{6, 0, rampAt(4 + 2.5 * (2.5 / 4))},
          {2, 0, rampAt(4 - 1.5 * (1.5 / 4))},
          {0, 0, rampAt(4 - 3.5 * (3.5 / 4))}}},
        {"fisheye strength 0",
         CLSID_CEFisheyelens,
         ramp(8),
         {{1, Vector2{4, 0.5f}}},
         {{6, 0, rampAt(6.5)}}},
        // Radial blur: the mean of the ramp over the first quarter of the way to the centre
        {"radial blur",
         CLSID_CERadialblur,
         ramp(9),
         {{0, 1.0f}, {1, Vector2{4.5f, 0.5f}}},
         {{8, 0, rampAt(8.0)}, {0, 0, rampAt(1.0)}, {4, 0, rampAt(4.5)}}},
        {"radial blur of a flat image",
         CLSID_CERadialblur,
         flat(6, 6, grey(100)),
         {{0, 1.0f}, {1, Vector2{3, 3}}},
         {{0, 0, grey(100)}, {5, 2, grey(100)}}},
        {"radial blur beyond the radius",
         CLSID_CERadialblur,
         ramp(9),
         {{0, 1.0f}, {1, Vector2{4.5f, 0.5f}}, {2, 2.0f}},
         {{8, 0, rampAt(8.5)}}},
        // Spin blur
        {"spin blur of a flat image",
         CLSID_CESpinBlur,
         flat(6, 6, grey(100)),
         {{0, pi}, {1, Vector2{3, 3}}, {3, 6.0f}, {4, 6.0f}},
         {{0, 0, grey(100)}, {5, 5, grey(100)}}},
        {"spin blur 0",
         CLSID_CESpinBlur,
         tiles(),
         {{1, Vector2{2, 2}}},
         {{3, 1, opaque(180, 60, 80)}}},
        // Grayscale (0.299, 0.587, 0.114)
        {"grayscale 0", CLSID_CEGrayscale, quad(), {{0, 0.0f}}, {{0, 0, opaque(255, 0, 0)}}},
        {"grayscale 1",
         CLSID_CEGrayscale,
         quad(),
         {},
         {{0, 0, grey(76)}, {1, 0, grey(150)}, {0, 1, grey(29)}}},
        {"grayscale half",
         CLSID_CEGrayscale,
         quad(),
         {{0, 0.5f}},
         {{0, 0, opaque(0xa6, 0x26, 0x26)}}},
        // Genie
        {"genie 0", CLSID_CEGenie, tiles(), {}, {{2, 1, opaque(120, 60, 110)}}},
        {"genie 1", CLSID_CEGenie, tiles(), {{0, 1.0f}}, {{2, 1, 0}, {2, 3, 0}}},
        {"genie half",
         CLSID_CEGenie,
         flat(4, 4, grey(255)),
         {{0, 0.5f}, {1, 0.5f}},
         {{1, 0, 0}, {1, 1, 0}, {0, 3, 0}, {1, 3, grey(255)}}},
        // Circular on an 8 x 8 white image
        {"circle",
         CLSID_CECircular,
         flat(8, 8, white),
         {{2, Vector2{4, 4}}, {3, 2.0f}},
         {{4, 4, white}, {0, 0, 0}, {6, 4, 0}}},
        {"circle inverted",
         CLSID_CECircular,
         flat(8, 8, white),
         {{2, Vector2{4, 4}}, {3, 2.0f}, {5, 1.0f}},
         {{4, 4, 0}, {0, 0, white}}},
        {"rectangle",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 1.0f}, {6, Vector4{2, 2, 6, 6}}},
         {{1, 1, 0}, {2, 2, white}, {5, 5, white}, {6, 5, 0}}},
        {"wipe, right edge moving",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 2.0f}, {6, Vector4{0, 0, 4, 8}}},
         {{3, 0, white}, {3, 5, white}, {4, 0, 0}}},
        {"wipe, left edge moving",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 3.0f}, {6, Vector4{4, 0, 8, 8}}},
         {{3, 0, 0}, {4, 7, white}}},
        {"wipe, bottom edge moving",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 4.0f}, {6, Vector4{0, 0, 8, 3}}},
         {{0, 2, white}, {0, 3, 0}}},
        // The band lies beyond the moving edge (x = 4), on the hidden side: at pixel centre
        // x + 0.5 it is 1 - (x + 0.5 - 4) / 2 of the way from the far side to the edge.
        {"alpha gradient border",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 2.0f}, {6, Vector4{0, 0, 4, 8}}, {4, 2.0f}},
         {{3, 0, white}, {4, 0, 0xbfbfbfbfu}, {5, 0, 0x40404040u}, {6, 0, 0}}},
        {"solid border",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 2.0f}, {6, Vector4{0, 0, 4, 8}}, {4, 2.0f}, {7, 1.0f}},
         {{3, 0, white}, {4, 0, opaque(255, 0, 0)}, {5, 0, opaque(255, 0, 0)}, {6, 0, 0}}},
        {"colour gradient border",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 2.0f}, {6, Vector4{0, 0, 4, 8}}, {4, 2.0f}, {7, 2.0f}, {8, 0.0f}, {10, 1.0f}},
         {{5, 0, 0xff4040ffu}, {4, 0, 0xffbfbfffu}}},
        // Inverted, the band lies outside the hidden circle of radius 2, on the visible side.
        {"inverted circle, solid border",
         CLSID_CECircular,
         flat(8, 8, white),
         {{2, Vector2{4, 4}}, {3, 2.0f}, {4, 2.0f}, {5, 1.0f}, {7, 1.0f}},
         {{4, 4, 0}, {6, 4, opaque(255, 0, 0)}, {7, 7, white}}},
        {"border never wider than the shape",
         CLSID_CECircular,
         flat(8, 8, white),
         {{0, 2.0f}, {6, Vector4{0, 0, 1, 8}}, {4, 4.0f}, {7, 1.0f}},
         {{0, 0, white}, {1, 0, opaque(255, 0, 0)}, {2, 0, 0}}},
        {"reflection band",
         CLSID_CECircular,
         flat(1, 10, white),
         {{0, 6.0f}, {4, 4.0f}, {8, 0.5f}, {9, 10.0f}},
         {{0, 9, 0x70707070u}, {0, 6, 0x10101010u}, {0, 5, 0}}},
        {"unknown type", CLSID_CECircular, flat(2, 2, white), {{0, 9.0f}}, {{1, 1, white}}},
        // Ripple: frequency 0, phase pi / 2 and spread 1 give a shift of amplitude / 10 x (1 - u)
        {"ripple without amplitude",
         CLSID_CERipple,
         tiles(),
         {{2, 0.0f}, {4, 1.0f}, {5, 1.0f}},
         {{2, 2, opaque(120, 120, 80)}}},
        {"ripple far away",
         CLSID_CERipple,
         tiles(),
         {{4, 1000.0f}, {5, 1000.0f}},
         {{1, 3, opaque(60, 180, 80)}}},
        {"ripple known shift",
         CLSID_CERipple,
         ramp(8),
         {{0, 0.0f}, {1, pi / 2}, {2, 10.0f}, {3, 1.0f}, {4, 0.5f}, {5, 0.5f}},
         {{4, 0, rampAt(4.5 - (1 - 4.0 / 192))}}},
    };
    // Dissolve: the threshold against a fixed noise of reds 0, 64, 128, 255.
    const BitmapPtr noise =
        bitmapFrom(4, 1, [](int x, int) { return opaque(std::min(64 * x, 255), 0, 0); });
    for (const auto& [threshold, visible] :
         std::vector<std::pair<float, int>>{{0, 0}, {0.3f, 2}, {0.6f, 3}, {1, 4}}) {
        KernelCase k{"dissolve", CLSID_CEDissolve, flat(4, 1, white), {{0, threshold}}, {}, 0,
                     noise};
        for (int x = 0; x < 4; ++x)
            k.probes.push_back({x, 0, x < visible ? white : 0});
        c.push_back(k);
    }
    return c;
}

} // namespace

TEST(CustomEffectKernels, CaseTable) {
    FactoryPtr f = Factory::create();
    QString tag;
    ASSERT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    for (const KernelCase& c : cases()) {
        const EffectPtr e = effectOn(f, c.id, c.input);
        ASSERT_TRUE(e) << c.what;
        if (c.second)
            e->setInput(1, c.second);
        for (const auto& [index, value] : c.values)
            ASSERT_TRUE(e->setValue(index, value)) << c.what << " property " << index;
        const ImageTile out = e->render(c.input->bounds());
        for (const Probe& p : c.probes) {
            const uint32_t got = out.pixelAt(p.x, p.y);
            EXPECT_TRUE(near(got, p.expected, c.tolerance))
                << c.what << " at (" << p.x << ", " << p.y << "): " << hex(got).toStdString()
                << ", expected " << hex(p.expected).toStdString();
        }
    }
}

TEST(CustomEffectKernels, WarpsDrawARegionAsTheWholeImageDoes) {
    FactoryPtr f = Factory::create();
    QString tag;
    ASSERT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    const BitmapPtr input = noiseBitmap(40, 30);
    struct Case {
        QUuid id;
        Values values;
    };
    const Case cases[] = {
        {CLSID_CESwirl, {{0, 3.0f}, {1, Vector2{20, 15}}, {2, 15.0f}, {4, 40.0f}, {5, 30.0f}}},
        {CLSID_CEPixelate, {{0, 7.0f}}},
        {CLSID_CESpinBlur, {{0, 2.0f}, {1, Vector2{20, 15}}}},
        {CLSID_CEGenie, {{0, 0.4f}, {1, 0.9f}}},
    };
    const RectL part{7, 5, 26, 19};
    for (const Case& c : cases) {
        const EffectPtr e = effectOn(f, c.id, input);
        for (const auto& [index, value] : c.values)
            e->setValue(index, value);
        EXPECT_TRUE(tilesNear(e->render(part), e->render(input->bounds()), part, 0));
    }
}

// Every mask the transitions make, at its ends: t = 1 shows the picture untouched and t = 0
// hides all of it, with or without a border of any type. The values are set as the circle,
// rectangle and wipe transitions set them for a picture of W x H.
TEST(CustomEffectKernels, CircularMasksAreFullyOpenAtTheEndAndClosedAtTheStart) {
    FactoryPtr f = Factory::create();
    QString tag;
    ASSERT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    constexpr float W = 9, H = 6;
    const BitmapPtr input = noiseBitmap(int(W), int(H));
    struct Mask {
        const char* what;
        std::function<Values(float t)> values;
    };
    auto circle = [&](Vector2 c, bool inv) {
        const float far = std::max({std::hypot(c.x, c.y), std::hypot(W - c.x, c.y),
                                    std::hypot(c.x, H - c.y), std::hypot(W - c.x, H - c.y)});
        return [=](float t) {
            return Values{{0, 0.0f}, {2, c}, {3, far * (inv ? 1 - t : t)}, {5, inv ? 1.0f : 0.0f}};
        };
    };
    auto rectangle = [&](Vector2 c, bool inv) {
        return [=](float t) {
            const float k = inv ? 1 - t : t;
            const float hx = std::max(std::abs(W - c.x), c.x) * k;
            const float hy = std::max(std::abs(H - c.y), c.y) * k;
            return Values{{0, 1.0f},
                          {2, c},
                          {6, Vector4{c.x - hx, c.y - hy, c.x + hx, c.y + hy}},
                          {5, inv ? 1.0f : 0.0f}};
        };
    };
    auto wipe = [](float type, std::function<Vector4(float t)> rect) {
        return [=](float t) { return Values{{0, type}, {6, rect(t)}, {5, 0.0f}}; };
    };
    const Vector2 middle{W / 2, H / 2}, upperRight{7, 1};
    const Mask masks[] = {
        {"circle open", circle(middle, false)},
        {"circle close", circle(middle, true)},
        {"circle open, upper right", circle(upperRight, false)},
        {"circle close, upper right", circle(upperRight, true)},
        {"rectangle open", rectangle(middle, false)},
        {"rectangle close", rectangle(middle, true)},
        {"rectangle open, upper right", rectangle(upperRight, false)},
        {"rectangle close, upper right", rectangle(upperRight, true)},
        {"wipe right", wipe(2,
                            [&](float t) {
                                return Vector4{0, 0, W * t, H};
                            })},
        {"wipe left", wipe(3,
                           [&](float t) {
                               return Vector4{W - W * t, 0, W, H};
                           })},
        {"wipe down", wipe(4,
                           [&](float t) {
                               return Vector4{0, 0, W, H * t};
                           })},
        {"wipe up", wipe(5,
                         [&](float t) {
                             return Vector4{0, H - H * t, W, H};
                         })},
    };
    const BitmapPtr empty = flat(int(W), int(H), 0);
    for (const Mask& m : masks)
        for (float border : {0.0f, 3.0f})
            for (float borderType : {0.0f, 1.0f, 2.0f})
                for (float t : {0.0f, 1.0f}) {
                    const EffectPtr e = effectOn(f, CLSID_CECircular, input);
                    Values values = m.values(t);
                    values.insert(values.end(),
                                  {{4, border}, {7, borderType}, {8, 0.0f}, {9, 1.0f}, {10, 0.0f}});
                    for (const auto& [index, value] : values)
                        ASSERT_TRUE(e->setValue(index, value));
                    const BitmapPtr& expected = t == 1 ? input : empty;
                    EXPECT_TRUE(tilesNear(e->render(input->bounds()),
                                          expected->render(input->bounds()), input->bounds(), 0))
                        << m.what << ", border " << border << " of type " << borderType
                        << ", t = " << t;
                }
}

namespace {

// The mean of bilinear samples of `src` (pixel centres at i + 0.5, transparent outside) at
// `points`, worked out in double precision, rounded to bytes.
uint32_t meanOfSamples(const ImageTile& src, const std::vector<std::array<double, 2>>& points) {
    std::array<double, 4> sum{};
    for (const auto& [x, y] : points) {
        const double fx = x - 0.5, fy = y - 0.5;
        const double x0 = std::floor(fx), y0 = std::floor(fy), tx = fx - x0, ty = fy - y0;
        const double w[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
        for (int k = 0; k < 4; ++k) {
            const uint32_t p = src.pixelAt(int32_t(x0) + k % 2, int32_t(y0) + k / 2);
            for (int c = 0; c < 4; ++c)
                sum[size_t(c)] += w[k] * channel(p, 8 * c);
        }
    }
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c)
        out |= uint32_t(std::lround(sum[size_t(c)] / double(points.size()))) << (8 * c);
    return out;
}

// Spin blur: ceil(d x arc + 1) samples (2 to 32) evenly over the arc of Size / 8 radians
// centred on the pixel, turned clockwise on screen, each limited to the image when asked.
std::vector<std::array<double, 2>> spinSamples(double x, double y, double cx, double cy,
                                               double size, double limitW, double limitH) {
    const double arc = size / 8, dx = x - cx, dy = y - cy, d = std::hypot(dx, dy);
    const int n = std::clamp(int(std::ceil(d * arc + 1)), 2, 32);
    std::vector<std::array<double, 2>> points;
    for (int k = 0; k < n; ++k) {
        const double a = -arc / 2 + arc * k / (n - 1);
        double px = cx + dx * std::cos(a) - dy * std::sin(a);
        double py = cy + dx * std::sin(a) + dy * std::cos(a);
        if (limitW > 0 && limitH > 0) {
            px = std::clamp(px, 0.5, limitW - 0.5);
            py = std::clamp(py, 0.5, limitH - 0.5);
        }
        points.push_back({px, py});
    }
    return points;
}

// Radial blur: ceil(d x Size / 4 + 1) samples (2 to 16) from the pixel over Size / 4 of its
// way to the centre.
std::vector<std::array<double, 2>> radialSamples(double x, double y, double cx, double cy,
                                                 double size) {
    const double reach = size / 4, d = std::hypot(cx - x, cy - y);
    const int n = std::clamp(int(std::ceil(d * reach + 1)), 2, 16);
    std::vector<std::array<double, 2>> points;
    for (int k = 0; k < n; ++k)
        points.push_back({x + (cx - x) * reach * k / (n - 1), y + (cy - y) * reach * k / (n - 1)});
    return points;
}

} // namespace

// The blurs against their sampling worked out directly (sines per sample, double precision)
// on varied pixels, at the centre, near it, at the corners and beyond the picture's half.
TEST(CustomEffectKernels, BlursAverageTheSamplesOfADirectComputation) {
    FactoryPtr f = Factory::create();
    QString tag;
    ASSERT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    constexpr int W = 48, H = 36;
    const BitmapPtr input = noiseBitmap(W, H);
    const ImageTile src = input->render(input->bounds());
    const double cx = 20.5, cy = 15.25;
    using Samples = std::function<std::vector<std::array<double, 2>>(double, double)>;
    struct Case {
        const char* what;
        QUuid id;
        Values values;
        Samples samples;
    };
    const Case cases[] = {
        // Arcs shorter than two pixels (here everywhere) take their samples one by one.
        {"spin 0.3",
         CLSID_CESpinBlur,
         {{0, 0.3f}, {1, Vector2{float(cx), float(cy)}}},
         [&](double x, double y) { return spinSamples(x, y, cx, cy, 0.3, 0, 0); }},
        {"spin 0.3, limited to the image",
         CLSID_CESpinBlur,
         {{0, 0.3f}, {1, Vector2{float(cx + 10), float(cy + 5)}}, {3, float(W)}, {4, float(H)}},
         [&](double x, double y) { return spinSamples(x, y, cx + 10, cy + 5, 0.3, W, H); }},
        {"radial 1",
         CLSID_CERadialblur,
         {{0, 1.0f}, {1, Vector2{float(cx), float(cy)}}},
         [&](double x, double y) { return radialSamples(x, y, cx, cy, 1); }},
        {"radial 2",
         CLSID_CERadialblur,
         {{0, 2.0f}, {1, Vector2{float(cx), float(cy)}}},
         [&](double x, double y) { return radialSamples(x, y, cx, cy, 2); }},
    };
    const std::pair<int, int> pixels[] = {{20, 15}, {22, 16}, {0, 0}, {47, 35}, {5, 30}, {40, 3}};
    for (const Case& c : cases) {
        const EffectPtr e = effectOn(f, c.id, input);
        for (const auto& [index, value] : c.values)
            ASSERT_TRUE(e->setValue(index, value)) << c.what;
        const ImageTile out = e->render(input->bounds());
        for (const auto& [x, y] : pixels) {
            const uint32_t expected = meanOfSamples(src, c.samples(x + 0.5, y + 0.5));
            const uint32_t got = out.pixelAt(x, y);
            EXPECT_TRUE(near(got, expected, 2))
                << c.what << " at (" << x << ", " << y << "): " << hex(got).toStdString()
                << ", expected " << hex(expected).toStdString();
        }
    }
}

// Longer arcs come from the running sums of rings sampled once: on a picture without detail
// finer than a few pixels (a screen's content scaled, a photograph) they stay within a few
// levels of the samples taken one by one, out to the arcs capped at 32 samples.
TEST(CustomEffectKernels, LongSpinArcsStayCloseToTheirSamples) {
    FactoryPtr f = Factory::create();
    QString tag;
    ASSERT_FALSE(RegisterCustomEffects(tag, true, CustomEffectRegistrations(f)));
    constexpr int W = 96, H = 72;
    const BitmapPtr input = bitmapFrom(W, H, [](int x, int y) {
        const double a = 200 + 55 * std::sin(x / 9.0 + y / 13.0);
        const double r = 0.5 + 0.45 * std::sin(x / 5.0) * std::cos(y / 7.0);
        const double b = 0.5 + 0.4 * std::sin((x + 2.0 * y) / 11.0);
        return straight(int(255 * r), int(255.0 * x / W), int(255 * b), int(a));
    });
    const ImageTile src = input->render(input->bounds());
    const double cx = 40.5, cy = 33.25;
    struct Case {
        const char* what;
        double size, limitW, limitH;
        float radius;
    };
    const Case cases[] = {{"spin 1.5", 1.5, 0, 0, 0},
                          {"spin 6, limited to the image", 6, W, H, 0},
                          {"spin 2 within a radius of 30", 2, 0, 0, 30}};
    for (const Case& c : cases) {
        const EffectPtr e = effectOn(f, CLSID_CESpinBlur, input);
        e->setValue(0, float(c.size));
        e->setValue(1, Vector2{float(cx), float(cy)});
        e->setValue(2, c.radius);
        e->setValue(3, float(c.limitW));
        e->setValue(4, float(c.limitH));
        const ImageTile out = e->render(input->bounds());
        int worst = 0;
        double total = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const bool beyond =
                    c.radius > 0 && std::hypot(x + 0.5 - cx, y + 0.5 - cy) > c.radius;
                const uint32_t expected =
                    beyond ? src.pixelAt(x, y)
                           : meanOfSamples(src, spinSamples(x + 0.5, y + 0.5, cx, cy, c.size,
                                                            c.limitW, c.limitH));
                const uint32_t got = out.pixelAt(x, y);
                for (int shift = 0; shift < 32; shift += 8) {
                    const int d =
                        std::abs(int(channel(got, shift)) - int(channel(expected, shift)));
                    worst = std::max(worst, d);
                    total += d;
                }
            }
        // Where an arc leaves the picture, the samples one by one count the part outside in
        // whole samples (a tenth of the arc at a time for ten), the rings exactly.
        EXPECT_LE(worst, 16) << c.what;
        EXPECT_LE(total / (4.0 * W * H), 1.25) << c.what;
    }
}
