// The live compositor: the output layout, background and logo placement as numbers, then key
// pixels of composed frames worked out by hand (screen with cursor effects, rings and pointer;
// camera with masks, border, mirroring, opacity and chroma key over a background; logo).
#include "capture/URVideoCompositor.h"
#include "graphics/URCursorEffects.h"
#include "media/UMFEncoderH264.h"
#include "platform/imaging/ImageFile.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// ---- numbers ----

TEST(VideoLayout, OutputSizeAndCameraPlacement) {
    struct Case {
        bool screen;
        int sw, sh, cw, ch, scale, mask;
        TRVideoLayout expected;
    };
    const Case cases[] = {
        // The screen gives the output, both sides made even.
        {true, 1921, 1081, 0, 0, 9, 0, {true, false, true, 1920, 1080, 0, 0, 0, 0}},
        // A circle (mask 3) over a 1280 × 720 camera: a 720 square, the camera centred.
        {false, 0, 0, 1280, 720, 9, 3, {false, true, true, 720, 720, -280, 0, 1280, 720}},
        // Scale step 4 is half size; the square mask crops the longer side.
        {false, 0, 0, 640, 480, 4, 4, {false, true, true, 240, 240, -40, 0, 320, 240}},
        {false, 0, 0, 641, 481, 9, 0, {false, true, true, 640, 480, 0, 0, 641, 481}},
        // Neither source: no picture.
        {false, 0, 0, 0, 0, 9, 0, {false, false, false, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TRVideoRecorderOptions o;
        o.RecordScreen = c.screen;
        o.ScreenWidth = c.sw, o.ScreenHeight = c.sh;
        o.RecordCamera = !c.screen && c.cw > 0;
        o.CameraWidth = c.cw, o.CameraHeight = c.ch, o.CameraScale = c.scale;
        o.CameraMask = c.mask;
        const TRVideoLayout l = VideoLayoutFor(o);
        const TRVideoLayout& e = c.expected;
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " camera " << c.cw);
        EXPECT_EQ(l.Screen, e.Screen);
        EXPECT_EQ(l.Camera, e.Camera);
        EXPECT_EQ(l.Video, e.Video);
        EXPECT_EQ(QRect(0, 0, l.VideoW, l.VideoH), QRect(0, 0, e.VideoW, e.VideoH));
        EXPECT_EQ(QRect(l.CameraX, l.CameraY, l.CameraW, l.CameraH),
                  QRect(e.CameraX, e.CameraY, e.CameraW, e.CameraH));
    }
}

TEST(VideoLayout, BackgroundPlacementByScaleMode) {
    struct Case {
        int pw, ph, W, H, mode;
        QRect rect;
        float sx, sy;
    };
    const Case cases[] = {
        {1920, 1080, 720, 720, 0, {0, 0, 720, 720}, 0.375f, 720.f / 1080},
        {100, 50, 720, 720, 1, {310, 335, 100, 50}, 1, 1},
        // Fit: scale 0.375, 720 × 405 (404.999... rounds to 405), top (720 - 405) div 2.
        {1920, 1080, 720, 720, 2, {0, 157, 720, 405}, 0.375f, 0.375f},
        {1920, 1080, 720, 720, 3, {-280, 0, 1280, 720}, 720.f / 1080, 720.f / 1080},
        // A half-pixel result rounds to even: 5 × 0.5 = 2.5 → 2.
        {5, 4, 4, 2, 2, {1, 0, 2, 2}, 0.5f, 0.5f},
        {0, 0, 64, 48, 2, {0, 0, 64, 48}, 1, 1},
    };
    for (const Case& c : cases) {
        const TRBackgroundPlacement p = BackgroundPlacement(c.pw, c.ph, c.W, c.H, c.mode);
        SCOPED_TRACE(testing::Message() << c.pw << "x" << c.ph << " mode " << c.mode);
        EXPECT_EQ(p.Rect, c.rect);
        EXPECT_FLOAT_EQ(p.ScaleX, c.sx);
        EXPECT_FLOAT_EQ(p.ScaleY, c.sy);
    }
}

TEST(VideoLayout, LogoSizePositionAndOpacity) {
    TRVideoRecorderOptions o;
    o.LogoScale = 10, o.LogoMarginsX = 20, o.LogoMarginsY = 10;
    const QRect expected[] = {{20, 10, 250, 125},  {1650, 10, 250, 125},  {835, 477, 250, 125},
                              {20, 945, 250, 125}, {1650, 945, 250, 125}, {20, 10, 250, 125}};
    for (int position = 0; position <= 5; ++position) {
        o.LogoPosition = position;
        EXPECT_EQ(LogoRect(200, 100, 1920, 1080, o), expected[position]) << position;
    }
    const std::pair<int, float> factors[] = {{0, 0.1f}, {8, 0.9f}, {9, 1},  {10, 1.25f},
                                             {13, 2},   {14, 3},   {15, 1}, {-1, 1}};
    for (const auto& [step, f] : factors)
        EXPECT_FLOAT_EQ(LogoScaleFactor(step), f) << step;
    const std::pair<int, float> opacities[] = {{9, 1}, {0, 0.1f}, {20, 1}, {-1, 0}, {-5, 0.1f}};
    for (const auto& [step, a] : opacities)
        EXPECT_FLOAT_EQ(LogoOpacityFor(step), a) << step;
    const std::pair<int, float> camera[] = {{5, 1}, {10, 0.1f}, {50, 0.5f}, {100, 1}, {101, 1}};
    for (const auto& [percent, a] : camera)
        EXPECT_FLOAT_EQ(CameraOpacityFor(percent), a) << percent;
    EXPECT_EQ(CameraCornerRadius(640, 480), 48);
}

TEST(ClickRing, GrowsAndFadesWithinItsDuration) {
    // Size 30, thickness 2, duration 300, opacity 1.
    const auto at150 = ClickRingAt(150, 30, 2, 300, 1);
    ASSERT_TRUE(at150);
    EXPECT_FLOAT_EQ(at150->Radius, 15);
    EXPECT_FLOAT_EQ(at150->Width, 1.f / 15);
    EXPECT_FLOAT_EQ(at150->OuterRadius, 19);
    EXPECT_FLOAT_EQ(at150->Alpha, 1);
    EXPECT_NEAR(ClickRingAt(270, 30, 2, 300, 1)->Alpha, 0.5f, 1e-5);
    EXPECT_FALSE(ClickRingAt(301, 30, 2, 300, 1));
    const auto at0 = ClickRingAt(0, 30, 2, 300, 1);
    ASSERT_TRUE(at0);
    EXPECT_EQ(at0->Width, 0);
    EXPECT_FLOAT_EQ(at0->OuterRadius, 4);
    // No duration, and a click later than the frame, show nothing.
    EXPECT_FALSE(ClickRingAt(0, 30, 2, 0, 1));
    EXPECT_FALSE(ClickRingAt(-1, 30, 2, 300, 1));
    // The caller's scale enlarges the lengths, never the timing.
    EXPECT_FLOAT_EQ(ClickRingAt(150, 30, 2, 300, 1, 2)->OuterRadius, 38);
}

// ---- composed frames ----

constexpr uint32_t Grey = 0x404040; // colour values: red in the low byte
constexpr uint32_t Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, White = 0xFFFFFF;

// A picture of one colour value, as BGRA bytes.
std::vector<uint8_t> Picture(int w, int h, const std::function<uint32_t(int, int)>& colour) {
    std::vector<uint8_t> bytes(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            uint8_t* p = bytes.data() + (size_t(y) * size_t(w) + size_t(x)) * 4;
            p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c), p[3] = 0;
        }
    return bytes;
}

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(const TRVideoCompositor& c, int x, int y) {
    const uint8_t* p = c.OutputData() + (size_t(y) * size_t(c.Layout().VideoW) + size_t(x)) * 4;
    return {p[2], p[1], p[0]};
}

