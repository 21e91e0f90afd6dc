#include "graphics/URCustomText.h"
#include "platform/render/DeviceContext.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace platform::render;

namespace {

constexpr float FontSize = 20;

TextLayoutBoxPtr Layout(const QString& text, float width = 400, float height = 400) {
    auto format =
        TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, FontSize});
    format->setWordWrapping(WordWrapping::NoWrap);
    return TextLayoutBox::create(text, format, width, height);
}

// A renderer and a transparent target of w x h, the path rectangle covering it.
struct Scene {
    Scene(int w, int h) : context(DeviceContext::create(Factory::create())) {
        target = Bitmap::create({static_cast<uint32_t>(w), static_cast<uint32_t>(h)},
                                {.options = BitmapOptions::Target});
        context->setTarget(target);
        renderer.FillBrush = SolidColorBrush::create({1, 0, 0, 1});
        renderer.PathRect = renderer.destRect = RectF::fromXYWH(0, 0, w, h);
        renderer.letter_height = FontSize;
    }
    void Draw(const TextLayoutBox& layout, PointF origin = {}) {
        context->beginDraw();
        layout.draw(renderer, context.get(), origin);
        EXPECT_TRUE(context->endDraw());
    }
    uint32_t At(int x, int y) const {
        return reinterpret_cast<const uint32_t*>(target->image().constScanLine(y))[x];
    }
    // The centre of the drawn ink and how many pixels carry it.
    QPointF InkCentre(int* count = nullptr) const {
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < target->image().height(); ++y)
            for (int x = 0; x < target->image().width(); ++x)
                if ((At(x, y) >> 24) > 0x80) {
                    sx += x + 0.5;
                    sy += y + 0.5;
                    ++n;
                }
        if (count)
            *count = n;
        return n ? QPointF(sx / n, sy / n) : QPointF();
    }
    QRect Ink() const {
        QRect ink;
        for (int y = 0; y < target->image().height(); ++y)
            for (int x = 0; x < target->image().width(); ++x)
                if ((At(x, y) >> 24) > 0x80)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    }
    DeviceContextPtr context;
    BitmapPtr target;
    TRCustomTextRenderer renderer;
};

} // namespace

TEST(TextRenderer, PathsFollowTheirKindAndShrinkWithTheBaseline) {
    TRCustomTextRenderer r;
    r.PathRect = RectF::fromXYWH(0, 0, 200, 100);
    r.letter_height = 10;
    struct Case {
        int type;
        float y;
        float length; // expected, 0: no path
    } cases[] = {
        {tpLine, 20, 200}, {tpCircle, 10, 2 * float(M_PI) * (50 * 0.75f - 10)},
        {tpCircle, 40, 0}, // smaller than the baseline depth
        {tpSpiral, 0, 0},  // a baseline at the origin never shrinks the spiral
        {tpSpiral, -5, 0}, {tpSinusoid, 30, 200}, // no adjust: flat
        {7, 20, 200},                             // unknown kinds draw as a line
    };
    for (const Case& c : cases) {
        r.PathType = c.type;
        const GeometryPtr path = r.GetPathGeometry(c.y);
        if (c.length == 0) {
            EXPECT_EQ(path, nullptr) << c.type << " " << c.y;
            continue;
        }
        ASSERT_NE(path, nullptr) << c.type;
        EXPECT_NEAR(path->computeLength(), c.length, c.length * 0.01) << c.type;
    }
    // The adjust makes the sinusoid a wave, longer than its chord.
    r.PathType = tpSinusoid;
    r.PathAdjust = 0.2f;
    EXPECT_GT(r.GetPathGeometry(30)->computeLength(), 201);
    // A baseline just below the origin ends after a bounded number of turns.
    r.PathType = tpSpiral;
    const GeometryPtr spiral = r.GetPathGeometry(0.001f);
    ASSERT_NE(spiral, nullptr);
    EXPECT_GT(spiral->computeLength({}, 1), 0);
}

TEST(TextRenderer, LettersSitOnTheCircleAtTheirDistance) {
    Scene scene(200, 200);
    scene.renderer.PathType = tpCircle;
    // The circle starts at three o'clock and runs clockwise: a quarter on is six o'clock.
    scene.renderer.OffsetOnPath = 0.25f;
    auto layout = Layout(QStringLiteral("I"));
    const float baseline = layout->lineMetrics()[0].baseline;
    scene.Draw(*layout);
    int count = 0;
    const QPointF ink = scene.InkCentre(&count);
    ASSERT_GT(count, 10);
    const float radius = 100 * 0.75f - baseline;
    const double angle = std::atan2(ink.y() - 100, ink.x() - 100) * 180 / M_PI;
    const double distance = std::hypot(ink.x() - 100, ink.y() - 100);
    // The letter is centred on its path point, hence a little past the quarter, and stands
    // outwards from the circle (its height lies outside the radius).
    const double letterArc = layout->inkBounds().width() / 2 / radius * 180 / M_PI;
    EXPECT_NEAR(angle, 90 + letterArc, 4);
    EXPECT_GT(distance, radius);
    EXPECT_LT(distance, radius + FontSize);
}

