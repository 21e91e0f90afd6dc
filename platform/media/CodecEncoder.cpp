#include "platform/media/CodecEncoder.h"

#include "platform/media/AvFormats.h"
#include "platform/media/MediaPlatform.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/hwcontext.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform::media::detail {

namespace {

constexpr int MaxSide = 16384;
// Sound frames per encoder call for encoders that take any amount (PCM).
constexpr int VariableFrameSize = 1152;

bool isHardwareEncoder(const std::string& name) {
    return name.size() > 6 && name.compare(name.size() - 6, 6, "_vaapi") == 0;
}

void check(int code, const std::string& what) {
    if (code < 0)
        throw MediaError(what + ": " + describeError(code));
}

AVFrame* newFrame() {
    AVFrame* frame = av_frame_alloc();
    if (!frame)
        throw MediaError("out of memory for a frame");
    return frame;
}

// 4:2:0 when the encoder takes it, else the first layout it names.
AVPixelFormat softwareFormatFor(const AVCodec* codec) {
    if (!codec->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == AV_PIX_FMT_YUV420P)
            return *f;
    return codec->pix_fmts[0];
}

AVSampleFormat sampleFormatFor(const AVCodec* codec) {
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16)
            return *f;
    return codec->sample_fmts[0];
}

int roundUpTo(int value, int multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

// Fills the part of `frame` beyond the picture's `width` × `height` pixels by repeating its
// last column and row, plane by plane.
void padEdges(AVFrame* frame, int width, int height) {
    if (frame->width == width && frame->height == height)
        return;
    const auto format = AVPixelFormat(frame->format);
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
    int used[4] = {}, full[4] = {};
    av_image_fill_linesizes(used, format, width);
    av_image_fill_linesizes(full, format, frame->width);
    for (int p = 0; p < 4 && frame->data[p]; ++p) {
        const int shift = p == 1 || p == 2 ? layout->log2_chroma_h : 0;
        const int usedRows = -((-height) >> shift);
        const int fullRows = -((-frame->height) >> shift);
        const int extra = full[p] - used[p];
        const ptrdiff_t pitch = frame->linesize[p];
        uint8_t* const plane = frame->data[p];
        for (int y = 0; extra > 0 && y < usedRows; ++y)
            std::memmove(plane + y * pitch + used[p], plane + y * pitch + used[p] - extra,
                         size_t(extra));
        for (int y = usedRows; y < fullRows; ++y)
            std::memcpy(plane + y * pitch, plane + (usedRows - 1) * pitch, size_t(full[p]));
    }
}

} // namespace

std::string describeError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

CodecEncoderBase::CodecEncoderBase(const std::string& encoder) : name_(encoder) {
    initialiseLibraries();
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (!codec)
        throw MediaError("the encoder \"" + encoder + "\" is not available");
    ctx_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    if (!ctx_ || !packet_) {
        avcodec_free_context(&ctx_);
        av_packet_free(&packet_);
        throw MediaError("out of memory for the encoder \"" + encoder + "\"");
    }
}

CodecEncoderBase::~CodecEncoderBase() {
    avcodec_free_context(&ctx_);
    av_packet_free(&packet_);
}

void CodecEncoderBase::constructOrRelease(const std::function<void()>& work,
                                          const std::function<void()>& undo) {
    try {
        work();
    } catch (...) {
        undo();
        throw;
    }
}

void CodecEncoderBase::open(const EncoderOptions& options, bool globalHeader) {
    if (globalHeader)
        ctx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* dict = nullptr;
    for (const auto& [key, value] : options)
        av_dict_set(&dict, key.c_str(), value.c_str(), 0);
    const int code = avcodec_open2(ctx_, ctx_->codec, &dict);
    av_dict_free(&dict);
    check(code, "the encoder \"" + name_ + "\" refused the settings");
}

