#include "platform/render/Text.h"

#include "PixelTestSupport.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

TextFormatPtr Format(float size, WordWrapping wrap = WordWrapping::Wrap,
                     TextAlignment align = TextAlignment::Leading,
                     ParagraphAlignment paragraph = ParagraphAlignment::Near) {
    auto format = TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, size});
    format->setWordWrapping(wrap);
    format->setTextAlignment(align);
    format->setParagraphAlignment(paragraph);
    return format;
}

// The bounds of the pixels that are not transparent; empty when there are none.
QRect InkOf(const Bitmap& b) {
    QRect ink;
    for (int y = 0; y < static_cast<int>(b.pixelSize().height); ++y)
        for (int x = 0; x < static_cast<int>(b.pixelSize().width); ++x)
            if ((pixel(b, x, y) >> 24) > 0x40)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Records what a layout hands to its renderer.
struct RecordingRenderer : TextRenderer {
    std::vector<GlyphRun> runs;
    std::vector<GlyphRunDescription> descriptions;
    std::vector<PointF> origins;
    std::vector<TextDecoration> underlines, strikes;
    void drawGlyphRun(DeviceContext*, PointF origin, const GlyphRun& run,
                      const GlyphRunDescription& description) override {
        runs.push_back(run);
        descriptions.push_back(description);
        origins.push_back(origin);
    }
    void drawUnderline(DeviceContext*, PointF, const TextDecoration& d) override {
        underlines.push_back(d);
    }
    void drawStrikethrough(DeviceContext*, PointF, const TextDecoration& d) override {
        strikes.push_back(d);
    }
};

} // namespace

TEST(Text, FormatRefusesSizesThatCannotBeDrawn) {
    for (float size : {0.f, -3.f, std::numeric_limits<float>::infinity()})
        EXPECT_EQ(TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, size}),
                  nullptr)
            << size;
    EXPECT_EQ(TextLayoutBox::create(QStringLiteral("x"), nullptr, 10, 10), nullptr);
}

TEST(Text, LinesWrapAtWordsAndBreaks) {
    struct Case {
        const char* text;
        WordWrapping wrap;
        float width;
        int minLines, maxLines;
    } cases[] = {
        {"one two three four", WordWrapping::Wrap, 1000, 1, 1},
        {"one two three four", WordWrapping::Wrap, 70, 4, 4},
        {"one two three four", WordWrapping::NoWrap, 70, 1, 1},
        {"one\ntwo\r\nthree", WordWrapping::NoWrap, 1000, 3, 3},
        // A word longer than the line is broken inside.
        {"abcdefghijklmnopqrstuvwxyz", WordWrapping::Wrap, 60, 4, 8},
    };
    for (const Case& c : cases) {
        auto layout =
            TextLayoutBox::create(QString::fromLatin1(c.text), Format(20, c.wrap), c.width, 500);
        const int lines = layout->metrics().lineCount;
        EXPECT_GE(lines, c.minLines) << c.text << " " << c.width;
        EXPECT_LE(lines, c.maxLines) << c.text << " " << c.width;
        EXPECT_EQ(layout->lineMetrics().size(), static_cast<std::size_t>(lines));
    }
}

TEST(Text, DrawnInkMatchesTheLayoutsInkBounds) {
    Canvas canvas(240, 80);
    auto layout = TextLayoutBox::create(QStringLiteral("Hxgly"), Format(40), 240, 80);
    const RectF ink = layout->inkBounds();
    const TextMetrics m = layout->metrics();
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, m.left - 4);
    EXPECT_LE(ink.right, m.left + m.width + 4);
    EXPECT_GE(ink.top, m.top - 1);
    EXPECT_LE(ink.bottom, m.top + m.height + 1);

    auto red = SolidColorBrush::create({1, 0, 0, 1});
    canvas.context->beginDraw();
    canvas.context->drawTextLayout({10, 5}, *layout, *red);
    ASSERT_TRUE(canvas.context->endDraw());
    const QRect drawn = InkOf(*canvas.target);
    EXPECT_NEAR(drawn.left(), ink.left + 10, 1.5);
    EXPECT_NEAR(drawn.right() + 1, ink.right + 10, 1.5);
    EXPECT_NEAR(drawn.top(), ink.top + 5, 1.5);
    EXPECT_NEAR(drawn.bottom() + 1, ink.bottom + 5, 1.5);
}

