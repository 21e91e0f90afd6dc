#pragma once
// The brush controls the fill, border and text frames share: the brush-style menu button, the
// gradient angle dial, the two-thumb track of the first two colour stops with their colours and
// opacity menus, and the colour button of the solid style.
//
// A click on a thumb without dragging it opens that stop's colour gallery; a right click on a
// thumb opens its opacity menu. A change writes style, angle and the two stops back; positions
// and opacities are whole per cent.

#include "core/URPropBase.h"

#include <QList>
#include <QToolButton>

class QMenu;
class TRColorButton;
class TRColorStops;
class TRDial;
class TRGradientBar;

// The brush style's picture on the style button.
class TRBrushStyleButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRBrushStyleButton(QWidget* parent = nullptr);
    TRBrushStyle Style() const { return FStyle; }
    void SetStyle(TRBrushStyle style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TRBrushStyle FStyle = brsSolid;
};

// The picture icon of the media-library style in `r`.
void PaintPictureIcon(QPainter& painter, const QRect& r);

class TRBrushControls : public QObject {
    Q_OBJECT
public:
    // The controls on `parent`; `styles` are the styles the menu offers, in order.
    TRBrushControls(QWidget* parent, const QList<TRBrushStyle>& styles);

    TRBrushStyleButton* TypeButton() const { return FType; }
    QMenu* TypeMenu() const { return FTypeMenu; }
    TRDial* AngleDial() const { return FAngle; }
    QWidget* ColorPanel() const { return FPanel; }
    TRGradientBar* Track() const { return FTrack; }
    TRColorButton* ColorButton() const { return FColorA; }
    TRColorButton* ColorButtonB() const { return FColorB; }
    QMenu* OpacityMenu(int stop) const { return FOpacityMenus[stop & 1]; }
    // The stop opacities in per cent.
    int StopOpacity(int stop) const { return FOpacity[stop & 1]; }

    // The style's menu item checked and its caption as the button's hint.
    void SetStyle(TRBrushStyle style);
    TRBrushStyle Style() const;
    // Shows or hides a style's menu item.
    void SetStyleVisible(TRBrushStyle style, bool visible);
    void SetStyleEnabled(TRBrushStyle style, bool enabled);
    // Angle, stops 0 and 1 (missing stops read as zeroed ones).
    void Load(float rotation, const TRColorStops& stops);
    // The angle as a group rotation (minus the dial).
    float Rotation() const;
    // Writes stops 0 and 1; a list of another length is replaced by these two.
    void Save(TRColorStops& stops) const;
    // Places the style's controls in the row starting at `left`, `top`, reaching to `right`.
    void Layout(int left, int top, int right);
    // Shows and hides the angle dial, the track and the colour button for the style.
    void UpdateInterface();

Q_SIGNALS:
    void Changed();

private:
    QMenu* OpacityMenuFor(int stop, QWidget* parent);
    void SetOpacity(int stop, int percent);
    void ShowThumbColors();

    TRBrushStyleButton* FType;
    QMenu* FTypeMenu;
    TRDial* FAngle;
    QWidget* FPanel;
    TRGradientBar* FTrack;
    TRColorButton* FColorA;
    TRColorButton* FColorB;
    QMenu* FOpacityMenus[2];
    int FOpacity[2] = {100, 100};
    int FLeft = 0, FTop = 0, FRight = 0;
};

// The caption of a brush style ("Solid Color", ...).
QString BrushStyleCaption(TRBrushStyle style);
