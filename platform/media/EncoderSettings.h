// What an encoded stream is asked to be: the encoder, its picture or sound format, its average
// bit rate and the colour encoding its pictures are converted with.
#pragma once

#include "platform/media/MediaType.h"
#include "platform/media/VideoConverter.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform::media {

enum class ColourRange { Limited, Full };

// The matrix and range BGRA pictures are turned into YUV with; the stream is tagged with them.
struct ColourEncoding {
    ColourMatrix matrix = ColourMatrix::Bt709;
    ColourRange range = ColourRange::Limited;
    bool operator==(const ColourEncoding&) const = default;
};

// Encoder options by their FFmpeg names ("preset", "x265-params", ...).
using EncoderOptions = std::vector<std::pair<std::string, std::string>>;

struct VideoEncoderSettings {
    std::string encoder; // FFmpeg encoder name: "libx264", "libx265", "wmv2", "libvpx", ...
    int width = 0;
    int height = 0;
    Rational frameRate{30, 1};
    int64_t bitRate = 0; // average bits per second; the encoder runs in bit-rate mode
    int gopSize = -1;    // frames between key frames; -1 keeps the encoder's default
    int maxBFrames = 0;  // B frames in a row
    std::string profile; // the encoder's profile name; empty for its default
    ColourEncoding colour;
    EncoderOptions options;
};

struct AudioEncoderSettings {
    std::string encoder; // "aac", "libmp3lame", "wmav2", "pcm_s16le", ...
    int sampleRate = 44100;
    int channels = 2;
    int64_t bitRate = 0; // bits per second; 0 for uncompressed sound
    std::string profile; // "aac_low" for AAC-LC; empty for the encoder's default
};

// What went through one stream so far.
struct StreamStatistics {
    int64_t bytesWritten = 0;    // compressed bytes handed to the container
    int64_t samplesReceived = 0; // pictures, or sound frames (one sample per channel)
    int64_t samplesEncoded = 0;  // of those, how many came out of the encoder
};

} // namespace platform::media
