// The text of a giflib error code; giflib has none for some codes.
#pragma once

#include <gif_lib.h>
#include <string>

namespace platform::media {

inline std::string gifError(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "GIF error " + std::to_string(code);
}

} // namespace platform::media
