// Animated GIF pictures by time. Frames are drawn over each other in order; a frame that
// follows one with restore-to-background disposal is a key frame, from which the picture is
// rebuilt after a clear.
#pragma once

#include "media/UVideoReaderAnimated.h"
#include "platform/media/GifAnimation.h"

#include <memory>

class TVideoReaderGIF : public TVideoReaderAnimated {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;

protected:
    void Compose(int index) override;

private:
    std::unique_ptr<platform::media::GifAnimation> pdecoder;
};