void ExpectPixel(const TRVideoCompositor& c, int x, int y, Rgb want, int tolerance = 2) {
    const Rgb got = PixelAt(c, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "blue at " << x << "," << y;
}

Rgb RgbOf(uint32_t c) {
    return {int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)};
}

// A pointer at a fixed place with a 4 × 4 white shape (hot spot 1, 1) and scripted clicks.
class FixedCursor : public TRCursorSource {
public:
    bool GetCursor(int, TCursorRecord& cursor, TPointerShape& pointer, TCursorRecord& left,
                   TCursorRecord& right) override {
        if (!Samples)
            return false;
        cursor.Position = Position;
        pointer.Width = pointer.Height = 4;
        pointer.Pitch = 16;
        pointer.HotSpot = {1, 1};
        pointer.PointerShapeBuffer = QByteArray(64, char(0xFF));
        left = Left;
        right = Right;
        return true;
    }
    bool Samples = true;
    QPoint Position{50, 40};
    TCursorRecord Left{-1000, {}, 0, 0}, Right{-1000, {}, 0, 0};
};

TRVideoRecorderOptions ScreenOptions() {
    TRVideoRecorderOptions o;
    o.RecordScreen = true;
    o.ScreenWidth = 200, o.ScreenHeight = 120;
    o.ShowCursor = false;
    return o;
}

