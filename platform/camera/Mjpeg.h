// Motion-JPEG camera frames decoded to I420 (a Y plane, then the U and V planes at half the
// width and height, without row gaps) in video range, like the frames of a camera's own I420.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::camera {

class MjpegDecoder {
public:
    MjpegDecoder();
    ~MjpegDecoder();
    MjpegDecoder(const MjpegDecoder&) = delete;
    MjpegDecoder& operator=(const MjpegDecoder&) = delete;

    // Decodes one frame of `width` × `height` (both even) into `out` (width × height × 3 / 2
    // bytes). False when the data is no colour JPEG picture of that size; `out` may then hold
    // part of a picture.
    bool decodeToI420(const uint8_t* data, size_t bytes, int width, int height, uint8_t* out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace platform::camera
