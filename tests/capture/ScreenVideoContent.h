#pragma once
// Synthetic screen content for the screen-video tests and benchmarks: a static desktop with a
// small change per frame, scrolling text, and full-motion video.

#include <cstdint>
#include <vector>

enum class TScreenContent { Desktop, ScrollingText, Motion };

// Frame number Frame of the content as BGRA, Width x Height, rows packed.
inline std::vector<uint8_t> ScreenContentFrame(TScreenContent Kind, int Width, int Height,
                                               int Frame) {
    std::vector<uint8_t> bgra(std::size_t(Width) * Height * 4);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            uint8_t* p = bgra.data() + (std::size_t(y) * Width + x) * 4;
            int b, g, r;
            if (Kind == TScreenContent::Desktop) {
                // Window panels with title bars and a clock whose digits change every frame.
                const bool title = (y % 240) < 24;
                const bool panel = (x / 320 + y / 240) % 2 == 0;
                b = title ? 180 : panel ? 240 : 40;
                g = title ? 120 : panel ? 240 : 90;
                r = title ? 40 : panel ? 240 : 160;
                if (y >= 8 && y < 20 && x >= Width - 60 && x < Width - 4 &&
                    ((x * 7 + y * 3 + Frame * 11) % 13) < 5)
                    b = g = r = 0;
            } else if (Kind == TScreenContent::ScrollingText) {
                // Lines of "glyphs" scrolling up by 3 pixels per frame.
                const int line = (y + 3 * Frame) / 18;
                const int row = (y + 3 * Frame) % 18;
                const bool ink = row > 3 && row < 14 && ((x / 7 * 31 + line * 17) % 5 != 0) &&
                                 ((x % 7) == 1 || (row + x) % 5 == 0);
                b = g = r = ink ? 20 : 250;
            } else {
                // Moving colour gradients with grain.
                const unsigned grain =
                    (unsigned(x) * 2654435761u ^ unsigned(y + Frame) * 40503u) >> 28;
                b = (x + 2 * Frame) % 256;
                g = (y * 2 + 3 * Frame) % 256;
                r = ((x + y) / 2 + Frame) % 256;
                b = (b + int(grain)) % 256;
            }
            p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = 255;
        }
    }
    return bgra;
}
