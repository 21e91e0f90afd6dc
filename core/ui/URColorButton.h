#pragma once
// A colour button: its face shows the colour, a click opens a gallery of colours with
// "Automatic" (the button's automatic colour) and "More colors...", which opens the one colour
// dialog the whole program shares. Changed() reports every change of the colour.

#include <QColor>
#include <QToolButton>
#include <functional>

class QMenu;

// The program's shared colour dialog: returns the chosen colour, or an invalid colour when the
// user cancels. The editor window may install its own; tests install a scripted one.
using TRColorChooser = std::function<QColor(const QColor& initial, QWidget* parent)>;
QColor ChooseSharedColor(const QColor& initial, QWidget* parent);
// Installs a chooser (null: back to the dialog).
void InstallColorChooser(TRColorChooser chooser);

class TRColorButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRColorButton(QWidget* parent = nullptr);

    QColor Color() const { return FColor; }
    void SetColor(const QColor& color);
    QColor AutomaticColor() const { return FAutomaticColor; }
    void SetAutomaticColor(const QColor& color) { FAutomaticColor = color; }
    QMenu* Gallery() const { return FGallery; }
    // The gallery's fixed colours, in rows of eight.
    static const QList<QRgb>& GalleryColors();
    // "More colors...": the shared dialog, starting at the current colour.
    void MoreColors();

Q_SIGNALS:
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* BuildSwatches();

    QColor FColor = Qt::black;
    QColor FAutomaticColor = Qt::black;
    QMenu* FGallery;
};
