#include "media/UMFencoder.h"

#include "platform/media/SinkWriter.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform::media;

namespace {

EncodedFormat encodedFormatOf(VideoCodec codec) {
    switch (codec) {
    case VideoCodec::Hevc:
        return EncodedFormat::Hevc;
    case VideoCodec::Wmv:
        return EncodedFormat::Wmv;
    case VideoCodec::Vp8:
        return EncodedFormat::Vp8;
    default:
        return EncodedFormat::H264;
    }
}

} // namespace

int64_t BitRateForHeight(int height) {
    if (height <= 360)
        return 1'000'000;
    if (height <= 480)
        return 2'500'000;
    if (height <= 720)
        return 5'000'000;
    if (height <= 1080)
        return 8'000'000;
    if (height <= 1440)
        return 16'000'000;
    return 35'000'000;
}

int64_t AudioFramesBefore(int64_t chunks, int rate, int fps) {
    return fps > 0 ? chunks * rate / fps : 0;
}

int64_t MissedSlots(int timeMs, int64_t writtenMs, int fps, int64_t heldSlots) {
    if (timeMs == 0)
        return 0;
    return std::max<int64_t>(0, (timeMs - writtenMs) * fps / 1000 - heldSlots - 1);
}

TChangedBounds FindChangedPixels(const uint8_t* frame, const uint8_t* previous, int width,
                                 int height, uint8_t* unchangedMask) {
    TChangedBounds bounds{width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        const size_t row = size_t(y) * size_t(width);
        const uint8_t* a = frame + row * 4;
        const uint8_t* b = previous + row * 4;
        for (int x = 0; x < width; ++x) {
            const bool same = std::memcmp(a + x * 4, b + x * 4, 4) == 0;
            if (unchangedMask)
                unchangedMask[row + size_t(x)] = same ? 1 : 0;
            if (same)
                continue;
            bounds.MinX = std::min(bounds.MinX, x);
            bounds.MaxX = std::max(bounds.MaxX, x);
            bounds.MinY = std::min(bounds.MinY, y);
            bounds.MaxY = y;
        }
    }
    return bounds;
}

int64_t SlotTime(int64_t slots, int fps) {
    return fps > 0 ? int64_t(std::nearbyint(double(slots) * 10'000'000.0 / fps)) : 0;
}

TMFEncoder::TMFEncoder() = default;

TMFEncoder::~TMFEncoder() = default;

void TMFEncoder::SetParams(int AWidth, int AHeight, int AVideoFramePS, int AQuality, bool AAudio,
                           int AAudioFramePS, int AAudioBytesPS, const QString& AFileName) {
    FWidth = AWidth;
    FHeight = AHeight;
    FVideo = AWidth > 0 && AHeight > 0;
    if (!FVideo && FFileNameExt != QLatin1String(".mp3") && FFileNameExt != QLatin1String(".wav"))
        FFileNameExt = QStringLiteral(".m4a");
    FVideoFramePS = AVideoFramePS;
    FQuality = AQuality;
    FAudio = AAudio;
    FAudioFramePS = AAudioFramePS;
    FAudioBytesPS = AAudioBytesPS;
    RawBufferSizeRGB32 = FVideo ? int64_t(AWidth) * AHeight * 4 : 0;
    RawBufferSizeInput = RawBufferSizeRGB32;
    FFileName = AFileName;
}

int64_t TMFEncoder::VideoBitRate() const {
    return FQuality != 0 ? 10'000'000 : BitRateForHeight(FHeight);
}

std::string TMFEncoder::VideoEncoderName() {
    const EncoderCatalog software(false);
    const EncoderCatalog& catalog = UseHardware ? EncoderCatalog::instance() : software;
    const std::optional<EncoderEntry> entry =
        catalog.find(encodedFormatOf(FOutputGuid), UseHardware);
    if (entry)
        return entry->encoder;
    FLastError = UseHardware ? QStringLiteral("no hardware encoder: ") +
                                   QString::fromStdString(catalog.hardwareAbsence())
                             : QStringLiteral("no encoder for the video format");
    return {};
}

