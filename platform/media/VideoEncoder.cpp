#include "platform/media/VideoEncoder.h"

#include "platform/media/CodecEncoder.h"

extern "C" {
#include <libavcodec/packet.h>
}

namespace platform::media {

struct VideoEncoder::Impl {
    explicit Impl(const VideoEncoderSettings& settings) : encoder(settings, false) {}

    detail::VideoCodecEncoder encoder;
    bool drained = false;
    std::vector<std::vector<uint8_t>> frames;

    detail::PacketSink collect() {
        return [this](AVPacket* packet) {
            frames.emplace_back(packet->data, packet->data + packet->size);
        };
    }

    std::vector<std::vector<uint8_t>> take() {
        std::vector<std::vector<uint8_t>> out;
        out.swap(frames);
        return out;
    }
};

VideoEncoder::VideoEncoder(const VideoEncoderSettings& settings)
    : impl_(std::make_unique<Impl>(settings)) {}

VideoEncoder::~VideoEncoder() = default;

const VideoEncoderSettings& VideoEncoder::settings() const {
    return impl_->encoder.settings();
}

std::vector<std::vector<uint8_t>> VideoEncoder::encode(const PictureView& picture, int64_t slot) {
    if (impl_->drained)
        throw MediaError("the encoder was drained");
    impl_->encoder.encode(picture, slot, impl_->collect());
    return impl_->take();
}

std::vector<std::vector<uint8_t>> VideoEncoder::drain() {
    if (!impl_->drained) {
        impl_->drained = true;
        impl_->encoder.flush(impl_->collect());
    }
    return impl_->take();
}

} // namespace platform::media
