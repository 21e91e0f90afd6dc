#include "platform/media/Sample.h"

#include <utility>

extern "C" {
#include <libavutil/frame.h>
}

namespace platform::media {

Sample::~Sample() {
    av_frame_free(&frame_);
}

Sample::Sample(Sample&& other) noexcept
    : frame_(std::exchange(other.frame_, nullptr)), kind_(other.kind_), stream_(other.stream_),
      time_(other.time_), duration_(other.duration_) {}

Sample& Sample::operator=(Sample&& other) noexcept {
    if (this != &other) {
        av_frame_free(&frame_);
        frame_ = std::exchange(other.frame_, nullptr);
        kind_ = other.kind_;
        stream_ = other.stream_;
        time_ = other.time_;
        duration_ = other.duration_;
    }
    return *this;
}

bool Sample::isKeyFrame() const {
#ifdef AV_FRAME_FLAG_KEY
    return frame_ && (frame_->flags & AV_FRAME_FLAG_KEY);
#else
    return frame_ && frame_->key_frame;
#endif
}

int Sample::width() const {
    return frame_ ? frame_->width : 0;
}

int Sample::height() const {
    return frame_ ? frame_->height : 0;
}

} // namespace platform::media
