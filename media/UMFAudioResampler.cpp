#include "media/UMFAudioResampler.h"

#include "platform/media/MediaType.h"
#include "platform/media/Resampler.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int16_t toSample(double value) {
    return int16_t(std::clamp(std::nearbyint(value), -32768.0, 32767.0));
}

void putLE16(char* at, uint16_t value) {
    qToLittleEndian(value, at);
}
void putLE32(char* at, uint32_t value) {
    qToLittleEndian(value, at);
}

uint32_t clampedSize(int64_t size) {
    return uint32_t(std::clamp<int64_t>(size, 0, UINT32_MAX));
}

} // namespace

TWaveFormat TWaveFormat::Pcm16(uint32_t samplesPerSec, uint16_t channels) {
    TWaveFormat format;
    format.nChannels = channels;
    format.nSamplesPerSec = samplesPerSec;
    format.nBlockAlign = uint16_t(channels * 2);
    format.nAvgBytesPerSec = samplesPerSec * format.nBlockAlign;
    return format;
}

bool WriteWavHeader(const TWaveFormat& Format, QIODevice& Stream) {
    const int64_t length = Stream.size();
    char header[WavHeaderSize];
    std::memcpy(header, "RIFF", 4);
    putLE32(header + 4, length ? clampedSize(length - 8) : 0);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    putLE32(header + 16, 18);
    putLE16(header + 20, Format.wFormatTag);
    putLE16(header + 22, Format.nChannels);
    putLE32(header + 24, Format.nSamplesPerSec);
    putLE32(header + 28, Format.nAvgBytesPerSec);
    putLE16(header + 32, Format.nBlockAlign);
    putLE16(header + 34, Format.wBitsPerSample);
    putLE16(header + 36, Format.cbSize);
    std::memcpy(header + 38, "data", 4);
    putLE32(header + 42, length ? clampedSize(length - WavHeaderSize) : 0);
    return Stream.seek(0) && Stream.write(header, WavHeaderSize) == WavHeaderSize;
}

bool ChangeWavSpeed(const QString& ASource, const QString& ADest, int64_t AOffset, int ASpeed,
                    bool APreservePitch) {
    QFile source(ASource);
    if (ASpeed <= 0 || AOffset < 0 || !source.open(QIODevice::ReadOnly) ||
        !source.seek(WavHeaderSize + AOffset))
        return false;
    QFile::remove(ADest);
    QFile dest(ADest);
    const TWaveFormat format = TWaveFormat::Pcm16(44100, 2);
    if (!dest.open(QIODevice::WriteOnly) || !WriteWavHeader(format, dest))
        return false;
    TMFAudioResampler resampler;
    resampler.SetParams(44100, uint32_t(44100000 / ASpeed), 2, 2, ASpeed);
    std::vector<int16_t> in(size_t(ASpeed) * 2);
    std::vector<int16_t> out;
    bool written = true;
    auto append = [&] {
        written = written && dest.write(reinterpret_cast<const char*>(out.data()),
                                        qint64(out.size() * 2)) == qint64(out.size() * 2);
        out.clear();
    };
    for (;;) {
        const qint64 bytes = source.read(reinterpret_cast<char*>(in.data()), qint64(in.size() * 2));
        if (bytes <= 0)
            break;
        const auto frames = uint32_t(bytes / 4);
        if (APreservePitch)
            resampler.ResamplePreservePitch(in.data(), frames, out);
        else
            resampler.Resample(in.data(), frames, out);
        append();
    }
    resampler.Flush(out);
    append();
    return WriteWavHeader(format, dest) && written;
}

TMFAudioResampler::TMFAudioResampler() = default;

TMFAudioResampler::~TMFAudioResampler() = default;