VideoEncoderSettings TMFEncoder::CreateVideoOutputType() {
    VideoEncoderSettings settings;
    settings.encoder = VideoEncoderName();
    settings.width = FWidth;
    settings.height = FHeight;
    settings.frameRate = Rational{FVideoFramePS, 1};
    settings.bitRate = VideoBitRate();
    settings.options = GetEncodingParameters();
    return settings;
}

EncoderOptions TMFEncoder::GetEncodingParameters() {
    return {};
}

PictureView TMFEncoder::ConvertFrame(const uint8_t* Source) {
    return PictureView::contiguous(FInputGuid, FWidth, FHeight, Source);
}

AudioEncoderSettings TMFEncoder::CreateAudioOutputType() {
    AudioEncoderSettings settings;
    settings.encoder = "aac";
    settings.sampleRate = FAudioFramePS;
    settings.channels = 2;
    settings.bitRate = int64_t(FAudioBytesPS) * 8;
    settings.profile = "aac_low";
    return settings;
}

int32_t TMFEncoder::Fail(const QString& reason) {
    FLastError = reason;
    return E_MF_ENCODER;
}

int32_t TMFEncoder::Fail(const std::exception& error) {
    return Fail(QString::fromStdString(error.what()));
}

void TMFEncoder::PassSlots(int64_t slots) {
    FNrVideoFrames += slots;
    FSampleVideoStart = SlotTime(FNrVideoFrames, FVideoFramePS);
}

void TMFEncoder::RemoveOutput() const {
    QFile::remove(FileName());
}

int32_t TMFEncoder::TestEncode() {
    int32_t result = MF_S_OK;
    try {
        const VideoEncoderSettings settings = CreateVideoOutputType();
        if (settings.encoder.empty()) {
            result = E_MF_NO_ENCODER;
        } else {
            SinkWriter writer(FileName().toStdString());
            writer.addVideoStream(settings);
        }
    } catch (const std::exception& error) {
        result = Fail(error);
    }
    RemoveOutput();
    return result;
}

int32_t TMFEncoder::StartEncode() {
    IsValid = false;
    ppSinkWriter.reset();
    if (FVideoFramePS <= 0 || (FAudio && FAudioFramePS <= 0))
        return Fail(QStringLiteral("the frame or sample rate is not positive"));
    try {
        auto writer = std::make_unique<SinkWriter>(FileName().toStdString());
        if (FVideo) {
            const VideoEncoderSettings settings = CreateVideoOutputType();
            if (settings.encoder.empty()) {
                writer.reset();
                RemoveOutput();
                return E_MF_NO_ENCODER;
            }
            VideoStreamIndex = writer->addVideoStream(settings);
        }
        if (FAudio)
            AudioStreamIndex = writer->addAudioStream(CreateAudioOutputType());
        writer->beginWriting();
        ppSinkWriter = std::move(writer);
    } catch (const std::exception& error) {
        RemoveOutput();
        return Fail(error);
    }
    FSampleVideoStart = 0;
    FSampleVideoDuration = SlotTime(1, FVideoFramePS);
    FSampleAudioStart = 0;
    FSampleAudioDuration = FSampleVideoDuration;
    FNrVideoFrames = 0;
    FNrAudioFrames = 0;
    FVideoSamplesWritten = 0;
    first = true;
    lastdata.assign(size_t(RawBufferSizeRGB32), 0);
    IsValid = true;
    return MF_S_OK;
}

int32_t TMFEncoder::WriteVideoSample(const uint8_t* Frame, int) {
    int32_t result = MF_S_OK;
    try {
        ppSinkWriter->writeVideo(VideoStreamIndex, ConvertFrame(Frame), FSampleVideoStart);
        ++FVideoSamplesWritten;
    } catch (const std::exception& error) {
        result = Fail(error);
    }
    // A failed write does not hold the clock back.
    PassSlots(1);
    return result;
}

