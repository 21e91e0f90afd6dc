#include "platform/render/Text.h"

#include "platform/render/DeviceContext.h"

#include <QByteArray>
#include <QGlyphRun>
#include <QImage>
#include <QTextBoundaryFinder>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <map>

namespace platform::render {

namespace {

// Text is shaped for a 96-DPI device so that one font pixel is one DIP.
const QPaintDevice* dipDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(3780); // rounds to 96 DPI
        image.setDotsPerMeterY(3780);
        return image;
    }();
    return &device;
}

qint16 bigEndianShort(const QByteArray& table, int offset) {
    if (table.size() < offset + 2)
        return 0;
    const auto hi = static_cast<quint8>(table[offset]);
    const auto lo = static_cast<quint8>(table[offset + 1]);
    return static_cast<qint16>((hi << 8) | lo);
}

Qt::Alignment qtAlignment(TextAlignment a) {
    switch (a) {
    case TextAlignment::Trailing:
        return Qt::AlignTrailing;
    case TextAlignment::Center:
        return Qt::AlignHCenter;
    case TextAlignment::Justified:
        return Qt::AlignJustify;
    case TextAlignment::Leading:
        break;
    }
    return Qt::AlignLeading;
}

// Fills glyphs and decorations with one brush: the layout's own drawing.
class BrushRenderer : public TextRenderer {
public:
    explicit BrushRenderer(const Brush& brush) : brush_(brush) {}
    void drawGlyphRun(DeviceContext* context, PointF origin, const GlyphRun& run,
                      const GlyphRunDescription&) override {
        const GeometryPtr outline =
            run.fontFace->glyphRunOutline(run.emSize, run.glyphIndices, run.glyphAdvances,
                                          run.glyphOffsets, run.bidiLevel % 2 != 0);
        context->fillGeometry(*outline->transformed(Matrix3x2::translation(origin.x, origin.y)),
                              brush_);
    }
    void drawUnderline(DeviceContext* context, PointF origin, const TextDecoration& d) override {
        fillDecoration(*context, origin, d);
    }
    void drawStrikethrough(DeviceContext* context, PointF origin,
                           const TextDecoration& d) override {
        fillDecoration(*context, origin, d);
    }

private:
    void fillDecoration(DeviceContext& context, PointF origin, const TextDecoration& d) {
        context.fillRectangle(RectF::fromXYWH(origin.x, origin.y + d.offset, d.width, d.thickness),
                              brush_);
    }
    const Brush& brush_;
};

} // namespace

TextAlignment textAlignmentFromByte(int value) {
    return value >= 0 && value <= 3 ? static_cast<TextAlignment>(value) : TextAlignment::Leading;
}

ParagraphAlignment paragraphAlignmentFromByte(int value) {
    return value >= 0 && value <= 2 ? static_cast<ParagraphAlignment>(value)
                                    : ParagraphAlignment::Near;
}

// --- TextFormat ------------------------------------------------------------------------------

std::shared_ptr<TextFormat> TextFormat::create(const TextFormatProperties& props) {
    if (!(props.size > 0) || !std::isfinite(props.size))
        return nullptr;
    return std::shared_ptr<TextFormat>(new TextFormat(props));
}

QFont TextFormat::font() const {
    QFont font(props_.family);
    font.setPointSizeF(props_.size * 72 / 96);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(props_.weight, 1, 1000)));
    font.setStyle(props_.style == FontStyle::Italic    ? QFont::StyleItalic
                  : props_.style == FontStyle::Oblique ? QFont::StyleOblique
                                                       : QFont::StyleNormal);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// --- FontFace --------------------------------------------------------------------------------

std::shared_ptr<const FontFace> FontFace::of(const QRawFont& font) {
    static std::mutex mutex;
    static std::map<QString, std::shared_ptr<const FontFace>> faces;
    const QString key = font.familyName() + QChar(0x1f) + font.styleName() + QChar(0x1f) +
                        QString::number(font.weight()) + QChar(0x1f) +
                        QString::number(static_cast<int>(font.style()));
    const std::lock_guard lock(mutex);
    auto& face = faces[key];
    if (!face)
        face.reset(new FontFace(font));
    return face;
}