void CodecEncoderBase::send(AVFrame* frame, const PacketSink& sink) {
    int code = avcodec_send_frame(ctx_, frame);
    if (code == AVERROR_EOF && !frame)
        return; // drained before
    check(code, "the encoder refused the data");
    for (;;) {
        code = avcodec_receive_packet(ctx_, packet_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return;
        check(code, "the encoder failed");
        encoded_ += ctx_->codec_type == AVMEDIA_TYPE_AUDIO ? packet_->duration : 1;
        sink(packet_);
        av_packet_unref(packet_);
    }
}

VideoCodecEncoder::VideoCodecEncoder(const VideoEncoderSettings& settings, bool globalHeader)
    : CodecEncoderBase(settings.encoder), settings_(settings) {
    constructOrRelease([&] { configure(globalHeader); }, [this] { release(); });
}

void VideoCodecEncoder::configure(bool globalHeader) {
    const VideoEncoderSettings& settings = settings_;
    if (settings.width <= 0 || settings.height <= 0 || settings.width > MaxSide ||
        settings.height > MaxSide)
        throw MediaError("the picture size " + std::to_string(settings.width) + " x " +
                         std::to_string(settings.height) + " cannot be encoded");
    if (!settings.frameRate.isValid() || settings.frameRate.num > INT32_MAX ||
        settings.frameRate.den > INT32_MAX)
        throw MediaError("the frame rate cannot be encoded");
    const bool fullRange = settings.colour.range == ColourRange::Full;
    const bool bt709 = settings.colour.matrix == ColourMatrix::Bt709;
    ctx_->time_base = AVRational{int(settings.frameRate.den), int(settings.frameRate.num)};
    ctx_->framerate = AVRational{int(settings.frameRate.num), int(settings.frameRate.den)};
    ctx_->sample_aspect_ratio = AVRational{1, 1};
    ctx_->bit_rate = settings.bitRate;
    ctx_->max_b_frames = settings.maxBFrames;
    if (settings.gopSize >= 0)
        ctx_->gop_size = settings.gopSize;
    ctx_->thread_count = 0; // as many threads as the encoder can use
    ctx_->color_range = fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    ctx_->colorspace = bt709 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    ctx_->color_primaries = bt709 ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
    ctx_->color_trc = bt709 ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    frame_ = newFrame();
    source_ = newFrame();
    const bool hardware = isHardwareEncoder(settings.encoder);
    frame_->format = hardware ? AV_PIX_FMT_NV12 : softwareFormatFor(ctx_->codec);
    // H.264 and HEVC take only whole 4:2:0 chroma samples: odd pictures are coded a column or
    // row larger, the last one repeated (see padEdges).
    const AVCodecID codec = ctx_->codec->id;
    const int multiple = hardware || codec == AV_CODEC_ID_H264 || codec == AV_CODEC_ID_HEVC ? 2 : 1;
    frame_->width = roundUpTo(settings.width, multiple);
    frame_->height = roundUpTo(settings.height, multiple);
    ctx_->width = frame_->width;
    ctx_->height = frame_->height;
    if (hardware)
        setupHardware();
    else
        ctx_->pix_fmt = AVPixelFormat(frame_->format);
    EncoderOptions options = settings.options;
    if (!settings.profile.empty())
        options.emplace_back("profile", settings.profile);
    open(options, globalHeader);
    check(av_frame_get_buffer(frame_, 0), "out of memory for a picture");
}

VideoCodecEncoder::~VideoCodecEncoder() {
    release();
}

void VideoCodecEncoder::release() {
    sws_freeContext(sws_);
    sws_ = nullptr;
    av_frame_free(&frame_);
    av_frame_free(&source_);
    av_frame_free(&hwFrame_);
    av_buffer_unref(&hwDevice_);
}

// Hardware encoders take pictures on the device: the converted picture (NV12) is uploaded to a
// frame of the device's own pool before each call.
void VideoCodecEncoder::setupHardware() {
    check(av_hwdevice_ctx_create(&hwDevice_, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0),
          "no video acceleration device");
    AVBufferRef* frames = av_hwframe_ctx_alloc(hwDevice_);
    if (!frames)
        throw MediaError("out of memory for device frames");
    auto* framesContext = reinterpret_cast<AVHWFramesContext*>(frames->data);
    framesContext->format = AV_PIX_FMT_VAAPI;
    framesContext->sw_format = AV_PIX_FMT_NV12;
    framesContext->width = frame_->width;
    framesContext->height = frame_->height;
    framesContext->initial_pool_size = 8;
    const int code = av_hwframe_ctx_init(frames);
    if (code >= 0)
        ctx_->hw_frames_ctx = av_buffer_ref(frames);
    av_buffer_unref(&frames);
    check(code, "the video acceleration device refused the picture size");
    ctx_->pix_fmt = AV_PIX_FMT_VAAPI;
    hwFrame_ = newFrame();
}

void VideoCodecEncoder::convert(const PictureView& picture) {
    if (picture.width != settings_.width || picture.height != settings_.height)
        throw MediaError("the picture does not have the stream's size");
    const AVPixelFormat input = detail::toAvPixelFormat(picture.format);
    if (!sws_ || swsInput_ != picture.format) {
        if (input == AV_PIX_FMT_NONE)
            throw MediaError("the picture layout cannot be encoded");
        sws_freeContext(sws_);
        // Accurate rounding would keep the scaler on one thread.
        sws_ = makeScaler(input, AVPixelFormat(frame_->format), frame_->width, frame_->height,
                          SWS_BILINEAR);
        if (!sws_)
            throw MediaError("the picture layout cannot be converted for the encoder");
        const int* matrix = sws_getCoefficients(
            settings_.colour.matrix == ColourMatrix::Bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
        const int dstFull = settings_.colour.range == ColourRange::Full ? 1 : 0;
        sws_setColorspaceDetails(sws_, matrix, 1, matrix, dstFull, 0, 1 << 16, 1 << 16);
        swsInput_ = picture.format;
    }
    check(av_frame_make_writable(frame_), "out of memory for a picture");
    const bool padded = frame_->width != picture.width || frame_->height != picture.height;
    if (padded)
        padPicture(picture);
    else
        viewPicture(picture, source_);
    const int result = sws_scale_frame(sws_, frame_, source_);
    if (!padded)
        av_frame_unref(source_);
    check(result, "the picture cannot be converted for the encoder");
}

// The encoder's picture is larger than the caller's: the caller's picture is copied into a
// picture of the encoder's size with its last column and row repeated, and converted whole
// (converting the smaller picture would leave the last chroma samples half made).
void VideoCodecEncoder::padPicture(const PictureView& picture) {
    const AVPixelFormat input = detail::toAvPixelFormat(picture.format);
    if (source_->format != input || !source_->buf[0]) {
        av_frame_unref(source_);
        source_->format = input;
        source_->width = frame_->width;
        source_->height = frame_->height;
        check(av_frame_get_buffer(source_, 0), "out of memory for a picture");
    }
    const uint8_t* planes[4] = {picture.planes[0], picture.planes[1], picture.planes[2], nullptr};
    const int pitches[4] = {picture.pitches[0], picture.pitches[1], picture.pitches[2], 0};
    av_image_copy(source_->data, source_->linesize, planes, pitches, input, picture.width,
                  picture.height);
    padEdges(source_, picture.width, picture.height);
}

void VideoCodecEncoder::encode(const PictureView& picture, int64_t pts, const PacketSink& sink) {
    convert(picture);
    frame_->pts = pts;
    AVFrame* toSend = frame_;
    if (hwFrame_) {
        av_frame_unref(hwFrame_);
        check(av_hwframe_get_buffer(ctx_->hw_frames_ctx, hwFrame_, 0), "no device picture");
        check(av_hwframe_transfer_data(hwFrame_, frame_, 0), "cannot upload the picture");
        hwFrame_->pts = pts;
        toSend = hwFrame_;
    }
    ++received_;
    send(toSend, sink);
}

void VideoCodecEncoder::flush(const PacketSink& sink) {
    send(nullptr, sink);
}

AudioCodecEncoder::AudioCodecEncoder(const AudioEncoderSettings& settings, bool globalHeader)
    : CodecEncoderBase(settings.encoder), settings_(settings) {
    constructOrRelease([&] { configure(globalHeader); }, [this] { release(); });
}

void AudioCodecEncoder::configure(bool globalHeader) {
    const AudioEncoderSettings& settings = settings_;
    if (settings.sampleRate <= 0 || settings.channels <= 0 || settings.channels > 8)
        throw MediaError("the sound format cannot be encoded");
    ctx_->sample_rate = settings.sampleRate;
    ctx_->time_base = AVRational{1, settings.sampleRate};
    ctx_->sample_fmt = sampleFormatFor(ctx_->codec);
    ctx_->bit_rate = settings.bitRate;
    av_channel_layout_default(&ctx_->ch_layout, settings.channels);
    EncoderOptions options;
    if (!settings.profile.empty())
        options.emplace_back("profile", settings.profile);
    open(options, globalHeader);
    const bool anySize = ctx_->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    frameSize_ = (anySize || ctx_->frame_size <= 0) ? VariableFrameSize : ctx_->frame_size;
    check(swr_alloc_set_opts2(&swr_, &ctx_->ch_layout, ctx_->sample_fmt, settings.sampleRate,
                              &ctx_->ch_layout, AV_SAMPLE_FMT_S16, settings.sampleRate, 0, nullptr),
          "cannot convert the sound");
    check(swr_init(swr_), "cannot convert the sound");
    fifo_ = av_audio_fifo_alloc(ctx_->sample_fmt, settings.channels, frameSize_);
    frame_ = newFrame();
    if (!fifo_)
        throw MediaError("out of memory for sound");
}

AudioCodecEncoder::~AudioCodecEncoder() {
    release();
}

void AudioCodecEncoder::release() {
    swr_free(&swr_);
    if (fifo_)
        av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
    av_frame_free(&frame_);
}

void AudioCodecEncoder::write(const int16_t* samples, int frames, const PacketSink& sink) {
    if (frames <= 0)
        return;
    if (!samples)
        throw MediaError("no sound to encode");
    // Only the sample layout changes, never the rate.
    uint8_t* converted[8] = {};
    check(av_samples_alloc(converted, nullptr, settings_.channels, frames, ctx_->sample_fmt, 0),
          "out of memory for sound");
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int done = swr_convert(swr_, converted, frames, in, frames);
    if (done > 0)
        av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), done);
    av_freep(&converted[0]);
    check(done, "cannot convert the sound");
    received_ += frames;
    while (av_audio_fifo_size(fifo_) >= frameSize_)
        encodeFrames(frameSize_, sink);
}

void AudioCodecEncoder::encodeFrames(int frames, const PacketSink& sink) {
    av_frame_unref(frame_);
    frame_->nb_samples = frames;
    frame_->format = ctx_->sample_fmt;
    frame_->sample_rate = ctx_->sample_rate;
    check(av_channel_layout_copy(&frame_->ch_layout, &ctx_->ch_layout), "out of memory");
    check(av_frame_get_buffer(frame_, 0), "out of memory for sound");
    const int read = av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), frames);
    if (read < frames)
        av_samples_set_silence(frame_->data, std::max(read, 0), frames - std::max(read, 0),
                               settings_.channels, ctx_->sample_fmt);
    frame_->pts = nextPts_;
    nextPts_ += frames;
    send(frame_, sink);
}

void AudioCodecEncoder::flush(const PacketSink& sink) {
    const int left = av_audio_fifo_size(fifo_);
    if (left > 0) {
        const bool smallLast = ctx_->codec->capabilities &
                               (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
        encodeFrames(smallLast ? left : frameSize_, sink);
    }
    send(nullptr, sink);
}

} // namespace platform::media::detail
