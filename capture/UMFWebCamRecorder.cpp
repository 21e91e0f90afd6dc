#include "capture/UMFWebCamRecorder.h"

#include "capture/URVideoRecorder.h"
#include "core/URSettings.h"
#include "media/UCircleBuffer.h"
#include "media/UMFEncoderH264.h"
#include "platform/camera/CaptureSession.h"
#include "platform/system/Messages.h"

#include <algorithm>
#include <cstring>

namespace camera = platform::camera;
namespace msg = platform::system::msg;

namespace {

bool Is(const TRGuid& a, const TRGuid& b) {
    return SameGuid(a, b);
}

std::unique_ptr<TMFEncoder> MakeEncoder(const TRGuid& subType) {
    if (Is(subType, MFVideoFormat_YUY2))
        return std::make_unique<TMFEncoderH264_YUY2>();
    if (Is(subType, MFVideoFormat_NV12))
        return std::make_unique<TMFEncoderH264_NV12>();
    if (Is(subType, MFVideoFormat_I420))
        return std::make_unique<TMFEncoderH264_I420>();
    return std::make_unique<TMFEncoderH264Ex>();
}

} // namespace

TMFWebCamRecorderThread::TMFWebCamRecorderThread(const QString& WebCamName,
                                                 const TWebCamFormat& WebCamFormat,
                                                 int ABackupTimeMs, const QString& FileName,
                                                 bool ACompressHA, QObject* HWin, QObject* HWinSize,
                                                 TCircleBufferThread* CircleBufferCapture,
                                                 int AQuality, bool ARecording)
    : FWebCamName(WebCamName), FWebCamFormat(WebCamFormat), FFileName(FileName),
      FCompressHA(ACompressHA), FBackupTimeMs(ABackupTimeMs), FQuality(AQuality), FHWin(HWin),
      FHWinSize(HWinSize), FCircleBufferCapture(CircleBufferCapture) {
    if (ARecording)
        StartRecording();
}

TMFWebCamRecorderThread::~TMFWebCamRecorderThread() {
    Terminate();
    WaitFor(60000);
}

QString TMFWebCamRecorderThread::OpenError() const {
    std::lock_guard lock(FErrorLock);
    return FOpenError;
}

bool TMFWebCamRecorderThread::OpenDevice() {
    QString error;
    try {
        const auto target = ResolveWebCam(FWebCamName, FWebCamFormat);
        if (!target) {
            error = QStringLiteral("camera not found");
        } else {
            FSession = std::make_unique<camera::CaptureSession>(
                target->Path, camera::Mode{target->PixelFormat,
                                           target->Width,
                                           target->Height,
                                           {target->RateNum, target->RateDen}});
            return true;
        }
    } catch (const camera::CameraError& e) {
        error = QString::fromUtf8(e.what());
    }
    std::lock_guard lock(FErrorLock);
    FOpenError = error;
    FOpenFailed = true;
    return false;
}

void TMFWebCamRecorderThread::Prepare() {
    W = FWebCamFormat.Width;
    H = FWebCamFormat.Height;
    EW = WebCamEncodeSide(W);
    EH = WebCamEncodeSide(H);
    FFrames.Setup(FWebCamFormat.SubType, W, H, FSession->stride() > 0 ? FSession->stride() : W * 2);
    FEncoderType = FFrames.DecodedType();
    FNativeInput = Is(FEncoderType, MFVideoFormat_YUY2) || Is(FEncoderType, MFVideoFormat_NV12) ||
                   Is(FEncoderType, MFVideoFormat_I420);
    if (!FFileName.isEmpty())
        FEncodeBuffer.assign(size_t(EW) * size_t(EH) * 4, 0);
    FBufferARGB.assign(size_t(W) * size_t(H) * 4, 0);
}

void TMFWebCamRecorderThread::Execute() {
    const bool open = OpenDevice();
    SetStatus(1);
    if (!open || FWebCamFormat.Width <= 0 || FWebCamFormat.Height <= 0) {
        FSession.reset();
        while (!Terminated())
            SleepMs(PollMs);
        return;
    }
    Prepare();
    SetStatus(2);
    while (!Terminated()) {
        try {
            // The wait for a frame is bounded, so a stalled camera never holds up the stop.
            FSession->nextFrame(PollMs, [this](const camera::Frame& frame) { HandleFrame(frame); });
        } catch (const camera::CameraError&) {
            SleepMs(PollMs);
        }
        if (FRecording && !FFirst)
            FLastT = std::max<int64_t>(0, CaptureClockMs() - FStartTime - FTotalPause);
        SetStatus(3);
    }
    SetStatus(4);
    Finish();
    SetStatus(9);
}

