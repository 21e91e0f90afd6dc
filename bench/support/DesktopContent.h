// Desktop-like pictures for the benchmarks, made by the benchmarks themselves: a desktop
// background, a document window whose anti-aliased text scrolls, and a second window dragged
// across the screen. Every frame differs from the one before in the scrolled text and around
// the dragged window, as a screen recording of someone reading and arranging windows does.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

class DesktopContent {
public:
    DesktopContent(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // Frame `index` as BGRA, rows of width × 4 bytes, into `out` (width × height × 4 bytes).
    // Composed from pictures rendered once: cheap next to any encoder.
    void frame(int index, uint8_t* out) const;
    std::vector<uint8_t> frame(int index) const;

private:
    int width_;
    int height_;
    QImage desktop_;  // background, icons, task bar and the document window's frame
    QImage document_; // the document's page, several screens tall
    QImage window_;   // the window being dragged
    QRect page_;      // where the document's page shows
};
