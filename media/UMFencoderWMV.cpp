#include "media/UMFencoderWMV.h"

#include <cmath>

using namespace platform::media;

int64_t WmvBitRate(int width, int height, int fps, int quality) {
    const int64_t rawBytesPerSecond = int64_t(width) * height * 4 * fps;
    return int64_t(std::nearbyint(double(rawBytesPerSecond) * 0.07 * quality / 100.0));
}

TMFEncoderWMV::TMFEncoderWMV() {
    FOutputGuid = VideoCodec::Wmv;
    FFileNameExt = QStringLiteral(".wmv");
}

VideoEncoderSettings TMFEncoderWMV::CreateVideoOutputType() {
    VideoEncoderSettings settings = TMFEncoder::CreateVideoOutputType();
    settings.bitRate = WmvBitRate(FWidth, FHeight, FVideoFramePS, FQuality);
    // Neither ASF nor wmv2 can state a colour matrix, and their decoders assume BT.601.
    settings.colour.matrix = ColourMatrix::Bt601;
    return settings;
}

AudioEncoderSettings TMFEncoderWMV::CreateAudioOutputType() {
    AudioEncoderSettings settings = TMFEncoder::CreateAudioOutputType();
    settings.encoder = "wmav2";
    settings.profile.clear();
    return settings;
}
