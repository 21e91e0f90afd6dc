#include "platform/media/WebPAnimation.h"

#include "platform/media/MediaType.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <webp/demux.h>

namespace platform::media {

struct WebPAnimation::Impl {
    std::vector<uint8_t> bytes;
    WebPAnimDecoder* decoder = nullptr;
    WebPAnimInfo info{};
    std::vector<int> durations;
    int next = 0; // the frame the decoder gives next

    ~Impl() { WebPAnimDecoderDelete(decoder); }
};

WebPAnimation::WebPAnimation(const std::string& path) : impl_(std::make_unique<Impl>()) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw MediaError("Cannot open the WebP file");
    impl_->bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    const WebPData data{impl_->bytes.data(), impl_->bytes.size()};
    const std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer*)> demuxer(WebPDemux(&data),
                                                                       WebPDemuxDelete);
    if (!demuxer)
        throw MediaError("The WebP file is damaged");
    const bool animated = WebPDemuxGetI(demuxer.get(), WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG;
    const int canvasWidth = int(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH));
    const int canvasHeight = int(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT));
    // The decoder keeps two canvases; refuse them before they are allocated.
    checkDecodedSize(canvasWidth, canvasHeight, int64_t(canvasWidth) * canvasHeight * 2,
                     int64_t(data.size));
    WebPIterator frame;
    if (animated && WebPDemuxGetFrame(demuxer.get(), 1, &frame)) {
        do
            impl_->durations.push_back(frame.duration);
        while (WebPDemuxNextFrame(&frame));
        WebPDemuxReleaseIterator(&frame);
    }
    if (!animated)
        throw MediaError("The WebP file is a still picture");
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_bgrA;
    options.use_threads = 1;
    impl_->decoder = WebPAnimDecoderNew(&data, &options);
    if (!impl_->decoder || !WebPAnimDecoderGetInfo(impl_->decoder, &impl_->info))
        throw MediaError("The WebP animation cannot be decoded");
    // The demuxer and the decoder read the same chunks; keep to the frames both know.
    if (impl_->durations.size() > impl_->info.frame_count)
        impl_->durations.resize(impl_->info.frame_count);
    if (impl_->durations.empty())
        throw MediaError("The WebP animation has no frames");
}

WebPAnimation::~WebPAnimation() = default;

int WebPAnimation::width() const {
    return int(impl_->info.canvas_width);
}

int WebPAnimation::height() const {
    return int(impl_->info.canvas_height);
}

uint32_t WebPAnimation::backgroundColour() const {
    return impl_->info.bgcolor;
}

int WebPAnimation::loopCount() const {
    return int(impl_->info.loop_count);
}

const std::vector<int>& WebPAnimation::durations() const {
    return impl_->durations;
}

bool WebPAnimation::decodeFrame(int index, uint8_t* canvas, int pitch) {
    if (index < 0 || index >= int(impl_->durations.size()))
        return false;
    if (index < impl_->next) {
        WebPAnimDecoderReset(impl_->decoder);
        impl_->next = 0;
    }
    uint8_t* pixels = nullptr;
    int timestamp = 0;
    while (impl_->next <= index) {
        if (!WebPAnimDecoderGetNext(impl_->decoder, &pixels, &timestamp))
            return false;
        ++impl_->next;
    }
    const size_t rowBytes = size_t(width()) * 4;
    for (int y = 0; y < height(); ++y)
        std::memcpy(canvas + int64_t(y) * pitch, pixels + y * rowBytes, rowBytes);
    return true;
}

} // namespace platform::media
