// Decodes the first audio stream (or a chosen one) of any media file into interleaved signed
// 16-bit PCM at a chosen rate and channel count, optionally at another speed (keeping the
// pitch or not) and volume, with seeking by time.
#pragma once

#include "media/UMFAudioResampler.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::media {
class Resampler;
class Sample;
class SourceReader;
} // namespace platform::media

// `LoadData` flags.
inline constexpr uint32_t ReaderEndOfStream = 2;
// The stream index that names a file's first audio stream.
inline constexpr int FirstAudioStream = -3;

// Scales 16-bit samples by `gain` in place, truncating and saturating at ±32700, as the
// player and the export both do so that what is heard is what is exported. A gain of exactly
// 1 leaves them untouched.
void ApplyAudioGain(int16_t* samples, size_t count, float gain);

class TAudioReader {
public:
    TAudioReader();
    virtual ~TAudioReader();
    TAudioReader(const TAudioReader&) = delete;
    TAudioReader& operator=(const TAudioReader&) = delete;

    // Opens stream AIndex of the file (callers pass FirstAudioStream); False when the file
    // cannot be opened, has no such audio stream or no duration. The offset and size are
    // kept for the owner; the whole file is always read.
    bool OpenFile(const QString& AFileName, int64_t AFileOffset = 0, int64_t AFileSize = 0,
                  int AIndex = FirstAudioStream);
    // Chooses the delivered format (16 bits per sample only); False without an open stream
    // or for a format that cannot be delivered.
    bool SetFormat(uint32_t ASamplesPerSecond, uint32_t ANumChannels, uint32_t ABitsPerSample);
    // Speed per mille (1000 = normal); call after SetFormat.
    void SetSpeed(int ASpeed, bool APreservePitch);
    // Fills pData with exactly numFrames frames: decoded audio, then silence once the stream
    // has ended (flags = ReaderEndOfStream, else 0). Does nothing before SetFormat.
    void LoadData(uint32_t numFrames, uint8_t* pData, uint32_t& flags);

    bool IsValid() const { return FIsValid; }
    int64_t Duration() const { return FDuration; } // ms
    // The time (ms) of the block most recently decoded; the stream's duration at its end.
    int64_t Position() const { return FPosition.load(); }
    // Seeks to a time in ms. When no sample holds that time the reader goes to the end of
    // the stream.
    void SetPosition(int64_t AMs);
    // The gain of LoadData; may be changed from another thread while it reads.
    float Volume() const { return FDestinationVolume.load(); }
    void SetVolume(float AVolume) { FDestinationVolume.store(AVolume); }

    uint32_t SourceSamplesPerSecond() const { return FSourceSamplesPerSecond; }
    uint32_t SourceNumChannels() const { return FSourceNumChannels; }
    uint32_t DestinationSamplesPerSecond() const { return FDestinationSamplesPerSecond; }
    uint32_t DestinationNumChannels() const { return FDestinationNumChannels; }

private:
    void Close();
    void ReadNextBlock(uint32_t& flags);
    // Makes the block of a decoded sample current (none: the end of the stream, where the
    // filters hand out what they still hold).
    void Convert(const platform::media::Sample* sample);
    void ApplyVolume(int16_t* samples, size_t count) const;
    void GoToEnd();

    QString FFileName;
    int64_t FFileOffset = 0;
    int64_t FFileSize = 0;
    int FIndex = FirstAudioStream;
    int64_t FDuration = 0;
    std::atomic<int64_t> FPosition{0}; // read by the owner while a player thread decodes
    uint32_t FSourceSamplesPerSecond = 0;
    uint32_t FSourceNumChannels = 0;
    uint32_t FDestinationSamplesPerSecond = 0;
    uint32_t FDestinationNumChannels = 0;
    int FDestinationSpeed = 1000;
    bool FDestinationPreservePitch = true;
    std::atomic<float> FDestinationVolume{1.0f};
    bool FIsValid = false;
    bool FFormatted = false;
    bool FEnded = false;

    std::unique_ptr<platform::media::SourceReader> preader;
    std::unique_ptr<platform::media::Resampler> presampler;
    std::unique_ptr<TMFAudioResampler> pResamplerSpeed;
    std::vector<int16_t> FBlock; // the current block in the delivered format
    size_t numFramesUsed = 0;
    size_t numFramesAvailable = 0;
};
