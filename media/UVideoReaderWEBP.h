// Animated WebP pictures by time; every frame is decoded as the whole composed canvas.
#pragma once

#include "media/UVideoReaderAnimated.h"
#include "platform/media/WebPAnimation.h"

#include <memory>

class TVideoReaderWEBP : public TVideoReaderAnimated {
public:
    void OpenFile(const QString& fileName, int64_t fileOffset, uint32_t index) override;

    uint32_t FBackColor = 0;
    int FLoopCount = 0;

protected:
    void Compose(int index) override;

private:
    std::unique_ptr<platform::media::WebPAnimation> pdecoder;
};
