// Text: formats, laid-out paragraphs and the glyph runs a text renderer receives.
//
// A TextFormat names the font (family, weight, style, size in DIPs) and the default alignment and
// wrapping; a TextLayoutBox lays a string out in a box of maximum width and height. Drawing a
// layout hands its glyph runs, underlines and strike-throughs to a TextRenderer in visual line
// order, each with its baseline origin; the renderer decides how letters are painted (the layout's
// own DeviceContext::drawTextLayout() simply fills them with a brush). Glyph outlines are cached
// per font face and glyph, so asking for them on every paint is cheap.
//
// Sizes are DIPs (1/96 inch). Outlines ignore hinting, so they scale exactly with the em size.
#pragma once

#include "platform/render/Geometry.h"
#include "platform/render/TextLayout.h"
#include "platform/render/Types.h"

#include <QFont>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

namespace platform::render {

enum class FontStyle { Normal = 0, Oblique = 1, Italic = 2 };
/// Horizontal alignment of the lines in the box (stored as bytes: 0..3).
enum class TextAlignment { Leading = 0, Trailing = 1, Center = 2, Justified = 3 };
/// Vertical alignment of the whole text in the box (stored as bytes: 0..2).
enum class ParagraphAlignment { Near = 0, Far = 1, Center = 2 };
enum class WordWrapping { Wrap, NoWrap };

/// A stored alignment byte as the enumeration; unknown values give the leading / near edge.
TextAlignment textAlignmentFromByte(int value);
ParagraphAlignment paragraphAlignmentFromByte(int value);

struct TextFormatProperties {
    QString family;
    int weight = 400; ///< 100..900; 700 is bold
    FontStyle style = FontStyle::Normal;
    float size = 12; ///< em size in DIPs
};

class TextFormat {
public:
    /// nullptr when the size is not positive or not finite.
    static std::shared_ptr<TextFormat> create(const TextFormatProperties& props);

    const TextFormatProperties& properties() const { return props_; }
    void setTextAlignment(TextAlignment a) { textAlignment_ = a; }
    TextAlignment textAlignment() const { return textAlignment_; }
    void setParagraphAlignment(ParagraphAlignment a) { paragraphAlignment_ = a; }
    ParagraphAlignment paragraphAlignment() const { return paragraphAlignment_; }
    void setWordWrapping(WordWrapping w) { wordWrapping_ = w; }
    WordWrapping wordWrapping() const { return wordWrapping_; }
    /// The Qt font of this format (unhinted, sized for a 96-DPI device).
    QFont font() const;

private:
    explicit TextFormat(const TextFormatProperties& props) : props_(props) {}
    TextFormatProperties props_;
    TextAlignment textAlignment_ = TextAlignment::Leading;
    ParagraphAlignment paragraphAlignment_ = ParagraphAlignment::Near;
    WordWrapping wordWrapping_ = WordWrapping::Wrap;
};

using TextFormatPtr = std::shared_ptr<const TextFormat>;

/// One font file's face: design metrics and cached glyph outlines. Faces are shared process-wide;
/// every method may be called from any thread.
class FontFace {
public:
    /// The shared face of a font (any pixel size of the same face gives the same object).
    static std::shared_ptr<const FontFace> of(const QRawFont& font);

    float designUnitsPerEm() const { return unitsPerEm_; }
    /// Design units above and below the baseline (both positive).
    float ascent() const { return ascent_; }
    float descent() const { return descent_; }
    /// Design units below the baseline (negative: above) of the middle of the lines' bands, and
    /// their thickness.
    float underlinePosition() const { return underlinePosition_; }
    float underlineThickness() const { return underlineThickness_; }
    float strikethroughPosition() const { return strikethroughPosition_; }
    float strikethroughThickness() const { return strikethroughThickness_; }