void TMFAudioResampler::SetParams(uint32_t ASourceSPS, uint32_t ADestSPS,
                                  uint16_t ASourceNumChannels, uint16_t ADestNumChannels,
                                  int ATempo, TEngine AEngine) {
    FSamplesPerSecSource = std::max<uint32_t>(ASourceSPS, 1);
    FSamplesPerSecDest = std::max<uint32_t>(ADestSPS, 1);
    FNumChannelsSource = std::max<uint16_t>(ASourceNumChannels, 1);
    FNumChannelsDest = std::max<uint16_t>(ADestNumChannels, 1);
    samplesneeded = double(FSamplesPerSecSource) / double(FSamplesPerSecDest);
    samplesLeft = 0;
    FPreviousLeft = FPreviousRight = 0;

    fTempo = ATempo > 0 ? ATempo : 1000;
    FTempoWindow = int(int64_t(FSamplesPerSecSource) * 82 / 1000);
    FTempoCrossFade = int(int64_t(FSamplesPerSecSource) * 12 / 1000);
    FTempoHop = std::max(1, int(int64_t(fTempo) * (FTempoWindow - FTempoCrossFade) / 1000));
    fTempoMidBuffer.assign(size_t(FTempoCrossFade) * FNumChannelsSource, 0);
    fTempoInputBuffer.clear();
    fTempoInputReal = 0;

    // Without the library's resampler the linear engine converts.
    presampler.reset();
    BufferIn.clear();
    if (AEngine == TEngine::Auto) {
        try {
            presampler = std::make_unique<platform::media::Resampler>(
                platform::media::AudioFormat{int(FSamplesPerSecDest), int(FNumChannelsDest)});
        } catch (const platform::media::MediaError&) {
        }
    }
}

uint32_t TMFAudioResampler::Resample(const int16_t* pBufferAudio, uint32_t nNumFramesToRead,
                                     std::vector<int16_t>& Out) {
    if (nNumFramesToRead == 0 || !pBufferAudio)
        return 0;
    if (presampler)
        return ResampleMFT(pBufferAudio, nNumFramesToRead, Out);
    return ResampleLinear(pBufferAudio, nNumFramesToRead, Out);
}

uint32_t TMFAudioResampler::ResampleMFT(const int16_t* pBufferAudio, uint32_t nNumFramesToRead,
                                        std::vector<int16_t>& Out) {
    if (!presampler || !pBufferAudio)
        return 0;
    BufferIn.insert(BufferIn.end(), pBufferAudio,
                    pBufferAudio + size_t(nNumFramesToRead) * FNumChannelsSource);
    const size_t chunk = std::max<size_t>(FSamplesPerSecSource / 30, 1) * FNumChannelsSource;
    const size_t whole = BufferIn.size() / chunk * chunk;
    if (whole == 0)
        return 0;
    const int64_t made = ConvertLibrary(BufferIn.data(), whole, Out);
    BufferIn.erase(BufferIn.begin(), BufferIn.begin() + ptrdiff_t(whole));
    return uint32_t(made);
}

int64_t TMFAudioResampler::ConvertLibrary(const int16_t* In, size_t Samples,
                                          std::vector<int16_t>& Out) {
    try {
        return presampler->convert(
            In, int64_t(Samples / FNumChannelsSource),
            platform::media::AudioFormat{int(FSamplesPerSecSource), int(FNumChannelsSource)}, Out);
    } catch (const platform::media::MediaError&) {
        // The library refuses this conversion: the linear engine takes over.
        presampler.reset();
        return ResampleLinear(In, uint32_t(Samples / FNumChannelsSource), Out);
    }
}

void TMFAudioResampler::EmitPair(double Left, double Right, std::vector<int16_t>& Out) const {
    if (FNumChannelsDest == 1) {
        Out.push_back(toSample((Left + Right) / 2));
        return;
    }
    Out.push_back(toSample(Left));
    Out.push_back(toSample(Right));
    Out.insert(Out.end(), size_t(FNumChannelsDest - 2), 0);
}

