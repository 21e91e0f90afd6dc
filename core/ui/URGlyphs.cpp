#include "core/ui/URGlyphs.h"

#include "core/ui/URStyle.h"

#include <QIconEngine>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <map>

namespace {

struct TGlyph {
    char16_t Character;
    const char* Svg; // "currentColor" stands for the glyph's colour
};

const std::map<int, TGlyph>& Glyphs() {
    static const std::map<int, TGlyph> glyphs{
        {GlyphKindZoomArea, {0xe8ff, nullptr}},
        {GlyphKindText, {0xe264, nullptr}},
        {GlyphKindVideoEffect, {0xe663, nullptr}},
        {GlyphKindSketch, {0xe155, nullptr}},
        {GlyphKindShape, {0xe574, nullptr}},
        {GlyphExpand, {0xe5cc, nullptr}},
        {GlyphReset, {0xe5d5, nullptr}},
        {GlyphKindSpeech, {0xe91f, nullptr}},
        {GlyphKindTransition, {0xe8d4, nullptr}},
        {GlyphKindKeystroke, {0xe312, nullptr}},
        {GlyphKindVideoAction, {0xe039, nullptr}},
        {GlyphKindImage, {0xe3f4, nullptr}},
        {GlyphKindAudio, {0xe405, nullptr}},
        {GlyphKindVideo, {0xe02c, nullptr}},
        {GlyphKindCaption, {0xe01c, nullptr}},
        {GlyphAlignLeft, {0xe236, nullptr}},
        {GlyphAlignCenter, {0xe234, nullptr}},
        {GlyphAlignRight, {0xe237, nullptr}},
        {GlyphAlignTop, {0xe25a, nullptr}},
        {GlyphAlignMiddle, {0xe259, nullptr}},
        {GlyphAlignBottom, {0xe258, nullptr}},
        {GlyphBold, {0xe238, nullptr}},
        {GlyphItalic, {0xe23f, nullptr}},
        {GlyphUnderline, {0xe249, nullptr}},
        {GlyphDropDown, {0xe5c5, nullptr}},
        {GlyphCheck, {0xe5ca, nullptr}},
        {GlyphVisible, {0xe8f4, nullptr}},
        {GlyphHidden, {0xe8f5, nullptr}},
        {GlyphLink, {0xe157, nullptr}},
        {GlyphFlip, {0xe3e8, nullptr}},
        {GlyphRecording,
         {0, "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 24 24'>"
             "<circle cx='12' cy='12' r='9' fill='none' stroke='currentColor' stroke-width='2'/>"
             "<circle cx='12' cy='12' r='5' fill='#E53935'/></svg>"}},
        {GlyphFlipHorizontal,
         {0, "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 24 24'>"
             "<path d='M11 4 L11 20 L3 20 Z' fill='currentColor'/>"
             "<path d='M13 4 L13 20 L21 20 Z' fill='currentColor' fill-opacity='0.4'/></svg>"}},
        {GlyphLock, {0xe897, nullptr}},
        {GlyphUnlock, {0xe898, nullptr}},
        {GlyphUnlink, {0xe16f, nullptr}},
        {GlyphPlay, {0xe037, nullptr}},
        {GlyphSkipStart, {0xe045, nullptr}},
        {GlyphSkipEnd, {0xe044, nullptr}},
        {GlyphPreviousFrame, {0xe408, nullptr}},
        {GlyphNextFrame, {0xe409, nullptr}},
        {GlyphVolume, {0xe050, nullptr}},
        {GlyphClose, {0xe5cd, nullptr}},
        {GlyphSave, {0xe161, nullptr}},
        {GlyphRecord, {0xe061, nullptr}},
        {GlyphAddKeyframe, {0xe145, nullptr}},
        {GlyphStop, {0xe047, nullptr}},
        {GlyphVolumeOff, {0xe04f, nullptr}},
        {GlyphFixedDuration, {0xe897, nullptr}},
        {GlyphFreeDuration, {0xe898, nullptr}},
        {GlyphExtendLeft, {0xe5dc, nullptr}},
        {GlyphExtendRight, {0xe5dd, nullptr}},
        {GlyphMoveLeft, {0xe5cb, nullptr}},
        {GlyphMoveRight, {0xe5cc, nullptr}},
        {GlyphCategory + 1, {0xe89f, nullptr}},  // placement: move arrows
        {GlyphCategory + 2, {0xe8ff, nullptr}},  // zoom and flip
        {GlyphCategory + 3, {0xe323, nullptr}},  // cursor: mouse
        {GlyphCategory + 4, {0xe40a, nullptr}},  // fill and border: palette
        {GlyphCategory + 5, {0xe262, nullptr}},  // text
        {GlyphCategory + 6, {0xe3c2, nullptr}},  // zoom source: frame
        {GlyphCategory + 7, {0xe429, nullptr}},  // colour and effects: sliders
        {GlyphCategory + 8, {0xe155, nullptr}},  // sketch: gesture
        {GlyphCategory + 9, {0xe8d4, nullptr}},  // transitions
        {GlyphCategory + 10, {0xe913, nullptr}}, // interactivity: touch
        {GlyphCategory + 11, {0xe050, nullptr}}, // volume
    };
    return glyphs;
}

const TGlyph* Find(int index) {
    const auto& glyphs = Glyphs();
    const auto found = glyphs.find(index);
    return found == glyphs.end() ? nullptr : &found->second;
}

void DrawSvg(QPainter& painter, const QRectF& rect, const char* svg, const QColor& color) {
    QByteArray text(svg);
    text.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(text);
    painter.save();
    painter.setOpacity(painter.opacity() * color.alphaF());
    renderer.render(&painter, rect);
    painter.restore();
}

class TGlyphIconEngine : public QIconEngine {
public:
    TGlyphIconEngine(int index, QColor color) : FIndex(index), FColor(color) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QColor color = FColor;
        if (mode == QIcon::Disabled)
            color.setAlpha(color.alpha() / 2);
        DrawGlyph(*painter, rect, FIndex, color);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new TGlyphIconEngine(FIndex, FColor); }

private:
    int FIndex;
    QColor FColor;
};

} // namespace

