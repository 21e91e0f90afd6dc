#include "platform/media/VideoConverter.h"

#include "platform/media/AvFormats.h"

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace platform::media {

namespace {

constexpr int MaxSide = 32768;

int swsMatrix(AVColorSpace space, ColourMatrix fallback) {
    switch (space) {
    case AVCOL_SPC_BT709:
        return SWS_CS_ITU709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
        return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return SWS_CS_BT2020;
    default:
        return fallback == ColourMatrix::Bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

bool isFullRangeFormat(int format) {
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
           format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P;
}

void noFree(void*, uint8_t*) {}

// The key under which a scaler context was made; a picture with another key needs a new one.
struct ContextKey {
    int format = AV_PIX_FMT_NONE;
    int width = 0;
    int height = 0;
    int matrix = 0;
    bool fullRange = false;
    bool operator==(const ContextKey&) const = default;
};

} // namespace

PictureView PictureView::contiguous(PixelFormat format, int width, int height,
                                    const uint8_t* data) {
    PictureView view{format, width, height, {data, nullptr, nullptr}, {0, 0, 0}};
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    switch (format) {
    case PixelFormat::Bgra:
        view.pitches[0] = width * 4;
        break;
    case PixelFormat::Bgr24:
        view.pitches[0] = width * 3;
        break;
    case PixelFormat::Yuy2:
    case PixelFormat::Uyvy:
        view.pitches[0] = chromaWidth * 4;
        break;
    case PixelFormat::Nv12:
        view.pitches[0] = width;
        view.planes[1] = data + int64_t(width) * height;
        view.pitches[1] = chromaWidth * 2;
        break;
    case PixelFormat::I420:
        view.pitches[0] = width;
        view.planes[1] = data + int64_t(width) * height;
        view.pitches[1] = chromaWidth;
        view.planes[2] = view.planes[1] + int64_t(chromaWidth) * chromaHeight;
        view.pitches[2] = chromaWidth;
        break;
    case PixelFormat::Unknown:
        break;
    }
    return view;
}

struct VideoConverter::Impl {
    SwsContext* context = nullptr;
    ContextKey key;
    ColourMatrix matrix = ColourMatrix::Bt601;
    PixelFormat input = PixelFormat::Unknown;
    int width = 0;
    int height = 0;
    AVFrame* source = av_frame_alloc();
    AVFrame* target = av_frame_alloc();
    AVFrame* padded = av_frame_alloc();

    ~Impl() {
        sws_freeContext(context);
        av_frame_free(&source);
        av_frame_free(&target);
        av_frame_free(&padded);
    }

    void prepare(const ContextKey& wanted) {
        if (context && key == wanted)
            return;
        sws_freeContext(context);
        // Accurate rounding would keep the scaler on one thread.
        context = detail::makeScaler(AVPixelFormat(wanted.format), AV_PIX_FMT_BGRA, wanted.width,
                                     wanted.height, SWS_BILINEAR);
        if (!context)
            throw MediaError("The picture layout cannot be converted to BGRA");
        const int* coefficients = sws_getCoefficients(wanted.matrix);
        sws_setColorspaceDetails(context, coefficients, wanted.fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        key = wanted;
    }

    // Runs the conversion from `source` (already filled in) into the caller's rows. The
    // scaler's SIMD paths write whole groups of 16 pixels, past the end of a row whose width is
    // not a multiple of 16 (and so past the end of the caller's buffer on the last row): such
    // pictures go through a frame with padded rows of the scaler's own allocation.
    void run(uint8_t* dst, int dstPitch) {
        if (key.width % 16 == 0) {
            scaleInto(wrap(dst, dstPitch));
            return;
        }
        if (padded->width != key.width || padded->height != key.height) {
            av_frame_unref(padded);
            padded->format = AV_PIX_FMT_BGRA;
            padded->width = key.width;
            padded->height = key.height;
            if (av_frame_get_buffer(padded, 64) < 0)
                throw MediaError("Out of memory for the colour converter");
        }
        scaleInto(padded);
        av_image_copy_plane(dst, dstPitch, padded->data[0], padded->linesize[0], key.width * 4,
                            key.height);
    }

    // The caller's rows as the target frame.
    AVFrame* wrap(uint8_t* dst, int dstPitch) {
        av_frame_unref(target);
        target->format = AV_PIX_FMT_BGRA;
        target->width = key.width;
        target->height = key.height;
        target->data[0] = dst;
        target->linesize[0] = dstPitch;
        // The scaler writes into frames that own a buffer; this one belongs to the caller.
        target->buf[0] =
            av_buffer_create(dst, size_t(dstPitch) * size_t(key.height), noFree, nullptr, 0);
        if (!target->buf[0])
            throw MediaError("Out of memory for the colour converter");
        return target;
    }

    void scaleInto(AVFrame* frame) {
        const int result = sws_scale_frame(context, frame, source);
        av_frame_unref(target);
        if (result < 0)
            throw MediaError("The colour conversion failed");
    }
};

VideoConverter::VideoConverter() : impl_(std::make_unique<Impl>()) {}

VideoConverter::~VideoConverter() = default;

void VideoConverter::setup(PixelFormat input, int width, int height, ColourMatrix matrix) {
    impl_->input = PixelFormat::Unknown;
    const AVPixelFormat format = detail::toAvPixelFormat(input);
    if (format == AV_PIX_FMT_NONE)
        throw MediaError("Unknown picture layout for the colour converter");
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        throw MediaError("Picture size out of range for the colour converter");
    impl_->prepare({format, width, height, swsMatrix(AVCOL_SPC_UNSPECIFIED, matrix), false});
    impl_->input = input;
    impl_->width = width;
    impl_->height = height;
    impl_->matrix = matrix;
}

bool VideoConverter::isValid() const {
    return impl_->input != PixelFormat::Unknown;
}

void VideoConverter::convert(const PictureView& picture, uint8_t* dst, int dstPitch) {
    if (!isValid())
        throw MediaError("The colour converter is not set up");
    if (picture.format != impl_->input || picture.width != impl_->width ||
        picture.height != impl_->height || !picture.planes[0] || !dst ||
        dstPitch < impl_->width * 4)
        throw MediaError("The picture does not match the colour converter's set-up");
    impl_->prepare({detail::toAvPixelFormat(impl_->input), impl_->width, impl_->height,
                    swsMatrix(AVCOL_SPC_UNSPECIFIED, impl_->matrix), false});
    AVFrame* source = impl_->source;
    detail::viewPicture(picture, source);
    impl_->run(dst, dstPitch);
    av_frame_unref(source);
}

void VideoConverter::convert(const Sample& sample, uint8_t* dst, int dstPitch) {
    const AVFrame* frame = sample.frame_;
    if (!frame || sample.kind() != MediaKind::Video)
        throw MediaError("Not a video sample");
    if (!dst || dstPitch < frame->width * 4)
        throw MediaError("The destination picture is too small");
    const bool fullRange =
        frame->color_range == AVCOL_RANGE_JPEG || isFullRangeFormat(frame->format);
    impl_->prepare({frame->format, frame->width, frame->height,
                    swsMatrix(frame->colorspace, impl_->matrix), fullRange});
    av_frame_unref(impl_->source);
    if (av_frame_ref(impl_->source, frame) < 0)
        throw MediaError("Out of memory for the colour converter");
    impl_->run(dst, dstPitch);
    av_frame_unref(impl_->source);
}

} // namespace platform::media
