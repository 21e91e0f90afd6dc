// Stream and picture descriptions shared by every part of the media layer.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform::media {

// Raised by the layer for files and settings it cannot work with; the message says why.
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An exact ratio such as a frame rate of 30000/1001; never rounded.
struct Rational {
    int64_t num = 0;
    int64_t den = 1;

    bool isValid() const { return num > 0 && den > 0; }
    double toDouble() const { return den ? double(num) / double(den) : 0.0; }
    // Frames per second rounded to the nearest whole number, `fallback` when unknown.
    int rounded(int fallback = 0) const;
    bool operator==(const Rational&) const = default;
};

enum class MediaKind { Unknown, Video, Audio, Other };

// Codec families the program tells apart; anything else is Other (its name is kept).
enum class VideoCodec { None, H264, Hevc, Vp8, Vp9, Av1, Wmv, Vc1, Mpeg4, RawVideo, Gif, Other };

// Uncompressed picture layouts that cross the layer's boundary.
enum class PixelFormat {
    Unknown,
    Bgra,  // B, G, R, A bytes, one plane
    Bgr24, // B, G, R bytes, one plane
    Yuy2,  // packed 4:2:2, Y0 U Y1 V
    Uyvy,  // packed 4:2:2, U Y0 V Y1
    Nv12,  // Y plane, then interleaved U/V plane at half resolution
    I420,  // Y plane, then U and V planes at half resolution
};

// Bytes of one whole picture of `format` laid out without row gaps (0 for Unknown).
int64_t pictureBytes(PixelFormat format, int width, int height);

// Decoded pictures of animations (GIF, WebP) are refused past this side, and past
// `MaxFreePixels` plus `MaxPixelsPerFileByte` pixels for each byte of the file: a few bytes
// can declare a canvas of gigabytes, but no codec packs more pixels than that into a byte.
constexpr int MaxCanvasSide = 8192;
constexpr int64_t MaxFreePixels = 4096 * 4096;
constexpr int64_t MaxPixelsPerFileByte = 4096;

// Throws MediaError when a picture of `width` × `height`, or `totalPixels` pixels kept in all
// (every frame a reader holds at once), is more than a file of `fileBytes` can sanely decode to.
void checkDecodedSize(int width, int height, int64_t totalPixels, int64_t fileBytes);

// 100-nanosecond units, the time unit of every stamp and position in the layer.
constexpr int64_t TicksPerSecond = 10'000'000;
constexpr int64_t TicksPerMs = 10'000;

// What a stream carries: the "media type" of a stream.
struct MediaType {
    MediaKind kind = MediaKind::Unknown;
    VideoCodec videoCodec = VideoCodec::None;
    std::string codecName; // the decoder's short name, e.g. "h264"
    int width = 0;
    int height = 0;
    Rational frameRate;  // nominal frames per second; invalid when the stream states none
    int sampleRate = 0;  // audio only
    int channels = 0;    // audio only
    int64_t bitRate = 0; // bits per second, 0 when unknown
    // Video: the decoded pictures can be converted to BGRA (false only when their layout is
    // known and the converter cannot take it).
    bool pictureConvertible = true;
};

} // namespace platform::media
