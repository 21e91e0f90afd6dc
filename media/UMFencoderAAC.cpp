#include "media/UMFencoderAAC.h"

#include "media/ULittleEndianWriter.h"

using namespace platform::media;

namespace {

constexpr int Channels = 2;
constexpr int BytesPerSample = 2;

} // namespace

TMFEncoderAAC::TMFEncoderAAC() {
    FFileNameExt = QStringLiteral(".m4a");
    FVideo = false;
}

TMFEncoderMP3::TMFEncoderMP3() {
    FFileNameExt = QStringLiteral(".mp3");
    FVideo = false;
}

AudioEncoderSettings TMFEncoderMP3::CreateAudioOutputType() {
    AudioEncoderSettings settings = TMFEncoder::CreateAudioOutputType();
    settings.encoder = "libmp3lame";
    settings.profile.clear();
    return settings;
}

TMFEncoderPCM::TMFEncoderPCM() {
    FFileNameExt = QStringLiteral(".wav");
    FVideo = false;
}

// The format fields state the real rate: a header that claimed 44,100 Hz for sound of another
// rate would play it at the wrong speed.
bool TMFEncoderPCM::WriteHeader(int64_t fileSize) {
    const uint32_t rate = uint32_t(FAudioFramePS);
    TLittleEndianWriter header;
    header.Tag("RIFF");
    header.U32(fileSize ? uint32_t(fileSize - 8) : 0);
    header.Tag("WAVE");
    header.Tag("fmt ");
    header.U32(18);
    header.U16(1); // PCM
    header.U16(Channels);
    header.U32(rate);
    header.U32(rate * Channels * BytesPerSample);
    header.U16(Channels * BytesPerSample);
    header.U16(BytesPerSample * 8);
    header.U16(0);
    header.Tag("data");
    header.U32(fileSize ? uint32_t(fileSize - WavHeaderBytes) : 0);
    return destFile->seek(0) && destFile->write(header.Data()) == WavHeaderBytes;
}

int32_t TMFEncoderPCM::StartEncode() {
    IsValid = false;
    destFile = std::make_unique<QFile>(FileName());
    if (FVideoFramePS <= 0 || FAudioFramePS <= 0 ||
        !destFile->open(QIODevice::WriteOnly | QIODevice::Truncate) || !WriteHeader(0)) {
        FLastError = destFile->errorString();
        destFile.reset();
        return MF_S_NOTHING;
    }
    FNrAudioFrames = 0;
    IsValid = true;
    return MF_S_OK;
}

int32_t TMFEncoderPCM::AddAudioFrame(const uint8_t* PAudioData) {
    if (!destFile)
        return MF_S_NOTHING;
    const qint64 bytes = AudioChunkBytes();
    ++FNrAudioFrames;
    if (!PAudioData || destFile->write(reinterpret_cast<const char*>(PAudioData), bytes) != bytes)
        return Fail(QStringLiteral("cannot write the sound: ") + destFile->errorString());
    return MF_S_OK;
}

int32_t TMFEncoderPCM::StopEncode() {
    if (!destFile)
        return MF_S_NOTHING;
    const int64_t size = destFile->size();
    const bool written = FNrAudioFrames > 0 && WriteHeader(size);
    destFile->close();
    destFile.reset();
    IsValid = false;
    if (FNrAudioFrames == 0) {
        RemoveOutput();
        FLastError = QStringLiteral("no sound was added; no file was written");
        return E_MF_NO_FRAMES;
    }
    return written ? MF_S_OK : Fail(QStringLiteral("cannot complete the WAV file"));
}
