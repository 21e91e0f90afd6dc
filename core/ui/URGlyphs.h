#pragma once
// The glyph set of the user interface: each glyph index used by the forms maps to a character
// of the installed icon font, or to a small SVG drawn here where the font has no equivalent.
// Glyphs are vector drawings, crisp at every device pixel ratio.

#include <QColor>
#include <QIcon>
#include <QWidget>

class QPainter;

// Glyph indexes of the program's own controls beside those the forms name.
enum TRGlyphIndex : int {
    GlyphKindText = 49,
    GlyphKindVideoEffect = 67,
    GlyphKindSketch = 70,
    GlyphKindZoomArea = 14,
    GlyphKindShape = 150,
    GlyphExpand = 218,
    GlyphReset = 226,
    GlyphKindSpeech = 229,
    GlyphKindTransition = 236,
    GlyphKindKeystroke = 284,
    GlyphKindVideoAction = 285,
    GlyphKindImage = 453,
    GlyphKindAudio = 455,
    GlyphKindVideo = 456,
    GlyphKindCaption = 522,
    GlyphAlignLeft = 1000,
    GlyphAlignCenter,
    GlyphAlignRight,
    GlyphAlignTop,
    GlyphAlignMiddle,
    GlyphAlignBottom,
    GlyphBold,
    GlyphItalic,
    GlyphUnderline,
    GlyphDropDown,
    GlyphCheck,
    GlyphVisible,
    GlyphHidden,
    GlyphLink,
    GlyphFlip,
    // Drawn from SVG: no equivalent in the font.
    GlyphRecording = 1100,
    GlyphFlipHorizontal,
    // The editor window and the inspector's header: lock, transport, files and the category
    // tabs (GlyphCategory + 1 .. GlyphCategory + 11).
    GlyphLock = 1200,
    GlyphUnlock,
    GlyphUnlink,
    GlyphPlay,
    GlyphSkipStart,
    GlyphSkipEnd,
    GlyphPreviousFrame,
    GlyphNextFrame,
    GlyphVolume,
    GlyphClose,
    GlyphSave,
    GlyphRecord,
    GlyphAddKeyframe,
    GlyphStop,
    GlyphVolumeOff,
    // The timing dialog: fixed duration (pressed and released) and the four time buttons.
    GlyphFixedDuration = 193,
    GlyphFreeDuration = 295,
    GlyphExtendLeft = 1220,
    GlyphExtendRight,
    GlyphMoveLeft,
    GlyphMoveRight,
    GlyphCategory = 1300,
};

// The family of the icon font.
inline constexpr const char* GlyphFontFamily = "Material Icons";

// Every index of the table, in index order.
QList<int> GlyphIndexes();
// The font character of a glyph, or 0 when it is drawn from SVG or unknown.
char16_t GlyphCharacter(int index);
// Whether the glyph is drawn from SVG.
bool GlyphIsSvg(int index);
// Draws the glyph into `rect` in `color`, turned clockwise by `rotation` degrees about the
// rectangle's centre. An unknown index draws nothing.
void DrawGlyph(QPainter& painter, const QRectF& rect, int index, const QColor& color,
               qreal rotation = 0);
// An icon of the glyph, drawn anew at each size and device pixel ratio.
QIcon GlyphIcon(int index, const QColor& color);

// A glyph image: one glyph in a colour, optionally turned; a click reports through clicked().
// "RotationAngle" is animated by name.
class TRGlyphImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int RotationAngle READ RotationAngle WRITE SetRotationAngle)
public:
    explicit TRGlyphImage(int glyphIndex, QWidget* parent = nullptr);

    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int index);
    int RotationAngle() const { return FRotationAngle; }
    void SetRotationAngle(int degrees);
    QColor GlyphColor() const { return FColor; }
    void SetGlyphColor(const QColor& color);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int FGlyphIndex;
    int FRotationAngle = 0;
    QColor FColor;
};
