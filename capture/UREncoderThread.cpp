#include "capture/UREncoderThread.h"

#include "media/UMFApi.h"
#include "media/UMFEncoderGif.h"
#include "media/UMFencoderWEBP.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kGif = 6;

std::unique_ptr<TMFEncoder> DefaultEncoder(int AEncoder) {
    if (AEncoder == kGif)
        return std::make_unique<TMFEncoderGIF>();
    return std::make_unique<TMFEncoderWEBP>();
}

} // namespace

TREncoderThread::TREncoderThread(int AEncoder, int AWidth, int AHeight, int AFramePS, int AQuality,
                                 int AGifOptimize, int AWebPOptimize, uint32_t AGifColor,
                                 const QString& AFileName)
    : CreateEncoder(DefaultEncoder), FEncoder(AEncoder), FWidth(AWidth), FHeight(AHeight),
      FQuality(AQuality), FFramePS(std::max(AFramePS, 1)), FGifOptimize(AGifOptimize),
      FWebOptimize(AWebPOptimize), FGifColor(AGifColor), FFileName(AFileName),
      FCapacity(2 * FFramePS) {}

TREncoderThread::~TREncoderThread() = default;

void TREncoderThread::AddVideoFrame(int ATime, const uint8_t* PData) {
    if (!PData)
        return;
    const size_t bytes = size_t(FWidth) * size_t(FHeight) * 4;
    std::lock_guard lock(FCS);
    if (int(frames.size()) >= FCapacity) {
        ++FDropped;
        return;
    }
    try {
        TREncoderFrame frame{ATime, std::vector<uint8_t>(PData, PData + bytes)};
        frames.push_back(std::move(frame));
    } catch (const std::bad_alloc&) {
        ++FDropped;
    }
}

bool TREncoderThread::GetDataToProcess(uint8_t* PData, int& ATime) {
    std::lock_guard lock(FCS);
    if (frames.empty())
        return false;
    TREncoderFrame frame = std::move(frames.front());
    frames.pop_front();
    ATime = frame.Time;
    std::memcpy(PData, frame.Data.data(), frame.Data.size());
    return true;
}

int TREncoderThread::Queued() const {
    std::lock_guard lock(FCS);
    return int(frames.size());
}

void TREncoderThread::ConfigureEncoder(TMFEncoder& encoder, int AEncoder, int AGifOptimize,
                                       int AWebPOptimize, uint32_t AGifColor) {
    encoder.UseVFR = true;
    if (AEncoder == kGif) {
        encoder.UseChanges = AGifOptimize == 1 || AGifOptimize == 3;
        encoder.UseTransparency = AGifOptimize == 2 || AGifOptimize == 3;
        // A colour value keeps red in its low byte; the pixel value has it beside alpha.
        encoder.TransparentColor = 0xFF000000u | (AGifColor & 0xFF) << 16 | (AGifColor & 0xFF00) |
                                   (AGifColor >> 16 & 0xFF);
    } else {
        encoder.Animation = true;
        encoder.UseChanges = AWebPOptimize == 1;
    }
}

void TREncoderThread::Encode(TMFEncoder& encoder, const uint8_t* frame, int time) {
    encoder.AddVideoFrameFromRecording(frame, time);
    if (++FCount >= FFramePS) {
        FCompressedSize = encoder.GetVideoCompressedSize();
        FCount = 0;
    }
}

void TREncoderThread::Execute() {
    StartupMF();
    std::vector<uint8_t> work(size_t(FWidth) * size_t(FHeight) * 4);
    std::unique_ptr<TMFEncoder> encoder = CreateEncoder(FEncoder);
    ConfigureEncoder(*encoder, FEncoder, FGifOptimize, FWebOptimize, FGifColor);
    encoder->SetParams(FWidth, FHeight, FFramePS, FQuality, false, 44100, 100, FFileName);
    FOutputName = encoder->FileName();
    if (const int32_t hr = encoder->StartEncode(); hr != MF_S_OK)
        SetResult(hr, 1);
    int time = 0;
    while (!Terminated()) {
        if (GetDataToProcess(work.data(), time))
            Encode(*encoder, work.data(), time);
        else
            SleepMs(1);
    }
    // Every frame left keeps its time, so the file lasts as long as the recording.
    while (GetDataToProcess(work.data(), time))
        Encode(*encoder, work.data(), time);
    const int32_t hr = encoder->StopEncode();
    if (hr != MF_S_OK && hr != MF_S_NOTHING)
        SetResult(hr, 2);
    FWroteFile = hr == MF_S_OK;
    encoder.reset();
    ShutdownMF();
}