TEST(Text, AlignmentsPlaceTheTextInTheBox) {
    struct Case {
        TextAlignment h;
        ParagraphAlignment v;
        float centreX, centreY; // expected ink centre, within a tolerance
    } cases[] = {
        {TextAlignment::Leading, ParagraphAlignment::Near, 0, 0},
        {TextAlignment::Center, ParagraphAlignment::Center, 150, 100},
        {TextAlignment::Trailing, ParagraphAlignment::Far, 300, 200},
    };
    for (const Case& c : cases) {
        auto layout = TextLayoutBox::create(QStringLiteral("HHH"),
                                            Format(30, WordWrapping::Wrap, c.h, c.v), 300, 200);
        const RectF ink = layout->inkBounds();
        const float cx = (ink.left + ink.right) / 2, cy = (ink.top + ink.bottom) / 2;
        const float halfW = ink.width() / 2 + 4, halfH = 30;
        if (c.h == TextAlignment::Leading)
            EXPECT_NEAR(cx, halfW, 6);
        else if (c.h == TextAlignment::Trailing)
            EXPECT_NEAR(cx, 300 - halfW, 6);
        else
            EXPECT_NEAR(cx, c.centreX, 2);
        if (c.v == ParagraphAlignment::Center)
            EXPECT_NEAR(cy, c.centreY, 8);
        else if (c.v == ParagraphAlignment::Far)
            EXPECT_GT(cy, 200 - halfH);
        else
            EXPECT_LT(cy, halfH);
    }
}

TEST(Text, RunsCarryGlyphsClustersAndDecorations) {
    auto layout = TextLayoutBox::create(QStringLiteral("Ab cd"), Format(20), 500, 100);
    layout->setUnderline(true);
    layout->setStrikethrough(true);
    RecordingRenderer recorder;
    layout->draw(recorder, nullptr, {5, 7});
    ASSERT_EQ(recorder.runs.size(), 1u);
    const GlyphRun& run = recorder.runs[0];
    const GlyphRunDescription& d = recorder.descriptions[0];
    EXPECT_EQ(d.string, QStringLiteral("Ab cd"));
    ASSERT_EQ(d.clusterMap.size(), 5u);
    EXPECT_EQ(run.glyphIndices.size(), 5u);
    for (quint16 i = 0; i < 5; ++i)
        EXPECT_EQ(d.clusterMap[i], i);
    EXPECT_EQ(run.bidiLevel, 0u);
    EXPECT_NEAR(run.emSize, 20, 0.01);
    float width = 0;
    for (float a : run.glyphAdvances)
        width += a;
    EXPECT_NEAR(width, layout->metrics().width, 1);
    // The baseline lies one ascent below the top.
    EXPECT_NEAR(recorder.origins[0].x, 5, 0.01);
    EXPECT_NEAR(recorder.origins[0].y, 7 + layout->lineMetrics()[0].baseline, 0.01);
    // Underline below the baseline, strike-through above it, both as long as the run.
    ASSERT_EQ(recorder.underlines.size(), 1u);
    ASSERT_EQ(recorder.strikes.size(), 1u);
    EXPECT_GT(recorder.underlines[0].offset, 0);
    EXPECT_LT(recorder.underlines[0].offset, 6);
    EXPECT_GT(recorder.underlines[0].thickness, 0);
    EXPECT_LT(recorder.strikes[0].offset, -3);
    EXPECT_GT(recorder.strikes[0].offset, -12);
    EXPECT_NEAR(recorder.underlines[0].width, width, 0.01);
}