uint32_t TMFAudioResampler::ResampleLinear(const int16_t* In, uint32_t Frames,
                                           std::vector<int16_t>& Out) {
    const int channels = FNumChannelsSource;
    const size_t before = Out.size();
    for (uint32_t i = 0; i < Frames; ++i) {
        const int16_t* frame = In + size_t(i) * channels;
        int16_t left = frame[0], right = channels > 1 ? frame[1] : frame[0];
        if (channels > 2) {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += frame[c] / channels;
            left = right = int16_t(sum);
        }
        if (samplesneeded >= 1.0) {
            if (samplesLeft <= 0) {
                EmitPair(left * (samplesLeft + 1) - FPreviousLeft * samplesLeft,
                         right * (samplesLeft + 1) - FPreviousRight * samplesLeft, Out);
                samplesLeft += samplesneeded;
            }
        } else {
            while (samplesLeft < 1.0) {
                EmitPair(left, right, Out);
                samplesLeft += samplesneeded;
            }
        }
        FPreviousLeft = left;
        FPreviousRight = right;
        samplesLeft -= 1;
    }
    return uint32_t((Out.size() - before) / FNumChannelsDest);
}

uint32_t TMFAudioResampler::ResamplePreservePitch(const int16_t* pBufferAudio,
                                                  uint32_t nNumFramesToRead,
                                                  std::vector<int16_t>& Out) {
    if (nNumFramesToRead == 0 || !pBufferAudio)
        return 0;
    const size_t before = Out.size();
    fTempoInputBuffer.insert(fTempoInputBuffer.end(), pBufferAudio,
                             pBufferAudio + size_t(nNumFramesToRead) * FNumChannelsSource);
    fTempoInputReal += nNumFramesToRead;
    const int64_t needed = std::max(FTempoHop, FTempoWindow);
    while (fTempoInputReal >= needed) {
        ProcessTempoWindow(Out);
        fTempoInputReal -= FTempoHop;
    }
    return uint32_t((Out.size() - before) / FNumChannelsSource);
}

void TMFAudioResampler::ProcessTempoWindow(std::vector<int16_t>& Out) {
    const int channels = FNumChannelsSource;
    const int W = FTempoWindow, X = FTempoCrossFade;
    const size_t windowSamples = size_t(std::max(W, FTempoHop)) * channels;
    if (fTempoInputBuffer.size() < windowSamples)
        fTempoInputBuffer.resize(windowSamples, 0);
    const int16_t* in = fTempoInputBuffer.data();
    for (int i = 0; i < X; ++i)
        for (int c = 0; c < channels; ++c) {
            const size_t k = size_t(i) * channels + c;
            Out.push_back(
                int16_t((int32_t(in[k]) * i + int32_t(fTempoMidBuffer[k]) * (X - i)) / X));
        }
    Out.insert(Out.end(), in + size_t(X) * channels, in + size_t(W - X) * channels);
    std::copy(in + size_t(W - X) * channels, in + size_t(W) * channels, fTempoMidBuffer.begin());
    fTempoInputBuffer.erase(fTempoInputBuffer.begin(),
                            fTempoInputBuffer.begin() + size_t(FTempoHop) * channels);
}

uint32_t TMFAudioResampler::Flush(std::vector<int16_t>& Out) {
    if (fTempoInputReal > 0)
        return FlushTempo(Out);
    if (!presampler)
        return 0;
    int64_t made = ConvertLibrary(BufferIn.data(), BufferIn.size(), Out);
    BufferIn.clear();
    if (presampler)
        made += presampler->flush(Out);
    return uint32_t(made);
}

uint32_t TMFAudioResampler::FlushTempo(std::vector<int16_t>& Out) {
    const size_t before = Out.size();
    const int channels = FNumChannelsSource;
    const int64_t emitted = FTempoWindow - FTempoCrossFade;
    // The last input is zero-padded to whole windows; of each window's output only the part
    // that stands for real input is kept, so the length keeps the tempo's ratio.
    while (fTempoInputReal > 0) {
        ProcessTempoWindow(Out);
        const int64_t consumed = std::min<int64_t>(fTempoInputReal, FTempoHop);
        const int64_t keep = std::min(emitted, (consumed * emitted + FTempoHop - 1) / FTempoHop);
        Out.resize(Out.size() - size_t(emitted - keep) * channels);
        fTempoInputReal -= consumed;
    }
    fTempoInputBuffer.clear();
    std::fill(fTempoMidBuffer.begin(), fTempoMidBuffer.end(), 0);
    return uint32_t((Out.size() - before) / channels);
}
