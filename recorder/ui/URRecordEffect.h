#pragma once
// The dimming overlay: a black, 20 % opaque window over the primary monitor that lets every
// click through and has a hole where the capture-area frame lies. It is shown only while a
// compositing manager runs: without one its translucency would be opaque black.

#include <QRect>
#include <QWidget>

class QPropertyAnimation;

class TrecordEffect : public QWidget {
    Q_OBJECT
public:
    explicit TrecordEffect(QWidget* parent = nullptr);
    ~TrecordEffect() override;

    // Covers the primary monitor and cuts AFrame (screen coordinates) out of it.
    void UpdateRegion(const QRect& AFrame);
    // Fades in over 0.3 s when the overlay may be shown (one monitor, a compositing manager).
    void ShowOverlay();
    static bool CanShow();
    // The overlay's opacity when fully faded in.
    static constexpr double ShownOpacity = 50.0 / 255.0;

private:
    QPropertyAnimation* FAnimationShow = nullptr;
};

// The overlay of the program; null before it is created.
extern TrecordEffect* recordEffect;
