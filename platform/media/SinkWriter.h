// Writes encoded video and sound into a media file: the container follows the file's
// extension (".mp4", ".m4a", ".mp3", ".wmv", ...). Pictures go in with their exact times, so a
// stream may skip frame slots (variable frame rate); sound goes in as a continuous stream of
// 16-bit interleaved frames and is stamped by its frame count.
#pragma once

#include "platform/media/EncoderSettings.h"
#include "platform/media/VideoConverter.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform::media {

class SinkWriter {
public:
    // Creates the file. Throws MediaError when no container goes with the extension or the file
    // cannot be created.
    explicit SinkWriter(const std::string& path);
    // Closes the file; a writer that was not finalised leaves an unfinished file behind.
    ~SinkWriter();
    SinkWriter(const SinkWriter&) = delete;
    SinkWriter& operator=(const SinkWriter&) = delete;

    // Opens an encoder for a new stream and returns the stream's index. Only before
    // beginWriting. Throws MediaError when the encoder is absent or refuses the settings.
    int addVideoStream(const VideoEncoderSettings& settings);
    int addAudioStream(const AudioEncoderSettings& settings);

    // Writes the container's header; throws MediaError when the container refuses the streams.
    void beginWriting();

    // Encodes a picture of the stream's size shown from `time` (100 ns) on; times must rise.
    // BGRA pictures are converted with the stream's colour encoding. Throws MediaError.
    void writeVideo(int stream, const PictureView& picture, int64_t time);
    // Encodes `frames` sound frames (interleaved 16-bit, the stream's channel count) that follow
    // the ones written before. Throws MediaError.
    void writeAudio(int stream, const int16_t* samples, int frames);

    // Drains the encoders and completes the file. Throws MediaError when that fails.
    void finalize();

    int streamCount() const;
    StreamStatistics statistics(int stream) const;
    // The colour encoding a video stream's pictures are converted with and tagged with.
    ColourEncoding colourEncoding(int stream) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::media
