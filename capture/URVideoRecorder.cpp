#include "capture/URVideoRecorder.h"

#include "capture/UREncoderThread.h"
#include "core/URSettings.h"
#include "media/UCircleBuffer.h"
#include "media/UMFApi.h"
#include "media/UMFEncoderH264.h"
#include "platform/system/Messages.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The compositor could not be set up: the recording composes nothing and writes no file.
constexpr int32_t E_VR_GRAPHICS = int32_t(0x88990001);
constexpr int StepGraphics = 10;

} // namespace

int RecorderOutputFormat(int format, bool video) {
    switch (format) {
    case VideoOutputH264:
    case VideoOutputH264Hardware:
    case VideoOutputHEVC:
    case VideoOutputHEVCHardware:
        return format;
    case VideoOutputGIF:
    case VideoOutputWebP:
        return video ? format : VideoOutputH264;
    default:
        return VideoOutputH264;
    }
}

int RecorderAudioBytesPS(int code) {
    static constexpr int rates[] = {12000, 16000, 20000, 24000};
    return code >= 0 && code <= 3 ? rates[code] : 24000;
}

void MixAudio(const int16_t* a, int16_t* b, int samples) {
    for (int i = 0; i < samples; ++i)
        b[i] = int16_t(std::clamp(int(a[i]) + int(b[i]), -32700, 32700));
}

std::unique_ptr<TMFEncoder> CreateRecorderEncoder(int format) {
    std::unique_ptr<TMFEncoder> encoder;
    if (format == VideoOutputHEVC || format == VideoOutputHEVCHardware)
        encoder = std::make_unique<TMFEncoderH265>();
    else
        encoder = std::make_unique<TMFEncoderH264Ex>();
    encoder->UseHardware = format == VideoOutputH264Hardware || format == VideoOutputHEVCHardware;
    encoder->RealTime = true;
    return encoder;
}

int64_t TRRecorderClock::NowMs() {
    return CaptureClockMs();
}

void TRRecorderClock::SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TRVideoRecorderThread::TRVideoRecorderThread(const TRVideoRecorderOptions& Data, QObject* AHWinSize,
                                             std::shared_ptr<TRRecorderClock> clock)
    : FData(Data), FHWinSize(AHWinSize),
      FClock(clock ? std::move(clock) : std::make_shared<TRRecorderClock>()), FCompositor(Data),
      FResult(std::make_shared<TRVideoRecordingResult>()) {
    const TRVideoLayout& l = FCompositor.Layout();
    if (l.Screen)
        FScreenBuffer =
            std::make_unique<TRBufferThread>(FData.ScreenWidth * FData.ScreenHeight * 4);
    if (l.Camera)
        FCameraBuffer =
            std::make_unique<TRBufferThread>(FData.CameraWidth * FData.CameraHeight * 4);
    m_audio = FData.RecordMic || FData.RecordSC;
    if (FData.RecordMic)
        FMicBuffer = std::make_unique<TCircleBufferThread>(RingBytes);
    if (FData.RecordSC)
        FSCBuffer = std::make_unique<TCircleBufferThread>(RingBytes);
}

TRVideoRecorderThread::~TRVideoRecorderThread() = default;