TEST(TextRenderer, LettersPastTheEndOfThePathAreDropped) {
    Scene scene(300, 60);
    scene.renderer.OffsetOnPath = 0.5f;
    auto layout = Layout(QStringLiteral("HHHHHHHHHHHHHHHHHHHH"));
    scene.Draw(*layout);
    const QRect ink = scene.Ink();
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 150);
    // Whole letters only: the last drawn one ends before the right edge.
    EXPECT_LT(ink.right(), 299);
}

TEST(TextRenderer, UnderlineFollowsTheTextAndNotInEraseMode) {
    for (bool erase : {false, true}) {
        Scene scene(300, 60);
        scene.renderer.m_Underline = true;
        scene.renderer.m_UnderlineBrush = SolidColorBrush::create({0, 0, 1, 1});
        scene.renderer.m_Erase = erase;
        auto layout = Layout(QStringLiteral("I      I"));
        layout->setUnderline(true);
        scene.Draw(*layout);
        const float width = layout->metrics().width;
        // Look for blue in the blank between the letters, under the baseline.
        const int baseline = static_cast<int>(layout->lineMetrics()[0].baseline);
        uint32_t blue = 0;
        for (int y = baseline; y < baseline + 6; ++y)
            blue = std::max(blue, scene.At(static_cast<int>(width / 2), y) & 0xff);
        if (erase) {
            EXPECT_EQ(blue, 0u);
            EXPECT_EQ(scene.Ink(), QRect());
            ASSERT_NE(scene.renderer.m_Geometry, nullptr);
            EXPECT_NEAR(scene.renderer.m_Geometry->bounds().width(), layout->inkBounds().width(),
                        1);
        } else {
            EXPECT_GT(blue, 0x80u);
            // Nothing past the text's end.
            EXPECT_EQ(scene.At(static_cast<int>(width) + 10, baseline + 3), 0u);
        }
    }
}

// The underline is a dash of the path as long as the text, after a gap up to the text's start:
// at editor zooms below 1 it is thinner than a device pixel and must still cover exactly the
// text's stretch, column by column.
TEST(TextRenderer, UnderlineCoversTheTextAlongItsWholeLengthAtAnyZoom) {
    for (float zoom : {1.0f, 0.5f, 0.25f}) {
        Scene scene(400, 60);
        scene.renderer.m_Underline = true;
        scene.renderer.m_UnderlineBrush = SolidColorBrush::create({0, 0, 1, 1});
        scene.context->setTransform(Matrix3x2::scale(zoom, zoom));
        auto layout = Layout(QStringLiteral("IIIIIIIIIIII"));
        layout->setUnderline(true);
        const float left = 60;
        scene.Draw(*layout, {left, 0});
        const float x0 = left * zoom, x1 = (left + layout->metrics().width) * zoom;
        auto blue = [&](int x) {
            uint32_t most = 0;
            for (int y = 0; y < 60; ++y)
                most = std::max(most, scene.At(x, y) & 0xff);
            return most;
        };
        for (int x = 0; x < 400; ++x) {
            if (x + 1 < x0 - 1 || x > x1 + 1) {
                EXPECT_EQ(blue(x), 0u) << "column " << x << " at zoom " << zoom;
            } else if (x > x0 + 1 && x + 1 < x1 - 1) {
                EXPECT_GT(blue(x), 0u) << "column " << x << " at zoom " << zoom;
            }
        }
    }
}

// An animation with a fixed timing that leaves every letter unchanged.
struct FixedTiming : TRTextAnimator {
    TRTextAnimationTiming timing;
    bool AnimationTiming(TRTextAnimationTiming& out) const override {
        out = timing;
        return true;
    }
    void AnimateLetter(float, float, float, float, float, float, float,
                       TRTextAnimationFrame&) const override {}
};

