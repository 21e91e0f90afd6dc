// The frames of an animated GIF file: the logical screen, each frame's rectangle, delay and
// disposal, and each frame's pixels as premultiplied BGRA (transparent pixels all zero).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::media {

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delayCs = 0;  // hundredths of a second
    int disposal = 0; // the GIF disposal method (2 = restore to background)
};

class GifAnimation {
public:
    // Reads the whole file. Throws MediaError when it is not a readable GIF or has no frame or
    // no logical screen size.
    explicit GifAnimation(const std::string& path);
    ~GifAnimation();
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    int width() const;
    int height() const;
    const std::vector<GifFrame>& frames() const;

    // Draws frame `index` over the picture `canvas` (width() × height(), `pitch` bytes per row):
    // the frame's opaque pixels replace those below, its transparent pixels leave them; the
    // parts of its rectangle outside the logical screen are dropped.
    void drawFrame(int index, uint8_t* canvas, int pitch) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
