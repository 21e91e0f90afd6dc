// Colour conversion of pictures to 32-bit BGRA, top row first (never flipped).
#pragma once

#include "platform/media/MediaType.h"
#include "platform/media/Sample.h"

#include <cstdint>
#include <memory>

namespace platform::media {

// A caller's picture in one of the layer's layouts. Planes follow the layout's order
// (Y, U/V or Y, U, V); unused planes stay null.
struct PictureView {
    PixelFormat format = PixelFormat::Unknown;
    int width = 0;
    int height = 0;
    const uint8_t* planes[3] = {};
    int pitches[3] = {};

    // The planes of a picture stored in one block without row gaps.
    static PictureView contiguous(PixelFormat format, int width, int height, const uint8_t* data);
};

// How YUV values map to RGB when the source does not say.
enum class ColourMatrix { Bt601, Bt709 };

class VideoConverter {
public:
    VideoConverter();
    ~VideoConverter();
    VideoConverter(const VideoConverter&) = delete;
    VideoConverter& operator=(const VideoConverter&) = delete;

    // Prepares the conversion of `input` pictures of this size to BGRA. Throws MediaError when
    // the layout or size cannot be converted; the converter is then not valid.
    void setup(PixelFormat input, int width, int height, ColourMatrix matrix = ColourMatrix::Bt601);
    bool isValid() const;

    // Converts a picture of the set-up layout and size into `dst` (`dstPitch` bytes per row,
    // at least width × 4). Throws MediaError when the converter is not valid or the picture does
    // not match its set-up.
    void convert(const PictureView& picture, uint8_t* dst, int dstPitch);

    // Converts a decoded video sample, whatever its layout, with the colour matrix and range the
    // stream states. Throws MediaError for an empty or non-video sample.
    void convert(const Sample& sample, uint8_t* dst, int dstPitch);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
