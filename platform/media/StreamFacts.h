// What a written media file holds, read from its container without decoding: each stream's
// kind, codec, size or sound format, colour tags and the times of all its packets. Used to
// check what the encoders wrote.
#pragma once

#include "platform/media/EncoderSettings.h"
#include "platform/media/MediaType.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::media {

struct StreamFacts {
    MediaKind kind = MediaKind::Unknown;
    std::string codec; // FFmpeg codec name: "h264", "hevc", "wmv2", "aac", "mp3", ...
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    // The matrix and range the stream states; none when it states neither or another matrix.
    std::optional<ColourEncoding> colour;
    // Presentation times of the packets in 100 ns, in presentation order, and where the last one
    // ends (its time plus its duration).
    std::vector<int64_t> times;
    int64_t endTime = 0;
};

// Throws MediaError when the file cannot be opened as a media file.
std::vector<StreamFacts> inspectStreams(const std::string& path);

} // namespace platform::media
