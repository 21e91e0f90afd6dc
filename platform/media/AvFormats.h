#pragma once
// Internal to the layer: our pixel formats in FFmpeg's terms, and the scaler set-up that the
// colour converter and the encoders share.

#include "platform/media/MediaType.h"
#include "platform/media/VideoConverter.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVFrame;
struct SwsContext;

namespace platform::media::detail {

// The FFmpeg pixel format of a layout; AV_PIX_FMT_NONE for Unknown.
AVPixelFormat toAvPixelFormat(PixelFormat format);

// A scaler converting `input` to `output` pictures of one size with `flags`, spread over the
// processor's cores (its threads only run through sws_scale_frame). Null when the layouts
// cannot be converted.
SwsContext* makeScaler(AVPixelFormat input, AVPixelFormat output, int width, int height, int flags);

// Points `frame` (unreferenced first) at the planes of a caller's picture without copying; the
// frame must not outlive the picture.
void viewPicture(const PictureView& picture, AVFrame* frame);

} // namespace platform::media::detail