// The screen is black left of x = 100 and white from there.
std::vector<uint8_t> HalfScreen() {
    return Picture(200, 120, [](int x, int) { return x < 100 ? 0u : White; });
}

TEST(ComposeScreen, HighlightAndScaledPointer) {
    TRVideoRecorderOptions o = ScreenOptions();
    o.CursorEffect = true, o.CEId = 0, o.CEColor = Red, o.CEOpacity = 1, o.CESize = 20;
    o.ShowCursor = true, o.ScaleCursor = 200;
    TRVideoCompositor c(o);
    ASSERT_TRUE(c.InitGraphics());
    c.SetScreenPicture(Picture(200, 120, [](int, int) { return Grey; }).data());
    FixedCursor cursor;
    cursor.Position = {50, 40};
    c.ComposeFrame(0, &cursor);
    ExpectPixel(c, 50, 30, RgbOf(Red));  // 10 px out: inside 0.8 of the radius
    ExpectPixel(c, 50, 15, RgbOf(Grey)); // beyond the radius
    // Pixel 67's centre lies 17.5 px out, 0.875 of the radius: alpha 0.625 over grey gives
    // 0.625 × 255 + 0.375 × 64.
    ExpectPixel(c, 50 + 17, 40, {183, 24, 24}, 4);
    // The 4 × 4 pointer at 200 %: 8 × 8 from (48, 38).
    ExpectPixel(c, 51, 41, {255, 255, 255});
    ExpectPixel(c, 54, 44, {255, 255, 255});
    ExpectPixel(c, 46, 41, RgbOf(Red));
}

TEST(ComposeScreen, NothingOfTheCursorBeforeTwoSamples) {
    TRVideoRecorderOptions o = ScreenOptions();
    o.CursorEffect = true, o.CEColor = Red, o.CEOpacity = 1, o.CESize = 20, o.ShowCursor = true;
    TRVideoCompositor c(o);
    ASSERT_TRUE(c.InitGraphics());
    c.SetScreenPicture(Picture(200, 120, [](int, int) { return Grey; }).data());
    FixedCursor cursor;
    cursor.Samples = false;
    c.ComposeFrame(0, &cursor);
    ExpectPixel(c, 50, 40, RgbOf(Grey), 0);
    c.ComposeFrame(0, nullptr);
    ExpectPixel(c, 50, 40, RgbOf(Grey), 0);
}

TEST(ComposeScreen, MagnifierAndFishEye) {
    struct Case {
        int id;
        float zoom;
        int x;
        Rgb want;
    };
    // The lens is centred on (90, 60), radius 30. Magnifier × 2: (102, 60) shows x = 96
    // (black where the screen is white). Fish-eye zoom 5 (strength 1): at 15 px the picture
    // comes from 15 × 15 / 30 = 7.5 px: (105, 60) shows 97.5, black. Outside: white.
    const Case cases[] = {{1, 2, 102, {0, 0, 0}},
                          {1, 2, 121, {255, 255, 255}},
                          {2, 5, 105, {0, 0, 0}},
                          {2, 5, 121, {255, 255, 255}}};
    for (const Case& k : cases) {
        TRVideoRecorderOptions o = ScreenOptions();
        o.CursorEffect = true, o.CEId = k.id, o.CEZoom = k.zoom, o.CESize = 30;
        TRVideoCompositor c(o);
        ASSERT_TRUE(c.InitGraphics());
        c.SetScreenPicture(HalfScreen().data());
        FixedCursor cursor;
        cursor.Position = {90, 60};
        c.ComposeFrame(0, &cursor);
        SCOPED_TRACE(testing::Message() << "lens " << k.id << " x " << k.x);
        ExpectPixel(c, k.x, 60, k.want, 3);
        ExpectPixel(c, 150, 60, {255, 255, 255}, 0);
        ExpectPixel(c, 40, 60, {0, 0, 0}, 0);
    }
}

