#pragma once
// Internal to the layer: our pixel formats in FFmpeg's terms.

#include "platform/media/MediaType.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace platform::media::detail {

// The FFmpeg pixel format of a layout; AV_PIX_FMT_NONE for Unknown.
AVPixelFormat toAvPixelFormat(PixelFormat format);

} // namespace platform::media::detail