FontFace::FontFace(const QRawFont& font) : designFont_(font) {
    unitsPerEm_ = std::max<float>(1, static_cast<float>(font.unitsPerEm()));
    designFont_.setPixelSize(unitsPerEm_);
    ascent_ = static_cast<float>(designFont_.ascent());
    descent_ = static_cast<float>(designFont_.descent());
    // The post table holds the height of the underline's top above the baseline (offset 8,
    // negative below it) and its thickness (offset 10).
    const QByteArray post = designFont_.fontTable("post");
    const qint16 underlineTop = bigEndianShort(post, 8);
    const qint16 underlineSize = bigEndianShort(post, 10);
    underlineThickness_ =
        underlineSize > 0 ? underlineSize : static_cast<float>(designFont_.lineThickness());
    underlinePosition_ = underlineTop < 0 ? underlineThickness_ / 2 - underlineTop
                                          : static_cast<float>(designFont_.underlinePosition());
    // The OS/2 table holds the strike-out size (offset 26) and the height of its top above the
    // baseline (offset 28).
    const QByteArray os2 = designFont_.fontTable("OS/2");
    const qint16 size = bigEndianShort(os2, 26);
    const qint16 position = bigEndianShort(os2, 28);
    strikethroughThickness_ = size > 0 ? size : underlineThickness_;
    strikethroughPosition_ = position > 0 ? strikethroughThickness_ / 2 - position
                                          : -static_cast<float>(designFont_.xHeight()) / 2;
}

QPainterPath FontFace::glyphOutline(quint32 glyph) const {
    const std::lock_guard lock(cacheMutex_);
    auto it = outlines_.find(glyph);
    if (it == outlines_.end())
        it = outlines_.emplace(glyph, designFont_.pathForGlyph(glyph)).first;
    return it->second;
}

GeometryPtr FontFace::glyphRunOutline(float emSize, std::span<const quint32> glyphs,
                                      std::span<const float> advances,
                                      std::span<const PointF> offsets, bool rightToLeft) const {
    const qreal scale = emSize / unitsPerEm_;
    QPainterPath result;
    result.setFillRule(Qt::WindingFill);
    float pen = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const float advance = i < advances.size() ? advances[i] : 0;
        const PointF offset = i < offsets.size() ? offsets[i] : PointF{};
        if (rightToLeft)
            pen -= advance;
        const QTransform place(scale, 0, 0, scale, pen + offset.x, offset.y);
        result.addPath(place.map(glyphOutline(glyphs[i])));
        if (!rightToLeft)
            pen += advance;
    }
    return Geometry::fromPath(result);
}

// --- TextLayoutBox ---------------------------------------------------------------------------

TextRenderer::~TextRenderer() = default;

std::shared_ptr<TextLayoutBox> TextLayoutBox::create(const QString& text, TextFormatPtr format,
                                                     float maxWidth, float maxHeight) {
    if (!format)
        return nullptr;
    std::shared_ptr<TextLayoutBox> box(new TextLayoutBox);
    box->format_ = std::move(format);
    box->maxWidth_ = std::max(0.f, maxWidth);
    box->maxHeight_ = std::max(0.f, maxHeight);
    box->layOut(text);
    return box;
}

