#include "media/UAudioPlayer.h"

#include "media/UCircleBuffer.h"
#include "media/UMFAudioResampler.h"
#include "platform/audio/Connection.h"
#include "platform/audio/Stream.h"
#include "platform/system/Messages.h"

#include <algorithm>
#include <chrono>

namespace audio = platform::audio;
namespace msg = platform::system::msg;

namespace {

constexpr int StepMs = 30;

// Frames for the device at another tempo: the reader's sound through the tempo changer (or
// the resampler, without the pitch), queued in a ring that grows as needed.
class TempoSource {
public:
    TempoSource(const TAudioPlayerRecord& data) : FData(data), FRing(0) {
        FResampler.SetParams(data.SamplesPerSecond,
                             uint32_t(int64_t(data.SamplesPerSecond) * 1000 / data.Tempo),
                             data.NumChannels, data.NumChannels, data.Tempo);
        FInput.resize(size_t(data.Tempo) * data.NumChannels);
    }

    void Fill(int16_t* target, size_t frames) {
        const int bytes = int(frames * FData.NumChannels * 2);
        while (FRing.CanReadCount() < bytes) {
            uint32_t flags = 0;
            FData.audioreader->LoadData(uint32_t(FData.Tempo),
                                        reinterpret_cast<uint8_t*>(FInput.data()), flags);
            FOutput.clear();
            if (FData.AudioPitch)
                FResampler.ResamplePreservePitch(FInput.data(), uint32_t(FData.Tempo), FOutput);
            else
                FResampler.Resample(FInput.data(), uint32_t(FData.Tempo), FOutput);
            FRing.Reserve(int(FOutput.size() * 2));
            FRing.Write(FOutput.data(), int(FOutput.size() * 2));
        }
        FRing.Read(target, bytes);
    }

private:
    TAudioPlayerRecord FData;
    TMFAudioResampler FResampler;
    TCircleBuffer FRing;
    std::vector<int16_t> FInput, FOutput;
};

} // namespace

TAudioPlayer::TAudioPlayer() : HWin(std::make_unique<platform::system::MessageReceiver>()) {
    HWin->on(msg::AudioPlayer, [this](int64_t wParam, int64_t) {
        if (OnPosition)
            OnPosition(this, wParam);
    });
    try {
        const audio::StreamFormat format = audio::defaultPlaybackFormat();
        FFormat = 1;
        FSamplesPerSecond = uint32_t(format.sampleRate);
        FNumChannels = uint16_t(format.channels);
        FBitsPerSample = 16;
    } catch (const audio::AudioError&) {
    }
}

TAudioPlayer::~TAudioPlayer() {
    Stop();
}

bool TAudioPlayer::SetFile(const QString& AFileName, int64_t AFileOffset, int64_t AFileSize,
                           int AIndex) {
    Stop();
    audioreader = std::make_unique<TAudioReader>();
    FIsValid = FSamplesPerSecond > 0 &&
               audioreader->OpenFile(AFileName, AFileOffset, AFileSize, AIndex) &&
               audioreader->SetFormat(FSamplesPerSecond, FNumChannels, FBitsPerSample);
    return FIsValid;
}

void TAudioPlayer::SetReaderSpeed(int ASpeed, bool APreservePitch) {
    if (!FIsValid)
        return;
    Stop(); // the playback thread must not read while the speed changer is replaced
    audioreader->SetSpeed(ASpeed, APreservePitch);
}

void TAudioPlayer::Play(int ATempo, bool APitch) {
    if (!FIsValid || !audioreader)
        return;
    Stop();
    TAudioPlayerRecord data;
    data.audioreader = audioreader.get();
    data.HWin = OnPosition ? HWin.get() : nullptr;
    data.SamplesPerSecond = FSamplesPerSecond;
    data.NumChannels = FNumChannels;
    data.Tempo = ATempo > 0 ? ATempo : 1000;
    data.AudioPitch = APitch;
    FTerminated = false;
    FAudioPlayerThread = std::thread(Execute, data, std::cref(FTerminated));
}

void TAudioPlayer::Stop() {
    if (!FAudioPlayerThread.joinable())
        return;
    FTerminated = true;
    FAudioPlayerThread.join();
}

void TAudioPlayer::SetPosition(int64_t AMs) {
    if (!FIsValid)
        return;
    Stop();
    audioreader->SetPosition(AMs);
}

void TAudioPlayer::SetVolume(float AVolume) {
    if (FIsValid)
        audioreader->SetVolume(std::max(AVolume, 0.0f));
}

void TAudioPlayer::Execute(TAudioPlayerRecord data, const std::atomic<bool>& Terminated) {
    std::unique_ptr<audio::PlaybackStream> stream;
    try {
        stream = std::make_unique<audio::PlaybackStream>(
            audio::StreamFormat{int(data.SamplesPerSecond), data.NumChannels});
    } catch (const audio::AudioError&) {
        return; // no device: nothing plays
    }
    std::unique_ptr<TempoSource> tempo;
    if (data.Tempo != 1000)
        tempo = std::make_unique<TempoSource>(data);
    const size_t frameBytes = size_t(data.NumChannels) * 2;
    std::vector<int16_t> block;
    bool started = false;
    int64_t posted = 0;
    while (!Terminated) {
        const size_t available = stream->writableBytes() / frameBytes;
        if (available > 0) {
            block.resize(available * data.NumChannels);
            if (tempo) {
                tempo->Fill(block.data(), available);
            } else {
                uint32_t flags = 0; // past the end the reader gives silence: play on until Stop
                data.audioreader->LoadData(uint32_t(available),
                                           reinterpret_cast<uint8_t*>(block.data()), flags);
            }
            stream->write(block.data(), available * frameBytes);
        }
        if (!started) {
            stream->start();
            started = true;
        } else if (data.HWin) {
            const int64_t position = stream->playedMs();
            if (position > posted + StepMs) {
                platform::system::postMessage(data.HWin, msg::AudioPlayer, position);
                posted = position;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(StepMs));
    }
    stream->stop();
}
