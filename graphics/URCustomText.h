#pragma once
// The text renderer of visual objects: every letter of a laid-out text is drawn as geometry,
// placed along a path inside the text rectangle (a line, an arc, a circle, an ellipse, a spiral or
// a sinusoid), turned to the path's direction, optionally animated letter by letter or line by
// line, outlined, underlined and struck through along the same path. In erase mode the letters
// are united into one geometry instead of being filled.

#include "graphics/URTextAnimator.h"
#include "platform/render/Brush.h"
#include "platform/render/Geometry.h"
#include "platform/render/Text.h"

// Path kinds of the text-path group.
enum TRTextPathType : int {
    tpLine = 0,
    tpArc = 1,
    tpCircle = 2,
    tpEllipse = 3,
    tpSpiral = 4,
    tpSinusoid = 5
};

class TRCustomTextRenderer : public platform::render::TextRenderer {
public:
    platform::render::BrushPtr FillBrush;
    platform::render::BrushPtr OutlineBrush;
    platform::render::RectF PathRect;
    int PathType = tpLine;
    float PathAdjust = 0;
    float OffsetOnPath = 0;
    float OutlineSize = 0;
    int m_nrletters = 0;
    int m_nrlines = 0;
    float m_last_line_Y = -1;
    bool m_Underline = false;
    platform::render::BrushPtr m_UnderlineBrush;
    bool m_Strike = false;
    platform::render::BrushPtr m_StrikeBrush;
    platform::render::RectF destRect;
    int Current_Time = 0;
    const TRTextAnimator* propTextAnimation = nullptr;
    bool m_Erase = false;
    platform::render::GeometryPtr m_Geometry;
    float letter_height = 0;

    // Counters back to the start of a pass (between the outline and the fill pass).
    void ResetCounters();

    void drawGlyphRun(platform::render::DeviceContext* context,
                      platform::render::PointF baselineOrigin,
                      const platform::render::GlyphRun& run,
                      const platform::render::GlyphRunDescription& description) override;
    void drawUnderline(platform::render::DeviceContext* context,
                       platform::render::PointF baselineOrigin,
                       const platform::render::TextDecoration& underline) override;
    void drawStrikethrough(platform::render::DeviceContext* context,
                           platform::render::PointF baselineOrigin,
                           const platform::render::TextDecoration& strikethrough) override;

    // The path for a line of text whose baseline is at y; nullptr when the path has no length
    // there (a circle, ellipse or spiral smaller than the line's depth).
    platform::render::GeometryPtr GetPathGeometry(float y) const;
    void AddToGeometry(const platform::render::GeometryPtr& geometry);

private:
    struct Timing;
    struct Letter;
    Timing AnimationTiming() const;
    void DrawLetter(platform::render::DeviceContext& context,
                    const platform::render::Geometry& path, const platform::render::GlyphRun& run,
                    const Letter& letter, const Timing& timing);
    void DrawLineAlongPath(platform::render::DeviceContext* context,
                           platform::render::PointF baselineOrigin,
                           const platform::render::TextDecoration& line,
                           const platform::render::BrushPtr& brush);
};

// The letters of a glyph run: the glyph range [first, first + count) of every cluster, in glyph
// order. Cluster-map entries out of range or out of order are clamped, so every glyph belongs to
// exactly one letter.
struct TRGlyphCluster {
    std::size_t first = 0;
    std::size_t count = 0;
};
std::vector<TRGlyphCluster> GlyphClusters(const platform::render::GlyphRun& run,
                                          const platform::render::GlyphRunDescription& description);
// The outline of one letter of a run, its origin on the baseline at its left edge: the letter
// extends to the right of its origin whatever the run's direction.
platform::render::GeometryPtr LetterOutline(const platform::render::GlyphRun& run,
                                            const TRGlyphCluster& letter);
// The sum of the letter's glyph advances.
float LetterAdvance(const platform::render::GlyphRun& run, const TRGlyphCluster& letter);