int32_t TMFEncoder::AddVideoFrame(const uint8_t* PVideoDataRGB) {
    if (!IsValid || !FVideo)
        return MF_S_NOTHING;
    const size_t bytes = size_t(RawBufferSizeRGB32);
    if (!PVideoDataRGB ||
        (UseVFR && !first && std::memcmp(PVideoDataRGB, lastdata.data(), bytes) == 0)) {
        PassSlots(1);
        return MF_S_OK;
    }
    const int32_t result = WriteVideoSample(PVideoDataRGB, 1);
    if (UseVFR) {
        std::memcpy(lastdata.data(), PVideoDataRGB, bytes);
        first = false;
    }
    return result;
}

int TMFEncoder::AudioChunkFrames() const {
    return int(AudioFramesBefore(FNrAudioFrames + 1, FAudioFramePS, FVideoFramePS) -
               AudioFramesBefore(FNrAudioFrames, FAudioFramePS, FVideoFramePS));
}

int32_t TMFEncoder::AddAudioFrame(const uint8_t* PAudioData) {
    if (!IsValid || !FAudio)
        return MF_S_NOTHING;
    int32_t result = MF_S_OK;
    try {
        ppSinkWriter->writeAudio(AudioStreamIndex, reinterpret_cast<const int16_t*>(PAudioData),
                                 AudioChunkFrames());
    } catch (const std::exception& error) {
        result = Fail(error);
    }
    ++FNrAudioFrames;
    FSampleAudioStart = SlotTime(FNrAudioFrames, FVideoFramePS);
    return result;
}

int32_t TMFEncoder::StopEncode() {
    if (!ppSinkWriter)
        return MF_S_NOTHING;
    std::unique_ptr<SinkWriter> writer;
    // The last picture lasts until the end of the stream.
    if (UseVFR && !first)
        WriteVideoSample(lastdata.data(), 1);
    writer.swap(ppSinkWriter);
    IsValid = false;
    lastdata.clear();
    lastdata.shrink_to_fit();
    const bool nothingWritten = FVideo ? FVideoSamplesWritten == 0 : FNrAudioFrames == 0;
    if (nothingWritten) {
        writer.reset();
        RemoveOutput();
        FLastError = QStringLiteral("no frame was added; no file was written");
        return E_MF_NO_FRAMES;
    }
    try {
        writer->finalize();
    } catch (const std::exception& error) {
        return Fail(error);
    }
    return MF_S_OK;
}

int32_t TMFEncoder::AddVideoFrameFromRecording(const uint8_t*, int) {
    return MF_S_OK;
}

uint64_t TMFEncoder::GetVideoCompressedSize() {
    return GetVideoStatistics().bytesWritten;
}

StreamStatistics TMFEncoder::GetVideoStatistics() const {
    if (!ppSinkWriter || VideoStreamIndex < 0 || !FVideo)
        return {};
    return ppSinkWriter->statistics(VideoStreamIndex);
}

uint64_t TMFEncoder::GetAudioCompressedSize() const {
    if (!ppSinkWriter || AudioStreamIndex < 0 || !FAudio)
        return 0;
    return ppSinkWriter->statistics(AudioStreamIndex).bytesWritten;
}

int64_t TMFEncoder::GetNumVideoSamplesToEncode() const {
    const StreamStatistics stats = GetVideoStatistics();
    return stats.samplesReceived - stats.samplesEncoded;
}

int64_t TMFEncoder::GetNumAudioSamplesToEncode() const {
    if (!ppSinkWriter || AudioStreamIndex < 0 || !FAudio)
        return 0;
    const StreamStatistics stats = ppSinkWriter->statistics(AudioStreamIndex);
    return stats.samplesReceived - stats.samplesEncoded;
}
