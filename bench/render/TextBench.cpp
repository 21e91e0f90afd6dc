// The text layer against plain QPainter on the same paragraph: laying it out, drawing it as
// glyph outlines through the device context (what the letter-by-letter renderers do), and
// asking for glyph outlines with and without the per-face cache; and the letter-by-letter
// text renderer drawing or, in erase mode, gathering 222 letters.
#include "graphics/URCustomText.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Text.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <benchmark/benchmark.h>

using namespace platform::render;

namespace {

constexpr float kWidth = 800, kHeight = 600, kSize = 18;

QString paragraph() {
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog, then rests a while. ");
    return text;
}

TextFormatPtr format() {
    return TextFormat::create({QStringLiteral("DejaVu Sans"), 400, FontStyle::Normal, kSize});
}

void BM_LayOutParagraph(benchmark::State& state) {
    const QString text = paragraph();
    const TextFormatPtr f = format();
    for (auto _ : state)
        benchmark::DoNotOptimize(TextLayoutBox::create(text, f, kWidth, kHeight));
    state.SetItemsProcessed(state.iterations() * text.size());
    state.SetLabel("characters/s");
}

void BM_QtLayOutParagraph(benchmark::State& state) {
    const QString text = paragraph();
    for (auto _ : state) {
        QTextLayout layout(text, format()->font());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(kWidth);
        layout.endLayout();
        benchmark::DoNotOptimize(layout.lineCount());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
    state.SetLabel("characters/s");
}

void BM_DrawParagraph(benchmark::State& state) {
    auto context = DeviceContext::create(Factory::create());
    auto target = Bitmap::create({static_cast<uint32_t>(kWidth), static_cast<uint32_t>(kHeight)},
                                 {.options = BitmapOptions::Target});
    context->setTarget(target);
    auto brush = SolidColorBrush::create({0, 0, 0, 1});
    auto layout = TextLayoutBox::create(paragraph(), format(), kWidth, kHeight);
    for (auto _ : state) {
        context->beginDraw();
        context->clear({1, 1, 1, 1});
        context->drawTextLayout({0, 0}, *layout, *brush);
        context->endDraw();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("frames/s");
}

void BM_QtDrawParagraph(benchmark::State& state) {
    QImage image(static_cast<int>(kWidth), static_cast<int>(kHeight),
                 QImage::Format_ARGB32_Premultiplied);
    const QString text = paragraph();
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(format()->font());
        painter.drawText(QRectF(0, 0, kWidth, kHeight), Qt::TextWordWrap, text);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("frames/s");
}

// The glyphs of the paragraph, as the renderers ask for them one letter at a time.
void BM_GlyphOutlinesCached(benchmark::State& state) {
    struct Collect : TextRenderer {
        std::vector<GlyphRun> runs;
        void drawGlyphRun(DeviceContext*, PointF, const GlyphRun& run,
                          const GlyphRunDescription&) override {
            runs.push_back(run);
        }
        void drawUnderline(DeviceContext*, PointF, const TextDecoration&) override {}
        void drawStrikethrough(DeviceContext*, PointF, const TextDecoration&) override {}
    } collect;
    TextLayoutBox::create(paragraph(), format(), kWidth, kHeight)->draw(collect, nullptr, {});
    int64_t glyphs = 0;
    for (auto _ : state)
        for (const GlyphRun& run : collect.runs)
            for (std::size_t i = 0; i < run.glyphIndices.size(); ++i, ++glyphs)
                benchmark::DoNotOptimize(run.fontFace->glyphRunOutline(
                    run.emSize, std::span(run.glyphIndices).subspan(i, 1),
                    std::span(run.glyphAdvances).subspan(i, 1), {}, false));
    state.SetItemsProcessed(glyphs);
    state.SetLabel("glyph outlines/s");
}

void BM_QtGlyphOutlinesUncached(benchmark::State& state) {
    QTextLayout layout(paragraph(), format()->font());
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(kWidth);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    int64_t glyphs = 0;
    for (auto _ : state)
        for (const QGlyphRun& run : runs) {
            const QRawFont font = run.rawFont();
            for (quint32 glyph : run.glyphIndexes()) {
                benchmark::DoNotOptimize(font.pathForGlyph(glyph));
                ++glyphs;
            }
        }
    state.SetItemsProcessed(glyphs);
    state.SetLabel("glyph outlines/s");
}

// The letter-by-letter renderer over 222 letters (three times the sentence), filling them
// and, in erase mode, gathering their outlines for the object to cut with.
void runLetterRenderer(benchmark::State& state, bool erase) {
    auto context = DeviceContext::create(Factory::create());
    auto target = Bitmap::create({static_cast<uint32_t>(kWidth), static_cast<uint32_t>(kHeight)},
                                 {.options = BitmapOptions::Target});
    context->setTarget(target);
    QString text;
    for (int i = 0; i < 3; ++i)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog, then rests a while. ");
    text.truncate(222);
    auto layout = TextLayoutBox::create(text, format(), kWidth, kHeight);
    for (auto _ : state) {
        TRCustomTextRenderer renderer;
        renderer.FillBrush = SolidColorBrush::create({0, 0, 0, 1});
        renderer.PathRect = renderer.destRect = RectF::fromXYWH(0, 0, kWidth, kHeight);
        renderer.letter_height = kSize;
        renderer.m_Erase = erase;
        context->beginDraw();
        context->clear({1, 1, 1, 1});
        layout->draw(renderer, context.get(), {});
        context->endDraw();
        benchmark::DoNotOptimize(renderer.m_Geometry);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("paints/s");
}

void BM_LettersFilled(benchmark::State& state) {
    runLetterRenderer(state, false);
}

void BM_LettersErased(benchmark::State& state) {
    runLetterRenderer(state, true);
}

} // namespace

BENCHMARK(BM_LettersFilled)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LettersErased)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutParagraph);
BENCHMARK(BM_QtLayOutParagraph);
BENCHMARK(BM_DrawParagraph)->UseRealTime();
BENCHMARK(BM_QtDrawParagraph)->UseRealTime();
BENCHMARK(BM_GlyphOutlinesCached);
BENCHMARK(BM_QtGlyphOutlinesUncached);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