void TRVideoRecorderThread::SetScreenData(const uint8_t* picture, int width, int height,
                                          int stride) {
    if (!FScreenBuffer || !picture || width != FData.ScreenWidth || height != FData.ScreenHeight)
        return;
    const int row = width * 4;
    if (stride == row) {
        FScreenBuffer->Write(picture);
        return;
    }
    std::vector<uint8_t> packed(size_t(row) * size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(packed.data() + size_t(y) * size_t(row), picture + size_t(y) * size_t(stride),
                    size_t(row));
    FScreenBuffer->Write(packed.data());
}

void TRVideoRecorderThread::SetCameraData(const uint8_t* PSource) {
    if (FCameraBuffer && PSource)
        FCameraBuffer->Write(PSource);
}

void TRVideoRecorderThread::SetCursorRecorderThread(TRCursorSource* ACursorRecorderThread) {
    // The compositor asks the source under this lock, so once the store is made nobody uses
    // the previous source any more.
    std::lock_guard lock(FCursorLock);
    CursorRecorderThread = ACursorRecorderThread;
}

int64_t TRVideoRecorderThread::UpdateMediaTime() const {
    return FClock->NowMs() - FStartTime - FTotalPause;
}

void TRVideoRecorderThread::WaitForFirstFrame() {
    const TRBufferThread* source = FScreenBuffer ? FScreenBuffer.get() : FCameraBuffer.get();
    for (int i = 0; i < 1000 && source && !source->HasData() && !Terminated(); ++i)
        FClock->SleepMs(1);
}

void TRVideoRecorderThread::ComposeAt(int ATime) {
    std::lock_guard lock(FCursorLock);
    FCompositor.ComposeFrame(ATime, CursorRecorderThread);
}

void TRVideoRecorderThread::ReadAndCompose(int ATime) {
    FCompositor.ReadSourceFrames(FScreenBuffer.get(), FCameraBuffer.get());
    ComposeAt(ATime);
}

void TRVideoRecorderThread::AddFrame(TMFEncoder& encoder, const uint8_t* frame, int step) {
    if (const int32_t hr = encoder.AddVideoFrame(frame); hr != MF_S_OK)
        SetResult(hr, step);
}

void TRVideoRecorderThread::Execute() {
    StartupMF();
    const bool video = FCompositor.Layout().Video;
    if (video && !FCompositor.InitGraphics()) {
        SetResult(E_VR_GRAPHICS, StepGraphics);
        while (!Terminated())
            FClock->SleepMs(5);
    } else {
        FData.OutputFormat = RecorderOutputFormat(FData.OutputFormat, video);
        SetStatus(1);
        if (FData.OutputFormat == VideoOutputGIF || FData.OutputFormat == VideoOutputWebP)
            RunQueue();
        else
            RunMp4();
    }
    SetStatus(16);
    ShutdownMF();
    SetStatus(17);
}

void TRVideoRecorderThread::RunMp4() {
    const TRVideoLayout& l = FCompositor.Layout();
    std::unique_ptr<TMFEncoder> encoder = CreateEncoder(FData.OutputFormat);
    SetStatus(2);
    encoder->UseVFR = false;
    encoder->SetParams(l.VideoW, l.VideoH, FData.OutputFramePS, FData.OutputVideoQuality, m_audio,
                       44100, RecorderAudioBytesPS(FData.OutputAudioBitrate), FData.OutputFileName);
    if (const int32_t hr = encoder->StartEncode(); hr != MF_S_OK) {
        // Nothing can be written: the worker idles until it is terminated.
        SetResult(hr, 1);
        encoder.reset();
    }
    SetStatus(3);
    bool first = true, lag = false;
    while (!Terminated()) {
        if (!Recording() || !encoder) {
            FClock->SleepMs(5);
        } else if (first) {
            Mp4FirstPass(*encoder);
            first = false;
        } else {
            Mp4Pass(*encoder, lag);
        }
    }
    SetStatus(14);
    if (!encoder)
        return;
    if (l.Video && encoder->SampleVideoStart() == 0 && FCompositor.OutputData())
        AddFrame(*encoder, FCompositor.OutputData(), 8);
    if (l.Video && m_audio)
        FinishAudio(*encoder);
    const int32_t hr = encoder->StopEncode();
    if (hr != MF_S_OK)
        SetResult(hr, 8);
    FResult->Written = hr == MF_S_OK && QFileInfo::exists(encoder->FileName());
    FResult->FileName = encoder->FileName();
    SetStatus(15);
}

void TRVideoRecorderThread::Mp4FirstPass(TMFEncoder& encoder) {
    SetStatus(4);
    if (!FCompositor.Layout().Video)
        return;
    WaitForFirstFrame();
    ReadAndCompose(0);
    AddFrame(encoder, FCompositor.OutputData(), 2);
    const int D = int(encoder.SampleVideoDuration() / 10'000);
    int64_t mt = UpdateMediaTime();
    // The time between the start and the first picture is filled while it is short.
    for (int S = encoder.SampleVideoStartMS(); mt < 500 && S + D < mt;
         S = encoder.SampleVideoStartMS()) {
        if (mt - S - D < 100) {
            ComposeAt(S);
            AddFrame(encoder, FCompositor.OutputData(), 3);
        } else {
            AddFrame(encoder, nullptr, 4);
        }
        mt = UpdateMediaTime();
    }
}

void TRVideoRecorderThread::Mp4Pass(TMFEncoder& encoder, bool& lag) {
    const bool video = FCompositor.Layout().Video;
    const int D = int(encoder.SampleVideoDuration() / 10'000);
    int64_t mt = UpdateMediaTime();
    SetStatus(5);
    if (video) {
        for (int S = encoder.SampleVideoStartMS(); S + D < mt && !Terminated();
             S = encoder.SampleVideoStartMS()) {
            SetStatus(6);
            if (mt - S - D > 100)
                lag = true;
            if (FData.OutputFrameMode == RecorderFrameModeVariable || lag) {
                AddFrame(encoder, nullptr, 5);
            } else {
                ComposeAt(S);
                AddFrame(encoder, FCompositor.OutputData(), 6);
            }
        }
        if (mt >= encoder.SampleVideoStartMS()) {
            SetStatus(7);
            ReadAndCompose(encoder.SampleVideoStartMS());
            AddFrame(encoder, FCompositor.OutputData(), 7);
            SetStatus(8);
        }
    }
    SetStatus(9);
    if (m_audio)
        FeedAudio(encoder, mt);
    SetStatus(10);
    mt = UpdateMediaTime();
    const uint64_t size = (video ? encoder.GetVideoCompressedSize() : 0) +
                          (m_audio ? encoder.GetAudioCompressedSize() : 0);
    PostSize(mt, size);
    SetStatus(video ? 12 : 13);
    const int64_t next = video ? encoder.SampleVideoStartMS() : encoder.SampleaudioStartMS();
    FClock->SleepMs(mt < next ? int(std::min<int64_t>(next - mt, 30)) : 1);
}

void TRVideoRecorderThread::PostSize(int64_t mt, uint64_t bytes) {
    if (!FHWinSize || mt - FLastMessage <= 500 || Terminated())
        return;
    SetStatus(11);
    FLastMessage = mt;
    platform::system::postMessage(FHWinSize, platform::system::msg::VideoRecorderFileSize,
                                  int64_t(bytes / 1024));
}

void TRVideoRecorderThread::FeedAudio(TMFEncoder& encoder, int64_t mt) {
    for (int i = 0; i < 10 && FeedAudioChunk(encoder, mt); ++i) {
    }
}

void TRVideoRecorderThread::DropAhead(TCircleBufferThread* ring, int64_t lagMs) {
    // A source holding more than the picture's clock asks for (a late backlog after it fell
    // silent) would run ahead: its oldest surplus is dropped.
    if (!ring)
        return;
    const int64_t allowed = (std::max<int64_t>(lagMs, 0) + AheadLimitMs) * 44100 / 1000 * 4;
    const int64_t surplus = (ring->CanReadCount() - allowed) / 4 * 4;
    if (surplus <= 0)
        return;
    std::vector<uint8_t> dropped(static_cast<size_t>(surplus));
    ring->Read(dropped.data(), int(surplus));
}

bool TRVideoRecorderThread::FeedAudioChunk(TMFEncoder& encoder, int64_t mt) {
    const int bytes = encoder.AudioChunkBytes();
    const int64_t at = encoder.SampleaudioStartMS();
    DropAhead(FMicBuffer.get(), mt - at);
    DropAhead(FSCBuffer.get(), mt - at);
    const bool micReady = FMicBuffer && FMicBuffer->CanReadCount() >= bytes;
    const bool scReady = FSCBuffer && FSCBuffer->CanReadCount() >= bytes;
    const bool ready = (!FMicBuffer || micReady) && (!FSCBuffer || scReady);
    // A source that stays silent longer than a short delivery delay gives silence, so the
    // sound keeps the picture's pace.
    if (!ready && mt - at <= SilenceAfterMs)
        return false;
    pAudioData.assign(size_t(bytes), 0);
    pAudioDatamix.assign(size_t(bytes), 0);
    if (micReady)
        FMicBuffer->Read(pAudioData.data(), bytes);
    if (scReady)
        FSCBuffer->Read(pAudioDatamix.data(), bytes);
    const uint8_t* chunk = pAudioData.data();
    int step = 9;
    if (FMicBuffer && FSCBuffer) {
        MixAudio(reinterpret_cast<const int16_t*>(pAudioData.data()),
                 reinterpret_cast<int16_t*>(pAudioDatamix.data()), bytes / 2);
        chunk = pAudioDatamix.data();
        step = 8;
    } else if (FSCBuffer) {
        chunk = pAudioDatamix.data();
    }
    if (const int32_t hr = encoder.AddAudioFrame(chunk); hr != MF_S_OK)
        SetResult(hr, step);
    return true;
}

void TRVideoRecorderThread::FinishAudio(TMFEncoder& encoder) {
    // What the rings still hold up to the picture's end, then silence, so that the sound ends
    // within one chunk of the picture.
    const int64_t end = encoder.SampleVideoStartMS();
    const int chunkMs = int(encoder.SampleVideoDuration() / 10'000);
    while (encoder.SampleaudioStartMS() + chunkMs <= end &&
           FeedAudioChunk(encoder, end + SilenceAfterMs + 1)) {
    }
}

void TRVideoRecorderThread::RunQueue() {
    const TRVideoLayout& l = FCompositor.Layout();
    const int fps = FData.OutputFrameGIF > 0 ? FData.OutputFrameGIF : 10;
    TREncoderThread queue(FData.OutputFormat, l.VideoW, l.VideoH, fps, FData.OutputVideoQuality,
                          FData.OutputGifOptimize, FData.OutputWebOptimize, FData.OutputGifColor,
                          FData.OutputFileName);
    if (CreateQueueEncoder)
        queue.CreateEncoder = CreateQueueEncoder;
    queue.Start();
    int sleep = 10;
    SetStatus(2);
    bool first = true;
    int64_t frames = 0;
    while (!Terminated()) {
        if (Recording()) {
            int64_t mt = 0;
            if (first) {
                SetStatus(4);
                WaitForFirstFrame();
            } else {
                mt = UpdateMediaTime();
            }
            ReadAndCompose(int(mt));
            queue.AddVideoFrame(int(mt), FCompositor.OutputData());
            SetStatus(first ? 3 : 4);
            first = false;
            PostSize(mt, queue.CompressedSize());
            // Frames are taken on a grid of whole periods of media time: each fills one slot
            // of the file, so the file lasts as long as the recording.
            const int64_t due = ++frames * 1000 / fps;
            sleep = int(std::max<int64_t>(1, due - UpdateMediaTime()));
        }
        FClock->SleepMs(sleep);
    }
    SetStatus(5);
    queue.Terminate();
    SetStatus(6);
    while (!queue.WaitFor(1000)) {
    }
    if (queue.m_hr() != 0)
        SetResult(queue.m_hr(), queue.m_step());
    FResult->Written = queue.WroteFile() && QFileInfo::exists(queue.FileName());
    FResult->FileName = queue.FileName();
}

TRVideoRecorder::TRVideoRecorder() = default;

TRVideoRecorder::~TRVideoRecorder() {
    if (FVideoRecorderThread)
        Stop();
}

std::unique_ptr<TRVideoRecorderThread> TRVideoRecorder::CreateThread(QObject* sizeReceiver) {
    return std::make_unique<TRVideoRecorderThread>(FData, sizeReceiver);
}

int32_t TRVideoRecorder::Start(bool) {
    if (FVideoRecorderThread)
        Stop();
    auto receiver = std::make_unique<platform::system::MessageReceiver>();
    receiver->on(platform::system::msg::VideoRecorderFileSize, [this](int64_t wParam, int64_t) {
        try {
            if (OnReceiveSize)
                OnReceiveSize(int(wParam));
        } catch (...) {
            // A failing size display must not disturb the recording.
        }
    });
    FHWinSize = std::move(receiver);
    FFileName.clear();
    FVideoRecorderThread = CreateThread(FHWinSize.get());
    FVideoRecorderThread->Start();
    return 0;
}

bool TRVideoRecorder::Stop() {
    const QString prefix = SettingsRecord.LastStep.text();
    const QString step = prefix + QStringLiteral(":VideoRecorderThread");
    Breadcrumb(step);
    bool written = false;
    if (FVideoRecorderThread) {
        TRVideoRecorderThread& thread = *FVideoRecorderThread;
        const auto result = thread.Result();
        thread.Terminate();
        const QString status = thread.GetStatus();
        Breadcrumb(step + QStringLiteral("_wf_") + status);
        if (status.size() > 6)
            SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_wf_") + status +
                              QStringLiteral(" : ") + FData.OutputFileName + QStringLiteral(".") +
                              QString::number(FData.OutputFormat));
        if (FinishWorker(std::move(FVideoRecorderThread), prefix,
                         QStringLiteral(":VideoRecorderThread"), Breadcrumb, StopLimitMs) &&
            result->Written) {
            written = true;
            FFileName = result->FileName;
        }
    }
    Breadcrumb(step + QStringLiteral("_DeallocateHWnd"));
    FHWinSize.reset();
    Breadcrumb(step + QStringLiteral("_EndStop"));
    return written;
}

void TRVideoRecorder::Terminate() {
    if (FVideoRecorderThread)
        FVideoRecorderThread->Terminate();
}

TCircleBufferThread* TRVideoRecorder::GetMicBuffer() const {
    return FVideoRecorderThread ? FVideoRecorderThread->MicBuffer() : nullptr;
}

TCircleBufferThread* TRVideoRecorder::GetSCBuffer() const {
    return FVideoRecorderThread ? FVideoRecorderThread->SCBuffer() : nullptr;
}

void TRVideoRecorder::SetCursorRecorderThread(TRCursorSource* ACursorRecorderThread) {
    if (FVideoRecorderThread)
        FVideoRecorderThread->SetCursorRecorderThread(ACursorRecorderThread);
}

void TRVideoRecorder::SetStartTime(int64_t value) {
    if (FVideoRecorderThread)
        FVideoRecorderThread->SetStartTime(value);
}

void TRVideoRecorder::SetPauseTime(int64_t value) {
    if (FVideoRecorderThread)
        FVideoRecorderThread->SetPauseTime(value);
}

void TRVideoRecorder::SetTotalPause(int64_t value) {
    if (FVideoRecorderThread)
        FVideoRecorderThread->SetTotalPause(value);
}

void TRVideoRecorder::SetRecording(bool value) {
    if (!FVideoRecorderThread)
        return;
    if (value)
        FVideoRecorderThread->StartRecording();
    else
        FVideoRecorderThread->StopRecording();
}
