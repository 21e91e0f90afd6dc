// WMV: Windows Media Video 8 (wmv2) with Windows Media Audio 2 (wmav2) in an ASF file
// (".wmv"), from BGRA frames. The video bit rate grows with the picture and the quality.
#pragma once

#include "media/UMFencoder.h"

// 0.07 bits per byte of raw picture per second at quality 100, rounded to the nearest (halves to
// even); 64-bit throughout.
int64_t WmvBitRate(int width, int height, int fps, int quality);

class TMFEncoderWMV : public TMFEncoder {
public:
    TMFEncoderWMV();

protected:
    platform::media::VideoEncoderSettings CreateVideoOutputType() override;
    platform::media::AudioEncoderSettings CreateAudioOutputType() override;
};
