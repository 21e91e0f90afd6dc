#pragma once
// Glyph buttons: a toggle shows a glyph and stays down while checked; radio buttons of one
// parent exclude each other. TRAlignGlyphs is a row of three radio glyphs for an alignment
// (left, centre, right or top, middle, bottom).

#include <QAbstractButton>

class TRGlyphButton : public QAbstractButton {
    Q_OBJECT
public:
    // A toggle; SetRadio makes it one of a group of exclusive buttons.
    TRGlyphButton(int glyphIndex, QWidget* parent = nullptr);

    int GlyphIndex() const { return FGlyphIndex; }
    void SetGlyphIndex(int index);
    void SetRadio(bool radio);

protected:
    void paintEvent(QPaintEvent* event) override;
    QSize sizeHint() const override;

private:
    int FGlyphIndex;
};

class TRAlignGlyphs : public QWidget {
    Q_OBJECT
public:
    enum Orientation { Horizontal, Vertical };
    explicit TRAlignGlyphs(Orientation orientation, QWidget* parent = nullptr);

    // 0 left or top, 1 centre or middle, 2 right or bottom.
    int Value() const;
    void SetValue(int value);
    TRGlyphButton* Button(int index) const { return FButtons[index]; }

Q_SIGNALS:
    // Every change of the value, the program's included.
    void Changed();

private:
    TRGlyphButton* FButtons[3];
};