    /// The outline of one glyph in design units, origin on the baseline at the glyph's left.
    QPainterPath glyphOutline(quint32 glyph) const;
    /// The outline of `glyphs` at `emSize`, origin on the baseline. Left to right, glyph i sits
    /// at the sum of the advances before it plus its offset; right to left, the glyphs go
    /// leftwards (glyph i's left edge at minus the advances up to and including it).
    GeometryPtr glyphRunOutline(float emSize, std::span<const quint32> glyphs,
                                std::span<const float> advances, std::span<const PointF> offsets,
                                bool rightToLeft) const;

private:
    explicit FontFace(const QRawFont& font);
    QRawFont designFont_; // pixel size = units per em
    float unitsPerEm_, ascent_, descent_;
    float underlinePosition_, underlineThickness_;
    float strikethroughPosition_, strikethroughThickness_;
    mutable std::mutex cacheMutex_;
    mutable std::unordered_map<quint32, QPainterPath> outlines_;
};

using FontFacePtr = std::shared_ptr<const FontFace>;

/// A run of glyphs of one face, size, direction and baseline.
struct GlyphRun {
    FontFacePtr fontFace;
    float emSize = 0;
    std::vector<quint32> glyphIndices;
    std::vector<float> glyphAdvances; ///< DIPs, positive in either direction
    std::vector<PointF> glyphOffsets; ///< DIPs from the glyph's nominal position, y downwards
    unsigned bidiLevel = 0;           ///< even: left to right
};

/// The text behind a glyph run. `clusterMap` has one entry per character of `string`: the
/// index of the first glyph of that character's cluster (characters of one cluster share it).
struct GlyphRunDescription {
    QString string;
    std::vector<quint16> clusterMap;
    int textPosition = 0; ///< of string[0] in the layout's text
};

/// An underline or strike-through under (over) one glyph run, from its left end.
struct TextDecoration {
    float width = 0;     ///< DIPs along the baseline, from the baseline origin
    float thickness = 0; ///< DIPs
    float offset = 0;    ///< from the baseline to the top of the line's band, y downwards
};

/// Receives a layout's drawing. `context` is the client context given to TextLayoutBox::draw.
class TextRenderer {
public:
    virtual ~TextRenderer();
    virtual void drawGlyphRun(DeviceContext* context, PointF baselineOrigin, const GlyphRun& run,
                              const GlyphRunDescription& description) = 0;
    virtual void drawUnderline(DeviceContext* context, PointF baselineOrigin,
                               const TextDecoration& underline) = 0;
    virtual void drawStrikethrough(DeviceContext* context, PointF baselineOrigin,
                                   const TextDecoration& strikethrough) = 0;
};

struct TextMetrics {
    float left = 0, top = 0; ///< of the lines' box relative to the layout origin
    float width = 0;         ///< widest line without trailing blanks
    float height = 0;        ///< of all lines
    float layoutWidth = 0, layoutHeight = 0;
    int lineCount = 0;
    float widthIncludingTrailingWhitespace = 0; ///< widest line with its trailing blanks
};

struct LineMetrics {
    int length = 0; ///< characters, trailing blanks and the line break included
    float height = 0;
    float baseline = 0;               ///< from the line's top
    int trailingWhitespaceLength = 0; ///< blanks and the line break at the line's end
};

/// Where one character of a layout lies.
struct TextPositionHit {
    PointF point;           ///< its leading edge (the right one in right-to-left text), line top
    float width = 0;        ///< its advance
    float height = 0;       ///< of its line
    unsigned bidiLevel = 0; ///< even: left to right
    int textPosition = 0;   ///< the character actually hit
};

/// A laid-out text. Immutable once created, apart from its decorations.
class TextLayoutBox : public TextLayout {
public:
    /// nullptr without a format. A line break starts a new line; maximum width and height are
    /// DIPs (the width is where lines wrap and align; the height aligns the paragraph).
    static std::shared_ptr<TextLayoutBox> create(const QString& text, TextFormatPtr format,
                                                 float maxWidth, float maxHeight);

    /// Underline or strike through the whole text.
    void setUnderline(bool on) { underline_ = on; }
    void setStrikethrough(bool on) { strikethrough_ = on; }

    TextMetrics metrics() const;
    std::vector<LineMetrics> lineMetrics() const;
    /// Where glyph outlines put ink, relative to the layout origin (empty: no ink).
    RectF inkBounds() const;
    /// The character at `textPosition`, relative to the layout origin. Positions outside the
    /// text are held to its first or last character; an empty text answers the start of its
    /// first line.
    TextPositionHit hitTestTextPosition(int textPosition) const;

    /// Hands every glyph run and decoration to `renderer` with the layout's top-left at
    /// `origin`.
    void draw(TextRenderer& renderer, DeviceContext* context, PointF origin) const;
    /// Fills the glyphs (and decorations) with `brush`; `clip` limits drawing to the box.
    void draw(DeviceContext& context, PointF origin, const Brush& brush, bool clip) const override;

private:
    struct Run {
        GlyphRun glyphs;
        GlyphRunDescription description;
        PointF baselineOrigin; // relative to the layout's top-left
        float width = 0;
    };
    TextLayoutBox() = default;
    void layOut(const QString& text);
    void collectRuns(const QTextLine& line, const QString& text);

    TextFormatPtr format_;
    float maxWidth_ = 0, maxHeight_ = 0;
    QTextLayout qtLayout_;
    float offsetY_ = 0; // paragraph alignment
    std::vector<Run> runs_;
    bool underline_ = false, strikethrough_ = false;
};

using TextLayoutBoxPtr = std::shared_ptr<TextLayoutBox>;

} // namespace platform::render