void TMFWebCamRecorderThread::HandleFrame(const camera::Frame& frame) {
    const uint8_t* data = frame.data;
    size_t bytes = frame.bytes;
    if (!FFrames.Decode(data, bytes))
        return;
    // One reading of the flag per frame: the frame copied for the encoder is the one written.
    const bool recording = FRecording;
    if (recording && !FEncodeBuffer.empty() && FNativeInput)
        CopyNative(data, bytes);
    if (!FFrames.ToBgra(data, bytes, FBufferARGB.data()))
        return;
    if (recording && !FEncodeBuffer.empty() && !FNativeInput)
        CopyBgraForEncoder();
    if (recording)
        Record(frame.timeMs);
    if (FCircleBufferCapture && FHWin &&
        FCircleBufferCapture->Write(FBufferARGB.data(), int(FBufferARGB.size())) > 0)
        platform::system::postMessage(FHWin, msg::WebcamPreviewFrame);
}

void TMFWebCamRecorderThread::CopyNative(const uint8_t* data, size_t bytes) {
    uint8_t* out = FEncodeBuffer.data();
    if (Is(FEncoderType, MFVideoFormat_YUY2)) {
        CopyPictureRows(data, bytes, FFrames.DecodedStride(), out, EW * 2, EW * 2, EH);
        return;
    }
    // Planar pictures are cropped plane by plane: the luma plane, then the chroma plane(s).
    const int stride = FFrames.DecodedStride();
    const size_t lumaBytes = size_t(stride) * size_t(H);
    if (!CopyPictureRows(data, bytes, stride, out, EW, EW, EH) || bytes < lumaBytes)
        return;
    out += size_t(EW) * size_t(EH);
    const uint8_t* chroma = data + lumaBytes;
    const size_t left = bytes - lumaBytes;
    if (Is(FEncoderType, MFVideoFormat_NV12)) {
        CopyPictureRows(chroma, left, stride, out, EW, EW, EH / 2);
        return;
    }
    const int cstride = (stride + 1) / 2;
    const size_t planeBytes = size_t(cstride) * size_t((H + 1) / 2);
    if (!CopyPictureRows(chroma, left, cstride, out, EW / 2, EW / 2, EH / 2) || left < planeBytes)
        return;
    CopyPictureRows(chroma + planeBytes, left - planeBytes, cstride,
                    out + size_t(EW / 2) * (EH / 2), EW / 2, EW / 2, EH / 2);
}

void TMFWebCamRecorderThread::CopyBgraForEncoder() {
    CopyPictureRows(FBufferARGB.data(), FBufferARGB.size(), W * 4, FEncodeBuffer.data(), EW * 4,
                    EW * 4, EH);
}

void TMFWebCamRecorderThread::StartEncoder() {
    FEncoder = CreateEncoder ? CreateEncoder(FEncoderType) : MakeEncoder(FEncoderType);
    FEncoder->UseHardware = FCompressHA;
    FEncoder->UseVFR = false;
    FEncoder->SetParams(EW, EH, std::max(FWebCamFormat.FPS, 1), FQuality, false, 44100, 96,
                        FFileName);
    SetResult(FEncoder->StartEncode(), 1);
}

void TMFWebCamRecorderThread::FillGapsTo(int64_t t, int step) {
    while ((FEncoder->SampleVideoStart() + FEncoder->SampleVideoDuration()) / 10'000 < t &&
           (step != 3 || !Terminated()))
        SetResult(FEncoder->AddVideoFrame(nullptr), step);
}

void TMFWebCamRecorderThread::Record(int64_t frameTime) {
    int64_t t = std::max<int64_t>(0, frameTime - FStartTime - FTotalPause);
    if (FFirst) {
        FFirst = false;
        t = 0;
        if (!FFileName.isEmpty())
            StartEncoder();
        if (FEncoder)
            SetResult(FEncoder->AddVideoFrame(FEncodeBuffer.data()), 2);
    } else if (FEncoder) {
        // A frame ahead of the next slot is skipped; a late one follows gap slots.
        if (t >= FEncoder->SampleVideoStart() / 10'000) {
            FillGapsTo(t, 3);
            SetResult(FEncoder->AddVideoFrame(FEncodeBuffer.data()), 4);
        }
        if (FHWinSize && t - FLastSizeT > 500 && !Terminated()) {
            platform::system::postMessage(FHWinSize, msg::WebcamFileSize,
                                          int64_t(FEncoder->GetVideoCompressedSize() / 1024));
            FLastSizeT = t;
        }
    }
    FLastT = std::max(FLastT, t);
    if (TRVideoRecorderThread* recorder = FVideoRecorderThread)
        recorder->SetCameraData(FBufferARGB.data());
}

void TMFWebCamRecorderThread::Finish() {
    if (FEncoder) {
        if (FEncoder->SampleVideoStart() == 0)
            SetResult(FEncoder->AddVideoFrame(FEncodeBuffer.data()), 5);
        // The file lasts as long as the recording, also when the camera stalled at its end.
        FillGapsTo(FLastT, 5);
        SetStatus(5);
        SetResult(FEncoder->StopEncode(), 6);
        SetStatus(6);
        FEncoder.reset();
    }
    SetStatus(7);
    FEncodeBuffer.clear();
    SetStatus(8);
    FSession.reset();
}

