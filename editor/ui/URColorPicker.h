#pragma once
// The screen colour picker: a frozen picture of the primary monitor shown full-screen on it,
// with a swatch of the colour under the pointer beside it; a click picks that colour, Escape
// picks none. Created once at start-up and reused.

#include <QDialog>
#include <QImage>

class TRColorPicker : public QDialog {
    Q_OBJECT
public:
    explicit TRColorPicker(QWidget* parent = nullptr);

    // Freezes the primary monitor and covers it; the caller then shows the picker modally and
    // reads Tag. False (Tag -1) when the screen cannot be captured: not on X11, or the grab
    // failed; the reason is shown to the user.
    bool TakeShot();

    // The picked colour as 0x00BBGGRR, or -1 for none.
    int Tag = -1;
    const QImage& Bitmap() const { return FBitmap; }

    // The 32 x 32 swatch beside the pointer at `p`: below right, below left, above left or above
    // right, 16 px away, whichever first lies wholly inside `area`; empty when none does.
    static QRect SwatchRect(const QPoint& p, const QSize& area);
    // The swatch's outline over a screen colour: black over light, white over dark.
    static QColor OutlineOver(QRgb screen);
    // A screen colour as 0x00BBGGRR.
    static int ColorValue(QRgb screen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage FBitmap;
};