TEST(ComposeScreen, LeftAndRightRingsAtTheirAge) {
    // Rings of size 30, thickness 2, duration 300: at 150 ms r = 15, w = 1/15, R = 19, full
    // colour from 0.8 R = 15.2 to 0.933 R = 17.7; at 270 ms r = 27, R = 31, colour at alpha
    // 0.5 from 27.6 to 29.85; at 301 ms nothing.
    struct Case {
        int elapsed;
        int distance;
        Rgb want;
    };
    const Case cases[] = {
        {150, 16, {0, 0, 255}},   {150, 10, {64, 64, 64}}, {150, 20, {64, 64, 64}},
        {270, 29, {32, 32, 159}}, {270, 20, {64, 64, 64}}, {301, 16, {64, 64, 64}},
    };
    for (bool right : {false, true}) {
        TRVideoRecorderOptions o = ScreenOptions();
        o.LeftClick = !right, o.RightClick = right;
        o.LEColor = o.REColor = Blue;
        TRVideoCompositor c(o);
        ASSERT_TRUE(c.InitGraphics());
        c.SetScreenPicture(Picture(200, 120, [](int, int) { return Grey; }).data());
        FixedCursor cursor;
        (right ? cursor.Right : cursor.Left) = {1000, {100, 60}, 2, 0};
        for (const Case& k : cases) {
            c.ComposeFrame(1000 + k.elapsed, &cursor);
            SCOPED_TRACE(testing::Message() << (right ? "right" : "left") << " e " << k.elapsed
                                            << " d " << k.distance);
            ExpectPixel(c, 100 + k.distance, 60, k.want, 4);
        }
    }
}

// ---- camera ----

TRVideoRecorderOptions CameraOptions(int mask) {
    TRVideoRecorderOptions o;
    o.RecordCamera = true;
    o.CameraWidth = 40, o.CameraHeight = 30, o.CameraScale = 9, o.CameraMask = mask;
    o.OutputBkColor = Grey;
    return o;
}

// Left half red, right half blue, and the top 10 rows green.
std::vector<uint8_t> CameraPicture() {
    return Picture(40, 30, [](int x, int y) { return y < 10 ? Green : x < 20 ? Red : Blue; });
}

TEST(ComposeCamera, MasksCutTheCameraToTheirShape) {
    struct Case {
        int mask;
        QPoint outside, inside;
        Rgb insideColour;
    };
    // Masks 3 and 4 make a 30 × 30 output with the camera at (-5, 0): (12, 20) shows
    // camera x 17, red.
    const Case cases[] = {{1, {0, 0}, {3, 20}, RgbOf(Red)},
                          {2, {2, 2}, {20, 15}, RgbOf(Blue)},
                          {3, {2, 2}, {12, 20}, RgbOf(Red)},
                          {0, {-1, -1}, {0, 29}, RgbOf(Red)},
                          {4, {-1, -1}, {0, 0}, RgbOf(Green)}};
    for (const Case& k : cases) {
        TRVideoCompositor c(CameraOptions(k.mask));
        ASSERT_TRUE(c.InitGraphics());
        c.SetCameraPicture(CameraPicture().data());
        c.ComposeFrame(0, nullptr);
        SCOPED_TRACE(testing::Message() << "mask " << k.mask);
        if (k.outside.x() >= 0)
            ExpectPixel(c, k.outside.x(), k.outside.y(), RgbOf(Grey), 0);
        ExpectPixel(c, k.inside.x(), k.inside.y(), k.insideColour);
    }
}