TEST(Text, UnderlineIsPaintedUnderTheGapsAndClipKeepsInkInTheBox) {
    Canvas canvas(200, 60);
    auto layout =
        TextLayoutBox::create(QStringLiteral("I        I I I I I I I I"), Format(30), 100, 40);
    layout->setUnderline(true);
    RecordingRenderer recorder;
    layout->draw(recorder, nullptr, {});
    const TextDecoration u = recorder.underlines.at(0);
    const float row = layout->lineMetrics()[0].baseline + u.offset + u.thickness / 2;

    auto red = SolidColorBrush::create({1, 0, 0, 1});
    canvas.context->beginDraw();
    canvas.context->drawTextLayout({0, 0}, *layout, *red, true);
    ASSERT_TRUE(canvas.context->endDraw());
    // In the blanks after the first letter the underline is the only ink.
    // The column's coverage adds up to the line's thickness, in red only.
    float coverage = 0;
    for (int y = static_cast<int>(row) - 2; y <= static_cast<int>(row) + 2; ++y) {
        coverage += static_cast<float>(pixel(*canvas.target, 30, y) >> 24) / 255;
        EXPECT_EQ(pixel(*canvas.target, 30, y) & 0xffff, 0u);
    }
    EXPECT_NEAR(coverage, u.thickness, 0.25);
    EXPECT_EQ(pixel(*canvas.target, 30, static_cast<int>(row) - 8), 0u);
    // Nothing outside the 100 x 40 box, though the text is wider.
    const QRect ink = InkOf(*canvas.target);
    EXPECT_LE(ink.right(), 99);
    EXPECT_LE(ink.bottom(), 39);
}

TEST(Text, GlyphOutlinesAreCachedAndScaleWithTheEmSize) {
    auto layout = TextLayoutBox::create(QStringLiteral("H"), Format(10), 100, 100);
    RecordingRenderer recorder;
    layout->draw(recorder, nullptr, {});
    const GlyphRun& run = recorder.runs.at(0);
    const FontFace& face = *run.fontFace;
    EXPECT_GT(face.designUnitsPerEm(), 0);
    EXPECT_GT(face.ascent(), 0);
    EXPECT_GT(face.descent(), 0);
    const QPainterPath once = face.glyphOutline(run.glyphIndices[0]);
    EXPECT_EQ(face.glyphOutline(run.glyphIndices[0]), once);
    const RectF small = face.glyphRunOutline(10, run.glyphIndices, {}, {}, false)->bounds();
    const RectF large = face.glyphRunOutline(40, run.glyphIndices, {}, {}, false)->bounds();
    EXPECT_NEAR(large.width(), 4 * small.width(), 0.01);
    EXPECT_NEAR(large.top, 4 * small.top, 0.01);
    // Right to left, the glyph lies to the left of the origin.
    const float advance = run.glyphAdvances[0];
    const RectF rtl =
        face.glyphRunOutline(10, run.glyphIndices, run.glyphAdvances, {}, true)->bounds();
    EXPECT_NEAR(rtl.left, small.left - advance, 0.01);
}

TEST(Text, RightToLeftRunsAreDrawnWhereTheLayoutPutsThem) {
    const QString hebrew = QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc");
    auto layout = TextLayoutBox::create(hebrew, Format(30), 300, 60);
    RecordingRenderer recorder;
    layout->draw(recorder, nullptr, {});
    ASSERT_GE(recorder.runs.size(), 2u);
    bool sawRightToLeft = false;
    for (const GlyphRun& run : recorder.runs)
        sawRightToLeft = sawRightToLeft || run.bidiLevel % 2 == 1;
    EXPECT_TRUE(sawRightToLeft);

    Canvas canvas(300, 60);
    auto red = SolidColorBrush::create({1, 0, 0, 1});
    canvas.context->beginDraw();
    canvas.context->drawTextLayout({}, *layout, *red);
    ASSERT_TRUE(canvas.context->endDraw());
    const RectF ink = layout->inkBounds();
    const QRect drawn = InkOf(*canvas.target);
    EXPECT_NEAR(drawn.left(), ink.left, 1.5);
    EXPECT_NEAR(drawn.right() + 1, ink.right, 1.5);
    // Letters of both directions stay within the line.
    EXPECT_LT(ink.width(), layout->metrics().width + 3);
}