TEST(TextRenderer, AnimatedLettersAppearOnTheirStartTimes) {
    FixedTiming animation;
    animation.timing.Interval = 100;
    animation.timing.Duration = 50;
    struct Case {
        bool entry, perLine;
        int time;
        int letters; // drawn, of five
    } cases[] =
        {
            {true, false, 0, 1},  {true, false, 150, 2},  {true, false, 400, 5},
            {false, false, 0, 5}, {false, false, 160, 3}, {false, false, 500, 0},
            {true, true, 0, 5}, // one line: all letters share its start
        };
    auto layout = Layout(QStringLiteral("HHHHH"));
    const float letter = layout->inkBounds().width() / 5;
    for (const Case& c : cases) {
        animation.timing.Entry = c.entry;
        animation.timing.PerLine = c.perLine;
        Scene scene(300, 60);
        scene.renderer.propTextAnimation = &animation;
        scene.renderer.Current_Time = c.time;
        scene.renderer.m_Erase = true; // the union of the drawn letters shows which are there
        scene.Draw(*layout);
        const GeometryPtr drawn = scene.renderer.m_Geometry;
        const int count =
            drawn ? static_cast<int>(std::lround(drawn->bounds().width() / letter)) : 0;
        EXPECT_EQ(count, c.letters) << c.entry << c.perLine << " at " << c.time;
        EXPECT_EQ(scene.renderer.m_nrletters, 5);
    }
}

TEST(TextRenderer, ClusterMapsOutOfRangeAreClamped) {
    GlyphRun run;
    run.glyphIndices = {1, 2, 3, 4};
    run.glyphAdvances = {1, 1, 1, 1};
    struct Case {
        std::vector<quint16> map;
        std::vector<std::size_t> firsts;
    } cases[] = {
        {{0, 1, 2, 3}, {0, 1, 2, 3}},
        {{0, 0, 2}, {0, 2}},       // a ligature of two characters, then a letter of two glyphs
        {{0, 9, 1, 3}, {0, 1, 3}}, // an entry beyond the glyphs and one going back
        {{}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        GlyphRunDescription d;
        d.clusterMap = c.map;
        std::vector<std::size_t> firsts;
        std::size_t covered = 0;
        for (const TRGlyphCluster& cluster : GlyphClusters(run, d)) {
            firsts.push_back(cluster.first);
            EXPECT_EQ(cluster.first, covered);
            covered += cluster.count;
        }
        EXPECT_EQ(firsts, c.firsts);
        EXPECT_EQ(covered, run.glyphIndices.size());
    }
}

TEST(TextRenderer, LettersOnALineLandWhereTheLayoutPutsThem) {
    const QString texts[] = {QStringLiteral("Hxgly Wave"),
                             QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc")};
    for (const QString& text : texts) {
        Scene scene(300, 60);
        auto layout = Layout(text);
        scene.Draw(*layout, {0, 5});
        const RectF expected = layout->inkBounds();
        const QRect ink = scene.Ink();
        EXPECT_NEAR(ink.left(), expected.left, 1.5) << text.toStdString();
        EXPECT_NEAR(ink.right() + 1, expected.right, 1.5) << text.toStdString();
        EXPECT_NEAR(ink.top(), expected.top + 5, 1.5) << text.toStdString();
        EXPECT_NEAR(ink.bottom() + 1, expected.bottom + 5, 1.5) << text.toStdString();
    }
}

// Erased letters are gathered into one winding path: overlapping letters stay filled where they
// overlap even when one runs the other way round (another font, a mirroring animation), and a
// letter's own counter stays open.
TEST(TextRenderer, ErasedLettersFormTheirUnion) {
    QPainterPath ring; // a square with a square hole, running clockwise outside
    QPainterPath hole;
    hole.addRect(3, 3, 4, 4);
    ring.addRect(0, 0, 10, 10);
    ring.addPath(hole.toReversed());
    QPainterPath reversed; // a square running counter-clockwise over the ring's right side
    reversed.addRect(8, 0, 10, 10);
    TRCustomTextRenderer r;
    r.AddToGeometry(Geometry::fromPath(ring));
    r.AddToGeometry(Geometry::fromPath(reversed.toReversed()));
    ASSERT_NE(r.m_Geometry, nullptr);
    EXPECT_TRUE(r.m_Geometry->fillContainsPoint({1, 1}));
    EXPECT_FALSE(r.m_Geometry->fillContainsPoint({5, 5})) << "the ring's hole";
    EXPECT_TRUE(r.m_Geometry->fillContainsPoint({9, 5})) << "where both overlap";
    EXPECT_TRUE(r.m_Geometry->fillContainsPoint({15, 5}));
    EXPECT_FALSE(r.m_Geometry->fillContainsPoint({20, 5}));
}
