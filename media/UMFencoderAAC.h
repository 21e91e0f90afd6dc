// The audio-only encoders: AAC in an MPEG-4 audio file (".m4a") and MP3 (".mp3") through the
// base's writer, and uncompressed WAV (".wav") written directly with the program's 46-byte
// header.
#pragma once

#include "media/UMFencoder.h"

#include <QFile>
#include <memory>

class TMFEncoderAAC : public TMFEncoder {
public:
    TMFEncoderAAC();
    int32_t AddVideoFrame(const uint8_t*) override { return MF_S_OK; }
};

class TMFEncoderMP3 : public TMFEncoder {
public:
    TMFEncoderMP3();
    int32_t AddVideoFrame(const uint8_t*) override { return MF_S_OK; }

protected:
    platform::media::AudioEncoderSettings CreateAudioOutputType() override;
};

// Bytes of the header every WAV file of the program starts with.
constexpr int WavHeaderBytes = 46;

class TMFEncoderPCM : public TMFEncoder {
public:
    TMFEncoderPCM();
    int32_t StartEncode() override;
    int32_t AddVideoFrame(const uint8_t*) override { return MF_S_OK; }
    int32_t AddAudioFrame(const uint8_t* PAudioData) override;
    int32_t StopEncode() override;

private:
    // The header for `fileSize` bytes of file (0 while the size is not known yet).
    bool WriteHeader(int64_t fileSize);

    std::unique_ptr<QFile> destFile;
};