TEST(ComposeCamera, FlipsBorderAndOpacity) {
    struct Case {
        bool flipH, flipV;
        int border, opacity;
        QPoint at;
        Rgb want;
    };
    const Case cases[] = {
        {false, false, 0, 100, {5, 20}, RgbOf(Red)},
        {true, false, 0, 100, {5, 20}, RgbOf(Blue)},
        {false, true, 0, 100, {5, 25}, RgbOf(Green)},
        {false, true, 0, 100, {5, 2}, RgbOf(Red)},
        // A border of 2 shows 2 pixels inside the mask.
        {false, false, 2, 100, {1, 20}, RgbOf(White)},
        {false, false, 2, 100, {3, 20}, RgbOf(Red)},
        // Half opacity over the grey clear colour: 0.5 × 255 + 0.5 × 64.
        {false, false, 0, 50, {5, 20}, {160, 32, 32}},
    };
    for (const Case& k : cases) {
        TRVideoRecorderOptions o = CameraOptions(0);
        o.CameraFlipH = k.flipH, o.CameraFlipV = k.flipV;
        o.CameraBorderWidth = k.border, o.CameraBorderColor = White;
        o.CameraOpacity = k.opacity;
        TRVideoCompositor c(o);
        ASSERT_TRUE(c.InitGraphics());
        c.SetCameraPicture(CameraPicture().data());
        c.ComposeFrame(0, nullptr);
        SCOPED_TRACE(testing::Message()
                     << k.flipH << k.flipV << " border " << k.border << " opacity " << k.opacity);
        ExpectPixel(c, k.at.x(), k.at.y(), k.want, 3);
    }
}

TEST(ComposeCamera, ChromaKeyOverAnImageBackgroundInEachScaleMode) {
    QTemporaryDir dir;
    // The background: 20 × 10, left half blue, right half white.
    const QString back = dir.filePath("back.png");
    QImage image(20, 10, QImage::Format_ARGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, x < 10 ? 0xFF0000FF : 0xFFFFFFFF);
    ASSERT_TRUE(platform::imaging::writeImage(back, image).isEmpty());
    struct Case {
        int mode, blur;
        QPoint at;
        Rgb want;
    };
    // The camera is green (keyed out) except a red square at (15..24, 10..19); the output is
    // 40 × 30. Stretch: background x 5 → output 10 (blue), 30 (white). Natural: the 20 × 10
    // picture at (10, 10); the clear colour elsewhere. Fit: scale 2, 40 × 20 at (0, 5).
    // Fill: scale 3, 60 × 30 at (-10, 0): output x 15 is picture x 8.3, blue; 25 → 11.7.
    const Case cases[] = {
        {0, 0, {2, 2}, RgbOf(Blue)},
        {0, 0, {30, 25}, {255, 255, 255}},
        {0, 0, {20, 15}, RgbOf(Red)},
        {1, 0, {2, 2}, RgbOf(Grey)},
        {1, 0, {12, 12}, RgbOf(Blue)},
        {1, 0, {28, 18}, {255, 255, 255}},
        {2, 0, {2, 2}, RgbOf(Grey)},
        {2, 0, {2, 8}, RgbOf(Blue)},
        {3, 0, {12, 2}, RgbOf(Blue)},
        {3, 0, {26, 2}, {255, 255, 255}},
        // Blurred, the edge between blue and white mixes; far from it the colours stay.
        {0, 3, {2, 2}, RgbOf(Blue)},
    };
    for (const Case& k : cases) {
        TRVideoRecorderOptions o = CameraOptions(0);
        o.CameraChroma = true, o.CameraChColor = Green, o.CameraChTol = 10;
        o.CameraBack = true, o.CameraBackFile = back, o.CameraBackScaleMode = k.mode;
        o.CameraBackBlur = k.blur;
        TRVideoCompositor c(o);
        ASSERT_TRUE(c.InitGraphics());
        c.SetCameraPicture(Picture(40, 30, [](int x, int y) {
                               return x >= 15 && x < 25 && y >= 10 && y < 20 ? Red : Green;
                           }).data());
        c.ComposeFrame(0, nullptr);
        SCOPED_TRACE(testing::Message() << "mode " << k.mode << " blur " << k.blur);
        ExpectPixel(c, k.at.x(), k.at.y(), k.want, 6);
    }
    // The blur mixes the two halves at their edge (stretched: output x 20).
    TRVideoRecorderOptions o = CameraOptions(0);
    o.CameraChroma = true, o.CameraChColor = Green, o.CameraChTol = 10;
    o.CameraBack = true, o.CameraBackFile = back, o.CameraBackBlur = 3;
    TRVideoCompositor c(o);
    ASSERT_TRUE(c.InitGraphics());
    c.SetCameraPicture(Picture(40, 30, [](int, int) { return Green; }).data());
    c.ComposeFrame(0, nullptr);
    const Rgb edge = PixelAt(c, 20, 5);
    EXPECT_GT(edge.r, 20);
    EXPECT_LT(edge.r, 235);
    EXPECT_EQ(edge.b, 255);
}

