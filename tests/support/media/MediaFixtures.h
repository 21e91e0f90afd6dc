// Test media made at test time: every picture carries its frame number drawn as eight stripes
// (white = 1, black = 0, most significant bit left) over the top three quarters and a red band
// over the bottom quarter, so a test can tell which frame it got and that it is upright.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace fixtures {

constexpr int StampWidth = 160;
constexpr int StampHeight = 96;

struct VideoSpec {
    const char* muxer = "mp4";       // FFmpeg muxer: mp4, mov, matroska, webm, avi, asf
    const char* encoder = "libx264"; // FFmpeg encoder
    int width = StampWidth;
    int height = StampHeight;
    int rateNum = 30; // frames per second as a ratio
    int rateDen = 1;
    int frames = 30;
    int gop = 10;
    int bFrames = 0;
    // Variable frame rate: each frame's time in ms (overrides the even spacing when not empty).
    // Such files state no frame rate and their packets carry no durations.
    std::vector<int> timesMs;
    // A track of silent 16-bit PCM sound stored before the video track (muxers that take PCM).
    bool soundFirst = false;
};

// Encodes the numbered frames 0..frames-1. Throws std::runtime_error when the encoder or muxer
// refuses.
void writeVideo(const QString& path, const VideoSpec& spec);

// Fills a BGRA picture (width × 4 bytes per row) with the stamp of `number`.
void drawStamp(int number, uint8_t* bgra, int width, int height);
// The number stamped into a BGRA picture; -1 when the picture is not a stamp (for instance
// upside down or with red and blue swapped).
int readStamp(const uint8_t* bgra, int width, int height, int pitch = 0);

// Animated GIF of stamped full frames with these delays (hundredths of a second). `partial`
// frame numbers are written as a rectangle over the bottom band only, painted green, with
// restore-to-background disposal on `disposeAfter` frames.
struct GifSpec {
    std::vector<int> delaysCs;
    std::vector<int> partial;
    std::vector<int> disposeAfter;
};
void writeGif(const QString& path, const GifSpec& spec);

// Animated WebP of stamped frames with these durations in ms; a still picture when `animated`
// is false.
void writeWebP(const QString& path, const std::vector<int>& durationsMs, bool animated = true);

} // namespace fixtures