void TextLayoutBox::layOut(const QString& source) {
    QString text = source;
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);

    QTextOption option(qtAlignment(format_->textAlignment()));
    option.setWrapMode(format_->wordWrapping() == WordWrapping::Wrap
                           ? QTextOption::WrapAtWordBoundaryOrAnywhere
                           : QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    qtLayout_.setText(text);
    qtLayout_.setFont(QFont(format_->font(), dipDevice()));
    qtLayout_.setTextOption(option);
    qtLayout_.setCacheEnabled(true);

    qreal y = 0;
    qtLayout_.beginLayout();
    for (QTextLine line = qtLayout_.createLine(); line.isValid(); line = qtLayout_.createLine()) {
        line.setLineWidth(maxWidth_);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    qtLayout_.endLayout();

    switch (format_->paragraphAlignment()) {
    case ParagraphAlignment::Far:
        offsetY_ = maxHeight_ - static_cast<float>(y);
        break;
    case ParagraphAlignment::Center:
        offsetY_ = (maxHeight_ - static_cast<float>(y)) / 2;
        break;
    case ParagraphAlignment::Near:
        offsetY_ = 0;
        break;
    }
    for (int i = 0; i < qtLayout_.lineCount(); ++i)
        collectRuns(qtLayout_.lineAt(i), text);
}

// Glyph runs are assembled grapheme by grapheme, so every glyph knows the characters it shows.
void TextLayoutBox::collectRuns(const QTextLine& line, const QString& text) {
    const float baseline = static_cast<float>(line.y() + line.ascent()) + offsetY_;
    const int lineEnd = line.textStart() + line.textLength();
    Run* run = nullptr;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(line.textStart());
    for (int start = line.textStart(); start < lineEnd;) {
        int end = graphemes.toNextBoundary();
        if (end < 0 || end > lineEnd)
            end = lineEnd;
        for (const QGlyphRun& piece : line.glyphRuns(start, end - start)) {
            const QRawFont font = piece.rawFont();
            const FontFacePtr face = FontFace::of(font);
            const bool rtl = piece.isRightToLeft();
            const auto emSize = static_cast<float>(font.pixelSize());
            const QList<quint32> indexes = piece.glyphIndexes();
            const QList<QPointF> positions = piece.positions();
            const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes);
            if (!run || run->glyphs.fontFace != face || run->glyphs.emSize != emSize ||
                (run->glyphs.bidiLevel % 2 != 0) != rtl) {
                runs_.emplace_back();
                run = &runs_.back();
                run->glyphs.fontFace = face;
                run->glyphs.emSize = emSize;
                run->glyphs.bidiLevel = rtl ? 1 : 0;
                run->description.textPosition = start;
                const float firstX = positions.isEmpty() ? 0 : static_cast<float>(positions[0].x());
                const float firstAdvance =
                    advances.isEmpty() ? 0 : static_cast<float>(advances[0].x());
                run->baselineOrigin = {rtl ? firstX + firstAdvance : firstX, baseline};
            }
            const auto firstGlyph = static_cast<quint16>(run->glyphs.glyphIndices.size());
            for (int c = start; c < end; ++c) {
                if (c - run->description.textPosition == run->description.string.size()) {
                    run->description.string.append(text[c]);
                    run->description.clusterMap.push_back(firstGlyph);
                }
            }
            for (qsizetype i = 0; i < indexes.size(); ++i) {
                const auto advance = static_cast<float>(advances[i].x());
                const float nominal = rtl ? run->baselineOrigin.x - run->width - advance
                                          : run->baselineOrigin.x + run->width;
                run->glyphs.glyphIndices.push_back(indexes[i]);
                run->glyphs.glyphAdvances.push_back(advance);
                run->glyphs.glyphOffsets.push_back(
                    {static_cast<float>(positions[i].x()) - nominal,
                     static_cast<float>(positions[i].y()) + offsetY_ - baseline});
                run->width += advance;
            }
        }
        start = end;
    }
}

namespace {

// The extent of a line's characters with its trailing blanks (its line break left out): Qt's
// own widths end at the last visible character.
float WidthWithTrailingBlanks(const QTextLine& line, const QString& text) {
    int end = line.textStart() + line.textLength();
    if (end > line.textStart() && text[end - 1] == QChar::LineSeparator)
        --end;
    return static_cast<float>(std::abs(line.cursorToX(end) - line.cursorToX(line.textStart())));
}

} // namespace

TextMetrics TextLayoutBox::metrics() const {
    TextMetrics m;
    m.layoutWidth = maxWidth_;
    m.layoutHeight = maxHeight_;
    m.lineCount = qtLayout_.lineCount();
    m.top = offsetY_;
    float left = 0, right = 0, bottom = 0;
    for (int i = 0; i < m.lineCount; ++i) {
        const QTextLine line = qtLayout_.lineAt(i);
        const QRectF r = line.naturalTextRect();
        left = i == 0 ? static_cast<float>(r.left()) : std::min(left, static_cast<float>(r.left()));
        right = std::max(right, static_cast<float>(r.right()));
        bottom = static_cast<float>(line.y() + line.height());
        m.widthIncludingTrailingWhitespace =
            std::max({m.widthIncludingTrailingWhitespace, static_cast<float>(r.width()),
                      WidthWithTrailingBlanks(line, qtLayout_.text())});
    }
    m.left = left;
    m.width = std::max(0.f, right - left);
    m.height = bottom;
    return m;
}

