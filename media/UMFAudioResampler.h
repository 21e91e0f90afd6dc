// Conversion of interleaved signed 16-bit PCM between sample rates and channel counts, a tempo
// changer that keeps the pitch, and the routines around the program's temporary WAV files.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

namespace platform::media {
class Resampler;
}

// The 18-byte wave format record of a WAV header.
struct TWaveFormat {
    uint16_t wFormatTag = 1; // PCM
    uint16_t nChannels = 2;
    uint32_t nSamplesPerSec = 44100;
    uint32_t nAvgBytesPerSec = 176400;
    uint16_t nBlockAlign = 4;
    uint16_t wBitsPerSample = 16;
    uint16_t cbSize = 0;

    // 16-bit PCM at this rate and channel count.
    static TWaveFormat Pcm16(uint32_t samplesPerSec, uint16_t channels);
};

// Bytes of the header every WAV file of the program starts with; readers skip exactly these.
inline constexpr int WavHeaderSize = 46;

// Writes the 46-byte header at offset 0 with the sizes of the stream as it is now (both 0 while
// it is empty) and leaves the position at 46. Writers call it once on the empty file and once
// more when all data is written. False when the stream refuses the write.
bool WriteWavHeader(const TWaveFormat& Format, QIODevice& Stream);

// Writes a copy of a 44.1 kHz stereo WAV file (46-byte header) played at ASpeed per mille,
// starting AOffset bytes into its data: with APreservePitch the tempo changes at the same
// pitch, otherwise the sound is resampled (higher and faster, or lower and slower). Nothing is
// written when the source does not exist or the speed is not positive; returns whether ADest
// was written.
bool ChangeWavSpeed(const QString& ASource, const QString& ADest, int64_t AOffset, int ASpeed,
                    bool APreservePitch);

class TMFAudioResampler {
public:
    // Which engine converts rates and channels: the library's resampler when it can be set
    // up (else the linear one), or the linear one always.
    enum class TEngine { Auto, Linear };

    TMFAudioResampler();
    virtual ~TMFAudioResampler();
    TMFAudioResampler(const TMFAudioResampler&) = delete;
    TMFAudioResampler& operator=(const TMFAudioResampler&) = delete;

    // Sets the conversion and the tempo (per mille, 1000 = unchanged; 0 or less counts as
    // 1000) and resets every state. Call once before converting.
    void SetParams(uint32_t ASourceSPS, uint32_t ADestSPS, uint16_t ASourceNumChannels,
                   uint16_t ADestNumChannels, int ATempo, TEngine AEngine = TEngine::Auto);

    // Each conversion appends its output frames (destination channels, or source channels
    // for the tempo) to `Out`, grown as needed, and returns the number of frames appended.

    // Rate and channel conversion, through the library's resampler when there is one.
    uint32_t Resample(const int16_t* pBufferAudio, uint32_t nNumFramesToRead,
                      std::vector<int16_t>& Out);
    // Conversion through the library's resampler: input is taken in whole chunks of 1/30 s,
    // so output lags input by up to a chunk and comes in uneven amounts.
    uint32_t ResampleMFT(const int16_t* pBufferAudio, uint32_t nNumFramesToRead,
                         std::vector<int16_t>& Out);
    // Tempo change at the source rate and channel count; every complete window is processed.
    uint32_t ResamplePreservePitch(const int16_t* pBufferAudio, uint32_t nNumFramesToRead,
                                   std::vector<int16_t>& Out);
    // End of the stream: hands out what the engines still hold (the tempo changer's last
    // input and cross-fade tail, the library resampler's delayed output).
    uint32_t Flush(std::vector<int16_t>& Out);

    bool UsesLinear() const { return !presampler; }
    uint16_t SourceChannels() const { return FNumChannelsSource; }
    uint16_t DestChannels() const { return FNumChannelsDest; }
    // Frames of one tempo window, of its cross-fade, and of its hop through the input.
    int TempoWindow() const { return FTempoWindow; }
    int TempoCrossFade() const { return FTempoCrossFade; }
    int TempoHop() const { return FTempoHop; }

private:
    int64_t ConvertLibrary(const int16_t* In, size_t Samples, std::vector<int16_t>& Out);
    uint32_t ResampleLinear(const int16_t* In, uint32_t Frames, std::vector<int16_t>& Out);
    void EmitPair(double Left, double Right, std::vector<int16_t>& Out) const;
    void ProcessTempoWindow(std::vector<int16_t>& Out);
    uint32_t FlushTempo(std::vector<int16_t>& Out);

    uint32_t FSamplesPerSecSource = 0;
    uint16_t FNumChannelsSource = 0;
    uint32_t FSamplesPerSecDest = 0;
    uint16_t FNumChannelsDest = 0;

    // The linear engine: fractional read position and the previous input pair, both kept
    // across calls so a stream converted in pieces has no seams.
    double samplesLeft = 0;
    double samplesneeded = 1;
    int16_t FPreviousLeft = 0;
    int16_t FPreviousRight = 0;

    // The tempo changer.
    int fTempo = 1000;
    int FTempoWindow = 0;
    int FTempoCrossFade = 0;
    int FTempoHop = 1;
    std::vector<int16_t> fTempoMidBuffer;   // the previous window's tail, faded into the next
    std::vector<int16_t> fTempoInputBuffer; // input frames not yet consumed
    int64_t fTempoInputReal = 0;            // of those, frames that came from the caller

    // The library's resampler (none on the linear engine) and its input not yet a whole chunk.
    std::unique_ptr<platform::media::Resampler> presampler;
    std::vector<int16_t> BufferIn;
};