// A character's hit test gives its leading edge on its line's top, its advance and its
// direction; positions outside the text stay inside it.
TEST(Text, HitTestsOfTextPositions) {
    auto layout = TextLayoutBox::create(QStringLiteral("Ab cd"), Format(20), 500, 100);
    RecordingRenderer recorder;
    layout->draw(recorder, nullptr, {});
    ASSERT_EQ(recorder.runs.size(), 1u);
    float x = 0;
    for (int i = 0; i < 5; ++i) {
        const TextPositionHit hit = layout->hitTestTextPosition(i);
        EXPECT_EQ(hit.textPosition, i);
        EXPECT_NEAR(hit.point.x, x, 0.01) << i;
        EXPECT_NEAR(hit.point.y, 0, 0.01) << i;
        EXPECT_NEAR(hit.width, recorder.runs[0].glyphAdvances[size_t(i)], 0.01) << i;
        EXPECT_NEAR(hit.height, layout->lineMetrics()[0].height, 0.01);
        EXPECT_EQ(hit.bidiLevel, 0u);
        x += hit.width;
    }
    EXPECT_NEAR(x, layout->metrics().width, 0.5);
    EXPECT_EQ(layout->hitTestTextPosition(-5).textPosition, 0);
    EXPECT_EQ(layout->hitTestTextPosition(100).textPosition, 4);

    auto empty = TextLayoutBox::create(QString(), Format(20), 500, 100);
    const TextPositionHit nothing = empty->hitTestTextPosition(3);
    EXPECT_EQ(nothing.textPosition, 0);
    EXPECT_EQ(nothing.width, 0);

    // The second line of a text at the box's bottom: its top is the first line's bottom.
    auto lines = TextLayoutBox::create(
        QStringLiteral("ab\ncd"),
        Format(20, WordWrapping::Wrap, TextAlignment::Leading, ParagraphAlignment::Far), 500, 100);
    const TextMetrics m = lines->metrics();
    const TextPositionHit c = lines->hitTestTextPosition(3);
    EXPECT_NEAR(c.point.x, 0, 0.01);
    EXPECT_NEAR(c.point.y, 100 - m.height + lines->lineMetrics()[0].height, 0.01);

    // In right-to-left text the leading edge is the right one: each letter of the Hebrew
    // word ends where the one before it begins, going leftwards.
    const QString hebrew = QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc");
    auto mixed = TextLayoutBox::create(hebrew, Format(30), 300, 60);
    EXPECT_EQ(mixed->hitTestTextPosition(6).bidiLevel, 0u);
    for (int i = 0; i < 3; ++i) {
        const TextPositionHit letter = mixed->hitTestTextPosition(i);
        const TextPositionHit next = mixed->hitTestTextPosition(i + 1);
        EXPECT_EQ(letter.bidiLevel % 2, 1u) << i;
        EXPECT_GT(letter.width, 0) << i;
        EXPECT_NEAR(letter.point.x - letter.width, next.point.x, 0.01) << i;
    }
}

TEST(Text, TrailingBlanksOfLinesAndTheWidthWithThem) {
    auto layout = TextLayoutBox::create(QStringLiteral("ab  \n   \ncd"), Format(20), 500, 100);
    const std::vector<LineMetrics> lines = layout->lineMetrics();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].length, 5); // the line break belongs to its line
    EXPECT_EQ(lines[0].trailingWhitespaceLength, 3);
    EXPECT_EQ(lines[1].trailingWhitespaceLength, lines[1].length); // blanks only
    EXPECT_EQ(lines[2].trailingWhitespaceLength, 0);
    const TextMetrics m = layout->metrics();
    const TextPositionHit lastBlank = layout->hitTestTextPosition(3);
    EXPECT_NEAR(m.widthIncludingTrailingWhitespace, lastBlank.point.x + lastBlank.width, 0.5);
    EXPECT_GT(m.widthIncludingTrailingWhitespace, m.width + 5);
}