std::vector<LineMetrics> TextLayoutBox::lineMetrics() const {
    std::vector<LineMetrics> lines;
    for (int i = 0; i < qtLayout_.lineCount(); ++i) {
        const QTextLine line = qtLayout_.lineAt(i);
        const QString text = qtLayout_.text().mid(line.textStart(), line.textLength());
        int blanks = 0;
        while (blanks < text.size() && text[text.size() - 1 - blanks].isSpace())
            ++blanks;
        lines.push_back({line.textLength(), static_cast<float>(line.height()),
                         static_cast<float>(line.ascent()), blanks});
    }
    return lines;
}

TextPositionHit TextLayoutBox::hitTestTextPosition(int textPosition) const {
    TextPositionHit hit;
    const int length = static_cast<int>(qtLayout_.text().size());
    hit.textPosition = std::clamp(textPosition, 0, std::max(length - 1, 0));
    const int lineIndex =
        qtLayout_.lineCount() > 0
            ? std::max(qtLayout_.lineForTextPosition(hit.textPosition).lineNumber(), 0)
            : -1;
    if (lineIndex < 0)
        return hit;
    const QTextLine line = qtLayout_.lineAt(lineIndex);
    hit.point = {static_cast<float>(line.cursorToX(hit.textPosition)),
                 static_cast<float>(line.y()) + offsetY_};
    hit.height = static_cast<float>(line.height());
    if (length == 0)
        return hit;
    const int lineEnd = line.textStart() + line.textLength();
    const int next = std::min(hit.textPosition + 1, lineEnd);
    hit.width =
        static_cast<float>(std::abs(line.cursorToX(next) - line.cursorToX(hit.textPosition)));
    const QList<QGlyphRun> runs = line.glyphRuns(hit.textPosition, 1);
    hit.bidiLevel = !runs.isEmpty() && runs.first().isRightToLeft() ? 1 : 0;
    return hit;
}

RectF TextLayoutBox::inkBounds() const {
    QRectF ink;
    for (const Run& run : runs_) {
        const GlyphRun& g = run.glyphs;
        const QRectF r = g.fontFace
                             ->glyphRunOutline(g.emSize, g.glyphIndices, g.glyphAdvances,
                                               g.glyphOffsets, g.bidiLevel % 2 != 0)
                             ->path()
                             .boundingRect();
        if (!r.isEmpty())
            ink |= r.translated(run.baselineOrigin.x, run.baselineOrigin.y);
    }
    return ink.isEmpty() ? RectF{} : RectF::fromQRectF(ink);
}

void TextLayoutBox::draw(TextRenderer& renderer, DeviceContext* context, PointF origin) const {
    for (const Run& run : runs_) {
        const PointF baseline{origin.x + run.baselineOrigin.x, origin.y + run.baselineOrigin.y};
        renderer.drawGlyphRun(context, baseline, run.glyphs, run.description);
        const bool rtl = run.glyphs.bidiLevel % 2 != 0;
        const PointF left{rtl ? baseline.x - run.width : baseline.x, baseline.y};
        const float scale = run.glyphs.emSize / run.glyphs.fontFace->designUnitsPerEm();
        const FontFace& face = *run.glyphs.fontFace;
        if (underline_) {
            const float t = face.underlineThickness() * scale;
            renderer.drawUnderline(context, left,
                                   {run.width, t, face.underlinePosition() * scale - t / 2});
        }
        if (strikethrough_) {
            const float t = face.strikethroughThickness() * scale;
            renderer.drawStrikethrough(
                context, left, {run.width, t, face.strikethroughPosition() * scale - t / 2});
        }
    }
}

void TextLayoutBox::draw(DeviceContext& context, PointF origin, const Brush& brush,
                         bool clip) const {
    if (clip)
        context.pushAxisAlignedClip(RectF::fromXYWH(origin.x, origin.y, maxWidth_, maxHeight_));
    BrushRenderer renderer(brush);
    draw(renderer, &context, origin);
    if (clip)
        context.popAxisAlignedClip();
}

} // namespace platform::render
