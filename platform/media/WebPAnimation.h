// The frames of an animated WebP file, each delivered as the whole composed canvas in
// premultiplied BGRA.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::media {

class WebPAnimation {
public:
    // Reads the whole file. Throws MediaError when it is not a readable WebP file, is a still
    // picture, or has no frames.
    explicit WebPAnimation(const std::string& path);
    ~WebPAnimation();
    WebPAnimation(const WebPAnimation&) = delete;
    WebPAnimation& operator=(const WebPAnimation&) = delete;

    int width() const;
    int height() const;
    uint32_t backgroundColour() const;
    int loopCount() const;
    // Display time of each frame in milliseconds, in order.
    const std::vector<int>& durations() const;

    // The composed canvas of frame `index` (width() × height(), `pitch` bytes per row). Going
    // forward decodes only the frames in between; going back starts again from the first frame.
    // False when the frame cannot be decoded.
    bool decodeFrame(int index, uint8_t* canvas, int pitch);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
