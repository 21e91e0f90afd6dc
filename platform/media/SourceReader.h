// Reads and decodes the streams of a media file: its streams and their media types, its
// duration, the next sample of a stream with its time, and seeking.
#pragma once

#include "platform/media/MediaType.h"
#include "platform/media/Sample.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform::media {

struct OpenOptions {
    // MP4/MOV: report the raw composition times of the samples, edit lists not applied.
    bool ignoreEditList = false;
};

class SourceReader {
public:
    // Stream selectors besides a stream's own index.
    static constexpr int FirstVideoStream = -4;
    static constexpr int FirstAudioStream = -3;
    static constexpr int MediaSource = -1; // the file as a whole (duration only)

    enum class ReadStatus { Sample, EndOfStream, Error };
    struct ReadResult {
        ReadStatus status = ReadStatus::Error;
        Sample sample;
        std::string error;
    };

    // Opens the file. Throws MediaError with the reason when it cannot be opened or holds no
    // stream the layer can decode.
    explicit SourceReader(const std::string& path, const OpenOptions& options = OpenOptions());
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    int streamCount() const;
    // The stream a selector names; -1 when there is none.
    int streamIndex(int selector) const;
    // What the stream carries. Throws MediaError for a selector that names no stream.
    MediaType mediaType(int selector) const;
    // Duration in 100 ns of a stream, or of the whole file for MediaSource; 0 when unknown.
    int64_t duration(int selector) const;

    // Only selected streams deliver samples. Selecting a stream opens its decoder and throws
    // MediaError when the stream cannot be decoded.
    void setStreamSelection(int selector, bool selected);

    // Moves every selected stream to the last key frame at or before `position` (100 ns);
    // the caller reads forward from there. Returns false when the file cannot seek at all.
    bool seek(int64_t position);

    // The next decoded sample of a selected stream in presentation order.
    ReadResult readSample(int selector);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