TEST(ComposeCamera, AVideoBackgroundLoops) {
    QTemporaryDir dir;
    // One second at 10 fps: red for half a second, then blue.
    TMFEncoderH264Ex encoder;
    encoder.SetParams(32, 32, 10, 0, false, 44100, 16000, dir.filePath("back"));
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    for (int i = 0; i < 10; ++i)
        encoder.AddVideoFrame(Picture(32, 32, [i](int, int) { return i < 5 ? Red : Blue; }).data());
    ASSERT_EQ(encoder.StopEncode(), MF_S_OK);
    TRVideoRecorderOptions o = CameraOptions(0);
    o.CameraChroma = true, o.CameraChColor = Green, o.CameraChTol = 10;
    o.CameraBack = true, o.CameraBackFile = encoder.FileName();
    TRVideoCompositor c(o);
    ASSERT_TRUE(c.InitGraphics());
    c.SetCameraPicture(Picture(40, 30, [](int, int) { return Green; }).data());
    const std::pair<int, Rgb> times[] = {
        {200, RgbOf(Red)}, {700, RgbOf(Blue)}, {1200, RgbOf(Red)}, {2700, RgbOf(Blue)}};
    for (const auto& [ms, colour] : times) {
        c.ComposeFrame(ms, nullptr);
        SCOPED_TRACE(ms);
        ExpectPixel(c, 20, 15, colour, 24);
    }
}

TEST(ComposeCamera, LogoAtEveryPosition) {
    QTemporaryDir dir;
    const QString logo = dir.filePath("logo.png");
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(0xFFFF00FF);
    ASSERT_TRUE(platform::imaging::writeImage(logo, image).isEmpty());
    // A 4 × 2 logo at scale 9 (natural size) with margins 2, 1 in the 40 × 30 output.
    const QPoint corners[] = {{2, 1}, {34, 1}, {18, 14}, {2, 27}, {34, 27}};
    for (int position = 0; position <= 4; ++position) {
        TRVideoRecorderOptions o = CameraOptions(0);
        o.Logo = true, o.LogoFileName = logo, o.LogoPosition = position;
        o.LogoMarginsX = 2, o.LogoMarginsY = 1, o.LogoScale = 9, o.LogoOpacity = 9;
        TRVideoCompositor c(o);
        ASSERT_TRUE(c.InitGraphics());
        c.SetCameraPicture(Picture(40, 30, [](int, int) { return 0u; }).data());
        c.ComposeFrame(0, nullptr);
        const QPoint p = corners[position];
        SCOPED_TRACE(testing::Message() << "position " << position);
        ExpectPixel(c, p.x() + 1, p.y(), {255, 0, 255}, 3);
        ExpectPixel(c, p.x() + 2, p.y() + 1, {255, 0, 255}, 3);
        ExpectPixel(c, p.x() - 1, p.y(), {0, 0, 0}, 3);
    }
}

TEST(ComposeCamera, WithoutAPictureNothingIsComposed) {
    TRVideoRecorderOptions o;
    TRVideoCompositor c(o);
    EXPECT_FALSE(c.InitGraphics());
    EXPECT_FALSE(c.Ready());
    c.ComposeFrame(0, nullptr);
    EXPECT_EQ(c.OutputData(), nullptr);
}

} // namespace
