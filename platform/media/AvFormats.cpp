#include "platform/media/AvFormats.h"

#include <algorithm>
#include <thread>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace platform::media::detail {

namespace {

void noFree(void*, uint8_t*) {}

} // namespace

AVPixelFormat toAvPixelFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bgra:
        return AV_PIX_FMT_BGRA;
    case PixelFormat::Bgr24:
        return AV_PIX_FMT_BGR24;
    case PixelFormat::Yuy2:
        return AV_PIX_FMT_YUYV422;
    case PixelFormat::Uyvy:
        return AV_PIX_FMT_UYVY422;
    case PixelFormat::Nv12:
        return AV_PIX_FMT_NV12;
    case PixelFormat::I420:
        return AV_PIX_FMT_YUV420P;
    case PixelFormat::Unknown:
        break;
    }
    return AV_PIX_FMT_NONE;
}

SwsContext* makeScaler(AVPixelFormat input, AVPixelFormat output, int width, int height,
                       int flags) {
    SwsContext* context = sws_alloc_context();
    if (!context)
        return nullptr;
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
    av_opt_set_int(context, "srcw", width, 0);
    av_opt_set_int(context, "srch", height, 0);
    av_opt_set_int(context, "src_format", input, 0);
    av_opt_set_int(context, "dstw", width, 0);
    av_opt_set_int(context, "dsth", height, 0);
    av_opt_set_int(context, "dst_format", output, 0);
    av_opt_set_int(context, "sws_flags", flags, 0);
    av_opt_set_int(context, "threads", threads, 0);
    if (sws_init_context(context, nullptr, nullptr) < 0) {
        sws_freeContext(context);
        return nullptr;
    }
    return context;
}

void viewPicture(const PictureView& picture, AVFrame* frame) {
    av_frame_unref(frame);
    frame->format = toAvPixelFormat(picture.format);
    frame->width = picture.width;
    frame->height = picture.height;
    for (int i = 0; i < 3 && picture.planes[i]; ++i) {
        frame->data[i] = const_cast<uint8_t*>(picture.planes[i]);
        frame->linesize[i] = picture.pitches[i];
        // The scaler takes frames that own a buffer; these planes belong to the caller.
        frame->buf[i] = av_buffer_create(frame->data[i], 1, noFree, nullptr, 0);
        if (!frame->buf[i])
            throw MediaError("Out of memory for a picture");
    }
}

} // namespace platform::media::detail
