#pragma once
// Dims the client area of a window while a modal form launched from it is open, so the user
// sees which window waits. The dimming lasts as long as the object.

#include <QPointer>
#include <QWidget>

class TRDimmer {
public:
    // Dims `window`'s client area (nothing for a null window).
    explicit TRDimmer(QWidget* window);
    ~TRDimmer();
    TRDimmer(const TRDimmer&) = delete;
    TRDimmer& operator=(const TRDimmer&) = delete;

    // The overlay, or null when nothing is dimmed.
    QWidget* Overlay() const { return FOverlay; }

private:
    QPointer<QWidget> FOverlay;
};

// Runs `modal` (a dialog's exec) with `window` dimmed and returns its result.
template <class Modal> auto RunDimmed(QWidget* window, Modal&& modal) {
    TRDimmer dimmer(window);
    return modal();
}