TMFWebCamRecorder::TMFWebCamRecorder() = default;

TMFWebCamRecorder::~TMFWebCamRecorder() {
    if (FWebCamThread)
        Stop();
}

void TMFWebCamRecorder::SetParams(const QString& InputWebCamName,
                                  const TWebCamFormat& InputWebCamFormat, int ABackupTimeMs,
                                  const QString& FileName, bool ACompressHA) {
    FWebCamName = InputWebCamName;
    FWebCamFormat = InputWebCamFormat;
    FBackupTimeMs = ABackupTimeMs;
    FFileName = FileName;
    FCompressHA = ACompressHA;
}

void TMFWebCamRecorder::ShowPreview() {
    const int w = FWebCamFormat.Width, h = FWebCamFormat.Height;
    if (w <= 0 || h <= 0 || !OnReceiveData || !FCircleBufferCapture)
        return;
    const int bytes = w * h * 4;
    if (FCircleBufferCapture->Read(FBufferARGB.data(), bytes) == bytes)
        OnReceiveData(w, h, FBufferARGB.data());
}

int32_t TMFWebCamRecorder::Start(int AQuality, bool ARecording) {
    if (FWebCamThread)
        Stop();
    FQuality = AQuality;
    using platform::system::MessageReceiver;
    FHWin = std::make_unique<MessageReceiver>();
    FHWin->on(msg::WebcamPreviewFrame, [this](int64_t, int64_t) {
        try {
            ShowPreview();
        } catch (...) {
            // A failing preview must not disturb the recording.
        }
    });
    const int frameBytes = std::max(FWebCamFormat.Width, 0) * std::max(FWebCamFormat.Height, 0) * 4;
    FCircleBufferCapture = std::make_unique<TCircleBufferThread>(std::max(frameBytes, 1));
    FBufferARGB.assign(size_t(frameBytes), 0);
    FHWinSize = std::make_unique<MessageReceiver>();
    FHWinSize->on(msg::WebcamFileSize, [this](int64_t wParam, int64_t) {
        try {
            if (OnReceiveSize)
                OnReceiveSize(int(wParam));
        } catch (...) {
        }
    });
    FWebCamThread = std::make_unique<TMFWebCamRecorderThread>(
        FWebCamName, FWebCamFormat, FBackupTimeMs, FFileName, FCompressHA, FHWin.get(),
        FHWinSize.get(), FCircleBufferCapture.get(), FQuality, ARecording);
    FWebCamThread->CreateEncoder = CreateEncoder;
    FWebCamThread->Start();
    return 0;
}

void TMFWebCamRecorder::SetRecording(bool value) {
    if (!FWebCamThread)
        return;
    if (value)
        FWebCamThread->StartRecording();
    else
        FWebCamThread->StopRecording();
}

void TMFWebCamRecorder::SetStartTime(int64_t value) {
    if (FWebCamThread)
        FWebCamThread->SetStartTime(value);
}

void TMFWebCamRecorder::SetPauseTime(int64_t value) {
    if (FWebCamThread)
        FWebCamThread->SetPauseTime(value);
}

void TMFWebCamRecorder::SetTotalPause(int64_t value) {
    if (FWebCamThread)
        FWebCamThread->SetTotalPause(value);
}

void TMFWebCamRecorder::SetQuality(int value) {
    FQuality = value;
    if (FWebCamThread)
        FWebCamThread->SetQuality(value);
}

void TMFWebCamRecorder::SetVideoRecorderThread(TRVideoRecorderThread* value) {
    if (FWebCamThread)
        FWebCamThread->SetVideoRecorderThread(value);
}

void TMFWebCamRecorder::Terminate() {
    if (FWebCamThread)
        FWebCamThread->Terminate();
}

void TMFWebCamRecorder::Stop() {
    const QString prefix = SettingsRecord.LastStep.text();
    const QString step = prefix + QStringLiteral(":CameraRecorderThread");
    Breadcrumb(step);
    if (FWebCamThread) {
        TMFWebCamRecorderThread& thread = *FWebCamThread;
        thread.Terminate();
        const QString status = thread.GetStatus();
        Breadcrumb(step + QStringLiteral("_wf_") + status);
        if (status.size() > 5)
            SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_wf_") + status);
        if (thread.OpenFailed())
            SendCaptureReport(QStringLiteral("Error:") + step + QStringLiteral("_open_") +
                              thread.OpenError());
        if (!FinishWorker(std::move(FWebCamThread), prefix, QStringLiteral(":CameraRecorderThread"),
                          Breadcrumb, StopLimitMs)) {
            // A worker that did not end still writes into the ring and posts to the windows.
            (void)FCircleBufferCapture.release();
            (void)FHWin.release();
            (void)FHWinSize.release();
        }
    }
    Breadcrumb(step + QStringLiteral("_deallocate"));
    FHWin.reset();
    FHWinSize.reset();
    FCircleBufferCapture.reset();
    FBufferARGB.clear();
    Breadcrumb(step + QStringLiteral("_end"));
}
