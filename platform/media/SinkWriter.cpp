#include "platform/media/SinkWriter.h"

#include "platform/media/CodecEncoder.h"
#include "platform/media/MediaPlatform.h"

#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace platform::media {

using detail::describeError;

namespace {

constexpr AVRational Ticks{1, int(TicksPerSecond)};

void check(int code, const std::string& what) {
    if (code < 0)
        throw MediaError(what + ": " + describeError(code));
}

} // namespace

struct SinkWriter::Impl {
    struct Stream {
        AVStream* stream = nullptr;
        std::unique_ptr<detail::VideoCodecEncoder> video;
        std::unique_ptr<detail::AudioCodecEncoder> audio;
        int64_t bytesWritten = 0;
        int64_t lastPts = INT64_MIN;

        detail::CodecEncoderBase& encoder() const {
            return video ? static_cast<detail::CodecEncoderBase&>(*video) : *audio;
        }
    };

    AVFormatContext* format = nullptr;
    std::vector<Stream> streams;
    bool headerWritten = false;
    bool finalised = false;

    bool globalHeader() const { return format->oformat->flags & AVFMT_GLOBALHEADER; }

    Stream& stream(int index) {
        if (index < 0 || size_t(index) >= streams.size())
            throw MediaError("the writer has no stream " + std::to_string(index));
        return streams[size_t(index)];
    }

    int addStream(Stream&& entry) {
        if (headerWritten)
            throw MediaError("streams can only be added before writing begins");
        AVStream* st = avformat_new_stream(format, nullptr);
        if (!st)
            throw MediaError("out of memory for a stream");
        AVCodecContext* ctx = entry.encoder().context();
        check(avcodec_parameters_from_context(st->codecpar, ctx), "cannot describe the stream");
        st->time_base = ctx->time_base;
        if (entry.video)
            st->avg_frame_rate = ctx->framerate;
        entry.stream = st;
        streams.push_back(std::move(entry));
        return st->index;
    }

    detail::PacketSink sinkFor(Stream& entry) {
        return [this, &entry](AVPacket* packet) {
            entry.bytesWritten += packet->size;
            av_packet_rescale_ts(packet, entry.encoder().context()->time_base,
                                 entry.stream->time_base);
            packet->stream_index = entry.stream->index;
            check(av_interleaved_write_frame(format, packet), "cannot write to the file");
        };
    }

    void requireWriting() const {
        if (!headerWritten || finalised)
            throw MediaError("the writer is not writing");
    }

    void close() {
        if (format && !(format->oformat->flags & AVFMT_NOFILE))
            avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
    }
};

SinkWriter::SinkWriter(const std::string& path) : impl_(std::make_unique<Impl>()) {
    initialiseLibraries();
    const int code = avformat_alloc_output_context2(&impl_->format, nullptr, nullptr, path.c_str());
    if (code < 0 || !impl_->format)
        throw MediaError("no container goes with the file name \"" + path + "\"");
    if (!(impl_->format->oformat->flags & AVFMT_NOFILE)) {
        const int opened = avio_open(&impl_->format->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (opened < 0) {
            impl_->close();
            throw MediaError("cannot create \"" + path + "\": " + describeError(opened));
        }
    }
}

SinkWriter::~SinkWriter() {
    impl_->streams.clear();
    impl_->close();
}

int SinkWriter::addVideoStream(const VideoEncoderSettings& settings) {
    Impl::Stream entry;
    entry.video = std::make_unique<detail::VideoCodecEncoder>(settings, impl_->globalHeader());
    return impl_->addStream(std::move(entry));
}

int SinkWriter::addAudioStream(const AudioEncoderSettings& settings) {
    Impl::Stream entry;
    entry.audio = std::make_unique<detail::AudioCodecEncoder>(settings, impl_->globalHeader());
    return impl_->addStream(std::move(entry));
}

void SinkWriter::beginWriting() {
    if (impl_->headerWritten)
        return;
    if (impl_->streams.empty())
        throw MediaError("the writer has no stream");
    check(avformat_write_header(impl_->format, nullptr), "the container refused the streams");
    impl_->headerWritten = true;
}

void SinkWriter::writeVideo(int stream, const PictureView& picture, int64_t time) {
    impl_->requireWriting();
    Impl::Stream& entry = impl_->stream(stream);
    if (!entry.video)
        throw MediaError("stream " + std::to_string(stream) + " is not a video stream");
    const int64_t pts =
        av_rescale_q_rnd(time, Ticks, entry.video->context()->time_base, AV_ROUND_NEAR_INF);
    if (pts <= entry.lastPts)
        throw MediaError("picture times must rise by at least one frame slot");
    entry.lastPts = pts;
    entry.video->encode(picture, pts, impl_->sinkFor(entry));
}

void SinkWriter::writeAudio(int stream, const int16_t* samples, int frames) {
    impl_->requireWriting();
    Impl::Stream& entry = impl_->stream(stream);
    if (!entry.audio)
        throw MediaError("stream " + std::to_string(stream) + " is not a sound stream");
    entry.audio->write(samples, frames, impl_->sinkFor(entry));
}

void SinkWriter::finalize() {
    impl_->requireWriting();
    impl_->finalised = true;
    for (Impl::Stream& entry : impl_->streams) {
        if (entry.video)
            entry.video->flush(impl_->sinkFor(entry));
        else
            entry.audio->flush(impl_->sinkFor(entry));
    }
    check(av_write_trailer(impl_->format), "cannot complete the file");
    impl_->close();
}

int SinkWriter::streamCount() const {
    return int(impl_->streams.size());
}

StreamStatistics SinkWriter::statistics(int stream) const {
    const Impl::Stream& entry = impl_->stream(stream);
    const detail::CodecEncoderBase& encoder = entry.encoder();
    return StreamStatistics{entry.bytesWritten, encoder.received(), encoder.encoded()};
}

ColourEncoding SinkWriter::colourEncoding(int stream) const {
    const Impl::Stream& entry = impl_->stream(stream);
    if (!entry.video)
        throw MediaError("stream " + std::to_string(stream) + " is not a video stream");
    return entry.video->settings().colour;
}

} // namespace platform::media