QList<int> GlyphIndexes() {
    QList<int> indexes;
    for (const auto& [index, glyph] : Glyphs())
        indexes.append(index);
    return indexes;
}

char16_t GlyphCharacter(int index) {
    const TGlyph* glyph = Find(index);
    return glyph ? glyph->Character : 0;
}

bool GlyphIsSvg(int index) {
    const TGlyph* glyph = Find(index);
    return glyph && glyph->Svg;
}

void DrawGlyph(QPainter& painter, const QRectF& rect, int index, const QColor& color,
               qreal rotation) {
    const TGlyph* glyph = Find(index);
    if (!glyph)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(rect.center());
    painter.rotate(rotation);
    const QRectF local(-rect.width() / 2, -rect.height() / 2, rect.width(), rect.height());
    if (glyph->Svg) {
        DrawSvg(painter, local, glyph->Svg, color);
    } else {
        QFont font(GlyphFontFamily);
        font.setPixelSize(qMax(1, qRound(qMin(rect.width(), rect.height()))));
        font.setHintingPreference(QFont::PreferNoHinting);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(local, Qt::AlignCenter, QString(QChar(glyph->Character)));
    }
    painter.restore();
}

QIcon GlyphIcon(int index, const QColor& color) {
    return QIcon(new TGlyphIconEngine(index, color));
}

TRGlyphImage::TRGlyphImage(int glyphIndex, QWidget* parent)
    : QWidget(parent), FGlyphIndex(glyphIndex), FColor(TRStyleColors::Text) {
    setCursor(Qt::PointingHandCursor);
}

void TRGlyphImage::SetGlyphIndex(int index) {
    FGlyphIndex = index;
    update();
}

void TRGlyphImage::SetRotationAngle(int degrees) {
    if (FRotationAngle == degrees)
        return;
    FRotationAngle = degrees;
    update();
}

void TRGlyphImage::SetGlyphColor(const QColor& color) {
    FColor = color;
    update();
}

void TRGlyphImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawGlyph(painter, rect(), FGlyphIndex, isEnabled() ? FColor : WithAlpha(FColor.rgb(), 90),
              FRotationAngle);
}

void TRGlyphImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
