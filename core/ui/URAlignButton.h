#pragma once
// An align button that paints its own glyph: a two-pixel bar for the edge or centre line and a
// block beside or across it, in white, faint when disabled, full when hot, pressed or focused.
// Its kind (1 left, 2 centre, 3 right, 4 top, 5 middle, 6 bottom) is the align command it runs.

#include <QAbstractButton>

class TRAlignButton : public QAbstractButton {
    Q_OBJECT
public:
    TRAlignButton(int kind, QWidget* parent = nullptr);

    int Kind() const { return FKind; }
    // The opacity (0..255) of the glyph in the button's present state.
    int GlyphAlpha() const;
    // The bar (two one-pixel lines) and the block of a kind in a rectangle.
    static void GlyphParts(int kind, const QRect& rect, QRect& bar, QRect& block);

protected:
    void paintEvent(QPaintEvent* event) override;
    QSize sizeHint() const override;

private:
    int FKind;
};
