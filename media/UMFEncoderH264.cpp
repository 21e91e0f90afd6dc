#include "media/UMFEncoderH264.h"

using namespace platform::media;

namespace {

// Speed of the software encoders: an export should keep up with its frame rate at 1080p, and a
// live recording must never fall behind the screen, whatever else the machine does.
const char* SoftwarePreset(bool realTime) {
    return realTime ? "ultrafast" : "veryfast";
}

} // namespace

VideoEncoderSettings TMFEncoderH264::CreateVideoOutputType() {
    VideoEncoderSettings settings = TMFEncoder::CreateVideoOutputType();
    settings.maxBFrames = 0;
    settings.profile = "high";
    return settings;
}

EncoderOptions TMFEncoderH264::GetEncodingParameters() {
    if (UseHardware)
        return {};
    return {{"preset", SoftwarePreset(RealTime)}};
}

TMFEncoderH265::TMFEncoderH265() {
    FOutputGuid = VideoCodec::Hevc;
}

VideoEncoderSettings TMFEncoderH265::CreateVideoOutputType() {
    VideoEncoderSettings settings = TMFEncoderH264::CreateVideoOutputType();
    settings.profile = "main";
    return settings;
}

EncoderOptions TMFEncoderH265::GetEncodingParameters() {
    if (UseHardware)
        return {};
    return {{"preset", SoftwarePreset(RealTime)}, {"x265-params", "log-level=error:bframes=0"}};
}

TMFEncoderH264Camera::TMFEncoderH264Camera(PixelFormat input) {
    FInputGuid = input;
}

void TMFEncoderH264Camera::SetParams(int AWidth, int AHeight, int AVideoFramePS, int AQuality,
                                     bool AAudio, int AAudioFramePS, int AAudioBytesPS,
                                     const QString& AFileName) {
    TMFEncoderH264::SetParams(AWidth, AHeight, AVideoFramePS, AQuality, AAudio, AAudioFramePS,
                              AAudioBytesPS, AFileName);
    RawBufferSizeInput = pictureBytes(FInputGuid, AWidth, AHeight);
}

VideoEncoderSettings TMFEncoderH264Camera::CreateVideoOutputType() {
    VideoEncoderSettings settings = TMFEncoderH264::CreateVideoOutputType();
    settings.colour.matrix = ColourMatrix::Bt601;
    return settings;
}
