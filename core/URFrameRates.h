#pragma once
// The frame rates an export (and the recorder) offers: every video format and the audio-only
// formats, and the animated GIF and WebP formats.

#include <array>

inline constexpr std::array<int, 10> VideoFrameRates{1, 5, 10, 20, 24, 25, 30, 48, 50, 60};
inline constexpr std::array<int, 9> GifFrameRates{1, 2, 4, 5, 10, 15, 20, 25, 30};

// The quality steps (percent) of the recorder's menus and dialogs.
inline constexpr std::array<int, 6> VideoQualities{50, 60, 70, 80, 90, 100};
